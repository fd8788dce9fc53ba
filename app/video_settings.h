// Display settings: the mode kept in video.ini, the sorted list of usable
// full-screen modes, and the options page that steps through them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixel formats by their long-established numeric codes, which video.ini
// stores; the window layer maps its own formats to these.
enum class PixelFormat : uint32_t {
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    R3G3B2 = 27,
    A8 = 28,
    A8R3G3B2 = 29,
    X4R4G4B4 = 30,
    A2B10G10R10 = 31,
    A8B8G8R8 = 32,
    X8B8G8R8 = 33,
};
constexpr uint32_t FormatCode(PixelFormat format) { return static_cast<uint32_t>(format); }
constexpr uint32_t formatR8G8B8 = FormatCode(PixelFormat::R8G8B8);
constexpr uint32_t formatA8R8G8B8 = FormatCode(PixelFormat::A8R8G8B8);
constexpr uint32_t formatX8R8G8B8 = FormatCode(PixelFormat::X8R8G8B8);
constexpr uint32_t formatR5G6B5 = FormatCode(PixelFormat::R5G6B5);

struct DisplayMode {
    uint32_t width = 0;        // pixels
    uint32_t height = 0;       // pixels
    uint32_t refreshRate = 0;  // Hz, 0 = the adapter's default
    uint32_t format = 0;       // pixel format code
};

constexpr DisplayMode defaultVideoSettings{1024, 768, 85, formatA8R8G8B8};
constexpr int maxDisplayModes = 1000;
constexpr size_t videoSettingsBytes = 16;

// The display settings' state: the mode wanted, the usable modes and their
// groups, the mode in use and the one the options page shows. Only the
// functions below change it.
struct VideoState {
    DisplayMode wanted = defaultVideoSettings;  // from video.ini
    std::vector<DisplayMode> modes;             // usable modes, sorted
    std::vector<int> resolutionStarts;          // first index of each width x height
    std::vector<int> depthStarts;               // first index of each width x height x format
    int current = 0;                            // index of the mode in use
    bool windowed = false;                      // shown in a window of the mode's size, not full screen
    int pending = 0;                            // shown on the options page, applied by OK
    int resolutionIndex = 0, depthIndex = 0;    // groups holding pending
    uint8_t optionArrows[6] = {};               // resolution -/+, depth -/+, refresh -/+
    DisplayMode stored = defaultVideoSettings;  // what video.ini holds as far as the game knows
    bool choiceUnsaved = false;                 // a mode the player chose still waits to be kept there
};

const VideoState& Video();
// The mode in use, and on the options page, set to `index`: the window
// layer's way back when it could not show another.
void SetModeInUse(int index);
// Shown in a window (this time only, as --window asks), or full screen.
void SetWindowed(bool inWindow);
// The mode wanted, as video.ini would give it (the start mode is chosen from it).
void SetWantedMode(const DisplayMode& mode);

// Bits per pixel of a format code: 16, 24, 32, or 0 for any other code.
int FormatBits(uint32_t format);

// Takes video.ini's bytes into a mode; false, `mode` untouched, when shorter
// than 16 bytes. What follows them is not looked at.
bool ParseVideoSettings(const uint8_t* data, size_t size, DisplayMode& mode);
// Reads video.ini into videoSettings; false when missing or shorter than 16 bytes.
bool ReadVideoSettings();
// Writes a mode to video.ini atomically; false when the folder is not writable.
bool WriteVideoSettings(const DisplayMode& mode);
// Writes the mode in use to video.ini unless the file already holds it; a
// failure to keep a mode the player chose is told in a box, and the next
// change or the shutdown tries again.
void SaveVideoSettings();

// window.ini, beside video.ini: the one line "window" or "fullscreen".
std::string WindowSettingPath();
// Reads window.ini into inWindow. False when it is missing (problem empty) or
// is not a regular file holding one of the two words (problem says why, for
// stderr); inWindow is then untouched.
bool ReadWindowSetting(bool& inWindow, std::string& problem);
// Writes window.ini atomically; false when the folder is not writable.
bool WriteWindowSetting(bool inWindow);
// F11 or Alt+Enter: from full screen to a window or back, remembered in
// window.ini; a failed write is told in a box, the switch stays.
void ToggleWindowed();

// Builds displayModes and the group lists from the adapter's modes (each
// format's modes in the adapter's own numbering): only the formats the game
// draws with and at least 640 x 480, at most 1000.
void BuildModeList(const std::vector<DisplayMode>& adapterModes);
// currentMode = the largest mode not above videoSettings in any respect, else 0.
void ChooseStartMode();
void UpdateOptionArrows();

// Start-up: removes what killed writes left, reads the settings (writing the
// defaults when they cannot be read) and window.ini, mode list, start mode,
// options arrows. False with a
// message when the adapter offers no usable mode.
bool StartDisplaySettings(std::string& message);

// The options page commands.
void OpenOptions();
void OptionArrow(int controlId);
// Applies the page's mode and keeps it in video.ini.
void ApplyPendingMode();

// Back to the start values.
void ResetVideoState();
