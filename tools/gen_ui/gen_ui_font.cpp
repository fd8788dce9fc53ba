// The game's bitmap font image: 95 glyphs of DejaVu Sans Bold in rows 24
// pixels high, each row followed by a marker row. The game finds every glyph
// from a marker pixel (red 255, blue 0) one row below the glyph's last column,
// scanning the first 125 rows and 365 columns; glyphs of a row sit side by
// side from column 0, each as wide as its advance.
#include "gen_ui.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// The glyph order of the game's font, here in UTF-8. In the game's own
// Windows-1250 the character before "_" is 0x92 and the last is a space.
const char glyphOrder[] =
    "0123456789AÁBCDEÉFGHIÍJKLMNOÓÖŐPQRSTUÚÜŰVWXYZaábcdeéfghiíjklmnoóöőpqrstuúüűvwxyz"
    ".,;:-?!&()%’_/ ";
const int glyphCount = 95;
const int rowHeight = 24;   // glyph rows; a marker row follows each
const int scanColumns = 365;
const int scanRows = 125;
const double fontSize = 18;

std::vector<std::string> SplitUtf8(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

}  // namespace

bool DrawFontImage(const ArtKit& kit, int width, int height, cairo_surface_t** image,
                   std::vector<GlyphRect>& rects, std::string& error) {
    std::vector<std::string> glyphs = SplitUtf8(glyphOrder);
    if (static_cast<int>(glyphs.size()) != glyphCount) {
        error = "the glyph order holds " + std::to_string(glyphs.size()) + " characters, not 95";
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_font_face(cr, kit.bold);
    cairo_set_font_size(cr, fontSize);

    // The baseline goes as low as the highest accent allows, leaving room
    // under the descenders for the one-pixel shadow.
    double above = 0, below = 0;
    std::vector<int> advances;
    for (const std::string& g : glyphs) {
        cairo_text_extents_t ext;
        cairo_text_extents(cr, g.c_str(), &ext);
        above = std::max(above, -ext.y_bearing);
        below = std::max(below, ext.y_bearing + ext.height);
        advances.push_back(static_cast<int>(std::lround(ext.x_advance)));
    }
    int baseline = static_cast<int>(std::ceil(above));
    if (baseline + std::ceil(below) + 1 > rowHeight) {
        error = "glyphs at this size are taller than a 24-pixel row";
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return false;
    }

    // Lay the glyphs out row by row within the columns the game scans.
    rects.assign(glyphCount, {});
    int left = 0, row = 0;
    for (int g = 0; g < glyphCount; ++g) {
        if (left + advances[g] > scanColumns) {
            ++row;
            left = 0;
        }
        rects[g] = {left, row * (rowHeight + 1), advances[g], rowHeight};
        left += advances[g];
    }
    if ((row + 1) * (rowHeight + 1) > std::min(scanRows, height) || scanColumns > width) {
        error = "the glyphs need more rows than the game scans";
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        return false;
    }

    for (int g = 0; g < glyphCount; ++g) {
        const GlyphRect& r = rects[g];
        cairo_save(cr);
        cairo_rectangle(cr, r.left, r.top, r.width, r.height);
        cairo_clip(cr);
        // White, so the colour the game draws text in shows as it is; a
        // soft dark shadow keeps it readable over the bright sky.
        cairo_move_to(cr, r.left + 1, r.top + baseline + 1);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
        cairo_show_text(cr, glyphs[g].c_str());
        cairo_move_to(cr, r.left + 0.5, r.top + baseline + 0.5);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
        cairo_show_text(cr, glyphs[g].c_str());
        cairo_move_to(cr, r.left, r.top + baseline);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_show_text(cr, glyphs[g].c_str());
        cairo_restore(cr);
    }
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(status);
        cairo_surface_destroy(surface);
        return false;
    }

    // The markers, opaque pure red, under the last column of each glyph.
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (const GlyphRect& r : rects) {
        auto* pixel = reinterpret_cast<uint32_t*>(data + (r.top + r.height) * stride) + r.left + r.width - 1;
        *pixel = 0xFFFF0000u;
    }
    cairo_surface_mark_dirty(surface);
    *image = surface;
    return true;
}
