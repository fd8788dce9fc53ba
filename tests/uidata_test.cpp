// The generated interface images: every image the game loads present with
// straight alpha and nothing the colour key would punch out, and the image
// tool's refusal of broken tables. (Their sizes in the layouts are checked by
// the screenshots of the end-to-end test.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "tests/test_support.h"

namespace {

const std::string dataDir = std::string(TUMBLEON_BUILD_DIR) + "/adatok/";

// Every interface picture (the font aside: its markers are read, not drawn)
// has straight alpha and nothing the colour key would punch out, and every
// lit twin differs from its button. That each file is there is checked by
// the game's start in the end-to-end test.
TEST(UiData, EveryImageHasCleanAlpha) {
    std::vector<std::string> files = {dataDir + "Vandrel_Logo.tga", dataDir + "Kelmora_Logo.tga"};
    for (const char* folder : {"kepek_hun", "kepek_eng"})
        for (const auto& entry : std::filesystem::directory_iterator(dataDir + folder))
            if (entry.path().filename() != "fontok.tga") files.push_back(entry.path().string());
    ASSERT_GE(files.size(), 58u + 7u + 58u);
    for (const std::string& file : files) {
        Pixels image, plain;
        ASSERT_TRUE(ReadImageFile(file, 0x01000000, image)) << file;  // a key no clean pixel loses to
        for (size_t i = 0; i < image.rgba.size(); i += 4) {
            const uint8_t* p = &image.rgba[i];
            // Straight alpha: nothing hides under a transparent pixel; and
            // no pure blue for the texture loader's colour key to erase.
            ASSERT_FALSE(p[3] == 0 && (p[0] | p[1] | p[2])) << file;
            ASSERT_FALSE(p[0] == 0 && p[1] == 0 && p[2] == 255) << file;
        }
        const size_t twin = file.rfind("_aktiv.tga");
        if (twin == std::string::npos) continue;
        ASSERT_TRUE(ReadImageFile(file.substr(0, twin) + ".tga", 0x01000000, plain)) << file;
        EXPECT_EQ(image.width, plain.width) << file;
        EXPECT_EQ(image.height, plain.height) << file;
        EXPECT_NE(image.rgba, plain.rgba) << file << ": the lit twin must differ";
    }
}

// Every picture the game loads from kepek_hun but the font has an English
// twin in kepek_eng of the same size, so the layouts hold in both languages;
// the buttons with words carry other words.
TEST(UiData, EnglishPicturesMatchTheHungarianSizes) {
    int differing = 0;
    for (const std::string name : {"menu_sugo", "menu_ujra", "fomenu_inditas", "dialog_kov", "felirat_cel", "segitseg"}) {
        Pixels hungarian, english;
        ASSERT_TRUE(ReadImageFile(dataDir + "kepek_hun/" + name + ".tga", 0x01000000, hungarian)) << name;
        ASSERT_TRUE(ReadImageFile(dataDir + "kepek_eng/" + name + ".tga", 0x01000000, english)) << name;
        differing += hungarian.rgba != english.rgba;
    }
    EXPECT_EQ(differing, 6);
    int twins = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir + "kepek_eng")) {
        const std::string name = entry.path().filename().string();
        int width = 0, height = 0, hungarianWidth = 0, hungarianHeight = 0;
        ASSERT_TRUE(ReadImageSize(entry.path().string(), width, height)) << name;
        ASSERT_TRUE(ReadImageSize(dataDir + "kepek_hun/" + name, hungarianWidth, hungarianHeight)) << name;
        EXPECT_EQ(std::pair(width, height), std::pair(hungarianWidth, hungarianHeight)) << name;
        ++twins;
    }
    EXPECT_EQ(twins, 58);  // all of kepek_hun but the font, the five cursors and the two icons
}

// A help card without its English title and description is refused.
TEST(UiData, ToolRefusesAHelpCardWithoutEnglish) {
    ScratchDir dir;
    WriteText(dir.File("palette.txt"), "ui.ink #141B2E\n");
    WriteText(dir.File("images.txt"), "");
    WriteText(dir.File("help.txt"), "piece.ground \"Talaj\" \"A p\xC3\xA1lya alapja\"\n");
    const std::string fonts = "/usr/share/fonts/truetype/dejavu/DejaVuSans";
    const std::string command = std::string(TUMBLEON_BUILD_DIR) + "/tools/gen_ui/gen_ui --tables " + dir.File("") +
                                " --bold " + fonts + "-Bold.ttf --regular " + fonts + ".ttf --out " +
                                dir.File("out") + " --rects " + dir.File("r") + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << output;
    EXPECT_NE(output.find("help.txt:1: expected KIND"), std::string::npos) << output;
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
