// What the pointer is over in the 3D scene, as the picking found it: a board
// cell with the face of its box the pointer's ray came in through, an item
// of the stock ring, or one of a ball's launch arrows. Placing acts on it;
// the drawing lights it.
#pragma once

#include <cstdint>

// The faces of a cell's box, in this order as bits of a mask.
enum class CellFace : uint8_t { MinusX, PlusX, MinusY, PlusY, MinusZ, PlusZ };
constexpr uint8_t FaceBit(CellFace face) { return static_cast<uint8_t>(1u << static_cast<int>(face)); }
constexpr uint8_t allCellFaces = 0x3F;

enum class PickTarget : uint8_t { Nothing, Cell, StockItem, LaunchArrow };

// A ball's launch arrows: four to choose from (-x, +z, +x, -z), or one.
constexpr int arrowsPerBall = 4;

struct PickHit {
    PickTarget target = PickTarget::Nothing;
    int cell = -1;            // Cell: the cell's index
    bool entered = false;     // Cell: the ray came in from outside the box, through `face`
    CellFace face = CellFace::PlusY;
    int kind = 0;             // StockItem: the piece kind
    int ball = -1;            // LaunchArrow: the ball
    int arrow = 0;            // LaunchArrow: 0..3 among the four, 0 for a ball's one arrow

    static PickHit Cell(int cell, CellFace face) { return {PickTarget::Cell, cell, true, face, 0, -1, 0}; }
    static PickHit Stock(int kind) { return {PickTarget::StockItem, -1, false, CellFace::PlusY, kind, -1, 0}; }
    static PickHit Arrow(int ball, int arrow) { return {PickTarget::LaunchArrow, -1, false, CellFace::PlusY, 0, ball, arrow}; }
};

// The hover number the drawing and the game's reports know a hit by: the
// cells 0..N-1 of a board of N cells, then N + kind for a stock item, then
// N + 20 + 4 ball + arrow for a launch arrow; -1 for nothing. Numbers stay
// below the interface controls' (10000 up).
constexpr int stockSlotCount = 20;
int HoverNumber(const PickHit& hit, int cellCount);
// The hit a hover number names on a board of `cellCount` cells and
// `ballCount` balls (a cell's with its top face); nothing when it names none.
PickHit HitOfHoverNumber(int number, int cellCount, int ballCount);
