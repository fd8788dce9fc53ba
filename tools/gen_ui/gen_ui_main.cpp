// gen_ui: draws the game's font, interface images, cursors and icons into the
// data folder at build time, from the tables in data/ui.
//
//   gen_ui --tables DIR --bold FONT.ttf --regular FONT.ttf --out DATA_DIR --rects FILE [--icons DIR]
//
// Every picture of kepek_hun is drawn a second time into kepek_eng, under the
// same name and at the same size, with its English label and the help
// picture's English cards; the font, the cursors and the icons carry no words
// and stay in kepek_hun alone.
//
// Every image is written as an uncompressed 32-bit TGA, bottom row first,
// with straight (not premultiplied) alpha. FILE gets one line per glyph of
// the font: "index left top width height". With --icons, the window icon is
// also drawn for the desktop menus, as DIR/hicolor/NxN/apps/tumbleon.png in
// the hicolor theme's sizes.
#include "gen_ui.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct ToolState {
    FT_Library freetype = nullptr;
};
ToolState tool;

// ---- Tables ----

// Splits a line into words; a word in double quotes may hold spaces.
bool Tokenize(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) return false;
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t\r\"", i);
            if (end == std::string::npos) end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

// Reads a table file: calls take(words) for every line that is neither
// blank nor a comment; take returns an error text or "" when the line is good.
template <typename Take>
bool ReadTable(const std::string& path, Take take, std::string& error) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    std::fclose(in);
    std::vector<std::string> words;
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string problem = Tokenize(line, words) ? take(words) : "unclosed quote";
        if (!problem.empty()) {
            error = path + ":" + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    return true;
}

std::string TakeColour(ArtKit& kit, const std::vector<std::string>& w) {
    if (w.size() < 2 || w[1].size() != 7 || w[1][0] != '#') return "expected NAME #RRGGBB";
    unsigned value = 0;
    for (size_t i = 1; i < 7; ++i) {
        char c = w[1][i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return "bad colour " + w[1];
        value = value * 16 + digit;
    }
    kit.palette[w[0]] = {((value >> 16) & 255) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0};
    return "";
}

std::string TakeImage(std::vector<ImageDesign>& designs, const std::vector<std::string>& w) {
    if (w.size() < 4 || w.size() > 6) return "expected PATH STYLE WIDTH HEIGHT [\"LABEL\" [\"ENGLISH LABEL\"]]";
    ImageDesign design;
    design.path = w[0];
    design.style = w[1];
    if (w[2].find_first_not_of("0123456789") != std::string::npos || w[2].size() > 5 ||
        w[3].find_first_not_of("0123456789") != std::string::npos || w[3].size() > 5)
        return "width and height must be numbers";
    design.width = std::atoi(w[2].c_str());
    design.height = std::atoi(w[3].c_str());
    if (design.width < 1 || design.height < 1 || design.width > 4096 || design.height > 4096)
        return "size out of range";
    if (design.path.empty() || design.path[0] == '/' || design.path.find("..") != std::string::npos)
        return "the path must stay inside the data folder";
    if (w.size() >= 5) design.label = w[4];
    if (w.size() == 6) design.englishLabel = w[5];
    designs.push_back(design);
    return "";
}

std::string TakeHelp(ArtKit& kit, const std::vector<std::string>& w) {
    if (w.size() != 5) return "expected KIND \"TITLE\" \"LINE|LINE\" \"ENGLISH TITLE\" \"ENGLISH LINE|LINE\"";
    const auto split = [](const std::string& text) {
        std::vector<std::string> lines;
        for (size_t start = 0;;) {
            size_t bar = text.find('|', start);
            lines.push_back(text.substr(start, bar - start));
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        return lines;
    };
    kit.help.push_back({w[0], w[1], split(w[2]), w[3], split(w[4])});
    return "";
}

// ---- Output ----

// Writes an ARGB32 Cairo surface as an uncompressed 32-bit TGA with straight
// alpha. A fully transparent pixel is written as 0,0,0,0. The game's texture
// loader turns pure blue into transparent black (its colour key), so a
// visible pure blue pixel is nudged one step off it.
bool WriteTga(cairo_surface_t* surface, const std::string& path, std::string& error) {
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  uint8_t(width & 255), uint8_t(width >> 8),
                                  uint8_t(height & 255), uint8_t(height >> 8), 32, 8};
    bytes.reserve(bytes.size() + size_t(width) * height * 4);
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            uint32_t c[3] = {p & 255, (p >> 8) & 255, (p >> 16) & 255};  // b, g, r
            if (a == 0) c[0] = c[1] = c[2] = 0;
            else
                for (uint32_t& v : c) v = std::min<uint32_t>(255, (v * 255 + a / 2) / a);
            if (a != 0 && c[0] == 255 && c[1] == 0 && c[2] == 0) c[0] = 254;
            bytes.insert(bytes.end(), {uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), uint8_t(a)});
        }
    }
    // Make the folders on the way; ones that exist already are fine.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": cannot be written";
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) error = path + ": writing failed";
    return ok;
}

