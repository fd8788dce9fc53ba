// The interface images: buttons and their lit twins, the title, rings,
// caption, panel, help picture, splash logos, cursors and window icons.
// One palette, one type face, soft stacked shadows, anti-aliased edges.
#include "gen_ui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const Rgb white = {1, 1, 1};

// Splits UTF-8 text into its characters, each still UTF-8.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t n = 1;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

// Text with extra room between the letters, centred on cx, baseline y.
void SpacedText(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text,
                double cx, double y, double spacing, Rgb colour, double alpha) {
    std::vector<std::string> chars = Characters(text);
    double total = 0;
    for (const std::string& ch : chars) total += TextAdvance(cr, face, size, ch) + spacing;
    double x = std::round(cx - (total - spacing) / 2);
    for (const std::string& ch : chars) {
        PlainText(cr, face, size, ch, x, y, colour, alpha);
        x += TextAdvance(cr, face, size, ch) + spacing;
    }
}

// The largest size up to wanted at which text fits into width pixels.
double FitSize(cairo_t* cr, cairo_font_face_t* face, double wanted, const std::string& text,
               double width) {
    double size = wanted;
    while (size > 6 && TextAdvance(cr, face, size, text) > width) size -= 0.5;
    return size;
}

void VerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// ---- Buttons ----

// A button: shadowed glassy body, rim light, and its label or sign. The lit
// twin has the same size, a brighter body and a warm glow at its rim.
void DrawButton(cairo_t* cr, const ArtKit& kit, const ImageDesign& design, bool lit) {
    const std::string& style = design.style;
    double w = design.width, h = design.height;
    double bottomRoom = std::max(2.0, std::round(h * 0.1));
    double bx = 1, by = 1, bw = w - 2, bh = h - 1 - bottomRoom;
    bool round = style == "plus" || style == "minus" || style == "up" || style == "down";
    double radius = round ? bh / 2 : std::min(10.0, bh * 0.32);

    Rgb top = Colour(kit, "ui.button.top"), bottom = Colour(kit, "ui.button.bottom");
    if (style == "go" || style == "stop") {
        Rgb c = Colour(kit, style == "go" ? "ui.go" : "ui.stop");
        top = Lighter(c, 0.22);
        bottom = Darker(c, 0.25);
    }
    if (lit) {
        bool coloured = style == "go" || style == "stop";
        top = coloured ? Lighter(top, 0.2) : Colour(kit, "ui.hover.top");
        bottom = coloured ? Lighter(bottom, 0.18) : Colour(kit, "ui.hover.bottom");
    }

    SoftShadow(cr, bx, by, bw, bh, radius, 1.5, 1.2, 0.55);
    if (lit) {
        Rgb glow = Colour(kit, "ui.hover.glow");
        RoundedRect(cr, bx - 0.5, by - 0.5, bw + 1, bh + 1, radius + 0.5);
        SetColour(cr, glow, 0.55);
        cairo_fill(cr);
    }
    RoundedRect(cr, bx, by, bw, bh, radius);
    VerticalGradient(cr, by, by + bh, top, bottom, 1);
    cairo_fill(cr);

    // Glass: a pale sheen over the upper half.
    cairo_save(cr);
    RoundedRect(cr, bx, by, bw, bh, radius);
    cairo_clip(cr);
    RoundedRect(cr, bx + 1, by + 1, bw - 2, bh * 0.5, std::max(0.0, radius - 1));
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, by, 0, by + bh * 0.5);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, lit ? 0.42 : 0.32);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0.04);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
    cairo_restore(cr);

    RoundedRect(cr, bx + 0.5, by + 0.5, bw - 1, bh - 1, std::max(0.0, radius - 0.5));
    SetColour(cr, lit ? Colour(kit, "ui.hover.glow") : Colour(kit, "ui.button.rim"), lit ? 0.95 : 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    double cx = bx + bw / 2, cy = by + bh / 2;
    Rgb ink = Colour(kit, "ui.ink");
    if (round) {
        double a = bh * 0.26;
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, std::max(2.0, bh * 0.15));
        for (int pass = 0; pass < 2; ++pass) {
            double dy = pass == 0 ? 1 : 0;
            cairo_new_path(cr);
            if (style == "plus" || style == "minus") {
                cairo_move_to(cr, cx - a, cy + dy);
                cairo_line_to(cr, cx + a, cy + dy);
                if (style == "plus") {
                    cairo_move_to(cr, cx, cy - a + dy);
                    cairo_line_to(cr, cx, cy + a + dy);
                }
                if (pass == 0) SetColour(cr, ink, 0.5);
                else SetColour(cr, white);
                cairo_stroke(cr);
            } else {
                double dir = style == "up" ? -1 : 1;
                cairo_move_to(cr, cx, cy + dir * a * 1.05 + dy);
                cairo_line_to(cr, cx + a * 1.1, cy - dir * a * 0.7 + dy);
                cairo_line_to(cr, cx - a * 1.1, cy - dir * a * 0.7 + dy);
                cairo_close_path(cr);
                if (pass == 0) SetColour(cr, ink, 0.5);
                else SetColour(cr, white);
                cairo_fill(cr);
            }
        }
        return;
    }
    double size = FitSize(cr, kit.bold, bh * 0.62, design.label, bw - 2 * std::max(6.0, radius));
    CentredText(cr, kit.bold, size, design.label, cx, cy, lit ? white : Lighter(top, 0.88), 0.9);
}

