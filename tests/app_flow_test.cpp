// The clock, the splash, the main loop, the goal check and the ways back from
// a run: what the player sees happen over time.
#include <filesystem>
#include <sys/stat.h>

#include "app_fixture.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

class AppClock : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::Run;
        menuPage = MenuPage::FromPlay;
        board.goalCount = 5;  // no goal: only the steps count
    }
    // Frames of `frameMs` until `totalMs` of wall time; the steps taken.
    int RunFor(double totalMs, double frameMs) {
        const double end = fakeNow + totalMs;
        int steps = 0;
        while (fakeNow < end) {
            fakeNow = std::min(end, fakeNow + frameMs);
            ticksSinceFrame = 0;
            FrameStep();
            steps += ticksSinceFrame;
        }
        return steps;
    }
};

TEST_F(AppClock, FourHundredStepsASecondWhateverTheFrameRate) {
    for (double frame : {1.0, 7.0, 16.7, 33.3, 100.0, 250.0}) {
        SCOPED_TRACE(frame);
        lastStepTime = -1.0;
        fakeNow = 10000.0;
        FrameStep();  // the clock starts here
        EXPECT_EQ(RunFor(1000.5, frame), 400);
    }
    EXPECT_EQ(RunFor(100.0, 100.0), 40);  // a long frame is followed by all its steps
}

TEST_F(AppClock, PauseTakesNoStepsAndResumingDoesNotReplayIt) {
    FrameStep();
    slowFactor = 40.0f;
    Press(KeyCode::NumpadSubtract);
    ASSERT_EQ(slowFactor, pausedSlowFactor);
    EXPECT_EQ(RunFor(60000.0, 16.0), 0);
    Press(KeyCode::NumpadAdd);
    EXPECT_EQ(slowFactor, 40.0f);
    EXPECT_EQ(RunFor(16.0, 16.0), 0);   // not the minute just paused
    EXPECT_EQ(RunFor(100.0, 16.0), 2);  // 116 ms at 40 ms a step
}

TEST_F(AppClock, TheSpeedKeysStepThroughEverySpeed) {
    FrameStep();
    const float slower[] = {5.0f, 10.0f, 20.0f, 40.0f};
    const float faster[] = {20.0f, 10.0f, 5.0f, 2.5f, 1.25f, 0.625f};
    for (float speed : slower) {
        Press(KeyCode::NumpadSubtract);
        ASSERT_EQ(slowFactor, speed);
        EXPECT_NEAR(RunFor(1000.0, 16.0), 1000.0 / speed, 1.0) << speed;
    }
    for (float speed : faster) {
        Press(KeyCode::NumpadAdd);
        ASSERT_EQ(slowFactor, speed);
        EXPECT_NEAR(RunFor(1000.0, 16.0), 1000.0 / speed, 1.0) << speed;
    }
    Press(KeyCode::NumpadAdd);  // already the fastest
    EXPECT_EQ(slowFactor, 0.625f);
    // The indicator's time: kept by each change, but not by the pause.
    fakeNow = 1234.0;
    Press(KeyCode::NumpadSubtract);
    EXPECT_EQ(speedChangeTime, 1234.0f);
    slowFactor = 40.0f;
    fakeNow = 2000.0;
    Press(KeyCode::NumpadSubtract);
    EXPECT_EQ(speedChangeTime, 1234.0f);
    Press(KeyCode::NumpadAdd);
    EXPECT_EQ(speedChangeTime, 2000.0f);
    // An auto-repeat acts again.
    WindowProc(Message::Key(MessageType::KeyDown, KeyCode::NumpadAdd));
    WindowProc(Message::Key(MessageType::KeyDown, KeyCode::NumpadAdd, true));
    EXPECT_EQ(slowFactor, 10.0f);
}

TEST_F(AppClock, MenuStepsTurnTheDemoCamera) {
    gameScreen = GameScreen::MainMenu;
    menuPage = MenuPage::Main;
    demoFadeDir = 1.0f;  // no demo board change in this second
    FrameStep();
    const float yaw = camera.cameraYaw;
    RunFor(1000.5, 16.0);
    EXPECT_NEAR(camera.cameraYaw - yaw, 0.1f, 0.001f);  // 0.1 rad a second
    EXPECT_NEAR(demoFade, 0.25f, 0.001f);
}

