// The commands of the menus, the puzzle list, the editor and the puzzle
// preparation screen, clicked on the screen that offers them.
#include <filesystem>

#include "app_fixture.h"

namespace {

using apptest::AppTest;
using apptest::dialogOpens;
using apptest::dialogPath;

// ---- Main menu and puzzle list ----

class AppMenu : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
    }
};

TEST_F(AppMenu, TheMainPageButtonsOpenTheirPages) {
    Click(ControlId::MainHelp);
    EXPECT_EQ(menuPage, MenuPage::Help1);
    for (MenuPage page : {MenuPage::Help2, MenuPage::Help3, MenuPage::Help4, MenuPage::Main}) {
        Click(ControlId::HelpPage);
        EXPECT_EQ(menuPage, page);
    }
    Click(ControlId::WebLine);
    EXPECT_EQ(apptest::openedPages, std::vector<std::string>{publisherWebAddress});
    EXPECT_EQ(CountSound(SoundEffectId::Button), 5);
    Click(ControlId::MainExit);
    EXPECT_FALSE(windowOpen);
}

TEST_F(AppMenu, LoadOpensALevelFileForPlayAndABadOneChangesNothing) {
    Click(ControlId::MainLoad);  // cancelled
    WriteText(Path("bad.tm3"), "TM30\xc8\x01\x01");
    dialogPath = Path("bad.tm3");
    Click(ControlId::MainLoad);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(board.sizeX, 10);
    WriteLevel(Path("levels/my.first.tm3"), SamplePuzzle());
    dialogPath = Path("levels/my.first.tm3");
    Click(ControlId::MainLoad);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(menuPage, MenuPage::FromPlay);
    EXPECT_EQ(levelName, "my");
    EXPECT_EQ(board.stock[kindIronBall], 1);
    EXPECT_EQ(loadedBoard.ballCount, 2);  // as stored, for the reset
    EXPECT_EQ(camera.cameraDistance, 12.0f);
    EXPECT_EQ(renderSuspended, RenderState::Drawing);
}

TEST_F(AppMenu, ThePuzzleListPagesStopAtBothEndsAndARowStartsItsPuzzle) {
    Click(ControlId::MainStart);
    EXPECT_EQ(menuPage, MenuPage::PuzzleSelect);
    EXPECT_EQ(currentPuzzle, 0);
    apptest::sounds.clear();
    Click(ControlId::SelectPageUp);
    EXPECT_EQ(currentPuzzle, 0);
    for (int page : {10, 20, 30, 40, 50, 50}) {
        Click(ControlId::SelectPageDown);
        EXPECT_EQ(currentPuzzle, page);
    }
    EXPECT_EQ(CountSound(SoundEffectId::Button), 5);
    Click(ControlId::SelectPageUp);
    EXPECT_EQ(currentPuzzle, 40);
    Click(Id(ControlId::PuzzleRowFirst) + 60);  // rows past the last puzzle do nothing
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 6);
    Click(Id(ControlId::PuzzleRowFirst) + 4);  // no file: played on the board already there, by its name
    EXPECT_EQ(levelName, "bomba");
    Click(ControlId::Exit);
    WritePuzzle(12, SamplePuzzle());
    Click(Id(ControlId::PuzzleRowFirst) + 12);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_EQ(currentPuzzle, 12);
    EXPECT_EQ(levelName, "sziget");
    EXPECT_EQ(board.stock[kindPlainCube], 2);
}

TEST_F(AppMenu, NextOpensTheFollowingUnsolvedPuzzleWrappingAround) {
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

TEST_F(AppEditorCommands, GoalCountToolsAndSizeKeysStayWithinTheirLimits) {
    Click(ControlId::GoalDown);
    for (int i = 0; i < 10; ++i) Click(ControlId::GoalUp);
    EXPECT_EQ(board.goalCount, 10);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 9);
    board.goalCount = 15;  // a loaded level may ask for more: minus brings it down
    Click(ControlId::GoalUp);
    Click(ControlId::GoalDown);
    EXPECT_EQ(board.goalCount, 14);

    Click(StockSlot(kindMagnet));
    const int stock = board.stock[kindMagnet];
    Click(ControlId::ToolSwap);
    EXPECT_EQ(heldKind, kindMagnet);
    Click(ControlId::ToolStock);
    EXPECT_EQ(heldKind, 0);  // these tools work on the board: the cursor goes empty
    EXPECT_EQ(board.stock[kindMagnet], stock + 1);
    apptest::sounds.clear();
    Click(ControlId::ToolStock);  // already chosen: no sound
    EXPECT_TRUE(apptest::sounds.empty());

    board.cells[size_t(Cell(9, 1, 9))] = kindStartCube;
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
    gameScreen = GameScreen::Play;
    Press(KeyCode::Digit2);
    EXPECT_EQ(board.sizeX, 6);
}

TEST_F(AppEditorCommands, SavingNeedsASuccessfulTestRunSinceTheLastEditOrLoad) {
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

    Click(StockSlot(kindPlainCube));
    PointAtFace(3, 0, 3, 0, 1, 0);
    Click(hoveredControl);
    Click(ControlId::EditorSave);
    EXPECT_EQ(dialogState, DialogState::TestFirst);
    Click(ControlId::Exit);  // leaving drops the box
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(dialogState, DialogState::None);
    Click(ControlId::MainEditor);
    TestSolve();
    Click(ControlId::EditorLoad);  // cancelled, still cleared
    EXPECT_FALSE(levelTested);
    WriteLevel(Path("lvl.tm3"), SamplePuzzle());
    dialogPath = Path("lvl.tm3");
    Click(ControlId::EditorLoad);
    EXPECT_EQ(CellAt(board, 5, 1, 0), kindPlainCube + cellPlayerPiece);  // the player's pieces stay visible
    EXPECT_EQ(board.ballCount, 2);
}

TEST_F(AppEditorCommands, RollWaitsForEveryDirectionAndResetGivesAnEmptyLevel) {
    board.cells[size_t(Cell(3, 1, 3))] = kindStartCube;
    board.cells[size_t(Cell(3, 2, 3))] = kindBalloon;
    board.AddBall(kindBalloon, Cell(3, 2, 3));
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Editor);
    EXPECT_EQ(CountSound(SoundEffectId::RunStarted), 0);
    Click(Arrow(0, 0));  // the first arrow, right after the stock slots
    EXPECT_EQ(heldKind, 0);
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Run);
    EXPECT_EQ(loadedBoard.ballCount, 1);
    EXPECT_EQ(board.balls[0].velocity.x, -4.8f);
    Click(ControlId::Stop);
    Press(KeyCode::Digit1);
    Click(ControlId::ToolSwap);
    Click(StockSlot(kindMagnet));
    Click(ControlId::Reset);
    EXPECT_EQ(board.sizeX, 10);
    EXPECT_EQ(CellAt(board, 3, 1, 3), 0);
    EXPECT_EQ(board.ballCount, 0);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(editTool, EditTool::Swap);
}

// ---- Puzzle preparation ----

TEST_F(AppTest, ResetPutsEveryPlacedPieceBackInTheStock) {
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

}  // namespace
