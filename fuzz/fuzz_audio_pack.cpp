// Tries the sound pack reader, and through it the WAVE reader, on any bytes;
// the same bytes are also tried as a lone WAVE file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/sound_pack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    std::vector<WaveSound> sounds;
    if (ReadSoundPackSounds(bytes, sounds)) {
        // Every sound found must lie inside the input, in whole frames.
        for (const WaveSound& sound : sounds) {
            if (sound.samples.empty()) continue;
            if (sound.samples.data() < data || sound.samples.data() + sound.samples.size() > data + size) __builtin_trap();
            if (sound.samples.size() % (sound.channels * sound.bitsPerSample / 8u) != 0) __builtin_trap();
        }
    }
    WaveSound wave;
    ReadWave(bytes, wave);
    return 0;
}
