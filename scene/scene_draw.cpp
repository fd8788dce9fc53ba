// The scene's draw list: cells, stock ring, balls and arrows.
#include "scene/scene_draw.h"

#include <algorithm>

#include "app/game_state.h"
#include "app/hints.h"
#include "gfx/matrix.h"
#include "scene/element_meshes.h"
#include "scene/picking.h"
#include "sim/collision.h"

namespace {

constexpr float highlightBoost = 6.0f;
constexpr float tintAmount = 0.3f;
constexpr float digitScale = 1.6f;
constexpr float digitLift = 0.66f;  // layers above the item
constexpr float pi = 3.14159265f;

// Heights: each layer below the board's highest piece keeps a little less of
// its light (at most three steps), and a top corner loses a step for each
// piece standing on the layer above beside it (the two sides and the
// diagonal between them; both sides count as three), so the floor darkens
// towards a wall's foot and a channel's floor between its walls.
constexpr float layerStep = 0.06f;
constexpr int layerSteps = 3;
constexpr float cornerStep = 0.12f;

struct BoardShading {
    std::vector<int8_t> cells;  // the board they were worked out for
    int sizeX = 0, sizeY = 0, sizeZ = 0;
    std::vector<float> corners;  // four per cell
};
BoardShading shading;

bool Occupied(int x, int y, int z) {
    if (!board.Contains(x, y, z)) return false;
    const int kind = KindOfValue(board.cells[static_cast<size_t>(board.Index(x, y, z))]);
    return kind != kindEmpty && !IsBallKind(kind);
}

void WorkOutShading() {
    shading.cells = board.cells;
    shading.sizeX = board.sizeX, shading.sizeY = board.sizeY, shading.sizeZ = board.sizeZ;
    shading.corners.assign(4 * board.cells.size(), 1.0f);
    int top = 0;
    for (int i = 0; i < board.cellCount; ++i) {
        int x, y, z;
        board.CellOf(i, x, y, z);
        if (Occupied(x, y, z)) top = std::max(top, y);
    }
    for (int i = 0; i < board.cellCount; ++i) {
        int x, y, z;
        board.CellOf(i, x, y, z);
        const float layer = 1.0f - layerStep * static_cast<float>(std::min(top - std::min(y, top), layerSteps));
        for (int c = 0; c < 4; ++c) {
            const int dx = c & 1 ? 1 : -1, dz = c & 2 ? 1 : -1;
            const bool sideX = Occupied(x + dx, y + 1, z), sideZ = Occupied(x, y + 1, z + dz);
            const int blocked = sideX && sideZ ? 3 : sideX + sideZ + Occupied(x + dx, y + 1, z + dz);
            shading.corners[static_cast<size_t>(4 * i + c)] = layer * (1.0f - cornerStep * static_cast<float>(blocked));
        }
    }
}

bool IsDigit(int kind) { return kind >= indicatorDigitFirst && kind < indicatorDigitFirst + 10; }

// hoverIndex: the draw's hover number (board/pick.h), the board's cell count
// for every stock item.
bool Highlighted(int kind, int hoverIndex) {
    if (IsDigit(kind)) return false;
    const int n = board.cellCount;
    const int hovered = HoverNumber(hoveredPick, n);
    if (hoverIndex > n && hovered == hoverIndex) return true;              // launch arrows
    if (hoverIndex >= n + stockSlotCount && LaunchArrowsFlashing((hoverIndex - n - stockSlotCount) / arrowsPerBall))
        return true;                                                       // ... of a ball a roll waits for
    if (hoverIndex == n && hovered == n + kind) return true;               // stock items
    if (editTool == EditTool::Build && heldKind != 0 && previewCell >= 0)  // placing: the cell pointed at
        return hoverIndex >= 0 && hoverIndex < n && hovered == hoverIndex;
    return previewCell == hoverIndex;                                      // cells and balls in them
}

// The hints shown (a piece, a ball or a launch arrow of the recorded
// solution), each where the board does not match it yet.
void AddHintDraws(std::vector<ElementDraw>& out) {
    ElementDraw d;
    for (const HintStep& step : HintSteps()) {
        int x = 0, y = 0, z = 0;
        if (step.cell >= 0 && step.cell < board.cellCount) board.CellOf(step.cell, x, y, z);
        bool drawn = false;
        switch (step.what) {
        case HintStep::What::Piece:
            if (step.cell < 0 || step.cell >= board.cellCount ||
                KindOfValue(board.cells[static_cast<size_t>(step.cell)]) == step.kind)
                continue;
            drawn = MakeElementDraw(step.kind, -1, static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(z), tintGreener, nullptr, d);
            break;
        case HintStep::What::Ball:
            if (step.cell < 0 || step.cell >= board.cellCount || board.FindBallAtCell(step.cell) < board.ballCount)
                continue;
            drawn = MakeElementDraw(step.kind, -1, static_cast<float>(x), y + 1.0f / 6.0f, static_cast<float>(z),
                                    tintNone, nullptr, d);
            break;
        case HintStep::What::Arrow: {
            const int ball = HintBall(step);
            if (ball >= 0 && board.balls[ball].direction == step.direction) continue;
            const Vec3 c = CellFromWorld(LaunchArrowPlace(step.ballPosition, step.direction - 1));
            drawn = MakeElementDraw(indicatorArrow + step.direction - 1, -1, c.x, c.y, c.z, tintNone, nullptr, d);
            break;
        }
        }
        if (!drawn) continue;
        d.alpha = hintAlpha;
        out.push_back(d);
    }
}

// The shading again, once a frame at most, when the board's cells have changed.
void RefreshShading() {
    if (shading.cells != board.cells || shading.sizeX != board.sizeX || shading.sizeY != board.sizeY ||
        shading.sizeZ != board.sizeZ)
        WorkOutShading();
}

}  // namespace

