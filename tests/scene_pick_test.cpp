// Picking cells, balls and arrows under the pointer, the nearer-entry rule,
// the turned elements' shapes; the draw list's digits and tints.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/game_state.h"
#include "gfx/matrix.h"
#include "scene/element_meshes.h"
#include "scene/picking.h"
#include "scene/scene_draw.h"

namespace {

class ScenePick : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadElementMeshes(TUMBLEON_BUILD_DIR); }
    static void TearDownTestSuite() { DestroySceneMeshes(); }
    void SetUp() override {
        ResetGameState();
        gameScreen = GameScreen::Play;
        editTool = EditTool::Delete;  // no stock ring
    }
    void TearDown() override { ResetGameState(); }

    // The pointer over world point p, or false when p is off the screen.
    static bool PointerAt(Vec3 p, float& mx, float& my) {
        const Vec3 ndc = TransformCoord(p, MatrixMultiply(sceneView.view, sceneView.projection));
        if (ndc.x <= -1 || ndc.x >= 1 || ndc.y <= -1 || ndc.y >= 1 || ndc.z <= 0 || ndc.z >= 1) return false;
        mx = (ndc.x + 1) * 0.5f * static_cast<float>(screenWidth);
        my = (1 - ndc.y) * 0.5f * static_cast<float>(screenHeight);
        return true;
    }
    static inline PickHit lastHit;
    static int PickAt(Vec3 p, bool& onScreen) {
        float mx = 0, my = 0;
        onScreen = PointerAt(p, mx, my);
        lastHit = onScreen ? PickSceneObjects(mx, my) : PickHit{};
        return HoverNumber(lastHit, board.cellCount);
    }
};

// A pointer over a known point of each piece picks that piece's cell, from
// the start view, after turning and after zooming in.
TEST_F(ScenePick, PointerOverAPiecePicksItsCell) {
    board.Resize(7, 3, 7);
    board.Clear();
    board.cells[static_cast<size_t>(board.Index(2, 1, 2))] = kindPlainCube;
    board.cells[static_cast<size_t>(board.Index(4, 1, 2))] = 5;   // corner filling +x +z
    board.cells[static_cast<size_t>(board.Index(2, 1, 4))] = 17;  // ramp rising to +z
    board.cells[static_cast<size_t>(board.Index(4, 1, 4))] = kindPlasticBall;
    ASSERT_TRUE(board.AddBall(kindPlasticBall, board.Index(4, 1, 4)));
    board.balls[0].lock = static_cast<int8_t>(BallLock::FixedBall);  // its arrows are not offered
    const struct {
        int x, y, z;
        Vec3 point;  // world
    } cases[] = {
        {2, 1, 2, {2, 0.75f, 2}},
        {4, 1, 2, {4.3f, 0.75f, 2.3f}},
        {2, 1, 4, {2, 0.65f, 4.3f}},
        {4, 1, 4, {4, 0.5f + 1.0f / 12 + 0.3f, 4}},
        {0, 0, 0, {0, 0.25f, 0}},  // empty ground is picked as ground
        {6, 0, 6, {6, 0.25f, 6}},
        {6, 0, 0, {6, 0.25f, 0}},
        {0, 0, 6, {0, 0.25f, 6}},
    };
    const OrbitCamera views[] = {{20, 1, 0}, {12, 0.85f, 2.3f}, {6, 1.4f, -1.2f}, {30, 1.2f, 4}};
    int tried = 0;
    for (const OrbitCamera& view : views) {
        camera = view;
        SetupView(7, 7, 0.0);
        for (const auto& c : cases) {
            bool onScreen = false;
            const int picked = PickAt(c.point, onScreen);
            if (!onScreen) continue;
            ++tried;
            EXPECT_EQ(picked, board.Index(c.x, c.y, c.z)) << c.x << "," << c.y << "," << c.z << " yaw " << view.cameraYaw;
            if (c.point.y == c.y * 0.5f + 0.25f) {  // on the box's top, seen from above
                EXPECT_TRUE(lastHit.entered && lastHit.face == CellFace::PlusY) << c.x << "," << c.y << "," << c.z;
            }
        }
    }
    EXPECT_GE(tried, 28);
    // Through the empty quarter of the corner's cell, the ground below it is picked.
    camera = {20, 1.5f, 0};
    SetupView(7, 7, 0.0);
    bool onScreen = false;
    EXPECT_EQ(PickAt({3.7f, 0.75f, 1.7f}, onScreen), board.Index(4, 0, 2));
}

