// Board editing through clicks: the placing rules of the editor and of play.
#include "app_fixture.h"

namespace {

using apptest::AppTest;

// ---- Play ----

class AppPlacePlay : public AppTest {
protected:
    // The sample puzzle with a second start cube carrying a plastic ball for the player.
    void OpenTwoBallPuzzle() {
        Board level = SamplePuzzle();
        level.cells[size_t(level.Index(5, 1, 5))] = kindStartCube;
        level.cells[size_t(level.Index(5, 2, 5))] = kindPlasticBall;
        level.AddBall(kindPlasticBall, level.Index(5, 2, 5));
        WritePuzzle(0, level);
        gameScreen = GameScreen::MainMenu;
        StartPuzzle(0);
    }
    void Take(int kind) {
        Click(StockSlot(kind));
        ASSERT_EQ(heldKind, kind);
    }
    // Clicks the top face of a cell.
    void ClickTop(int x, int y, int z) {
        PointAtFace(x, y, z, 0, 1, 0);
        Click(hoveredControl);
    }
};

TEST_F(AppPlacePlay, ThePuzzleStartsWithThePlayersPiecesInTheStock) {
    OpenSamplePuzzle();
    EXPECT_EQ(board.stock[kindPlainCube], 2);
    EXPECT_EQ(board.stock[kindCornerFirst], 1);
    EXPECT_EQ(board.stock[kindRampFirst + 1], 1);
    EXPECT_EQ(board.stock[kindGroundCube], 1);
    EXPECT_EQ(board.stock[kindStartCube], 1);
    EXPECT_EQ(board.stock[kindIronBall], 1);
    EXPECT_EQ(board.ballCount, 1);  // the fixed-position balloon
    EXPECT_EQ(CellAt(board, 1, 2, 1), 0);
}

TEST_F(AppPlacePlay, BuildingPutsTheHeldPieceOnTheFaceWhereItRestsOnSomething) {
    OpenSamplePuzzle();
    Take(kindPlainCube);
    ClickTop(2, 0, 2);
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindPlainCube + cellPlayerPiece);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindPlainCube], 1);
    Take(kindPlainCube);
    PointAtFace(2, 1, 2, 1, 0, 0);  // beside it, one layer up from the ground: rests on the ground
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    EXPECT_EQ(previewCell, Cell(3, 1, 2));
    ClickTop(2, 1, 2);  // on top of it
    EXPECT_EQ(CellAt(board, 2, 2, 2), kindPlainCube + cellPlayerPiece);
    Take(kindCornerFirst);
    PointAtFace(2, 2, 2, 1, 0, 0);  // beside the top one, over empty air
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    EXPECT_EQ(previewCell, -1);
    Click(hoveredControl);
    EXPECT_EQ(CellAt(board, 3, 2, 2), 0);
    EXPECT_EQ(heldKind, kindCornerFirst);
}

TEST_F(AppPlacePlay, NothingGoesOnSpikesTargetsOrAStartCubeButABall) {
    OpenSamplePuzzle();
    Take(kindCornerFirst);
    ClickTop(0, 1, 5);  // spike
    EXPECT_EQ(CellAt(board, 0, 2, 5), 0);
    ClickTop(4, 1, 4);  // target
    EXPECT_EQ(CellAt(board, 4, 2, 4), 0);
    ClickTop(1, 1, 1);  // start cube
    EXPECT_EQ(CellAt(board, 1, 2, 1), 0);
    EXPECT_EQ(heldKind, kindCornerFirst);
}

TEST_F(AppPlacePlay, ABallGoesOnlyOntoTheTopOfAStartCube) {
    OpenSamplePuzzle();
    Take(kindIronBall);
    PointAtFace(1, 1, 1, 1, 0, 0);  // the side face
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    EXPECT_EQ(previewCell, -1);
    ClickTop(3, 1, 3);  // the top of a plain cube
    EXPECT_EQ(board.ballCount, 1);
    ClickTop(1, 1, 1);
    EXPECT_EQ(board.ballCount, 2);
    EXPECT_EQ(CellAt(board, 1, 2, 1), kindIronBall);
    EXPECT_EQ(board.FindBallAtCell(Cell(1, 2, 1)), 1);
    EXPECT_EQ(board.balls[1].direction, int8_t(LaunchDirection::NoDirection));
    EXPECT_EQ(heldKind, 0);
}

