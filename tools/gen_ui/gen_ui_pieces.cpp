// The pieces and balls as small pictures: the help picture, the cursors and
// the icons all draw them here, so each kind looks the same everywhere. Each
// has its palette colour and its own mark, so colour is never the only clue.
#include "gen_ui.h"

#include <algorithm>
#include <cmath>

namespace {

struct Point {
    double x, y;
};

// A 2:1 isometric view of a unit block: u runs to the lower right, v to the
// lower left, w up. (1, 1, 0), the near bottom corner, lands on the stand
// point; s is the screen length of half a top diagonal, h of a full height.
struct IsoView {
    double cx, cy, s, h;
    Point At(double u, double v, double w) const {
        return {cx + (u - v) * s, cy - s + (u + v) * s / 2 - w * h};
    }
    // Maps the unit square (u, v) of a plane through at(0,0,w0) whose height
    // falls by drop along v, so marks can be drawn in square coordinates.
    cairo_matrix_t Plane(double w0, double drop) const {
        Point o = At(0, 0, w0);
        cairo_matrix_t m;
        cairo_matrix_init(&m, s, s / 2, -s, s / 2 + drop * h, o.x, o.y);
        return m;
    }
};

void Polygon(cairo_t* cr, std::initializer_list<Point> points) {
    cairo_new_path(cr);
    for (const Point& p : points) cairo_line_to(cr, p.x, p.y);
    cairo_close_path(cr);
}

// Fills the current path with c and outlines it in ink.
void FillFace(cairo_t* cr, Rgb c, double edge) {
    SetColour(cr, c);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.08, 0.1, 0.18, 0.55);
    cairo_set_line_width(cr, edge);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void GroundShadow(cairo_t* cr, double cx, double cy, double rx, double ry) {
    for (int i = 3; i >= 1; --i) {
        double grow = 1 + 0.07 * i;
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx * grow, ry * grow);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.1);
        cairo_fill(cr);
    }
}

// The three visible faces of a box of height 1 in the view.
void DrawBox(cairo_t* cr, const IsoView& iso, Rgb c, double edge) {
    Point n = iso.At(0, 0, 1), e = iso.At(1, 0, 1), s = iso.At(1, 1, 1), w = iso.At(0, 1, 1);
    Point e0 = iso.At(1, 0, 0), s0 = iso.At(1, 1, 0), w0 = iso.At(0, 1, 0);
    Polygon(cr, {w, s, s0, w0});
    FillFace(cr, c, edge);
    Polygon(cr, {s, e, e0, s0});
    FillFace(cr, Darker(c, 0.28), edge);
    Polygon(cr, {n, e, s, w});
    cairo_pattern_t* top = cairo_pattern_create_linear(n.x, n.y, s.x, s.y);
    Rgb lit = Lighter(c, 0.3);
    cairo_pattern_add_color_stop_rgb(top, 0, lit.r, lit.g, lit.b);
    Rgb mid = Lighter(c, 0.12);
    cairo_pattern_add_color_stop_rgb(top, 1, mid.r, mid.g, mid.b);
    cairo_set_source(cr, top);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(top);
    cairo_set_source_rgba(cr, 0.08, 0.1, 0.18, 0.55);
    cairo_set_line_width(cr, edge);
    cairo_stroke(cr);
    // Light catches the two far top edges.
    cairo_move_to(cr, w.x, w.y);
    cairo_line_to(cr, n.x, n.y);
    cairo_line_to(cr, e.x, e.y);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
    cairo_set_line_width(cr, edge * 0.8);
    cairo_stroke(cr);
}

