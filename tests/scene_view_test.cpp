// Matrices against the device's documented formulas, and the orbit camera's
// extent, zoom limits, view and light.
#include <gtest/gtest.h>

#include <cmath>

#include "app/game_state.h"
#include "app/messages.h"
#include "gfx/matrix.h"
#include "scene/camera.h"

namespace {

void ExpectNear(Vec3 got, Vec3 want, float tolerance = 1e-5f) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

void ExpectMatrix(const Matrix4& got, const float (&want)[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.m[r][c], want[r][c], 1e-6f) << "row " << r << " column " << c;
}

TEST(SceneMatrix, RotationsTurnClockwiseLookingDownTheirAxis) {
    const float q = 1.5707964f;
    struct Case {
        Matrix4 m;
        Vec3 in, out;
    } cases[] = {
        {MatrixRotationX(q), {0, 1, 0}, {0, 0, 1}},
        {MatrixRotationY(q), {1, 0, 0}, {0, 0, -1}},
        {MatrixRotationY(q), {0, 0, 1}, {1, 0, 0}},
        {MatrixRotationZ(q), {1, 0, 0}, {0, 1, 0}},
        {MatrixScaling(2, 3, 4), {1, 1, 1}, {2, 3, 4}},
    };
    for (const Case& c : cases) ExpectNear(TransformNormal(c.in, c.m), c.out);
    // A chain applies left to right: turn first, then move.
    const Matrix4 chain = MatrixMultiply(MatrixRotationY(q), MatrixTranslation(5, 0, 0));
    ExpectNear(TransformCoord({1, 0, 0}, chain), {5, 0, -1});
    ExpectNear(TransformNormal({1, 0, 0}, chain), {0, 0, -1});
}

TEST(SceneMatrix, LookAtAndPerspectiveHaveTheDocumentedEntries) {
    // From +x towards the origin: the camera's x axis is world +z.
    const float view[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}};
    ExpectMatrix(MatrixLookAtLH({10, 0, 0}, {0, 0, 0}, {0, 1, 0}), view);
    // fov pi/2, aspect 2, depth 1..11.
    const float projection[4][4] = {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1.1f, 1}, {0, 0, -1.1f, 0}};
    const Matrix4 p = MatrixPerspectiveFovLH(1.5707964f, 2.0f, 1.0f, 11.0f);
    ExpectMatrix(p, projection);
    // For OpenGL near and far depth land on -1 and 1; x and y stay the device's.
    const Matrix4 gl = MatrixToGlClip(p);
    EXPECT_NEAR(TransformCoord({0.3f, -0.2f, 1.0f}, gl).z, -1.0f, 1e-6f);
    EXPECT_NEAR(TransformCoord({0.3f, -0.2f, 11.0f}, gl).z, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(TransformCoord({0.3f, -0.2f, 5.0f}, gl).x, TransformCoord({0.3f, -0.2f, 5.0f}, p).x);
}

TEST(SceneMatrix, InverseUndoesAndRefusesASingularMatrix) {
    const Matrix4 m = MatrixMultiply(MatrixMultiply(MatrixRotationX(0.3f), MatrixScaling(2, 0.5f, 3)),
                                     MatrixLookAtLH({3, 7, -4}, {1, 0, 2}, {0, 1, 0}));
    Matrix4 inverse;
    ASSERT_TRUE(MatrixInverse(m, inverse));
    const Matrix4 product = MatrixMultiply(m, inverse);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
    Matrix4 untouched = MatrixTranslation(1, 2, 3);
    EXPECT_FALSE(MatrixInverse(MatrixScaling(1, 0, 1), untouched));
    EXPECT_EQ(untouched, MatrixTranslation(1, 2, 3));
}

// ---- Camera ----

class SceneCamera : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetCameraEasing();
    }
    void TearDown() override { ResetGameState(); }
};

