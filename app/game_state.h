// The game's process-wide state: which screen is up, the clock, the four
// boards and what the player holds. Everything in app/, ui/ and scene/ reads
// and writes these directly; the note beside each says who writes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/geometry.h"
#include "board/orbit_camera.h"
#include "board/pick.h"
#include "board/placing.h"

// ---- Screens, pages and dialogs ----

enum class GameScreen : int8_t {
    MainMenu = 0,
    Editor = 1,
    Play = 2,   // a puzzle or a loaded level, being prepared
    Run = 3,    // the balls roll
    Splash = 10,
};

// On the main menu the page shown; while the editor or a puzzle is open, which
// of the two it is, so that a run knows where to return.
enum class MenuPage : int8_t {
    Main = 0,
    FromEditor = 1,
    FromPlay = 2,
    PuzzleSelect = 4,
    Help1 = 5,
    Help2 = 6,
    Help3 = 7,
    Help4 = 8,
    Options = 9,
};

enum class DialogState : int8_t {
    None = 0,
    CustomSolved = 1,  // a loaded level file was solved
    TestSolved = 2,    // an editor test run succeeded
    PuzzleSolved = 3,  // a built-in puzzle was solved
    AllSolved = 4,     // ... and now all of them are
    TestFirst = 5,     // the editor's save was pressed before a successful test
    RunFailed = 6,     // every ball is gone or at rest and the goal was not reached
};

// A 2D control's id is 10000 plus the index of its normal image; the few
// controls without an image of their own have fixed ids.
enum class ControlId : int32_t {
    MainStart = 10001,
    MainLoad = 10003,
    MainEditor = 10005,
    MainHelp = 10007,
    MainExit = 10009,
    Roll = 10011,
    Exit = 10013,  // leave the editor or the puzzle
    Reset = 10015,
    EditorLoad = 10017,
    EditorSave = 10019,
    GoalUp = 10021,
    GoalDown = 10023,
    ToolBuild = 10025,
    ToolSwap = 10027,
    ToolDelete = 10029,
    ToolStock = 10031,
    Stop = 10033,
    SelectBack = 10035,
    SelectPageUp = 10037,
    SelectPageDown = 10039,
    DialogMenu = 10044,
    DialogRetry = 10046,
    DialogOk = 10048,
    DialogNext = 10050,
    MainOptions = 10054,
    Hint = 10059,  // on the play screen of a built-in puzzle: one more step of its solution
    ResolutionDown = 10061,
    ResolutionUp = 10062,
    DepthDown = 10063,
    DepthUp = 10064,
    RefreshDown = 10065,
    RefreshUp = 10066,
    HelpPage = 10098,
    WebLine = 10099,
    PuzzleRowFirst = 10100,  // 10100 + i: the row of built-in puzzle i
    PuzzleRowEnd = 11000,
};

constexpr int controlIdFirst = 10000;  // hoveredControl at or above this is a ControlId
inline constexpr int Id(ControlId id) { return static_cast<int>(id); }


// The one web address the game shows and opens.
inline constexpr const char* publisherWebAddress = "https://tumbleon.example.org";

constexpr int builtInPuzzleCount = 60;

// The game's state in blocks, each with its start values written once here:
// ResetGameState puts a fresh block of each in place. The code reads and
// writes the values by the names below, which stand for the blocks' members.

// ---- Screen state (written by the window procedure, the frame driver and the commands) ----

struct ScreenState {
    GameScreen gameScreen = GameScreen::Splash;
    MenuPage menuPage = MenuPage::Main;
    DialogState dialogState = DialogState::None;  // set by the goal check and the editor's save
    bool windowOpen = true;  // false once the window is destroyed: ends the main loop
};

// ---- Clock (frame driver; the speed keys write slowFactor and speedChangeTime) ----

constexpr float pausedSlowFactor = 16777216.0f;
constexpr float normalSlowFactor = 2.5f;

