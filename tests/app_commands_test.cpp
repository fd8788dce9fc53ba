// The commands of the menus, the puzzle list, the editor and the puzzle
// preparation screen, clicked on the screen that offers them.
#include <filesystem>

#include "app_fixture.h"

namespace {

using apptest::AppTest;
using apptest::dialogOpens;
using apptest::dialogPath;

// ---- Main menu ----

class AppMainMenu : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
    }
};

TEST_F(AppMainMenu, TheMainPageButtonsOpenTheirPages) {
    Click(ControlId::MainStart);
    EXPECT_EQ(menuPage, MenuPage::PuzzleSelect);
    EXPECT_EQ(currentPuzzle, 0);
    menuPage = MenuPage::Main;
    Click(ControlId::MainHelp);
    EXPECT_EQ(menuPage, MenuPage::Help1);
    for (MenuPage page : {MenuPage::Help2, MenuPage::Help3, MenuPage::Help4, MenuPage::Main}) {
        Click(ControlId::HelpPage);
        EXPECT_EQ(menuPage, page);
    }
    EXPECT_EQ(CountSound(SoundEffectId::Button), 6);
    Click(ControlId::WebLine);  // no sound
    EXPECT_EQ(apptest::openedPages, std::vector<std::string>{publisherWebAddress});
    EXPECT_EQ(apptest::sounds.size(), 6u);
    Click(ControlId::MainExit);
    EXPECT_FALSE(windowOpen);
}

TEST_F(AppMainMenu, LoadOpensALevelFileForPlay) {
    WriteLevel(Path("levels/my.first.tm3"), SamplePuzzle());
    dialogPath = Path("levels/my.first.tm3");
    Click(ControlId::MainLoad);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(menuPage, MenuPage::FromPlay);
    EXPECT_EQ(levelName, "my");
    EXPECT_EQ(currentPuzzle, -1);
    EXPECT_EQ(board.stock[kindIronBall], 1);
    EXPECT_EQ(loadedBoard.ballCount, 2);  // as stored, for the reset
    EXPECT_EQ(camera.cameraDistance, 12.0f);
    EXPECT_EQ(renderSuspended, RenderState::Drawing);
}

TEST_F(AppMainMenu, ACancelledOrBadLoadChangesNothing) {
    Click(ControlId::MainLoad);  // cancelled
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    const uint8_t junk[] = {'T', 'M', '3', '0', 200, 1, 1, 0, 1};
    ASSERT_TRUE(WriteFileAtomically(Path("bad.tm3"), junk, sizeof junk));
    dialogPath = Path("bad.tm3");
    Click(ControlId::MainLoad);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(board.sizeX, 10);
}

// ---- Puzzle list ----

class AppPuzzleSelect : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
        Click(ControlId::MainStart);
        apptest::sounds.clear();
    }
};

TEST_F(AppPuzzleSelect, PagingStopsAtBothEndsWithoutASound) {
    Click(ControlId::SelectPageUp);
    EXPECT_EQ(currentPuzzle, 0);
    EXPECT_TRUE(apptest::sounds.empty());
    for (int page = 10; page <= 50; page += 10) {
        Click(ControlId::SelectPageDown);
        EXPECT_EQ(currentPuzzle, page);
    }
    EXPECT_EQ(CountSound(SoundEffectId::Button), 5);
    Click(ControlId::SelectPageDown);
    EXPECT_EQ(currentPuzzle, 50);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 5);
    Click(ControlId::SelectPageUp);
    EXPECT_EQ(currentPuzzle, 40);
    Click(ControlId::SelectBack);
    EXPECT_EQ(menuPage, MenuPage::Main);
    EXPECT_EQ(currentPuzzle, -1);
}

TEST_F(AppPuzzleSelect, ARowStartsItsPuzzle) {
    WritePuzzle(12, SamplePuzzle());
    Click(Id(ControlId::PuzzleRowFirst) + 60);  // rows past the last puzzle do nothing
    Click(Id(ControlId::PuzzleRowFirst) + 899);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_TRUE(apptest::sounds.empty());
    Click(ControlId::SelectPageDown);
    Click(Id(ControlId::PuzzleRowFirst) + 12);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(menuPage, MenuPage::FromPlay);
    EXPECT_EQ(currentPuzzle, 12);
    EXPECT_EQ(levelName, "sziget");
    EXPECT_EQ(editTool, EditTool::Build);
    EXPECT_EQ(board.stock[kindPlainCube], 2);
}

