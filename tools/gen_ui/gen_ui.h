// The image tool's shared pieces: the tables read from data/ui, the drawing
// kit (palette, type faces, shapes) and the three families of pictures
// (font, interface images, piece and ball icons).
#pragma once

#include <cairo.h>

#include <map>
#include <string>
#include <vector>

struct Rgb {
    double r = 0, g = 0, b = 0;
};

// One line of data/ui/images.txt.
struct ImageDesign {
    std::string path;   // relative to the data folder
    std::string style;  // what to draw: "main", "help", "font", ...
    int width = 0;
    int height = 0;
    std::string label;  // UTF-8, may be empty
    std::string englishLabel;  // the English picture's label; empty: the same as label
};

// One card of the help picture (data/ui/help.txt).
struct HelpEntry {
    std::string kind;   // palette name of the piece or ball, e.g. "piece.ramp"
    std::string title;
    std::vector<std::string> lines;
    std::string englishTitle;
    std::vector<std::string> englishLines;
};

// Everything a drawing function may look at.
struct ArtKit {
    std::map<std::string, Rgb> palette;
    std::vector<HelpEntry> help;
    cairo_font_face_t* bold = nullptr;     // DejaVu Sans Bold
    cairo_font_face_t* regular = nullptr;  // DejaVu Sans
    // The first colour asked for that the palette lacks; the image that
    // asked for it is not written.
    mutable std::string missingColour;
};

// ---- Colours and shapes (gen_ui_kit.cpp) ----

// The palette colour of that name; a missing name is a fault of the data
// files, noted in kit.missingColour.
Rgb Colour(const ArtKit& kit, const std::string& name);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Lighter(Rgb c, double t);
Rgb Darker(Rgb c, double t);
void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A soft drop shadow under a rounded rectangle, built from stacked translucent
// copies growing outward (Cairo has no blur).
void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double r, double spread,
                double dy, double alpha);
// Text in the given face and size, its ink centred on (cx, cy), with a soft
// dark shadow below it.
void CentredText(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text,
                 double cx, double cy, Rgb colour, double shadowAlpha);
// Text with its left end at x and its baseline at y.
void PlainText(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text, double x,
               double y, Rgb colour, double alpha = 1.0);
double TextAdvance(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& text);

// ---- Pieces and balls (gen_ui_pieces.cpp) ----

// A piece (palette name "piece.*") as a small isometric block whose top face
// is s pixels from its centre to its side corners, standing on (cx, cy).
void DrawPiece(cairo_t* cr, const ArtKit& kit, const std::string& kind, double cx, double cy,
               double s);
// A ball (palette name "ball.*") of radius r centred on (cx, cy).
void DrawBall(cairo_t* cr, const ArtKit& kit, const std::string& kind, double cx, double cy,
              double r);

// ---- Pictures (gen_ui_art.cpp, gen_ui_font.cpp) ----

// Draws the image a design describes; lit draws the "_aktiv" twin of a button. Returns
// an ARGB32 surface of the design's size, or null for a style it does not know.
cairo_surface_t* DrawInterfaceImage(const ArtKit& kit, const ImageDesign& design, bool lit);
bool IsButtonStyle(const std::string& style);

// One glyph's place in the font image.
struct GlyphRect {
    int left = 0, top = 0, width = 0, height = 0;
};
// Renders the 95 glyphs of the game's font into a width x height image with
// the marker pixels under each glyph; fills rects in glyph order. False with
// a message when the glyphs do not fit the rows the game scans.
bool DrawFontImage(const ArtKit& kit, int width, int height, cairo_surface_t** image,
                   std::vector<GlyphRect>& rects, std::string& error);
