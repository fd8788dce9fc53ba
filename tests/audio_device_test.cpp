// The voice rule, the effects and the music thread on OpenAL Soft's silent
// device, and the M key's mute hook.
#include <gtest/gtest.h>

#include <AL/alc.h>
#include <AL/efx.h>

#include <cstdlib>

#include "app/game_state.h"
#include "app/platform_hooks.h"
#include "app/game_flow.h"
#include "audio/audio.h"

TEST(AudioVoices, ChooseVoiceRule) {
    struct Case {
        int voiceCount, current;
        bool playing[2];
        int expectVoice, expectCurrent;
    };
    const Case cases[] = {
        {1, 0, {false, false}, 0, 0},   // idle: plays
        {1, 0, {true, false}, -1, 0},   // a click still sounding is not restarted
        {2, 0, {false, false}, 0, 0},   // knock, both idle: the current voice
        {2, 0, {true, false}, 1, 1},    // a second knock overlaps on the other voice
        {2, 1, {true, true}, 0, 0},     // a third cuts the older and restarts it
        {2, 1, {false, true}, 0, 0},
        {2, 1, {true, false}, 1, 1},    // the current voice is free again
    };
    for (const Case& c : cases) {
        int current = c.current;
        EXPECT_EQ(ChooseVoice(c.voiceCount, current, c.playing), c.expectVoice);
        EXPECT_EQ(current, c.expectCurrent);
    }
}

// The whole life of the sound on a device that plays to nowhere: the pack
// loads, any effect number is safe, the music thread starts and answers the
// stop handshake. Without the data the game runs silent, says which file is
// missing, and the music thread, finding no file, still stops when asked.
TEST(AudioDevice, SessionOnSilentDevice) {
    setenv("ALSOFT_DRIVERS", "null", 1);
    for (const std::string data : {TUMBLEON_BUILD_DIR "/adatok", "/nonexistent"}) {
        const bool present = data != "/nonexistent";
        testing::internal::CaptureStderr();
        SetSoundMuted(true);
        EXPECT_EQ(OpenSoundEffects(data), present ? 9 : 0);
        // The game uses no effect slots: the device keeps no sends, whose
        // parameters every voice of every context would carry.
        ALCint sends = -1;
        alcGetIntegerv(alcGetContextsDevice(alcGetCurrentContext()), ALC_MAX_AUXILIARY_SENDS, 1, &sends);
        EXPECT_EQ(sends, 0);
        for (int id : {-1, 0, 0, 0, 3, 3, 8, 9, 1000}) PlayEffect(id);
        StartMusicThread(data);
        if (present) {
            EXPECT_EQ(musicThreadState.load(), musicThreadRunning);
        }
        ToggleSoundMuted();
        EXPECT_FALSE(SoundMuted());
        StopMusicThread();
        EXPECT_EQ(musicThreadState.load(), musicThreadStopped);
        CloseSound();
        PlayEffect(0);  // after closing: nothing, no crash
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("/nonexistent/sfx.pck") != std::string::npos, !present) << said;
    }
}

static int muteToggles = 0;
static void CountToggle() { ++muteToggles; }

// M toggles once per press; its auto-repeat and the numeric-pad minus (whose
// code is a lower-case m) do not.
TEST(AudioMuteKey, TogglesOncePerPress) {
    ResetGameState();
    platformHooks = PlatformHooks{};
    platformHooks.toggleMute = CountToggle;
    muteToggles = 0;
    const struct {
        Message message;
        int toggles;
    } steps[] = {
        {Message::Key(MessageType::KeyDown, KeyCode::M), 1},
        {Message::Key(MessageType::KeyDown, KeyCode::M, true), 1},
        {Message::Key(MessageType::KeyUp, KeyCode::M), 1},
        {Message::Key(MessageType::KeyDown, KeyCode::NumpadSubtract), 1},
        {Message::Key(MessageType::KeyDown, KeyCode::M), 2},
    };
    for (const auto& step : steps) {
        WindowProc(step.message);
        EXPECT_EQ(muteToggles, step.toggles);
    }
    platformHooks = PlatformHooks{};
}