TEST_F(AppPuzzleSelect, AMissingPuzzleFileIsPlayedOnTheBoardAlreadyThere) {
    Click(Id(ControlId::PuzzleRowFirst) + 4);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(levelName, "bomba");
    EXPECT_EQ(board.sizeX, 10);
    Click(ControlId::Reset);
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Run);
}

TEST_F(AppPuzzleSelect, NextOpensTheFollowingUnsolvedPuzzleWrappingAround) {
    auto winAndNext = [this](int puzzle) {
        Click(Id(ControlId::PuzzleRowFirst) + puzzle);
        RollSample();
        WinRun();
        ASSERT_EQ(dialogState, DialogState::PuzzleSolved);
        Click(ControlId::DialogNext);
    };
    for (int i : {3, 8, 59}) WritePuzzle(i, SamplePuzzle());
    winAndNext(8);
    EXPECT_EQ(currentPuzzle, 9);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(ballsAtTarget, 0);
    EXPECT_EQ(dialogState, DialogState::None);
    for (int i = 0; i < builtInPuzzleCount; ++i) solvedFlags[i] = i != 3 && i != 59;
    solvedCount = 58;
    gameScreen = GameScreen::MainMenu;
    winAndNext(59);
    EXPECT_EQ(currentPuzzle, 3);
    EXPECT_EQ(levelName, "femgolyo");
}

// ---- Editor ----

class AppEditorCommands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
        Click(ControlId::MainEditor);
        apptest::sounds.clear();
    }
    void TestSolve() {
        Click(ControlId::Roll);
        ASSERT_EQ(gameScreen, GameScreen::Run);
        WinRun();
        Click(ControlId::DialogOk);
        ASSERT_EQ(gameScreen, GameScreen::Editor);
        ASSERT_EQ(dialogState, DialogState::None);  // cleared by the same click, the run being over
    }
};

TEST_F(AppEditorCommands, ANewLevelIsAnEmptyTenByTenByTenWithGoalOne) {
    EXPECT_EQ(gameScreen, GameScreen::Editor);
    EXPECT_EQ(menuPage, MenuPage::FromEditor);
    EXPECT_EQ(board.sizeX, 10);
    EXPECT_EQ(board.sizeY, 10);
    EXPECT_EQ(board.sizeZ, 10);
    EXPECT_EQ(board.goalCount, 1);
    EXPECT_EQ(board.ballCount, 0);
    EXPECT_EQ(camera.cameraDistance, 20.0f);
    EXPECT_EQ(camera.cameraPitch, 1.0f);
    EXPECT_FLOAT_EQ(camera.cameraYaw, 0.7853982f);
    EXPECT_TRUE(levelName.empty());
}

TEST_F(AppEditorCommands, TheGoalCountStaysWithinOneToTen) {
    Click(ControlId::GoalDown);
    EXPECT_EQ(board.goalCount, 1);
    EXPECT_TRUE(apptest::sounds.empty());
    for (int i = 0; i < 10; ++i) Click(ControlId::GoalUp);
    EXPECT_EQ(board.goalCount, 10);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 9);
    // A loaded level may ask for more: plus does nothing, minus brings it down.
    board.goalCount = 15;
    Click(ControlId::GoalUp);
    EXPECT_EQ(board.goalCount, 15);
    Click(ControlId::GoalDown);
    EXPECT_EQ(board.goalCount, 14);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 10);
}

TEST_F(AppEditorCommands, ChoosingDeleteReturnsTheHeldPieceAndSwapKeepsIt) {
    Click(StockSlot(kindMagnet));
    const int stock = board.stock[kindMagnet];
    Click(ControlId::ToolSwap);
    EXPECT_EQ(heldKind, kindMagnet);
    Click(ControlId::ToolDelete);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindMagnet], stock + 1);
    apptest::sounds.clear();
    Click(ControlId::ToolDelete);  // already chosen: no sound
    EXPECT_TRUE(apptest::sounds.empty());
    Click(ControlId::ToolStock);
    EXPECT_EQ(editTool, EditTool::Stock);
}

