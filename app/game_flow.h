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

// Ends a run whose balls have reached the goal: plays the goal sound once,
// records a built-in puzzle as solved and opens the result box.
void CheckGoal();

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

enum class PlacePass : int { Commit = 0, Preview = 2 };

// The one way the player changes the board: builds, swaps or deletes the
// piece under the pointer, toggles launch arrows, and in the editor marks the
// player's pieces. The preview pass only sets previewCell.
void PlaceElement(int kind, EditTool tool, PlacePass pass);

// The index offset from the hovered cell to its neighbour across the face
// under the pointer; 0 when there is none.
int HitFaceOffset();

// Returns the piece in the cursor to the stock.
void ReturnHeldPiece();

// ---- Built-in puzzles and progress ----

extern const char* const puzzleNames[builtInPuzzleCount];

// "<workDir>/adatok/palyak_hun/<name>.tm3"
std::string PuzzlePath(int index);

// Takes a progress file's bytes into flags, which keep their values past a
// short file's end; false, flags untouched, when there is no byte.
bool ParseProgress(const uint8_t* data, size_t size, uint8_t (&flags)[builtInPuzzleCount]);
// Reads score.dat into solvedFlags; false when it is missing or empty.
bool ReadProgress();
// Writes solvedFlags to score.dat atomically; false (and nothing changed) when
// the folder is not writable.
bool WriteProgress();
// Start-up: reads the progress, or writes a fresh file when there is none.
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
// Saves the display settings at a normal shutdown.
void ShutdownGame();
