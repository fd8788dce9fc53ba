// End to end: the real game plays its music and a button click into OpenAL
// Soft's file-writing output; the recording must hold the music itself, the
// click must begin where the game said it asked for it, and the M key must
// silence both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/ogg_decoder.h"
#include "audio/sound_pack.h"
#include "tests/test_support.h"

namespace {

// The real game runs in the normal build only, as the other end-to-end tests
// do: the graphics driver's own allocations would read as leaks.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool underSanitizers = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool underSanitizers = true;
#else
constexpr bool underSanitizers = false;
#endif
#else
constexpr bool underSanitizers = false;
#endif

constexpr double rate = 44100.0;

struct Report {
    double music = -1.0, click = -1.0, muted = -1.0;
    bool stopped = false;
};

// Plays the game with the recording output; the driver prints the game's own
// account of its sounds on stdout.
Report RunGame(const ScratchDir& dir) {
    WriteText(dir.File("alsoft.conf"), "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                                       "frequency = 44100\n[wave]\nfile = " + dir.File("out.wav") + "\n");
    // The driver list of the configuration, not one another test left in the environment.
    const std::string command = "env -u ALSOFT_DRIVERS ALSOFT_CONF='" + dir.File("alsoft.conf") + "' bash '" TUMBLEON_SOURCE_DIR
                                "/tests/e2e/sound_drive.sh' '" TUMBLEON_BUILD_DIR "'";
    Report report;
    FILE* out = popen(command.c_str(), "r");
    if (!out) return report;
    char line[200];
    while (std::fgets(line, sizeof line, out)) {
        std::sscanf(line, "music %lf", &report.music);
        std::sscanf(line, "click %lf", &report.click);
        std::sscanf(line, "muted %lf", &report.muted);
        if (std::strncmp(line, "stopped", 7) == 0) report.stopped = true;
    }
    pclose(out);
    return report;
}

}  // namespace

TEST(AudioEndToEnd, RecordingHoldsMusicClickAndMute) {
    if (underSanitizers) GTEST_SKIP() << "the real game runs in the normal build";
    ScratchDir dir;
    const Report report = RunGame(dir);
    ASSERT_GE(report.music, 0.0);
    ASSERT_GT(report.click, report.music);
    ASSERT_GT(report.muted, report.click);
    ASSERT_TRUE(report.stopped) << "Escape ends the game cleanly";

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