// ---- Splash ----

class AppSplash : public AppTest {};

TEST_F(AppSplash, LastsTenSecondsWithoutInput) {
    FrameStep();
    fakeNow = 263.0;
    FrameStep();
    // The elapsed time is rounded to a float once, with the subtraction.
    EXPECT_EQ(splashTime, static_cast<float>(10.0 - 0.263));
    fakeNow = 9999.0;
    FrameStep();
    EXPECT_EQ(gameScreen, GameScreen::Splash);
    fakeNow = 10000.5;
    FrameStep();
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(menuPage, MenuPage::Main);
    EXPECT_EQ(splashTime, 0.0f);
}

TEST_F(AppSplash, KeysAndClicksSkipToTheEndOfTheLogoShowing) {
    splashTime = 8.0f;
    Press(KeyCode::Digit5);
    EXPECT_EQ(splashTime, 6.0f);
    splashTime = 3.0f;
    Click(-1);
    EXPECT_EQ(splashTime, 1.0f);
    splashTime = 5.0f;  // between the logos: nothing to skip
    Press(KeyCode::Up);
    EXPECT_EQ(splashTime, 5.0f);
    splashTime = 8.0f;
    WindowProc(Message::Mouse(MessageType::MouseMove, 50, 50));
    EXPECT_EQ(splashTime, 8.0f);
    WindowProc(Message::Mouse(MessageType::RightButtonDown, 50, 50));
    EXPECT_EQ(splashTime, 6.0f);
}

// ---- Main loop ----

std::vector<Message> queued;
size_t nextQueued = 0;
int frames = 0, passes = 0, passesWanted = 0;

class AppMainLoop : public AppTest {
protected:
    // Runs the loop with `first` waiting in the queue; each pass sleeps 1 ms,
    // and Escape arrives after `count` passes. Counts the frames drawn.
    void RunPasses(int count, std::vector<Message> first = {}) {
        queued = std::move(first);
        nextQueued = 0;
        frames = passes = 0;
        passesWanted = count;
        platformHooks.nextMessage = [](Message& m) {
            if (nextQueued >= queued.size()) return false;
            m = queued[nextQueued++];
            return true;
        };
        platformHooks.drawFrame = [] { ++frames; };
        platformHooks.sleepMilliseconds = [](int) {
            fakeNow += 1.0;
            if (++passes >= passesWanted) queued.push_back(Message::Key(MessageType::KeyDown, KeyCode::Escape));
        };
        RunMainLoop();
        EXPECT_FALSE(windowOpen);
    }
};

TEST_F(AppMainLoop, RunsUntilEscapeAndDrawsEveryPass) {
    RunPasses(50, {Message::Key(MessageType::KeyDown, KeyCode::Up)});
    EXPECT_EQ(frames, 50);
    EXPECT_EQ(renderSuspended, RenderState::Drawing);
    EXPECT_EQ(keyDown[int(KeyCode::Up)], 1);  // zoom key held for the camera
}

TEST_F(AppMainLoop, TheClockRestartsWhileTheEditorOrPlayIsUp) {
    gameScreen = GameScreen::Play;
    lastStepTime = 500.0;
    RunPasses(1);
    EXPECT_EQ(lastStepTime, -1.0);
}

TEST_F(AppMainLoop, ALostDeviceDrawsNothingUntilItIsBack) {
    deviceLost = true;
    static int polls;
    polls = 0;
    platformHooks.pollDevice = [] { return ++polls >= 3; };
    RunPasses(5);
    EXPECT_FALSE(deviceLost);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(frames, 3);  // passes 3, 4 and 5
}

TEST_F(AppMainLoop, PaintDrawsUnlessAFileDialogIsOpenAndDestroyEndsTheLoop) {
    frames = 0;
    platformHooks.drawFrame = [] { ++frames; };
    renderSuspended = RenderState::Drawing;
    WindowProc(Message{MessageType::Paint});
    renderSuspended = RenderState::FileDialog;
    WindowProc(Message{MessageType::Paint});
    EXPECT_EQ(frames, 1);
    static int releases;
    releases = 0;
    platformHooks.releaseGraphics = [] { ++releases; };
    WindowProc(Message{MessageType::Destroy});
    EXPECT_FALSE(windowOpen);
    EXPECT_EQ(releases, 1);
    RunMainLoop();  // returns at once
}

