// The sound generator's parts: the effects of the sound pack and the music.
#pragma once

#include <string>
#include <vector>

#include "tools/gen_sound/synth.h"

struct NamedSound {
    std::string name;
    Samples samples;  // mono, 44.1 kHz
};

// The nine effects in the game's order of effect numbers.
std::vector<NamedSound> MakeEffects();

// The music, stereo, made to loop: the sample after the last is the first.
struct Music {
    Samples left, right;
};
Music ComposeMusic();
