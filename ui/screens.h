// The frame: its order, every screen's 2D layer, and the hit testing of the
// same layouts. The 3D scene and the window reach it through frameHooks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the frame needs of the layers beside this one; a null hook does nothing.
struct FrameHooks {
    // The 3D scene: view, skybox, cells, stock, balls with their arrows, debris.
    void (*drawScene)() = nullptr;
    // Moves the scene on before a frame is drawn: the debris by the
    // simulation steps taken since the last frame, the camera's easing and zoom.
    void (*stepScene)(int ticks) = nullptr;
    // Picks a board cell, stock item or launch arrow under the pointer into
    // hoveredPick, when no 2D control is under it.
    void (*pickScene)() = nullptr;
    // Shows the finished frame.
    void (*present)() = nullptr;
};

extern FrameHooks frameHooks;

// Draws one frame of the current screen; RenderFrame also presents it.
void ComposeFrame();
void RenderFrame();

// Recomputes hoveredControl from the pointer: the current screen's 2D
// controls, then the scene.
void UpdateHover();

// Draws every 2D screen in turn for `seconds` each and prints the milliseconds
// per frame of its 2D layer (median and 90th percentile) on stdout.
void RunFrameBenchmark(double seconds);

// One letter of a two-coloured heading and the string it comes from (0, 1).
struct HeadingLetter {
    char letter;
    int from;
    bool operator==(const HeadingLetter&) const = default;
};
// The letters of a heading written as two strings whose spaces leave room for
// each other's letters, in reading order. A place where neither string has a
// letter only kept the two apart: it gives no letter, so the heading reads as
// one word.
std::vector<HeadingLetter> InterleaveHeading(std::string_view a, std::string_view b);

// The publisher's web address and a built-in puzzle's name as the font draws them.
const std::string& WebAddressText();
