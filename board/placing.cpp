#include "board/placing.h"

#include <algorithm>
#include <climits>

void AdjustStock(Board& target, int kind, int delta) {
    if (kind <= 0 || kind >= stockSlots) return;
    const int value = std::clamp(target.stock[kind] + delta, int{INT8_MIN}, int{INT8_MAX});
    target.stock[kind] = static_cast<int8_t>(value);
}

int CellAcross(const Board& board, int cell, CellFace face) {
    int x, y, z;
    board.CellOf(cell, x, y, z);
    switch (face) {
    case CellFace::MinusX: --x; break;
    case CellFace::PlusX: ++x; break;
    case CellFace::MinusY: --y; break;
    case CellFace::PlusY: ++y; break;
    case CellFace::MinusZ: --z; break;
    case CellFace::PlusZ: ++z; break;
    }
    return board.Contains(x, y, z) ? board.Index(x, y, z) : -1;
}

namespace {

// One click's work on a board: the rules below read and change it.
struct Placing {
    Board& board;
    const Board& loaded;
    bool play;
    bool commit;
    PlaceResult result;

    int LayerOf(int cell) const { return (cell / board.sizeX) % board.sizeY; }
    int KindAt(int cell) const { return KindOfValue(board.cells[static_cast<size_t>(cell)]); }
    // The kind in the cell above, 0 when the cell is in the top layer.
    int KindAbove(int cell) const { return LayerOf(cell) >= board.sizeY - 1 ? kindEmpty : KindAt(cell + board.sizeX); }

    // A piece of the loaded puzzle itself: the puzzle as loaded holds an
    // unflagged element there, unless it is a ball the player was to place.
    bool IsPuzzlePiece(int cell) const {
        if (loaded.sizeX != board.sizeX || loaded.sizeY != board.sizeY || loaded.sizeZ != board.sizeZ)
            return true;  // cannot tell: leave the cell alone
        const int value = loaded.cells[static_cast<size_t>(cell)];
        if (value < 1 || value >= cellPlayerPiece) return false;
        if (IsBallKind(value)) {
            const int b = loaded.FindBallAtCell(cell);
            if (b < loaded.ballCount && loaded.balls[b].lock == static_cast<int8_t>(BallLock::PlayerBall)) return false;
        }
        return true;
    }

    // In play, a piece the player put down: a flagged element, or a ball of
    // the player's own standing on its start cell. Whatever else a cell holds
    // came with the puzzle and cannot go to the stock or the cursor.
    bool PutDownByPlayer(int cell) const {
        const int value = board.cells[static_cast<size_t>(cell)];
        if (IsBallKind(KindOfValue(static_cast<int8_t>(value)))) {
            const int b = board.FindBallAtCell(cell);
            return b < board.ballCount && board.balls[b].lock == static_cast<int8_t>(BallLock::PlayerBall);
        }
        return value >= cellPlayerPiece;
    }

    // In play, whether the piece in a cell may be taken back: the player's
    // own, with nothing standing on it.
    bool CanTakeBack(int cell) const {
        return !IsPuzzlePiece(cell) && PutDownByPlayer(cell) && KindAbove(cell) == kindEmpty;
    }

    // Stock tool (editor): marks the pieces the player will have to place.
    // On a launch arrow it cycles the ball's lock; on a cell it flips the
    // player flag.
    void MarkPlayerPiece(const PickHit& hit) {
        if (hit.target == PickTarget::LaunchArrow) {
            result.previewCell = HoverNumber(hit, board.cellCount);  // the drawing lights the arrow
            if (!commit) return;
            Ball& ball = board.balls[hit.ball];
            ball.lock = static_cast<int8_t>(ball.lock >= 0 && ball.lock < 2 ? ball.lock + 1 : 0);
            return;
        }
        const int cell = hit.cell;
        const int kind = KindAt(cell);
        // Balls are marked by their lock: a flagged ball cell would hand the
        // player a second ball when the puzzle is prepared.
        if (kind == kindEmpty || kind == kindTargetCube || kind == kindMagnet || kind == kindSpikeCube || IsBallKind(kind))
            return;
        result.previewCell = cell;
        if (!commit) return;
        int8_t& value = board.cells[static_cast<size_t>(cell)];
        value = static_cast<int8_t>(value >= cellPlayerPiece ? value - cellPlayerPiece : value + cellPlayerPiece);
    }

    // A launch arrow shows the ball's direction; clicking one of the four
    // arrows of a ball without a direction chooses it, clicking again clears it.
    void ToggleLaunchArrow(int ballIndex, int arrow) {
        Ball& ball = board.balls[ballIndex];
        const auto noDirection = static_cast<int8_t>(LaunchDirection::NoDirection);
        ball.direction = ball.direction == noDirection ? static_cast<int8_t>(arrow + 1) : noDirection;
    }

