// Ray picking of cells, stock items and launch arrows.
#include "scene/picking.h"

#include <cmath>

#include "app/game_state.h"
#include "gfx/matrix.h"
#include "scene/element_meshes.h"

namespace {

constexpr Vec3 cellBox{cellSpacingX, cellSpacingY, cellSpacingZ};
constexpr float pickReach = 100.0f;  // the segment tested runs 100 ray units from the eye

float Axis(Vec3 v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Moves p along the ray's direction onto the plane where `axis` equals `plane`.
Vec3 OntoPlane(Vec3 p, Vec3 direction, int axis, float plane) {
    return p + direction * ((plane - Axis(p, axis)) / Axis(direction, axis));
}

// Clips the segment a-b to the box, axis by axis, min plane then max plane.
// False when the whole segment lies outside one of the planes. `entered`
// tells whether a was moved onto the box, and `face` the last plane it was
// moved onto: the face the segment comes in through.
bool ClipSegment(Vec3& a, Vec3& b, Vec3 direction, Vec3 boxMin, Vec3 boxMax, bool& entered, CellFace& face) {
    static const CellFace lowFaces[3] = {CellFace::MinusX, CellFace::MinusY, CellFace::MinusZ};
    static const CellFace highFaces[3] = {CellFace::PlusX, CellFace::PlusY, CellFace::PlusZ};
    entered = false;
    for (int axis = 0; axis < 3; ++axis) {
        const float low = Axis(boxMin, axis), high = Axis(boxMax, axis);
        if (Axis(a, axis) < low && Axis(b, axis) < low) return false;
        if (Axis(a, axis) < low) {
            a = OntoPlane(a, direction, axis, low);
            entered = true, face = lowFaces[axis];
        }
        if (Axis(b, axis) < low) b = OntoPlane(b, direction, axis, low);
        if (Axis(a, axis) > high && Axis(b, axis) > high) return false;
        if (Axis(a, axis) > high) {
            a = OntoPlane(a, direction, axis, high);
            entered = true, face = highFaces[axis];
        }
        if (Axis(b, axis) > high) b = OntoPlane(b, direction, axis, high);
    }
    return true;
}

// Into the base orientation of a turned element: the inverse of its quarter turns.
Vec3 IntoMeshFrame(Vec3 v, int turns) {
    switch (turns) {
    case 1: return {-v.z, v.y, v.x};
    case 2: return {-v.x, v.y, -v.z};
    case 3: return {v.z, v.y, -v.x};
    default: return v;
    }
}

float DistanceSquared(Vec3 a, Vec3 b) { return Dot(a - b, a - b); }

}  // namespace

PickRay PickRayAt(float mx, float my, int width, int height, const Matrix4& view, const Matrix4& projection) {
    // The pointer in view space at depth 1, then into the world by the inverse view.
    const float vx = (2.0f * mx / static_cast<float>(width) - 1.0f) / projection.m[0][0];
    const float vy = -(2.0f * my / static_cast<float>(height) - 1.0f) / projection.m[1][1];
    Matrix4 m;
    if (!MatrixInverse(view, m)) return {};
    PickRay ray;
    ray.direction = {vx * m.m[0][0] + vy * m.m[1][0] + m.m[2][0], vx * m.m[0][1] + vy * m.m[1][1] + m.m[2][1],
                     vx * m.m[0][2] + vy * m.m[1][2] + m.m[2][2]};
    ray.origin = {m.m[3][0], m.m[3][1], m.m[3][2]};
    return ray;
}

// Moeller and Trumbore: solve origin + t d = a + u (b - a) + v (c - a) by
// Cramer's rule; the triangle is hit when u, v >= 0, u + v <= 1 and t >= 0.
bool RayHitsTriangle(Vec3 origin, Vec3 direction, Vec3 a, Vec3 b, Vec3 c, float& t) {
    const Vec3 e1 = b - a, e2 = c - a;
    const Vec3 p = Cross(direction, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f) return false;  // the ray runs along the triangle's plane
    const float inv = 1.0f / det;
    const Vec3 s = origin - a;
    const float u = Dot(s, p) * inv;
    if (u < 0.0f || u > 1.0f) return false;
    const Vec3 q = Cross(s, e1);
    const float v = Dot(direction, q) * inv;
    if (v < 0.0f || u + v > 1.0f) return false;
    t = Dot(e2, q) * inv;
    return t >= 0.0f;
}

bool MeshRayHit(Vec3 origin, Vec3 direction, Vec3 boxMin, int kind, Vec3 size) {
    if (kind < 0 || kind >= elementMeshSlots) return false;
    const Mesh& mesh = elementMeshes[MeshSlotOfKind(kind)];
    if (!mesh.master) return false;
    const int turns = QuarterTurnsOfKind(kind);
    const Vec3 o = IntoMeshFrame(origin - (boxMin + size * 0.5f), turns);
    const Vec3 d = IntoMeshFrame(direction, turns);
    const MeshData& data = *mesh.master;
    for (uint32_t f = 0; f < data.FaceCount(); ++f) {
        float t = 0.0f;
        if (RayHitsTriangle(o, d, data.vertices[data.indices[3 * f]].position,
                            data.vertices[data.indices[3 * f + 1]].position,
                            data.vertices[data.indices[3 * f + 2]].position, t))
            return true;
    }
    return false;
}

bool PickBox(Vec3 origin, Vec3 direction, Vec3 centre, const PickHit& what, int kind, Vec3 size, PickCandidate& best) {
    // 1. Box.
    if (size.x == oneCellBox.x && size.y == oneCellBox.y && size.z == oneCellBox.z) size = cellBox;
    const Vec3 boxMin = centre - size * 0.5f;
    const Vec3 boxMax = boxMin + size;
    // 2. The segment from the eye, clipped to the box: its start is where the ray enters.
    Vec3 a = origin, b = origin + direction * pickReach;
    bool entered = false;
    CellFace face = CellFace::PlusY;
    if (!ClipSegment(a, b, direction, boxMin, boxMax, entered, face)) return false;
    // 3. The element's own triangles decide, with the whole ray.
    if (!MeshRayHit(origin, direction, boxMin, kind, size)) return false;
    // 4. The box entered first wins; on a tie the earlier candidate stays.
    const float distance = DistanceSquared(origin, a);
    if (best.hit.target != PickTarget::Nothing && !(distance < best.entryDistanceSquared)) return false;
    best.hit = what;
    if (what.target == PickTarget::Cell) {
        best.hit.entered = entered;
        best.hit.face = face;
    }
    best.entryDistanceSquared = distance;
    return true;
}

bool PickStockItem(Vec3 origin, Vec3 direction, Vec3 centre, int kind, PickCandidate& best) {
    if (kind < 0 || kind >= stockSlots) return false;
    if (board.stock[kind] <= 0 && gameScreen != GameScreen::Editor) return false;
    return PickBox(origin, direction, centre, PickHit::Stock(kind), kind, oneCellBox, best);
}

// The items in drawing order: balls and specials on one side, cubes on the
// other, the four corners grouped round one point and the four ramps round
// another, all at 1.5 radii. The ramps stand beyond the specials, on the side
// away from the eye, where the ring has room for a group of four: the front of
// the ring, between the two sides, lies under the eye and often off the screen.
void StockRingLayout(const FrameExtent& extent, float yaw, StockRingItem out[stockRingItems]) {
    struct Step {
        int kind;
        float turn;  // subtracted from the running angle before this item
        float ox, oz;
    };
    // Each group's angle is taken down step by step from its start, yaw + 1.6
    // and yaw - 0.82; the four corners share one angle.
    static const Step first[6] = {{9, 0.0f, 0, 0},    {10, 0.2f, 0, 0},  {12, 0.2f, 0, 0},
                                  {13, 0.13f, 0, 0},  {14, 0.13f, 0, 0}, {15, 0.13f, 0, 0}};
    static const Step second[8] = {{6, 0.0f, -0.6f, 0.6f}, {5, 0.0f, -0.6f, -0.6f}, {4, 0.0f, 0.6f, -0.6f},
                                   {3, 0.0f, 0.6f, 0.6f},  {2, 0.2f, 0, 0},         {7, 0.2f, 0, 0},
                                   {11, 0.2f, 0, 0},       {8, 0.2f, 0, 0}};
    static const Step ramps[4] = {{19, 0.0f, -0.6f, 0.6f}, {18, 0.0f, -0.6f, -0.6f}, {17, 0.0f, 0.6f, -0.6f},
                                  {16, 0.0f, 0.6f, 0.6f}};
    const float reach = extent.radius * 1.5f;
    int n = 0;
    auto place = [&](const Step* steps, int count, float angle) {
        for (int i = 0; i < count; ++i) {
            angle -= steps[i].turn;
            out[n].kind = steps[i].kind;
            out[n].centre = {(std::sin(angle) * reach + extent.cx + steps[i].ox) * cellSpacingX, 0.0f,
                             (std::cos(angle) * reach + extent.cz + steps[i].oz) * cellSpacingZ};
            ++n;
        }
    };
    place(first, 6, yaw + 1.6f);
    place(second, 8, yaw - 0.82f);
    place(ramps, 4, yaw + 1.6f + rampGroupGap / reach);
}

Vec3 LaunchArrowPlace(Vec3 ballPosition, int arrow) {
    const Vec3 centre = WorldFromBoard(ballPosition);
    if (arrow < 0 || arrow > 3) return {centre.x, centre.y + cellSpacingY, centre.z};
    // The arrow mesh reaches 0.35 behind its middle and 0.4 ahead, 0.04 above
    // and below; the ball's radius is a third, a balloon's top 0.36.
    constexpr float out = 0.62f, lift = 0.41f;
    static const float dx[4] = {-1, 0, 1, 0}, dz[4] = {0, 1, 0, -1};
    return {centre.x + dx[arrow] * out, centre.y + lift, centre.z + dz[arrow] * out};
}

PickHit PickSceneObjects(float pointerX, float pointerY) {
    const int mx = static_cast<int>(pointerX), my = static_cast<int>(pointerY);
    const PickRay ray = PickRayAt(static_cast<float>(mx), static_cast<float>(my), screenWidth, screenHeight,
                                  sceneView.view, sceneView.projection);
    const Vec3 o = ray.origin, d = ray.direction;
    const int sx = board.sizeX, sy = board.sizeY, sz = board.sizeZ;
    PickCandidate best;

    // 1. Cells; the whole bottom layer is solid ground to build on.
    for (int z = 0; z < sz; ++z)
        for (int y = 0; y < sy; ++y)
            for (int x = 0; x < sx; ++x) {
                const int i = (sy * z + y) * sx + x;
                int kind = kindPlainCube;
                if (y > 0) {
                    kind = board.cells[static_cast<size_t>(i)] & 63;
                    if (kind == kindEmpty) continue;
                }
                Vec3 centre = WorldFromCell(x, y, z);
                Vec3 size = cellBox;
                if (IsBallKind(kind)) {
                    centre.y += cellSpacingY / 6.0f;
                    size.y = cellSpacingY * 4.0f / 3.0f;
                }
                PickBox(o, d, centre, PickHit::Cell(i, CellFace::PlusY), kind, size, best);
            }

    // 2. The stock ring, while a tool takes pieces from it.
    if (editTool == EditTool::Build || editTool == EditTool::Swap) {
        StockRingItem items[stockRingItems];
        StockRingLayout(ExtentOf(sx, sz), camera.cameraYaw, items);
        for (const StockRingItem& item : items) PickStockItem(o, d, item.centre, item.kind, best);
    }

    // 3. Launch arrows over the balls.
    for (int b = 0; b < board.ballCount; ++b) {
        const Ball& ball = board.balls[b];
        const bool fixed = ball.lock == static_cast<int8_t>(BallLock::FixedBall);
        if (fixed && (gameScreen == GameScreen::Play || gameScreen == GameScreen::Run)) continue;
        const Vec3 p = ball.position;
        const auto direction = static_cast<LaunchDirection>(ball.direction);
        switch (direction) {
        case LaunchDirection::Unset:
            PickBox(o, d, LaunchArrowPlace(p, -1), PickHit::Arrow(b, 0), indicatorFourWay, oneCellBox, best);
            break;
        case LaunchDirection::MinusX:
        case LaunchDirection::PlusZ:
        case LaunchDirection::PlusX:
        case LaunchDirection::MinusZ:
            // The chosen direction's one arrow, lying where it lay among the four.
            PickBox(o, d, LaunchArrowPlace(p, ball.direction - 1), PickHit::Arrow(b, 0),
                    indicatorArrow + ball.direction - 1, oneCellBox, best);
            break;
        case LaunchDirection::NoDirection:
            for (int a = 0; a < arrowsPerBall; ++a)
                PickBox(o, d, LaunchArrowPlace(p, a), PickHit::Arrow(b, a), indicatorArrow + a, oneCellBox, best);
            break;
        default: break;
        }
    }
    return best.hit;
}
