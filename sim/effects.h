// The narrow seams through which the simulation and the game commands reach
// the audio and the 3D scene. The game fills them with the sound pack and the
// debris list; headless (tests, tools) they are left empty or record events.
#pragma once

#include "board/geometry.h"

// Sound effect numbers of the sound pack.
enum class SoundEffectId : int {
    Knock = 0,         // a ball strikes something hard, or a corner turns it
    CellClick = 1,     // a click on a cell, launch arrow or stock item
    Goal = 2,          // the run is won
    Button = 3,        // a click on an interface button
    RunStopped = 4,    // a run is stopped and the board restored
    RunStarted = 5,
    Explosion = 6,
    BalloonBurst = 7,
    TargetTaken = 8,
};

struct EffectHooks {
    // Plays sound effect `id`.
    void (*playSound)(int id) = nullptr;
    // Starts a shatter debris entry of element mesh `meshKind` at a world
    // position, turned by `quarterTurns` quarter turns about the vertical axis.
    void (*addDebris)(int meshKind, Vec3 worldPosition, int quarterTurns) = nullptr;
    // Removes every debris entry.
    void (*clearDebris)() = nullptr;
    // Reports a cell emptied by an explosion (the tools trace it).
    void (*cellCleared)(int x, int y, int z) = nullptr;
};

// Installed hooks; a null hook does nothing.
extern EffectHooks effectHooks;

inline void PlaySoundEffect(int id) {
    if (effectHooks.playSound) effectHooks.playSound(id);
}
inline void PlaySoundEffect(SoundEffectId id) { PlaySoundEffect(static_cast<int>(id)); }
inline void AddDebris(int meshKind, Vec3 worldPosition, int quarterTurns) {
    if (effectHooks.addDebris) effectHooks.addDebris(meshKind, worldPosition, quarterTurns);
}
inline void ClearDebris() {
    if (effectHooks.clearDebris) effectHooks.clearDebris();
}
inline void ReportCellCleared(int x, int y, int z) {
    if (effectHooks.cellCleared) effectHooks.cellCleared(x, y, z);
}
