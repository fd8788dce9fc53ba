// The interface image table, the bitmap font and the 2D primitives.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/game_state.h"
#include "app/texts.h"
#include "app/video_settings.h"
#include "ui/interface.h"

InterfaceImage interfaceImages[interfaceImageSlots];
BitmapFont font;

const char* const interfaceImageFiles[interfaceImageSlots] = {
    "kepek_hun/focim.tga",
    "kepek_hun/fomenu_inditas.tga", "kepek_hun/fomenu_inditas_aktiv.tga",
    "kepek_hun/fomenu_betoltes.tga", "kepek_hun/fomenu_betoltes_aktiv.tga",
    "kepek_hun/fomenu_szerk.tga", "kepek_hun/fomenu_szerk_aktiv.tga",
    "kepek_hun/fomenu_segitseg.tga", "kepek_hun/fomenu_segitseg_aktiv.tga",
    "kepek_hun/fomenu_kilep.tga", "kepek_hun/fomenu_kilep_aktiv.tga",
    "kepek_hun/menu_guritas.tga", "kepek_hun/menu_guritas_aktiv.tga",
    "kepek_hun/menu_kilep.tga", "kepek_hun/menu_kilep_aktiv.tga",
    "kepek_hun/menu_ujra.tga", "kepek_hun/menu_ujra_aktiv.tga",
    "kepek_hun/menu_szerkeszto_betoltes.tga", "kepek_hun/menu_szerkeszto_betoltes_aktiv.tga",
    "kepek_hun/menu_szerkeszto_mentes.tga", "kepek_hun/menu_szerkeszto_mentes_aktiv.tga",
    "kepek_hun/menu_szerkeszto_cel+.tga", "kepek_hun/menu_szerkeszto_cel+_aktiv.tga",
    "kepek_hun/menu_szerkeszto_cel-.tga", "kepek_hun/menu_szerkeszto_cel-_aktiv.tga",
    "kepek_hun/menu_szerkeszto_epites.tga", "kepek_hun/menu_szerkeszto_epites_aktiv.tga",
    "kepek_hun/menu_szerkeszto_csere.tga", "kepek_hun/menu_szerkeszto_csere_aktiv.tga",
    "kepek_hun/menu_szerkeszto_torles.tga", "kepek_hun/menu_szerkeszto_torles_aktiv.tga",
    "kepek_hun/menu_szerkeszto_keszlet.tga", "kepek_hun/menu_szerkeszto_keszlet_aktiv.tga",
    "kepek_hun/menu_allj.tga", "kepek_hun/menu_allj_aktiv.tga",
    "kepek_hun/menu_vissza.tga", "kepek_hun/menu_vissza_aktiv.tga",
    "kepek_hun/nyil_fel.tga", "kepek_hun/nyil_fel_aktiv.tga",
    "kepek_hun/nyil_le.tga", "kepek_hun/nyil_le_aktiv.tga",
    "kepek_hun/karika_teli.tga",
    "kepek_hun/karika_ures.tga",
    "kepek_hun/felirat_cel.tga",
    "kepek_hun/dialog_menu.tga", "kepek_hun/dialog_menu_aktiv.tga",
    "kepek_hun/dialog_ujra.tga", "kepek_hun/dialog_ujra_aktiv.tga",
    "kepek_hun/dialog_oke.tga", "kepek_hun/dialog_oke_aktiv.tga",
    "kepek_hun/dialog_kov.tga", "kepek_hun/dialog_kov_aktiv.tga",
    "kepek_hun/dialog.tga",
    "kepek_hun/segitseg.tga",
    "kepek_hun/fomenu_opciok.tga", "kepek_hun/fomenu_opciok_aktiv.tga",
    "Vandrel_Logo.tga",
    "Kelmora_Logo.tga",
    "kepek_hun/fontok.tga",
    "kepek_hun/menu_sugo.tga", "kepek_hun/menu_sugo_aktiv.tga",
    nullptr,
};

// Colour keys: the interface images turn opaque-less pure blue into nothing;
// the font scan turns transparent magenta into nothing.
constexpr uint32_t imageColorKey = 0x000000FF;
constexpr uint32_t fontScanColorKey = 0x00FF00FF;

// The help picture is the largest image and only one help page shows it; the
// publisher's logo follows the partner's on the splash, from nothing; the
// editor's buttons (two of which the options page borrows) and the dialogs'
// pictures are first needed well after the main menu. Each goes on the device
// when first drawn; their sizes, which the layout needs, are read from the
// files' headers at start.
static bool LoadsWhenShown(int slot) {
    if (slot == imageHelpPicture || slot == imagePublisherLogo) return true;
    const std::string_view file = interfaceImageFiles[slot] ? interfaceImageFiles[slot] : "";
    return file.find("_szerkeszto_") != std::string_view::npos || file.find("/dialog") != std::string_view::npos;
}

