// The clock, the splash, the main loop, the goal check, the progress file and
// the ways back from a run: what the player sees happen over time.
#include <filesystem>
#include <sys/stat.h>

#include "app_fixture.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

// ---- Clock and splash ----

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

TEST_F(AppClock, TheSpeedKeysStepThroughEverySpeedAndThePause) {
    FrameStep();
    for (float speed : {5.0f, 10.0f, 20.0f, 40.0f, pausedSlowFactor}) {
        Press(KeyCode::NumpadSubtract);
        ASSERT_EQ(slowFactor, speed);
    }
    EXPECT_EQ(RunFor(60000.0, 16.0), 0);
    Press(KeyCode::NumpadAdd);
    EXPECT_EQ(RunFor(16.0, 16.0), 0);   // resuming does not replay the minute just paused
    EXPECT_EQ(RunFor(100.0, 16.0), 2);  // 116 ms at 40 ms a step
    for (float speed : {20.0f, 10.0f, 5.0f, 2.5f, 1.25f, 0.625f, 0.625f}) {
        Press(KeyCode::NumpadAdd);
        ASSERT_EQ(slowFactor, speed);
    }
    // An auto-repeat acts again.
    WindowProc(Message::Key(MessageType::KeyDown, KeyCode::NumpadSubtract));
    WindowProc(Message::Key(MessageType::KeyDown, KeyCode::NumpadSubtract, true));
    EXPECT_EQ(slowFactor, 2.5f);
}

TEST_F(AppClock, TheSplashLastsTenSecondsUnlessAKeyOrAClickSkipsALogo) {
    gameScreen = GameScreen::Splash;
    const struct {
        float before, after;
        bool key;
    } skips[] = {{8.0f, 6.0f, true}, {6.5f, 6.0f, false}, {3.0f, 1.0f, false}, {3.9f, 1.0f, true}, {5.0f, 5.0f, true}};
    for (const auto& s : skips) {
        splashTime = s.before;
        if (s.key) Press(KeyCode::Digit5);
        else Click(-1);
        EXPECT_EQ(splashTime, s.after) << s.before;
    }
    splashTime = 10.0f;
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
    EXPECT_EQ(splashTime, 0.0f);
}

// ---- Main loop ----

using AppMainLoop = AppTest;

TEST_F(AppMainLoop, TheDemoLoadsAPuzzleShortlyAfterTheMenuOpens) {
    // The first demo board is the puzzle the fixed seed picks.
    const int first = DemoRandom() % builtInPuzzleCount;
    demoRandomState = 5;
    WritePuzzle(first, SamplePuzzle());
    gameScreen = GameScreen::MainMenu;
    FrameStep();
    fakeNow = 300.0;
    FrameStep();
    EXPECT_EQ(board.sizeX, 10);  // still the board the menu came with
    fakeNow = 420.0;
    FrameStep();  // the puzzle, prepared as for play
    EXPECT_EQ(std::tuple(board.sizeX, levelName, int(board.stock[kindPlainCube]), demoSpinDir),
              std::tuple(6, std::string(puzzleNames[first]), 2, -1.0f));
    EXPECT_EQ(camera.cameraDistance, OrbitCamera{}.cameraDistance);  // the demo camera keeps turning
}

// Under test the menu's board stops turning and, once built, stays; the light's
// clock stands at 0. A run's steps go on at 400 a second all the same.
TEST_F(AppMainLoop, AFrozenPictureStandsStillOnTheMenuWhileARunStillSteps) {
    const int first = DemoRandom() % builtInPuzzleCount;
    const uint32_t afterFirst = demoRandomState;
    demoRandomState = 5;
    WritePuzzle(first, SamplePuzzle());
    auto minuteOfFrames = [] {
        for (int frame = 0; frame < 3600; ++frame) {
            fakeNow += 16.7;
            FrameStep();
        }
    };
    pictureFrozen = true;
    gameScreen = GameScreen::MainMenu;
    const float yaw = camera.cameraYaw;
    FrameStep();
    minuteOfFrames();
    EXPECT_EQ(camera.cameraYaw, yaw);
    EXPECT_EQ(demoFade, 2.0f);  // built up whole, and held
    EXPECT_EQ(std::tuple(levelName, demoRandomState), std::tuple(std::string(puzzleNames[first]), afterFirst));
    EXPECT_EQ(PictureClockMilliseconds(), 0.0);
    pictureFrozen = false;  // the player's menu: it turns and brings the next board
    minuteOfFrames();
    EXPECT_NE(camera.cameraYaw, yaw);
    EXPECT_NE(demoRandomState, afterFirst);
    EXPECT_EQ(PictureClockMilliseconds(), fakeNow);

    pictureFrozen = true;
    OpenSamplePuzzle();
    RollSample();
    const Vec3 start = board.balls[0].position;
    lastStepTime = -1.0;
    FrameStep();
    ticksSinceFrame = 0;
    fakeNow += 1000.0;
    FrameStep();
    EXPECT_GE(ticksSinceFrame, 399);
    EXPECT_NE(board.balls[0].position.x, start.x);
}

