// The game flow: the main loop and its fixed-step clock, the window procedure
// with the commands behind every control, board editing, the built-in puzzles
// and the progress file. Messages go in, the game state of game_state.h comes out.
#pragma once

#include <string>

#include "app/game_state.h"
#include "app/messages.h"

// ---- Main loop and frame driver ----

// Runs until the window is destroyed: drains the messages, polls a lost
// device, drives the clock on the screens where time runs, draws, sleeps 1 ms.
void RunMainLoop();

// Advances the clock: every due step (a SimulationTick during a run, the demo
// camera on the main menu), the demo board cycle and the goal check.
void FrameStep();

// The slowest speed the speed keys step to, in wall-clock ms per step; one
// step slower is the pause, pausedSlowFactor.
constexpr float slowestSlowFactor = 40.0f;
inline bool ClockPaused() { return slowFactor > slowestSlowFactor; }

// ---- Splash ----

// splashTime counts the logo sequence down: the publisher's logo first, then
// the partner's, splashLogoSeconds each. A logo fades in for splashFadeSeconds,
// shows whole, and fades out as long; a key or click during its whole showing
// skips to the end of it.
constexpr float splashLogoSeconds = 5.0f;
constexpr float splashFadeSeconds = 1.0f;
// Half the stretch a logo shows whole, around its middle.
constexpr float splashWholeHalf = splashLogoSeconds / 2.0f - splashFadeSeconds;
// Whether the logo shown with t seconds left is the publisher's (else the partner's).
inline bool SplashShowsPublisher(float t) { return t > splashLogoSeconds; }
// The seconds left at the middle of the showing of the logo shown at t.
inline float SplashLogoMiddle(float t) {
    return SplashShowsPublisher(t) ? 1.5f * splashLogoSeconds : 0.5f * splashLogoSeconds;
}

// Ends a run whose balls have reached the goal: plays the goal sound once,
// records a built-in puzzle as solved and opens the result box.
void CheckGoal();

// ---- A run that can no longer be won ----

// A ball slower than this (board units per time unit: under a quarter of a cell
// a second) counts as at rest. A ball lying on a floor still shows the
// gravity of one tick, 0.05; no recorded solution of the built-in puzzles has
// its balls all this slow for even 20 ticks in a row before it wins.
constexpr float restingSpeed = 0.5f;
// One second of game time with every ball at rest ends a run that cannot win.
constexpr int32_t runSettledTicks = 400;

// True when no ball still in play moves faster than restingSpeed; a ball the
// target is taking in is no longer in play. Reads the board only.
bool BallsAtRest(const Board& board);

// True when the balls can no longer reach the goal: for runSettledTicks every
// ball has been taken in by a target, destroyed or at rest, and those the
// targets have counted or are taking in are too few.
bool RunCannotWin(const Board& board, int8_t ballsAtTarget, int32_t ticksAtRest);

// Opens the failed-run box once a run can no longer be won; a won run's box
// stays.
void CheckRunFailed();

// The demo sequence's generator: state * 214013 + 2531011, bits 16..30.
int DemoRandom();

// ---- Window procedure ----

// Handles one window message: keys, mouse, clicks on controls, paint, destroy.
void WindowProc(const Message& message);

// The command of a left click on a ControlId.
void RunCommand(int controlId);

// ---- Editor and preparation commands ----

void EnterEditor();
void LoadIntoEditor();
void SaveEditorLevel();
void ChangeGoalCount(int delta);
void ChooseTool(EditTool tool);
void ResizeEditorBoard(int keyCode);
void RollCommand();
void ResetLevelCommand();
void LoadLevelForPlay();

// ---- Board editing ----

// The one way the player changes the board: builds, swaps or deletes the
// piece under the pointer, toggles launch arrows, and in the editor marks the
// player's pieces. The preview pass only sets previewCell.
void PlaceElement(int kind, EditTool tool, PlacePass pass);

// Returns the piece in the cursor to the stock.
void ReturnHeldPiece();

// ---- Built-in puzzles and progress ----

extern const char* const puzzleNames[builtInPuzzleCount];

// "<workDir>/adatok/palyak_hun/<name>.tm3"
std::string PuzzlePath(int index);

// Takes a progress file's first bytes into flags: a 1 is a solved puzzle,
// any other byte an unsolved one; the flags past a short file's end keep their
// values. True when the bytes are a whole file: exactly 60 bytes of 0 and 1.
bool ParseProgress(const uint8_t* data, size_t size, uint8_t (&flags)[builtInPuzzleCount]);
// What ReadProgress found at score.dat.
enum class ProgressFile : int8_t {
    Missing,     // no file, or an empty one
    Whole,       // exactly 60 bytes of 0 and 1
    Damaged,     // shorter, longer, or other bytes: what it gave is taken
    Unreadable,  // there, but it cannot be read (no permission, a folder...)
};

// Reads score.dat into solvedFlags: a 1 is a solved puzzle. A damaged file
// fills the flags its first bytes reach (only 1 counts as solved).
ProgressFile ReadProgress();
// Writes solvedFlags to score.dat atomically; false (and nothing changed) when
// the folder is not writable or a damaged file could not be moved aside.
bool WriteProgress();
// Writes the progress after a won puzzle; a failure is told in a box, and the
// next win writes again.
void SaveProgressAfterWin();
// Start-up: removes what killed writes left, reads the progress, moves a
// damaged or unreadable file aside (progressNotice says so) and writes what
// was read, or a fresh file when there was none.
void StartProgress();

void StartPuzzle(int index);
void PreviousPuzzlePage();
void NextPuzzlePage();
void StartNextUnsolvedPuzzle();
// Shows the prepared board on the play screen, the cursor empty and the build tool chosen.
void OpenPreparedPuzzle();

// ---- Start-up and shutdown of the headless part ----

// In start-up order: the display settings and mode list, the boards, the
// collision shapes and the progress. False (with a message for the player)
// when the game cannot run.
bool StartGame(std::string& message);
// Saves the display settings at a normal shutdown, unless video.ini holds them.
void ShutdownGame();
