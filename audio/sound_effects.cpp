// The output device and the sound effects: one OpenAL buffer per effect of the
// pack, and one or two sources (voices) playing it.
#define AL_ALEXT_PROTOTYPES
#include <al.h>
#include <alext.h>
#include <efx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio/sound_device.h"
#include "audio/sound_pack.h"
#include "board/file_io.h"

// A pack beyond this size is no sound pack of ours; it is refused unread.
constexpr size_t maxPackBytes = 64u << 20;
// The knock has two voices so that quick knocks overlap.
constexpr int twoVoiceEffects = 1;

struct SoundEffect {
    ALuint buffer = 0;
    ALuint voices[2] = {};
    int voiceCount = 0;  // 0: failed to load, silent
    int currentVoice = 0;
};

static struct SoundState {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    std::vector<SoundEffect> effects;
    std::atomic<bool> muted = false;  // read by the music thread too
} sound;

ALCdevice* SoundDevice() { return sound.device; }

// ---- Device ----

// The device's settings, given with the effects' context: no auxiliary
// effect sends, as the game uses no effect slots. Every context on the device
// (the music thread's too, made without attributes so that the running device
// is not reset) holds voices for 256 sources with their parameters once per
// send: without sends each context takes 0.7 MiB less.
static constexpr ALCint deviceAttributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};

// Whether the player chose OpenAL's backends: in the environment, or with a
// "drivers" line in one of the configuration files OpenAL reads.
static bool BackendsChosen() {
    if (std::getenv("ALSOFT_DRIVERS")) return true;
    std::vector<std::string> files = {"/etc/openal/alsoft.conf", "/etc/xdg/alsoft.conf"};
    if (const char* home = std::getenv("HOME")) {
        files.push_back(std::string(home) + "/.alsoftrc");
        files.push_back(std::string(home) + "/.config/alsoft.conf");
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME")) files.push_back(std::string(config) + "/alsoft.conf");
    if (const char* conf = std::getenv("ALSOFT_CONF")) files.push_back(conf);
    for (const std::string& file : files) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(file, 1 << 20, bytes)) continue;
        const std::string text(bytes.begin(), bytes.end());
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find('\n', at), text.size());
            const size_t first = text.find_first_not_of(" \t", at);
            if (first < end && text.compare(first, 7, "drivers") == 0) return true;
            at = end + 1;
        }
    }
    return false;
}

// Opens the default device with one context for the effects, made current;
// false, said once on stderr, when there is none.
static bool OpenDevice() {
    // Every backend but JACK's, unless the player chose: loading JACK's client
    // library (and the database library it brings) costs more than a MiB for
    // every player, and a JACK desktop offers its sound through PulseAudio or
    // ALSA too.
    if (!BackendsChosen()) setenv("ALSOFT_DRIVERS", "-jack,", 0);
    // The default device: named devices differ from one system to the next.
    sound.device = alcOpenDevice(nullptr);
    if (sound.device) sound.context = alcCreateContext(sound.device, deviceAttributes);
    if (!sound.context || !alcMakeContextCurrent(sound.context)) {
        if (sound.context) alcDestroyContext(sound.context);
        if (sound.device) alcCloseDevice(sound.device);
        sound.context = nullptr;
        sound.device = nullptr;
        std::fputs("Tumbleon: no sound output device was found; the game runs without sound.\n", stderr);
        return false;
    }
    alListenerf(AL_GAIN, MuteGain(sound.muted));
    return true;
}

// ---- Effects ----

