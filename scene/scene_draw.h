// What the 3D half of a frame draws, worked out without the device: one record
// per mesh drawn, in the scene's order, with its world matrix and the ambient
// colour its first material shows (tint and highlight). The graphics layer
// draws the records, grouped by slot for instancing.
#pragma once

#include <cstdint>
#include <vector>

#include "board/geometry.h"
#include "scene/camera.h"

constexpr float quarterTurnAngle = 1.5707964f;

// Tints of the first material's ambient colour.
constexpr int tintGreener = 0;  // the player's pieces and balls; units digits
constexpr int tintBluer = 1;    // balls fixed in place; tens digits
constexpr int tintRedder = 2;   // fixed balls
constexpr int tintNone = 3;

struct ElementDraw {
    int slot = 0;              // element mesh slot
    Matrix4 world;
    float ambient[3] = {};     // material 0's ambient colour for this draw
    int cell = -1;             // the board cell the piece stands in; -1 for balls, arrows, digits, the stock ring
    int quarterTurns = 0;      // the quarter turns about +y it is drawn with
    float alpha = 1.0f;        // below 1: drawn see-through over the finished scene (the held piece's preview)
    // How much of its lit colour the piece keeps at the corners of its cell's
    // top, (-x,-z), (+x,-z), (-x,+z), (+x,+z) on the board, blended across it:
    // lower layers and tops beside a taller neighbour are darker, so heights
    // read from a still picture. 1 for all but board cells.
    float shade[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

// How much of the held piece shows where it would go, and of a hint's piece,
// ball or arrow where the recorded solution has it.
constexpr float previewAlpha = 0.55f;
constexpr float hintAlpha = 0.5f;

// One DrawElement: kind (element kind 1..19 or indicator 20..34), the pick id
// it answers to, grid position (x, z in cells, y in layers), tint and the
// ball's rolling orientation (or null). False when the slot has no mesh.
bool MakeElementDraw(int kind, int hoverIndex, float x, float y, float z, int tint, const Matrix4* ballRotation,
                     ElementDraw& out);

// A stock item with its count above it (on the play screen and the menu).
void AddStockItemDraws(int kind, int hoverIndex, float x, float y, float z, std::vector<ElementDraw>& out);

// Cells (building up on the main menu), the stock ring, the balls and their
// launch arrows, in drawing order.
void CollectSceneDraws(const FrameExtent& extent, std::vector<ElementDraw>& out);

// The sky's world matrix: scaled with the board and lifted over its centre.
Matrix4 SkyboxWorld(const FrameExtent& extent);
