// Undo and redo of what the player's clicks change on the play screen and in
// the editor: the board (cells, balls with their directions and locks, the
// stock, the goal) and the piece in the cursor. A run, a retry, a load or a
// new level starts a fresh history; leaving the two screens forgets it.
#pragma once

// At least this many steps can be taken back; older ones are forgotten.
constexpr int editHistorySteps = 256;

// Around anything that may change the board: Begin keeps the state as it is,
// End records it as a step when it has changed since (and forgets the steps
// that were undone).
void BeginEditStep();
void EndEditStep();
// Takes the last step back, or does again the last step taken back; false
// when there is none (or neither screen is up).
bool UndoEdit();
bool RedoEdit();
// Forgets every step, and a step begun.
void ClearEditHistory();
// How many steps can be taken back and done again.
int UndoSteps();
int RedoSteps();
