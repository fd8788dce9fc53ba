// Collision shapes of the field elements and the search for a ball's nearest
// contact with them. All geometry here is in world units (1 per cell along x
// and z, 0.5 per layer along y), relative to the centre of the cell tested.
#pragma once

#include <cstdint>

#include "board/board.h"

constexpr int maxShapeFaces = 10;
constexpr int collisionShapeCount = 9;  // 0 cube, 1..4 corner wedge, 5..8 ramp
constexpr int noShape = -1;

// Starting distance of the contact search, a little more than the ball radius.
constexpr float contactSearchReach = 0.33433333f;
// A contact counts only this close: the ball radius, 1/3 as a float.
constexpr float contactRadius = 0.33333334f;
// FaceDistance's answer for a face that is not nearer than the best so far.
constexpr float noFaceDistance = 1000.0f;

enum class FaceType : int8_t { Parallelogram, Triangle };

// A flat face: the parallelogram A, B, C, B + C - A, or the triangle A, B, C,
// with its unit outward normal. The edges from A and their squared lengths are
// kept too, worked out once with the same float operations the search would use.
struct ShapeFace {
    Vec3 a, b, c;
    Vec3 normal;
    FaceType type = FaceType::Parallelogram;
    Vec3 edgeB;  // B - A
    Vec3 edgeC;  // C - A
    float edgeBSquared = 0.0f;
    float edgeCSquared = 0.0f;
};

// A small convex shape; the contact response tells faces apart by index.
struct CollisionShape {
    ShapeFace faces[maxShapeFaces];
    int faceCount = 0;
};

struct CellCoord {
    int x = 0, y = 0, z = 0;
};

// The single nearest contact of a ball with the board, as the response needs it.
struct Contact {
    CellCoord cell;       // the cell touched
    int kind = 0;         // its collision kind (CollisionKindAt)
    int neighbour = 0;    // its number in the search order: 0 the ball's own cell, 3 the cell below
    int shape = 0;        // shape index 0..8
    int face = 0;         // face index within the shape
    Vec3 point;           // closest point on the face, absolute world position
    float distance = 0.0f;  // from the ball centre to `point`, world units
};

// Neighbour numbers the response looks for.
constexpr int neighbourOwnCell = 0;
constexpr int neighbourBelow = 3;

// Fills the collision shapes of the field elements; safe to call again.
void BuildCollisionShapes();

// Shape `index` (0..8), as BuildCollisionShapes filled it.
const CollisionShape& CollisionShapeAt(int index);

// The shape a collision kind collides with, or noShape.
int ShapeOfKind(int collisionKind);

// The cell a ball at board position p belongs to: the nearest cell centre per axis (trunc((p + 18) / 36)).
CellCoord NearestCell(Vec3 position);

// Distance from P (relative to the cell centre) to the face, with the closest
// point in `closest`, when the face is nearer than `best`; noFaceDistance otherwise.
float FaceDistance(const ShapeFace& face, Vec3 p, float best, Vec3& closest);

// The nearest face of a shape below `best`: its distance, closest point and
// index; `best` itself (outputs untouched) when no face is nearer.
float ShapeDistance(const CollisionShape& shape, Vec3 p, float best, Vec3& closest, int& face);

// Searches the 27 cells around the ball for its nearest contact and pulls an
// iron ball towards every magnet among them. True when there is a contact.
bool FindContact(const Board& board, Ball& ball, Contact& contact);