TEST_F(AppPlacePlay, DeletingTakesBackOnlyThePlayersOwnFreePieces) {
    OpenSamplePuzzle();
    Take(kindPlainCube);
    ClickTop(2, 0, 2);
    Take(kindPlainCube);
    ClickTop(2, 1, 2);
    Click(ControlId::ToolDelete);
    Click(Cell(2, 1, 2));  // carries the other cube
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindPlainCube + cellPlayerPiece);
    Click(Cell(2, 2, 2));
    EXPECT_EQ(CellAt(board, 2, 2, 2), 0);
    EXPECT_EQ(board.stock[kindPlainCube], 1);
    Click(Cell(3, 1, 3));  // the puzzle's own cube
    EXPECT_EQ(CellAt(board, 3, 1, 3), kindPlainCube);
    Click(Cell(2, 0, 2));  // the ground
    EXPECT_EQ(CellAt(board, 2, 0, 2), kindGroundCube);
    Click(Cell(1, 1, 1));  // a start cube of the puzzle
    EXPECT_EQ(CellAt(board, 1, 1, 1), kindStartCube);
    Click(Cell(2, 2, 4));  // the puzzle's fixed ball: neither deleted nor swapped
    EXPECT_EQ(board.ballCount, 1);
    Click(ControlId::ToolSwap);
    Take(kindIronBall);
    Click(Cell(2, 2, 4));
    EXPECT_EQ(board.balls[0].kind, kindBalloon);
    EXPECT_EQ(heldKind, kindIronBall);
}

TEST_F(AppPlacePlay, APlacedBallCanBeDeletedButNotTheStartCubeUnderIt) {
    Board level = SamplePuzzle();
    level.cells[size_t(level.Index(1, 1, 1))] = kindStartCube + cellPlayerPiece;  // the start cube is the player's too
    WritePuzzle(0, level);
    gameScreen = GameScreen::MainMenu;
    StartPuzzle(0);
    Take(kindStartCube);
    ClickTop(1, 0, 1);
    Take(kindIronBall);
    ClickTop(1, 1, 1);
    ASSERT_EQ(board.ballCount, 2);
    Click(ControlId::ToolDelete);
    Click(Cell(1, 1, 1));
    EXPECT_EQ(KindOfValue(int8_t(CellAt(board, 1, 1, 1))), kindStartCube);
    Click(Cell(1, 2, 1));
    EXPECT_EQ(board.ballCount, 1);
    EXPECT_EQ(board.stock[kindIronBall], 1);
    Click(Cell(1, 1, 1));
    EXPECT_EQ(CellAt(board, 1, 1, 1), 0);
    EXPECT_EQ(board.stock[kindStartCube], 2);
}

TEST_F(AppPlacePlay, SwapExchangesTheHeldPieceWithThePlayersPiece) {
    OpenSamplePuzzle();
    Take(kindPlainCube);
    ClickTop(2, 0, 2);
    Click(ControlId::ToolSwap);
    Take(kindCornerFirst);
    Click(Cell(2, 1, 2));
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindCornerFirst + cellPlayerPiece);
    EXPECT_EQ(heldKind, kindPlainCube);
    // With nothing held the swap picks the piece up.
    Click(StockSlot(kindPlainCube));  // puts the held cube back
    ASSERT_EQ(heldKind, 0);
    Click(Cell(2, 1, 2));
    EXPECT_EQ(CellAt(board, 2, 1, 2), 0);
    EXPECT_EQ(heldKind, kindCornerFirst);
    // The puzzle's own pieces cannot be swapped.
    Click(Cell(3, 1, 3));
    EXPECT_EQ(CellAt(board, 3, 1, 3), kindPlainCube);
    EXPECT_EQ(heldKind, kindCornerFirst);
}

TEST_F(AppPlacePlay, SwappingOneBallForAnotherExchangesThemWithTheCursor) {
    OpenTwoBallPuzzle();
    Take(kindIronBall);
    ClickTop(1, 1, 1);
    ASSERT_EQ(CellAt(board, 1, 2, 1), kindIronBall);
    Click(ControlId::ToolSwap);
    Take(kindPlasticBall);
    Click(Cell(1, 2, 1));
    EXPECT_EQ(CellAt(board, 1, 2, 1), kindPlasticBall);
    EXPECT_EQ(board.balls[board.FindBallAtCell(Cell(1, 2, 1))].kind, kindPlasticBall);
    EXPECT_EQ(heldKind, kindIronBall);
    EXPECT_EQ(board.stock[kindIronBall], 0);
    EXPECT_EQ(board.stock[kindPlasticBall], 0);
    // Only a ball stands on a start cube: a cube is not swapped in for it.
    Click(StockSlot(kindIronBall));
    Take(kindPlainCube);
    Click(Cell(1, 2, 1));
    EXPECT_EQ(CellAt(board, 1, 2, 1), kindPlasticBall);
    EXPECT_EQ(heldKind, kindPlainCube);
}

