// Tries the picture reader on any bytes: the TGA header check, the decoder
// behind it, and the font scan over whatever it decodes. A picture that is
// taken has the header's size and a pixel for every place; the glyphs the font
// scan finds lie inside the picture.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gfx/tga.h"
#include "ui/interface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TgaHeader header;
    std::string error;
    const bool headerOk = CheckTgaHeader(data, size, header, error);
    if (!headerOk && error.empty()) std::abort();
    Pixels pixels;
    error.clear();
    if (!DecodeTga(data, size, pixels, error)) {
        if (error.empty() || !pixels.rgba.empty()) std::abort();
        return 0;
    }
    if (!headerOk || pixels.width != header.width || pixels.height != header.height) std::abort();
    if (pixels.rgba.size() != static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 4) std::abort();

    BitmapFont font;
    const int glyphs = BuildFontMetricsFromPixels(pixels, font);
    if (glyphs < 0 || glyphs > fontGlyphCount) std::abort();
    for (int g = 0; g < glyphs; ++g) {
        if (font.glyphLeft[g] < 0 || font.glyphWidth[g] < 1 ||
            font.glyphLeft[g] + font.glyphWidth[g] > std::min(365, pixels.width))
            std::abort();
        if (font.glyphHeight[g] != 24 || font.glyphTop[g] + 24 >= std::min(125, pixels.height)) std::abort();
    }
    return 0;
}