static ALenum BufferFormat(const WaveSound& wave) {
    if (wave.channels == 1) return wave.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return wave.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

static void ReleaseEffect(SoundEffect& effect) {
    if (effect.voiceCount > 0) alDeleteSources(effect.voiceCount, effect.voices);
    if (effect.buffer) alDeleteBuffers(1, &effect.buffer);
    effect = SoundEffect{};
}

// One buffer holding the samples at their own format, and its voices: centred
// on the listener, never attenuated. A failure leaves the effect silent.
static SoundEffect CreateEffect(const WaveSound& wave, int voiceCount) {
    SoundEffect effect;
    if (wave.samples.empty()) return effect;
    alGetError();
    alGenBuffers(1, &effect.buffer);
    if (alGetError() != AL_NO_ERROR) return SoundEffect{};
    alBufferData(effect.buffer, BufferFormat(wave), wave.samples.data(), static_cast<ALsizei>(wave.samples.size()),
                 static_cast<ALsizei>(wave.sampleRate));
    alGenSources(voiceCount, effect.voices);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &effect.buffer);
        return SoundEffect{};
    }
    effect.voiceCount = voiceCount;
    for (int v = 0; v < voiceCount; ++v) {
        alSourcei(effect.voices[v], AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(effect.voices[v], AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(effect.voices[v], AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(effect.voices[v], AL_BUFFER, static_cast<ALint>(effect.buffer));
    }
    if (alGetError() != AL_NO_ERROR) ReleaseEffect(effect);
    return effect;
}

int OpenSoundEffects(const std::string& dataDir) {
    if (!sound.device && !OpenDevice()) return 0;
    for (SoundEffect& effect : sound.effects) ReleaseEffect(effect);
    sound.effects.clear();
    const std::string path = dataDir + "/sfx.pck";
    std::vector<uint8_t> pack;
    std::vector<WaveSound> waves;
    // The whole pack in memory: a missing, oversized or irregular file (a FIFO, a device) is refused.
    if (!ReadWholeFile(path, maxPackBytes, pack) || !ReadSoundPackSounds(pack, waves)) {
        std::fprintf(stderr, "Tumbleon: the sound pack %s cannot be read; the game runs without sound effects.\n",
                     path.c_str());
        return 0;
    }
    int silent = 0;
    for (size_t i = 0; i < waves.size(); ++i) {
        sound.effects.push_back(CreateEffect(waves[i], i < twoVoiceEffects ? 2 : 1));
        if (sound.effects.back().voiceCount == 0) ++silent;
    }
    if (silent > 0)
        std::fprintf(stderr, "Tumbleon: %d of the %zu sounds in %s cannot be played; they stay silent.\n", silent,
                     waves.size(), path.c_str());
    return static_cast<int>(sound.effects.size());
}

int ChooseVoice(int voiceCount, int& currentVoice, const bool* voicePlaying) {
    if (!voicePlaying[currentVoice]) return currentVoice;
    if (voiceCount < 2) return -1;  // a running sound is not restarted
    // The other voice; if it is still sounding too, the older of the two is cut.
    currentVoice = (currentVoice + 1) % voiceCount;
    return currentVoice;
}

void PlayEffect(int id) {
    if (!sound.context || id < 0 || id >= static_cast<int>(sound.effects.size())) return;
    SoundEffect& effect = sound.effects[static_cast<size_t>(id)];
    if (effect.voiceCount == 0) return;
    bool playing[2] = {};
    for (int v = 0; v < effect.voiceCount; ++v) {
        ALint state = AL_STOPPED;
        alGetSourcei(effect.voices[v], AL_SOURCE_STATE, &state);
        playing[v] = state == AL_PLAYING;
    }
    const int voice = ChooseVoice(effect.voiceCount, effect.currentVoice, playing);
    if (voice < 0) return;
    alSourceRewind(effect.voices[voice]);
    alSourcePlay(effect.voices[voice]);
}

void CloseSound() {
    for (SoundEffect& effect : sound.effects) ReleaseEffect(effect);
    sound.effects.clear();
    if (sound.context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(sound.context);
    }
    // The device writes the last of its output as it closes.
    if (sound.device) alcCloseDevice(sound.device);
    sound.context = nullptr;
    sound.device = nullptr;
}

double SoundOutputSeconds() {
    if (!sound.device || !alcIsExtensionPresent(sound.device, "ALC_SOFT_device_clock")) return -1.0;
    ALCint64SOFT nanoseconds = 0;
    alcGetInteger64vSOFT(sound.device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) * 1e-9;
}

// ---- Mute ----

void SetSoundMuted(bool muted) {
    sound.muted = muted;
    // The music thread follows the flag in its own context.
    if (sound.context) alListenerf(AL_GAIN, MuteGain(muted));
}

bool SoundMuted() { return sound.muted; }

void ToggleSoundMuted() { SetSoundMuted(!sound.muted); }
