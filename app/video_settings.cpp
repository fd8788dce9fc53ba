#include "app/video_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/game_state.h"
#include "app/platform_hooks.h"
#include "app/player_files.h"
#include "app/texts.h"
#include "board/file_io.h"
#include "sim/effects.h"

static VideoState video;

const VideoState& Video() { return video; }

void ResetVideoState() { video = VideoState{}; }

void SetModeInUse(int index) { video.current = video.pending = index; }

void SetWindowed(bool inWindow) { video.windowed = inWindow; }

void SetWantedMode(const DisplayMode& mode) { video.wanted = mode; }

int FormatBits(uint32_t format) {
    using F = PixelFormat;
    switch (static_cast<PixelFormat>(format)) {
    case F::R8G8B8: return 24;
    case F::A8R8G8B8: case F::X8R8G8B8: case F::A2B10G10R10: case F::A8B8G8R8: case F::X8B8G8R8: return 32;
    case F::R5G6B5: case F::X1R5G5B5: case F::A1R5G5B5: case F::A4R4G4B4: case F::X4R4G4B4: return 16;
    default: return 0;
    }
}

// ---- video.ini: width, height, refresh rate, format as little-endian 32-bit values ----

static std::string VideoSettingsPath() { return SettingsFilePath(); }

static uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

static void PutU32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool ParseVideoSettings(const uint8_t* data, size_t size, DisplayMode& mode) {
    // A file cut short would leave part of a value undefined: it counts as unreadable.
    if (size < videoSettingsBytes) return false;
    mode = {ReadU32(&data[0]), ReadU32(&data[4]), ReadU32(&data[8]), ReadU32(&data[12])};
    return true;
}

bool ReadVideoSettings() {
    std::vector<uint8_t> bytes;
    // Only the first 16 bytes count, whatever follows them.
    return ReadFileStart(VideoSettingsPath(), videoSettingsBytes, bytes) &&
           ParseVideoSettings(bytes.data(), bytes.size(), video.wanted);
}

bool WriteVideoSettings(const DisplayMode& mode) {
    uint8_t bytes[videoSettingsBytes];
    PutU32(bytes + 0, mode.width);
    PutU32(bytes + 4, mode.height);
    PutU32(bytes + 8, mode.refreshRate);
    PutU32(bytes + 12, mode.format);
    if (!WriteFileAtomically(VideoSettingsPath(), bytes, sizeof bytes)) return false;
    video.stored = mode;
    return true;
}

static bool SameMode(const DisplayMode& a, const DisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.refreshRate == b.refreshRate && a.format == b.format;
}

void SaveVideoSettings() {
    if (video.current < 0 || video.current >= static_cast<int>(video.modes.size())) return;
    const DisplayMode& mode = video.modes[static_cast<size_t>(video.current)];
    if (!video.choiceUnsaved && SameMode(mode, video.stored)) return;
    if (WriteVideoSettings(mode)) {
        video.choiceUnsaved = false;
        return;
    }
    // Only the mode the game started in: the next start picks it again.
    if (!video.choiceUnsaved) {
        std::fprintf(stderr, "Tumbleon: the settings file %s cannot be written (%s).\n", VideoSettingsPath().c_str(),
                     std::strerror(errno));
        return;
    }
    TellSaveFailure(Text(TextId::VideoNotSaved1) + VideoSettingsPath() + Text(TextId::VideoNotSaved2));
}

// ---- window.ini: "window" or "fullscreen", one line beside video.ini ----

static const char* const windowWord = "window";
static const char* const fullScreenWord = "fullscreen";

std::string WindowSettingPath() {
    const std::string video = VideoSettingsPath();
    const size_t slash = video.find_last_of('/');
    return (slash == std::string::npos ? std::string() : video.substr(0, slash + 1)) + "window.ini";
}

bool ReadWindowSetting(bool& inWindow, std::string& problem) {
    problem.clear();
    const std::string path = WindowSettingPath();
    // Not blocking: a FIFO or a device in its place is refused, never waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) problem = path + ": cannot be opened; the game starts full screen";
        return false;
    }
    struct stat info {};
    char text[32];
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) got = ::read(fd, text, sizeof text);
    ::close(fd);
    if (got < 0) {
        problem = path + ": not a readable file; the game starts full screen";
        return false;
    }
    // One word, with or without its line end; anything else is not ours.
    std::string word(text, static_cast<size_t>(got));
    if (!word.empty() && word.back() == '\n') word.pop_back();
    if (!word.empty() && word.back() == '\r') word.pop_back();
    if (word != windowWord && word != fullScreenWord) {
        problem = path + ": holds neither \"window\" nor \"fullscreen\"; the game starts full screen";
        return false;
    }
    inWindow = word == windowWord;
    return true;
}