TEST_F(ScenePick, LaunchArrowsAndStockItems) {
    board.Resize(5, 3, 5);
    board.Clear();
    ASSERT_TRUE(board.AddBall(kindIronBall, board.Index(2, 1, 2)));
    camera = {15, 1.3f, 0.4f};
    SetupView(5, 5, 0.0);
    // The four lie round the ball, just over its top: each is picked on its
    // shaft and on its head, and the ball's own top between them is not.
    const float y = board.balls[0].position.y / 72 + 0.41f;
    const int first = board.cellCount + 20;
    const struct {
        Vec3 point;
        int id;
    } arrows[] = {{{1.38f, y, 2}, first},     {{2, y, 2.62f}, first + 1}, {{2.62f, y, 2}, first + 2},
                  {{2, y, 1.38f}, first + 3}, {{1.25f, y, 2.1f}, first}, {{2.1f, y, 2.75f}, first + 1},
                  {{2.75f, y, 1.9f}, first + 2}, {{1.9f, y, 1.25f}, first + 3}};
    for (const auto& a : arrows) {
        bool onScreen = false;
        EXPECT_EQ(PickAt(a.point, onScreen), a.id) << a.point.x << " " << a.point.z;
    }
    bool overBall = false;
    EXPECT_LT(PickAt({2, board.balls[0].position.y / 72 + 1.0f / 3, 2}, overBall), first) << "the ball's top";
    // The chosen direction's arrow keeps its place beside the ball and answers as the ball's first.
    board.balls[0].direction = static_cast<int8_t>(LaunchDirection::PlusZ);
    for (const Vec3 p : {Vec3{2, y, 2.62f}, Vec3{2.1f, y, 2.75f}}) {
        bool onScreen = false;
        EXPECT_EQ(PickAt(p, onScreen), first) << p.z;
    }
    board.balls[0].direction = static_cast<int8_t>(LaunchDirection::NoDirection);
    // A fixed ball's arrows are not offered on the play screen.
    board.balls[0].lock = static_cast<int8_t>(BallLock::FixedBall);
    bool onScreen = false;
    EXPECT_NE(PickAt(arrows[0].point, onScreen), arrows[0].id);

    // A stock item with none left: only the editor offers it.
    const Vec3 o{0, 5, 0}, down{0, -1, 0};
    const struct {
        GameScreen screen;
        int stock;
        bool picked;
    } stock[] = {{GameScreen::Play, 0, false}, {GameScreen::Play, 2, true}, {GameScreen::Editor, 0, true}};
    for (const auto& s : stock) {
        gameScreen = s.screen;
        board.stock[kindSpringCube] = static_cast<int8_t>(s.stock);
        PickCandidate best;
        EXPECT_EQ(PickStockItem(o, down, {}, kindSpringCube, best), s.picked);
    }
}

