// The music thread: "golyo.ogg" decoded with vorbisfile and streamed through
// OpenAL with two queued buffers, in an endless loop until the game ends.
#define AL_ALEXT_PROTOTYPES
#include <al.h>
#include <alext.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "audio/ogg_decoder.h"
#include "audio/sound_device.h"

std::atomic<int8_t> musicThreadState{musicThreadNotStarted};

// PCM decoded per refill: about 0.74 s of 44.1 kHz 16-bit stereo, so the two
// queued buffers hold about 1.5 s.
constexpr size_t musicBufferBytes = 131072;

// Why a pass of the music thread ended; the thread catches it itself.
struct MusicError {
    std::string text;
};

static void Check() {
    if (alGetError() != AL_NO_ERROR) throw MusicError{"OpenAL error was raised."};
}

// ---- The stream ----

// One open pass over the music file: the decoder, two buffers and a source.
class MusicStream {
public:
    ~MusicStream() { Release(); }

    // Opens the file and the decoder and makes the buffers and the source.
    void Open(const std::string& path) {
        std::string error;
        if (!decoder.Open(path, error)) throw MusicError{error};
        format = decoder.Channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
        alGetError();
        alGenBuffers(2, buffers);
        Check();
        haveBuffers = true;
        alGenSources(1, &source);
        Check();
        haveSource = true;
        // Centred on the listener and never attenuated; a stereo file goes
        // straight to the output channels where the device can.
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_DIRECTION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        Check();
        if (alIsExtensionPresent("AL_SOFT_direct_channels")) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        alGetError();
    }

    // Stops and frees the OpenAL objects and closes the file.
    void Release() {
        if (haveSource) {
            alSourceStop(source);
            ALint queued = 0;
            alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
            for (ALint i = 0; i < queued; ++i) {
                ALuint buffer = 0;
                alSourceUnqueueBuffers(source, 1, &buffer);
            }
            alDeleteSources(1, &source);
        }
        if (haveBuffers) alDeleteBuffers(2, buffers);
        alGetError();
        haveSource = haveBuffers = false;
        decoder.Close();
    }

    bool IsOpen() const { return decoder.IsOpen(); }

    bool Playing() const {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    }

    // Starts playing: true when it plays, false when no data could be buffered.
    bool Playback() {
        if (Playing()) return true;
        // After a stall (the thread was starved) the queue still holds sound:
        // play on from there rather than refill buffers the source still owns.
        ALint queued = 0;
        alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
        if (queued == 0) {
            if (!Refill(buffers[0]) || !Refill(buffers[1])) return false;
            alSourceQueueBuffers(source, 2, buffers);
        }
        alSourcePlay(source);
        return true;
    }

    // Refills the buffers the source has finished; false when no more data came.
    bool Update() {
        bool active = true;
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        while (processed-- > 0) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
            Check();
            active = Refill(buffer);
            if (!active) break;  // an empty buffer would only repeat old sound
            alSourceQueueBuffers(source, 1, &buffer);
            Check();
        }
        return active;
    }

private:
    // The end of the file runs on into its beginning inside the decoder, so the
    // queue never runs dry and the loop has no gap.
    bool Refill(ALuint buffer) {
        std::string error;
        const long bytes = decoder.Read(pcm.data(), pcm.size(), true, error);
        if (bytes < 0) throw MusicError{error};
        if (bytes == 0) return false;
        alBufferData(buffer, format, pcm.data(), static_cast<ALsizei>(bytes), static_cast<ALsizei>(decoder.SampleRate()));
        Check();
        return true;
    }

    OggDecoder decoder;
    std::vector<uint8_t> pcm = std::vector<uint8_t>(musicBufferBytes);
    ALuint buffers[2] = {};
    ALuint source = 0;
    bool haveBuffers = false, haveSource = false;
    ALenum format = AL_FORMAT_STEREO16;
};

// ---- The thread ----

static struct MusicState {
    std::thread thread;
    std::atomic<bool> playing = false;  // written by the music thread
} music;

bool MusicPlaying() { return music.playing; }

static bool StopRequested() { return musicThreadState.load() == musicThreadStopAsked; }

static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A context of the thread's own on the shared device keeps its OpenAL error
// state apart from the effects on the main thread. Null when the device cannot
// give one: the thread then shares the main context.
static ALCcontext* OpenThreadContext(ALCdevice* device) {
    if (!alcIsExtensionPresent(device, "ALC_EXT_thread_local_context")) return nullptr;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context && !alcSetThreadContext(context)) {
        alcDestroyContext(context);
        context = nullptr;
    }
    return context;
}

// The thread: pass after pass, open the file and play it until asked to stop;
// any failure ends the pass and the next one tries again 100 ms later.
static void MusicThread(std::string path, ALCdevice* device) {
    ALCcontext* context = OpenThreadContext(device);
    bool appliedMute = !SoundMuted();
    bool reported = false;
    MusicStream stream;
    // Follows the mute key in this thread's own context.
    auto followMute = [&] {
        if (context && appliedMute != SoundMuted()) {
            appliedMute = SoundMuted();
            alListenerf(AL_GAIN, MuteGain(appliedMute));
        }
    };
    while (!StopRequested()) {
        SleepMs(100);
        // Asked to stop during the pause: no new pass is begun for nothing.
        if (StopRequested()) break;
        followMute();
        try {
            stream.Open(path);
            if (!stream.Playback()) throw MusicError{"Ogg refused to play."};
            music.playing = true;
            while (stream.Update()) {
                if (StopRequested()) throw MusicError{"Escape."};
                followMute();
                if (!stream.Playing() && !stream.Playback()) throw MusicError{"Ogg abruptly stopped."};
                SleepMs(10);
            }
            music.playing = false;
            stream.Release();
        } catch (const MusicError& error) {
            music.playing = false;
            stream.Release();
            // A missing or broken file is tried again and again: say it once.
            if (!reported && error.text != "Escape.") {
                std::fprintf(stderr, "Tumbleon: the music %s cannot be played (%s); the game runs without music.\n",
                             path.c_str(), error.text.c_str());
                reported = true;
            }
        }
    }
    stream.Release();
    if (context) {
        alcSetThreadContext(nullptr);
        alcDestroyContext(context);
    }
    musicThreadState = musicThreadStopped;
}

void StartMusicThread(const std::string& dataDir) {
    ALCdevice* device = SoundDevice();
    if (!device || music.thread.joinable()) return;
    musicThreadState = musicThreadRunning;
    try {
        music.thread = std::thread(MusicThread, dataDir + "/golyo.ogg", device);
    } catch (const std::system_error&) {
        musicThreadState = musicThreadNotStarted;
        std::fputs("Tumbleon: the music thread cannot be started; the game runs without music.\n", stderr);
    }
}

void StopMusicThread() {
    if (!music.thread.joinable()) return;
    if (musicThreadState == musicThreadRunning) musicThreadState = musicThreadStopAsked;
    music.thread.join();
}
