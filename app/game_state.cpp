#include "app/game_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/platform_hooks.h"
#include "app/player_files.h"
#include "app/texts.h"
#include "board/file_io.h"

ScreenState screenState;
ClockState clockState;
PlayState playState;
InputState inputState;
PlatformState platformState;
BoardsState boards;

std::string workDir = ".";

PlatformHooks platformHooks;

double ClockMilliseconds() {
    return platformHooks.clockMilliseconds ? platformHooks.clockMilliseconds() : 0.0;
}

void TellSaveFailure(const std::string& text) {
    if (!platformHooks.showMessage) {
        std::fprintf(stderr, "%s: %s\n", Text(TextId::SaveFailedTitle), text.c_str());
        return;
    }
    platformHooks.showMessage(Text(TextId::SaveFailedTitle), text.c_str());
    // The game stood still while the box was up: no backlog of steps.
    lastStepTime = -1.0;
}
double PictureClockMilliseconds() { return pictureFrozen ? 0.0 : ClockMilliseconds(); }

void ResetGameState() {
    ForgetPlayerFiles();
    screenState = ScreenState{};
    clockState = ClockState{};
    playState = PlayState{};
    inputState = InputState{};
    platformState = PlatformState{};
    boards = BoardsState{};
}

std::string ExecutableFolder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string exe(path, static_cast<size_t>(n));
    const size_t slash = exe.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : exe.substr(0, slash);
}

GameScreen ScreenOfMenuPage() {
    return menuPage == MenuPage::FromEditor ? GameScreen::Editor : GameScreen::Play;
}

bool ReadFileStart(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
    // Any length will do, as only the start is read; a FIFO or a device is refused.
    std::FILE* file = OpenRegularFile(path, SIZE_MAX);
    if (!file) return false;
    std::vector<uint8_t> data(maxBytes);
    const size_t n = std::fread(data.data(), 1, maxBytes, file);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok) return false;
    data.resize(n);
    bytes.swap(data);
    return true;
}

bool RollRefusalShowing() { return ClockMilliseconds() < rollRefusedUntil; }

int HoveredNumber() { return hoveredControl != -1 ? hoveredControl : HoverNumber(hoveredPick, board.cellCount); }

bool LaunchArrowsFlashing(int ball) {
    if (ball < 0 || ball >= board.ballCount || !RollRefusalShowing()) return false;
    const int direction = board.balls[ball].direction;
    return direction < 1 || direction > 4;
}

