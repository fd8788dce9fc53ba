#include "gfx/tga.h"

#include <cerrno>
#include <cstdio>
#include <stb_image.h>

#include "board/file_io.h"

// ---- Header and pixel data ----

//   0 id length, 1 colour map type, 2 image type, 3..7 colour map layout,
//   8..11 origin, 12 width, 14 height, 16 bits per pixel, 17 descriptor
constexpr size_t tgaHeaderBytes = 18;

static int ReadU16(const uint8_t* p) { return p[0] | p[1] << 8; }

bool CheckTgaHeader(const uint8_t* data, size_t size, TgaHeader& header, std::string& error) {
    if (size < tgaHeaderBytes) {
        error = "shorter than a TGA header";
        return false;
    }
    const int idLength = data[0], colourMapType = data[1], imageType = data[2];
    const int width = ReadU16(data + 12), height = ReadU16(data + 14), bits = data[16];
    if (colourMapType != 0 || (imageType != 2 && imageType != 10)) {
        error = "not a true-colour TGA picture (colour map " + std::to_string(colourMapType) + ", image type " +
                std::to_string(imageType) + ")";
        return false;
    }
    if (bits != 24 && bits != 32) {
        error = std::to_string(bits) + " bits a pixel, not 24 or 32";
        return false;
    }
    if (width < 1 || height < 1 || width > maxImageSide || height > maxImageSide) {
        error = "size " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1.." +
                std::to_string(maxImageSide);
        return false;
    }
    header.width = width;
    header.height = height;
    header.bytesPerPixel = bits / 8;
    header.runLength = imageType == 10;
    header.pixelStart = tgaHeaderBytes + static_cast<size_t>(idLength);
    return true;
}

// Where the pixel data ends when every pixel is there; 0 when the file ends
// first. Run-length packets: a count byte (high bit: one pixel repeated, else
// that many raw pixels), the low seven bits plus one pixels.
static size_t PixelDataEnd(const uint8_t* data, size_t size, const TgaHeader& header) {
    const size_t pixels = static_cast<size_t>(header.width) * static_cast<size_t>(header.height);
    const size_t bpp = static_cast<size_t>(header.bytesPerPixel);
    size_t at = header.pixelStart;
    if (!header.runLength) return at <= size && (size - at) / bpp >= pixels ? at + pixels * bpp : 0;
    size_t done = 0;
    while (done < pixels) {
        if (at >= size) return 0;
        const uint8_t count = data[at++];
        const size_t run = (count & 0x7Fu) + 1u;
        const size_t bytes = (count & 0x80u) ? bpp : run * bpp;
        if (size - at < bytes) return 0;
        at += bytes;
        done += run;  // a packet may run past the last pixel; the decoder stops there too
    }
    return at;
}

bool DecodeTga(const uint8_t* data, size_t size, Pixels& pixels, std::string& error) {
    TgaHeader header;
    if (!CheckTgaHeader(data, size, header, error)) return false;
    if (PixelDataEnd(data, size, header) == 0) {
        error = "the file ends before its last pixel";
        return false;
    }
    if (size > static_cast<size_t>(INT32_MAX)) {
        error = "too long";
        return false;
    }
    // The header is a true-colour TGA's, with no colour map: no other format
    // the decoder knows starts so, so it reads the file as TGA.
    int w = 0, h = 0, channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
    if (!decoded || w != header.width || h != header.height) {
        if (decoded) stbi_image_free(decoded);
        error = "the pixel data cannot be decoded";
        return false;
    }
    Pixels result;
    result.width = w;
    result.height = h;
    result.rgba.assign(decoded, decoded + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    stbi_image_free(decoded);
    pixels = std::move(result);
    return true;
}

// ---- Files ----

bool ReadTgaFile(const std::string& path, Pixels& pixels, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, maxImageFileBytes, bytes)) {
        error = ReadFailureText(errno);
        return false;
    }
    return DecodeTga(bytes.data(), bytes.size(), pixels, error);
}

bool ReadTgaSize(const std::string& path, int& width, int& height, std::string& error) {
    std::FILE* file = OpenRegularFile(path, maxImageFileBytes);
    if (!file) {
        error = ReadFailureText(errno);
        return false;
    }
    uint8_t bytes[tgaHeaderBytes];
    const size_t n = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    TgaHeader header;
    if (!CheckTgaHeader(bytes, n, header, error)) return false;
    width = header.width;
    height = header.height;
    return true;
}