TEST_F(AppPlacePlay, APlainCubeSwappedIntoTheGroundLayerStaysACube) {
    OpenSamplePuzzle();
    Take(kindGroundCube);
    PointAtFace(2, 0, 5, 1, 0, 0);  // the hole at (3, 0, 5) beside it
    Click(hoveredControl);
    ASSERT_EQ(CellAt(board, 3, 0, 5), kindGroundCube + cellPlayerPiece);
    Click(ControlId::ToolSwap);
    Take(kindPlainCube);
    Click(Cell(3, 0, 5));
    EXPECT_EQ(CellAt(board, 3, 0, 5), kindPlainCube + cellPlayerPiece);
    EXPECT_EQ(heldKind, kindGroundCube);
}

TEST_F(AppPlacePlay, StockSlotsTakeSwapAndPutBack) {
    OpenSamplePuzzle();
    Take(kindPlainCube);
    EXPECT_EQ(board.stock[kindPlainCube], 1);
    Click(StockSlot(kindCornerFirst));
    EXPECT_EQ(heldKind, kindCornerFirst);
    EXPECT_EQ(board.stock[kindPlainCube], 2);
    EXPECT_EQ(board.stock[kindCornerFirst], 0);
    Click(StockSlot(kindCornerFirst));
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindCornerFirst], 1);
    // An empty slot gives nothing: the puzzle gave no magnets.
    Take(kindPlainCube);
    Click(StockSlot(kindMagnet));
    EXPECT_EQ(heldKind, kindPlainCube);
    EXPECT_EQ(board.stock[kindMagnet], 0);
    // A click on empty space returns the held piece.
    Click(-1);
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindPlainCube], 2);
}

TEST_F(AppPlacePlay, LaunchArrowsChooseAndClearTheDirection) {
    OpenSamplePuzzle();
    ASSERT_EQ(board.balls[0].direction, int8_t(LaunchDirection::Unset));
    Click(Arrow(0, 0));  // the single arrow of a ball that must be given a direction
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::NoDirection));
    Click(Arrow(0, 1));
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::PlusZ));
    Click(Arrow(0, 1));
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::NoDirection));
    Click(Arrow(0, 3));
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::MinusZ));
    // A fixed ball shows no arrows in play: a stale click on one changes nothing.
    board.balls[0].lock = int8_t(BallLock::FixedBall);
    Click(Arrow(0, 3));
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::MinusZ));
}

TEST_F(AppPlacePlay, StaleHoversOutsideTheBoardAreHarmless) {
    OpenSamplePuzzle();
    for (int hovered : {board.cellCount, Arrow(5, 2), Arrow(24, 3), 9999, -7}) {
        Click(hovered);
        PlaceElement(kindIronBall, EditTool::Delete, PlacePass::Commit);
        PlaceElement(kindIronBall, EditTool::Swap, PlacePass::Commit);
    }
    EXPECT_EQ(board.ballCount, 1);
}

TEST_F(AppPlacePlay, NoBallStaysInTheCursorWhileAllBallSlotsAreTaken) {
    OpenSamplePuzzle();
    Take(kindIronBall);
    while (board.ballCount < maxBalls) board.AddBall(kindBomb, Cell(0, 3, 0));
    WindowProc(Message::Mouse(MessageType::MouseMove, 1, 1));
    EXPECT_EQ(heldKind, 0);
    EXPECT_EQ(board.stock[kindIronBall], 1);
}

// ---- Editor ----

class AppPlaceEditor : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        gameScreen = GameScreen::MainMenu;
        Click(ControlId::MainEditor);
    }
};

