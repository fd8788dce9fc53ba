// Faults found in review of the editor and the result box, each with the
// path a player took to meet it.
#include "tests/app_fixture.h"

namespace apptest {
namespace {

class AppMends : public AppTest {
protected:
    // The editor with a level of the given size loaded through the dialog.
    void EditLevel(int x, int y, int z) {
        gameScreen = GameScreen::MainMenu;
        ClickOnMainPage(ControlId::MainEditor);
        WriteLevel(Path("level.tm3"), Board(x, y, z));
        dialogPath = Path("level.tm3");
        Click(ControlId::EditorLoad);
        ASSERT_EQ(board.cellCount, x * y * z);
    }
};

TEST_F(AppMends, AResizeForgetsWhatThePointerWasOverForTheOldSize) {
    static int hoverUpdates;
    hoverUpdates = 0;
    EditLevel(10, 10, 10);
    heldKind = kindPlainCube;
    PointAtFace(9, 0, 9, 0, 1, 0);  // the top of the last ground cell
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    ASSERT_NE(previewCell, -1);

    Press(KeyCode::Digit1);  // 9 x 10 x 10: the old index is another cell now
    ASSERT_EQ(board.sizeX, 9);
    EXPECT_EQ(HoveredNumber(), -1);
    EXPECT_EQ(previewCell, -1);
    const std::vector<int8_t> before = board.cells;
    WindowProc(Message::Mouse(MessageType::LeftButtonDown, 10, 10));  // no move since the key
    EXPECT_EQ(board.cells, before);

    // With a window layer the hover is looked up again at once.
    platformHooks.updateHover = [] { ++hoverUpdates; };
    Press(KeyCode::Digit2);
    EXPECT_EQ(hoverUpdates, 1);
}

TEST_F(AppMends, SizeKeysStopWhereTheLevelReaderStops) {
    EditLevel(100, 10, 9);            // 9000 cells
    Press(KeyCode::Digit6);           // 10000 would reach the controls' ids
    EXPECT_EQ(board.sizeZ, 9);
    Press(KeyCode::Digit5);           // smaller is always fine
    EXPECT_EQ(board.sizeZ, 8);
    Press(KeyCode::Digit6);
    EXPECT_EQ(board.sizeZ, 9);

    // Whatever the keys allowed can be saved and loaded again.
    levelTested = true;
    dialogPath = Path("saved.tm3");
    Click(ControlId::EditorSave);
    Board again(1, 1, 1);
    OrbitCamera view;
    std::string name;
    EXPECT_TRUE(ReadLevelFile(dialogPath, true, again, view, name));
}

TEST_F(AppMends, TheEditorsTestRunHasNoRetryAndNoNextPuzzle) {
    // A puzzle run leaves its snapshot behind.
    OpenSamplePuzzle();
    RollSample();
    Click(ControlId::Stop);
    Click(ControlId::Exit);

    EditLevel(7, 3, 7);
    board.cells[size_t(board.Index(3, 1, 3))] = kindPlainCube;
    const std::vector<int8_t> level = board.cells;
    Click(ControlId::Roll);
    ASSERT_EQ(gameScreen, GameScreen::Run);
    for (DialogState dialog : {DialogState::None, DialogState::TestSolved}) {
        dialogState = dialog;
        Command(Id(ControlId::DialogRetry));  // neither is drawn: the game's guard
        Command(Id(ControlId::DialogNext));
        EXPECT_EQ(gameScreen, GameScreen::Run);
        EXPECT_EQ(menuPage, MenuPage::FromEditor);
        EXPECT_EQ(board.cells, level);
    }
}

TEST_F(AppMends, AFailedSaveIsToldAndTheOldFileStays) {
    static std::vector<std::string> messages;
    messages.clear();
    platformHooks.showMessage = [](const char*, const char* text) { messages.emplace_back(text); };
    EditLevel(6, 2, 6);
    levelTested = true;

    dialogPath = Path("no/such/folder/level.tm3");
    Click(ControlId::EditorSave);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(dialogPath), std::string::npos);

    // A folder where the level would go: told, and the folder stays as it was,
    // with no temporary file left beside it.
    std::filesystem::create_directories(Path("taken.tm3/inside"));
    dialogPath = Path("taken.tm3");
    Click(ControlId::EditorSave);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(Path("taken.tm3/inside")));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    // A good save says nothing.
    dialogPath = Path("other.tm3");
    Click(ControlId::EditorSave);
    EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace apptest