// ---- Goal check and progress ----

class AppGoal : public AppTest {
protected:
    std::vector<uint8_t> Progress() const { return ReadBytes(Path("score.dat")); }
};

TEST_F(AppGoal, EditorTestsLoadedLevelsAndTheMenuNeverTouchTheProgress) {
    gameScreen = GameScreen::MainMenu;
    ClickOnMainPage(ControlId::MainEditor);
    currentPuzzle = 3;  // even with a puzzle's index left over
    Click(ControlId::Roll);
    WinRun();
    EXPECT_EQ(std::tuple(dialogState, levelTested), std::tuple(DialogState::TestSolved, true));
    Click(ControlId::DialogOk);
    Click(ControlId::Exit);
    WriteLevel(Path("mine.tm3"), SamplePuzzle());
    apptest::dialogPath = Path("mine.tm3");
    currentPuzzle = -1;
    ClickOnMainPage(ControlId::MainLoad);
    RollSample();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::CustomSolved);
    // A level asking for no ball, left behind as the demo board.
    Click(ControlId::DialogMenu);
    board.goalCount = 0;
    menuPage = MenuPage::PuzzleSelect;
    currentPuzzle = 0;
    demoFadeDir = 1.0f;
    fakeNow = 100.0;
    FrameStep();
    EXPECT_EQ(std::tuple(dialogState, Progress().empty(), int(solvedCount)), std::tuple(DialogState::None, true, 0));
}

TEST_F(AppGoal, TheProgressFileIsReadFromItsFirstSixtyBytesAndWrittenWhole) {
    std::vector<uint8_t> mixed(60, 0);
    mixed[0] = mixed[2] = 1;
    mixed[1] = 2;  // not a 1: unsolved
    const struct { std::vector<uint8_t> file; ProgressFile found; int solved; } cases[] = {
        {std::vector<uint8_t>(60, 1), ProgressFile::Whole, 60},
        {mixed, ProgressFile::Damaged, 2},
        {{1, 1, 0, 1}, ProgressFile::Damaged, 4},                      // fills the first flags; flag 10 stays
        {std::vector<uint8_t>(200000, 1), ProgressFile::Damaged, 60},  // a longer one gives its first 60 bytes
    };
    for (const auto& c : cases) {
        std::fill(std::begin(solvedFlags), std::end(solvedFlags), uint8_t{0});
        solvedFlags[10] = 1;
        WriteBytes(Path("score.dat"), c.file);
        ASSERT_EQ(chmod(Path("score.dat").c_str(), 0444), 0);  // read-only is fine for reading
        EXPECT_EQ(ReadProgress(), c.found) << c.file.size();
        EXPECT_EQ(solvedCount, c.solved) << c.file.size();
    }
    // Start-up writes a fresh record in place of none or an empty one.
    WriteBytes(Path("score.dat"), {});
    apptest::adapterModes = {{640, 480, 60, formatR5G6B5}};
    std::string message;
    ASSERT_TRUE(StartGame(message));
    EXPECT_EQ(solvedCount, 0);
    EXPECT_EQ(progressNotice, "");
    EXPECT_EQ(Progress(), std::vector<uint8_t>(60, 0));
    // A write replaces the whole file.
    WriteBytes(Path("score.dat"), std::vector<uint8_t>(80, 7));
    solvedFlags[2] = 1;
    ASSERT_TRUE(WriteProgress());
    std::vector<uint8_t> expected(60, 0);
    expected[2] = 1;
    EXPECT_EQ(Progress(), expected);
}