TEST_F(SceneCamera, DistanceStaysWithinTheBoardsLimits) {
    struct Case {
        float width, depth, start;
        bool up, down;
        float want;
    } cases[] = {
        {1, 1, 2.1f, true, false, 2.0f},      // 1 x 1: r = 1, at least 2
        {1, 1, 3.4f, false, true, 3.55f},     // ... at most 3.55
        {20, 20, 40.0f, false, false, 37.275f},  // r = 10.5
        {20, 20, 10.0f, true, true, 10.0f},   // both keys: no change
        {20, 20, 10.0f, true, false, 9.65f},
    };
    for (const Case& c : cases) {
        camera.cameraDistance = c.start;
        keyDown[static_cast<int>(KeyCode::Up)] = c.up;
        keyDown[static_cast<int>(KeyCode::Down)] = c.down;
        ZoomStep(ExtentOf(c.width, c.depth));
        EXPECT_NEAR(camera.cameraDistance, c.want, 1e-4f) << c.width << " " << c.start;
    }
}

TEST_F(SceneCamera, MenuEasesToANewBoardFromTheLastExtent) {
    gameScreen = GameScreen::MainMenu;
    board.Resize(10, 4, 6);
    // The first board after start-up comes in from 20 x 20.
    FrameExtent e = EaseExtent();
    EXPECT_FLOAT_EQ(resizeBlend, 1.0f);
    EXPECT_FLOAT_EQ(e.width, 20.0f);
    EXPECT_FLOAT_EQ(e.depth, 20.0f);
    // A quarter of the way the sine ease has moved the camera 0.146 of the distance.
    resizeBlend = 0.75f;
    e = EaseExtent();
    EXPECT_NEAR(e.width, 18.535534f, 1e-4f);
    EXPECT_NEAR(e.depth, 17.949747f, 1e-4f);
    // A second board mid-way starts from where the camera is.
    board.Resize(30, 4, 30);
    e = EaseExtent();
    EXPECT_NEAR(e.width, 18.535534f, 1e-4f);
    EXPECT_NEAR(e.depth, 17.949747f, 1e-4f);
    resizeBlend = 0.0f;
    e = EaseExtent();
    EXPECT_FLOAT_EQ(e.width, 30.0f);
    // Off the menu the board's own extent.
    gameScreen = GameScreen::Play;
    board.Resize(7, 4, 9);
    resizeBlend = 0.7f;
    EXPECT_FLOAT_EQ(EaseExtent().cx, 3.0f);
    // Under test the picture is frozen: a new board on the menu is framed at once.
    gameScreen = GameScreen::MainMenu;
    pictureFrozen = true;
    board.Resize(12, 4, 5);
    EXPECT_FLOAT_EQ(EaseExtent().width, 12.0f);
}

TEST_F(SceneCamera, ViewLooksAtTheCentreAndTheLightCircles) {
    camera = {25.0f, 0.7f, 2.0f};
    SetupView(11, 7, 0.0);
    const Matrix4 both = MatrixMultiply(sceneView.view, sceneView.projection);
    // The board's centre lands on the middle of the screen.
    const Vec3 centre = TransformCoord({5, 0, 3}, both);
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
    ExpectNear(sceneView.eye - Vec3{5, 0, 3}, Vec3{25 * std::cos(0.7f) * std::sin(2.0f), 25 * std::sin(0.7f),
                                                     25 * std::cos(0.7f) * std::cos(2.0f)}, 1e-4f);
    EXPECT_FLOAT_EQ(sceneView.projection.m[0][0] * 1024.0f / 768.0f, sceneView.projection.m[1][1]);
    ExpectNear(sceneView.lightPosition, {5, 10, 6});
    SetupView(11, 7, 3141.5927 / 2);
    ExpectNear(sceneView.lightPosition, {10, 10, 3}, 1e-4f);
    SetupView(1, 1, 1234.0);
    ExpectNear(sceneView.lightPosition, {0, 10, 0});
}

}  // namespace