struct ClockState {
    float slowFactor = normalSlowFactor;  // wall-clock ms per simulation step
    double lastStepTime = -1.0;           // wall ms up to which steps are taken; -1 restarts the clock
    float splashTime = 10.0f;             // seconds of the logo sequence left
    int32_t ticksSinceFrame = 0;          // steps since the last drawn frame; the frame render clears it
    float speedChangeTime = 0.0f;         // clock ms of the last speed change, for the speed indicator
    float demoFade = 0.0f;                // main-menu demo cycle, -0.1..2.0
    float demoFadeDir = -1.0f;            // +1 or -1
    float demoSpinDir = 1.0f;             // +1 or -1, flips with each demo board
    float resizeBlend = 0.0f;             // main-menu camera easing; the camera sets it, the clock decays it
    uint32_t demoRandomState = 5;         // the demo board sequence
    // Under test (TUMBLEON_FREEZE_PICTURE=1) what only moves the picture
    // stands still: the menu's board does not turn and stays once built, the
    // light keeps its place, the logos and the speed note do not fade. The
    // steps of a run go on, so every screenshot is the same however busy the
    // machine is.
    bool pictureFrozen = false;
};

// ---- Play state ----

struct PlayState {
    OrbitCamera camera;         // level files, the editor entry, the demo and the drag write it
    int32_t currentPuzzle = -1; // built-in puzzle in play, or first row of the selection page; -1 none
    int8_t ballsAtTarget = 0;   // raised by the tick, cleared when a run starts
    int8_t solvedCount = 0;     // flags equal to 1
    uint8_t solvedFlags[builtInPuzzleCount] = {};  // as read from score.dat: 1 solved
    // What start-up found wrong with score.dat and did about it, one line for
    // the puzzle list (UTF-8); empty when the file was whole or new.
    std::string progressNotice;
    // A damaged score.dat that could not be moved aside: it stays where it is
    // and no write replaces it until a later try moves it.
    bool progressFileHeld = false;
    std::string levelName;      // the level's name as shown; the level reader sets it
    bool levelTested = false;   // the editor's level has been solved in a test run
    int32_t heldKind = 0;       // element kind in the cursor, 0 none
    EditTool editTool = EditTool::Build;
    int32_t previewCell = -1;   // cell the current tool would act on, -1 none (PlaceElement)
    int32_t restingTicks = 0;   // ticks in a row with every ball in play at rest; the frame driver counts, a roll clears
    double rollRefusedUntil = -1.0;  // clock ms until which a roll refused for a ball without a direction is explained
};

// ---- Input and hit testing (the window procedure; hit testing writes what the pointer is over) ----

struct InputState {
    // What the pointer is over: a 2D control, or else what the 3D pick hit.
    int32_t hoveredControl = -1;  // a ControlId, or -1
    PickHit hoveredPick;
    uint8_t keyDown[256] = {};    // keys held, by key code
    uint8_t mouseButtons = 0;     // bit 0 left held, bit 1 right held
    float pointerX = 0.0f, pointerY = 0.0f;  // last pointer position, client pixels
};

// ---- Platform flags (start-up, the device and the frame render) ----

// Whether frames are drawn: not before the main loop starts, nor over a file dialog.
enum class RenderState : int8_t { Drawing = 0, FileDialog = 1, Starting = 2 };

struct PlatformState {
    RenderState renderSuspended = RenderState::Starting;  // the main loop, the file dialog
    bool deviceLost = false;  // no frame is drawn until the device is usable again
    int32_t screenWidth = 1024, screenHeight = 768;
};

// ---- Boards (each 10 x 10 x 10 empty cells at the start, goal 1, empty stock) ----

struct BoardsState {
    Board board;          // on screen: demo, puzzle in play, or editor level
    Board emptyBoard;     // the empty template the editor starts from
    Board loadedBoard;    // in play the puzzle as loaded; in the editor the level before its test run
    Board runStartBoard;  // in play the board as the last run began (retry)
};