TEST_F(AppMainLoop, EscapeEndsTheProgramFromEveryScreen) {
    for (GameScreen screen :
         {GameScreen::Splash, GameScreen::MainMenu, GameScreen::Editor, GameScreen::Play, GameScreen::Run}) {
        windowOpen = true;
        std::fill(std::begin(keyDown), std::end(keyDown), uint8_t{0});
        gameScreen = screen;
        WindowProc(Message::Key(MessageType::KeyDown, KeyCode::Escape));
        EXPECT_FALSE(windowOpen) << int(screen);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("score.dat")));  // nothing saved on the way out
}

TEST_F(AppMainLoop, KeyCodesOutsideTheTableAreIgnored) {
    Message m;
    m.type = MessageType::KeyDown;
    m.key = 100000;
    WindowProc(m);
    m.key = -5;
    m.type = MessageType::KeyUp;
    WindowProc(m);
    EXPECT_TRUE(windowOpen);
}

TEST_F(AppMainLoop, TheDemoLoadsAPuzzleShortlyAfterTheMenuOpens) {
    // The first demo board is the puzzle the fixed seed picks.
    demoRandomState = 5;
    const int first = DemoRandom() % builtInPuzzleCount;
    demoRandomState = 5;
    Board level = SamplePuzzle();
    WritePuzzle(first, level);
    gameScreen = GameScreen::MainMenu;
    FrameStep();
    fakeNow = 300.0;
    FrameStep();
    EXPECT_EQ(board.sizeX, 10);  // still the board the menu came with
    fakeNow = 420.0;
    FrameStep();
    EXPECT_EQ(board.sizeX, 6);
    EXPECT_EQ(levelName, puzzleNames[first]);
    EXPECT_EQ(board.stock[kindPlainCube], 2);  // prepared as for play
    EXPECT_EQ(demoSpinDir, -1.0f);
    EXPECT_EQ(demoFadeDir, 1.0f);
    EXPECT_EQ(camera.cameraDistance, OrbitCamera{}.cameraDistance);  // the demo camera keeps turning
    EXPECT_EQ(currentPuzzle, -1);
}

// ---- Goal check ----

class AppGoal : public AppTest {
protected:
    std::vector<uint8_t> Progress() const {
        std::vector<uint8_t> bytes;
        ReadWholeFile(Path("score.dat"), 1000, bytes);
        return bytes;
    }
};

TEST_F(AppGoal, ABuiltInPuzzleIsRecordedAtOnceAndCountedOnce) {
    OpenSamplePuzzle(7);
    RollSample();
    apptest::sounds.clear();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::PuzzleSolved);
    EXPECT_EQ(solvedCount, 1);
    const std::vector<uint8_t> bytes = Progress();
    ASSERT_EQ(bytes.size(), 60u);
    EXPECT_EQ(bytes[7], 1);
    EXPECT_EQ(bytes[6], 0);
    // The box stays up while the balls go on; the goal sound plays once.
    WinRun();
    WinRun();
    EXPECT_EQ(CountSound(SoundEffectId::Goal), 1);
    EXPECT_EQ(solvedCount, 1);
    // Solved again after a retry: still one.
    Click(ControlId::DialogRetry);
    RollSample();
    WinRun();
    EXPECT_EQ(solvedCount, 1);
    EXPECT_EQ(dialogState, DialogState::PuzzleSolved);
    // The last unsolved one shows the box for all of them.
    for (int i = 0; i < builtInPuzzleCount; ++i) solvedFlags[i] = i != 7;
    solvedCount = 59;
    Click(ControlId::DialogRetry);
    RollSample();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::AllSolved);
    EXPECT_EQ(solvedCount, 60);
}