TEST_F(AppPlaceEditor, BuildingKeepsThePieceInTheCursorAndMayGoOnSpikes) {
    board.cells[size_t(Cell(4, 1, 4))] = kindSpikeCube;
    Click(StockSlot(kindCornerFirst));
    PointAtFace(4, 1, 4, 0, 1, 0);
    Click(hoveredControl);
    PointAtFace(2, 0, 2, 0, 1, 0);
    Click(hoveredControl);
    EXPECT_EQ(CellAt(board, 4, 2, 4), kindCornerFirst);  // no player flag in the editor
    EXPECT_EQ(CellAt(board, 2, 1, 2), kindCornerFirst);
    EXPECT_EQ(heldKind, kindCornerFirst);
}

TEST_F(AppPlaceEditor, ThePlainCubeMakesAHoleInTheGround) {
    board.cells[size_t(Cell(4, 0, 4))] = kindGroundCube + cellPlayerPiece;
    Click(ControlId::ToolSwap);
    Click(StockSlot(kindPlainCube));
    Click(Cell(4, 0, 4));
    EXPECT_EQ(CellAt(board, 4, 0, 4), 0);
    Click(Cell(5, 0, 4));  // an empty ground cell stays empty
    EXPECT_EQ(CellAt(board, 5, 0, 4), 0);
    Click(StockSlot(kindGroundCube));
    Click(Cell(5, 0, 4));  // and a ground cube fills it
    EXPECT_EQ(CellAt(board, 5, 0, 4), kindGroundCube);
}

TEST_F(AppPlaceEditor, TheStockToolMarksThePlayersPieces) {
    board.cells[size_t(Cell(2, 1, 2))] = kindPlainCube;
    board.cells[size_t(Cell(3, 1, 3))] = kindTargetCube;
    board.cells[size_t(Cell(1, 1, 1))] = kindStartCube;
    board.cells[size_t(Cell(1, 2, 1))] = kindBomb;
    board.AddBall(kindBomb, Cell(1, 2, 1));
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
    EXPECT_EQ(board.balls[0].direction, int8_t(LaunchDirection::NoDirection));
}

TEST_F(AppPlaceEditor, ABallSwapGivesTheReplacedKindAndItsStartCubeStays) {
    board.cells[size_t(Cell(1, 1, 1))] = kindStartCube;
    board.cells[size_t(Cell(1, 2, 1))] = kindBomb;
    board.AddBall(kindBomb, Cell(1, 2, 1));
    Click(ControlId::ToolSwap);
    Click(StockSlot(kindBalloon));
    Click(Cell(1, 2, 1));
    EXPECT_EQ(board.balls[0].kind, kindBalloon);
    EXPECT_EQ(heldKind, kindBomb);
    Click(ControlId::ToolDelete);
    Click(Cell(1, 1, 1));
    EXPECT_EQ(CellAt(board, 1, 1, 1), kindStartCube);
    Click(Cell(1, 2, 1));
    EXPECT_EQ(board.ballCount, 0);
    Click(Cell(1, 1, 1));
    EXPECT_EQ(CellAt(board, 1, 1, 1), 0);
}

TEST_F(AppPlaceEditor, EditsClearTheTestButTheStockToolDoesNot) {
    levelTested = true;
    Click(ControlId::ToolStock);
    board.cells[size_t(Cell(2, 1, 2))] = kindPlainCube;
    Click(Cell(2, 1, 2));
    EXPECT_TRUE(levelTested);
    Click(ControlId::ToolDelete);
    Click(Cell(7, 7, 7));  // an edit that does nothing still counts
    EXPECT_FALSE(levelTested);
}

TEST_F(AppPlaceEditor, TheTopFaceWinsAndEdgeFacesGiveNothing) {
    PointAtFace(0, 0, 0, -1, 0, 0);  // the -x face of a corner cell: no neighbour
    EXPECT_EQ(HitFaceOffset(), 0);
    PointAtFace(4, 3, 4, 0, 1, 0);
    pickEntryPoint.x = pickBoxMin.x + 1.0f;  // on the top and +x edge
    EXPECT_EQ(HitFaceOffset(), board.sizeX);
    PointAtFace(4, 3, 4, 0, 0, 1);
    EXPECT_EQ(HitFaceOffset(), board.sizeX * board.sizeY);
    PointAtFace(4, 3, 4, 0, -1, 0);
    EXPECT_EQ(HitFaceOffset(), -board.sizeX);
    PointAtFace(4, 3, 4, 0, 0, 0);  // inside the box
    EXPECT_EQ(HitFaceOffset(), 0);
}

}  // namespace
