// The interface images, the bitmap font and the 2D primitives every screen is
// drawn with. Positions are back-buffer pixels offset from an anchor point:
// per axis 0 = left/top edge, 1 = centre, 2 = right/bottom edge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gfx/device.h"

// ---- Interface image table ----

constexpr int interfaceImageSlots = 62;  // 0..60 images, 61 only while the font is scanned
constexpr int imageTitle = 0;
constexpr int imageOptionsPlus = 21, imageOptionsMinus = 23;
constexpr int imageFilledRing = 41, imageEmptyRing = 42, imageGoalCaption = 43;
constexpr int imageDialogMenu = 44, imageDialogAgain = 46, imageDialogOk = 48, imageDialogNext = 50;
constexpr int imagePanel = 52, imageHelpPicture = 53;
constexpr int imagePublisherLogo = 56, imagePartnerLogo = 57, imageFont = 58;

struct InterfaceImage {
    Texture texture;
    int width = 0, height = 0;  // of the image file
};

extern InterfaceImage interfaceImages[interfaceImageSlots];
// The file of each slot, relative to the data folder "adatok/".
extern const char* const interfaceImageFiles[interfaceImageSlots];

// Loads every image of the table from <workDir>/adatok/. A missing image keeps
// an empty slot (size 0 x 0): it draws nothing and is never hit. The help
// picture has its size at once but goes on the device when first drawn.
void LoadInterfaceImages();
// The splash is over for good: the logos leave the device.
void ReleaseSplashImages();
// Frees the textures of the table.
void ReleaseInterfaceImages();

// ---- Bitmap font ----

constexpr int fontGlyphCount = 95;
constexpr int spaceGlyph = 94;

struct BitmapFont {
    uint8_t charToGlyph[256];
    int glyphLeft[fontGlyphCount], glyphTop[fontGlyphCount];
    int glyphWidth[fontGlyphCount], glyphHeight[fontGlyphCount];
};

extern BitmapFont font;
// The 95 characters in glyph order, as Windows-1250 bytes.
const std::string& FontCharacters();

// Decodes every interface image and the font picture ahead (any thread), so
// that LoadInterfaceImages and BuildFontMetrics only put them on the device.
void PreloadInterfaceImages();

// Fills the font's tables from the marker pixels of a font picture: a pixel
// with full red and no blue closes the glyph above and left of it. Returns the
// number of markers found (95 in a sound font).
int BuildFontMetricsFromPixels(const Pixels& pixels, BitmapFont& into);
// Reads <workDir>/adatok/kepek_hun/fontok.tga. False when it cannot be read or
// does not hold all 95 glyphs.
bool BuildFontMetrics();

// UTF-8 to the Windows-1250 bytes the font is indexed by; bytes that are not
// valid UTF-8 pass through unchanged.
std::string Win1250(std::string_view utf8);

// ---- 2D primitives (inside SpriteBegin / SpriteEnd, or a batch each) ----

int TextWidth(std::string_view text);
// Draws one line of Windows-1250 text with its top-left corner at (x, y).
void DrawText(std::string_view text, int x, int y, int anchorX, int anchorY, uint32_t colour);
// Draws an image at its file size times the scales.
void DrawImage(int index, float x, float y, int anchorX, int anchorY, uint32_t colour, float scaleX = 1.0f,
               float scaleY = 1.0f);
// Fills a rectangle, both corners relative to the same anchor, with the panel image.
void DrawPanel(float x1, float y1, float x2, float y2, int anchorX, int anchorY);

// The anchor point of an axis: anchor x size / 2.
float AnchorX(int anchorX);
float AnchorY(int anchorY);
