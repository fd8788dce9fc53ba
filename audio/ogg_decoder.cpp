#include "audio/ogg_decoder.h"

#include <algorithm>
#include <cstdio>

// The header's own callback tables are static data that every includer would
// carry unused; ours below do the same over a FILE*.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "board/file_io.h"

// The music of the game is a few megabytes; this leaves room for a long piece.
constexpr size_t maxMusicFileBytes = 512u << 20;

struct OggDecoderState {
    OggVorbis_File file{};
    int channels = 0;
    long sampleRate = 0;
};

static size_t ReadFile(void* buffer, size_t size, size_t count, void* file) {
    return std::fread(buffer, size, count, static_cast<FILE*>(file));
}
static int SeekFile(void* file, ogg_int64_t offset, int whence) {
    return std::fseek(static_cast<FILE*>(file), static_cast<long>(offset), whence);
}
static int CloseFile(void* file) { return std::fclose(static_cast<FILE*>(file)); }
static long TellFile(void* file) { return std::ftell(static_cast<FILE*>(file)); }

const char* OggErrorText(int code) {
    switch (code) {
    case OV_EREAD: return "Read from media.";
    case OV_ENOTVORBIS: return "Not Vorbis data.";
    case OV_EVERSION: return "Vorbis version mismatch.";
    case OV_EBADHEADER: return "Invalid Vorbis header.";
    case OV_EFAULT: return "Internal logic fault (bug or heap/stack corruption.";
    default: return "Unknown Ogg error.";
    }
}

OggDecoder::OggDecoder() = default;
OggDecoder::~OggDecoder() { Close(); }

bool OggDecoder::Open(const std::string& path, std::string& error) {
    Close();
    // A FIFO or a device would hold the music thread forever: only a regular file is read.
    FILE* file = OpenRegularFile(path, maxMusicFileBytes);
    if (!file) {
        error = "Could not open Ogg file.";
        return false;
    }
    auto opened = std::make_unique<OggDecoderState>();
    const ov_callbacks callbacks{ReadFile, SeekFile, CloseFile, TellFile};
    const int result = ov_open_callbacks(file, &opened->file, nullptr, 0, callbacks);
    if (result < 0) {
        // On failure the decoder leaves the file to us.
        std::fclose(file);
        error = std::string("Could not open Ogg stream. ") + OggErrorText(result);
        return false;
    }
    const vorbis_info* info = ov_info(&opened->file, -1);
    opened->channels = info ? info->channels : 0;
    opened->sampleRate = info ? info->rate : 0;
    state = std::move(opened);
    return true;
}

void OggDecoder::Close() {
    if (state) ov_clear(&state->file);  // closes the file too
    state.reset();
}

bool OggDecoder::IsOpen() const { return state != nullptr; }
int OggDecoder::Channels() const { return state ? state->channels : 0; }
long OggDecoder::SampleRate() const { return state ? state->sampleRate : 0; }

int64_t OggDecoder::TotalFrames() const {
    if (!state) return -1;
    const ogg_int64_t total = ov_pcm_total(&state->file, -1);
    return total < 0 ? -1 : total;
}

long OggDecoder::Read(uint8_t* out, size_t capacity, bool loop, std::string& error) {
    if (!state || state->channels <= 0) return 0;
    // Whole frames only: a room smaller than a frame would read as the end.
    const size_t frame = static_cast<size_t>(state->channels) * 2;
    capacity = capacity / frame * frame;
    size_t filled = 0;
    // A file that ends before giving a single byte would make the loop spin.
    bool decodedSinceRewind = true;
    while (filled < capacity) {
        int bitstream = 0;
        const int want = static_cast<int>(std::min<size_t>(capacity - filled, 1 << 20));
        const long got = ov_read(&state->file, reinterpret_cast<char*>(out + filled), want, 0, 2, 1, &bitstream);
        if (got < 0) {
            error = OggErrorText(static_cast<int>(got));
            return -1;
        }
        if (got > 0) {
            filled += static_cast<size_t>(got);
            decodedSinceRewind = true;
            continue;
        }
        if (!loop || !decodedSinceRewind || ov_pcm_seek(&state->file, 0) != 0) break;
        decodedSinceRewind = false;
    }
    return static_cast<long>(filled);
}
