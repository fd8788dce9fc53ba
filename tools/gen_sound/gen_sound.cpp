// gen_sound: makes the game's sound pack "sfx.pck" and its music "golyo.ogg".
//
//   gen_sound OUTPUT_DIR            writes OUTPUT_DIR/sfx.pck and OUTPUT_DIR/golyo.ogg
//   gen_sound OUTPUT_DIR --wav      also writes every sound as a WAVE file, to listen to
//
// Both are read back with the game's own readers before the tool reports
// success, and the music is checked for a seamless loop.
#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "audio/ogg_decoder.h"
#include "audio/sound_pack.h"
#include "tools/gen_sound/sound_gen.h"

// ---- Writing ----

static void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
static void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
static void PutId(std::vector<uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}

// A 16-bit PCM RIFF WAVE file of one or two channels (interleaved samples).
static std::vector<uint8_t> Wave(const std::vector<int16_t>& pcm, uint16_t channels) {
    std::vector<uint8_t> out;
    const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
    PutId(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, channels);
    PutU32(out, sampleRate);
    PutU32(out, sampleRate * 2u * channels);
    PutU16(out, static_cast<uint16_t>(2 * channels));
    PutU16(out, 16);
    PutId(out, "data");
    PutU32(out, dataBytes);
    for (int16_t v : pcm) PutU16(out, static_cast<uint16_t>(v));
    return out;
}

static std::vector<int16_t> Pcm(const Samples& s) {
    std::vector<int16_t> pcm;
    pcm.reserve(s.size());
    for (double v : s) pcm.push_back(ToPcm16(v));
    return pcm;
}

static bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) std::fprintf(stderr, "gen_sound: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

// The pack: magic, then per sound its name length, data size, name and WAVE.
static std::vector<uint8_t> Pack(const std::vector<NamedSound>& sounds) {
    std::vector<uint8_t> out;
    PutU32(out, soundPackMagic);
    for (const NamedSound& sound : sounds) {
        const std::vector<uint8_t> wave = Wave(Pcm(sound.samples), 1);
        PutU32(out, static_cast<uint32_t>(sound.name.size()));
        PutU32(out, static_cast<uint32_t>(wave.size()));
        out.insert(out.end(), sound.name.begin(), sound.name.end());
        out.insert(out.end(), wave.begin(), wave.end());
    }
    return out;
}

// Ogg Vorbis at quality 0.4, from a fixed stream serial number so that the
// same music gives the same file.
static bool EncodeOgg(const Music& music, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    auto put = [&file](const ogg_page& page) {
        file.write(reinterpret_cast<const char*>(page.header), page.header_len);
        file.write(reinterpret_cast<const char*>(page.body), page.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, sampleRate, 0.4f) != 0) {
        std::fputs("gen_sound: the Vorbis encoder refused its settings\n", stderr);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Tumbleon");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x54554D42);
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) put(page);

    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) put(page);
            }
        }
    };
    const size_t total = music.left.size(), chunk = 4096;
    for (size_t at = 0; at < total; at += chunk) {
        const size_t n = std::min(chunk, total - at);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
        for (size_t i = 0; i < n; ++i) {
            buffer[0][i] = static_cast<float>(music.left[at + i]);
            buffer[1][i] = static_cast<float>(music.right[at + i]);
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0) put(page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    file.close();
    if (!file) std::fprintf(stderr, "gen_sound: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

// ---- Checking ----

static double ToDb(double linear) { return 20.0 * std::log10(std::max(linear, 1e-9)); }

// Scales the music to a calm, even loudness: -20 dBFS RMS, peaks kept below
// -3 dBFS.
static void Level(Music& music) {
    double sum = 0.0, peak = 0.0;
    for (const Samples* side : {&music.left, &music.right})
        for (double v : *side) {
            sum += v * v;
            peak = std::max(peak, std::abs(v));
        }
    const double rms = std::sqrt(sum / static_cast<double>(2 * music.left.size()));
    const double gain = std::min(Db(-20.0) / rms, Db(-3.0) / peak);
    for (Samples* side : {&music.left, &music.right})
        for (double& v : *side) v *= gain;
}

// Reads the pack back with the game's reader: every sound must be there.
static bool CheckPack(const std::vector<uint8_t>& pack, size_t count) {
    std::vector<WaveSound> sounds;
    if (!ReadSoundPackSounds(pack, sounds) || sounds.size() != count) return false;
    for (const WaveSound& sound : sounds)
        if (sound.samples.empty() || sound.sampleRate != sampleRate || sound.bitsPerSample != 16) return false;
    return true;
}

// Decodes the music as the game does and measures it: its length must be the
// piece's to the sample, and the step from its last sample to its first no
// bigger than the steps inside it.
static bool CheckMusic(const std::string& path, size_t frames) {
    OggDecoder decoder;
    std::string error;
    if (!decoder.Open(path, error)) {
        std::fprintf(stderr, "gen_sound: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::vector<int16_t> pcm(frames * 2 + 64);
    const long bytes = decoder.Read(reinterpret_cast<uint8_t*>(pcm.data()), pcm.size() * 2, false, error);
    if (bytes != static_cast<long>(frames * 4) || decoder.TotalFrames() != static_cast<int64_t>(frames)) {
        std::fprintf(stderr, "gen_sound: %s decodes to %ld bytes, not %zu\n", path.c_str(), bytes, frames * 4);
        return false;
    }
    int largestStep = 0, peak = 0;
    double sum = 0.0;
    for (size_t i = 0; i < frames * 2; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
        sum += static_cast<double>(pcm[i]) * pcm[i];
        if (i >= 2) largestStep = std::max(largestStep, std::abs(pcm[i] - pcm[i - 2]));
    }
    const int joinStep = std::max(std::abs(pcm[0] - pcm[frames * 2 - 2]), std::abs(pcm[1] - pcm[frames * 2 - 1]));
    std::printf("gen_sound: music %.1f s, peak %.1f dBFS, RMS %.1f dBFS, loop step %d (largest step inside %d)\n",
                static_cast<double>(frames) / sampleRate, ToDb(peak / 32768.0),
                ToDb(std::sqrt(sum / static_cast<double>(frames * 2)) / 32768.0), joinStep, largestStep);
    return joinStep <= largestStep;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--wav") != 0)) {
        std::fputs("usage: gen_sound OUTPUT_DIR [--wav]\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const bool wav = argc == 3;

    const std::vector<NamedSound> effects = MakeEffects();
    const std::vector<uint8_t> pack = Pack(effects);
    if (!CheckPack(pack, effects.size())) {
        std::fputs("gen_sound: the sound pack does not read back\n", stderr);
        return 1;
    }
    if (!WriteFile(dir + "/sfx.pck", pack)) return 1;
    if (wav)
        for (const NamedSound& effect : effects)
            if (!WriteFile(dir + "/" + effect.name, Wave(Pcm(effect.samples), 1))) return 1;

    Music music = ComposeMusic();
    Level(music);
    if (wav) {
        std::vector<int16_t> pcm;
        for (size_t i = 0; i < music.left.size(); ++i) {
            pcm.push_back(ToPcm16(music.left[i]));
            pcm.push_back(ToPcm16(music.right[i]));
        }
        if (!WriteFile(dir + "/golyo.wav", Wave(pcm, 2))) return 1;
    }
    const std::string oggPath = dir + "/golyo.ogg";
    if (!EncodeOgg(music, oggPath)) return 1;
    if (!CheckMusic(oggPath, music.left.size())) {
        std::fputs("gen_sound: the music does not loop cleanly\n", stderr);
        return 1;
    }
    return 0;
}
