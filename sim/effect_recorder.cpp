#include "sim/effect_recorder.h"

#include <cassert>

static EffectRecorder* activeRecorder = nullptr;

static void RecordSound(int id) { activeRecorder->sounds.push_back(id); }

static void RecordDebris(int meshKind, Vec3 worldPosition, int quarterTurns) {
    activeRecorder->debris.push_back({meshKind, worldPosition, quarterTurns});
}

static void RecordDebrisClear() { ++activeRecorder->debrisClears; }

static void RecordClearedCell(int x, int y, int z) { activeRecorder->clearedCells.push_back({x, y, z}); }

EffectRecorder::EffectRecorder() : previous(effectHooks) {
    assert(!activeRecorder);
    activeRecorder = this;
    effectHooks.playSound = RecordSound;
    effectHooks.addDebris = RecordDebris;
    effectHooks.clearDebris = RecordDebrisClear;
    effectHooks.cellCleared = RecordClearedCell;
}

EffectRecorder::~EffectRecorder() {
    effectHooks = previous;
    activeRecorder = nullptr;
}

void EffectRecorder::Clear() {
    sounds.clear();
    debris.clear();
    clearedCells.clear();
    debrisClears = 0;
}
