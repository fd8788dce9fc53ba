// Picking in 3D: which board cell, stock item or launch arrow lies under the
// pointer. Each candidate's box is clipped against the ray first; only boxes
// the ray passes through try the element's own triangles.
#pragma once

#include "board/geometry.h"
#include "board/pick.h"
#include "scene/camera.h"

// The box size meaning "one cell".
inline constexpr Vec3 oneCellBox{-1000.0f, -1000.0f, -1000.0f};

struct PickRay {
    Vec3 origin;     // the eye
    Vec3 direction;  // not normalised: one unit of view depth per unit of the ray
};

// The ray through pointer (mx, my) of a width x height screen, from the view
// and projection of the last SetupView.
PickRay PickRayAt(float mx, float my, int width, int height, const Matrix4& view, const Matrix4& projection);

// The best hit so far of one pick, and how far from the eye the ray entered its box.
struct PickCandidate {
    PickHit hit;
    float entryDistanceSquared = 0.0f;
};

// Offers the box centred at `centre` of `size` (or oneCellBox) as `what`:
// accepted into `best` when the ray passes through the box, hits the kind's
// mesh and enters the box nearer than the candidate picked so far. A cell's
// hit takes the face the ray came in through.
bool PickBox(Vec3 origin, Vec3 direction, Vec3 centre, const PickHit& what, int kind, Vec3 size, PickCandidate& best);

// A stock item: pickable only while stock of its kind is left, or in the editor.
bool PickStockItem(Vec3 origin, Vec3 direction, Vec3 centre, int kind, PickCandidate& best);

// Whether the ray hits the mesh of `kind` placed in the box at `boxMin`.
bool MeshRayHit(Vec3 origin, Vec3 direction, Vec3 boxMin, int kind, Vec3 size);

// The ray parameter t >= 0 at which origin + t * direction meets triangle
// a, b, c from either side; false when it misses.
bool RayHitsTriangle(Vec3 origin, Vec3 direction, Vec3 a, Vec3 b, Vec3 c, float& t);

// Where a ball's launch arrow lies (world units), from the ball's position
// (board units). arrow 0..3 is the arrow pointing -x, +z, +x, -z: it lies out
// on its own side of the ball, its inner end clear of the ball and its
// underside above the ball's top, so the ball never hides it from the camera
// above; the chosen direction's arrow keeps its place. arrow -1 is the
// four-way arrow of a ball still to be aimed, over the ball's centre.
Vec3 LaunchArrowPlace(Vec3 ballPosition, int arrow);

// The 3D step of the hover test: the cell, stock item or launch arrow under
// the pointer, for the screens that pick in 3D.
PickHit PickSceneObjects(float pointerX, float pointerY);

// ---- The stock ring ----

constexpr int stockRingItems = 18;
// How far along the ring, in world units, the middle of the ramps' group
// stands beyond the first item (at yaw + 1.6): clear of it from every side,
// whatever the board's size.
constexpr float rampGroupGap = 2.2f;

struct StockRingItem {
    int kind = 0;
    Vec3 centre;  // world units, on the ground plane
};

// The ring of stock items around an extent, turning with the camera's yaw.
void StockRingLayout(const FrameExtent& extent, float yaw, StockRingItem out[stockRingItems]);
