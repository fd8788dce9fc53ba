// Board editing through clicks: the placing rules of play and of the editor.
#include "app_fixture.h"

namespace {

using apptest::AppTest;

// ---- Play ----

class AppPlacePlay : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        OpenSamplePuzzle();
    }
    void Take(int kind) {
        Click(StockSlot(kind));
        ASSERT_EQ(heldKind, kind);
    }
    // Clicks the top face of a cell.
    void ClickTop(int x, int y, int z) {
        PointAtFace(x, y, z, 0, 1, 0);
        Click(hoveredPick);
    }
    // The cell the held piece would go to from this face; -1 none.
    int Preview(int x, int y, int z, int faceX, int faceY, int faceZ) {
        PointAtFace(x, y, z, faceX, faceY, faceZ);
        PlaceElement(heldKind, editTool, PlacePass::Preview);
        return previewCell;
    }
};

// A piece rests on the ground layer or on another piece, never on a spike, a
// target or (unless it is a ball) a start cube; a ball only on the top of a
// start cube.
TEST_F(AppPlacePlay, BuildingPutsTheHeldPieceWhereItRestsOnSomething) {
    Take(kindPlainCube);
    ClickTop(2, 0, 2);
    EXPECT_EQ(std::tuple(CellAt(board, 2, 1, 2), heldKind, int(board.stock[kindPlainCube])),
              std::tuple(kindPlainCube + cellPlayerPiece, 0, 1));
    Take(kindCornerFirst);
    EXPECT_EQ(Preview(2, 1, 2, 1, 0, 0), Cell(3, 1, 2));  // beside it, on the ground
    EXPECT_EQ(Preview(2, 1, 2, 0, 1, 0), Cell(2, 2, 2));  // on top of it
    for (auto [x, z] : {std::pair{0, 5}, {4, 4}, {1, 1}}) EXPECT_EQ(Preview(x, 1, z, 0, 1, 0), -1) << x << z;
    ClickTop(2, 1, 2);
    Take(kindPlainCube);
    EXPECT_EQ(Preview(2, 2, 2, 1, 0, 0), -1);  // over empty air
    EXPECT_EQ(Preview(2, 2, 2, 0, -1, 0), -1);  // taken
    EXPECT_EQ(Preview(3, 0, 5, 0, 0, 0), -1);   // inside the hole's box: no face

    Click(StockSlot(kindPlainCube));
    Take(kindIronBall);
    EXPECT_EQ(Preview(1, 1, 1, 1, 0, 0), -1);  // a start cube's side
    ClickTop(3, 1, 3);
    EXPECT_EQ(board.ballCount, 1);
    ClickTop(1, 1, 1);
    EXPECT_EQ(std::tuple(board.ballCount, CellAt(board, 1, 2, 1), board.FindBallAtCell(Cell(1, 2, 1)), heldKind),
              std::tuple(2, kindIronBall, 1, 0));
    Click(Cell(2, 2, 2));  // with nothing held, building picks the piece up
    EXPECT_EQ(heldKind, kindCornerFirst);
}

TEST_F(AppPlacePlay, StockSlotsTakeSwapAndPutBack) {
    Take(kindPlainCube);
    Click(StockSlot(kindCornerFirst));
    EXPECT_EQ(std::tuple(heldKind, int(board.stock[kindPlainCube]), int(board.stock[kindCornerFirst])),
              std::tuple(kindCornerFirst, 2, 0));
    Click(StockSlot(kindCornerFirst));
    EXPECT_EQ(std::tuple(heldKind, int(board.stock[kindCornerFirst])), std::tuple(0, 1));
    Take(kindPlainCube);
    Click(StockSlot(kindMagnet));  // an empty slot gives nothing
    EXPECT_EQ(heldKind, kindPlainCube);
    Click(-1);  // a click on empty space returns the held piece
    EXPECT_EQ(std::tuple(heldKind, int(board.stock[kindPlainCube])), std::tuple(0, 2));
    // No ball stays in the cursor while every ball slot is taken.
    Take(kindIronBall);
    while (board.ballCount < maxBalls) board.AddBall(kindBomb, Cell(0, 3, 0));
    WindowProc(Message::Mouse(MessageType::MouseMove, 1, 1));
    EXPECT_EQ(std::tuple(heldKind, int(board.stock[kindIronBall])), std::tuple(0, 1));
}

