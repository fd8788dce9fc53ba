// The game's side of board editing: the placing rules (board/placing.h)
// applied to the game's board with what the pointer is over and the piece in
// the cursor.
#include "app/game_flow.h"

void ReturnHeldPiece() {
    if (heldKind == 0) return;
    AdjustStock(board, heldKind, +1);
    heldKind = 0;
}

void PlaceElement(int kind, EditTool tool, PlacePass pass) {
    previewCell = -1;
    if (gameScreen != GameScreen::Editor && gameScreen != GameScreen::Play) return;
    const PlaceResult result =
        PlaceOnBoard(board, loadedBoard, hoveredPick, tool, kind, heldKind, pass, gameScreen == GameScreen::Play);
    previewCell = result.previewCell;
    heldKind = result.heldKind;
    if (result.edited) levelTested = false;
}