bool MakeElementDraw(int kind, int hoverIndex, float x, float y, float z, int tint, const Matrix4* ballRotation,
                     ElementDraw& out) {
    if (kind < 1 || kind >= elementMeshSlots) return false;
    const int slot = MeshSlotOfKind(kind);
    const Mesh& mesh = elementMeshes[slot];
    if (!mesh.master || mesh.materials.empty()) return false;

    // 1. Turn; a digit turns to face the camera.
    Matrix4 m = MatrixRotationY(static_cast<float>(QuarterTurnsOfKind(kind)) * quarterTurnAngle);
    if (IsDigit(kind)) m = MatrixRotationY(camera.cameraYaw + pi);
    // 2. A ball rolls.
    if (IsBallKind(slot) && ballRotation) m = MatrixMultiply(m, *ballRotation);
    // 3. Place.
    const Vec3 at = WorldFromCell(x, y, z);
    m.m[3][0] = at.x;
    m.m[3][1] = at.y;
    m.m[3][2] = at.z;
    // 4. Digits are drawn larger; the tens digit stands left of the units.
    if (IsDigit(kind)) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m.m[r][c] *= digitScale;
        if (tint == tintBluer)
            for (int c = 0; c < 3; ++c) m.m[3][c] -= 0.2f * m.m[0][c];
    }
    out.slot = slot;
    out.world = m;
    out.cell = -1;
    out.quarterTurns = QuarterTurnsOfKind(kind);
    out.alpha = 1.0f;
    std::fill(out.shade, out.shade + 4, 1.0f);

    // 5. Highlight and tint on the first material's ambient colour, added in
    // the order a draw changing the material in place would add them.
    float a[3] = {mesh.materials[0].ambient[0], mesh.materials[0].ambient[1], mesh.materials[0].ambient[2]};
    if (Highlighted(kind, hoverIndex))
        for (float& c : a) c += highlightBoost;
    switch (tint) {
    case tintGreener: a[0] -= tintAmount; a[2] -= tintAmount; break;
    case tintBluer: a[0] -= tintAmount; a[1] -= tintAmount; break;
    case tintRedder: a[1] -= tintAmount; a[2] -= tintAmount; break;
    default: break;
    }
    std::copy(a, a + 3, out.ambient);
    return true;
}

void AddStockItemDraws(int kind, int hoverIndex, float x, float y, float z, std::vector<ElementDraw>& out) {
    if (kind < 0 || kind >= stockSlots) return;
    const int count = board.stock[kind];
    if (count <= 0 && gameScreen != GameScreen::Editor) return;
    ElementDraw d;
    if (MakeElementDraw(kind, hoverIndex, x, y, z, tintNone, nullptr, d)) out.push_back(d);
    if (gameScreen != GameScreen::Play && gameScreen != GameScreen::MainMenu) return;

    // The count floats above the item; a corner's sits outwards, clear of the others.
    float cx = x, cz = z;
    // The ramps' group is laid out as the corners' is.
    switch (kind) {
    case 3:
    case 16: cx -= 0.3f; cz -= 0.3f; break;
    case 4:
    case 17: cx -= 0.3f; cz += 0.3f; break;
    case 5:
    case 18: cx += 0.3f; cz += 0.3f; break;
    case 6:
    case 19: cx += 0.3f; cz -= 0.3f; break;
    default: break;
    }
    // Two digit places: a larger stock shows 99.
    const int shown = std::clamp(count, 0, 99);
    if (MakeElementDraw(indicatorDigitFirst + shown % 10, hoverIndex, cx, y + digitLift, cz, tintGreener, nullptr, d))
        out.push_back(d);
    if (shown >= 10 &&
        MakeElementDraw(indicatorDigitFirst + shown / 10, hoverIndex, cx, y + digitLift, cz, tintBluer, nullptr, d))
        out.push_back(d);
}

