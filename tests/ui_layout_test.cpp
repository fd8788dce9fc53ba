// What the screen cannot show: the font's glyph rectangles as the game reads
// them back from the generated picture, and the edges of the hit boxes.
#include <gtest/gtest.h>

#include <fstream>

#include "app/game_state.h"
#include "app/video_settings.h"
#include "ui/interface.h"
#include "ui/screens.h"

// The generated font read through the game's own loader and marker scan gives
// back every rectangle the font tool placed.
TEST(UiFont, GeneratedFontRoundTrips) {
    const std::string build = TUMBLEON_BUILD_DIR;
    std::ifstream placed(build + "/tools/gen_ui/fontok_rects.txt");
    Pixels pixels;
    if (!placed || !ReadImageFile(build + "/adatok/kepek_hun/fontok.tga", 0x00FF00FF, pixels))
        GTEST_SKIP() << "the font tool's output is not in this build";
    BitmapFont scanned;
    ASSERT_EQ(BuildFontMetricsFromPixels(pixels, scanned), fontGlyphCount);
    int g = 0, left = 0, top = 0, width = 0, height = 0, count = 0;
    while (placed >> g >> left >> top >> width >> height) {
        ASSERT_LT(g, fontGlyphCount);
        SCOPED_TRACE("glyph " + std::to_string(g));
        EXPECT_EQ(scanned.glyphLeft[g], left);
        EXPECT_EQ(scanned.glyphTop[g], top);
        EXPECT_EQ(scanned.glyphWidth[g], width);
        EXPECT_EQ(scanned.glyphHeight[g], height);
        ++count;
    }
    EXPECT_EQ(count, fontGlyphCount);
    // Every glyph has ink but the space.
    for (int glyph = 0; glyph < fontGlyphCount; ++glyph) {
        int ink = 0;
        for (int y = scanned.glyphTop[glyph]; y < scanned.glyphTop[glyph] + scanned.glyphHeight[glyph]; ++y)
            for (int x = scanned.glyphLeft[glyph]; x < scanned.glyphLeft[glyph] + scanned.glyphWidth[glyph]; ++x)
                ink += pixels.rgba[(static_cast<size_t>(y) * pixels.width + x) * 4 + 3] > 128;
        EXPECT_EQ(ink > 0, glyph != spaceGlyph) << glyph;
    }
    // Every character maps to its glyph; anything else, the no-break space
    // included, to the space.
    const std::string& characters = FontCharacters();
    ASSERT_EQ(characters.size(), 95u);
    for (int i = 0; i < 94; ++i) EXPECT_EQ(scanned.charToGlyph[static_cast<uint8_t>(characters[i])], i);
    for (uint8_t c : {uint8_t{0xA0}, uint8_t{'+'}, uint8_t{'"'}, uint8_t{0}}) EXPECT_EQ(scanned.charToGlyph[c], spaceGlyph);
}

TEST(UiFont, TextsBecomeWindows1250) {
    EXPECT_EQ(Win1250("Idő: ŐŰőű’\u00A0x"), "Id\xF5: \xD5\xDB\xF5\xFB\x92\xA0x");
    EXPECT_EQ(Win1250("plain"), "plain");
    EXPECT_EQ(Win1250("\xF5\xFF"), "\xF5\xFF");  // already Windows-1250: left alone
    EXPECT_EQ(Win1250("日"), "?");             // nothing in the code page
}

// The buttons that touch the screen's edges: the last pixel inside a box hits,
// the first one outside does not, at several screen sizes.
TEST(UiHitTest, BoxesEndExactlyAtTheirEdges) {
    ResetGameState();
    ResetVideoState();
    for (InterfaceImage& image : interfaceImages) image = InterfaceImage{};
    interfaceImages[33] = {Texture{}, 120, 34};  // stop, right-anchored
    interfaceImages[35] = {Texture{}, 120, 22};  // back, at the top-left corner
    for (int g = 0; g < fontGlyphCount; ++g) font.glyphWidth[g] = 10, font.glyphHeight[g] = 24;
    for (uint8_t& c : font.charToGlyph) c = 0;
    const int webWidth = 10 * static_cast<int>(WebAddressText().size());

    struct Case {
        GameScreen screen;
        MenuPage page;
        int width, height;
        float x, y;  // pointer
        int expected;
    };
    const auto run = GameScreen::Run;
    const auto menu = GameScreen::MainMenu;
    const Case cases[] = {
        // stop: x from W - 130 to W - 11, y from 10 to 43
        {run, MenuPage::FromPlay, 1024, 768, 894, 10, 10033},
        {run, MenuPage::FromPlay, 1024, 768, 1013.9f, 43.9f, 10033},
        {run, MenuPage::FromPlay, 1024, 768, 1014, 20, -1},
        {run, MenuPage::FromPlay, 1024, 768, 893, 20, -1},
        {run, MenuPage::FromPlay, 1024, 768, 900, 44, -1},
        {run, MenuPage::FromPlay, 640, 480, 510, 9, -1},
        {run, MenuPage::FromPlay, 640, 480, 510, 10, 10033},
        {run, MenuPage::FromPlay, 640, 480, 629, 30, 10033},
        {run, MenuPage::FromPlay, 640, 480, 630, 30, -1},
        // back: from the very corner pixel
        {menu, MenuPage::PuzzleSelect, 1024, 768, 0, 0, 10035},
        {menu, MenuPage::PuzzleSelect, 1024, 768, 119, 21, 10035},
        {menu, MenuPage::PuzzleSelect, 1024, 768, 120, 0, -1},
        {menu, MenuPage::PuzzleSelect, 1024, 768, -1, 5, -1},
        // the web line, 30 pixels above the bottom edge, one line high
        {menu, MenuPage::Main, 1024, 768, 512, 738, 10099},
        {menu, MenuPage::Main, 1024, 768, 512, 761, 10099},
        {menu, MenuPage::Main, 1024, 768, 512, 762, -1},
        {menu, MenuPage::Main, 1024, 768, 512, 737, -1},
        {menu, MenuPage::Main, 800, 600, float(400 - webWidth / 2), 580, 10099},
        {menu, MenuPage::Main, 800, 600, float(400 - webWidth / 2 - 1), 580, -1},
        // a help page answers everywhere, even off the screen's last pixel
        {menu, MenuPage::Help3, 1024, 768, 1023, 767, 10098},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.x) + "," +
                     std::to_string(c.y));
        gameScreen = c.screen;
        menuPage = c.page;
        currentPuzzle = 0;
        screenWidth = c.width;
        screenHeight = c.height;
        pointerX = c.x;
        pointerY = c.y;
        UpdateHover();
        EXPECT_EQ(hoveredControl, c.expected);
    }
    ResetGameState();
}

// Help page 2's last heading is two strings whose spaces leave room for each
// other's letters: merged, they read as one word in alternating colours, with
// no gap where neither string has a letter.
TEST(UiHelp, TheTwoColouredHeadingReadsAsOneWord) {
    std::string word, colours;
    for (const HeadingLetter& letter : InterleaveHeading("P  a  z  i", "  l  s  t k")) {
        word += letter.letter;
        colours += char('0' + letter.from);
    }
    EXPECT_EQ(word, "Plasztik");
    EXPECT_EQ(colours, "01010101");
    // Where both have a letter the first string's wins; the longer string runs on.
    EXPECT_EQ(InterleaveHeading("ab", " xyz"), (std::vector<HeadingLetter>{{'a', 0}, {'b', 0}, {'y', 1}, {'z', 1}}));
}
