// The textures of the meshes, drawn with Cairo and written as TGA. Every block
// is the same rounded tile in its own colour with its own sign on it; balls
// carry a pattern that tells them apart without colour.
#include <cairo.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "tools/gen_meshes/gen_meshes.h"

namespace {

constexpr double pi = 3.14159265358979;
constexpr int tileSize = 128;

// Cairo's premultiplied native ARGB to straight RGBA rows, top row first.
bool WriteTga(cairo_surface_t* surface, const std::string& path) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, data + static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 4, 4);
            const uint32_t a = pixel >> 24;
            unsigned char* out = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
            const uint32_t c[3] = {(pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255};
            for (int k = 0; k < 3; ++k) out[k] = a == 0 ? 0 : static_cast<unsigned char>((c[k] * 255 + a / 2) / a);
            out[3] = static_cast<unsigned char>(a);
        }
    return stbi_write_tga(path.c_str(), w, h, 4, rgba.data()) != 0;
}

void Set(cairo_t* cr, Colour c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

// The common block face: its colour with a soft light from the top left, a
// rounded inner panel and a darker rim, so neighbouring blocks read apart.
void Tile(cairo_t* cr, Colour body, Colour rim) {
    const double s = tileSize;
    Set(cr, rim);
    cairo_paint(cr);
    cairo_pattern_t* light = cairo_pattern_create_linear(0, 0, s, s);
    cairo_pattern_add_color_stop_rgb(light, 0, std::min(1.0f, body.r * 1.08f), std::min(1.0f, body.g * 1.08f),
                                     std::min(1.0f, body.b * 1.08f));
    cairo_pattern_add_color_stop_rgb(light, 1, body.r * 0.92, body.g * 0.92, body.b * 0.92);
    RoundedRect(cr, 6, 6, s - 12, s - 12, 14);
    cairo_set_source(cr, light);
    cairo_fill(cr);
    cairo_pattern_destroy(light);
    // A thin highlight along the panel's upper edge.
    RoundedRect(cr, 9, 9, s - 18, s - 18, 11);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

using Painter = std::function<void(cairo_t*)>;

bool Draw(const std::string& path, int w, int h, const Painter& paint) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    paint(cr);
    cairo_destroy(cr);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && WriteTga(surface, path);
    cairo_surface_destroy(surface);
    return ok;
}

// ---- Signs on the blocks ----

void GroundSign(cairo_t* cr, Colour rim) {
    // A few tufts of grass, scattered the same on every tile.
    Set(cr, rim, 0.55);
    cairo_set_line_width(cr, 3);
    const double tufts[5][2] = {{34, 40}, {84, 30}, {60, 70}, {30, 94}, {92, 90}};
    for (const auto& t : tufts) {
        for (int k = -1; k <= 1; ++k) {
            cairo_move_to(cr, t[0], t[1] + 8);
            cairo_line_to(cr, t[0] + k * 5, t[1] - 4 + std::abs(k) * 3);
        }
        cairo_stroke(cr);
    }
}

void CornerSign(cairo_t* cr, Colour rim) {
    // A quarter-circle arrow: the ball is turned.
    Set(cr, rim);
    cairo_set_line_width(cr, 10);
    cairo_arc(cr, 24, 24, 58, 0.15, pi / 2 - 0.45);
    cairo_stroke(cr);
    cairo_move_to(cr, 48, 92);
    cairo_line_to(cr, 22, 84);
    cairo_line_to(cr, 42, 64);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void RampSign(cairo_t* cr, Colour rim) {
    // Chevrons pointing up the slope (the image's top).
    Set(cr, rim);
    cairo_set_line_width(cr, 10);
    for (int i = 0; i < 3; ++i) {
        const double y = 40 + i * 26;
        cairo_move_to(cr, 34, y + 14);
        cairo_line_to(cr, 64, y - 10);
        cairo_line_to(cr, 94, y + 14);
        cairo_stroke(cr);
    }
}

void StartSign(cairo_t* cr, Colour rim) {
    // A ring with a play mark: balls begin here.
    Set(cr, rim);
    cairo_set_line_width(cr, 8);
    cairo_arc(cr, 64, 64, 36, 0, 2 * pi);
    cairo_stroke(cr);
    cairo_move_to(cr, 54, 46);
    cairo_line_to(cr, 84, 64);
    cairo_line_to(cr, 54, 82);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void TargetSign(cairo_t* cr, Colour rim, Colour hole, Colour light) {
    // A bullseye round a dark hole: the balls go in here.
    const double radii[3] = {44, 32, 20};
    for (int i = 0; i < 3; ++i) {
        if (i % 2 == 0) Set(cr, rim); else Set(cr, light);
        cairo_arc(cr, 64, 64, radii[i], 0, 2 * pi);
        cairo_fill(cr);
    }
    Set(cr, hole);
    cairo_arc(cr, 64, 64, 12, 0, 2 * pi);
    cairo_fill(cr);
}

void MagnetSign(cairo_t* cr, Colour rim, Colour tip) {
    // A horseshoe magnet with light poles.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 20);
    Set(cr, rim);
    cairo_arc_negative(cr, 64, 58, 26, pi, 0);
    cairo_move_to(cr, 38, 58);
    cairo_line_to(cr, 38, 78);
    cairo_move_to(cr, 90, 58);
    cairo_line_to(cr, 90, 78);
    cairo_stroke(cr);
    Set(cr, tip);
    cairo_rectangle(cr, 28, 78, 20, 14);
    cairo_rectangle(cr, 80, 78, 20, 14);
    cairo_fill(cr);
}

void SpikeSign(cairo_t* cr, Colour rim) {
    // A zigzag band of teeth: sharp.
    Set(cr, rim);
    cairo_move_to(cr, 10, 84);
    for (int i = 0; i < 6; ++i) {
        cairo_line_to(cr, 10 + i * 18 + 9, 44);
        cairo_line_to(cr, 10 + (i + 1) * 18, 84);
    }
    cairo_line_to(cr, 118, 96);
    cairo_line_to(cr, 10, 96);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void SpringSign(cairo_t* cr, Colour rim) {
    // A coiled line: it throws.
    Set(cr, rim);
    cairo_set_line_width(cr, 7);
    cairo_move_to(cr, 20, 64);
    for (int i = 0; i < 6; ++i) cairo_line_to(cr, 28 + i * 16, i % 2 == 0 ? 38 : 90);
    cairo_line_to(cr, 108, 64);
    cairo_stroke(cr);
}

// ---- Ball patterns (u round the equator, v from pole to pole) ----

void BalloonPattern(cairo_t* cr, Colour body, Colour light) {
    // Eight gores, light and coloured in turn: stripes from pole to pole.
    Set(cr, body);
    cairo_paint(cr);
    Set(cr, light);
    for (int i = 0; i < 8; i += 2) cairo_rectangle(cr, i * tileSize / 8.0, 0, tileSize / 8.0, tileSize);
    cairo_fill(cr);
}

void IronPattern(cairo_t* cr, Colour body, Colour band) {
    // Dark metal with one light band and rivets round the equator.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, tileSize);
    cairo_pattern_add_color_stop_rgb(shade, 0, body.r * 1.25, body.g * 1.25, body.b * 1.25);
    cairo_pattern_add_color_stop_rgb(shade, 1, body.r * 0.8, body.g * 0.8, body.b * 0.8);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    Set(cr, band);
    cairo_rectangle(cr, 0, 54, tileSize, 20);
    cairo_fill(cr);
    Set(cr, body);
    for (int i = 0; i < 8; ++i) {
        cairo_arc(cr, 8 + i * 16, 64, 3.5, 0, 2 * pi);
        cairo_fill(cr);
    }
}

void PlasticPattern(cairo_t* cr, Colour body, Colour dot) {
    // Polka dots all over.
    Set(cr, body);
    cairo_paint(cr);
    Set(cr, dot);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col) {
            const double x = col * (tileSize / 6.0) + (row % 2) * (tileSize / 12.0) + 10;
            const double y = 14 + row * 25;
            cairo_arc(cr, x, y, 7, 0, 2 * pi);
            cairo_fill(cr);
        }
}

void BombPattern(cairo_t* cr, Colour body, Colour shine) {
    // Almost black, with a soft shine and a light cross band: it stays dark in grey.
    Set(cr, body);
    cairo_paint(cr);
    Set(cr, shine, 0.6);
    cairo_set_line_width(cr, 6);
    cairo_move_to(cr, 0, 64);
    cairo_line_to(cr, tileSize, 64);
    cairo_stroke(cr);
}

void SkyPicture(cairo_t* cr, const Palette& p, int w, int h) {
    // Blue above, a warm haze at the horizon (the middle), soft green below.
    const Colour top = PaletteColour(p, "skyTop"), horizon = PaletteColour(p, "skyHorizon"),
                 ground = PaletteColour(p, "skyGround");
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(g, 0.0, top.r * 0.9, top.g * 0.9, top.b * 0.95);
    cairo_pattern_add_color_stop_rgb(g, 0.35, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 0.5, horizon.r, horizon.g, horizon.b);
    cairo_pattern_add_color_stop_rgb(g, 0.56, ground.r, ground.g, ground.b);
    cairo_pattern_add_color_stop_rgb(g, 1.0, ground.r * 0.85, ground.g * 0.85, ground.b * 0.85);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // Clouds: a few puffs of stacked translucent circles above the horizon.
    const Colour cloud = PaletteColour(p, "cloud");
    const double clouds[6][2] = {{0.08, 0.33}, {0.27, 0.25}, {0.45, 0.36}, {0.62, 0.28}, {0.8, 0.34}, {0.95, 0.22}};
    for (const auto& c : clouds) {
        const double cx = c[0] * w, cy = c[1] * h;
        for (int k = 0; k < 5; ++k) {
            Set(cr, cloud, 0.35);
            cairo_arc(cr, cx + (k - 2) * 9.0, cy - (k % 2) * 5.0, 9.0 + (k % 3) * 2.0, 0, 2 * pi);
            cairo_fill(cr);
        }
    }
}

}  // namespace

bool WriteGameTextures(const Palette& p, const std::string& folder, std::string& error) {
    auto c = [&](const char* name) { return PaletteColour(p, name); };
    struct Job {
        const char* file;
        Painter paint;
    };
    const Job jobs[] = {
        {"ground.tga", [&](cairo_t* cr) { Tile(cr, c("ground"), c("groundRim")); GroundSign(cr, c("groundRim")); }},
        {"plain.tga", [&](cairo_t* cr) { Tile(cr, c("cream"), c("creamRim")); }},
        {"corner.tga", [&](cairo_t* cr) { Tile(cr, c("corner"), c("cornerRim")); CornerSign(cr, c("cornerRim")); }},
        {"ramp.tga", [&](cairo_t* cr) { Tile(cr, c("ramp"), c("rampRim")); RampSign(cr, c("rampRim")); }},
        {"start.tga", [&](cairo_t* cr) { Tile(cr, c("start"), c("startRim")); StartSign(cr, c("startRim")); }},
        {"target.tga",
         [&](cairo_t* cr) {
             Tile(cr, c("target"), c("targetRim"));
             TargetSign(cr, c("targetRim"), c("targetHole"), c("cream"));
         }},
        {"magnet.tga",
         [&](cairo_t* cr) {
             Tile(cr, c("cream"), c("magnetRim"));
             MagnetSign(cr, c("magnet"), c("magnetTip"));
         }},
        {"spike.tga", [&](cairo_t* cr) { Tile(cr, c("spike"), c("spikeRim")); SpikeSign(cr, c("spikeRim")); }},
        {"spring.tga", [&](cairo_t* cr) { Tile(cr, c("spring"), c("springRim")); SpringSign(cr, c("springRim")); }},
        {"balloon.tga", [&](cairo_t* cr) { BalloonPattern(cr, c("balloon"), c("balloonLight")); }},
        {"iron.tga", [&](cairo_t* cr) { IronPattern(cr, c("iron"), c("ironBand")); }},
        {"plastic.tga", [&](cairo_t* cr) { PlasticPattern(cr, c("plastic"), c("plasticDot")); }},
        {"bomb.tga", [&](cairo_t* cr) { BombPattern(cr, c("bomb"), c("bombShine")); }},
    };
    for (const Job& job : jobs)
        if (!Draw(folder + "/" + job.file, tileSize, tileSize, job.paint)) {
            error = std::string("cannot write ") + folder + "/" + job.file;
            return false;
        }
    if (!Draw(folder + "/sky.tga", 256, 128, [&](cairo_t* cr) { SkyPicture(cr, p, 256, 128); })) {
        error = "cannot write " + folder + "/sky.tga";
        return false;
    }
    return true;
}
