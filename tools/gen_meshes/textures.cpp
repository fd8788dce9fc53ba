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

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Lighter(Colour c, float t) { return Mix(c, {1, 1, 1}, t); }
Colour Darker(Colour c, float t) { return Mix(c, {0, 0, 0}, t); }

const Colour white{1, 1, 1};

// A block's tile in the piece's colour, rimmed a shade darker.
void TileOf(cairo_t* cr, Colour c) { Tile(cr, c, Darker(c, 0.35f)); }

// ---- Marks on the blocks, the same as on the interface's pictures ----

void GroundMark(cairo_t* cr, Colour c) {
    // Pebbles, each with a lit speck.
    const double dots[][3] = {{32, 38, 10}, {80, 28, 8}, {58, 70, 11}, {100, 80, 9}, {36, 98, 8}, {90, 108, 6}};
    for (const auto& d : dots) {
        Set(cr, Darker(c, 0.35));
        cairo_arc(cr, d[0], d[1], d[2], 0, 2 * pi);
        cairo_fill(cr);
        Set(cr, Lighter(c, 0.45));
        cairo_arc(cr, d[0] - 2.5, d[1] - 2.5, d[2] * 0.5, 0, 2 * pi);
        cairo_fill(cr);
    }
}

void PlainMark(cairo_t* cr, Colour c) {
    // Only an inset square: the neutral block.
    Set(cr, Lighter(c, 0.5));
    cairo_set_line_width(cr, 5);
    cairo_rectangle(cr, 31, 31, 66, 66);
    cairo_stroke(cr);
}

