// Inside ui/ only: the controls and pictures of the 2D screens as data. The
// drawing (screens.cpp) and the hit testing (UpdateHover) walk the same
// tables, so a button is never drawn in one place and clicked in another.
// Places are back-buffer pixels from an anchor point, as in interface.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Which edge of an item its place names, along one axis; the value counts the
// halves of the item's size that lie before it.
enum class Edge : int8_t { Start, Middle, End };

// What an item's x counts from.
enum class Beside : int8_t {
    Anchor,    // the anchor point
    Previous,  // the right edge of the item before it in its table
    Next,      // the left edge of the item after it
};

// When an item is drawn and when it is hit.
enum class Shown : int8_t {
    Always,
    HitOnly,         // not drawn, but its rectangle is live (the play screen's tool buttons)
    OptionArrow,     // drawn and hit while optionArrows allows its step
    EarlierPuzzles,  // drawn while puzzles lie above the list's first row; always hit (the command checks)
    LaterPuzzles,    // drawn while puzzles lie below its last row; always hit
    WithHints,       // drawn and hit while the puzzle has a recorded solution to show
};

constexpr int noControl = -1;

struct LayoutItem {
    // What hovering it reports (a ControlId), or noControl for a picture alone.
    int control = noControl;
    // Its normal picture; -1: the control's own, whose index is the id less
    // controlIdFirst. A hovered control shows the picture after it, its lit twin.
    int image = -1;
    const std::string& (*text)() = nullptr;  // a line of text instead of a picture, red when hovered
    float x = 0.0f, y = 0.0f;                // from the anchor point (or the neighbour) to the named edges
    int8_t anchorX = 1, anchorY = 1;
    Edge edgeX = Edge::Start, edgeY = Edge::Start;
    Beside beside = Beside::Anchor;
    float scale = 1.0f;
    Shown shown = Shown::Always;
    int8_t tool = -1;  // an EditTool's button: half transparent unless that tool is chosen
};

using Layout = std::span<const LayoutItem>;

// Draws the items of a layout that show now, a hovered control lit: its
// picture's twin, or a text in red.
void DrawLayout(Layout layout);

// The layout of the current screen: the main menu's page (none on the help
// pages, where a click anywhere turns the page), the editor, the play screen,
// or the run with the result box the dialog state shows.
Layout ScreenLayout();
// The box over the editor that asks for a test run before saving: its OK.
extern const Layout testFirstBoxLayout;

// The puzzle list: ten rows of a number and a name.
constexpr int puzzleRowsShown = 10;
constexpr int puzzleNumberX = -220, puzzleNameX = -160;
constexpr int PuzzleRowY(int row) { return -80 + 20 * row; }