TEST_F(AppPlacePlay, LaunchArrowsChooseAndClearTheDirectionAndStaleHoversAreHarmless) {
    ASSERT_EQ(board.balls[0].direction, int8_t(LaunchDirection::Unset));
    const LaunchDirection after[] = {LaunchDirection::NoDirection, LaunchDirection::PlusZ,
                                     LaunchDirection::NoDirection, LaunchDirection::MinusZ};
    const int arrows[] = {0, 1, 1, 3};
    for (int i = 0; i < 4; ++i) {
        Click(Arrow(0, arrows[i]));
        EXPECT_EQ(board.balls[0].direction, int8_t(after[i])) << i;
    }
    // A fixed ball shows no arrows in play: a stale click on one changes nothing.
    board.balls[0].lock = int8_t(BallLock::FixedBall);
    Click(Arrow(0, 3));
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::MinusZ));
    for (int hovered : {board.cellCount, Arrow(1, 0), Arrow(24, 3), 9999, -7}) {
        Click(hovered);
        PlaceElement(kindIronBall, EditTool::Delete, PlacePass::Commit);
        PlaceElement(kindIronBall, EditTool::Swap, PlacePass::Commit);
    }
    EXPECT_EQ(board.ballCount, 1);
}

// ---- Editor ----

class AppPlaceEditor : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
        ClickOnMainPage(ControlId::MainEditor);
    }
};

TEST_F(AppPlaceEditor, TheStockToolMarksThePlayersPiecesAndTheBallsLocks) {
    board.cells[size_t(Cell(2, 1, 2))] = kindPlainCube;
    board.cells[size_t(Cell(3, 1, 3))] = kindTargetCube;
    board.cells[size_t(Cell(1, 1, 1))] = kindStartCube;
    board.cells[size_t(Cell(1, 2, 1))] = kindBomb;
    board.AddBall(kindBomb, Cell(1, 2, 1));
    board.AddBall(kindBalloon, Cell(5, 2, 5));
    levelTested = true;
    Click(ControlId::ToolStock);
    Click(Cell(2, 1, 2));
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindPlainCube + cellPlayerPiece);
    Click(Cell(2, 1, 2));
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindPlainCube);
    Click(Cell(3, 1, 3));  // targets stay the puzzle's
    EXPECT_EQ(CellAt(board, 3, 1, 3), kindTargetCube);
    Click(Cell(1, 2, 1));  // a ball is marked by its lock, not its cell
    EXPECT_EQ(CellAt(board, 1, 2, 1), kindBomb);
    for (int lock : {1, 2, 0}) {
        Click(Arrow(0, 2));
        EXPECT_EQ(board.balls[0].lock, lock);
    }
    EXPECT_EQ(board.balls[1].lock, 0);
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::NoDirection));
    EXPECT_TRUE(levelTested);  // marking is no edit
    Click(ControlId::ToolDelete);
    Click(Cell(7, 7, 7));  // an edit that does nothing still counts
    EXPECT_FALSE(levelTested);
    board.balls[0].lock = int8_t(BallLock::FixedBall);
    Click(Arrow(0, 2));  // the editor turns a fixed ball too
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::PlusX));

    // A ball swapped for another kind; its start cube stays while it stands there.
    Click(ControlId::ToolSwap);
    Click(StockSlot(kindBalloon));
    Click(Cell(1, 2, 1));
    EXPECT_EQ(board.balls[0].kind, kindBalloon);
    EXPECT_EQ(heldKind, kindBomb);
    Click(StockSlot(kindPlainCube));
    Click(Cell(1, 1, 1));  // neither swapped nor deleted under its ball
    Click(ControlId::ToolDelete);
    Click(Cell(1, 1, 1));
    EXPECT_EQ(CellAt(board, 1, 1, 1), kindStartCube);
    Click(Cell(1, 2, 1));
    Click(Cell(1, 1, 1));
    EXPECT_EQ(CellAt(board, 1, 1, 1), 0);
    EXPECT_EQ(board.ballCount, 1);
}

// Undo and redo through the keys, on the goal count's buttons (the board's
// pieces are put down and taken back with the pointer in the end-to-end
// test): Ctrl+Z takes a step back, Ctrl+Y and Ctrl+Shift+Z do it again, a new
// change forgets what was undone, the oldest steps go past the limit, and a
// run starts afresh.
TEST_F(AppPlaceEditor, UndoAndRedoWalkTheClicksBackAndForth) {
    auto press = [](KeyCode key, bool shift = false) { WindowProc(Message::CtrlKey(key, shift)); };
    for (int i = 0; i < 3; ++i) Click(ControlId::GoalUp);
    ASSERT_EQ(board.goalCount, 4);
    for (int i = 0; i < 4; ++i) press(KeyCode::Z);  // the last one finds nothing left
    EXPECT_EQ(std::tuple(int(board.goalCount), UndoSteps(), RedoSteps()), std::tuple(1, 0, 3));
    press(KeyCode::Y);
    press(KeyCode::Z, true);
    EXPECT_EQ(board.goalCount, 3);
    Click(ControlId::GoalDown);
    EXPECT_EQ(RedoSteps(), 0) << "a new change forgets the steps undone";

    for (int i = 0; i < editHistorySteps + 20; ++i) Click(ControlId::GoalUp), Click(ControlId::GoalDown);
    EXPECT_EQ(UndoSteps(), editHistorySteps);
    Click(ControlId::Roll);
    ASSERT_EQ(gameScreen, GameScreen::Run);
    EXPECT_EQ(UndoSteps(), 0);
}

}  // namespace