extern ScreenState screenState;
extern ClockState clockState;
extern PlayState playState;
extern InputState inputState;
extern PlatformState platformState;
extern BoardsState boards;

inline GameScreen& gameScreen = screenState.gameScreen;
inline MenuPage& menuPage = screenState.menuPage;
inline DialogState& dialogState = screenState.dialogState;
inline bool& windowOpen = screenState.windowOpen;

inline float& slowFactor = clockState.slowFactor;
inline double& lastStepTime = clockState.lastStepTime;
inline float& splashTime = clockState.splashTime;
inline int32_t& ticksSinceFrame = clockState.ticksSinceFrame;
inline float& speedChangeTime = clockState.speedChangeTime;
inline float& demoFade = clockState.demoFade;
inline float& demoFadeDir = clockState.demoFadeDir;
inline float& demoSpinDir = clockState.demoSpinDir;
inline float& resizeBlend = clockState.resizeBlend;
inline uint32_t& demoRandomState = clockState.demoRandomState;
inline bool& pictureFrozen = clockState.pictureFrozen;

inline OrbitCamera& camera = playState.camera;
inline int32_t& currentPuzzle = playState.currentPuzzle;
inline int8_t& ballsAtTarget = playState.ballsAtTarget;
inline int8_t& solvedCount = playState.solvedCount;
inline uint8_t (&solvedFlags)[builtInPuzzleCount] = playState.solvedFlags;
inline std::string& progressNotice = playState.progressNotice;
inline bool& progressFileHeld = playState.progressFileHeld;
inline std::string& levelName = playState.levelName;
inline bool& levelTested = playState.levelTested;
inline int32_t& heldKind = playState.heldKind;
inline EditTool& editTool = playState.editTool;
inline int32_t& previewCell = playState.previewCell;
inline int32_t& restingTicks = playState.restingTicks;
inline double& rollRefusedUntil = playState.rollRefusedUntil;

inline int32_t& hoveredControl = inputState.hoveredControl;
inline PickHit& hoveredPick = inputState.hoveredPick;
inline uint8_t (&keyDown)[256] = inputState.keyDown;
inline uint8_t& mouseButtons = inputState.mouseButtons;
inline float& pointerX = inputState.pointerX;
inline float& pointerY = inputState.pointerY;

inline RenderState& renderSuspended = platformState.renderSuspended;
inline bool& deviceLost = platformState.deviceLost;
inline int32_t& screenWidth = platformState.screenWidth;
inline int32_t& screenHeight = platformState.screenHeight;

inline Board& board = boards.board;
inline Board& emptyBoard = boards.emptyBoard;
inline Board& loadedBoard = boards.loadedBoard;
inline Board& runStartBoard = boards.runStartBoard;

// What the pointer is over as one number, for the game's reports: the
// control's id, else the pick's hover number, else -1.
int HoveredNumber();

// The folder that holds the data folder adatok/: the program's own folder, or
// share/tumbleon of an installed game (app/player_files.h). score.dat and
// video.ini live there too unless a folder of the player's is chosen for them.
// Tests point it at a temporary folder.
extern std::string workDir;

// Puts every block above back to its start values (the start of the program);
// the display settings have their own, ResetVideoState.
void ResetGameState();

// The folder of the running executable, or "." when it cannot be found.
std::string ExecutableFolder();

// The screen a run returns to: the editor or the puzzle named by menuPage.
GameScreen ScreenOfMenuPage();

// Reads at most maxBytes from the start of a regular file, opened read-only;
// false when it cannot be opened or read or is no regular file (a FIFO is
// refused at once). What follows those bytes is not looked at.
bool ReadFileStart(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// How long a refused roll is explained, in clock milliseconds.
constexpr double rollRefusalMilliseconds = 2000.0;
// Whether a refused roll is still being explained: a line on the screen, and
// the launch arrows of every ball still without a direction lit.
bool RollRefusalShowing();
// Whether the launch arrows of ball b are lit because a roll was refused.
bool LaunchArrowsFlashing(int ball);