TEST_F(AppEditorCommands, SizeKeysStayWithinFiveToThirty) {
    board.cells[size_t(Cell(9, 1, 9))] = kindStartCube;
    board.cells[size_t(Cell(9, 2, 9))] = kindBomb;
    board.AddBall(kindBomb, Cell(9, 2, 9));
    Press(KeyCode::Digit1);
    EXPECT_EQ(board.ballCount, 0);  // shrinking drops the balls outside
    for (int i = 0; i < 30; ++i) Press(KeyCode::Digit1);
    EXPECT_EQ(board.sizeX, 5);
    for (int i = 0; i < 30; ++i) Press(KeyCode::Digit6);
    EXPECT_EQ(board.sizeZ, 30);
    Press(KeyCode::Digit2);
    Press(KeyCode::Digit5);
    EXPECT_EQ(board.sizeX, 6);
    EXPECT_EQ(board.sizeZ, 29);
    EXPECT_EQ(board.sizeY, 10);
    EXPECT_TRUE(apptest::sounds.empty());
    gameScreen = GameScreen::Play;
    Press(KeyCode::Digit2);
    EXPECT_EQ(board.sizeX, 6);
}

TEST_F(AppEditorCommands, SavingNeedsASuccessfulTestRunFirst) {
    dialogPath = Path("saved.tm3");
    Click(ControlId::EditorSave);
    EXPECT_EQ(dialogState, DialogState::TestFirst);
    EXPECT_TRUE(dialogOpens.empty());
    WindowProc(Message::Mouse(MessageType::MouseMove, 5, 5));
    EXPECT_EQ(dialogState, DialogState::TestFirst);  // stays until its OK
    Click(ControlId::DialogOk);
    EXPECT_EQ(dialogState, DialogState::None);
    EXPECT_EQ(gameScreen, GameScreen::Editor);
    TestSolve();
    Click(ControlId::GoalUp);  // the goal count is not an edit of the board
    Click(ControlId::EditorSave);
    ASSERT_EQ(dialogOpens.size(), 1u);
    EXPECT_FALSE(dialogOpens[0]);
    EXPECT_TRUE(std::filesystem::exists(Path("saved.tm3")));
    EXPECT_EQ(levelName, "saved");
    EXPECT_TRUE(levelTested);
}

TEST_F(AppEditorCommands, AnEditOrALoadAfterTheTestNeedsAnotherTest) {
    TestSolve();
    Click(StockSlot(kindPlainCube));
    PointAtFace(3, 0, 3, 0, 1, 0);
    Click(hoveredControl);
    Click(ControlId::EditorSave);
    EXPECT_EQ(dialogState, DialogState::TestFirst);
    Click(ControlId::DialogOk);
    TestSolve();
    Click(ControlId::EditorLoad);  // cancelled, still cleared
    EXPECT_FALSE(levelTested);
    WriteLevel(Path("lvl.tm3"), SamplePuzzle());
    dialogPath = Path("lvl.tm3");
    Click(ControlId::EditorLoad);
    EXPECT_EQ(board.sizeX, 6);
    EXPECT_EQ(CellAt(board, 5, 1, 0), kindPlainCube + cellPlayerPiece);  // the player's pieces stay visible
    EXPECT_EQ(board.ballCount, 2);
}

TEST_F(AppEditorCommands, LeavingTheEditorDropsTheTestFirstBox) {
    Click(ControlId::EditorSave);
    Click(ControlId::Exit);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(dialogState, DialogState::None);
}

