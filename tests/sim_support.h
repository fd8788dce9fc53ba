// Small boards and balls for the simulation tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "board/board.h"
#include "sim/collision.h"
#include "sim/response.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

// A cleared board of the given size with ground cubes over the whole layer 0.
inline Board FloorBoard(int sizeX, int sizeY, int sizeZ) {
    Board board(sizeX, sizeY, sizeZ);
    board.Clear();
    for (int z = 0; z < sizeZ; ++z)
        for (int x = 0; x < sizeX; ++x) board.cells[static_cast<size_t>(board.Index(x, 0, z))] = kindGroundCube;
    return board;
}

inline void SetCell(Board& board, int x, int y, int z, int value) {
    board.cells[static_cast<size_t>(board.Index(x, y, z))] = static_cast<int8_t>(value);
}

inline int CellAt(const Board& board, int x, int y, int z) {
    return board.cells[static_cast<size_t>(board.Index(x, y, z))];
}

// Adds a ball of `kind` standing in cell (x, y, z) with its kind's physical
// values, and returns it. The cell itself is left as it is.
inline Ball& AddTestBall(Board& board, int kind, int x, int y, int z) {
    EXPECT_TRUE(board.AddBall(kind, board.Index(x, y, z)));
    Ball& ball = board.balls[board.ballCount - 1];
    ball.restitution = BallRestitution(kind);
    ball.mass = BallMass(kind);
    return ball;
}

// A ball of `kind` at an exact board position with a velocity.
inline Ball& AddBallAt(Board& board, int kind, Vec3 position, Vec3 velocity) {
    Ball& ball = AddTestBall(board, kind, 0, 0, 0);
    ball.position = position;
    ball.velocity = velocity;
    return ball;
}

// A board from the tm3 text form.
inline Board BoardFromText(const std::string& text) {
    LevelData level;
    std::string error;
    EXPECT_TRUE(CompileLevel(text, level, error)) << error;
    return level.board;
}

inline bool IsFinite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

inline bool BallStateIsFinite(const Ball& ball) {
    return IsFinite(ball.position) && IsFinite(ball.velocity) && IsFinite(ball.nextPosition) &&
           IsFinite(ball.nextVelocity) && std::isfinite(ball.absorb);
}

// Ticks until `done` holds or `limit` ticks have run; returns the ticks run.
template <typename Done>
int TickUntil(Board& board, int8_t& ballsAtTarget, int limit, Done done) {
    for (int t = 1; t <= limit; ++t) {
        SimulationTick(board, ballsAtTarget);
        if (done()) return t;
    }
    return limit + 1;
}