bool WriteRects(const std::vector<GlyphRect>& rects, const std::string& path, std::string& error) {
    FILE* out = std::fopen(path.c_str(), "w");
    bool ok = out != nullptr;
    for (size_t g = 0; ok && g < rects.size(); ++g)
        ok = std::fprintf(out, "%zu %d %d %d %d\n", g, rects[g].left, rects[g].top, rects[g].width,
                          rects[g].height) > 0;
    if (out) ok = std::fclose(out) == 0 && ok;
    if (!ok) error = path + ": cannot be written";
    return ok;
}

// A Cairo face over a FreeType face that lives exactly as long as it does.
cairo_font_face_t* LoadFace(const std::string& path, std::string& error) {
    FT_Face face = nullptr;
    if (FT_New_Face(tool.freetype, path.c_str(), 0, &face) != 0) {
        error = path + ": not a font FreeType can open";
        return nullptr;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    static const cairo_user_data_key_t key = {};
    if (cairo_font_face_set_user_data(cairoFace, &key, face,
                                      [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); }) !=
        CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        error = "cannot attach the font face";
        return nullptr;
    }
    return cairoFace;
}

// Pictures without words, which both languages share from kepek_hun.
bool SharedAcrossLanguages(const ImageDesign& design) {
    return design.path.rfind("kepek_hun/", 0) != 0 || design.style == "font" || design.style == "pointer" ||
           design.style == "icon" || design.style.rfind("hold", 0) == 0;
}

// Draws and writes one interface image (and a button's lit twin).
bool WriteImage(const ArtKit& kit, const ImageDesign& design, const std::string& path, std::string& error) {
    for (bool lit : {false, true}) {
        if (lit && !IsButtonStyle(design.style)) break;
        cairo_surface_t* image = DrawInterfaceImage(kit, design, lit);
        if (!image) {
            error = design.path + ": cannot draw style \"" + design.style + "\"";
            return false;
        }
        if (!kit.missingColour.empty()) {
            error = design.path + ": colour \"" + kit.missingColour + "\" is missing from palette.txt";
            cairo_surface_destroy(image);
            return false;
        }
        std::string out = path;
        if (lit) out.insert(out.size() - 4, "_aktiv");
        bool ok = WriteTga(image, out, error);
        cairo_surface_destroy(image);
        if (!ok) return false;
    }
    return true;
}

