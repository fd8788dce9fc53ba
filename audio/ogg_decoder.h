// Decoding of the Ogg Vorbis music into 16-bit PCM, without any audio device:
// the music thread feeds the device from it, and the tests check it alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct OggDecoderState;

// One open Ogg Vorbis file. It closes its file when it goes.
class OggDecoder {
public:
    OggDecoder();
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // Opens `path`; false with the music thread's text in `error` when the file
    // cannot be read ("Could not open Ogg file.") or is not Ogg Vorbis ("Could
    // not open Ogg stream. " and the decoder's reason).
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const;

    int Channels() const;
    long SampleRate() const;
    // Sample frames in the whole file, or -1 when unknown.
    int64_t TotalFrames() const;

    // Decodes up to `capacity` bytes of 16-bit signed little-endian PCM into
    // `out` and returns how many were written. With `loop` the end of the file
    // goes on with its beginning, sample for sample, so a file made to loop
    // plays without a seam; without it 0 means the end. -1 on a decoder error,
    // with its text in `error`.
    long Read(uint8_t* out, size_t capacity, bool loop, std::string& error);

private:
    std::unique_ptr<OggDecoderState> state;
};

// The text for a vorbisfile result code.
const char* OggErrorText(int code);
