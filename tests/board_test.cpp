// Board operations, cell readers and the preparation of a puzzle for play.
#include <gtest/gtest.h>

#include "board/placing.h"
#include "tests/test_support.h"

namespace {

TEST(BoardReaders, KindsAsStoredAndAsTheBallsCollideWithThem) {
    Board board = FloorBoard(5, 3, 6);  // a hole in its ground layer is still ground to a ball
    struct Case { int x, y, z, stored, kind, solid; };
    const Case cases[] = {
        {2, 0, 2, kindEmpty, kindEmpty, kindGroundCube},   {2, -4, 2, kindEmpty, kindGroundCube, kindGroundCube},
        {-1, 1, 2, kindEmpty, kindGroundCube, kindGroundCube}, {5, 1, 2, kindEmpty, kindGroundCube, kindGroundCube},
        {2, 1, -1, kindEmpty, kindGroundCube, kindGroundCube}, {2, 1, 6, kindEmpty, kindGroundCube, kindGroundCube},
        {2, 3, 2, kindEmpty, kindGroundCube, kindEmpty},   // the air above the board
        {2, 29, 2, kindEmpty, kindGroundCube, kindEmpty},  // up to ten times its height
        {2, 30, 2, kindEmpty, kindGroundCube, kindGroundCube},
        {1, 2, 3, kindMagnet + cellPlayerPiece, kindMagnet, kindPlainCube},
        {1, 1, 1, kindStartCube, kindStartCube, kindPlainCube}, {1, 1, 1, kindSpringCube, kindSpringCube, kindPlainCube},
        {1, 1, 1, kindBalloon, kindBalloon, kindEmpty},     {1, 1, 1, kindBomb, kindBomb, kindEmpty},
        {1, 1, 1, kindCornerLast + cellPlayerPiece, kindCornerLast, kindCornerLast},
        {1, 1, 1, kindRampLast, kindRampLast, kindRampLast},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << "," << c.z << " holding " << c.stored);
        if (board.Contains(c.x, c.y, c.z)) SetCell(board, c.x, c.y, c.z, c.stored);
        EXPECT_EQ(KindAtOrGround(board, c.x, c.y, c.z), c.kind);
        EXPECT_EQ(CollisionKindAt(board, c.x, c.y, c.z), c.solid);
    }
}

TEST(BoardBalls, AddFindRemoveKeepTheOrder) {
    Board board(10, 4, 6);
    ASSERT_TRUE(board.AddBall(kindIronBall, board.Index(1, 1, 2)));
    ASSERT_TRUE(board.AddBall(kindBomb, board.Index(3, 2, 4)));
    ASSERT_TRUE(board.AddBall(kindBalloon, board.Index(5, 3, 5)));
    const Vec3 placed = board.balls[1].position;
    EXPECT_EQ((std::vector{placed.x, placed.y, placed.z}), (std::vector{108.0f, 78.0f, 144.0f}));  // y: 1/12 above the centre
    EXPECT_EQ(board.FindBallAtCell(board.Index(3, 2, 4)), 1);
    EXPECT_EQ(board.FindBallAtCell(board.Index(3, 1, 4)), 3);  // none: ballCount
    board.balls[2].position.y += 0.001f;                      // a ball that has moved
    EXPECT_EQ(board.FindBallAtCell(board.Index(5, 3, 5)), 3);
    board.SetBallKindAtCell(kindPlasticBall, board.Index(3, 2, 4));
    board.RemoveBallAtCell(board.Index(1, 1, 2));
    board.RemoveBallAtCell(board.Index(0, 0, 0));  // nothing there
    ASSERT_EQ(board.ballCount, 2);
    EXPECT_EQ((std::vector<int>{board.balls[0].kind, board.balls[1].kind}), (std::vector{kindPlasticBall, kindBalloon}));
    EXPECT_EQ(board.balls[0].position.z, 144.0f);

    // The hundred-and-first ball is refused.
    while (board.ballCount < maxBalls) ASSERT_TRUE(board.AddBall(kindBalloon, board.ballCount));
    EXPECT_FALSE(board.AddBall(kindBomb, 5));
    EXPECT_EQ(board.ballCount, maxBalls);
}

TEST(BoardBalls, CopyTakesTheBoardButNotTheRunValues) {
    Board from = SamplePuzzle();
    from.balls[1].restitution = 0.6f;
    from.balls[1].direction = static_cast<int8_t>(LaunchDirection::MinusZ);
    from.goalCount = 4;
    from.stock[kindMagnet] = 2;
    Board to(10, 10, 10);
    to.CopyFrom(from);
    EXPECT_EQ(to.cells, from.cells);
    EXPECT_EQ(to.cellCount, 144);
    EXPECT_EQ(to.goalCount, 4);
    EXPECT_EQ(to.stock[kindMagnet], 2);
    ASSERT_EQ(to.ballCount, 2);
    EXPECT_EQ(to.balls[1].direction, static_cast<int8_t>(LaunchDirection::MinusZ));
    EXPECT_EQ(to.balls[1].restitution, 0.9f);
    to.Clear();
    EXPECT_EQ(to.cells, std::vector<int8_t>(144, 0));
}

