// The ball simulation: one fixed step of every ball on a board, 400 steps a
// second at normal speed. Velocities are board units per time unit (25 ticks).
#pragma once

#include <cstdint>

#include "board/board.h"
#include "sim/collision.h"  // BuildCollisionShapes, which every user of the tick calls first

constexpr float launchSpeed = 4.8f;

// Adds `speed` to every ball's velocity along its launch direction.
void LaunchBalls(Board& board, float speed);

// One step of every ball on `board`; raises ballsAtTarget for each ball the
// target takes in. Allocates nothing.
void SimulationTick(Board& board, int8_t& ballsAtTarget);

// The roll sequence shared by the editor, the play screen and the tools: resets
// the balls' physical values and clears the debris; then, only if every ball
// has a launch direction 1..4, plays the roll sound, copies the board into
// `snapshot`, sets ballsAtTarget to 0, launches the balls and returns true.
// The caller switches the screen to the run when it returns true.
bool StartRoll(Board& board, Board& snapshot, int8_t& ballsAtTarget);
