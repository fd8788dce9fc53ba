// The sixty built-in puzzles, played in order the way a player plays them:
// with the pointer alone. Each step moves the pointer over what is drawn (a
// button of the layout, a stock item of the ring, a face of a cell, a launch
// arrow, projected through the camera at the puzzle's stored view) and clicks
// once the game's own hit testing and picking show the wanted thing lit.
// Start from the list, take each piece of the recorded solution from the ring,
// put it down, set the arrows, roll, win, next; the progress file ends all solved.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "app_fixture.h"
#include "gfx/device.h"
#include "gfx/matrix.h"
#include "scene/camera.h"
#include "scene/element_meshes.h"
#include "scene/picking.h"
#include "scene/scene_render.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"
#include "ui/interface.h"
#include "ui/screens.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

struct ScreenPoint {
    float x = 0, y = 0;
    bool onScreen = false;
};

// The screen point where world point p is drawn in the last view set up.
ScreenPoint Project(Vec3 p) {
    const Vec3 ndc = TransformCoord(p, MatrixMultiply(sceneView.view, sceneView.projection));
    ScreenPoint s;
    s.x = (ndc.x + 1.0f) * 0.5f * static_cast<float>(screenWidth);
    s.y = (1.0f - ndc.y) * 0.5f * static_cast<float>(screenHeight);
    s.onScreen = ndc.x > -1 && ndc.x < 1 && ndc.y > -1 && ndc.y < 1 && ndc.z > 0 && ndc.z < 1;
    return s;
}

// The recorded solution of a built-in puzzle.
LevelData Solution(const std::string& name) {
    std::vector<uint8_t> text;
    const std::string path = std::string(TUMBLEON_SOURCE_DIR) + "/data/puzzles/" + name + ".solution.txt";
    EXPECT_TRUE(ReadWholeFile(path, 1 << 20, text)) << path;
    LevelData level;
    std::string error;
    EXPECT_TRUE(CompileLevel(std::string(text.begin(), text.end()), level, error)) << path << ": " << error;
    return level;
}

// Where a ball's arrow stands: one of the four while the ball waits for a
// direction, else its chosen one, or the four-way one over a ball without.
Vec3 ArrowPlace(const Ball& ball, int arrow, bool fourWay) {
    const bool chosen = ball.direction >= 1 && ball.direction <= 4;
    return LaunchArrowPlace(ball.position, fourWay ? arrow : chosen ? ball.direction - 1 : -1);
}

class PuzzleReplay : public AppTest {
protected:
    static void SetUpTestSuite() { LoadElementMeshes(TUMBLEON_BUILD_DIR); }
    static void TearDownTestSuite() { DestroySceneMeshes(); }

    void SetUp() override {
        AppTest::SetUp();
        std::filesystem::create_directory_symlink(std::string(TUMBLEON_BUILD_DIR) + "/adatok", folder + "/adatok");
        LoadInterfaceSizes();
        platformHooks.updateHover = UpdateHover;
        frameHooks.pickScene = PickScene;
    }
    void TearDown() override {
        frameHooks = FrameHooks{};
        AppTest::TearDown();
    }

    // ---- The pointer ----

    // A drawn frame's camera step and view, which the picking reads.
    static void StepCameraAndView() {
        const FrameExtent extent = StepCamera();
        SetupView(extent.width, extent.depth, fakeNow);
    }
    // A drawn frame's camera work, then the pointer moved to (x, y).
    void MoveTo(float x, float y) {
        StepCameraAndView();
        WindowProc(Message::Mouse(MessageType::MouseMove, int(x), int(y)));
    }
    void ClickHere() {
        const int x = int(pointerX), y = int(pointerY);
        WindowProc(Message::Mouse(MessageType::LeftButtonDown, x, y));
        WindowProc(Message::Mouse(MessageType::LeftButtonUp, x, y));
    }

