// The sound pack and WAVE readers on well-formed, truncated and hostile bytes
// and on real files, and the music decoder on real Ogg Vorbis files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "audio/ogg_decoder.h"
#include "audio/sound_pack.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

void U32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Id(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}
void Chunk(Bytes& b, const char* id, const Bytes& payload, uint32_t size) {
    Id(b, id);
    U32(b, size);
    b.insert(b.end(), payload.begin(), payload.end());
}
// A "fmt " payload: tag, channels, rate, block align, bits.
Bytes Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits) {
    Bytes f;
    auto u16 = [&f](uint16_t v) { f.push_back(static_cast<uint8_t>(v)), f.push_back(static_cast<uint8_t>(v >> 8)); };
    u16(tag), u16(channels), U32(f, rate), U32(f, rate * align), u16(align), u16(bits);
    return f;
}
Bytes Riff(const Bytes& chunks) {
    Bytes b;
    Id(b, "RIFF");
    U32(b, static_cast<uint32_t>(chunks.size() + 4));
    Id(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}
Bytes MonoWave(size_t sampleBytes) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Format(1, 1, 44100, 2, 16), 16);
    Chunk(chunks, "data", Bytes(sampleBytes, 0x11), static_cast<uint32_t>(sampleBytes));
    return Riff(chunks);
}
// A pack entry, with lengths that may lie about what follows.
void Entry(Bytes& pack, const std::string& name, const Bytes& data, int64_t nameLength = -1, int64_t dataSize = -1) {
    U32(pack, static_cast<uint32_t>(nameLength < 0 ? int64_t(name.size()) : nameLength));
    U32(pack, static_cast<uint32_t>(dataSize < 0 ? int64_t(data.size()) : dataSize));
    pack.insert(pack.end(), name.begin(), name.end());
    pack.insert(pack.end(), data.begin(), data.end());
}
Bytes PackHeader() {
    Bytes b;
    U32(b, soundPackMagic);
    return b;
}

}  // namespace

TEST(AudioReaders, WaveCases) {
    const Bytes f16 = Format(1, 1, 44100, 2, 16);
    struct Case {
        const char* what;
        Bytes bytes;
        bool ok;
        uint16_t channels, bits;
        size_t sampleBytes;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, Bytes bytes, bool ok, uint16_t channels = 0, uint16_t bits = 0, size_t n = 0) {
        cases.push_back({what, std::move(bytes), ok, channels, bits, n});
    };
    add("mono 16-bit", MonoWave(8), true, 1, 16, 8);
    {
        Bytes c;  // an odd-sized chunk before the format is padded to even
        Chunk(c, "LIST", {1, 2, 3, 0}, 3);
        Chunk(c, "fmt ", Format(1, 2, 22050, 2, 8), 16);
        Chunk(c, "data", Bytes(7, 0x80), 7);  // half a frame at the end is dropped
        add("stereo 8-bit after a padded chunk", Riff(c), true, 2, 8, 6);
    }
    {
        Bytes ext = Format(0xFFFE, 2, 44100, 4, 16);
        ext.insert(ext.end(), {22, 0, 16, 0, 3, 0, 0, 0, 1, 0, 0, 0});  // size, valid bits, mask, PCM GUID
        ext.resize(40, 0);
        Bytes c;
        Chunk(c, "fmt ", ext, 40);
        Chunk(c, "data", Bytes(8, 0), 8);
        add("extensible PCM", Riff(c), true, 2, 16, 8);
    }
    {
        Bytes c;
        Chunk(c, "fmt ", Bytes(f16.begin(), f16.begin() + 14), 14);  // no sample size: the block tells
        Chunk(c, "data", Bytes(4, 0), 4);
        add("14-byte format", Riff(c), true, 1, 16, 4);
    }
    {
        Bytes c;
        Chunk(c, "fmt ", Bytes(f16.begin(), f16.begin() + 12), 12);
        Chunk(c, "data", Bytes(4, 0), 4);
        add("format shorter than 14 bytes", Riff(c), false);
    }
    Bytes fmtOnly;
    Chunk(fmtOnly, "fmt ", f16, 16);
    add("no data chunk", Riff(fmtOnly), false);
    Bytes hugeData = fmtOnly, hugeFmt;
    Chunk(hugeData, "data", Bytes(4, 0), 0xFFFFFFF0u);
    add("data size beyond the file", Riff(hugeData), false);
    Chunk(hugeFmt, "fmt ", f16, 0xFFFFFFFFu);
    add("format size beyond the file", Riff(hugeFmt), false);
    // Float, 24-bit, three channels, none, a block that lies, rate 0.
    for (const auto& [tag, channels, align, bits, rate] : std::vector<std::array<uint32_t, 5>>{
             {3, 1, 4, 32, 44100}, {1, 1, 3, 24, 44100}, {1, 3, 6, 16, 44100}, {1, 0, 2, 16, 44100},
             {1, 2, 2, 16, 44100}, {1, 1, 2, 16, 0}}) {
        Bytes c;
        Chunk(c, "fmt ", Format(uint16_t(tag), uint16_t(channels), rate, uint16_t(align), uint16_t(bits)), 16);
        Chunk(c, "data", Bytes(12, 0), 12);
        add("unplayable format", Riff(c), false);
    }
    add("empty data", MonoWave(0), false);
    Bytes notWave = MonoWave(8);
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    add("not WAVE", notWave, false);
    const Bytes whole = MonoWave(100);
    for (size_t cut : {0, 11, 12, 30, 43, 60}) add("truncated", Bytes(whole.begin(), whole.begin() + cut), false);
    // The RIFF size may lie upwards; the chunks still end with the file.
    Bytes bigRiff = MonoWave(8);
    bigRiff[7] = 0x7F;
    add("RIFF size beyond the file", bigRiff, true, 1, 16, 8);

    for (const Case& c : cases) {
        WaveSound sound;
        sound.channels = 77;
        EXPECT_EQ(ReadWave(c.bytes, sound), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(sound.channels, c.channels) << c.what;
            EXPECT_EQ(sound.bitsPerSample, c.bits) << c.what;
            EXPECT_EQ(sound.samples.size(), c.sampleBytes) << c.what;
        } else {
            EXPECT_EQ(sound.channels, 77) << c.what << ": untouched";
        }
    }
}

