// Board editing: what a click on a cell or a launch arrow does with each tool,
// in the editor and while a puzzle is prepared. In play the player's pieces
// only ever move between the stock, the cursor and the board: every edit here
// keeps their sum per kind.
#include <cmath>

#include "app/game_flow.h"

// ---- Cells ----

static int LayerOf(int cell) { return (cell / board.sizeX) % board.sizeY; }

static int KindAtIndex(int cell) { return KindOfValue(board.cells[static_cast<size_t>(cell)]); }

// The kind in the cell above, 0 when the cell is in the top layer.
static int KindAbove(int cell) {
    if (LayerOf(cell) >= board.sizeY - 1) return kindEmpty;
    return KindAtIndex(cell + board.sizeX);
}

// A piece of the loaded puzzle itself: the puzzle as loaded holds an unflagged
// element there, unless it is a ball the player was to place.
static bool IsPuzzlePiece(int cell) {
    if (loadedBoard.sizeX != board.sizeX || loadedBoard.sizeY != board.sizeY || loadedBoard.sizeZ != board.sizeZ)
        return true;  // cannot tell: leave the cell alone
    const int loaded = loadedBoard.cells[static_cast<size_t>(cell)];
    if (loaded < 1 || loaded >= cellPlayerPiece) return false;
    if (IsBallKind(loaded)) {
        const int b = loadedBoard.FindBallAtCell(cell);
        if (b < loadedBoard.ballCount && loadedBoard.balls[b].lock == static_cast<int8_t>(BallLock::PlayerBall))
            return false;
    }
    return true;
}

// In play, a piece the player put down: a flagged element, or a ball of the
// player's own standing on its start cell. Whatever else a cell holds came
// with the puzzle and cannot go to the stock or the cursor.
static bool PutDownByPlayer(int cell) {
    const int value = board.cells[static_cast<size_t>(cell)];
    if (IsBallKind(KindOfValue(static_cast<int8_t>(value)))) {
        const int b = board.FindBallAtCell(cell);
        return b < board.ballCount && board.balls[b].lock == static_cast<int8_t>(BallLock::PlayerBall);
    }
    return value >= cellPlayerPiece;
}

// In play, whether the piece in a cell may be taken back: the player's own,
// with nothing standing on it.
static bool CanTakeBack(int cell) {
    return !IsPuzzlePiece(cell) && PutDownByPlayer(cell) && KindAbove(cell) == kindEmpty;
}

void ReturnHeldPiece() {
    if (heldKind == 0) return;
    AdjustStock(board, heldKind, +1);
    heldKind = 0;
}

// ---- The pointer's face ----

int HitFaceOffset() {
    const int cell = hoveredControl;
    if (cell < 0 || cell >= board.cellCount) return 0;
    int x, y, z;
    board.CellOf(cell, x, y, z);
    const Vec3 p = pickEntryPoint, lo = pickBoxMin;
    const int layerStep = board.sizeX, rowStep = board.sizeX * board.sizeY;
    auto on = [](float a, float b) { return std::fabs(a - b) <= 0.001f; };
    // Later faces replace earlier ones; the top face wins over all.
    int offset = 0;
    if (on(p.y, lo.y) && y > 0) offset = -layerStep;
    if (on(p.x, lo.x) && x > 0) offset = -1;
    if (on(p.x, lo.x + 1.0f) && x < board.sizeX - 1) offset = 1;
    if (on(p.z, lo.z) && z > 0) offset = -rowStep;
    if (on(p.z, lo.z + 1.0f) && z < board.sizeZ - 1) offset = rowStep;
    if (on(p.y, lo.y + 0.5f) && y < board.sizeY - 1) offset = layerStep;
    return offset;
}

// ---- The tools ----

// Stock tool (editor): marks the pieces the player will have to place. On a
// launch arrow it cycles the ball's lock; on a cell it flips the player flag.
static void MarkPlayerPiece(int cellOrArrow, bool onArrow, bool commit) {
    if (onArrow) {
        previewCell = cellOrArrow;
        if (!commit) return;
        Ball& ball = board.balls[(cellOrArrow - board.cellCount - stockSlotCount) / arrowsPerBall];
        ball.lock = static_cast<int8_t>(ball.lock >= 0 && ball.lock < 2 ? ball.lock + 1 : 0);
        return;
    }
    const int kind = KindAtIndex(cellOrArrow);
    // Balls are marked by their lock: a flagged ball cell would hand the player
    // a second ball when the puzzle is prepared.
    if (kind == kindEmpty || kind == kindTargetCube || kind == kindMagnet || kind == kindSpikeCube || IsBallKind(kind))
        return;
    previewCell = cellOrArrow;
    if (!commit) return;
    int8_t& value = board.cells[static_cast<size_t>(cellOrArrow)];
    value = static_cast<int8_t>(value >= cellPlayerPiece ? value - cellPlayerPiece : value + cellPlayerPiece);
}

// A launch arrow shows the ball's direction; clicking one of the four arrows
// of a ball without a direction chooses it, clicking again clears it.
static void ToggleLaunchArrow(int ballIndex, int arrow) {
    Ball& ball = board.balls[ballIndex];
    const auto noDirection = static_cast<int8_t>(LaunchDirection::NoDirection);
    ball.direction = ball.direction == noDirection ? static_cast<int8_t>(arrow + 1) : noDirection;
}

