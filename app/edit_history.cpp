#include "app/edit_history.h"

#include <cstring>
#include <deque>

#include "app/game_flow.h"
#include "sim/effects.h"

namespace {

struct EditState {
    Board board;
    int heldKind = 0;
};

struct EditHistory {
    std::deque<EditState> undo, redo;
    EditState begun;
    bool stepBegun = false;
};

EditHistory history;

bool Editing() { return gameScreen == GameScreen::Play || gameScreen == GameScreen::Editor; }

// Whether two states differ in anything a click can change (a ball's rolling
// values play no part off a run).
bool SameEdit(const EditState& a, const Board& b, int heldKind) {
    const Board& x = a.board;
    if (a.heldKind != heldKind || x.sizeX != b.sizeX || x.sizeY != b.sizeY || x.sizeZ != b.sizeZ ||
        x.cells != b.cells || x.ballCount != b.ballCount || x.goalCount != b.goalCount ||
        std::memcmp(x.stock, b.stock, sizeof x.stock) != 0)
        return false;
    for (int i = 0; i < x.ballCount; ++i) {
        const Ball &p = x.balls[i], &q = b.balls[i];
        if (p.kind != q.kind || p.direction != q.direction || p.lock != q.lock || p.position.x != q.position.x ||
            p.position.y != q.position.y || p.position.z != q.position.z)
            return false;
    }
    return true;
}

// Puts the last state of `from` on the screen, keeping what was there in `to`
// for the way back; false when `from` is empty.
bool Step(std::deque<EditState>& from, std::deque<EditState>& to) {
    if (!Editing() || from.empty()) return false;
    to.push_back({board, heldKind});
    board = std::move(from.back().board);
    heldKind = from.back().heldKind;
    from.pop_back();
    PlaySoundEffect(SoundEffectId::CellClick);
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    return true;
}

}  // namespace

void BeginEditStep() {
    history.stepBegun = Editing();
    if (history.stepBegun) history.begun = {board, heldKind};
}

void EndEditStep() {
    if (!history.stepBegun) return;
    history.stepBegun = false;
    if (!Editing() || SameEdit(history.begun, board, heldKind)) return;
    history.undo.push_back(std::move(history.begun));
    if (history.undo.size() > editHistorySteps) history.undo.pop_front();
    history.redo.clear();
}

bool UndoEdit() { return Step(history.undo, history.redo); }

bool RedoEdit() { return Step(history.redo, history.undo); }

void ClearEditHistory() {
    history.undo.clear();
    history.redo.clear();
    history.stepBegun = false;
}

int UndoSteps() { return static_cast<int>(history.undo.size()); }
int RedoSteps() { return static_cast<int>(history.redo.size()); }