TEST(AudioReaders, PackCases) {
    const Bytes a = MonoWave(4), b = MonoWave(6), c = MonoWave(8);
    struct Case {
        const char* what;
        Bytes pack;
        std::vector<size_t> sampleBytes;  // per entry, 0 = silent
    };
    std::vector<Case> cases;
    {
        Bytes p = PackHeader();
        Entry(p, "a.wav", a), Entry(p, "b.wav", b), Entry(p, "c.wav", c);
        cases.push_back({"three sounds", p, {4, 6, 8}});
        cases.push_back({"ends inside a header", [&] { Bytes q = p; q.insert(q.end(), {1, 0, 0, 0, 5}); return q; }(),
                         {4, 6, 8}});
        cases.push_back({"last data cut short", Bytes(p.begin(), p.end() - 3), {4, 6, 0}});
    }
    {
        // Each entry plays its own data, even under the name of an earlier one.
        Bytes p = PackHeader();
        Entry(p, "same.wav", a), Entry(p, "SAME.wav", b), Entry(p, "same.wav", c);
        cases.push_back({"shared names", p, {4, 6, 8}});
    }
    {
        Bytes p = PackHeader();
        Entry(p, "a.wav", a), Entry(p, "b.wav", b, 0xFFFFFFF0u, 6), Entry(p, "c.wav", c);
        cases.push_back({"huge name length", p, {4, 0}});
    }
    {
        Bytes p = PackHeader();
        Entry(p, "a.wav", a), Entry(p, "b.wav", b, 5, 0xFFFFFFFFu), Entry(p, "c.wav", c);
        cases.push_back({"huge data size", p, {4, 0}});
    }
    {
        // Name length and size that wrap around 32 bits when added.
        Bytes p = PackHeader();
        Entry(p, "a.wav", a), Entry(p, "", {}, 0x80000000u, 0x80000000u), Entry(p, "c.wav", c);
        cases.push_back({"lengths that wrap", p, {4, 0}});
    }
    {
        Bytes p = PackHeader();
        Entry(p, "a.wav", Bytes{'n', 'o', 'p', 'e'}), Entry(p, "b.wav", b);
        cases.push_back({"an entry that is not a WAVE", p, {0, 6}});
    }
    cases.push_back({"magic only", PackHeader(), {}});

    for (const Case& k : cases) {
        std::vector<WaveSound> sounds;
        ASSERT_TRUE(ReadSoundPackSounds(k.pack, sounds)) << k.what;
        ASSERT_EQ(sounds.size(), k.sampleBytes.size()) << k.what;
        for (size_t i = 0; i < sounds.size(); ++i) EXPECT_EQ(sounds[i].samples.size(), k.sampleBytes[i]) << k.what << " " << i;
    }
    std::vector<WaveSound> kept(2);
    for (const Bytes& wrong : {Bytes{}, Bytes{0x11, 0xB9, 0x30}, Bytes{0x11, 0xB9, 0x30, 0x02}}) {
        EXPECT_FALSE(ReadSoundPackSounds(wrong, kept));
        EXPECT_EQ(kept.size(), 2u) << "untouched";
    }
}

