// Collision shapes and the contact search.
#include "sim/collision.h"

#include <cassert>
#include <cmath>

struct CollisionState {
    CollisionShape shapes[collisionShapeCount];
};

static CollisionState collision;

// The 27 cells around a ball's cell in search order: its own cell, the six
// face neighbours, the twelve edge neighbours, the eight corner neighbours.
// An earlier cell wins a tie, so the order is part of the behaviour.
constexpr int neighbourOffsets[27][3] = {
    {0, 0, 0},
    {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1},
    {-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {-1, 0, -1}, {1, 0, -1},
    {-1, 0, 1}, {1, 0, 1}, {0, -1, -1}, {0, 1, -1}, {0, -1, 1}, {0, 1, 1},
    {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
    {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1},
};

// Magnets pull an iron ball within 1.5 cell steps, harder the nearer it is.
constexpr float magnetReach = 1.5f;
constexpr float magnetReachSquared = 2.25f;
constexpr float magnetStrength = 0.1f;

static ShapeFace MakeFace(FaceType type, Vec3 a, Vec3 b, Vec3 c, Vec3 normal) {
    ShapeFace face;
    face.type = type;
    face.a = a;
    face.b = b;
    face.c = c;
    face.normal = normal;
    face.edgeB = b - a;
    face.edgeC = c - a;
    face.edgeBSquared = Dot(face.edgeB, face.edgeB);
    face.edgeCSquared = Dot(face.edgeC, face.edgeC);
    return face;
}

// The unit vector along v, each component divided by the length.
static Vec3 Normalised(Vec3 v) {
    const float length = Length(v);
    return {v.x / length, v.y / length, v.z / length};
}

// One quarter turn about the vertical axis: (x, y, z) -> (z, y, -x).
static Vec3 QuarterTurn(Vec3 v) { return {v.z, v.y, -v.x}; }

static ShapeFace TurnFace(const ShapeFace& face) {
    return MakeFace(face.type, QuarterTurn(face.a), QuarterTurn(face.b), QuarterTurn(face.c),
                    QuarterTurn(face.normal));
}

static void BuildCube(CollisionShape& cube) {
    constexpr FaceType quad = FaceType::Parallelogram;
    cube.faceCount = 6;
    cube.faces[0] = MakeFace(quad, {-0.5f, 0.25f, -0.5f}, {-0.5f, -0.25f, -0.5f}, {0.5f, 0.25f, -0.5f}, {0.0f, 0.0f, -1.0f});
    cube.faces[1] = MakeFace(quad, {-0.5f, 0.25f, 0.5f}, {0.5f, 0.25f, 0.5f}, {-0.5f, -0.25f, 0.5f}, {0.0f, 0.0f, 1.0f});
    cube.faces[2] = MakeFace(quad, {-0.5f, 0.25f, 0.5f}, {-0.5f, -0.25f, 0.5f}, {-0.5f, 0.25f, -0.5f}, {-1.0f, 0.0f, 0.0f});
    cube.faces[3] = MakeFace(quad, {0.5f, 0.25f, 0.5f}, {0.5f, -0.25f, 0.5f}, {0.5f, 0.25f, -0.5f}, {1.0f, 0.0f, 0.0f});
    cube.faces[4] = MakeFace(quad, {-0.5f, -0.25f, 0.5f}, {-0.5f, -0.25f, -0.5f}, {0.5f, -0.25f, 0.5f}, {0.0f, -1.0f, 0.0f});
    cube.faces[5] = MakeFace(quad, {-0.5f, 0.25f, 0.5f}, {-0.5f, 0.25f, -0.5f}, {0.5f, 0.25f, 0.5f}, {0.0f, 1.0f, 0.0f});
}

// The corner wedge fills the -x/-z part of the cell up to the vertical plane
// through (-0.5, 0.028) and (0.028, -0.5) in x/z. That plane lies 0.33375 from
// the cell centre, just beyond the ball radius, so a ball running through the
// middle of the cell touches it only once slightly past the centre.
static void BuildCorner(CollisionShape& corner) {
    constexpr FaceType quad = FaceType::Parallelogram;
    constexpr FaceType tri = FaceType::Triangle;
    constexpr float e = 0.028f;
    corner.faceCount = 5;
    corner.faces[0] = MakeFace(tri, {-0.5f, -0.25f, -0.5f}, {-0.5f, -0.25f, e}, {e, -0.25f, -0.5f}, {0.0f, -1.0f, 0.0f});
    corner.faces[1] = MakeFace(tri, {-0.5f, 0.25f, -0.5f}, {e, 0.25f, -0.5f}, {-0.5f, 0.25f, e}, {0.0f, 1.0f, 0.0f});
    corner.faces[2] = MakeFace(quad, {-0.5f, 0.25f, -0.5f}, {-0.5f, 0.25f, e}, {-0.5f, -0.25f, -0.5f}, {-1.0f, 0.0f, 0.0f});
    corner.faces[3] = MakeFace(quad, {-0.5f, 0.25f, -0.5f}, {-0.5f, -0.25f, -0.5f}, {e, 0.25f, -0.5f}, {0.0f, 0.0f, -1.0f});
    corner.faces[4] = MakeFace(quad, {-0.5f, 0.25f, e}, {-0.5f, -0.25f, e}, {e, 0.25f, -0.5f}, Normalised({1.0f, 0.0f, 1.0f}));
}

// The ramp's incline rises towards -x, from the bottom edge at x = 0.5 to the
// top edge at x = -0.5.
static void BuildRamp(CollisionShape& ramp) {
    constexpr FaceType quad = FaceType::Parallelogram;
    constexpr FaceType tri = FaceType::Triangle;
    ramp.faceCount = 5;
    ramp.faces[0] = MakeFace(tri, {-0.5f, -0.25f, -0.5f}, {-0.5f, 0.25f, -0.5f}, {0.5f, -0.25f, -0.5f}, {0.0f, 0.0f, -1.0f});
    ramp.faces[1] = MakeFace(tri, {-0.5f, -0.25f, 0.5f}, {-0.5f, 0.25f, 0.5f}, {0.5f, -0.25f, 0.5f}, {0.0f, 0.0f, 1.0f});
    ramp.faces[2] = MakeFace(quad, {-0.5f, 0.25f, 0.5f}, {-0.5f, -0.25f, 0.5f}, {-0.5f, 0.25f, -0.5f}, {-1.0f, 0.0f, 0.0f});
    ramp.faces[3] = MakeFace(quad, {-0.5f, -0.25f, 0.5f}, {-0.5f, -0.25f, -0.5f}, {0.5f, -0.25f, 0.5f}, {0.0f, -1.0f, 0.0f});
    ramp.faces[4] = MakeFace(quad, {-0.5f, 0.25f, -0.5f}, {-0.5f, 0.25f, 0.5f}, {0.5f, -0.25f, -0.5f}, Normalised({0.5f, 1.0f, 0.0f}));
}

// Shape `to` is shape `from` turned by one quarter turn, face by face.
static void TurnShape(const CollisionShape& from, CollisionShape& to) {
    to.faceCount = from.faceCount;
    for (int f = 0; f < from.faceCount; ++f) to.faces[f] = TurnFace(from.faces[f]);
}

// The shapes are also ready when the program has loaded, so that a tick can
// never meet empty shapes; start-up builds them once more, which is harmless.
const bool shapesBuiltAtLoad = (BuildCollisionShapes(), true);

void BuildCollisionShapes() {
    (void)shapesBuiltAtLoad;
    CollisionShape* shapes = collision.shapes;
    BuildCube(shapes[0]);
    BuildCorner(shapes[1]);
    BuildRamp(shapes[5]);
    for (int r = 1; r <= 3; ++r) {
        TurnShape(shapes[r], shapes[r + 1]);
        TurnShape(shapes[4 + r], shapes[5 + r]);
    }
}

const CollisionShape& CollisionShapeAt(int index) {
    assert(index >= 0 && index < collisionShapeCount);
    return collision.shapes[index];
}

int ShapeOfKind(int collisionKind) {
    if (collisionKind == kindGroundCube || collisionKind == kindPlainCube) return 0;
    if (IsCornerKind(collisionKind)) return 1 + (collisionKind - kindCornerFirst);
    if (IsRampKind(collisionKind)) return 5 + (collisionKind - kindRampFirst);
    return noShape;
}

CellCoord NearestCell(Vec3 position) {
    constexpr float halfCell = boardUnitsPerCell / 2.0f;
    return {static_cast<int>((position.x + halfCell) / boardUnitsPerCell),
            static_cast<int>((position.y + halfCell) / boardUnitsPerCell),
            static_cast<int>((position.z + halfCell) / boardUnitsPerCell)};
}

// ---- Face and shape distances ----

// Closest point of a face to P: project P onto the two edges from A separately,
// clamp the two parameters to the face (a triangle's pair is scaled back onto
// its long edge when their sum passes 1) and measure to the point they give.
// Only a face whose plane P lies in front of, and within `best` of, is tried.
static inline float FaceDistanceInline(const ShapeFace& face, Vec3 p, float best, Vec3& closest) {
    // 1. Height of P over the face's plane.
    const Vec3 fromA = p - face.a;
    const float h = Dot(fromA, face.normal);
    if (!(h >= 0.0f && h <= best)) return noFaceDistance;

    // 2. Projections onto the edges A->B and A->C.
    float s = Dot(face.edgeB, fromA) / face.edgeBSquared;
    float t = Dot(face.edgeC, fromA) / face.edgeCSquared;

    // 3. Clamp onto the face.
    if (s < 0.0f) s = 0.0f;
    if (t < 0.0f) t = 0.0f;
    if (face.type == FaceType::Parallelogram) {
        if (s > 1.0f) s = 1.0f;
        if (t > 1.0f) t = 1.0f;
    } else {
        const float sum = s + t;
        if (sum > 1.0f) {
            s = s / sum;
            t = t / sum;
        }
    }

    // 4. Distance to the point found.
    const Vec3 q = face.a + face.edgeB * s + face.edgeC * t;
    const float d = Length(p - q);
    if (!(d < best)) return noFaceDistance;
    closest = q;
    return d;
}

static inline float ShapeDistanceInline(const CollisionShape& shape, Vec3 p, float best, Vec3& closest, int& face) {
    for (int f = 0; f < shape.faceCount; ++f) {
        Vec3 q;
        const float d = FaceDistanceInline(shape.faces[f], p, best, q);
        if (d < best) {
            best = d;
            closest = q;
            face = f;
        }
    }
    return best;
}

// Every face of every shape lies in the cell's box: x and z within 0.5 of the
// centre, y within 0.25. A centre farther than best from the box along any one
// axis cannot find a face nearer than best, so the cell can be passed over. The
// margin is far wider than the rounding of the closest point, so passing over
// never changes the result; it only saves the face tests.
constexpr float boxMargin = 0.001f;

static inline bool BeyondReach(Vec3 p, float best) {
    const float reach = best + boxMargin;
    return std::fabs(p.x) > 0.5f + reach || std::fabs(p.z) > 0.5f + reach || std::fabs(p.y) > 0.25f + reach;
}

float FaceDistance(const ShapeFace& face, Vec3 p, float best, Vec3& closest) {
    return FaceDistanceInline(face, p, best, closest);
}

float ShapeDistance(const CollisionShape& shape, Vec3 p, float best, Vec3& closest, int& face) {
    return ShapeDistanceInline(shape, p, best, closest, face);
}

// ---- Contact search ----

bool FindContact(const Board& board, Ball& ball, Contact& contact) {
    // 1. The ball's cell and its centre in world units.
    const Vec3 position = ball.position;
    const CellCoord cell = NearestCell(position);
    const Vec3 world = WorldFromBoard(position);
    const bool pulledByMagnets = ball.kind == kindIronBall;
    const Vec3 inCellSteps = CellStepsFromBoard(position);

    // 2. Start a little beyond the ball radius with no contact.
    float best = contactSearchReach;

    // 3. The 27 cells in order.
    for (int n = 0; n < 27; ++n) {
        const int nx = cell.x + neighbourOffsets[n][0];
        const int ny = cell.y + neighbourOffsets[n][1];
        const int nz = cell.z + neighbourOffsets[n][2];

        // 3.1 The nearest face of the cell's shape. A cell out of reach
        // (see BeyondReach) is passed over without reading it.
        const Vec3 offset{static_cast<float>(nx), static_cast<float>(ny) / 2.0f, static_cast<float>(nz)};
        const Vec3 p = world - offset;
        const int k = BeyondReach(p, best) ? kindEmpty : CollisionKindAt(board, nx, ny, nz);
        const int shape = ShapeOfKind(k);
        if (shape != noShape) {
            Vec3 closest;
            int face = 0;
            const float d = ShapeDistanceInline(collision.shapes[shape], p, best, closest, face);
            if (d < best) {
                best = d;
                contact.cell = {nx, ny, nz};
                contact.kind = k;
                contact.neighbour = n;
                contact.shape = shape;
                contact.face = face;
                contact.point = closest + offset;
                contact.distance = d;
            }
        }

        // 3.2 Magnet pull, by every magnet around, before this tick's response.
        // D is in cell steps with y in layers; the reach is measured with y
        // halved. A cell beyond the reach is not read.
        if (pulledByMagnets) {
            const Vec3 toMagnet{static_cast<float>(nx) - inCellSteps.x, static_cast<float>(ny) - inCellSteps.y,
                                static_cast<float>(nz) - inCellSteps.z};
            const float q = toMagnet.x * toMagnet.x + toMagnet.y * toMagnet.y / 4.0f + toMagnet.z * toMagnet.z;
            if (q < magnetReachSquared && KindAtOrGround(board, nx, ny, nz) == kindMagnet) {
                const float dist = std::sqrt(q);
                // A ball at the magnet's very centre has no direction to be
                // pulled in: that magnet does nothing to it this tick.
                if (dist > 0.0f) {
                    const float strength = magnetReach - dist;
                    ball.velocity.x += toMagnet.x / dist * strength * magnetStrength;
                    ball.velocity.y += toMagnet.y / dist * strength * magnetStrength;
                    ball.velocity.z += toMagnet.z / dist * strength * magnetStrength;
                }
            }
        }
    }

    // 4. Only a contact within the ball radius counts.
    return best <= contactRadius;
}