TEST(BoardPrepare, PlayerPiecesGoToTheStockAndTheRunValuesAreReset) {
    Board board = FloorBoard(6, 3, 6);
    for (auto [x, value] : {std::pair{0, kindPlainCube + cellPlayerPiece}, {1, kindPlainCube + cellPlayerPiece},
                            {2, kindRampFirst + 1 + cellPlayerPiece}, {3, kindTargetCube}, {4, cellPlayerPiece}})
        SetCell(board, x, 1, 0, value);  // the last a flagged empty cell
    const int locks[] = {0, 0, 1, 2};
    for (int x = 1; x <= 4; ++x) {
        SetCell(board, x, 1, 3, kindStartCube);
        SetCell(board, x, 2, 3, kindBalloon + x - 1);
        board.AddBall(kindBalloon + x - 1, board.Index(x, 2, 3));
        board.balls[x - 1].lock = static_cast<int8_t>(locks[x - 1]);
        board.balls[x - 1].direction = static_cast<int8_t>(LaunchDirection::PlusX);
    }
    board.stock[kindMagnet] = 9;  // stale stock is replaced
    board.PrepareForPlay();
    const int8_t* stock = board.stock;
    EXPECT_EQ((std::vector{stock[kindPlainCube], stock[kindRampFirst + 1], stock[kindBalloon], stock[kindIronBall],
                           stock[kindMagnet]}),
              (std::vector<int8_t>{2, 1, 1, 1, 0}));
    // The player balls' start cells are freed; the target stays.
    EXPECT_EQ((std::vector{CellAt(board, 0, 1, 0), CellAt(board, 3, 1, 0), CellAt(board, 4, 1, 0), CellAt(board, 1, 2, 3),
                           CellAt(board, 2, 2, 3), CellAt(board, 3, 2, 3)}),
              (std::vector{0, kindTargetCube, 0, 0, 0, kindPlasticBall}));
    // The fixed balls stay, in slots 0 and 1: the one placed by position waits
    // for a direction, the fixed one keeps its own.
    ASSERT_EQ(board.ballCount, 2);
    EXPECT_EQ((std::vector<int>{board.balls[0].kind, board.balls[1].kind}), (std::vector{kindBomb, kindPlasticBall}));
    EXPECT_EQ(board.balls[0].direction, static_cast<int8_t>(LaunchDirection::PlusX));
    EXPECT_EQ(board.balls[1].direction, static_cast<int8_t>(LaunchDirection::Unset));

    board.balls[0].sinceContact = 50;
    board.ResetBallPhysics();
    EXPECT_EQ(board.balls[0].restitution, 0.0f);
    EXPECT_EQ(board.balls[0].mass, 2.0f);
    EXPECT_EQ(board.balls[0].sinceContact, 0);

    // A stock counter is a signed byte: it stops at 127.
    Board many(30, 10, 30);
    for (int i = 0; i < 200; ++i) many.cells[static_cast<size_t>(i)] = kindPlainCube + cellPlayerPiece;
    many.PrepareForPlay();
    EXPECT_EQ(many.stock[kindPlainCube], 127);
}

// Placing on a board of its own: a piece goes across the face the pointer
// came in through, never off the board and never onto a ball; a ray that
// starts inside a cell's box gives no face.
TEST(BoardPlacing, PiecesGoAcrossTheFacePointedAt) {
    Board board;
    board.Resize(10, 10, 10);
    board.Clear();
    const int middle = board.Index(4, 3, 4);
    const struct {
        CellFace face;
        int x, y, z;
    } across[] = {{CellFace::PlusX, 5, 3, 4}, {CellFace::MinusX, 3, 3, 4}, {CellFace::PlusY, 4, 4, 4},
                  {CellFace::MinusY, 4, 2, 4}, {CellFace::PlusZ, 4, 3, 5}, {CellFace::MinusZ, 4, 3, 3}};
    for (const auto& a : across) EXPECT_EQ(CellAcross(board, middle, a.face), board.Index(a.x, a.y, a.z));
    for (CellFace face : {CellFace::MinusX, CellFace::MinusY, CellFace::MinusZ})
        EXPECT_EQ(CellAcross(board, 0, face), -1);
    for (CellFace face : {CellFace::PlusX, CellFace::PlusY, CellFace::PlusZ})
        EXPECT_EQ(CellAcross(board, board.cellCount - 1, face), -1);

    const Board loaded = board;
    board.cells[static_cast<size_t>(middle)] = kindPlainCube;
    auto build = [&](int cell, CellFace face, bool entered, PlacePass pass) {
        PickHit hit = PickHit::Cell(cell, face);
        hit.entered = entered;
        return PlaceOnBoard(board, loaded, hit, EditTool::Build, kindPlainCube, kindPlainCube, pass, false);
    };
    EXPECT_EQ(build(middle, CellFace::PlusX, true, PlacePass::Preview).previewCell, board.Index(5, 3, 4));
    EXPECT_EQ(build(middle, CellFace::PlusX, false, PlacePass::Preview).previewCell, -1);
    const PlaceResult put = build(middle, CellFace::PlusY, true, PlacePass::Commit);
    EXPECT_TRUE(put.edited);
    EXPECT_EQ(CellAt(board, 4, 4, 4), kindPlainCube);
    const int start = board.Index(2, 0, 2), ballCell = board.Index(2, 1, 2);
    board.cells[static_cast<size_t>(start)] = kindStartCube;
    PickHit onStart = PickHit::Cell(start, CellFace::PlusY);
    PlaceOnBoard(board, loaded, onStart, EditTool::Build, kindIronBall, kindIronBall, PlacePass::Commit, false);
    ASSERT_EQ(board.FindBallAtCell(ballCell), 0);
    EXPECT_EQ(build(ballCell, CellFace::PlusY, true, PlacePass::Preview).previewCell, -1) << "nothing on a ball";
    EXPECT_EQ(build(ballCell, CellFace::PlusX, true, PlacePass::Preview).previewCell, board.Index(3, 1, 2));
}

}  // namespace
