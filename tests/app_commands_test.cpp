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

TEST_F(AppMenu, LoadOpensALevelFileForPlayAndABadOneChangesNothing) {
    ClickOnMainPage(ControlId::MainLoad);  // cancelled
    WriteText(Path("bad.tm3"), "TM30\xc8\x01\x01");
    dialogPath = Path("bad.tm3");
    ClickOnMainPage(ControlId::MainLoad);
    EXPECT_EQ(std::tuple(gameScreen, board.sizeX), std::tuple(GameScreen::MainMenu, 10));
    WriteLevel(Path("levels/my.first.tm3"), SamplePuzzle());
    dialogPath = Path("levels/my.first.tm3");
    ClickOnMainPage(ControlId::MainLoad);  // prepared for play, and kept as stored for the reset
    EXPECT_EQ(std::tuple(gameScreen, menuPage, levelName, int(board.stock[kindIronBall]), loadedBoard.ballCount),
              std::tuple(GameScreen::Play, MenuPage::FromPlay, std::string("my"), 1, 2));
    EXPECT_EQ(std::tuple(camera.cameraDistance, renderSuspended), std::tuple(12.0f, RenderState::Drawing));
}

TEST_F(AppMenu, ThePuzzleListPagesStopAtBothEndsAndARowStartsItsPuzzle) {
    ClickOnMainPage(ControlId::MainStart);
    EXPECT_EQ(std::tuple(menuPage, currentPuzzle), std::tuple(MenuPage::PuzzleSelect, 0));
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
    Command(Id(ControlId::PuzzleRowFirst) + 60);  // rows past the last puzzle do nothing
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_EQ(CountSound(SoundEffectId::Button), 6);
    Click(Id(ControlId::PuzzleRowFirst) + 44);  // no file: the list stays
    EXPECT_EQ(std::tuple(gameScreen, menuPage), std::tuple(GameScreen::MainMenu, MenuPage::PuzzleSelect));
    WritePuzzle(41, SamplePuzzle());
    Click(Id(ControlId::PuzzleRowFirst) + 41);
    EXPECT_EQ(std::tuple(gameScreen, currentPuzzle, levelName, int(board.stock[kindPlainCube])),
              std::tuple(GameScreen::Play, 41, std::string("s-kanyar"), 2));
}

// ---- Editor ----

class AppEditorCommands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
        ClickOnMainPage(ControlId::MainEditor);
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
    EXPECT_EQ(std::tuple(dialogState, dialogOpens.size()), std::tuple(DialogState::TestFirst, 0u));
    WindowProc(Message::Mouse(MessageType::MouseMove, 5, 5));
    EXPECT_EQ(dialogState, DialogState::TestFirst);  // stays until its OK
    Click(ControlId::DialogOk);
    EXPECT_EQ(std::tuple(dialogState, gameScreen), std::tuple(DialogState::None, GameScreen::Editor));
    TestSolve();
    Click(ControlId::GoalUp);  // the goal count is not an edit of the board
    Click(ControlId::EditorSave);
    EXPECT_EQ(dialogOpens, std::vector<bool>{false});  // the dialog to save
    EXPECT_EQ(std::tuple(std::filesystem::exists(Path("saved.tm3")), levelName), std::tuple(true, std::string("saved")));

    Click(StockSlot(kindPlainCube));
    PointAtFace(3, 0, 3, 0, 1, 0);
    Click(hoveredPick);
    Click(ControlId::EditorSave);
    EXPECT_EQ(dialogState, DialogState::TestFirst);
    Command(Id(ControlId::Exit));  // leaving, were it reached past the box, drops it
    EXPECT_EQ(std::tuple(gameScreen, dialogState), std::tuple(GameScreen::MainMenu, DialogState::None));
    ClickOnMainPage(ControlId::MainEditor);
    TestSolve();
    Click(ControlId::EditorLoad);  // cancelled, still cleared
    EXPECT_FALSE(levelTested);
    WriteLevel(Path("lvl.tm3"), SamplePuzzle());
    dialogPath = Path("lvl.tm3");
    Click(ControlId::EditorLoad);
    // The player's pieces stay visible.
    EXPECT_EQ(std::tuple(CellAt(board, 5, 1, 0), board.ballCount), std::tuple(kindPlainCube + cellPlayerPiece, 2));
}

// ---- Puzzle preparation ----

}  // namespace