static void DeletePiece(int cell, bool play, bool commit) {
    const int value = board.cells[static_cast<size_t>(cell)];
    const int kind = KindOfValue(static_cast<int8_t>(value));
    if (kind == kindStartCube && IsBallKind(KindAbove(cell))) return;  // a ball stands on it
    if (value == kindEmpty || value == kindGroundCube) return;
    if (play && !CanTakeBack(cell)) return;
    previewCell = cell;
    if (!commit) return;
    if (IsBallKind(kind)) board.RemoveBallAtCell(cell);
    AdjustStock(board, kind, +1);
    board.cells[static_cast<size_t>(cell)] = 0;
}

static void BuildPiece(int kind, int cell, bool play, bool commit) {
    const int offset = HitFaceOffset();
    if (offset == 0) return;
    const int target = cell + offset;
    const bool ball = IsBallKind(kind);
    // A ball goes only onto the top of a start cube, and only while a ball slot is free.
    if (ball && (KindAtIndex(cell) != kindStartCube || offset != board.sizeX || board.ballCount >= maxBalls)) return;
    if (KindAtIndex(target) != kindEmpty) return;
    if (play && LayerOf(target) > 0) {
        // Pieces must rest on something: the ground layer always carries them.
        const int below = target - board.sizeX;
        const int belowKind = KindAtIndex(below);
        if (belowKind == kindEmpty && LayerOf(below) > 0) return;
        if (belowKind == kindSpikeCube || belowKind == kindTargetCube) return;
        if (!ball && belowKind == kindStartCube) return;
    }
    previewCell = target;
    if (!commit) return;
    if (ball) board.AddBall(kind, target);
    if (!ball && !play)
        AdjustStock(board, kind, -1);  // the editor's supply is endless: the piece stays in the cursor
    else
        heldKind = 0;
    board.cells[static_cast<size_t>(target)] = static_cast<int8_t>(play && !ball ? kind + cellPlayerPiece : kind);
}

// Puts the held kind in place of the cell's element; with nothing held this
// picks the element up (in play) or clears the cell (in the editor).
static void SwapPiece(int kind, int cell, bool play, bool commit) {
    const int value = board.cells[static_cast<size_t>(cell)];
    const int oldKind = KindOfValue(static_cast<int8_t>(value));
    int newKind = kind;
    if (LayerOf(cell) == 0) {
        // In the editor a plain cube swapped into the ground layer makes a hole.
        // In play it is put down as itself, as building would.
        if (kind == kindPlainCube && !play) newKind = kindEmpty;
        if (IsCornerKind(kind) || IsRampKind(kind) || IsBallKind(kind)) return;
    } else if (value == kindEmpty) {
        return;  // nothing there to swap
    }
    if (IsBallKind(kind) && (!IsBallKind(oldKind) || board.FindBallAtCell(cell) == board.ballCount)) return;
    if (value == newKind || value == kindGroundCube) return;
    if (oldKind == kindStartCube && IsBallKind(KindAbove(cell))) return;
    if (play) {
        if (value != kindEmpty && !CanTakeBack(cell)) return;
        if (KindAbove(cell) != kindEmpty) return;
        // Only balls stand on start cubes.
        if (IsBallKind(oldKind) && kind != 0 && !IsBallKind(kind)) return;
    }
    previewCell = cell;
    if (!commit) return;
    if (IsBallKind(kind)) {
        // One ball for the other: the held ball stands there now, the replaced
        // one is in the cursor.
        board.SetBallKindAtCell(kind, cell);
        heldKind = oldKind;
        board.cells[static_cast<size_t>(cell)] = static_cast<int8_t>(kind);
        return;
    }
    if (IsBallKind(oldKind)) board.RemoveBallAtCell(cell);
    if (play || kind == 0) heldKind = oldKind;
    board.cells[static_cast<size_t>(cell)] =
        static_cast<int8_t>(play && newKind != kindEmpty ? newKind + cellPlayerPiece : newKind);
}

void PlaceElement(int kind, EditTool tool, PlacePass pass) {
    previewCell = -1;
    if (gameScreen != GameScreen::Editor && gameScreen != GameScreen::Play) return;
    if (kind < 0 || kind >= elementKindCount) return;
    const bool commit = pass == PlacePass::Commit;
    const bool play = gameScreen == GameScreen::Play;
    if (kind == 0 && tool == EditTool::Build) tool = EditTool::Swap;

    const int hovered = hoveredControl;
    const int cellCount = board.cellCount;
    const bool onCell = hovered >= 0 && hovered < cellCount;
    const int arrowFirst = cellCount + stockSlotCount;
    const bool onArrow = hovered >= arrowFirst && hovered < arrowFirst + arrowsPerBall * board.ballCount;

    if (tool == EditTool::Stock) {
        if (!play && (onCell || onArrow)) MarkPlayerPiece(hovered, onArrow, commit);
        return;
    }
    if (commit) levelTested = false;
    if (onArrow) {
        const int ballIndex = (hovered - arrowFirst) / arrowsPerBall;
        // A fixed ball keeps its direction in play: it shows no arrows there.
        const bool fixed = board.balls[ballIndex].lock == static_cast<int8_t>(BallLock::FixedBall);
        if (commit && !(play && fixed)) ToggleLaunchArrow(ballIndex, (hovered - arrowFirst) % arrowsPerBall);
        return;
    }
    if (!onCell) return;
    switch (tool) {
    case EditTool::Delete: DeletePiece(hovered, play, commit); break;
    case EditTool::Build: BuildPiece(kind, hovered, play, commit); break;
    case EditTool::Swap: SwapPiece(kind, hovered, play, commit); break;
    case EditTool::Stock: break;
    }
}