    // Moves the pointer onto world point p, and round it by a few pixels at a
    // time as a player would, until the game shows what `lit` looks for.
    bool PointAt(Vec3 p, const std::function<bool()>& lit) {
        StepCameraAndView();
        const ScreenPoint s = Project(p);
        if (!s.onScreen) return false;
        static const float rings[] = {0, 3, 6, 10, 15};
        static const float dirs[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
        for (float r : rings)
            for (const auto& d : dirs) {
                const float x = s.x + r * d[0], y = s.y + r * d[1];
                if (x < 0 || y < 0 || x >= float(screenWidth) || y >= float(screenHeight)) continue;
                MoveTo(x, y);
                if (lit()) return true;
                if (r == 0) break;
            }
        return false;
    }

    // Moves onto a 2D control where the hit testing finds it, and clicks it.
    bool ClickControl(int control) {
        if (!PointerOnto(control)) return false;
        ClickHere();
        return true;
    }
    bool ClickControl(ControlId id) { return ClickControl(Id(id)); }

    // ---- The list ----

    // From wherever the game is, back to the list and onto puzzle i's row.
    bool OpenFromList(int i) {
        if (gameScreen == GameScreen::Run && !ClickControl(dialogState != DialogState::None ? ControlId::DialogMenu
                                                                                          : ControlId::Stop))
            return false;
        if (gameScreen == GameScreen::Play && !ClickControl(ControlId::Exit)) return false;
        if (gameScreen == GameScreen::MainMenu && menuPage == MenuPage::Main && !ClickControl(ControlId::MainStart))
            return false;
        if (gameScreen != GameScreen::MainMenu || menuPage != MenuPage::PuzzleSelect) return false;
        for (int pages = 0; pages < 6 && i >= currentPuzzle + 10; ++pages)
            if (!ClickControl(ControlId::SelectPageDown)) return false;
        for (int pages = 0; pages < 6 && i < currentPuzzle; ++pages)
            if (!ClickControl(ControlId::SelectPageUp)) return false;
        if (!ClickControl(Id(ControlId::PuzzleRowFirst) + i)) return false;
        return gameScreen == GameScreen::Play && currentPuzzle == i;
    }

    // ---- Pieces ----

    // Takes a piece of `kind` from the stock ring.
    bool TakeFromRing(int kind) {
        StockRingItem items[stockRingItems];
        StockRingLayout(ExtentOf(float(board.sizeX), float(board.sizeZ)), camera.cameraYaw, items);
        for (const StockRingItem& item : items) {
            if (item.kind != kind) continue;
            if (!PointAt(item.centre + DrawnMiddleOfKind(kind), [&] { return HoveredNumber() == board.cellCount + kind; }))
                return false;
            ClickHere();
            return heldKind == kind;
        }
        return false;
    }

    // Clicking the held piece's own item puts it back.
    bool PutBack(int kind) {
        TakeFromRing(kind);
        return heldKind == 0;
    }

    // Takes a piece from the ring and builds it into cell (x, y, z) across a
    // face of a neighbour that holds something; false when no face the
    // pointer reaches puts it there.
    bool PutDown(int kind, int x, int y, int z) {
        static const int faces[6][3] = {{0, 1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}};
        const int target = board.Index(x, y, z);
        for (const auto& f : faces) {
            const int nx = x - f[0], ny = y - f[1], nz = z - f[2];
            if (!board.Contains(nx, ny, nz) || (ny > 0 && CellValue(nx, ny, nz) == 0)) continue;
            if (IsBallKind(kind) && f[1] != 1) continue;  // balls go onto the top of a start cube
            if (!TakeFromRing(kind)) return false;
            // Over the face, middle first, then towards its edges where the
            // middle is hidden; the preview shows where the click would build.
            const Vec3 half{0.5f * cellSpacingX, 0.5f * cellSpacingY, 0.5f * cellSpacingZ};
            const Vec3 middle = WorldFromCell(nx, ny, nz) + Vec3{half.x * float(f[0]), half.y * float(f[1]), half.z * float(f[2])};
            // Two directions across the face.
            const Vec3 u = f[0] != 0 ? Vec3{0, half.y, 0} : Vec3{half.x, 0, 0};
            const Vec3 v = f[2] != 0 ? Vec3{0, half.y, 0} : Vec3{0, 0, half.z};
            static const float across[] = {0.0f, 0.5f, -0.5f, 0.85f, -0.85f};
            for (float a : across)
                for (float b : across) {
                    const Vec3 p = middle + u * a + v * b;
                    if (PointAt(p, [&] { return HoveredNumber() == board.Index(nx, ny, nz) && previewCell == target; })) {
                        ClickHere();
                        return heldKind == 0 && KindOfValue(int8_t(CellValue(x, y, z))) == kind;
                    }
                }
            if (!PutBack(kind)) return false;
        }
        return false;
    }

    // How long one of the four arrows is drawn, tail to tip, in pixels: the
    // arrow mesh points along -x.
    static float ArrowLengthOnScreen(const Ball& ball, int arrow) {
        StepCameraAndView();
        float lo = 0, hi = 0;
        for (const MeshVertex& v : elementMeshes[indicatorArrow].master->vertices) {
            lo = std::min(lo, v.position.x);
            hi = std::max(hi, v.position.x);
        }
        static const float dx[4] = {-1, 0, 1, 0}, dz[4] = {0, 1, 0, -1};
        const Vec3 at = ArrowPlace(ball, arrow, true);
        const ScreenPoint tail = Project({at.x - dx[arrow] * hi, at.y, at.z - dz[arrow] * hi});
        const ScreenPoint tip = Project({at.x - dx[arrow] * lo, at.y, at.z - dz[arrow] * lo});
        return std::hypot(tip.x - tail.x, tip.y - tail.y);
    }
    float shortestArrow = 1e9f;

    // Sets ball b's direction with its arrows: a ball still to be aimed shows
    // one four-way arrow; a click opens the four, the next chooses one.
    bool Aim(int b, int wanted) {
        for (int click = 0; click < 3 && board.balls[b].direction != wanted; ++click) {
            const Ball& ball = board.balls[b];
            const bool fourWay = ball.direction == int8_t(LaunchDirection::NoDirection);
            const int arrow = fourWay ? wanted - 1 : 0;
            const int id = board.cellCount + stockSlotCount + arrowsPerBall * b + arrow;
            if (fourWay) shortestArrow = std::min(shortestArrow, ArrowLengthOnScreen(ball, arrow));
            if (!PointAt(ArrowPlace(ball, arrow, fourWay), [&] { return HoveredNumber() == id; })) return false;
            ClickHere();
        }
        return board.balls[b].direction == wanted;
    }

    // Puts down the solution's pieces, balls last in the solution's order, and
    // chooses every direction with the launch arrows.
    ::testing::AssertionResult Prepare(const Board& solution) {
        std::vector<int> pending;
        for (int i = 0; i < board.cellCount; ++i)
            if (board.cells[size_t(i)] == 0 && solution.cells[size_t(i)] > cellPlayerPiece) pending.push_back(i);
        // A piece may rest on another: keep going round while something goes down.
        for (bool progress = true; progress && !pending.empty();) {
            progress = false;
            for (size_t k = 0; k < pending.size();) {
                int x, y, z;
                board.CellOf(pending[k], x, y, z);
                if (PutDown(solution.cells[size_t(pending[k])] - cellPlayerPiece, x, y, z)) {
                    pending.erase(pending.begin() + long(k));
                    progress = true;
                } else {
                    ++k;
                }
            }
        }
        if (!pending.empty())
            return ::testing::AssertionFailure()
                   << "piece of kind " << solution.cells[size_t(pending[0])] - cellPlayerPiece << " not put down";
        const int ownBalls = board.ballCount;
        std::vector<int> wanted(size_t(ownBalls), 0);
        for (int s = 0; s < solution.ballCount; ++s) {
            const Ball& ball = solution.balls[s];
            if (ball.lock == int8_t(BallLock::PlayerBall)) {
                const int x = int(ball.position.x / 36.0f), z = int(ball.position.z / 36.0f);
                const int y = int((ball.position.y - ballPlacingLift) / 36.0f);
                if (!PutDown(ball.kind, x, y, z)) return ::testing::AssertionFailure() << "ball " << s << " not put down";
                wanted.push_back(ball.direction);
                continue;
            }
            for (int b = 0; b < ownBalls; ++b)
                if (board.balls[b].position.x == ball.position.x && board.balls[b].position.y == ball.position.y &&
                    board.balls[b].position.z == ball.position.z)
                    wanted[size_t(b)] = ball.direction;
        }
        for (int b = 0; b < board.ballCount; ++b)
            if (board.balls[b].lock != int8_t(BallLock::FixedBall) && !Aim(b, wanted[size_t(b)]))
                return ::testing::AssertionFailure() << "ball " << b << " not aimed";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(PuzzleReplay, EveryPuzzleIsWonWithThePointerInOrderAndTheProgressFileSaysSo) {
    BuildCollisionShapes();
    StartProgress();
    gameScreen = GameScreen::MainMenu;
    menuPage = MenuPage::Main;
    for (int i = 0; i < builtInPuzzleCount; ++i) {
        SCOPED_TRACE(puzzleNames[i]);
        // KÖVETKEZŐ leads here while every puzzle before was won; else the list does.
        if (!(gameScreen == GameScreen::Play && currentPuzzle == i)) {
            ASSERT_TRUE(OpenFromList(i));
        }
        const LevelData solution = Solution(puzzleNames[i]);
        ASSERT_EQ(board.cellCount, solution.board.cellCount);
        const auto prepared = Prepare(solution.board);
        EXPECT_TRUE(prepared);
        if (!prepared) continue;
        ASSERT_TRUE(ClickControl(ControlId::Roll));
        ASSERT_EQ(gameScreen, GameScreen::Run);
        // The frame driver takes the steps of each 100 ms frame; the goal check ends the run.
        for (int frame = 0; frame < 1000 && dialogState == DialogState::None; ++frame) {
            fakeNow += 100.0;
            FrameStep();
        }
        const bool won = dialogState == DialogState::PuzzleSolved || dialogState == DialogState::AllSolved;
        EXPECT_TRUE(won) << "the run did not win";
        if (dialogState == DialogState::PuzzleSolved) {
            ASSERT_TRUE(ClickControl(ControlId::DialogNext));
        }
    }
    std::vector<uint8_t> score;
    ASSERT_TRUE(ReadWholeFile(Path("score.dat"), 1 << 10, score));
    EXPECT_EQ(score, std::vector<uint8_t>(builtInPuzzleCount, 1));
    // Every ball's four arrows read at its puzzle's stored view: 20 pixels or
    // more from tail to tip on the 1024 x 768 screen (the shortest is 23.7).
    EXPECT_GE(shortestArrow, 20.0f);
}

}  // namespace

namespace {

// Every stock item of each puzzle, and every cell its recorded solution puts
// a piece in, is wholly on the screen at the puzzle's stored view, on the
// screens the options page offers most.
TEST(PuzzleViews, EveryStockItemAndSolutionCellIsOnScreen) {
    const int screens[3][2] = {{640, 480}, {1024, 768}, {1280, 720}};
    for (int i = 0; i < builtInPuzzleCount; ++i) {
        SCOPED_TRACE(puzzleNames[i]);
        const LevelData solution = Solution(puzzleNames[i]);
        LevelData puzzle;
        std::string error;
        std::vector<uint8_t> text;
        ASSERT_TRUE(ReadWholeFile(std::string(TUMBLEON_SOURCE_DIR) + "/data/puzzles/" + puzzleNames[i] + ".txt", 1 << 20, text));
        ASSERT_TRUE(CompileLevel(std::string(text.begin(), text.end()), puzzle, error)) << error;
        Board prepared{1, 1, 1};
        prepared.CopyFrom(puzzle.board);
        prepared.PrepareForPlay();
        camera = puzzle.camera;
        // The corners of a cell's box.
        auto boxOnScreen = [](Vec3 centre) {
            for (int corner = 0; corner < 8; ++corner) {
                const Vec3 p = centre + Vec3{(corner & 1 ? 0.5f : -0.5f) * cellSpacingX,
                                             (corner & 2 ? 0.5f : -0.5f) * cellSpacingY,
                                             (corner & 4 ? 0.5f : -0.5f) * cellSpacingZ};
                if (!Project(p).onScreen) return false;
            }
            return true;
        };
        for (const auto& s : screens) {
            screenWidth = s[0];
            screenHeight = s[1];
            SetupView(float(prepared.sizeX), float(prepared.sizeZ), 0.0);
            StockRingItem items[stockRingItems];
            StockRingLayout(ExtentOf(float(prepared.sizeX), float(prepared.sizeZ)), camera.cameraYaw, items);
            for (const StockRingItem& item : items) {
                if (prepared.stock[item.kind] > 0) {
                    EXPECT_TRUE(boxOnScreen(item.centre)) << "stock item " << item.kind << " at " << s[0] << "x" << s[1];
                }
            }
            for (int c = 0; c < prepared.cellCount; ++c) {
                if (solution.board.cells[size_t(c)] == prepared.cells[size_t(c)]) continue;
                int x, y, z;
                prepared.CellOf(c, x, y, z);
                EXPECT_TRUE(boxOnScreen(WorldFromCell(x, y, z))) << "cell " << x << "," << y << "," << z << " at " << s[0] << "x" << s[1];
            }
        }
    }
    ResetGameState();
}

}  // namespace
