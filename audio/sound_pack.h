// The readers of the sound pack "sfx.pck" and of the RIFF WAVE sounds inside
// it. They work on bytes already in memory and touch no audio device, so the
// tests and the fuzzers can drive them with any input.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The pack begins with these four bytes: 11 B9 30 01.
constexpr uint32_t soundPackMagic = 0x0130B911;

// One entry of the pack as found in its directory. An entry whose name or data
// runs past the end of the file keeps its place (effects are played by their
// index) but is marked broken and plays nothing.
struct SoundPackEntry {
    std::string name;
    uint64_t dataOffset = 0;  // from the start of the pack
    uint32_t dataSize = 0;
    bool intact = false;
};

// Lists the entries of a pack: one for every entry header (name length and data
// size) that can be read in full before the end of the bytes. False, with
// `entries` untouched, when the bytes do not begin with the pack's magic.
bool ReadSoundPackDirectory(std::span<const uint8_t> pack, std::vector<SoundPackEntry>& entries);

// A WAVE sound the device can play: PCM, 8 or 16 bits, mono or stereo.
struct WaveSound {
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;
    uint32_t sampleRate = 0;
    std::span<const uint8_t> samples;  // inside the parsed bytes, whole sample frames
};

// Reads a complete RIFF WAVE file: its first "fmt " and "data" chunks. False,
// with `sound` untouched, for anything that is not a playable WAVE: a broken
// header, a chunk running past the end, a "fmt " chunk shorter than 14 bytes,
// no "data" chunk, no samples, or a format other than the ones above.
bool ReadWave(std::span<const uint8_t> bytes, WaveSound& sound);

// Reads every sound of a pack, in pack order: each entry its own data, even
// where two entries share a name. An entry that is broken or not a playable
// WAVE gives a sound without samples, which stays silent. False, with `sounds`
// untouched, when the bytes are not a pack.
bool ReadSoundPackSounds(std::span<const uint8_t> pack, std::vector<WaveSound>& sounds);
