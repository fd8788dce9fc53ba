// What the designer's commands (check, solve, lint) share: the puzzle as the
// player meets it, the placing rules of the play screen, and a headless roll
// that can also note where the balls went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/level_file.h"

// One piece the player puts down: a cell and an element or ball kind; a ball
// also carries its launch direction.
struct Placement {
    int cell = 0;
    int kind = 0;
    int direction = 0;
};

// Whether the player may put `kind` into cell (x, y, z) of `board` on the play
// screen: the cell is empty and can be pointed at across a face, pieces rest
// on something other than a spike or target cube, a start cube carries only
// balls, and balls go only onto the top of a start cube.
bool CanPlaceInPlay(const Board& board, int kind, int x, int y, int z);

// Puts a placement on the board as the play screen does: a flagged piece, or a
// ball of the player's own appended after the others.
void ApplyPlacement(Board& board, const Placement& placement);

// The board a solution plays on, built as the game would build it: the puzzle
// prepared for play, the solution's pieces put down one at a time in some order
// the placing rules allow, its balls appended in the solution's order, and
// every ball given its launch direction. False with one line in `why` when the
// solution is not a legal way to play the puzzle.
bool BuildPlayedBoard(const Board& puzzle, const Board& solution, Board& played, std::string& why);

// The outcome of a headless roll.
struct RollOutcome {
    bool solved = false;
    long ticks = 0;  // the tick the goal was reached, or the ticks rolled
    int atTarget = 0;
};

// Where the balls went during a roll: one flag per cell the centre of a ball
// entered. The owner keeps the storage between rolls.
struct BallTrail {
    std::vector<uint8_t> visited;
};

// Rolls a board whose balls all have directions, as the roll button does, for
// at most maxTicks ticks. With `settle` the roll ends as soon as the outcome is
// certain: enough balls taken in or being taken in (the target lets none go),
// or too few left; `ticks` is then the tick that made it certain. Notes the
// cells the balls pass through in `trail` when given. Allocates nothing.
RollOutcome RollBoard(Board& board, long maxTicks, bool settle, BallTrail* trail);

// What a lesson's counter-proof takes out of a puzzle: every element or ball of
// the kinds in `from` becomes the neutral kind `to`.
struct KindSwap {
    std::vector<int> from;
    int to = 0;
};

// Reads "TAUGHT=NEUTRAL", each side one of: cube (the plain cube), corner and
// ramp (all four turns), magnet, spike, spring, balloon, iron, plastic, bomb.
// Elements give way to elements and balls to balls. False on anything else.
bool ParseKindSwap(const std::string& text, KindSwap& swap);

// Swaps the kinds on a level in its designed form: the puzzle's own cells, the
// player's flagged pieces (so the stock follows once it is prepared), the
// balls and their start cells.
void SwapKinds(Board& level, const KindSwap& swap);

// Every problem that makes a level unwinnable whatever the player does, one
// line each. With `asSolution` a ball without a launch direction is one too.
std::vector<std::string> LintLevel(const Board& level, bool asSolution);

// The launch direction names of the text form, index = direction code.
extern const char* const launchDirectionNames[6];