// The ramp: its slope falls toward the viewer's left, up-slope chevrons on it.
void DrawRamp(cairo_t* cr, const IsoView& iso, Rgb c, double edge) {
    Point n = iso.At(0, 0, 1), e = iso.At(1, 0, 1), s0 = iso.At(1, 1, 0), w0 = iso.At(0, 1, 0);
    Point e0 = iso.At(1, 0, 0);
    Polygon(cr, {e, e0, s0});
    FillFace(cr, Darker(c, 0.28), edge);
    Polygon(cr, {n, e, s0, w0});
    FillFace(cr, Lighter(c, 0.12), edge);
    cairo_save(cr);
    cairo_matrix_t m = iso.Plane(1, 1);
    cairo_transform(cr, &m);
    for (double v : {0.42, 0.78}) {
        cairo_move_to(cr, 0.22, v);
        cairo_line_to(cr, 0.5, v - 0.22);
        cairo_line_to(cr, 0.78, v);
    }
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
    cairo_set_line_width(cr, std::max(1.0, iso.s * 0.11));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

// The mark on a block's top face, drawn in unit square coordinates.
void DrawTopMark(cairo_t* cr, const std::string& kind, Rgb c, double lineUnit) {
    Rgb white = {1, 1, 1};
    Rgb ink = {0.08, 0.1, 0.18};
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (kind == "piece.ground") {
        const double dots[][3] = {{0.25, 0.3, 0.08}, {0.62, 0.22, 0.06}, {0.45, 0.55, 0.09},
                                  {0.78, 0.62, 0.07}, {0.28, 0.76, 0.06}, {0.7, 0.85, 0.05}};
        for (const auto& d : dots) {
            cairo_arc(cr, d[0], d[1], d[2], 0, 2 * M_PI);
            SetColour(cr, Darker(c, 0.35));
            cairo_fill(cr);
            cairo_arc(cr, d[0] - 0.02, d[1] - 0.02, d[2] * 0.5, 0, 2 * M_PI);
            SetColour(cr, Lighter(c, 0.45));
            cairo_fill(cr);
        }
    } else if (kind == "piece.plain") {
        cairo_rectangle(cr, 0.24, 0.24, 0.52, 0.52);
        SetColour(cr, Lighter(c, 0.5));
        cairo_set_line_width(cr, lineUnit * 0.7);
        cairo_stroke(cr);
    } else if (kind == "piece.corner") {
        cairo_arc(cr, 0.2, 0.8, 0.5, -M_PI / 2, -0.18);
        SetColour(cr, white);
        cairo_set_line_width(cr, lineUnit);
        cairo_stroke(cr);
        Polygon(cr, {{0.52, 0.7}, {0.9, 0.7}, {0.7, 0.98}});
        cairo_fill(cr);
    } else if (kind == "piece.start") {
        Polygon(cr, {{0.3, 0.22}, {0.82, 0.5}, {0.3, 0.78}});
        SetColour(cr, white);
        cairo_fill_preserve(cr);
        SetColour(cr, Darker(c, 0.4));
        cairo_set_line_width(cr, lineUnit * 0.4);
        cairo_stroke(cr);
    } else if (kind == "piece.target") {
        cairo_arc(cr, 0.5, 0.5, 0.36, 0, 2 * M_PI);
        SetColour(cr, white);
        cairo_set_line_width(cr, lineUnit * 0.8);
        cairo_stroke(cr);
        cairo_arc(cr, 0.5, 0.5, 0.2, 0, 2 * M_PI);
        SetColour(cr, ink, 0.9);
        cairo_fill(cr);
    } else if (kind == "piece.magnet") {
        cairo_move_to(cr, 0.26, 0.14);
        cairo_arc_negative(cr, 0.5, 0.5, 0.24, M_PI, 0);
        cairo_line_to(cr, 0.74, 0.14);
        SetColour(cr, white);
        cairo_set_line_width(cr, lineUnit * 1.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_stroke(cr);
        cairo_move_to(cr, 0.26, 0.14);
        cairo_line_to(cr, 0.26, 0.3);
        cairo_move_to(cr, 0.74, 0.14);
        cairo_line_to(cr, 0.74, 0.3);
        SetColour(cr, {0.55, 0.58, 0.64});
        cairo_stroke(cr);
    } else if (kind == "piece.spring") {
        cairo_move_to(cr, 0.15, 0.5);
        for (int i = 0; i < 5; ++i) cairo_line_to(cr, 0.25 + i * 0.14, i % 2 ? 0.72 : 0.28);
        cairo_line_to(cr, 0.85, 0.5);
        SetColour(cr, white);
        cairo_set_line_width(cr, lineUnit * 0.8);
        cairo_stroke(cr);
    }
}

// Spikes stand up from the top face, far ones first.
void DrawSpikes(cairo_t* cr, const IsoView& iso, Rgb c) {
    std::vector<Point> bases;
    for (double sum : {0.4, 0.7, 1.0, 1.3, 1.6})
        for (double u : {0.2, 0.5, 0.8}) {
            double v = sum - u;
            if (v < 0.15 || v > 0.85) continue;
            bases.push_back(iso.At(u, v, 1));
        }
    Rgb metal = Lighter(c, 0.7);
    for (const Point& b : bases) {
        Point apex = {b.x, b.y - iso.s * 0.62};
        Point left = {b.x - iso.s * 0.15, b.y}, right = {b.x + iso.s * 0.15, b.y};
        Point front = {b.x, b.y + iso.s * 0.07};
        Polygon(cr, {apex, left, front});
        SetColour(cr, metal);
        cairo_fill(cr);
        Polygon(cr, {apex, front, right});
        SetColour(cr, Darker(metal, 0.35));
        cairo_fill(cr);
    }
}

}  // namespace

void DrawPiece(cairo_t* cr, const ArtKit& kit, const std::string& kind, double cx, double cy,
               double s) {
    Rgb c = Colour(kit, kind);
    double height = kind == "piece.ground" ? 0.42 * s : 0.72 * s;
    IsoView iso = {cx, cy, s, height};
    double edge = std::max(0.7, s / 26);
    cairo_save(cr);
    GroundShadow(cr, cx, cy - s * 0.42, s * 0.98, s * 0.5);
    if (kind == "piece.ramp") {
        DrawRamp(cr, iso, c, edge);
        cairo_restore(cr);
        return;
    }
    DrawBox(cr, iso, c, edge);
    cairo_save(cr);
    cairo_matrix_t m = iso.Plane(1, 0);
    cairo_transform(cr, &m);
    // Line widths are set in the square's units but should look like
    // pixels: one unit is about s pixels across.
    DrawTopMark(cr, kind, c, std::max(1.2, s * 0.13) / s);
    cairo_restore(cr);
    if (kind == "piece.spike") DrawSpikes(cr, iso, c);
    cairo_restore(cr);
}

void DrawBall(cairo_t* cr, const ArtKit& kit, const std::string& kind, double cx, double cy,
              double r) {
    Rgb c = Colour(kit, kind);
    double edge = std::max(0.7, r / 14);
    cairo_save(cr);
    GroundShadow(cr, cx, cy + r * 0.92, r * 0.85, r * 0.26);
    double tall = kind == "ball.balloon" ? 1.08 : 1.0;
    if (kind == "ball.balloon") {
        // The knot, under the body.
        Polygon(cr, {{cx, cy + r * 0.98}, {cx - r * 0.16, cy + r * 1.2}, {cx + r * 0.16, cy + r * 1.2}});
        SetColour(cr, Darker(c, 0.3));
        cairo_fill(cr);
    }
    // The body: lit from the upper left.
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1, tall);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_path_t* body = cairo_copy_path(cr);
    cairo_pattern_t* shade =
        cairo_pattern_create_radial(cx - 0.35 * r, cy - 0.4 * r, 0.1 * r, cx, cy, r * 1.05);
    Rgb lit = Lighter(c, 0.5), dark = Darker(c, 0.38);
    cairo_pattern_add_color_stop_rgb(shade, 0, lit.r, lit.g, lit.b);
    cairo_pattern_add_color_stop_rgb(shade, 0.55, c.r, c.g, c.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);

    cairo_save(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, body);
    cairo_clip(cr);
    if (kind == "ball.iron") {
        cairo_set_line_width(cr, std::max(1.0, r * 0.14));
        SetColour(cr, Darker(c, 0.5), 0.85);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, 1, 0.32);
        cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, 0.32, 1);
        cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_stroke(cr);
    } else if (kind == "ball.plastic") {
        Rgb half = Colour(kit, "ball.plastic.dark");
        Polygon(cr, {{cx + r * 1.2, cy - r * 1.2}, {cx + r * 1.2, cy + r * 1.2}, {cx - r * 1.2, cy + r * 1.2}});
        cairo_pattern_t* p = cairo_pattern_create_linear(cx, cy, cx + r, cy + r);
        Rgb hl = Lighter(half, 0.15), hd = Darker(half, 0.3);
        cairo_pattern_add_color_stop_rgb(p, 0, hl.r, hl.g, hl.b);
        cairo_pattern_add_color_stop_rgb(p, 1, hd.r, hd.g, hd.b);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    cairo_restore(cr);

    if (kind == "ball.bomb") {
        // Cap, fuse and spark at the upper right.
        double a = -M_PI / 4;
        Point cap = {cx + std::cos(a) * r * 0.9, cy + std::sin(a) * r * 0.9};
        cairo_save(cr);
        cairo_translate(cr, cap.x, cap.y);
        cairo_rotate(cr, a + M_PI / 2);
        RoundedRect(cr, -r * 0.22, -r * 0.16, r * 0.44, r * 0.3, r * 0.06);
        cairo_restore(cr);
        SetColour(cr, Lighter(c, 0.35));
        cairo_fill(cr);
        Point tip = {cap.x + r * 0.38, cap.y - r * 0.42};
        cairo_move_to(cr, cap.x + r * 0.08, cap.y - r * 0.1);
        cairo_curve_to(cr, cap.x + r * 0.3, cap.y - r * 0.15, cap.x + r * 0.1, cap.y - r * 0.4,
                       tip.x, tip.y);
        cairo_set_source_rgb(cr, 0.75, 0.62, 0.42);
        cairo_set_line_width(cr, std::max(0.8, r * 0.08));
        cairo_stroke(cr);
        for (int i = 0; i < 8; ++i) {
            double t = i * M_PI / 4;
            double len = (i % 2 ? 0.18 : 0.3) * r;
            cairo_move_to(cr, tip.x, tip.y);
            cairo_line_to(cr, tip.x + std::cos(t) * len, tip.y + std::sin(t) * len);
        }
        cairo_set_source_rgb(cr, 1.0, 0.78, 0.2);
        cairo_set_line_width(cr, std::max(0.8, r * 0.07));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_stroke(cr);
        cairo_arc(cr, tip.x, tip.y, r * 0.07, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 1, 0.85);
        cairo_fill(cr);
    }

    // Rim and the shine every ball shares; the iron ball shines hardest.
    cairo_new_path(cr);
    cairo_append_path(cr, body);
    cairo_set_source_rgba(cr, 0.08, 0.1, 0.18, 0.6);
    cairo_set_line_width(cr, edge);
    cairo_stroke(cr);
    cairo_path_destroy(body);
    double shine = kind == "ball.iron" ? 0.95 : 0.7;
    cairo_save(cr);
    cairo_translate(cr, cx - r * 0.38, cy - r * 0.45 * tall);
    cairo_rotate(cr, -M_PI / 5);
    cairo_scale(cr, r * 0.3, r * 0.17);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, shine);
    cairo_fill(cr);
    cairo_restore(cr);
}
