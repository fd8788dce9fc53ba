// The generated font and interface images: glyph markers where the tool says
// it put the glyphs, every image the game loads present with straight alpha
// and nothing the colour key would punch out, and sizes that fit the screens.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const std::string dataDir = std::string(TUMBLEON_BUILD_DIR) + "/adatok/";

struct Tga {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first
    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// An uncompressed 32-bit TGA, either row order; false for anything else.
bool ReadTga(const std::string& path, Tga& image) {
    std::vector<uint8_t> b = ReadBytes(path);
    if (b.size() < 18 || b[2] != 2 || b[16] != 32) return false;
    image.width = b[12] | b[13] << 8;
    image.height = b[14] | b[15] << 8;
    size_t start = 18 + b[0], count = size_t(image.width) * image.height;
    if (b.size() < start + count * 4) return false;
    bool topFirst = b[17] & 0x20;
    image.rgba.resize(count * 4);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* s = &b[start + (size_t(topFirst ? y : image.height - 1 - y) * image.width + x) * 4];
            uint8_t* d = &image.rgba[(size_t(y) * image.width + x) * 4];
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
        }
    return true;
}

TEST(UiData, FontMarkersMatchThePlacedGlyphs) {
    Tga font;
    ASSERT_TRUE(ReadTga(dataDir + "kepek_hun/fontok.tga", font));
    ASSERT_EQ(font.width, 512);
    std::ifstream rectFile(std::string(TUMBLEON_BUILD_DIR) + "/tools/gen_ui/fontok_rects.txt");
    struct Rect { int g, left, top, width, height; };
    std::vector<Rect> rects;
    for (Rect r; rectFile >> r.g >> r.left >> r.top >> r.width >> r.height;) rects.push_back(r);
    ASSERT_EQ(rects.size(), 95u);

    // Markers in reading order over the area the game scans.
    std::vector<std::pair<int, int>> markers;
    for (int y = 0; y < 125 && y < font.height; ++y)
        for (int x = 0; x < 365; ++x)
            if (font.At(x, y)[0] == 0xFF && font.At(x, y)[2] == 0x00) markers.push_back({x, y});
    ASSERT_EQ(markers.size(), 95u);
    for (int g = 0; g < 95; ++g) {
        const Rect& r = rects[g];
        SCOPED_TRACE("glyph " + std::to_string(g));
        EXPECT_EQ(r.g, g);
        EXPECT_EQ(r.height, 24);
        EXPECT_EQ(markers[g], std::make_pair(r.left + r.width - 1, r.top + 24));
        bool rowStart = g == 0 || rects[g - 1].top != r.top;
        EXPECT_EQ(r.left, rowStart ? 0 : rects[g - 1].left + rects[g - 1].width);
        int ink = 0;
        for (int y = r.top; y < r.top + 24; ++y)
            for (int x = r.left; x < r.left + r.width; ++x) ink += font.At(x, y)[3] > 128;
        EXPECT_EQ(ink > 0, g != 94) << "only the space is blank";
    }
}

// The files the game loads: buttons with their lit twins, then the rest.
const char* const buttons[] = {
    "fomenu_inditas", "fomenu_betoltes", "fomenu_szerk", "fomenu_segitseg", "fomenu_kilep",
    "fomenu_opciok", "menu_guritas", "menu_kilep", "menu_ujra", "menu_szerkeszto_betoltes",
    "menu_szerkeszto_mentes", "menu_szerkeszto_cel+", "menu_szerkeszto_cel-",
    "menu_szerkeszto_epites", "menu_szerkeszto_csere", "menu_szerkeszto_torles",
    "menu_szerkeszto_keszlet", "menu_allj", "menu_vissza", "nyil_fel", "nyil_le", "dialog_menu",
    "dialog_ujra", "dialog_oke", "dialog_kov"};
const char* const singles[] = {
    "focim", "karika_teli", "karika_ures", "felirat_cel", "dialog", "segitseg", "../Vandrel_Logo",
    "../Kelmora_Logo", "kurzor_nyil", "kurzor_golyo", "kurzor_kocka", "kurzor_sarok",
    "kurzor_emelkedo", "ikon_nagy", "ikon_kicsi"};

