// The trace: with TUMBLEON_TRACE=1 the game reports on stderr, one
// "trace: ..." line at a time, what it shows and hears, so that the
// end-to-end tests wait on the game's own account instead of on the clock.
#pragma once

#include <string>

#include "app/messages.h"

// Reads TUMBLEON_TRACE: on unless it is unset, empty or "0".
void StartTrace();
bool Tracing();

// One line on stderr when tracing.
void Trace(const std::string& line);

// A start-up stage with the milliseconds since the process began and the
// resident and peak memory then, so a slow or heavy stage shows by name.
void TraceStage(const char* stage);

// The display: full screen or window, and its size.
void TraceDisplay();

// After each presented frame: the first frame's stage, the state shown once
// it has been presented twice (a screenshot taken after the report shows it),
// the menu's board built up, and the sound clock.
void TracePresentedFrame();

// The traced seams, in place of the plain ones while tracing: each key
// message is reported once the game has handled it, each sound and mute with
// the output's clock.
bool NextTracedMessage(Message& message);
void PlayTracedEffect(int id);
void ToggleTracedMute();