// Draws and writes every image of the table, then the English pictures.
// Returns false at the first failure, with error saying which.
bool Generate(const ArtKit& kit, const std::vector<ImageDesign>& designs, const std::string& outDir,
              const std::string& rectsPath, std::string& error) {
    for (const ImageDesign& design : designs) {
        const std::string path = outDir + "/" + design.path;
        if (design.style != "font") {
            if (!WriteImage(kit, design, path, error)) return false;
            continue;
        }
        cairo_surface_t* image = nullptr;
        std::vector<GlyphRect> rects;
        if (!DrawFontImage(kit, design.width, design.height, &image, rects, error)) return false;
        bool ok = WriteTga(image, path, error) && WriteRects(rects, rectsPath, error);
        cairo_surface_destroy(image);
        if (!ok) return false;
    }
    ArtKit english = kit;
    for (HelpEntry& card : english.help) {
        card.title = card.englishTitle;
        card.lines = card.englishLines;
    }
    for (ImageDesign design : designs) {
        if (SharedAcrossLanguages(design)) continue;
        design.path = "kepek_eng/" + design.path.substr(10);
        if (!design.englishLabel.empty()) design.label = design.englishLabel;
        if (!WriteImage(english, design, outDir + "/" + design.path, error)) return false;
    }
    return true;
}

// The window icon at the sizes desktop menus and launchers ask for.
const int desktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool WriteDesktopIcons(const ArtKit& kit, const std::string& iconDir, std::string& error) {
    for (int size : desktopIconSizes) {
        const std::string folder = iconDir + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string path = folder + "/tumbleon.png";
        for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            mkdir(path.substr(0, slash).c_str(), 0755);
        cairo_surface_t* image = DrawInterfaceImage(kit, ImageDesign{path, "icon", size, size, "", ""}, false);
        if (!image) {
            error = path + ": cannot draw the icon";
            return false;
        }
        const cairo_status_t status = cairo_surface_write_to_png(image, path.c_str());
        cairo_surface_destroy(image);
        if (status != CAIRO_STATUS_SUCCESS) {
            error = path + ": cannot be written: " + cairo_status_to_string(status);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string tables, bold, regular, outDir, rectsPath, iconDir;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        std::string* target = name == "--tables" ? &tables : name == "--bold" ? &bold
                            : name == "--regular" ? &regular : name == "--out" ? &outDir
                            : name == "--rects" ? &rectsPath : name == "--icons" ? &iconDir : nullptr;
        if (target) *target = argv[i + 1];
    }
    if (tables.empty() || bold.empty() || regular.empty() || outDir.empty() || rectsPath.empty()) {
        std::fprintf(stderr,
                     "usage: gen_ui --tables DIR --bold FONT --regular FONT --out DIR --rects FILE [--icons DIR]\n");
        return 2;
    }

    ArtKit kit;
    std::vector<ImageDesign> designs;
    std::string error;
    bool ok = ReadTable(tables + "/palette.txt", [&](auto& w) { return TakeColour(kit, w); }, error) &&
              ReadTable(tables + "/images.txt", [&](auto& w) { return TakeImage(designs, w); }, error) &&
              ReadTable(tables + "/help.txt", [&](auto& w) { return TakeHelp(kit, w); }, error);
    if (ok && FT_Init_FreeType(&tool.freetype) != 0) {
        error = "FreeType cannot start";
        ok = false;
    }
    if (ok) {
        kit.bold = LoadFace(bold, error);
        kit.regular = kit.bold ? LoadFace(regular, error) : nullptr;
        ok = kit.regular && Generate(kit, designs, outDir, rectsPath, error) &&
             (iconDir.empty() || WriteDesktopIcons(kit, iconDir, error));
    }
    if (kit.bold) cairo_font_face_destroy(kit.bold);
    if (kit.regular) cairo_font_face_destroy(kit.regular);
    cairo_debug_reset_static_data();
    if (tool.freetype) FT_Done_FreeType(tool.freetype);
    if (!ok) {
        std::fprintf(stderr, "gen_ui: %s\n", error.c_str());
        return 1;
    }
    std::printf("gen_ui: %zu images written to %s\n", designs.size(), outDir.c_str());
    return 0;
}
