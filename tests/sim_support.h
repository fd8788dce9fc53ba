// Balls, boards from the level text and a tick loop for the simulation tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sim/collision.h"
#include "sim/response.h"
#include "sim/simulation.h"
#include "tests/test_support.h"
#include "tools/tm3/level_text.h"

// Adds a ball of `kind` at board position `position` with `velocity` and its
// kind's physical values, and returns it.
inline Ball& AddBallAt(Board& board, int kind, Vec3 position, Vec3 velocity = {}) {
    EXPECT_TRUE(board.AddBall(kind, 0));
    Ball& ball = board.balls[board.ballCount - 1];
    ball.restitution = BallRestitution(kind);
    ball.mass = BallMass(kind);
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

inline bool BallStateIsFinite(const Ball& ball) {
    for (Vec3 v : {ball.position, ball.velocity, ball.nextPosition, ball.nextVelocity})
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
    return std::isfinite(ball.absorb);
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