void CollectSceneDraws(const FrameExtent& extent, std::vector<ElementDraw>& out) {
    out.clear();
    const int w = board.sizeX, h = board.sizeY, depth = board.sizeZ;
    const int n = board.cellCount;
    const bool menu = gameScreen == GameScreen::MainMenu;
    RefreshShading();
    ElementDraw d;

    // 1. Cells, z then x then layer; on the menu the board builds up cell by cell.
    bool stopped = false;
    for (int z = 0; z < depth && !stopped; ++z)
        for (int x = 0; x < w && !stopped; ++x)
            for (int y = 0; y < h; ++y) {
                if (menu && static_cast<float>((w * z + x) * h + y) > static_cast<float>(n) * demoFade) {
                    stopped = true;
                    break;
                }
                const int index = board.Index(x, y, z);
                const int code = board.cells[static_cast<size_t>(index)];
                int kind = KindOfValue(static_cast<int8_t>(code));
                const int tint = (code & cellPlayerPiece) ? tintGreener : tintNone;
                const bool preview = index == previewCell && editTool == EditTool::Build && heldKind != 0;
                if (preview) {
                    kind = heldKind;
                } else if (IsBallKind(kind)) {
                    continue;  // balls are drawn from the ball list
                }
                if (y == 0 && (kind == kindEmpty || kind == kindPlainCube)) kind = kindGroundCube;
                if (kind == kindEmpty) continue;
                const bool floatingBall = preview && IsBallKind(kind);
                // The held piece shows itself, turned as it will stand and
                // see-through, in its own colours; the cell pointed at lights.
                if (!MakeElementDraw(kind, preview ? -1 : index, static_cast<float>(x),
                                     floatingBall ? y + 1.0f / 6.0f : static_cast<float>(y), static_cast<float>(z),
                                     preview ? (floatingBall || gameScreen != GameScreen::Play ? tintNone : tintGreener)
                                             : tint,
                                     nullptr, d))
                    continue;
                if (preview) {
                    d.alpha = previewAlpha;  // it closes off no neighbour's face
                } else {
                    d.cell = index;
                    std::copy_n(&shading.corners[static_cast<size_t>(4 * index)], 4, d.shade);
                }
                out.push_back(d);
            }

    // The hints shown, where the board does not yet match them: see-through.
    if (gameScreen == GameScreen::Play) AddHintDraws(out);

    // 2. The stock ring.
    StockRingItem items[stockRingItems];
    StockRingLayout(extent, camera.cameraYaw, items);
    for (const StockRingItem& item : items) {
        const Vec3 c = CellFromWorld(item.centre);
        AddStockItemDraws(item.kind, n, c.x, c.y, c.z, out);
    }

    // 3. Balls, appearing one by one on the menu after the board, with their
    // launch arrows (except while they roll).
    for (int i = 0; i < board.ballCount; ++i) {
        if (menu && static_cast<float>(i) * 0.2f / static_cast<float>(board.ballCount) > demoFade - 1.0f) break;
        const Ball& ball = board.balls[i];
        const Vec3 p = ball.position;
        const Vec3 at = CellStepsFromBoard(p);
        const CellCoord c = NearestCell(p);
        const int cell = board.Contains(c.x, c.y, c.z) ? board.Index(c.x, c.y, c.z) : -1;  // lit when it is previewed
        if (MakeElementDraw(ball.kind, cell, at.x, at.y, at.z, tintNone, &ball.orientation, d)) out.push_back(d);
        if (gameScreen == GameScreen::Run) continue;

        const int arrowId = n + stockSlotCount + arrowsPerBall * i;
        const int lockTint = ball.lock;
        // arrow: 0..3 a direction's, -1 the four-way one.
        auto arrow = [&](int indicator, int id, int arrow) {
            const Vec3 c = CellFromWorld(LaunchArrowPlace(p, arrow));
            if (MakeElementDraw(indicator, id, c.x, c.y, c.z, lockTint, nullptr, d))
                out.push_back(d);
        };
        switch (static_cast<LaunchDirection>(ball.direction)) {
        case LaunchDirection::Unset: arrow(indicatorFourWay, arrowId, -1); break;
        case LaunchDirection::MinusX:
        case LaunchDirection::PlusZ:
        case LaunchDirection::PlusX:
        case LaunchDirection::MinusZ: arrow(indicatorArrow + ball.direction - 1, arrowId, ball.direction - 1); break;
        case LaunchDirection::NoDirection:
            for (int a = 0; a < 4; ++a) arrow(indicatorArrow + a, arrowId + a, a);
            break;
        default: break;
        }
    }
}

Matrix4 SkyboxWorld(const FrameExtent& extent) {
    const float s = extent.radius * 2.0f / 3.0f;
    Matrix4 m = MatrixScaling(s, s, s);
    m.m[3][0] = extent.cx;
    m.m[3][1] = 0.8f * extent.radius - 0.25f;
    m.m[3][2] = extent.cz;
    return m;
}