    void DeletePiece(int cell) {
        const int value = board.cells[static_cast<size_t>(cell)];
        const int kind = KindOfValue(static_cast<int8_t>(value));
        if (kind == kindStartCube && IsBallKind(KindAbove(cell))) return;  // a ball stands on it
        if (value == kindEmpty || value == kindGroundCube) return;
        if (play && !CanTakeBack(cell)) return;
        result.previewCell = cell;
        if (!commit) return;
        if (IsBallKind(kind)) board.RemoveBallAtCell(cell);
        AdjustStock(board, kind, +1);
        board.cells[static_cast<size_t>(cell)] = 0;
    }

    void BuildPiece(int kind, int cell, const PickHit& hit) {
        // Pieces go onto the face the pointer came in through; nothing stands on a ball.
        if (!hit.entered) return;
        if (IsBallKind(KindAt(cell)) && hit.face == CellFace::PlusY) return;
        const int target = CellAcross(board, cell, hit.face);
        if (target < 0) return;
        const bool ball = IsBallKind(kind);
        // A ball goes only onto the top of a start cube, and only while a ball slot is free.
        if (ball && (KindAt(cell) != kindStartCube || hit.face != CellFace::PlusY || board.ballCount >= maxBalls))
            return;
        if (KindAt(target) != kindEmpty) return;
        if (play && LayerOf(target) > 0) {
            // Pieces must rest on something: the ground layer always carries them.
            const int below = target - board.sizeX;
            const int belowKind = KindAt(below);
            if (belowKind == kindEmpty && LayerOf(below) > 0) return;
            if (belowKind == kindSpikeCube || belowKind == kindTargetCube) return;
            if (!ball && belowKind == kindStartCube) return;
        }
        result.previewCell = target;
        if (!commit) return;
        if (ball) board.AddBall(kind, target);
        if (!ball && !play)
            AdjustStock(board, kind, -1);  // the editor's supply is endless: the piece stays in the cursor
        else
            result.heldKind = 0;
        board.cells[static_cast<size_t>(target)] = static_cast<int8_t>(play && !ball ? kind + cellPlayerPiece : kind);
    }

    // Puts the held kind in place of the cell's element; with nothing held
    // this picks the element up (in play) or clears the cell (in the editor).
    void SwapPiece(int kind, int cell) {
        const int value = board.cells[static_cast<size_t>(cell)];
        const int oldKind = KindOfValue(static_cast<int8_t>(value));
        int newKind = kind;
        if (LayerOf(cell) == 0) {
            // In the editor a plain cube swapped into the ground layer makes a
            // hole. In play it is put down as itself, as building would.
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
        result.previewCell = cell;
        if (!commit) return;
        if (IsBallKind(kind)) {
            // One ball for the other: the held ball stands there now, the
            // replaced one is in the cursor.
            board.SetBallKindAtCell(kind, cell);
            result.heldKind = oldKind;
            board.cells[static_cast<size_t>(cell)] = static_cast<int8_t>(kind);
            return;
        }
        if (IsBallKind(oldKind)) board.RemoveBallAtCell(cell);
        if (play || kind == 0) result.heldKind = oldKind;
        board.cells[static_cast<size_t>(cell)] =
            static_cast<int8_t>(play && newKind != kindEmpty ? newKind + cellPlayerPiece : newKind);
    }
};

}  // namespace

PlaceResult PlaceOnBoard(Board& board, const Board& loaded, const PickHit& hit, EditTool tool, int kind, int heldKind,
                         PlacePass pass, bool play) {
    Placing p{board, loaded, play, pass == PlacePass::Commit, PlaceResult{-1, heldKind, false}};
    if (kind < 0 || kind >= elementKindCount) return p.result;
    if (kind == 0 && tool == EditTool::Build) tool = EditTool::Swap;
    const bool onCell = hit.target == PickTarget::Cell && hit.cell >= 0 && hit.cell < board.cellCount;
    const bool onArrow = hit.target == PickTarget::LaunchArrow && hit.ball >= 0 && hit.ball < board.ballCount &&
                         hit.arrow >= 0 && hit.arrow < arrowsPerBall;

    if (tool == EditTool::Stock) {
        if (!play && (onCell || onArrow)) p.MarkPlayerPiece(hit);
        return p.result;
    }
    p.result.edited = p.commit;
    if (onArrow) {
        // A fixed ball keeps its direction in play: it shows no arrows there.
        const bool fixed = board.balls[hit.ball].lock == static_cast<int8_t>(BallLock::FixedBall);
        if (p.commit && !(play && fixed)) p.ToggleLaunchArrow(hit.ball, hit.arrow);
        return p.result;
    }
    if (!onCell) return p.result;
    switch (tool) {
    case EditTool::Delete: p.DeletePiece(hit.cell); break;
    case EditTool::Build: p.BuildPiece(kind, hit.cell, hit); break;
    case EditTool::Swap: p.SwapPiece(kind, hit.cell); break;
    case EditTool::Stock: break;
    }
    return p.result;
}