// ---- Ways back from a run ----

class AppBackToMenu : public AppTest {};

TEST_F(AppBackToMenu, StopRestoresThePuzzleOrTheEditorsLevelAsTheRunBegan) {
    OpenSamplePuzzle(23);
    Click(StockSlot(kindPlainCube));
    PointAtFace(2, 0, 2, 0, 1, 0);
    Click(hoveredPick);
    const std::vector<int8_t> before = board.cells;
    RollSample();
    board.cells[size_t(Cell(2, 1, 2))] = 0;  // the run destroys things
    board.balls[0].position.x += 50.0f;
    ballsAtTarget = 1;
    apptest::sounds.clear();
    Click(ControlId::Stop);
    EXPECT_EQ(board.cells, before);
    EXPECT_EQ(std::tuple(gameScreen, board.balls[0].position.x, int(ballsAtTarget)),
              std::tuple(GameScreen::Play, runStartBoard.balls[0].position.x, 0));
    EXPECT_EQ(apptest::sounds, std::vector<int>{int(SoundEffectId::RunStopped)});
    const int clears = apptest::debrisClears;
    RollSample();
    EXPECT_EQ(apptest::debrisClears, clears + 1);  // the last run's debris goes
    EXPECT_EQ(board.balls[0].velocity.x, 4.8f);  // the snapshot was taken before the launch

    Click(ControlId::Stop);
    Click(ControlId::Exit);
    ClickOnMainPage(ControlId::MainEditor);
    board.cells[size_t(Cell(3, 1, 3))] = kindStartCube;
    board.cells[size_t(Cell(3, 2, 3))] = kindBomb;
    board.AddBall(kindBomb, Cell(3, 2, 3));
    board.balls[0].direction = int8_t(LaunchDirection::MinusZ);
    Click(ControlId::Roll);
    board.RemoveBall(0);
    Click(ControlId::Stop);
    EXPECT_EQ(std::tuple(gameScreen, board.ballCount, board.balls[0].direction),
              std::tuple(GameScreen::Editor, 1, int8_t(LaunchDirection::MinusZ)));
}

TEST_F(AppBackToMenu, ExitOrMenuShowThePuzzlesPageOfTheListOrTheMainPage) {
    OpenSamplePuzzle(23);
    Click(StockSlot(kindCornerFirst));
    Click(ControlId::Exit);  // the cursor is empty on the menu: the piece went back
    EXPECT_EQ(std::tuple(gameScreen, menuPage, currentPuzzle, heldKind, int(board.stock[kindCornerFirst])),
              std::tuple(GameScreen::MainMenu, MenuPage::PuzzleSelect, 20, 0, 1));
    OpenSamplePuzzle(42);
    RollSample();
    WinRun();
    Click(ControlId::DialogMenu);
    EXPECT_EQ(std::tuple(gameScreen, menuPage, currentPuzzle, dialogState, int(ballsAtTarget)),
              std::tuple(GameScreen::MainMenu, MenuPage::PuzzleSelect, 40, DialogState::None, 0));
    Click(ControlId::SelectBack);
    EXPECT_EQ(currentPuzzle, -1);
    ClickOnMainPage(ControlId::MainEditor);
    Click(ControlId::Exit);
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
            Click(ControlId::Exit);
            ClickOnMainPage(ControlId::MainLoad);
        }
        Click(ControlId::ToolSwap);
        Click(StockSlot(kindPlainCube));
        RollSample();
        const std::vector<int8_t> before = runStartBoard.cells;
        board.cells[size_t(Cell(3, 1, 3))] = 0;
        WinRun();
        Click(ControlId::DialogRetry);  // the piece held at the roll goes back to the stock
        EXPECT_EQ(board.cells, before);
        EXPECT_EQ(std::tuple(gameScreen, editTool, int(ballsAtTarget), dialogState, heldKind, int(board.stock[kindPlainCube])),
                  std::tuple(GameScreen::Play, EditTool::Build, 0, DialogState::None, 0, 2));
    }
}

}  // namespace
