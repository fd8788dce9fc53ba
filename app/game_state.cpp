#include "app/game_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/platform_hooks.h"
#include "app/player_files.h"
#include "app/video_settings.h"
#include "board/file_io.h"

GameScreen gameScreen = GameScreen::Splash;
MenuPage menuPage = MenuPage::Main;
DialogState dialogState = DialogState::None;
bool windowOpen = true;

float slowFactor = 2.5f;
double lastStepTime = -1.0;
float splashTime = 10.0f;
int32_t ticksSinceFrame = 0;
float speedChangeTime = 0.0f;
float demoFade = 0.0f;
float demoFadeDir = -1.0f;
float demoSpinDir = 1.0f;
float resizeBlend = 0.0f;
uint32_t demoRandomState = 5;
bool pictureFrozen = false;

OrbitCamera camera;
int32_t currentPuzzle = -1;
int8_t ballsAtTarget = 0;
int8_t solvedCount = 0;
uint8_t solvedFlags[builtInPuzzleCount] = {};
std::string progressNotice;
bool progressFileHeld = false;
std::string levelName;
bool levelTested = false;
int32_t heldKind = 0;
EditTool editTool = EditTool::Build;
int32_t previewCell = -1;
int32_t restingTicks = 0;
double rollRefusedUntil = -1.0;

int32_t hoveredControl = -1;
PickHit hoveredPick;
uint8_t keyDown[256] = {};
uint8_t mouseButtons = 0;
float pointerX = 0.0f, pointerY = 0.0f;

RenderState renderSuspended = RenderState::Starting;
bool deviceLost = false;
int32_t screenWidth = 1024, screenHeight = 768;

Board board;
Board emptyBoard;
Board loadedBoard;
Board runStartBoard;

std::string workDir = ".";

PlatformHooks platformHooks;

double ClockMilliseconds() {
    return platformHooks.clockMilliseconds ? platformHooks.clockMilliseconds() : 0.0;
}

void TellSaveFailure(const std::string& text) {
    if (!platformHooks.showMessage) {
        std::fprintf(stderr, "Mentés sikertelen: %s\n", text.c_str());
        return;
    }
    platformHooks.showMessage("Mentés sikertelen", text.c_str());
    // The game stood still while the box was up: no backlog of steps.
    lastStepTime = -1.0;
}
double PictureClockMilliseconds() { return pictureFrozen ? 0.0 : ClockMilliseconds(); }

// Each board as the program constructs it: 10 x 10 x 10 empty cells, no
// balls, goal 1, empty stock.
static void ResetToStartBoard(Board& target) {
    target.Resize(10, 10, 10);
    target.Clear();
    target.goalCount = 1;
    std::memset(target.stock, 0, sizeof target.stock);
}

void ResetGameState() {
    ForgetPlayerFiles();
    gameScreen = GameScreen::Splash;
    menuPage = MenuPage::Main;
    dialogState = DialogState::None;
    windowOpen = true;

    slowFactor = 2.5f;
    lastStepTime = -1.0;
    splashTime = 10.0f;
    ticksSinceFrame = 0;
    speedChangeTime = 0.0f;
    demoFade = 0.0f;
    demoFadeDir = -1.0f;
    demoSpinDir = 1.0f;
    resizeBlend = 0.0f;
    demoRandomState = 5;
    pictureFrozen = false;

    camera = OrbitCamera{};
    currentPuzzle = -1;
    ballsAtTarget = 0;
    solvedCount = 0;
    std::memset(solvedFlags, 0, sizeof solvedFlags);
    progressNotice.clear();
    progressFileHeld = false;
    levelName.clear();
    levelTested = false;
    heldKind = 0;
    editTool = EditTool::Build;
    previewCell = -1;
    restingTicks = 0;
    rollRefusedUntil = -1.0;

    hoveredControl = -1;
    hoveredPick = PickHit{};
    std::memset(keyDown, 0, sizeof keyDown);
    mouseButtons = 0;
    pointerX = pointerY = 0.0f;

    renderSuspended = RenderState::Starting;
    deviceLost = false;
    screenWidth = 1024;
    screenHeight = 768;

    ResetToStartBoard(board);
    ResetToStartBoard(emptyBoard);
    ResetToStartBoard(loadedBoard);
    ResetToStartBoard(runStartBoard);

    ResetVideoState();
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