TEST_F(AppEditorCommands, RollIsRefusedWhileABallHasNoDirection) {
    board.cells[size_t(Cell(3, 1, 3))] = kindStartCube;
    board.cells[size_t(Cell(3, 2, 3))] = kindBalloon;
    board.AddBall(kindBalloon, Cell(3, 2, 3));
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Editor);
    EXPECT_EQ(CountSound(SoundEffectId::RunStarted), 0);
    Click(Arrow(0, 2));
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Run);
    EXPECT_EQ(CountSound(SoundEffectId::RunStarted), 1);
    EXPECT_EQ(loadedBoard.ballCount, 1);
    EXPECT_EQ(board.balls[0].velocity.x, 4.8f);
}

TEST_F(AppEditorCommands, ResetGivesANewEmptyLevelOfTheFirstSize) {
    Press(KeyCode::Digit1);
    board.cells[size_t(Cell(2, 1, 2))] = kindMagnet;
    Click(ControlId::ToolSwap);
    Click(ControlId::Reset);
    EXPECT_EQ(board.sizeX, 10);
    EXPECT_EQ(CellAt(board, 2, 1, 2), 0);
    EXPECT_EQ(editTool, EditTool::Swap);
}

// ---- Puzzle preparation ----

class AppPlayCommands : public AppTest {};

TEST_F(AppPlayCommands, ResetPutsEveryPlacedPieceBackInTheStock) {
    OpenSamplePuzzle();
    Click(StockSlot(kindPlainCube));
    PointAtFace(2, 0, 2, 0, 1, 0);
    Click(hoveredControl);
    Click(StockSlot(kindCornerFirst));
    Click(ControlId::Reset);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindPlainCube], 2);
    EXPECT_EQ(board.stock[kindCornerFirst], 1);
    EXPECT_EQ(CellAt(board, 2, 1, 2), 0);
}

TEST_F(AppPlayCommands, TheCameraTurnsWithTheRightButtonWithinItsPitch) {
    gameScreen = GameScreen::MainMenu;
    WindowProc(Message::Mouse(MessageType::RightButtonDown, 100, 100));
    WindowProc(Message::Mouse(MessageType::MouseMove, 130, 1000));
    EXPECT_FLOAT_EQ(camera.cameraPitch, 1.5607964f);
    EXPECT_FLOAT_EQ(camera.cameraYaw, 0.3f);
    WindowProc(Message::Mouse(MessageType::MouseMove, 130, -2000));
    EXPECT_FLOAT_EQ(camera.cameraPitch, 0.1f);
    WindowProc(Message::Mouse(MessageType::RightButtonUp, 130, -2000));
    WindowProc(Message::Mouse(MessageType::MouseMove, 500, 500));
    EXPECT_FLOAT_EQ(camera.cameraPitch, 0.1f);
}

TEST_F(AppPlayCommands, TheCursorFollowsTheHeldPiece) {
    static std::vector<CursorId> cursors;
    cursors.clear();
    platformHooks.setCursor = [](CursorId id) { cursors.push_back(id); };
    OpenSamplePuzzle();
    Click(StockSlot(kindIronBall));
    Click(StockSlot(kindCornerFirst));
    Click(StockSlot(kindRampFirst + 1));
    Click(StockSlot(kindPlainCube));
    Click(-1);
    using C = CursorId;
    const std::vector<CursorId> expected = {C::Ball,  C::Ball,  C::Corner,  C::Corner,  C::Ramp,
                                            C::Ramp,  C::Block, C::Block,   C::Pointer, C::Pointer};
    EXPECT_EQ(cursors, expected);
}

TEST_F(AppPlayCommands, AClickActsOnWhatWasUnderThePointerBefore) {
    // The hit test runs after each mouse message; a click uses the earlier result.
    static int hoverCalls;
    hoverCalls = 0;
    platformHooks.updateHover = [] {
        ++hoverCalls;
        hoveredControl = Id(ControlId::MainHelp);
    };
    gameScreen = GameScreen::MainMenu;
    hoveredControl = Id(ControlId::MainStart);
    WindowProc(Message::Mouse(MessageType::LeftButtonDown, 0, 0));
    EXPECT_EQ(menuPage, MenuPage::PuzzleSelect);
    EXPECT_EQ(hoveredControl, Id(ControlId::MainHelp));
    EXPECT_EQ(hoverCalls, 1);
}

}  // namespace
