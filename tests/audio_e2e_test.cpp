// End to end: the game's sound code plays the music and a button click into
// OpenAL Soft's file-writing output; the recording must hold the music itself,
// the click must begin where the program said it asked for it, and the mute
// must silence both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/ogg_decoder.h"
#include "audio/sound_pack.h"
#include "tests/test_support.h"

namespace {

constexpr double rate = 44100.0;

struct Report {
    double music = -1.0, click = -1.0, muted = -1.0;
    int stopped = -1;
};

// Runs the sound check with the recording output; its report comes on stdout.
Report RunSoundCheck(const ScratchDir& dir) {
    WriteText(dir.File("alsoft.conf"), "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                                       "frequency = 44100\n[wave]\nfile = " + dir.File("out.wav") + "\n");
    const std::string command = "ALSOFT_CONF='" + dir.File("alsoft.conf") + "' '" TUMBLEON_BUILD_DIR
                                "/tumbleon_sound_check' '" TUMBLEON_BUILD_DIR "/adatok'";
    Report report;
    FILE* out = popen(command.c_str(), "r");
    if (!out) return report;
    char line[200];
    while (std::fgets(line, sizeof line, out)) {
        std::sscanf(line, "music %lf", &report.music);
        std::sscanf(line, "click %lf", &report.click);
        std::sscanf(line, "muted %lf", &report.muted);
        std::sscanf(line, "stopped %d", &report.stopped);
    }
    pclose(out);
    return report;
}

}  // namespace

TEST(AudioEndToEnd, RecordingHoldsMusicClickAndMute) {
    ScratchDir dir;
    const Report report = RunSoundCheck(dir);
    ASSERT_GE(report.music, 0.0);
    ASSERT_GT(report.click, report.music);
    ASSERT_GT(report.muted, report.click);
    EXPECT_EQ(report.stopped, 3) << "the music thread ends with the stop handshake";

    const std::vector<uint8_t> recorded = ReadBytes(dir.File("out.wav"));
    WaveSound wave;
    ASSERT_TRUE(ReadWave(recorded, wave));
    ASSERT_EQ(wave.channels, 2);
    ASSERT_EQ(wave.bitsPerSample, 16);
    std::vector<int16_t> rec(wave.samples.size() / 2);
    std::memcpy(rec.data(), wave.samples.data(), rec.size() * 2);
    const long clickFrame = std::lround(report.click * rate), mutedFrame = std::lround(report.muted * rate);
    ASSERT_GT(static_cast<long>(rec.size() / 2), mutedFrame + 11025) << "the recording goes on after the mute";

    OggDecoder decoder;
    std::string error;
    ASSERT_TRUE(decoder.Open(TUMBLEON_BUILD_DIR "/adatok/golyo.ogg", error)) << error;
    std::vector<int16_t> music(static_cast<size_t>(clickFrame) * 2 + 100000);
    ASSERT_GT(decoder.Read(reinterpret_cast<uint8_t*>(music.data()), music.size() * 2, true, error), 0);

    // Where the music begins in the recording: the closest match of a tenth
    // of a second, near the moment the program reported.
    const long reported = std::lround(report.music * rate), probe = reported + 8820;
    long bestLag = -1;
    double best = 1e300;
    for (long lag = std::max(0L, reported - 4096); lag <= reported + 4096; ++lag) {
        double distance = 0.0;
        for (long k = 0; k < 4410 && distance < best; ++k) {
            const double d = rec[2 * (probe + k)] - music[2 * (probe + k - lag)];
            distance += d * d;
        }
        if (distance < best) best = distance, bestLag = lag;
    }
    ASSERT_GE(bestLag, 0);

    // Take the music away: before the click almost nothing may be left, and
    // what is left after it is the click, starting when it was asked for.
    double musicEnergy = 0.0, restEnergy = 0.0;
    long clickStart = -1;
    for (long n = bestLag + 100; n < clickFrame + 22050; ++n)
        for (int c = 0; c < 2; ++c) {
            const double m = music[2 * (n - bestLag) + c], rest = rec[2 * n + c] - m;
            if (n < clickFrame) musicEnergy += m * m, restEnergy += rest * rest;
            if (clickStart < 0 && std::abs(rest) > 800.0) clickStart = n;
        }
    EXPECT_LT(restEnergy, musicEnergy * 1e-4) << "the recording before the click is the music";
    EXPECT_GT(musicEnergy / (2.0 * static_cast<double>(clickFrame - bestLag)), 300.0 * 300.0) << "music is heard";
    EXPECT_GE(clickStart, clickFrame - 220) << "the click is not early";
    EXPECT_LE(clickStart, clickFrame + 4410) << "the click is at most 0.1 s late";
    // A tenth of a second after the mute, music and the knock played with it
    // are silent.
    int loudest = 0;
    for (long i = 2 * (mutedFrame + 4410); i < 2 * (mutedFrame + 11025); ++i) loudest = std::max(loudest, std::abs(int{rec[i]}));
    EXPECT_LT(loudest, 40) << "muted";
}