TEST(UiData, EveryImageLoadsWithCleanAlpha) {
    int files = 0;
    std::vector<std::pair<const char*, bool>> all;
    for (const char* name : buttons) all.push_back({name, true});
    for (const char* name : singles) all.push_back({name, false});
    for (auto [name, hasTwin] : all) {
        Tga image, twin;
        std::string path = dataDir + "kepek_hun/" + name;
        ASSERT_TRUE(ReadTga(path + ".tga", image)) << name;
        ++files;
        if (hasTwin) {
            ASSERT_TRUE(ReadTga(path + "_aktiv.tga", twin)) << name;
            ++files;
            EXPECT_EQ(twin.width, image.width) << name;
            EXPECT_EQ(twin.height, image.height) << name;
            EXPECT_NE(twin.rgba, image.rgba) << name << ": the lit twin must differ";
        }
        for (const Tga* t : {&image, &twin})
            for (size_t i = 0; i < t->rgba.size(); i += 4) {
                const uint8_t* p = &t->rgba[i];
                // Straight alpha: nothing hides under a transparent pixel; and
                // no pure blue for the texture loader's colour key to erase.
                ASSERT_FALSE(p[3] == 0 && (p[0] | p[1] | p[2])) << name;
                ASSERT_FALSE(p[0] == 0 && p[1] == 0 && p[2] == 255) << name;
            }
    }
    EXPECT_EQ(files, 58 + 7);  // the game's 58 pictures besides the font; cursors and icons
}

TEST(UiData, SizesFitTheScreenLayouts) {
    auto size = [](const std::string& name) {
        Tga t;
        EXPECT_TRUE(ReadTga(dataDir + "kepek_hun/" + name + ".tga", t)) << name;
        return std::make_pair(t.width, t.height);
    };
    // Menu buttons step 45 pixels, side columns 25, dialog buttons 25 under
    // the text; on the options page menu and OK, doubled, share 220 pixels
    // and stay below the refresh line; the help picture fits 640x480 at 0.8.
    EXPECT_LE(size("fomenu_kilep").second, 40);
    EXPECT_LE(size("menu_szerkeszto_csere").second, 23);
    EXPECT_LE(size("menu_guritas").second, 38);
    EXPECT_LE(size("dialog_oke").second, 21);
    EXPECT_LT(size("dialog_menu").first + size("dialog_oke").first, 110);
    EXPECT_EQ(size("felirat_cel").second, size("menu_szerkeszto_cel+").second);
    EXPECT_LE(size("karika_teli").first, 16);
    EXPECT_LE(size("segitseg").first, 800);
    EXPECT_LE(size("segitseg").second, 600);
}

// A broken table stops the build with the file and line that is wrong, and
// writes nothing.
TEST(UiData, ToolRejectsBrokenTables) {
    const std::string palette = "ui.ink #141B2E\n";
    const std::string image = "kepek_hun/x.tga main 40 20 \"OK\"\n";
    const struct { std::string palette, images, expected; } cases[] = {
        {palette, "kepek_hun/x.tga main 40 20 \"OK\n", "images.txt:1: unclosed quote"},
        {"ui.ink #14ZB2E\n", image, "palette.txt:1: bad colour"},
        {palette, "# note\n../x.tga main 40 20\n", "images.txt:2: the path must stay inside"},
        {palette, "kepek_hun/x.tga main 40 0\n", "images.txt:1: size out of range"},
        {palette, "kepek_hun/x.tga wobbly 40 20\n", "cannot draw style \"wobbly\""},
        {palette, image, "colour \"ui.button.top\" is missing"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        WriteText(dir.File("palette.txt"), c.palette);
        WriteText(dir.File("images.txt"), c.images);
        WriteText(dir.File("help.txt"), "");
        const std::string fonts = "/usr/share/fonts/truetype/dejavu/DejaVuSans";
        std::string command = std::string(TUMBLEON_BUILD_DIR) + "/tools/gen_ui/gen_ui --tables " +
                              dir.File("") + " --bold " + fonts + "-Bold.ttf --regular " + fonts +
                              ".ttf --out " + dir.File("out") + " --rects " + dir.File("r") + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << output;
        EXPECT_NE(output.find(c.expected), std::string::npos) << output;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out/kepek_hun/x.tga"))) << c.expected;
    }
}

}  // namespace
