#include "audio/sound_pack.h"

#include <algorithm>
#include <cstring>

static uint32_t ReadU32(std::span<const uint8_t> bytes, uint64_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

static uint16_t ReadU16(std::span<const uint8_t> bytes, uint64_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

static bool SameId(std::span<const uint8_t> bytes, uint64_t at, const char* id) {
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

// ---- Pack ----

bool ReadSoundPackDirectory(std::span<const uint8_t> pack, std::vector<SoundPackEntry>& entries) {
    if (pack.size() < 4 || ReadU32(pack, 0) != soundPackMagic) return false;
    std::vector<SoundPackEntry> found;
    // Sizes are 64-bit here so that a hostile name length plus data size cannot
    // wrap around and send the walk backwards.
    uint64_t at = 4;
    const uint64_t end = pack.size();
    while (end - at >= 8) {
        const uint64_t nameLength = ReadU32(pack, at);
        const uint64_t dataSize = ReadU32(pack, at + 4);
        at += 8;
        SoundPackEntry entry;
        // Lengths are checked against what is left before anything is taken,
        // so a lying header costs nothing.
        if (nameLength <= end - at) {
            entry.name.assign(reinterpret_cast<const char*>(pack.data() + at), nameLength);
            entry.dataOffset = at + nameLength;
            entry.dataSize = static_cast<uint32_t>(dataSize);
            entry.intact = dataSize <= end - entry.dataOffset;
        }
        found.push_back(std::move(entry));
        if (nameLength + dataSize > end - at) break;
        at += nameLength + dataSize;
    }
    entries = std::move(found);
    return true;
}

// ---- WAVE ----

constexpr uint16_t formatPcm = 1, formatExtensible = 0xFFFE;

// The "fmt " payload as a playable format; false for any other.
static bool ReadFormat(std::span<const uint8_t> fmt, WaveSound& sound) {
    if (fmt.size() < 14) return false;
    uint16_t tag = ReadU16(fmt, 0);
    const uint16_t channels = ReadU16(fmt, 2);
    const uint32_t sampleRate = ReadU32(fmt, 4);
    const uint16_t blockAlign = ReadU16(fmt, 12);
    if (channels != 1 && channels != 2) return false;
    // The oldest form of the chunk stops before the sample size: the block
    // then tells it.
    const uint16_t bits = fmt.size() >= 16 ? ReadU16(fmt, 14) : static_cast<uint16_t>(blockAlign * 8 / channels);
    // The extensible form names its sample type in a GUID whose first two
    // bytes are the plain format tag.
    if (tag == formatExtensible) {
        if (fmt.size() < 40 || ReadU16(fmt, 16) < 22) return false;
        tag = ReadU16(fmt, 24);
    }
    if (tag != formatPcm || (bits != 8 && bits != 16)) return false;
    if (blockAlign != channels * bits / 8 || sampleRate == 0 || sampleRate > 384000) return false;
    sound.channels = channels;
    sound.bitsPerSample = bits;
    sound.sampleRate = sampleRate;
    return true;
}

bool ReadWave(std::span<const uint8_t> bytes, WaveSound& sound) {
    if (bytes.size() < 12 || !SameId(bytes, 0, "RIFF") || !SameId(bytes, 8, "WAVE")) return false;
    // A RIFF size beyond the file is not trusted: the chunks end with the bytes.
    const uint64_t end = std::min<uint64_t>(uint64_t{ReadU32(bytes, 4)} + 8, bytes.size());
    std::span<const uint8_t> fmt, data;
    bool haveFmt = false, haveData = false;
    uint64_t at = 12;
    while (!(haveFmt && haveData) && end >= at + 8) {
        const uint64_t size = ReadU32(bytes, at + 4);
        const uint64_t payload = at + 8;
        if (size > end - payload) return false;
        if (!haveFmt && SameId(bytes, at, "fmt ")) {
            fmt = bytes.subspan(payload, size);
            haveFmt = true;
        } else if (!haveData && SameId(bytes, at, "data")) {
            data = bytes.subspan(payload, size);
            haveData = true;
        }
        at = payload + size + (size & 1);
    }
    WaveSound read;
    if (!haveFmt || !haveData || !ReadFormat(fmt, read)) return false;
    const size_t frame = read.channels * read.bitsPerSample / 8u;
    read.samples = data.first(data.size() / frame * frame);
    if (read.samples.empty()) return false;
    sound = read;
    return true;
}

bool ReadSoundPackSounds(std::span<const uint8_t> pack, std::vector<WaveSound>& sounds) {
    std::vector<SoundPackEntry> entries;
    if (!ReadSoundPackDirectory(pack, entries)) return false;
    std::vector<WaveSound> read(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].intact) ReadWave(pack.subspan(entries[i].dataOffset, entries[i].dataSize), read[i]);
    }
    sounds = std::move(read);
    return true;
}
