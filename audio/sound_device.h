// Inside audio/ only: what the music thread needs of the device the effects
// opened.
#pragma once

#include <alc.h>

// The open output device, or null when there is none.
ALCdevice* SoundDevice();

// The listener gain for the mute state.
inline float MuteGain(bool muted) { return muted ? 0.0f : 1.0f; }
