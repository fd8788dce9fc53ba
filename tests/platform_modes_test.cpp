// SDL's pixel formats as the game's format codes (the desktop's, a 16-bit
// one, and those the game cannot draw with), and a display's modes through
// the game's mode list.
#include <gtest/gtest.h>

#include <SDL.h>

#include "app/video_settings.h"
#include "platform/platform.h"

TEST(PlatformModes, SdlFormatsMapToTheGameCodes) {
    struct Case {
        uint32_t sdl, code;
        int bits;
    };
    const Case cases[] = {
        {SDL_PIXELFORMAT_RGB888, 22, 32},    // X8R8G8B8: what Xvfb and most desktops give
        {SDL_PIXELFORMAT_RGB565, 23, 16},
        {SDL_PIXELFORMAT_ARGB2101010, 35, 0},  // kept out of the list: the game draws nothing with it
        {SDL_PIXELFORMAT_INDEX8, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetPixelFormatName(c.sdl));
        EXPECT_EQ(FormatCodeOfSdlFormat(c.sdl), c.code);
        EXPECT_EQ(FormatBits(FormatCodeOfSdlFormat(c.sdl)), c.bits);
    }
}

// SDL's dummy display offers one mode with no refresh rate: it reaches the
// options page as 1024 x 768, 32 bits, refresh 0 ("default Hz").
TEST(PlatformModes, DummyDisplayGivesOneUsableMode) {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
    std::string message;
    ASSERT_TRUE(StartPlatform(message)) << message;
    const std::vector<DisplayMode> modes = EnumerateDisplayModes();
    StopPlatform();
    unsetenv("SDL_VIDEODRIVER");
    BuildModeList(modes);
    ASSERT_EQ(Video().modes.size(), 1u);
    EXPECT_EQ(Video().modes[0].width, 1024u);
    EXPECT_EQ(Video().modes[0].height, 768u);
    EXPECT_EQ(Video().modes[0].refreshRate, 0u);
    EXPECT_EQ(FormatBits(Video().modes[0].format), 32);
    ResetVideoState();
}