static struct ImageState {
    bool waiting[interfaceImageSlots] = {};  // a slot to load when it is first drawn
    bool sixteenBit = false;                 // textures keep 4 bits per channel
    bool splashReleased = false;             // the logos have left the device
} images;

// English games draw the buttons and pictures with words from kepek_eng, the
// same files under the same names; the font stays shared.
static std::string DataPath(const char* file) {
    const std::string_view name = file;
    if (GameLanguage() == Language::English && name.starts_with("kepek_hun/") && name != "kepek_hun/fontok.tga")
        return workDir + "/adatok/kepek_eng/" + std::string(name.substr(10));
    return workDir + "/adatok/" + file;
}

// One line on stderr for an interface picture that cannot be shown.
static void TellUnloadedImage(int slot, const std::string& error) {
    std::fprintf(stderr, "Tumbleon: the interface image %s cannot be loaded (%s); it stays blank.\n",
                 DataPath(interfaceImageFiles[slot]).c_str(), error.c_str());
}

// Puts one image of the table on the device; a file that cannot be read
// leaves the slot empty (size 0 x 0).
static void LoadImageNow(int slot) {
    InterfaceImage& image = interfaceImages[slot];
    images.waiting[slot] = false;
    Pixels pixels;
    std::string error;
    if (!ReadImageFile(DataPath(interfaceImageFiles[slot]), imageColorKey, pixels, &error)) {
        TellUnloadedImage(slot, error);
        image = InterfaceImage{};
        return;
    }
    image.width = pixels.width;
    image.height = pixels.height;
    CreateTexture(pixels, images.sixteenBit, image.texture);
}

// ---- Image table ----

void LoadInterfaceImages() {
    ReleaseInterfaceImages();
    images.splashReleased = false;
    // Displays of 16 bits or less keep 4 bits per channel, as the screen shows no more.
    images.sixteenBit = Video().current >= 0 && Video().current < static_cast<int>(Video().modes.size()) &&
                        FormatBits(Video().modes[static_cast<size_t>(Video().current)].format) <= 16;
    for (int i = 0; i < interfaceImageSlots; ++i) {
        InterfaceImage& slot = interfaceImages[i];
        if (!interfaceImageFiles[i]) continue;
        if (!LoadsWhenShown(i)) {
            LoadImageNow(i);
        } else if (std::string error; ReadImageSize(DataPath(interfaceImageFiles[i]), slot.width, slot.height, &error)) {
            images.waiting[i] = true;
        } else {
            TellUnloadedImage(i, error);
        }
    }
}

void PreloadInterfaceImages() {
    for (int i = 0; i < interfaceImageSlots; ++i)
        if (interfaceImageFiles[i] && !LoadsWhenShown(i)) PreloadImageFile(DataPath(interfaceImageFiles[i]), imageColorKey);
    PreloadImageFile(DataPath("kepek_hun/fontok.tga"), fontScanColorKey);
}

void ReleaseSplashImages() {
    if (images.splashReleased) return;
    images.splashReleased = true;
    for (const int slot : {imagePartnerLogo, imagePublisherLogo}) {
        InterfaceImage& image = interfaceImages[slot];
        ReleaseTexture(image.texture);
        // Should anything show a logo again, it is loaded again.
        images.waiting[slot] = image.width > 0;
    }
    // The texture memory lies among the allocator's pages: hand it back.
    malloc_trim(0);
}

void ReleaseInterfaceImages() {
    for (int i = 0; i < interfaceImageSlots; ++i) {
        ReleaseTexture(interfaceImages[i].texture);
        interfaceImages[i] = InterfaceImage{};
        images.waiting[i] = false;
    }
}

// ---- Windows-1250 ----

// Unicode code points of the bytes 0x80..0xFF; 0 where the code page has none.
static const uint16_t win1250High[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

std::string Win1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        // A sequence of two or three bytes, its length told by the first; any
        // other byte, and one without its continuation bytes, passes as it is.
        const size_t length = (s[i] & 0xE0) == 0xC0 ? 2 : (s[i] & 0xF0) == 0xE0 ? 3 : 1;
        uint32_t code = s[i] & (length == 2 ? 0x1Fu : 0x0Fu);
        size_t k = 1;
        for (; k < length && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) code = code << 6 | (s[i + k] & 0x3Fu);
        if (length == 1 || k < length) {
            out.push_back(static_cast<char>(s[i++]));
            continue;
        }
        i += length;
        char byte = code < 0x80 ? static_cast<char>(code) : '?';
        for (int c = 0; c < 128 && code >= 0x80; ++c)
            if (win1250High[c] == code) byte = static_cast<char>(0x80 + c);
        out.push_back(byte);
    }
    return out;
}

