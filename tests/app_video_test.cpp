// Display settings: video.ini, the list of usable modes, the start mode and
// the options page.
#include <random>
#include <sys/stat.h>

#include "app_fixture.h"

namespace {

using apptest::adapterModes;

constexpr uint32_t a32 = formatA8R8G8B8, x32 = formatX8R8G8B8, r16 = formatR5G6B5;

DisplayMode Mode(uint32_t w, uint32_t h, uint32_t hz, uint32_t format) { return {w, h, hz, format}; }

bool operator==(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.refreshRate == b.refreshRate && a.format == b.format;
}

class AppVideo : public apptest::AppTest {
protected:
    std::vector<uint8_t> Ini() const { return ReadBytes(Path("video.ini")); }
    static std::vector<uint8_t> IniBytes(uint32_t w, uint32_t h, uint32_t hz, uint32_t f) {
        std::vector<uint8_t> bytes;
        for (uint32_t v : {w, h, hz, f})
            for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
        return bytes;
    }
    // 640x480, 800x600 and 1024x768, each in 16 and 32 bits at 60, 72 and 75 Hz.
    static std::vector<DisplayMode> CommonAdapter() {
        std::vector<DisplayMode> modes;
        for (uint32_t format : {a32, r16})
            for (auto [w, h] : {std::pair{1024u, 768u}, {800u, 600u}, {640u, 480u}})
                for (uint32_t hz : {75u, 72u, 60u}) modes.push_back(Mode(w, h, hz, format));
        return modes;
    }
    void StartWith(const std::vector<DisplayMode>& modes) {
        adapterModes = modes;
        std::string message;
        ASSERT_TRUE(StartDisplaySettings(message)) << message;
    }
    const DisplayMode& Current() const { return Video().modes[size_t(Video().current)]; }
    const DisplayMode& Pending() const { return Video().modes[size_t(Video().pending)]; }
};

// The largest mode no larger than the settings in any of the four keys; the
// settings come from video.ini, or the defaults are written when it is missing
// or short. What the options page applies is written back at shutdown.
TEST_F(AppVideo, TheStartModeFollowsTheStoredSettings) {
    const struct { std::vector<uint8_t> ini; DisplayMode start; } cases[] = {
        {IniBytes(800, 600, 75, x32), Mode(800, 600, 75, a32)},
        {IniBytes(800, 600, 70, a32), Mode(800, 600, 60, a32)},
        {IniBytes(1024, 768, 85, r16), Mode(1024, 768, 75, r16)},
        {IniBytes(1024, 768, 85, 99), Mode(640, 480, 60, r16)},  // no known depth: the smallest mode
        {{1, 2, 3}, Mode(1024, 768, 75, a32)},
    };
    for (const auto& c : cases) {
        WriteBytes(Path("video.ini"), c.ini);
        ASSERT_EQ(chmod(Path("video.ini").c_str(), 0444), 0);  // read-only is fine for reading
        StartWith(CommonAdapter());
        EXPECT_TRUE(Current() == c.start) << c.ini.size() << " " << Current().refreshRate;
        EXPECT_EQ(Video().pending, Video().current);
        ASSERT_EQ(chmod(Path("video.ini").c_str(), 0644), 0);
    }
    EXPECT_EQ(Ini(), IniBytes(1024, 768, 85, a32));  // the defaults, in place of the short file
    EXPECT_EQ(screenWidth, 1024);
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    Click(ControlId::ResolutionDown);
    Click(ControlId::DialogMenu);  // leaving applies nothing
    EXPECT_TRUE(apptest::resetModes.empty());
    Click(ControlId::MainOptions);
    Click(ControlId::DialogOk);  // nothing changed: no reset
    EXPECT_FALSE(deviceLost);
    Click(ControlId::ResolutionDown);
    Click(ControlId::DialogOk);
    ASSERT_EQ(apptest::resetModes.size(), 1u);
    EXPECT_TRUE(apptest::resetModes[0] == Mode(800, 600, 60, r16));
    EXPECT_TRUE(deviceLost);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(menuPage, MenuPage::Options);  // the page stays open
    ShutdownGame();
    EXPECT_EQ(Ini(), IniBytes(800, 600, 60, r16));
}

TEST_F(AppVideo, TheListHoldsTheUsableModesSortedAndGrouped) {
    StartWith(CommonAdapter());
    ASSERT_EQ(Video().modes.size(), 18u);
    EXPECT_TRUE(Video().modes[0] == Mode(640, 480, 60, r16));
    EXPECT_TRUE(Video().modes[3] == Mode(640, 480, 60, a32));
    EXPECT_EQ(Video().resolutionStarts, (std::vector<int>{0, 6, 12}));
    EXPECT_EQ(Video().depthStarts, (std::vector<int>{0, 3, 6, 9, 12, 15}));
    // Two 32-bit formats at the same size and rate: the lower code comes first,
    // whatever order the adapter lists them in, so the start mode is the other.
    StartWith({Mode(1024, 768, 60, x32), Mode(1024, 768, 60, a32), Mode(1024, 600, 60, a32)});
    EXPECT_EQ(Video().modes[1].format, a32);
    EXPECT_TRUE(Current() == Mode(1024, 768, 60, x32));
    EXPECT_EQ(Video().depthStarts, (std::vector<int>{0, 1, 2}));
    StartWith({Mode(320, 200, 60, 21), Mode(640, 400, 60, 21), Mode(800, 600, 60, 28), Mode(800, 600, 60, 50),
               Mode(800, 600, 60, 33), Mode(800, 600, 60, 20)});
    ASSERT_EQ(Video().modes.size(), 2u);
    EXPECT_TRUE(Video().modes[0] == Mode(800, 600, 60, 20));
    std::vector<DisplayMode> modes;
    for (uint32_t i = 0; i < 1500; ++i) modes.push_back(Mode(640 + i, 480, 60, 21));
    StartWith(modes);
    EXPECT_EQ(Video().modes.size(), 1000u);
    EXPECT_EQ(Video().modes[0].width, 1140u);  // taken from the adapter's last mode down
    // None at all ends the start with a message.
    adapterModes = {Mode(320, 240, 60, 21)};
    std::string message;
    EXPECT_FALSE(StartGame(message));
    EXPECT_NE(message.find("640 x 480"), std::string::npos);
}

// Resolution arrows go to the first mode of the next size, depth arrows to the
// first rate of the next depth at the same size, refresh arrows step within
// the depth; an arrow is shown only where it leads somewhere.
TEST_F(AppVideo, TheArrowsStepThroughTheGroupsAndNeverLeaveThem) {
    std::vector<DisplayMode> modes = CommonAdapter();
    modes.push_back(Mode(1280, 720, 60, x32));
    modes.push_back(Mode(1280, 720, 60, a32));  // same depth, another format: a depth group of its own
    StartWith(modes);
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    ASSERT_TRUE(Pending() == Mode(1024, 768, 75, a32));
    const struct { ControlId arrow; DisplayMode pending; } steps[] = {
        {ControlId::ResolutionDown, Mode(800, 600, 60, r16)}, {ControlId::DepthUp, Mode(800, 600, 60, a32)},
        {ControlId::RefreshUp, Mode(800, 600, 72, a32)},      {ControlId::RefreshUp, Mode(800, 600, 75, a32)},
        {ControlId::RefreshUp, Mode(800, 600, 75, a32)},      {ControlId::DepthUp, Mode(800, 600, 75, a32)},
        {ControlId::RefreshDown, Mode(800, 600, 72, a32)},    {ControlId::DepthDown, Mode(800, 600, 60, r16)},
        {ControlId::DepthDown, Mode(800, 600, 60, r16)},      {ControlId::ResolutionUp, Mode(1024, 768, 60, r16)},
        {ControlId::ResolutionUp, Mode(1280, 720, 60, a32)},  {ControlId::ResolutionUp, Mode(1280, 720, 60, a32)},
        {ControlId::DepthUp, Mode(1280, 720, 60, x32)},       {ControlId::RefreshUp, Mode(1280, 720, 60, x32)},
        {ControlId::ResolutionDown, Mode(1024, 768, 60, r16)},
    };
    // A shown arrow is clicked where it is drawn; a hidden one's command, run
    // all the same, must not move the choice out of its group.
    auto clickArrow = [this](int arrow) {
        if (Video().optionArrows[arrow - Id(ControlId::ResolutionDown)])
            Click(arrow);
        else
            Command(arrow);
    };
    for (const auto& s : steps) {
        clickArrow(Id(s.arrow));
        EXPECT_TRUE(Pending() == s.pending) << Id(s.arrow) << " to " << Pending().width << " " << Pending().refreshRate;
    }
    EXPECT_EQ(apptest::sounds.size(), 1u);  // only the page's opening
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        const DisplayMode before = Pending();
        const int arrow = int(rng() % 6);
        const bool shown = Video().optionArrows[arrow];
        clickArrow(Id(ControlId::ResolutionDown) + arrow);
        ASSERT_GE(Video().pending, 0);
        ASSERT_LT(Video().pending, int(Video().modes.size()));
        const DisplayMode after = Pending();
        ASSERT_EQ(after == before, !shown) << arrow;
        ASSERT_TRUE(!shown || arrow < 2 || (after.width == before.width && after.height == before.height));
        ASSERT_TRUE(!shown || arrow < 4 || FormatBits(after.format) == FormatBits(before.format));
    }
}

}  // namespace