bool WriteWindowSetting(bool inWindow) {
    const std::string line = std::string(inWindow ? windowWord : fullScreenWord) + "\n";
    return WriteFileAtomically(WindowSettingPath(), reinterpret_cast<const uint8_t*>(line.data()), line.size());
}

void ToggleWindowed() {
    const bool wanted = !video.windowed;
    // Nothing is remembered of a switch the window system refused.
    if (!platformHooks.showInWindow || !platformHooks.showInWindow(wanted)) return;
    video.windowed = wanted;
    if (WriteWindowSetting(video.windowed)) return;
    const std::string text = Text(TextId::WindowNotSaved1) +
                             std::string(Text(video.windowed ? TextId::WindowNotSavedInWindow : TextId::WindowNotSavedFullScreen)) +
                             Text(TextId::WindowNotSaved2) + WindowSettingPath() + Text(TextId::WindowNotSaved3);
    if (platformHooks.showMessage) platformHooks.showMessage(Text(TextId::SettingNotSavedTitle), text.c_str());
}

// ---- The mode list ----

// Formats with a depth the game draws with: not R3G3B2, A8 or A8R3G3B2.
static bool UsableFormat(uint32_t format) { return FormatBits(format) != 0; }

void BuildModeList(const std::vector<DisplayMode>& adapterModes) {
    video.modes.clear();
    // Format by format from the lowest code, each format's modes from its last
    // to its first: modes the sort cannot tell apart (two 32-bit formats at the
    // same size and rate) and the cut at 1000 both follow this order.
    for (uint32_t format = FormatCode(PixelFormat::R8G8B8); format <= FormatCode(PixelFormat::X8B8G8R8); ++format) {
        if (!UsableFormat(format)) continue;
        for (auto mode = adapterModes.rbegin(); mode != adapterModes.rend(); ++mode) {
            if (mode->format != format || mode->width < 640 || mode->height < 480) continue;
            if (static_cast<int>(video.modes.size()) >= maxDisplayModes) break;
            video.modes.push_back(*mode);
        }
    }
    // Modes equal in all four keys keep the order in which they were taken.
    std::stable_sort(video.modes.begin(), video.modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
        if (a.width != b.width) return a.width < b.width;
        if (a.height != b.height) return a.height < b.height;
        const int bitsA = FormatBits(a.format), bitsB = FormatBits(b.format);
        if (bitsA != bitsB) return bitsA < bitsB;
        return a.refreshRate < b.refreshRate;
    });
    video.resolutionStarts.clear();
    video.depthStarts.clear();
    for (int i = 0; i < static_cast<int>(video.modes.size()); ++i) {
        const DisplayMode& mode = video.modes[static_cast<size_t>(i)];
        const DisplayMode* before = i > 0 ? &video.modes[static_cast<size_t>(i - 1)] : nullptr;
        const bool newResolution = !before || mode.width != before->width || mode.height != before->height;
        if (newResolution) video.resolutionStarts.push_back(i);
        if (newResolution || mode.format != before->format) video.depthStarts.push_back(i);
    }
}

void ChooseStartMode() {
    video.current = 0;
    const int wantedBits = FormatBits(video.wanted.format);
    for (int i = 0; i < static_cast<int>(video.modes.size()); ++i) {
        const DisplayMode& mode = video.modes[static_cast<size_t>(i)];
        if (mode.width <= video.wanted.width && mode.height <= video.wanted.height &&
            mode.refreshRate <= video.wanted.refreshRate && FormatBits(mode.format) <= wantedBits)
            video.current = i;
    }
}

// The position of the last group start at or before index p.
static int GroupOf(const std::vector<int>& starts, int p) {
    int group = 0;
    for (int g = 0; g < static_cast<int>(starts.size()); ++g)
        if (starts[static_cast<size_t>(g)] <= p) group = g;
    return group;
}

