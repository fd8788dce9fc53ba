// The SDL2 side of the game: one full-screen window (or a plain one) with an OpenGL 3.3 core
// context, its display modes, its events as the game's messages, cursors and
// icons, message boxes, the clock, and the child processes it starts (file
// dialogs, the web browser).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/platform_hooks.h"
#include "app/video_settings.h"

// ---- Start and stop ----

// Opens the video subsystem. False with a message when there is no display.
bool StartPlatform(std::string& message);
void StopPlatform();

// ---- Display modes ----

// The pixel-format code the game keeps for an SDL pixel format; 0 for a format
// the game has no code for.
uint32_t FormatCodeOfSdlFormat(uint32_t sdlFormat);
// The full-screen modes of the first display, in SDL's own order, as the
// game's records (refresh 0 when SDL does not know it).
std::vector<DisplayMode> EnumerateDisplayModes();

// ---- The window ----

// Creates the window "Tumbleon_3dx", full screen at the mode or (inWindow) a
// window of the mode's size that leaves the display's mode alone, with its
// OpenGL 3.3 core context made current. False with a message when it cannot.
bool OpenGameWindow(const DisplayMode& mode, bool inWindow, std::string& message);
// Switches the full-screen window to another mode, or resizes the window to
// it (the mode is kept for full screen). False when SDL refuses.
bool ApplyWindowMode(const DisplayMode& mode);
// From full screen to a window of the mode's size or back, on the same window
// and OpenGL context. False (nothing changed) when SDL refuses.
bool ShowGameWindowAs(bool inWindow, const DisplayMode& mode);
// What the window system says: the window is full screen.
bool WindowIsFullScreen();
// True once after the window's size changed (the window system may resize a window).
bool WindowResized();
void CloseGameWindow();
// Shows the back buffer.
void PresentWindow();
// A minimised window, or a full-screen one that lost the focus, cannot be
// drawn on: the device counts as lost until it comes back.
bool WindowLost();
// The back buffer's size in pixels.
void WindowSize(int& width, int& height);
// Leaves full screen and hides the window while a dialog of another program is
// open (a full-screen SDL window keeps the keyboard); false brings both back.
void SetWindowHidden(bool hidden);

// ---- Events ----

// An SDL key as the game's key code (app/messages.h); a key without a code of
// its own is KeyCode::Other.
int GameKeyCode(int32_t sdlKey);
// The next event as a game message; false when none is waiting. Events the
// game has no message for are consumed on the way.
bool NextWindowMessage(Message& message);

// ---- Cursors and icons ----

// Loads the five cursor pictures and the window icon from
// the folder; a missing picture leaves SDL's own arrow in its place.
void LoadCursorsAndIcon(const std::string& folder);
void ShowGameCursor(CursorId cursor);

// ---- Messages, clock, children ----

// Prints the message on stderr and shows it in a message box.
void ShowFailure(const std::string& title, const std::string& text);
// Milliseconds since StartPlatform.
double PlatformClockMilliseconds();
void PlatformSleepMilliseconds(int ms);

// The level file dialog (zenity): the window leaves full screen and hides
// while it is open. False when cancelled or when zenity is missing (then a
// message box says so).
bool ChooseLevelFileWithDialog(bool open, std::string& path);
// Opens the address in the desktop's browser (xdg-open), without a shell.
void OpenWebPageInBrowser(const char* address);
// Runs a program with arguments as a child process, waiting for it while
// `waitForIt`; stdout of the child is captured into `output` when given.
// Returns the exit status, or -1 when the program could not be started.
int RunChildProcess(const std::vector<std::string>& arguments, bool waitForIt, std::string* output);
