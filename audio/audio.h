// Sound: the effects of the sound pack "sfx.pck" and the music "golyo.ogg"
// streamed on a thread of its own, both through OpenAL Soft on the default
// output device. With no device, no pack or no music the game runs silent and
// says so once on stderr; every call here is harmless then.
//
// How the program's entry file wires it in (dataDir is the data folder
// "adatok" beside the program):
//
//   start-up, once the window, the device and the game data are ready:
//       if (mutedOnCommandLine) SetSoundMuted(true);       // --mute
//       OpenSoundEffects(dataDir);                         // device + "sfx.pck"
//       effectHooks.playSound = PlayEffect;                // sim/effects.h
//       platformHooks.toggleMute = ToggleSoundMuted;       // app/platform_hooks.h
//       StartMusicThread(dataDir);                         // the last start-up step
//   main loop ...
//   shutdown, first thing after the loop, in this order (the music plays on
//   the effects' device):
//       StopMusicThread();                                 // waits for the thread
//       effectHooks.playSound = nullptr;
//       CloseSound();
//
// The M key: the window layer hands a key down of M, in either case, to
// WindowProc as KeyCode::M ('M', 0x4D) and never as 'm' (0x6D is the
// numeric-pad minus); the window procedure then calls platformHooks.toggleMute
// on the first key down, not on auto-repeat.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// The handshake with the music thread, in musicThreadState:
constexpr int8_t musicThreadNotStarted = 0;  // the main thread (StartMusicThread, when no thread can start)
constexpr int8_t musicThreadRunning = 1;     // the main thread (StartMusicThread)
constexpr int8_t musicThreadStopAsked = 2;   // the main thread (StopMusicThread)
constexpr int8_t musicThreadStopped = 3;     // the music thread, as its last act
// The thread shares two more atomic flags with the main thread: the mute
// (SoundMuted; the main thread writes it, the thread follows it) and whether
// the music plays (MusicPlaying; the thread writes it).
extern std::atomic<int8_t> musicThreadState;

// Opens the default output device and loads every effect of
// "<dataDir>/sfx.pck" in pack order; the first effect (the knock) gets two
// voices. Returns the number of entries in the pack (effects that failed to
// load keep their number and stay silent).
int OpenSoundEffects(const std::string& dataDir);

// Plays effect `id` of the pack once. A playing effect is not restarted; the
// knock's second voice lets two overlap, and a third cuts the older one.
void PlayEffect(int id);

// Starts the thread that plays "<dataDir>/golyo.ogg" in an endless loop on the
// effects' device. Does nothing without a device. Sets musicThreadState to
// musicThreadRunning when the thread runs.
void StartMusicThread(const std::string& dataDir);

// Asks the music thread to stop and waits until it has (a few tens of
// milliseconds). Does nothing when it is not running.
void StopMusicThread();

// Releases the effects and closes the device. The music thread plays on that
// device: StopMusicThread comes first.
void CloseSound();

// True while the music thread has the music playing (for traces and tests).
bool MusicPlaying();

// Seconds of sound the output device has produced since it opened, -1 when
// there is no device or it cannot tell (for traces and tests).
double SoundOutputSeconds();

// Mutes or unmutes music and effects together; may be called before
// OpenSoundEffects.
void SetSoundMuted(bool muted);
bool SoundMuted();
void ToggleSoundMuted();

// The voice rule of an effect: the voice a new play request starts from the
// beginning, or -1 when the request is not heard. `voicePlaying` tells which of
// the `voiceCount` voices are sounding; `currentVoice` moves on when a second
// voice is taken.
int ChooseVoice(int voiceCount, int& currentVoice, const bool* voicePlaying);
