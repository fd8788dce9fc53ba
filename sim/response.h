// What a contact does to a ball: the bounce off a wall or another ball, the
// corner's right-angle turn, and the effects of spikes, springs, targets,
// magnets and bombs.
#pragma once

#include "board/board.h"
#include "sim/collision.h"

constexpr float wallMass = 10000.0f;
constexpr float wallRestitution = 0.0f;
constexpr float ballContactDistance = 0.6666667f;  // two radii, world units
constexpr float separationMargin = 0.00001f;
constexpr float noRestitutionOverride = -1.0f;

// Face numbers the response tells apart.
constexpr int slantedFace = 4;  // a corner's slanted face, a ramp's incline
constexpr int cubeTopFace = 5;

enum class ContactOutcome { Continues, Destroyed, TakenByTarget };

// Bounces ball `a` off a wall (`b` null) or off ball `b` through the contact
// point `contactPoint` (world) at `distance` from a's centre, and pushes them
// apart. `restitutionOverride` replaces a's restitution unless it is
// noRestitutionOverride. Returns the impact: the sum of both bodies' normal
// speeds before the bounce. When the contact point coincides with a's centre
// there is no normal to bounce along; nothing changes and the impact is 0.
float ReflectBall(Ball& a, Ball* b, Vec3 contactPoint, float distance, float restitutionOverride);

// Destroys ball i: debris for the ball, then the ball leaves its slot (later
// balls move down one). When cell (x, y, z) lies inside the grid above the
// ground layer, its element bursts into debris too and the cell is cleared;
// pass (-1, -1, -1) to destroy the ball alone.
void DestroyBall(Board& board, int i, int x, int y, int z);

// The response to ball i's contact with the board and the effects of the
// element and of the ball's kind. The ball may be destroyed (the later balls
// move down a slot) or taken in by a target. A contact point at the ball's
// centre has no normal and changes nothing.
ContactOutcome ApplyContact(Board& board, int i, const Contact& contact);

// Keeps a bomb that climbs a ramp towards a block from leaving the crest in a
// jump. `ballCell` is the ball's cell as this tick's contact search saw it.
void BombCrestRule(const Board& board, Ball& ball, CellCoord ballCell);

// The bounce of two balls, seen from their current velocity and position; the
// changes are added to both balls' nextVelocity and nextPosition and the
// current values are left as they were. Returns the impact, 0 when the balls
// do not touch (or their centres coincide, which gives no direction).
float CollideBalls(Ball& a, Ball& b);
