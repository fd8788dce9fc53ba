// Display settings: video.ini, the list of usable modes, the start mode and
// the options page.
#include <random>
#include <sys/stat.h>

#include "app_fixture.h"

namespace {

using apptest::AppTest;
using apptest::adapterModes;

DisplayMode Mode(uint32_t w, uint32_t h, uint32_t hz, uint32_t format) { return {w, h, hz, format}; }

bool operator==(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.refreshRate == b.refreshRate && a.format == b.format;
}

class AppVideo : public AppTest {
protected:
    std::vector<uint8_t> Ini() const {
        std::vector<uint8_t> bytes;
        ReadWholeFile(Path("video.ini"), 1000, bytes);
        return bytes;
    }
    void WriteIni(const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(WriteFileAtomically(Path("video.ini"), bytes.data(), bytes.size()));
    }
    static std::vector<uint8_t> IniBytes(uint32_t w, uint32_t h, uint32_t hz, uint32_t f) {
        std::vector<uint8_t> bytes;
        for (uint32_t v : {w, h, hz, f})
            for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
        return bytes;
    }
    // An adapter with 640x480, 800x600 and 1024x768, each in 16 and 32 bits at 60, 72 and 75 Hz.
    static std::vector<DisplayMode> CommonAdapter() {
        std::vector<DisplayMode> modes;
        for (uint32_t format : {formatA8R8G8B8, formatR5G6B5})
            for (auto [w, h] : {std::pair{1024u, 768u}, {800u, 600u}, {640u, 480u}})
                for (uint32_t hz : {75u, 72u, 60u}) modes.push_back(Mode(w, h, hz, format));
        return modes;
    }
    void StartWith(const std::vector<DisplayMode>& modes) {
        adapterModes = modes;
        std::string message;
        ASSERT_TRUE(StartDisplaySettings(message)) << message;
    }
    const DisplayMode& Pending() const { return displayModes[size_t(pendingMode)]; }
};

TEST_F(AppVideo, StoredSettingsPickTheirModeAndAreWrittenBackAtShutdown) {
    WriteIni(IniBytes(800, 600, 75, formatX8R8G8B8));
    ASSERT_EQ(chmod(Path("video.ini").c_str(), 0444), 0);  // read-only is fine for reading
    StartWith(CommonAdapter());
    EXPECT_TRUE(displayModes[size_t(currentMode)] == Mode(800, 600, 75, formatA8R8G8B8));
    EXPECT_EQ(screenWidth, 800);
    ASSERT_EQ(chmod(Path("video.ini").c_str(), 0644), 0);
    ShutdownGame();
    EXPECT_EQ(Ini(), IniBytes(800, 600, 75, formatA8R8G8B8));
}

TEST_F(AppVideo, WithoutAFileTheDefaultsAreWrittenAndTheLargestModeBelowThemTaken) {
    std::vector<DisplayMode> modes = CommonAdapter();
    modes.push_back(Mode(1024, 768, 70, formatA8R8G8B8));
    modes.push_back(Mode(1280, 1024, 60, formatA8R8G8B8));
    StartWith(modes);
    EXPECT_EQ(Ini(), IniBytes(1024, 768, 85, 21));
    EXPECT_TRUE(displayModes[size_t(currentMode)] == Mode(1024, 768, 75, formatA8R8G8B8));
    EXPECT_EQ(pendingMode, currentMode);
    // Only 60 and 70 Hz at 1024 x 768 in 32 bits: 70 is taken.
    StartWith({Mode(1024, 768, 60, 22), Mode(1024, 768, 70, 22), Mode(1024, 768, 60, 23)});
    EXPECT_TRUE(displayModes[size_t(currentMode)] == Mode(1024, 768, 70, 22));
}

TEST_F(AppVideo, AShortFileOrAnUnknownFormatGiveTheDefaultsOrTheSmallestMode) {
    std::vector<uint8_t> bytes = IniBytes(800, 600, 75, 22);
    bytes.pop_back();
    WriteIni(bytes);
    StartWith(CommonAdapter());
    EXPECT_EQ(Ini(), IniBytes(1024, 768, 85, 21));
    EXPECT_EQ(displayModes[size_t(currentMode)].width, 1024u);
    WriteIni(IniBytes(1024, 768, 85, 99));  // a format of no known depth: no mode qualifies
    StartWith(CommonAdapter());
    EXPECT_EQ(currentMode, 0);
    EXPECT_TRUE(displayModes[0] == Mode(640, 480, 60, formatR5G6B5));
    workDir = Path("missing");  // nowhere to write: start-up goes on with the defaults
    EXPECT_FALSE(WriteVideoSettings(defaultVideoSettings));
    StartWith(CommonAdapter());
    EXPECT_EQ(displayModes[size_t(currentMode)].width, 1024u);
}

TEST_F(AppVideo, OnlyUsableModesAppearAndAtMostAThousand) {
    StartWith({Mode(320, 200, 60, 21), Mode(640, 400, 60, 21), Mode(800, 600, 60, 28), Mode(800, 600, 60, 50),
               Mode(800, 600, 60, 22)});
    ASSERT_EQ(displayModes.size(), 1u);
    EXPECT_TRUE(displayModes[0] == Mode(800, 600, 60, 22));
    std::vector<DisplayMode> modes;
    for (uint32_t i = 0; i < 1500; ++i) modes.push_back(Mode(640 + i, 480, 60, 21));
    StartWith(modes);
    EXPECT_EQ(displayModes.size(), 1000u);
    EXPECT_EQ(resolutionStarts.size(), 1000u);
    EXPECT_EQ(displayModes[0].width, 1140u);  // taken from the adapter's last mode down
    // None at all ends the start with a message.
    adapterModes = {Mode(320, 240, 60, 21)};
    std::string message;
    EXPECT_FALSE(StartGame(message));
    EXPECT_NE(message.find("640 x 480"), std::string::npos);
}

TEST_F(AppVideo, TheListIsSortedAndGrouped) {
    StartWith(CommonAdapter());
    ASSERT_EQ(displayModes.size(), 18u);
    EXPECT_TRUE(displayModes[0] == Mode(640, 480, 60, formatR5G6B5));
    EXPECT_TRUE(displayModes[3] == Mode(640, 480, 60, formatA8R8G8B8));
    EXPECT_EQ(resolutionStarts, (std::vector<int>{0, 6, 12}));
    EXPECT_EQ(depthStarts, (std::vector<int>{0, 3, 6, 9, 12, 15}));
    // Two 32-bit formats at the same size and rate: the lower code comes first,
    // whatever order the adapter lists them in, so the start mode is the other.
    StartWith({Mode(1024, 768, 60, formatX8R8G8B8), Mode(1024, 768, 60, formatA8R8G8B8)});
    EXPECT_EQ(displayModes[0].format, formatA8R8G8B8);
    EXPECT_EQ(displayModes[size_t(currentMode)].format, formatX8R8G8B8);
    EXPECT_EQ(depthStarts, (std::vector<int>{0, 1}));
}

TEST_F(AppVideo, TheArrowsStepThroughTheGroups) {
    StartWith(CommonAdapter());
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    EXPECT_EQ(menuPage, MenuPage::Options);
    ASSERT_TRUE(Pending() == Mode(1024, 768, 75, formatA8R8G8B8));
    EXPECT_EQ(optionArrows[1], 0);  // no larger resolution
    EXPECT_EQ(optionArrows[5], 0);  // no higher rate
    Click(ControlId::ResolutionDown);
    EXPECT_TRUE(Pending() == Mode(800, 600, 60, formatR5G6B5));  // the first mode of the group
    Click(ControlId::DepthUp);
    EXPECT_TRUE(Pending() == Mode(800, 600, 60, formatA8R8G8B8));
    Click(ControlId::RefreshUp);
    Click(ControlId::RefreshUp);
    Click(ControlId::RefreshUp);  // hidden after the second: stays
    EXPECT_TRUE(Pending() == Mode(800, 600, 75, formatA8R8G8B8));
    Click(ControlId::ResolutionUp);
    Click(ControlId::ResolutionUp);  // hidden at the top
    EXPECT_TRUE(Pending() == Mode(1024, 768, 60, formatR5G6B5));
    EXPECT_EQ(apptest::sounds.size(), 1u);  // only the page's opening
}

TEST_F(AppVideo, RandomArrowClicksNeverLeaveTheirGroup) {
    std::vector<DisplayMode> modes = CommonAdapter();
    modes.push_back(Mode(1024, 768, 0, formatR8G8B8));
    modes.push_back(Mode(1280, 720, 60, formatX8R8G8B8));
    modes.push_back(Mode(1280, 720, 60, formatA8R8G8B8));  // same depth, another format
    StartWith(modes);
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        const DisplayMode before = Pending();
        const int arrow = int(rng() % 6);
        const bool shown = optionArrows[arrow];
        Click(Id(ControlId::ResolutionDown) + arrow);
        ASSERT_GE(pendingMode, 0);
        ASSERT_LT(pendingMode, int(displayModes.size()));
        const DisplayMode after = Pending();
        if (!shown) {
            ASSERT_TRUE(after == before);
            continue;
        }
        ASSERT_FALSE(after == before);
        if (arrow >= 4) {  // refresh: same size and format
            ASSERT_EQ(after.width, before.width);
            ASSERT_EQ(after.height, before.height);
            ASSERT_EQ(after.format, before.format);
        } else if (arrow >= 2) {  // depth: same size, first rate of its group
            ASSERT_EQ(after.width, before.width);
            ASSERT_EQ(after.height, before.height);
            ASSERT_EQ(pendingMode, depthStarts[size_t(depthIndex)]);
        } else {
            ASSERT_EQ(pendingMode, resolutionStarts[size_t(resolutionIndex)]);
        }
    }
}

TEST_F(AppVideo, OkAppliesAChangeAndLeavingAppliesNothing) {
    StartWith(CommonAdapter());
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    Click(ControlId::DialogOk);  // nothing changed: no reset
    EXPECT_TRUE(apptest::resetModes.empty());
    EXPECT_FALSE(deviceLost);
    Click(ControlId::ResolutionDown);
    Click(ControlId::DialogMenu);
    EXPECT_EQ(menuPage, MenuPage::Main);
    EXPECT_EQ(gameScreen, GameScreen::MainMenu);
    EXPECT_TRUE(apptest::resetModes.empty());
    Click(ControlId::MainOptions);
    EXPECT_EQ(pendingMode, currentMode);
    Click(ControlId::ResolutionDown);
    Click(ControlId::DialogOk);
    ASSERT_EQ(apptest::resetModes.size(), 1u);
    EXPECT_TRUE(apptest::resetModes[0] == Mode(800, 600, 60, formatR5G6B5));
    EXPECT_TRUE(deviceLost);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(menuPage, MenuPage::Options);  // the page stays open
    ShutdownGame();
    EXPECT_EQ(Ini(), IniBytes(800, 600, 60, formatR5G6B5));
}

}  // namespace
