// tumbleon_sound_check: plays the game's music and, once it has been heard
// for a while, one button click, through the game's own sound code, then
// stops as the game does at exit. It reports on stdout, in seconds of the
// output device's clock, when the music began and when the click was asked
// for, and when it muted the sound, so that a recording of the output can be
// checked against them.
//
//   tumbleon_sound_check DATA_DIR
#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/audio.h"
#include "sim/effects.h"

// Waits, polling, until `done` holds; false after ten seconds of wall time.
template <typename Condition>
static bool WaitFor(Condition done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tumbleon_sound_check DATA_DIR\n", stderr);
        return 2;
    }
    const std::string dataDir = argv[1];
    if (OpenSoundEffects(dataDir) != 9 || SoundOutputSeconds() < 0.0) {
        std::fputs("tumbleon_sound_check: no device with a clock, or no sound pack\n", stderr);
        return 1;
    }
    effectHooks.playSound = PlayEffect;
    StartMusicThread(dataDir);
    if (!WaitFor(MusicPlaying)) {
        std::fputs("tumbleon_sound_check: the music did not start\n", stderr);
        return 1;
    }
    const double musicAt = SoundOutputSeconds();
    std::printf("music %.5f\n", musicAt);
    // The device clock runs with the output, so this waits for sound, not time.
    WaitFor([&] { return SoundOutputSeconds() >= musicAt + 1.5; });
    const double clickAt = SoundOutputSeconds();
    PlaySoundEffect(SoundEffectId::Button);
    std::printf("click %.5f\n", clickAt);
    WaitFor([&] { return SoundOutputSeconds() >= clickAt + 1.0; });
    // Then the mute key: music and effects fall silent together.
    ToggleSoundMuted();
    const double mutedAt = SoundOutputSeconds();
    PlaySoundEffect(SoundEffectId::Knock);
    std::printf("muted %.5f\n", mutedAt);
    WaitFor([&] { return SoundOutputSeconds() >= mutedAt + 0.5; });
    StopMusicThread();
    effectHooks.playSound = nullptr;
    CloseSound();
    std::printf("stopped %d\n", static_cast<int>(musicThreadState.load()));
    return 0;
}
