// The game's pictures are TGA files: true colour, 24 or 32 bits a pixel, raw
// or run-length coded. Anything else under a picture's name is refused, and so
// is a file that ends before its last pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Straight (not premultiplied) RGBA pixels, rows top to bottom.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// No picture of the game comes near these; they keep a damaged header from
// asking for gigabytes.
constexpr int maxImageSide = 4096;
// Run-length data may take up to five bytes a pixel, plus the header, the
// image id and room for the optional trailing areas of the format.
constexpr size_t maxImageFileBytes = 18 + 255 + size_t{maxImageSide} * maxImageSide * 5 + (1u << 20);

struct TgaHeader {
    int width = 0, height = 0;
    int bytesPerPixel = 0;   // 3 or 4
    bool runLength = false;  // image type 10 rather than 2
    size_t pixelStart = 0;   // offset of the pixel data in the file
};

// Checks a TGA file's header: true colour (image type 2 or 10) without a
// colour map, 24 or 32 bits a pixel, each side 1..maxImageSide. False, with a
// one-line English reason, otherwise.
bool CheckTgaHeader(const uint8_t* data, size_t size, TgaHeader& header, std::string& error);

// Checks a TGA file whole (header, and pixel data that covers every pixel)
// and decodes it. False, `pixels` untouched and a reason in `error`, otherwise.
bool DecodeTga(const uint8_t* data, size_t size, Pixels& pixels, std::string& error);

// Reads and decodes a TGA file; the file must be a regular file of at most
// maxImageFileBytes. False with a reason (naming nothing) otherwise.
bool ReadTgaFile(const std::string& path, Pixels& pixels, std::string& error);

// The size of a TGA picture from its header alone; false with a reason when
// the file cannot be read or its header is not one the game draws.
bool ReadTgaSize(const std::string& path, int& width, int& height, std::string& error);
