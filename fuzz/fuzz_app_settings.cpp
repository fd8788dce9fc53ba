// Tries the video.ini reader on any bytes, and the start mode the game then
// chooses from a typical adapter's list: a file shorter than 16 bytes is
// refused, and whatever mode it asks for, the start mode is one of the list.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/video_settings.h"

static std::vector<DisplayMode> AdapterModes() {
    std::vector<DisplayMode> modes;
    for (uint32_t format : {formatA8R8G8B8, FormatCode(PixelFormat::R5G6B5)})
        for (DisplayMode size : {DisplayMode{640, 480, 60, 0}, DisplayMode{800, 600, 60, 0}, DisplayMode{1024, 768, 60, 0},
                                 DisplayMode{1024, 768, 85, 0}, DisplayMode{1920, 1080, 60, 0}})
            modes.push_back({size.width, size.height, size.refreshRate, format});
    return modes;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<DisplayMode> adapter = AdapterModes();
    DisplayMode mode = defaultVideoSettings;
    const bool read = ParseVideoSettings(data, size, mode);
    if (read != (size >= videoSettingsBytes)) std::abort();
    if (!read && (mode.width != defaultVideoSettings.width || mode.format != defaultVideoSettings.format)) std::abort();
    SetWantedMode(mode);
    BuildModeList(adapter);
    ChooseStartMode();
    const VideoState& video = Video();
    if (video.modes.empty() || video.current < 0 || video.current >= static_cast<int>(video.modes.size())) std::abort();
    UpdateOptionArrows();
    return 0;
}