void UpdateOptionArrows() {
    std::fill(std::begin(video.optionArrows), std::end(video.optionArrows), uint8_t{0});
    const int n = static_cast<int>(video.modes.size());
    if (n == 0) return;
    const int p = video.pending;
    const std::vector<int>& r = video.resolutionStarts;
    const std::vector<int>& d = video.depthStarts;
    const int nR = static_cast<int>(r.size()), nD = static_cast<int>(d.size());
    const int ri = video.resolutionIndex = GroupOf(r, p);
    const int di = video.depthIndex = GroupOf(d, p);
    const int nextResolution = ri + 1 < nR ? r[static_cast<size_t>(ri + 1)] : n;
    const int nextDepth = di + 1 < nD ? d[static_cast<size_t>(di + 1)] : n;
    video.optionArrows[0] = ri > 0;
    video.optionArrows[1] = ri < nR - 1;
    video.optionArrows[2] = di > 0 && d[static_cast<size_t>(di - 1)] >= r[static_cast<size_t>(ri)];
    video.optionArrows[3] = di < nD - 1 && d[static_cast<size_t>(di + 1)] < nextResolution;
    video.optionArrows[4] = p > 0 && p - 1 >= d[static_cast<size_t>(di)];
    video.optionArrows[5] = p < n - 1 && p + 1 < nextDepth;
}

bool StartDisplaySettings(std::string& message) {
    video.wanted = video.stored = defaultVideoSettings;
    video.choiceUnsaved = false;
    RemoveWriteLeftovers(VideoSettingsPath());
    if (ReadVideoSettings()) {
        video.stored = video.wanted;
    } else {
        video.wanted = defaultVideoSettings;
        if (!WriteVideoSettings(video.wanted))
            std::fprintf(stderr, "Tumbleon: the settings file %s cannot be written (%s); the display mode chosen "
                                 "is not kept.\n", VideoSettingsPath().c_str(), std::strerror(errno));
    }
    // Full screen unless window.ini asks for a window.
    video.windowed = false;
    std::string problem;
    if (!ReadWindowSetting(video.windowed, problem) && !problem.empty()) {
        video.windowed = false;
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    std::vector<DisplayMode> adapterModes;
    if (platformHooks.enumerateDisplayModes) adapterModes = platformHooks.enumerateDisplayModes();
    BuildModeList(adapterModes);
    if (video.modes.empty()) {
        message = "A játék legalább 640 x 480 képpontos teljes képernyős megjelenítési módot igényel, "
                  "de a grafikus kártya ilyet nem kínál.";
        return false;
    }
    ChooseStartMode();
    video.pending = video.current;
    UpdateOptionArrows();
    const DisplayMode& mode = video.modes[static_cast<size_t>(video.current)];
    screenWidth = static_cast<int32_t>(mode.width);
    screenHeight = static_cast<int32_t>(mode.height);
    return true;
}

// ---- The options page ----

void OpenOptions() {
    PlaySoundEffect(SoundEffectId::Button);
    menuPage = MenuPage::Options;
    video.pending = video.current;
    UpdateOptionArrows();
}

void OptionArrow(int controlId) {
    const int arrow = controlId - Id(ControlId::ResolutionDown);
    // Only a shown arrow acts, so the indices stay inside the lists.
    if (arrow < 0 || arrow >= 6 || !video.optionArrows[arrow]) return;
    const size_t ri = static_cast<size_t>(video.resolutionIndex), di = static_cast<size_t>(video.depthIndex);
    switch (static_cast<ControlId>(controlId)) {
    case ControlId::ResolutionDown: video.pending = video.resolutionStarts[ri - 1]; break;
    case ControlId::ResolutionUp: video.pending = video.resolutionStarts[ri + 1]; break;
    case ControlId::DepthDown: video.pending = video.depthStarts[di - 1]; break;
    case ControlId::DepthUp: video.pending = video.depthStarts[di + 1]; break;
    case ControlId::RefreshDown: video.pending -= 1; break;
    case ControlId::RefreshUp: video.pending += 1; break;
    default: return;
    }
    UpdateOptionArrows();
}

void ApplyPendingMode() {
    if (video.pending == video.current) return;
    if (video.pending < 0 || video.pending >= static_cast<int>(video.modes.size())) return;
    video.current = video.pending;
    const DisplayMode& mode = video.modes[static_cast<size_t>(video.current)];
    screenWidth = static_cast<int32_t>(mode.width);
    screenHeight = static_cast<int32_t>(mode.height);
    deviceLost = true;
    if (platformHooks.resetDevice) platformHooks.resetDevice(mode);
    // Kept at once, not only at a normal shutdown: a crash keeps the choice.
    video.choiceUnsaved = true;
    SaveVideoSettings();
}
