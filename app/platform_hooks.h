// What the game logic asks of the platform. The window layer fills these in;
// the tests fake them. Each one is harmless when left empty. Sounds and the
// debris list go through effectHooks (sim/effects.h).
#pragma once

#include <string>
#include <vector>

#include "app/messages.h"

struct DisplayMode;

// The cursor pictures, numbered as the window layer's cursor files are.
enum class CursorId : int {
    Ramp = 107,
    Pointer = 109,
    Ball = 110,
    Block = 111,
    Corner = 112,
};

struct PlatformHooks {
    // Milliseconds since the program started (elapsed real time).
    double (*clockMilliseconds)() = nullptr;
    // Shows the level file dialog (open or save) and puts the chosen path in
    // `path`; false when the player cancels.
    bool (*chooseLevelFile)(bool open, std::string& path) = nullptr;
    // Opens a web page in the player's browser.
    void (*openWebPage)(const char* address) = nullptr;
    // Resets the device for a new display mode; the device counts as lost until
    // pollDevice reports it usable.
    void (*resetDevice)(const DisplayMode& mode) = nullptr;
    // Shows the game in a window of the current mode's size (true) or full
    // screen in that mode (false), keeping the device; false when the window
    // system refuses, and then nothing has changed.
    bool (*showInWindow)(bool inWindow) = nullptr;
    // True when the lost device is usable again (it may reset it on the way).
    bool (*pollDevice)() = nullptr;
    // The adapter's full-screen display modes; the modes of one format in the
    // adapter's own numbering, first to last.
    std::vector<DisplayMode> (*enumerateDisplayModes)() = nullptr;
    // Recomputes hoveredControl, pickEntryPoint and pickBoxMin from the pointer.
    void (*updateHover)() = nullptr;
    // Draws one frame.
    void (*drawFrame)() = nullptr;
    // Shows a cursor picture.
    void (*setCursor)(CursorId cursor) = nullptr;
    // Releases the graphics when the window is destroyed.
    void (*releaseGraphics)() = nullptr;
    // The next waiting window message; false when the queue is empty.
    bool (*nextMessage)(Message& message) = nullptr;
    // Yields the processor between frames.
    void (*sleepMilliseconds)(int ms) = nullptr;
    // Tells the player something went wrong, in a message box; UTF-8 texts.
    void (*showMessage)(const char* title, const char* text) = nullptr;
    // Mutes or unmutes music and effects together (the M key).
    void (*toggleMute)() = nullptr;
};

extern PlatformHooks platformHooks;

// The millisecond clock, 0 when no clock is installed.
double ClockMilliseconds();

// Tells the player in a box (on stderr when there is none) that something
// could not be saved; UTF-8. The time the box stood open is not played.
void TellSaveFailure(const std::string& text);
// The clock of what only moves the picture (the light's round): the
// millisecond clock, or 0 while pictureFrozen.
double PictureClockMilliseconds();
