// Board operations, cell readers and the preparation of a puzzle for play.
#include <gtest/gtest.h>

#include "board/board.h"

namespace {

int Cell(const Board& board, int x, int y, int z) { return board.cells[static_cast<size_t>(board.Index(x, y, z))]; }
void SetCell(Board& board, int x, int y, int z, int value) {
    board.cells[static_cast<size_t>(board.Index(x, y, z))] = static_cast<int8_t>(value);
}

TEST(BoardReaders, KindAtReadsStoredKindAndGroundOutside) {
    Board board(5, 3, 6);
    EXPECT_EQ(KindAtOrGround(board, 0, 0, 0), kindEmpty);  // the ground layer as stored
    SetCell(board, 1, 2, 3, cellPlayerPiece + kindMagnet);
    EXPECT_EQ(KindAtOrGround(board, 1, 2, 3), kindMagnet);
    for (auto [x, y, z] : {std::tuple{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {5, 0, 0}, {0, 3, 0}, {0, 0, 6}})
        EXPECT_EQ(KindAtOrGround(board, x, y, z), kindGroundCube) << x << " " << y << " " << z;
}

TEST(BoardReaders, SolidKindAtIsWhatTheBallsCollideWith) {
    Board board(5, 3, 6);
    // The ground layer and everything below it are solid, whatever they hold.
    EXPECT_EQ(CollisionKindAt(board, 2, 0, 2), kindGroundCube);
    EXPECT_EQ(CollisionKindAt(board, 2, -4, 2), kindGroundCube);
    // Walls on every side, open air above the board up to ten times its height.
    EXPECT_EQ(CollisionKindAt(board, -1, 1, 2), kindGroundCube);
    EXPECT_EQ(CollisionKindAt(board, 5, 1, 2), kindGroundCube);
    EXPECT_EQ(CollisionKindAt(board, 2, 1, -1), kindGroundCube);
    EXPECT_EQ(CollisionKindAt(board, 2, 1, 6), kindGroundCube);
    EXPECT_EQ(CollisionKindAt(board, 2, 3, 2), kindEmpty);
    EXPECT_EQ(CollisionKindAt(board, 2, 29, 2), kindEmpty);
    EXPECT_EQ(CollisionKindAt(board, 2, 30, 2), kindGroundCube);
    // Special cubes collide as plain cubes, balls' start cells not at all.
    for (int kind = kindStartCube; kind <= kindSpringCube; ++kind) {
        SetCell(board, 1, 1, 1, kind);
        EXPECT_EQ(CollisionKindAt(board, 1, 1, 1), kindPlainCube) << kind;
        SetCell(board, 1, 1, 1, kind + cellPlayerPiece);
        EXPECT_EQ(CollisionKindAt(board, 1, 1, 1), kindPlainCube) << kind;
    }
    for (int kind = kindBalloon; kind <= kindBomb; ++kind) {
        SetCell(board, 1, 1, 1, kind);
        EXPECT_EQ(CollisionKindAt(board, 1, 1, 1), kindEmpty) << kind;
    }
    for (int kind : {kindGroundCube, kindPlainCube, 3, 6, 16, 19}) {
        SetCell(board, 1, 1, 1, kind + cellPlayerPiece);
        EXPECT_EQ(CollisionKindAt(board, 1, 1, 1), kind);
    }
}

TEST(BoardKinds, PredicatesAndBallValues) {
    for (int k = 0; k < elementKindCount; ++k) {
        const int classes = IsBallKind(k) + IsBlockKind(k) + IsCornerKind(k) + IsRampKind(k);
        EXPECT_EQ(classes, k == kindEmpty ? 0 : 1) << k;
    }
    EXPECT_FLOAT_EQ(BallRestitution(kindBalloon), 0.9f);
    EXPECT_FLOAT_EQ(BallRestitution(kindIronBall), 0.6f);
    EXPECT_FLOAT_EQ(BallRestitution(kindPlasticBall), 0.9f);
    EXPECT_FLOAT_EQ(BallRestitution(kindBomb), 0.0f);
    EXPECT_FLOAT_EQ(BallMass(kindBalloon), 1.0f);
    EXPECT_FLOAT_EQ(BallMass(kindIronBall), 2.0f);
    EXPECT_FLOAT_EQ(BallMass(kindPlasticBall), 1.0f);
    EXPECT_FLOAT_EQ(BallMass(kindBomb), 2.0f);
}

TEST(BoardBalls, AddFindRemoveKeepOrder) {
    Board board(6, 4, 6);
    ASSERT_TRUE(board.AddBall(kindIronBall, board.Index(1, 1, 2)));
    ASSERT_TRUE(board.AddBall(kindBomb, board.Index(3, 2, 4)));
    ASSERT_TRUE(board.AddBall(kindBalloon, board.Index(5, 3, 5)));
    EXPECT_EQ(board.ballCount, 3);
    const Ball& placed = board.balls[1];
    EXPECT_EQ(placed.position.x, 108.0f);
    EXPECT_EQ(placed.position.y, 78.0f);  // 1/12 world unit above the cell centre
    EXPECT_EQ(placed.position.z, 144.0f);
    EXPECT_EQ(placed.direction, static_cast<int8_t>(LaunchDirection::NoDirection));
    EXPECT_EQ(placed.lock, static_cast<int8_t>(BallLock::PlayerBall));

    EXPECT_EQ(board.FindBallAtCell(board.Index(3, 2, 4)), 1);
    EXPECT_EQ(board.FindBallAtCell(board.Index(3, 1, 4)), 3);  // none: ballCount
    board.SetBallKindAtCell(kindPlasticBall, board.Index(3, 2, 4));
    EXPECT_EQ(board.balls[1].kind, kindPlasticBall);

    board.RemoveBallAtCell(board.Index(1, 1, 2));
    ASSERT_EQ(board.ballCount, 2);
    EXPECT_EQ(board.balls[0].kind, kindPlasticBall);
    EXPECT_EQ(board.balls[1].kind, kindBalloon);
    board.RemoveBallAtCell(board.Index(0, 0, 0));  // nothing there
    EXPECT_EQ(board.ballCount, 2);
}

TEST(BoardBalls, FindNeedsTheExactPlacingPosition) {
    Board board(6, 4, 6);
    board.AddBall(kindIronBall, board.Index(2, 1, 2));
    board.balls[0].position.x += 0.001f;  // a ball that has rolled away
    EXPECT_EQ(board.FindBallAtCell(board.Index(2, 1, 2)), 1);
}

TEST(BoardBalls, AddBallRefusesTheHundredAndFirst) {
    Board board(10, 2, 10);
    for (int i = 0; i < maxBalls; ++i) ASSERT_TRUE(board.AddBall(kindBalloon, i));
    EXPECT_FALSE(board.AddBall(kindBomb, 5));
    EXPECT_EQ(board.ballCount, maxBalls);
    EXPECT_EQ(board.balls[maxBalls - 1].kind, kindBalloon);
}

TEST(BoardResize, KeepsOverlapAndDropsBallsOutside) {
    Board board(8, 3, 8);
    board.Clear();
    SetCell(board, 2, 1, 2, kindStartCube);
    SetCell(board, 7, 1, 7, kindMagnet);
    board.AddBall(kindBomb, board.Index(2, 2, 2));
    board.AddBall(kindIronBall, board.Index(7, 2, 7));
    board.AddBall(kindBalloon, board.Index(1, 2, 1));
    board.stock[kindPlainCube] = 3;
    board.Resize(5, 3, 5);
    EXPECT_EQ(board.sizeX, 5);
    EXPECT_EQ(board.cellCount, 75);
    EXPECT_EQ(Cell(board, 2, 1, 2), kindStartCube);
    ASSERT_EQ(board.ballCount, 2);
    EXPECT_EQ(board.balls[0].kind, kindBomb);
    EXPECT_EQ(board.balls[1].kind, kindBalloon);
    EXPECT_EQ(board.stock[kindPlainCube], 3);

    board.Resize(9, 4, 7);  // growing adds empty cells
    EXPECT_EQ(Cell(board, 2, 1, 2), kindStartCube);
    EXPECT_EQ(Cell(board, 8, 3, 6), 0);
    EXPECT_EQ(board.ballCount, 2);
}

TEST(BoardCopy, CopiesTheBoardButNotTheRunValues) {
    Board from(6, 2, 7);
    from.Clear();
    SetCell(from, 1, 1, 1, kindSpringCube + cellPlayerPiece);
    from.AddBall(kindIronBall, from.Index(3, 1, 3));
    Ball& ball = from.balls[0];
    ball.velocity = {1.0f, 2.0f, 3.0f};
    ball.restitution = 0.6f;
    ball.mass = 2.0f;
    ball.absorb = 3.5f;
    ball.sinceContact = 17;
    ball.lastContactKind = 16;
    from.goalCount = 4;
    from.stock[kindMagnet] = 2;

    Board to(10, 10, 10);
    to.CopyFrom(from);
    EXPECT_EQ(to.cells, from.cells);
    EXPECT_EQ(to.cellCount, 84);
    EXPECT_EQ(to.goalCount, 4);
    EXPECT_EQ(to.stock[kindMagnet], 2);
    ASSERT_EQ(to.ballCount, 1);
    const Ball& copy = to.balls[0];
    EXPECT_EQ(copy.absorb, 3.5f);
    EXPECT_EQ(copy.sinceContact, 17);
    EXPECT_EQ(copy.lastContactKind, 16);
    EXPECT_EQ(copy.velocity.y, 0.0f);
    EXPECT_EQ(copy.restitution, 0.9f);
    EXPECT_EQ(copy.mass, 1.0f);
}

TEST(BoardPrepare, MovesPlayerPiecesToTheStock) {
    Board board(6, 3, 6);
    board.Clear();
    SetCell(board, 0, 1, 0, kindPlainCube + cellPlayerPiece);
    SetCell(board, 1, 1, 0, kindPlainCube + cellPlayerPiece);
    SetCell(board, 2, 1, 0, 17 + cellPlayerPiece);
    SetCell(board, 3, 1, 0, kindTargetCube);
    SetCell(board, 1, 1, 3, kindStartCube);
    SetCell(board, 2, 1, 3, kindStartCube);
    SetCell(board, 3, 1, 3, kindStartCube);
    for (int x = 1; x <= 3; ++x) SetCell(board, x, 2, 3, kindBalloon);
    board.AddBall(kindBalloon, board.Index(1, 2, 3));
    board.AddBall(kindBomb, board.Index(2, 2, 3));
    board.AddBall(kindIronBall, board.Index(3, 2, 3));
    board.balls[0].lock = static_cast<int8_t>(BallLock::PlayerBall);
    board.balls[1].lock = static_cast<int8_t>(BallLock::PlayerBall);
    board.balls[2].lock = static_cast<int8_t>(BallLock::FixedPosition);
    board.balls[2].direction = static_cast<int8_t>(LaunchDirection::PlusX);
    board.stock[kindMagnet] = 9;  // stale stock is replaced

    board.PrepareForPlay();
    EXPECT_EQ(board.stock[kindPlainCube], 2);
    EXPECT_EQ(board.stock[17], 1);
    EXPECT_EQ(board.stock[kindBalloon], 1);
    EXPECT_EQ(board.stock[kindBomb], 1);
    EXPECT_EQ(board.stock[kindMagnet], 0);
    EXPECT_EQ(Cell(board, 0, 1, 0), 0);
    EXPECT_EQ(Cell(board, 3, 1, 0), kindTargetCube);
    EXPECT_EQ(Cell(board, 1, 2, 3), 0);  // the player balls' start cells are freed
    EXPECT_EQ(Cell(board, 2, 2, 3), 0);
    EXPECT_EQ(Cell(board, 3, 2, 3), kindBalloon);
    // The fixed-position ball, formerly slot 2, moved into slot 0 and waits for a direction.
    ASSERT_EQ(board.ballCount, 1);
    EXPECT_EQ(board.balls[0].kind, kindIronBall);
    EXPECT_EQ(board.balls[0].direction, static_cast<int8_t>(LaunchDirection::Unset));
}

TEST(BoardPrepare, StockCountersStopAt127) {
    Board board(30, 10, 30);
    board.Clear();
    for (int i = 0; i < 200; ++i) board.cells[static_cast<size_t>(i)] = kindPlainCube + cellPlayerPiece;
    board.PrepareForPlay();
    EXPECT_EQ(board.stock[kindPlainCube], 127);
}

TEST(BoardPrepare, FixedBallsKeepTheirDirection) {
    Board board(5, 2, 5);
    board.Clear();
    board.AddBall(kindPlasticBall, board.Index(2, 1, 2));
    board.balls[0].lock = static_cast<int8_t>(BallLock::FixedBall);
    board.balls[0].direction = static_cast<int8_t>(LaunchDirection::MinusZ);
    board.PrepareForPlay();
    ASSERT_EQ(board.ballCount, 1);
    EXPECT_EQ(board.balls[0].direction, static_cast<int8_t>(LaunchDirection::MinusZ));
}

TEST(BoardPrepare, ResetBallPhysicsTakesTheKindTable) {
    Board board(5, 2, 5);
    board.AddBall(kindBomb, 1);
    board.AddBall(kindIronBall, 2);
    board.balls[0].sinceContact = 50;
    board.balls[1].lastContactKind = 3;
    board.ResetBallPhysics();
    EXPECT_EQ(board.balls[0].restitution, 0.0f);
    EXPECT_EQ(board.balls[0].mass, 2.0f);
    EXPECT_EQ(board.balls[0].sinceContact, 0);
    EXPECT_EQ(board.balls[1].restitution, 0.6f);
    EXPECT_EQ(board.balls[1].lastContactKind, 0);
}

}  // namespace