TEST_F(AppGoal, EditorTestsAndLoadedLevelsNeverTouchTheProgress) {
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainEditor);
    currentPuzzle = 3;  // even with a puzzle's index left over
    Click(ControlId::Roll);
    ASSERT_EQ(gameScreen, GameScreen::Run);
    WinRun();
    EXPECT_EQ(dialogState, DialogState::TestSolved);
    EXPECT_TRUE(levelTested);
    Click(ControlId::DialogOk);
    Click(ControlId::Exit);
    Click(ControlId::SelectBack);
    WriteLevel(Path("mine.tm3"), SamplePuzzle());
    apptest::dialogPath = Path("mine.tm3");
    Click(ControlId::MainLoad);
    ASSERT_EQ(gameScreen, GameScreen::Play);
    RollSample();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::CustomSolved);
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(solvedCount, 0);
}

TEST_F(AppGoal, TheMenuBehindALevelWithoutAGoalSolvesNothing) {
    // A level asking for no ball, left behind on the menu as the demo board,
    // while the selection page shows the first puzzles.
    board.goalCount = 0;
    gameScreen = GameScreen::MainMenu;
    menuPage = MenuPage::PuzzleSelect;
    currentPuzzle = 0;
    demoFadeDir = 1.0f;
    FrameStep();
    fakeNow = 100.0;
    FrameStep();
    EXPECT_EQ(dialogState, DialogState::None);
    EXPECT_EQ(solvedFlags[0], 0);
    EXPECT_TRUE(Progress().empty());
}

TEST_F(AppGoal, AFolderThatIsNotWritableDoesNotStopTheWin) {
    OpenSamplePuzzle(7);
    workDir = Path("no/such/folder");
    RollSample();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::PuzzleSolved);
    EXPECT_EQ(solvedFlags[7], 1);
}

// ---- Ways back from a run ----

class AppBackToMenu : public AppTest {};

TEST_F(AppBackToMenu, StopRestoresThePuzzleAsTheRunBegan) {
    OpenSamplePuzzle(23);
    Click(StockSlot(kindPlainCube));
    PointAtFace(2, 0, 2, 0, 1, 0);
    Click(hoveredControl);
    const std::vector<int8_t> before = board.cells;
    RollSample();
    board.cells[size_t(Cell(2, 1, 2))] = 0;  // the run destroys things
    board.balls[0].position.x += 50.0f;
    ballsAtTarget = 1;
    apptest::sounds.clear();
    Click(ControlId::Stop);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(board.cells, before);
    EXPECT_EQ(board.balls[0].position.x, runStartBoard.balls[0].position.x);
    EXPECT_EQ(ballsAtTarget, 0);
    EXPECT_EQ(apptest::sounds, std::vector<int>{int(SoundEffectId::RunStopped)});
    // The snapshot was taken before the launch: the next run starts at launch speed.
    RollSample();
    EXPECT_EQ(board.balls[0].velocity.x, 4.8f);
}

TEST_F(AppBackToMenu, StopInTheEditorRestoresTheLevelAndItsDirections) {
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainEditor);
    board.cells[size_t(Cell(3, 1, 3))] = kindStartCube;
    board.cells[size_t(Cell(3, 2, 3))] = kindBomb;
    board.AddBall(kindBomb, Cell(3, 2, 3));
    board.balls[0].direction = int8_t(LaunchDirection::MinusZ);
    Click(ControlId::Roll);
    ASSERT_EQ(gameScreen, GameScreen::Run);
    board.RemoveBall(0);
    Click(ControlId::Stop);
    EXPECT_EQ(gameScreen, GameScreen::Editor);
    ASSERT_EQ(board.ballCount, 1);
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::MinusZ));
}

TEST_F(AppBackToMenu, ExitOrMenuShowThePuzzlesPageOfTheListOrTheMainPage) {
    OpenSamplePuzzle(23);
    Click(ControlId::Exit);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(menuPage, MenuPage::PuzzleSelect);
    EXPECT_EQ(currentPuzzle, 20);
    EXPECT_EQ(lastStepTime, -1.0);
    EXPECT_EQ(demoFade, 0.0f);
    EXPECT_EQ(board.sizeX, 6);  // the puzzle stays as the demo board
    OpenSamplePuzzle(42);
    RollSample();
    WinRun();
    Click(ControlId::DialogMenu);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(menuPage, MenuPage::PuzzleSelect);
    EXPECT_EQ(currentPuzzle, 40);
    EXPECT_EQ(dialogState, DialogState::None);
    EXPECT_EQ(ballsAtTarget, 0);
    menuPage = MenuPage::Main;
    currentPuzzle = -1;
    Click(ControlId::MainEditor);
    Click(ControlId::Exit);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(menuPage, MenuPage::Main);
}

