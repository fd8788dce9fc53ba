// The generated interface images: every image the game loads present with
// straight alpha and nothing the colour key would punch out, and the image
// tool's refusal of broken tables. (Their sizes in the layouts are checked by
// the screenshots of the end-to-end test.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "tests/test_support.h"

namespace {

const std::string dataDir = std::string(TUMBLEON_BUILD_DIR) + "/adatok/";

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
        // A key no clean pixel can lose anything to.
        Pixels image, twin;
        std::string path = dataDir + "kepek_hun/" + name;
        ASSERT_TRUE(ReadImageFile(path + ".tga", 0x01000000, image)) << name;
        ++files;
        if (hasTwin) {
            ASSERT_TRUE(ReadImageFile(path + "_aktiv.tga", 0x01000000, twin)) << name;
            ++files;
            EXPECT_EQ(twin.width, image.width) << name;
            EXPECT_EQ(twin.height, image.height) << name;
            EXPECT_NE(twin.rgba, image.rgba) << name << ": the lit twin must differ";
        }
        for (const Pixels* t : {&image, &twin})
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
