// Board editing: what a click on a cell or a launch arrow does with each tool,
// in the editor and while a puzzle is prepared. In play the player's pieces
// only ever move between the stock, the cursor and the board: every edit
// keeps their sum per kind.
#pragma once

#include "board/board.h"
#include "board/pick.h"

enum class EditTool : int32_t { Build = 0, Swap = 1, Delete = 2, Stock = 3 };
// The preview pass only says which cell a click would act on; the commit pass acts.
enum class PlacePass : int { Commit = 0, Preview = 2 };

// Adds delta to the stock counter of kind, keeping it inside a signed byte.
void AdjustStock(Board& target, int kind, int delta);

// The neighbour of `cell` across `face`; -1 when it lies outside the board.
int CellAcross(const Board& board, int cell, CellFace face);

struct PlaceResult {
    int previewCell = -1;  // the cell the tool acts (or would act) on; -1 none
    int heldKind = 0;      // the piece in the cursor afterwards
    bool edited = false;   // a commit pass that may have changed the board
};

// What the click of `tool` holding `kind` (0: nothing) on `hit` does to
// `board`: in play (`play`) only with the player's own pieces, told apart
// from the puzzle's by the board as loaded (`loaded`); in the editor freely.
// `heldKind` is the piece in the cursor before.
PlaceResult PlaceOnBoard(Board& board, const Board& loaded, const PickHit& hit, EditTool tool, int kind, int heldKind,
                         PlacePass pass, bool play);