// Every kind a player can hold stands in the ring, the four corners and the
// four ramps each grouped round a point of their own: in the editor the
// pointer over each drawn piece picks that item and no other, from turned
// views too; in play only what the stock holds is offered.
TEST_F(ScenePick, TheRingOffersEveryPieceKindRampsIncluded) {
    board.Resize(6, 3, 6);
    board.Clear();
    editTool = EditTool::Build;
    StockRingItem items[stockRingItems];
    for (float yaw : {0.35f, 2.0f, -1.4f}) {
        camera = {21, 1.0f, yaw};
        SetupView(6, 6, 0.0);
        StockRingLayout(ExtentOf(6, 6), yaw, items);
        std::vector<int> kinds;
        for (const StockRingItem& item : items) {
            kinds.push_back(item.kind);
            const Vec3 middle = item.centre + DrawnMiddleOfKind(item.kind);
            bool onScreen = false;
            gameScreen = GameScreen::Editor;
            EXPECT_EQ(PickAt(middle, onScreen), board.cellCount + item.kind) << "kind " << item.kind << " yaw " << yaw;
            EXPECT_TRUE(onScreen);
            gameScreen = GameScreen::Play;
            board.stock[item.kind] = IsRampKind(item.kind) ? 1 : 0;
            EXPECT_EQ(PickAt(middle, onScreen) == board.cellCount + item.kind, IsRampKind(item.kind)) << item.kind;
            board.stock[item.kind] = 0;
        }
        std::sort(kinds.begin(), kinds.end());
        EXPECT_EQ(kinds, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    }
}

// Of two boxes on the ray, the one the ray enters first wins, whichever is
// offered first and even when its mesh lies farther along the ray.
TEST_F(ScenePick, NearerBoxEntryWins) {
    const Vec3 o{-10, 0, 0}, d{1, 0, 0};
    const struct {
        Vec3 firstCentre;
        int firstKind;
        Vec3 secondCentre;
        int secondKind;
        float rayZ;
        int want;  // 1 or 2
    } cases[] = {
        {{3, 0, 0}, 2, {6, 0, 0}, 2, 0.0f, 1},
        {{6, 0, 0}, 2, {3, 0, 0}, 2, 0.0f, 2},
        {{0, 0, 0}, 5, {0.4f, 0, 0}, 2, 0.3f, 1},   // corner entered first, its wedge behind the cube's face
        {{0.4f, 0, 0}, 2, {0, 0, 0}, 5, 0.3f, 2},
        {{0, 0, 0}, 5, {0.4f, 0, 0}, 2, -0.3f, 2},  // the ray misses the wedge
        {{3, 0, 0}, 2, {3, 0, 0}, 2, 0.0f, 1},      // a tie keeps the earlier one
    };
    for (const auto& c : cases) {
        PickCandidate best;
        const Vec3 origin{o.x, o.y, c.rayZ};
        PickBox(origin, d, c.firstCentre, PickHit::Cell(1, CellFace::PlusY), c.firstKind, oneCellBox, best);
        PickBox(origin, d, c.secondCentre, PickHit::Cell(2, CellFace::PlusY), c.secondKind, oneCellBox, best);
        EXPECT_EQ(best.hit.cell, c.want) << c.firstKind << " " << c.rayZ;
        const Vec3 winner = c.want == 1 ? c.firstCentre : c.secondCentre;
        EXPECT_NEAR(best.entryDistanceSquared, (winner.x - 0.5f - o.x) * (winner.x - 0.5f - o.x), 1e-3f);
        EXPECT_TRUE(best.hit.entered && best.hit.face == CellFace::MinusX) << "the ray comes in through -x";
    }
}

// Straight down into a turned corner: only its filled quarter is hit. Along
// z into a turned ramp at a height near the top: only near its high edge.
TEST_F(ScenePick, TurnedElementsKeepTheirShapes) {
    const Vec3 boxMin{-0.5f, -0.25f, -0.5f}, size{1, 0.5f, 1};
    const struct {
        int kind;
        float hitX, hitZ;  // the filled side
    } corners[] = {{3, -0.35f, -0.35f}, {4, -0.35f, 0.35f}, {5, 0.35f, 0.35f}, {6, 0.35f, -0.35f}};
    for (const auto& c : corners) {
        EXPECT_TRUE(MeshRayHit({c.hitX, 5, c.hitZ}, {0, -1, 0}, boxMin, c.kind, size)) << c.kind;
        EXPECT_FALSE(MeshRayHit({-c.hitX, 5, -c.hitZ}, {0, -1, 0}, boxMin, c.kind, size)) << c.kind;
    }
    const struct {
        int kind;
        Vec3 highOrigin, lowOrigin, direction;
    } ramps[] = {
        {16, {-0.45f, 0.2f, -5}, {0.45f, 0.2f, -5}, {0, 0, 1}},
        {18, {0.45f, 0.2f, -5}, {-0.45f, 0.2f, -5}, {0, 0, 1}},
        {17, {-5, 0.2f, 0.45f}, {-5, 0.2f, -0.45f}, {1, 0, 0}},
        {19, {-5, 0.2f, -0.45f}, {-5, 0.2f, 0.45f}, {1, 0, 0}},
    };
    for (const auto& r : ramps) {
        EXPECT_TRUE(MeshRayHit(r.highOrigin, r.direction, boxMin, r.kind, size)) << r.kind;
        EXPECT_FALSE(MeshRayHit(r.lowOrigin, r.direction, boxMin, r.kind, size)) << r.kind;
    }
    EXPECT_FALSE(MeshRayHit({0, 5, 0}, {0, -1, 0}, boxMin, 0, size));   // no mesh for empty
    EXPECT_FALSE(MeshRayHit({0, 5, 0}, {0, -1, 0}, boxMin, 99, size));  // nor beyond the table
}

// A count of 12: the units digit 2, then the tens 1 on its left as the
// camera sees it, the units greener, the tens bluer; a hovered item lights up; more than
// 99 shows 99; none left hides it off the editor.
TEST_F(ScenePick, StockCountDigitsAndTints) {
    board.Resize(5, 3, 5);
    camera.cameraYaw = 0.0f;  // the digits turned by pi to face the camera: the tens at world +x
    const struct {
        int stock, units, tens;
        bool hovered;
    } cases[] = {{12, 2, 1, false}, {120, 9, 9, true}, {0, -1, -1, false}};
    for (const auto& c : cases) {
        board.stock[kindMagnet] = static_cast<int8_t>(c.stock);
        hoveredPick = c.hovered ? PickHit::Stock(kindMagnet) : PickHit{};
        std::vector<ElementDraw> draws;
        AddStockItemDraws(kindMagnet, board.cellCount, 3, 0, 1, draws);
        if (c.units < 0) {
            EXPECT_TRUE(draws.empty());
            continue;
        }
        ASSERT_EQ(draws.size(), 3u);
        EXPECT_EQ(draws[1].slot, indicatorDigitFirst + c.units);
        EXPECT_EQ(draws[2].slot, indicatorDigitFirst + c.tens);
        EXPECT_GT(draws[2].world.m[3][0], draws[1].world.m[3][0]);
        EXPECT_GT(draws[1].world.m[3][1], draws[0].world.m[3][1]) << "the digits float above the item";
        EXPECT_GT(draws[1].ambient[1], draws[1].ambient[0]) << "the units greener";
        EXPECT_GT(draws[2].ambient[2], draws[2].ambient[1]) << "the tens bluer";
        EXPECT_EQ(draws[0].ambient[0] > 1.0f, c.hovered);
    }
}

// What the cells draw: ground under the whole bottom layer, the player's
// pieces greener, balls from the ball list, a held piece see-through in its
// own colours where it would go (a ball floating) beside the lit cell pointed
// at, and on the menu only as much of the board as has built up.
TEST_F(ScenePick, CellsDrawInOrderWithGroundAndPreview) {
    board.Resize(2, 2, 1);
    board.Clear();
    board.cells[static_cast<size_t>(board.Index(1, 0, 0))] = kindPlainCube;
    board.cells[static_cast<size_t>(board.Index(0, 1, 0))] = kindMagnet | cellPlayerPiece;
    board.cells[static_cast<size_t>(board.Index(1, 1, 0))] = kindBomb;
    std::vector<ElementDraw> draws;
    auto slots = [&] {
        CollectSceneDraws(ExtentOf(2, 1), draws);
        std::vector<int> out;
        for (const ElementDraw& d : draws) out.push_back(d.slot);
        return out;
    };
    EXPECT_EQ(slots(), (std::vector<int>{kindGroundCube, kindMagnet, kindGroundCube}));
    EXPECT_FLOAT_EQ(draws[1].ambient[0], -0.3f);
    editTool = EditTool::Build;
    heldKind = kindIronBall;
    previewCell = board.Index(1, 1, 0);
    hoveredPick = PickHit::Cell(board.Index(1, 0, 0), CellFace::PlusY);
    EXPECT_EQ(slots(), (std::vector<int>{kindGroundCube, kindMagnet, kindGroundCube, kindIronBall}));
    EXPECT_FLOAT_EQ(draws[3].world.m[3][1], (1.0f + 1.0f / 6.0f) * 0.5f);
    EXPECT_LT(draws[3].ambient[1], 1.0f) << "the held ball in its own colours";
    EXPECT_LT(draws[3].alpha, 1.0f) << "and see-through";
    EXPECT_EQ(draws[3].cell, -1) << "hiding no neighbour's face";
    EXPECT_FLOAT_EQ(draws[2].ambient[1], draws[0].ambient[1] + 6.0f) << "the cell pointed at lights up";
    EXPECT_FLOAT_EQ(draws[1].alpha, 1.0f);
    // A held corner stands turned as it will be placed, in the player's green.
    heldKind = 5;
    previewCell = board.Index(0, 1, 0);
    hoveredPick = PickHit::Cell(board.Index(0, 0, 0), CellFace::PlusY);
    EXPECT_EQ(slots(), (std::vector<int>{kindGroundCube, 3, kindGroundCube}));
    EXPECT_EQ(draws[1].quarterTurns, 2);
    EXPECT_LT(draws[1].alpha, 1.0f);
    EXPECT_FLOAT_EQ(draws[2].alpha, 1.0f) << "the draws after it stay opaque";
    EXPECT_FLOAT_EQ(draws[1].ambient[0], elementMeshes[3].materials[0].ambient[0] - 0.3f);
    EXPECT_GE(draws[0].ambient[0], 6.0f);
    hoveredPick = PickHit{};
    editTool = EditTool::Delete;
    gameScreen = GameScreen::MainMenu;
    demoFade = 0.4f;  // the cells numbered up to 4 * 0.4
    EXPECT_EQ(slots(), (std::vector<int>{kindGroundCube, kindMagnet}));
}

// Heights read from the shading: the floor darkens towards a wall's foot and
// below the highest layer, the wall's top keeps its light, and the shading
// follows the board when it changes.
TEST_F(ScenePick, LowerCellsAndWallFeetAreShadedDarker) {
    board.Resize(3, 2, 1);
    board.Clear();
    board.cells[static_cast<size_t>(board.Index(0, 1, 0))] = kindPlainCube;
    std::vector<ElementDraw> draws;
    auto shadeOf = [&](int x, int y) {
        CollectSceneDraws(ExtentOf(3, 1), draws);
        for (const ElementDraw& d : draws)
            if (d.cell == board.Index(x, y, 0)) return std::vector<float>(d.shade, d.shade + 4);
        return std::vector<float>{};
    };
    EXPECT_EQ(shadeOf(0, 1), (std::vector<float>{1, 1, 1, 1})) << "the wall's top";
    const std::vector<float> foot = shadeOf(1, 0), open = shadeOf(2, 0);
    ASSERT_EQ(foot.size(), 4u);
    EXPECT_LT(foot[0], foot[1]) << "the corners on the wall's side";
    EXPECT_EQ(foot[0], foot[2]);
    EXPECT_EQ(foot[1], open[0]);
    EXPECT_LT(open[3], 1.0f) << "a layer below the wall's top";
    board.cells[static_cast<size_t>(board.Index(0, 1, 0))] = kindEmpty;
    EXPECT_EQ(shadeOf(1, 0), (std::vector<float>{1, 1, 1, 1})) << "the wall taken away";
}

}  // namespace