// ---- Bitmap font ----

const std::string& FontCharacters() {
    static const std::string characters =
        Win1250("0123456789AÁBCDEÉFGHIÍJKLMNOÓÖŐPQRSTUÚÜŰVWXYZaábcdeéfghiíjklmnoóöőpqrstuúüűvwxyz.,;:-?!&()%’_/ ");
    return characters;
}

int BuildFontMetricsFromPixels(const Pixels& pixels, BitmapFont& into) {
    const std::string& characters = FontCharacters();
    for (uint8_t& glyph : into.charToGlyph) glyph = spaceGlyph;
    for (int g = 0; g < spaceGlyph; ++g) into.charToGlyph[static_cast<uint8_t>(characters[static_cast<size_t>(g)])] = static_cast<uint8_t>(g);
    for (int g = 0; g < fontGlyphCount; ++g) into.glyphLeft[g] = into.glyphTop[g] = into.glyphWidth[g] = into.glyphHeight[g] = 0;

    // Markers lie within the first 125 rows and 365 columns; each closes the
    // 24 rows above it from just after the previous glyph of its row.
    const int rows = std::min(125, pixels.height), columns = std::min(365, pixels.width);
    int g = 0;
    for (int r = 0; r < rows && g < fontGlyphCount; ++r) {
        for (int x = 0; x < columns && g < fontGlyphCount; ++x) {
            const uint8_t* p = &pixels.rgba[(static_cast<size_t>(r) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)) * 4];
            if (p[0] != 0xFF || p[2] != 0x00) continue;
            // A glyph starts where the one before it ends, or at a new row's left edge.
            const bool sameRow = g > 0 && into.glyphTop[g - 1] == r - 24;
            into.glyphLeft[g] = sameRow ? into.glyphLeft[g - 1] + into.glyphWidth[g - 1] : 0;
            into.glyphWidth[g] = x - into.glyphLeft[g] + 1;
            into.glyphTop[g] = r - 24;
            into.glyphHeight[g] = 24;
            ++g;
        }
    }
    return g;
}

bool BuildFontMetrics() {
    Pixels pixels;
    if (!ReadImageFile(DataPath("kepek_hun/fontok.tga"), fontScanColorKey, pixels)) return false;
    BitmapFont scanned;
    if (BuildFontMetricsFromPixels(pixels, scanned) != fontGlyphCount) return false;
    font = scanned;
    return true;
}

// ---- 2D primitives ----

float AnchorX(int anchorX) { return static_cast<float>(anchorX) * static_cast<float>(screenWidth) * 0.5f; }
float AnchorY(int anchorY) { return static_cast<float>(anchorY) * static_cast<float>(screenHeight) * 0.5f; }

int TextWidth(std::string_view text) {
    int width = 0;
    for (char c : text) width += font.glyphWidth[font.charToGlyph[static_cast<uint8_t>(c)]];
    return width;
}

void DrawText(std::string_view text, int x, int y, int anchorX, int anchorY, uint32_t colour) {
    const Texture& texture = interfaceImages[imageFont].texture;
    int pen = static_cast<int>(AnchorX(anchorX) + static_cast<float>(x));
    const int top = static_cast<int>(AnchorY(anchorY) + static_cast<float>(y));
    for (char c : text) {
        const int g = font.charToGlyph[static_cast<uint8_t>(c)];
        SpriteDraw(texture, font.glyphLeft[g], font.glyphTop[g], font.glyphWidth[g], font.glyphHeight[g],
                   static_cast<float>(pen), static_cast<float>(top), 1.0f, 1.0f, colour);
        pen += font.glyphWidth[g];
    }
}

void DrawImage(int index, float x, float y, int anchorX, int anchorY, uint32_t colour, float scaleX, float scaleY) {
    if (index < 0 || index >= interfaceImageSlots) return;
    if (images.waiting[index]) LoadImageNow(index);
    const InterfaceImage& image = interfaceImages[index];
    SpriteDraw(image.texture, 0, 0, image.width, image.height, AnchorX(anchorX) + x, AnchorY(anchorY) + y, scaleX,
               scaleY, colour);
}

void DrawPanel(float x1, float y1, float x2, float y2, int anchorX, int anchorY) {
    DrawImage(imagePanel, x1, y1, anchorX, anchorY, 0xFFFFFFFF, x2 - x1, y2 - y1);
}
