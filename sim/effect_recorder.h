// Headless effects: a recorder that installs itself as the effect hooks and
// keeps what the simulation and the commands asked for, in order. Tests and
// the level tool use it where the game would play sounds and show debris.
#pragma once

#include <vector>

#include "sim/effects.h"

struct DebrisRecord {
    int meshKind = 0;
    Vec3 worldPosition;
    int quarterTurns = 0;
};

struct ClearedCell {
    int x = 0, y = 0, z = 0;
};

// Records while it lives and puts the previous hooks back when it goes. One
// recorder at a time.
class EffectRecorder {
public:
    std::vector<int> sounds;
    std::vector<DebrisRecord> debris;
    std::vector<ClearedCell> clearedCells;
    int debrisClears = 0;

    EffectRecorder();
    ~EffectRecorder();
    EffectRecorder(const EffectRecorder&) = delete;
    EffectRecorder& operator=(const EffectRecorder&) = delete;

    // Forgets everything recorded so far; the vectors keep their capacity.
    void Clear();

private:
    EffectHooks previous;
};
