// The drawing kit: palette look-up, colour mixing, rounded shapes, soft
// shadows and text placement shared by every picture.
#include "gen_ui.h"

#include <cmath>

Rgb Colour(const ArtKit& kit, const std::string& name) {
    auto found = kit.palette.find(name);
    if (found != kit.palette.end()) return found->second;
    if (kit.missingColour.empty()) kit.missingColour = name;
    return {1, 0, 1};
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Lighter(Rgb c, double t) { return Mix(c, {1, 1, 1}, t); }
Rgb Darker(Rgb c, double t) { return Mix(c, {0, 0, 0}, t); }

void SetColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::fmin(r, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double r, double spread,
                double dy, double alpha) {
    // Each layer is a little larger and fainter; together they fall off
    // like a blurred edge.
    const int layers = 4;
    for (int i = layers; i >= 1; --i) {
        double grow = spread * i / layers;
        RoundedRect(cr, x - grow, y - grow + dy, w + 2 * grow, h + 2 * grow, r + grow);
        cairo_set_source_rgba(cr, 0, 0, 0, alpha / layers);
        cairo_fill(cr);
    }
}

static void UseFace(cairo_t* cr, cairo_font_face_t* face, double size) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
}

double TextAdvance(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text) {
    UseFace(cr, face, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    return ext.x_advance;
}

void CentredText(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text,
                 double cx, double cy, Rgb colour, double shadowAlpha) {
    UseFace(cr, face, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    // Centre the ink, rounded to whole pixels so stems stay sharp.
    double x = std::round(cx - ext.width / 2 - ext.x_bearing);
    double y = std::round(cy - ext.height / 2 - ext.y_bearing);
    if (shadowAlpha > 0) {
        const double offsets[][2] = {{0, 1.5}, {0.8, 1.2}, {-0.8, 1.2}, {0, 0.6}};
        for (const auto& o : offsets) {
            cairo_move_to(cr, x + o[0], y + o[1]);
            cairo_set_source_rgba(cr, 0.04, 0.06, 0.12, shadowAlpha / 2);
            cairo_show_text(cr, text.c_str());
        }
    }
    cairo_move_to(cr, x, y);
    SetColour(cr, colour);
    cairo_show_text(cr, text.c_str());
}

void PlainText(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text, double x,
               double y, Rgb colour, double alpha) {
    UseFace(cr, face, size);
    cairo_move_to(cr, x, y);
    SetColour(cr, colour, alpha);
    cairo_show_text(cr, text.c_str());
}