TEST_F(AppBackToMenu, RetryFromAPuzzleAndFromALoadedLevel) {
    for (bool builtIn : {true, false}) {
        SCOPED_TRACE(builtIn);
        if (builtIn) {
            OpenSamplePuzzle(5);
        } else {
            WriteLevel(Path("mine.tm3"), SamplePuzzle());
            apptest::dialogPath = Path("mine.tm3");
            gameScreen = GameScreen::MainMenu;
            menuPage = MenuPage::Main;
            currentPuzzle = -1;
            Click(ControlId::MainLoad);
        }
        Click(ControlId::ToolDelete);
        RollSample();
        const std::vector<int8_t> before = runStartBoard.cells;
        board.cells[size_t(Cell(3, 1, 3))] = 0;
        WinRun();
        ASSERT_NE(dialogState, DialogState::None);
        Click(ControlId::DialogRetry);
        EXPECT_EQ(gameScreen, GameScreen::Play);
        EXPECT_EQ(board.cells, before);
        EXPECT_EQ(editTool, EditTool::Build);
        EXPECT_EQ(ballsAtTarget, 0);
        EXPECT_EQ(dialogState, DialogState::None);
    }
}

// Each command's sound and the clearing of the debris, in their order, along
// a player's way through a puzzle, its runs and the editor.
TEST_F(AppBackToMenu, EachStepPlaysItsSoundAndClearsTheDebrisInOrder) {
    using apptest::debrisCleared;
    constexpr int button = int(SoundEffectId::Button), started = int(SoundEffectId::RunStarted);
    WritePuzzle(0, SamplePuzzle());
    WritePuzzle(1, SamplePuzzle());
    gameScreen = GameScreen::MainMenu;
    menuPage = MenuPage::PuzzleSelect;
    currentPuzzle = 0;
    auto step = [this](int hovered, const std::vector<int>& expected) {
        apptest::effects.clear();
        Click(hovered);
        EXPECT_EQ(apptest::effects, expected) << "control " << hovered;
    };
    step(Id(ControlId::PuzzleRowFirst), {button, debrisCleared});
    step(Id(ControlId::Roll), {debrisCleared});  // refused: the ball has no direction yet
    board.balls[0].direction = int8_t(LaunchDirection::PlusX);
    step(Id(ControlId::Roll), {debrisCleared, started});
    step(Id(ControlId::Stop), {debrisCleared, int(SoundEffectId::RunStopped)});
    step(Id(ControlId::Reset), {button});
    board.balls[0].direction = int8_t(LaunchDirection::PlusX);
    step(Id(ControlId::Roll), {debrisCleared, started});
    apptest::effects.clear();
    WinRun();
    EXPECT_EQ(apptest::effects, std::vector<int>{int(SoundEffectId::Goal)});
    step(Id(ControlId::DialogRetry), {button, debrisCleared});
    RollSample();
    WinRun();
    step(Id(ControlId::DialogNext), {button, debrisCleared});
    ASSERT_EQ(currentPuzzle, 1);
    step(Id(ControlId::Exit), {debrisCleared, button});
    step(Id(ControlId::SelectBack), {debrisCleared, button});
    step(Id(ControlId::MainEditor), {button});
    step(Id(ControlId::EditorSave), {button});
    step(Id(ControlId::DialogOk), {debrisCleared, button});
}

TEST_F(AppBackToMenu, ADialogClearsWithTheNextMouseMessageOffTheRunScreen) {
    const struct {
        GameScreen screen;
        DialogState dialog, after;
    } cases[] = {
        {GameScreen::Play, DialogState::PuzzleSolved, DialogState::None},
        {GameScreen::Editor, DialogState::TestFirst, DialogState::TestFirst},  // stays until its OK
        {GameScreen::Run, DialogState::CustomSolved, DialogState::CustomSolved},
    };
    for (const auto& c : cases) {
        gameScreen = c.screen;
        dialogState = c.dialog;
        WindowProc(Message::Mouse(MessageType::MouseMove, 3, 3));
        EXPECT_EQ(dialogState, c.after) << int(c.screen);
    }
}

}  // namespace
