// Hints on the play screen of a built-in puzzle: the steps of its recorded
// solution (adatok/megoldasok), one more shown at each press of H or the hint
// button, until the puzzle is left. A puzzle won with hints shown is marked
// in hints.dat beside score.dat (one byte a puzzle, 1 = won with hints);
// score.dat stays as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "board/board.h"

struct HintStep {
    enum class What : uint8_t { Piece, Ball, Arrow };
    What what = What::Piece;
    int cell = -1;       // Piece, Ball: where it stands
    int kind = 0;        // Piece, Ball: what stands there
    Vec3 ballPosition;   // Arrow: the ball's place (board units) ...
    int direction = 0;   // ... and the launch direction it is sent in, 1..4
};

// The steps of a recorded solution from the puzzle prepared for play: the
// player's pieces from the lowest layer up, then the player's balls, then the
// launch direction of every ball the player aims.
std::vector<HintStep> HintStepsOf(const Board& prepared, const Board& solution);

// Reads puzzle i's recorded solution for the puzzle on the board; no hints
// when it cannot be read (said on stderr).
void LoadHints(int puzzleIndex);
// No hints: a loaded level, the editor, the menu.
void ForgetHints();
// One more step shown; false when there is none left.
bool ShowNextHint();
int HintsShown();
int HintCount();
// The steps shown so far.
const std::vector<HintStep>& HintSteps();
// The ball on the board an arrow's step aims, or -1 while none stands there.
int HintBall(const HintStep& step);

// ---- Puzzles won with hints ----

extern uint8_t hintedFlags[builtInPuzzleCount];  // as read from hints.dat: 1 won with hints
int HintedCount();
// Reads hints.dat at start; a damaged one is moved aside (said on stderr).
void StartHintMarks();
// After a built-in puzzle is won: marks it as won with hints when any were
// shown, or clears its mark when none were; writes hints.dat only when that
// changes a mark. A failed write is told in a box.
void MarkWinHints(int puzzleIndex);
// Where hints.dat lives: beside score.dat.
std::string HintMarksPath();