// Debian's alsa-utils test sounds, packed as the game's pack is.
TEST(AudioReaders, RealWaveFiles) {
    Bytes pack = PackHeader();
    size_t count = 0;
    for (const auto& file : std::filesystem::directory_iterator("/usr/share/sounds/alsa")) {
        if (file.path().extension() != ".wav") continue;
        const Bytes wave = ReadBytes(file.path().string());
        WaveSound sound;
        ASSERT_TRUE(ReadWave(wave, sound)) << file.path();
        EXPECT_EQ(sound.sampleRate, 48000u);
        EXPECT_GT(sound.samples.size(), 48000u);
        Entry(pack, file.path().filename().string(), wave);
        ++count;
    }
    ASSERT_GE(count, 5u);
    std::vector<WaveSound> sounds;
    ASSERT_TRUE(ReadSoundPackSounds(pack, sounds));
    EXPECT_EQ(sounds.size(), count);
    for (const WaveSound& s : sounds) EXPECT_EQ(s.channels, 1);
}

// The music decoder on Debian's freedesktop sounds, mono and stereo: every
// frame is read, and looping carries on with the file's own first samples.
TEST(AudioReaders, OggDecoderOnRealFiles) {
    for (const char* name : {"audio-channel-front-center.oga", "bell.oga"}) {
        const std::string path = std::string("/usr/share/sounds/freedesktop/stereo/") + name;
        OggDecoder decoder;
        std::string error;
        ASSERT_TRUE(decoder.Open(path, error)) << error;
        const size_t frame = static_cast<size_t>(decoder.Channels()) * 2;
        const int64_t frames = decoder.TotalFrames();
        ASSERT_GT(frames, 1000);
        Bytes once(static_cast<size_t>(frames) * frame + 1000);
        EXPECT_EQ(decoder.Read(once.data(), once.size(), false, error), frames * static_cast<int64_t>(frame)) << name;
        ASSERT_TRUE(decoder.Open(path, error));
        // An odd room: only whole frames are decoded.
        Bytes twice(static_cast<size_t>(frames) * frame * 2 + 1);
        ASSERT_EQ(decoder.Read(twice.data(), twice.size(), true, error), frames * static_cast<int64_t>(frame) * 2);
        EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + frames * static_cast<int64_t>(frame), once.begin()));
        EXPECT_TRUE(std::equal(twice.begin() + frames * static_cast<int64_t>(frame), twice.end() - 1, once.begin()))
            << name << ": the loop goes on with the start";
    }
    ScratchDir dir;
    WriteBytes(dir.File("not.ogg"), MonoWave(4000));
    OggDecoder decoder;
    std::string error;
    EXPECT_FALSE(decoder.Open(dir.File("missing.ogg"), error));
    EXPECT_EQ(error, "Could not open Ogg file.");
    EXPECT_FALSE(decoder.Open(dir.File("not.ogg"), error));
    EXPECT_EQ(error.rfind("Could not open Ogg stream. ", 0), 0u) << error;
    EXPECT_FALSE(decoder.IsOpen());
}
