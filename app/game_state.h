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

// ---- Screen state (written by the window procedure, the frame driver and the commands) ----

extern GameScreen gameScreen;    // starts at GameScreen::Splash
extern MenuPage menuPage;
extern DialogState dialogState;  // set by the goal check and the editor's save
extern bool windowOpen;          // false once the window is destroyed: ends the main loop

// ---- Clock (frame driver; the speed keys write slowFactor and speedChangeTime) ----

constexpr float pausedSlowFactor = 16777216.0f;
extern float slowFactor;         // wall-clock ms per simulation step, 2.5 normally
extern double lastStepTime;      // wall ms up to which steps are taken; -1 restarts the clock
extern float splashTime;         // seconds of the logo sequence left
extern int32_t ticksSinceFrame;  // steps since the last drawn frame; the frame render clears it
extern float speedChangeTime;    // clock ms of the last speed change, for the speed indicator
extern float demoFade;           // main-menu demo cycle, -0.1..2.0
extern float demoFadeDir;        // +1 or -1
extern float demoSpinDir;        // +1 or -1, flips with each demo board
extern float resizeBlend;        // main-menu camera easing; the camera sets it, the clock decays it
extern uint32_t demoRandomState; // the demo board sequence, seeded with 5 at start
// Under test (TUMBLEON_FREEZE_PICTURE=1) what only moves the picture stands
// still: the menu's board does not turn and stays once built, the light
// keeps its place, the logos and the speed note do not fade. The steps of a
// run go on, so every screenshot is the same however busy the machine is.
extern bool pictureFrozen;

// ---- Play state ----

extern OrbitCamera camera;       // level files, the editor entry, the demo and the drag write it
extern int32_t currentPuzzle;    // built-in puzzle in play, or first row of the selection page; -1 none
extern int8_t ballsAtTarget;     // raised by the tick, cleared when a run starts
extern int8_t solvedCount;       // flags equal to 1
extern uint8_t solvedFlags[builtInPuzzleCount];  // as read from score.dat: 1 solved
// What start-up found wrong with score.dat and did about it, one line for the
// puzzle list (UTF-8); empty when the file was whole or new.
extern std::string progressNotice;
// A damaged score.dat that could not be moved aside: it stays where it is and
// no write replaces it until a later try moves it.
extern bool progressFileHeld;
extern std::string levelName;    // the level's name as shown; the level reader sets it
extern bool levelTested;         // the editor's level has been solved in a test run
extern int32_t heldKind;         // element kind in the cursor, 0 none
extern EditTool editTool;
extern int32_t previewCell;      // cell the current tool would act on, -1 none (PlaceElement)
extern int32_t restingTicks;     // ticks in a row with every ball in play at rest; the frame driver counts, a roll clears
extern double rollRefusedUntil;  // clock ms until which a roll refused for a ball without a launch direction is explained

// ---- Input and hit testing (the window procedure; hit testing writes the pick results) ----

// What the pointer is over: a 2D control, or else what the 3D pick hit.
extern int32_t hoveredControl;   // a ControlId, or -1
extern PickHit hoveredPick;
// What the pointer is over as one number, for the game's reports: the
// control's id, else the pick's hover number, else -1.
int HoveredNumber();
extern uint8_t keyDown[256];     // keys held, by key code
extern uint8_t mouseButtons;     // bit 0 left held, bit 1 right held
extern float pointerX, pointerY; // last pointer position, client pixels

// ---- Platform flags (start-up, the device and the frame render) ----

// Whether frames are drawn: not before the main loop starts, nor over a file dialog.
enum class RenderState : int8_t { Drawing = 0, FileDialog = 1, Starting = 2 };
extern RenderState renderSuspended;  // the main loop, the file dialog
extern bool deviceLost;          // no frame is drawn until the device is usable again
extern int32_t screenWidth, screenHeight;

// ---- Boards ----

extern Board board;          // on screen: demo, puzzle in play, or editor level
extern Board emptyBoard;     // the empty template the editor starts from
extern Board loadedBoard;    // in play the puzzle as loaded; in the editor the level before its test run
extern Board runStartBoard;  // in play the board as the last run began (retry)

// The folder that holds the data folder adatok/: the program's own folder, or
// share/tumbleon of an installed game (app/player_files.h). score.dat and
// video.ini live there too unless a folder of the player's is chosen for them.
// Tests point it at a temporary folder.
extern std::string workDir;

// Puts every value above back to its start value (the start of the program).
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