// ---- Small pieces of the target counter and the editor ----

void DrawRing(cairo_t* cr, const ArtKit& kit, bool full) {
    Rgb gold = Colour(kit, "piece.target");
    double cx = 8, cy = 7.5, r = 6;
    cairo_arc(cr, cx, cy + 1, r + 0.8, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    if (full) {
        cairo_pattern_t* p = cairo_pattern_create_radial(cx - 2, cy - 2, 0.5, cx, cy, r);
        Rgb lit = Lighter(gold, 0.6), dark = Darker(gold, 0.3);
        cairo_pattern_add_color_stop_rgb(p, 0, lit.r, lit.g, lit.b);
        cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        SetColour(cr, Colour(kit, "ui.ink"), 0.8);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    } else {
        SetColour(cr, Colour(kit, "ui.ink"), 0.45);
        cairo_fill(cr);
        cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
        SetColour(cr, gold, 0.9);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
}

// A caption: gold text on a dark translucent pill; not a button.
void DrawCaption(cairo_t* cr, const ArtKit& kit, const ImageDesign& design) {
    double w = design.width, h = design.height;
    double bh = h - 3;
    SoftShadow(cr, 1, 1, w - 2, bh, bh / 2, 1.2, 1, 0.4);
    RoundedRect(cr, 1, 1, w - 2, bh, bh / 2);
    SetColour(cr, Colour(kit, "ui.ink"), 0.8);
    cairo_fill_preserve(cr);
    SetColour(cr, Colour(kit, "ui.accent"), 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    double size = FitSize(cr, kit.bold, bh * 0.62, design.label, w - 14);
    CentredText(cr, kit.bold, size, design.label, w / 2, 1 + bh / 2, Colour(kit, "ui.accent"), 0.8);
}

// ---- Title ----

// The label is the word, a "|" and the line under it.
void DrawTitle(cairo_t* cr, const ArtKit& kit, const ImageDesign& design) {
    double w = design.width, h = design.height;
    const size_t bar = design.label.find('|');
    const std::string title = design.label.substr(0, bar);
    const std::string subtitle = bar == std::string::npos ? std::string() : design.label.substr(bar + 1);
    cairo_set_font_face(cr, kit.bold);
    double size = 72;
    cairo_text_extents_t ext;
    for (;; size -= 1) {
        cairo_set_font_size(cr, size);
        cairo_text_extents(cr, title.c_str(), &ext);
        if ((ext.width <= w - 60 && ext.height <= h * 0.56) || size < 12) break;
    }
    double x = std::round(w / 2 - ext.width / 2 - ext.x_bearing);
    double baseline = std::round(h * 0.62);
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, title.c_str());
    cairo_path_t* word = cairo_copy_path(cr);
    cairo_new_path(cr);

    Rgb ink = Colour(kit, "ui.ink");
    for (int i = 4; i >= 1; --i) {  // a deep shadow, softer with depth
        cairo_save(cr);
        cairo_translate(cr, i * 0.6, i * 1.1);
        cairo_append_path(cr, word);
        cairo_set_line_width(cr, 5 + i);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColour(cr, ink, 0.2);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_append_path(cr, word);
    cairo_set_line_width(cr, 5);
    SetColour(cr, ink);
    cairo_stroke_preserve(cr);
    double top = baseline + ext.y_bearing;
    Rgb gold = Colour(kit, "ui.accent"), deep = Colour(kit, "ui.accent.deep");
    cairo_pattern_t* p = cairo_pattern_create_linear(0, top, 0, baseline);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 0.96, 0.75);
    cairo_pattern_add_color_stop_rgb(p, 0.45, gold.r, gold.g, gold.b);
    cairo_pattern_add_color_stop_rgb(p, 1, deep.r, deep.g, deep.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // A thin bright line along the upper edges of the letters.
    // Inside the word but outside its copy moved down: the upper edges.
    cairo_save(cr);
    cairo_append_path(cr, word);
    cairo_clip(cr);
    cairo_append_path(cr, word);
    cairo_save(cr);
    cairo_translate(cr, 0, 1.6);
    cairo_append_path(cr, word);
    cairo_restore(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_path_destroy(word);
    cairo_new_path(cr);

    // The line under the word: a ball rolling along a gold rule.
    double ly = h - 12;
    cairo_pattern_t* rule = cairo_pattern_create_linear(40, 0, w - 40, 0);
    cairo_pattern_add_color_stop_rgba(rule, 0, gold.r, gold.g, gold.b, 0);
    cairo_pattern_add_color_stop_rgba(rule, 0.5, gold.r, gold.g, gold.b, 0.9);
    cairo_pattern_add_color_stop_rgba(rule, 1, gold.r, gold.g, gold.b, 0);
    cairo_rectangle(cr, 40, ly, w - 80, 2);
    cairo_set_source(cr, rule);
    cairo_fill(cr);
    cairo_pattern_destroy(rule);
    SpacedText(cr, kit.bold, 12, subtitle, w / 2, ly - 3, 3,
               Colour(kit, "ui.muted"), 1);
    DrawBall(cr, kit, "ball.iron", w * 0.5 + ext.width / 2 + 14, ly - 8, 7);
}

// ---- Help picture ----

// One card: the piece or ball, its name and what it does.
void DrawHelpCard(cairo_t* cr, const ArtKit& kit, const HelpEntry& entry, double x, double y,
                  double w, double h, bool iconAbove) {
    SoftShadow(cr, x, y, w, h, 10, 2, 2, 0.45);
    RoundedRect(cr, x, y, w, h, 10);
    Rgb card = Colour(kit, "ui.card");
    VerticalGradient(cr, y, y + h, Lighter(card, 0.08), Darker(card, 0.12), 0.95);
    cairo_fill_preserve(cr);
    SetColour(cr, Colour(kit, entry.kind), 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);

    bool ball = entry.kind.rfind("ball.", 0) == 0;
    double iconX = iconAbove ? x + w / 2 : x + 44;
    double iconY = iconAbove ? y + 50 : y + h / 2;
    if (ball) DrawBall(cr, kit, entry.kind, iconX, iconY - 2, 28);
    else DrawPiece(cr, kit, entry.kind, iconX, iconY + 22, 28);

    Rgb accent = Colour(kit, entry.kind);
    Rgb muted = Colour(kit, "ui.muted");
    if (iconAbove) {
        SpacedText(cr, kit.bold, 17, entry.title, x + w / 2, y + 116, 0, Lighter(accent, 0.45), 1);
        for (size_t i = 0; i < entry.lines.size(); ++i)
            SpacedText(cr, kit.regular, 13, entry.lines[i], x + w / 2, y + 142 + 18 * i, 0, muted, 1);
        return;
    }
    double tx = x + 86;
    PlainText(cr, kit.bold, 16, entry.title, tx, y + 30, Lighter(accent, 0.45));
    for (size_t i = 0; i < entry.lines.size(); ++i)
        PlainText(cr, kit.regular, 13, entry.lines[i], tx, y + 52 + 17 * i, muted);
}

void DrawHelp(cairo_t* cr, const ArtKit& kit, const ImageDesign& design) {
    double w = design.width, h = design.height;
    SoftShadow(cr, 6, 6, w - 12, h - 14, 18, 5, 3, 0.6);
    RoundedRect(cr, 6, 6, w - 12, h - 14, 18);
    Rgb panel = Colour(kit, "ui.panel");
    VerticalGradient(cr, 6, h - 8, Lighter(panel, 0.06), Darker(panel, 0.25), 0.96);
    cairo_fill_preserve(cr);
    SetColour(cr, Colour(kit, "ui.button.rim"), 0.35);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);

    SpacedText(cr, kit.bold, 22, design.label, w / 2, 44, 2, Colour(kit, "ui.accent"), 1);

    std::vector<const HelpEntry*> pieces, balls;
    for (const HelpEntry& e : kit.help) (e.kind.rfind("ball.", 0) == 0 ? balls : pieces).push_back(&e);
    const double margin = 22, gap = 10;
    double pieceW = (w - 2 * margin - 2 * gap) / 3;
    for (size_t i = 0; i < pieces.size(); ++i)
        DrawHelpCard(cr, kit, *pieces[i], margin + (i % 3) * (pieceW + gap), 62 + (i / 3) * 98,
                     pieceW, 88, false);
    double ballW = (w - 2 * margin - 3 * gap) / 4;
    for (size_t i = 0; i < balls.size(); ++i)
        DrawHelpCard(cr, kit, *balls[i], margin + i * (ballW + gap), 366 + (i / 4) * 160, ballW,
                     h - 366 - 24, true);
}

// ---- Splash logos ----

void DrawLogo(cairo_t* cr, const ArtKit& kit, const ImageDesign& design, bool publisher) {
    double w = design.width, h = design.height;
    Rgb c = Colour(kit, publisher ? "ui.logo.publisher" : "ui.logo.partner");
    double ex = 112, ey = h / 2, er = 68;
    // The emblem: a hexagon for the publisher, a disc for the partner.
    for (int pass = 0; pass < 2; ++pass) {
        cairo_new_path(cr);
        double r = pass == 0 ? er + 6 : er;
        if (publisher) {
            for (int i = 0; i < 6; ++i) {
                double a = M_PI / 6 + i * M_PI / 3;
                cairo_line_to(cr, ex + std::cos(a) * r, ey + (pass == 0 ? 4 : 0) + std::sin(a) * r);
            }
            cairo_close_path(cr);
        } else {
            cairo_arc(cr, ex, ey + (pass == 0 ? 4 : 0), r, 0, 2 * M_PI);
        }
        if (pass == 0) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
            cairo_fill(cr);
            continue;
        }
        cairo_pattern_t* p = cairo_pattern_create_linear(ex, ey - er, ex, ey + er);
        Rgb lit = Lighter(c, 0.35), dark = Darker(c, 0.35);
        cairo_pattern_add_color_stop_rgb(p, 0, lit.r, lit.g, lit.b);
        cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.5);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 13);
    if (publisher) {  // a V whose right arm carries a ball
        cairo_move_to(cr, ex - 32, ey - 30);
        cairo_line_to(cr, ex, ey + 34);
        cairo_line_to(cr, ex + 32, ey - 30);
    } else {  // a K of three strokes
        cairo_move_to(cr, ex - 22, ey - 36);
        cairo_line_to(cr, ex - 22, ey + 36);
        cairo_move_to(cr, ex + 26, ey - 36);
        cairo_line_to(cr, ex - 14, ey + 2);
        cairo_line_to(cr, ex + 28, ey + 36);
    }
    cairo_path_t* mark = cairo_copy_path(cr);
    cairo_save(cr);
    cairo_translate(cr, 0, 2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_append_path(cr, mark);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_stroke(cr);
    cairo_path_destroy(mark);
    if (publisher) DrawBall(cr, kit, "ball.iron", ex + 36, ey - 46, 11);
    else DrawBall(cr, kit, "ball.balloon", ex + 34, ey - 44, 11);

    double tx = 206;
    double size = FitSize(cr, kit.bold, 60, design.label, w - tx - 10);
    cairo_set_font_face(cr, kit.bold);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, tx + 2, ey + 12 + 3);
    cairo_text_path(cr, design.label.c_str());
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_fill(cr);
    cairo_move_to(cr, tx, ey + 12);
    cairo_text_path(cr, design.label.c_str());
    VerticalGradient(cr, ey - 34, ey + 12, white, Lighter(c, 0.55), 1);
    cairo_fill(cr);
    double lineEnd = tx + TextAdvance(cr, kit.bold, size, design.label);
    cairo_rectangle(cr, tx, ey + 26, lineEnd - tx, 2);
    SetColour(cr, c);
    cairo_fill(cr);
    SpacedText(cr, kit.regular, 20, publisher ? "bemutatja" : "támogatásával", (tx + lineEnd) / 2,
               ey + 56, 4, Colour(kit, "ui.muted"), 1);
}

// ---- Cursors and icons ----

// The pointer: a white arrow with a dark edge and a soft shadow; its tip is
// the hot spot at pixel (1, 1).
void DrawPointer(cairo_t* cr, const ArtKit& kit) {
    const double pts[][2] = {{1, 1}, {1, 19.5}, {5.6, 15.2}, {8.8, 22.4}, {11.8, 21.1}, {8.6, 14.1}, {14.6, 14.1}};
    for (int layer = 2; layer >= 0; --layer) {
        cairo_new_path(cr);
        double d = layer == 0 ? 0 : 0.8 * layer;
        for (const auto& p : pts) cairo_line_to(cr, p[0] + d, p[1] + d * 1.3);
        cairo_close_path(cr);
        if (layer > 0) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
            cairo_fill(cr);
        }
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    SetColour(cr, Colour(kit, "ui.ink"));
    cairo_set_line_width(cr, 1.1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(cr);
}

void DrawCursor(cairo_t* cr, const ArtKit& kit, const std::string& style) {
    if (style == "holdball") DrawBall(cr, kit, "ball.plastic", 22.5, 21.5, 7.5);
    else if (style == "holdblock") DrawPiece(cr, kit, "piece.plain", 22, 30.5, 8.5);
    else if (style == "holdcorner") DrawPiece(cr, kit, "piece.corner", 22, 30.5, 8.5);
    else if (style == "holdramp") DrawPiece(cr, kit, "piece.ramp", 22, 30.5, 8.5);
    DrawPointer(cr, kit);
}

// The window icon: an iron ball resting on a target cube.
void DrawIcon(cairo_t* cr, const ArtKit& kit, double size) {
    double s = size * 0.42;
    double standY = size * 0.97;
    DrawPiece(cr, kit, "piece.target", size / 2, standY, s);
    double topY = standY - s + s / 2 - 0.72 * s;
    double r = size * 0.22;
    DrawBall(cr, kit, "ball.iron", size / 2, topY - r * 0.75, r);
}

}  // namespace

bool IsButtonStyle(const std::string& style) {
    for (const char* s : {"main", "side", "go", "stop", "dialog", "plus", "minus", "up", "down"})
        if (style == s) return true;
    return false;
}

cairo_surface_t* DrawInterfaceImage(const ArtKit& kit, const ImageDesign& design, bool lit) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, design.width, design.height);
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    const std::string& style = design.style;
    bool known = true;
    if (IsButtonStyle(style)) DrawButton(cr, kit, design, lit);
    else if (style == "title") DrawTitle(cr, kit, design);
    else if (style == "ringfull" || style == "ringempty") DrawRing(cr, kit, style == "ringfull");
    else if (style == "caption") DrawCaption(cr, kit, design);
    else if (style == "panel") {
        // One pixel, stretched over dialog and help rectangles.
        SetColour(cr, Colour(kit, "ui.panel"), 0xE0 / 255.0);
        cairo_paint(cr);
    } else if (style == "help") DrawHelp(cr, kit, design);
    else if (style == "publisher" || style == "partner") DrawLogo(cr, kit, design, style == "publisher");
    else if (style == "pointer" || style.rfind("hold", 0) == 0) DrawCursor(cr, kit, style);
    else if (style == "icon") DrawIcon(cr, kit, design.width);
    else known = false;

    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    if (!known || status != CAIRO_STATUS_SUCCESS) {
        if (status != CAIRO_STATUS_SUCCESS)
            std::fprintf(stderr, "gen_ui: drawing %s failed: %s\n", design.path.c_str(),
                         cairo_status_to_string(status));
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return surface;
}