void CornerMark(cairo_t* cr) {
    // The wedge's top is the image's upper left half (u + v <= 1, u along +x,
    // v along +z), its long edge the wall a ball turns on: a ball coming in
    // across the cell's +x side leaves across its +z side, and the other way
    // round. A bent arrow along the wall with a head at each open side says so,
    // all of it on that half.
    Set(cr, white, 0.92);
    cairo_set_line_width(cr, 11);
    cairo_arc(cr, 88, 88, 72, pi, 1.5 * pi);
    cairo_stroke(cr);
    cairo_move_to(cr, 110, 16);  // towards +x
    cairo_line_to(cr, 86, 2);
    cairo_line_to(cr, 86, 30);
    cairo_close_path(cr);
    cairo_move_to(cr, 16, 110);  // towards +z
    cairo_line_to(cr, 2, 86);
    cairo_line_to(cr, 30, 86);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void RampMark(cairo_t* cr) {
    // Chevrons pointing up the slope (the image's top).
    Set(cr, white, 0.92);
    cairo_set_line_width(cr, 12);
    for (double v : {0.42, 0.78}) {
        cairo_move_to(cr, 0.22 * tileSize, v * tileSize);
        cairo_line_to(cr, 0.5 * tileSize, (v - 0.22) * tileSize);
        cairo_line_to(cr, 0.78 * tileSize, v * tileSize);
        cairo_stroke(cr);
    }
}

void StartMark(cairo_t* cr, Colour c) {
    // A play triangle: balls begin here.
    cairo_move_to(cr, 38, 28);
    cairo_line_to(cr, 105, 64);
    cairo_line_to(cr, 38, 100);
    cairo_close_path(cr);
    Set(cr, white);
    cairo_fill_preserve(cr);
    Set(cr, Darker(c, 0.4));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
}

void TargetMark(cairo_t* cr, Colour ink) {
    // A ring round a dark hole: the balls go in here.
    Set(cr, white);
    cairo_set_line_width(cr, 10);
    cairo_arc(cr, 64, 64, 46, 0, 2 * pi);
    cairo_stroke(cr);
    Set(cr, ink, 0.9);
    cairo_arc(cr, 64, 64, 26, 0, 2 * pi);
    cairo_fill(cr);
}

void MagnetMark(cairo_t* cr) {
    // A horseshoe magnet, its light poles at the open end.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 18);
    Set(cr, white);
    cairo_move_to(cr, 33, 18);
    cairo_arc_negative(cr, 64, 64, 31, pi, 0);
    cairo_line_to(cr, 95, 18);
    cairo_stroke(cr);
    Set(cr, Colour{0.55f, 0.58f, 0.64f});
    cairo_move_to(cr, 33, 18);
    cairo_line_to(cr, 33, 38);
    cairo_move_to(cr, 95, 18);
    cairo_line_to(cr, 95, 38);
    cairo_stroke(cr);
}

void SpringMark(cairo_t* cr) {
    // A zigzag line: it throws.
    Set(cr, white);
    cairo_set_line_width(cr, 9);
    cairo_move_to(cr, 19, 64);
    for (int i = 0; i < 5; ++i) cairo_line_to(cr, 32 + i * 18, i % 2 ? 92 : 36);
    cairo_line_to(cr, 109, 64);
    cairo_stroke(cr);
}

// ---- Ball patterns (u round the equator, v from the top pole to the bottom) ----

// The body colour lit from above: the same soft shading on every ball.
void BallBody(cairo_t* cr, Colour c) {
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, tileSize);
    const Colour lit = Lighter(c, 0.35), dark = Darker(c, 0.3);
    cairo_pattern_add_color_stop_rgb(shade, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(shade, 0.5, c.r, c.g, c.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
}

void IronPattern(cairo_t* cr, Colour c) {
    // Two bands crossing at the poles' circle and the equator.
    BallBody(cr, c);
    Set(cr, Darker(c, 0.5), 0.85);
    cairo_rectangle(cr, 0, 57, tileSize, 14);
    cairo_rectangle(cr, 0, 0, 7, tileSize);
    cairo_rectangle(cr, tileSize / 2.0 - 7, 0, 14, tileSize);
    cairo_rectangle(cr, tileSize - 7, 0, 7, tileSize);
    cairo_fill(cr);
}

void PlasticPattern(cairo_t* cr, Colour light, Colour dark) {
    // Light and dark halves, split through the poles: it shows every turn.
    BallBody(cr, light);
    cairo_rectangle(cr, tileSize / 2.0, 0, tileSize / 2.0, tileSize);
    cairo_clip(cr);
    BallBody(cr, dark);
    cairo_reset_clip(cr);
}

void SkyPicture(cairo_t* cr, const Palette& p, int w, int h) {
    // Blue above, a warm haze at the horizon (the middle), soft green below.
    const Colour top = PaletteColour(p, "scene.sky.top"), horizon = PaletteColour(p, "scene.sky.horizon"),
                 ground = PaletteColour(p, "scene.sky.ground");
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
    const Colour cloud = PaletteColour(p, "scene.cloud");
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
    const Colour ink = c("ui.ink");
    const Job jobs[] = {
        {"ground.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.ground")); GroundMark(cr, c("piece.ground")); }},
        {"plain.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.plain")); PlainMark(cr, c("piece.plain")); }},
        {"corner.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.corner")); CornerMark(cr); }},
        {"ramp.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.ramp")); RampMark(cr); }},
        {"start.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.start")); StartMark(cr, c("piece.start")); }},
        {"target.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.target")); TargetMark(cr, ink); }},
        {"magnet.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.magnet")); MagnetMark(cr); }},
        {"spike.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.spike")); }},
        {"spring.tga", [&](cairo_t* cr) { TileOf(cr, c("piece.spring")); SpringMark(cr); }},
        {"balloon.tga", [&](cairo_t* cr) { BallBody(cr, c("ball.balloon")); }},
        {"iron.tga", [&](cairo_t* cr) { IronPattern(cr, c("ball.iron")); }},
        {"plastic.tga", [&](cairo_t* cr) { PlasticPattern(cr, c("ball.plastic"), c("ball.plastic.dark")); }},
        {"bomb.tga", [&](cairo_t* cr) { BallBody(cr, c("ball.bomb")); }},
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
