// The scene's shader on a real OpenGL context (SDL's offscreen driver with
// Mesa): the lighting a fixed pipeline gives, front faces, and instanced
// draws against the same instances drawn one by one.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/game_state.h"
#include "app/video_settings.h"
#include "gfx/device.h"
#include "gfx/matrix.h"
#include "gfx/scene_renderer.h"
#include "platform/platform.h"
#include "scene/debris.h"
#include "scene/element_meshes.h"
#include "scene/scene_draw.h"
#include "scene/scene_render.h"

#if defined(__SANITIZE_ADDRESS__)
#define SCENE_GL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCENE_GL_UNDER_SANITIZER 1
#endif
#endif

namespace {

struct QuadVertex {
    float position[3], normal[3], uv[2];
};

int width = 0, height = 0;
SceneMeshBuffers quad;
const uint16_t clockwise[] = {0, 1, 2, 0, 2, 3};
const uint16_t counterClockwise[] = {0, 2, 1, 0, 3, 2};
SceneMeshBuffers backQuad;

class SceneRender : public ::testing::Test {
protected:
    static bool ready;
    static void SetUpTestSuite() {
#ifndef SCENE_GL_UNDER_SANITIZER
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::string message;
        if (StartPlatform(message)) {
            const std::vector<DisplayMode> modes = EnumerateDisplayModes();
            ready = !modes.empty() && OpenGameWindow(modes.front(), false, message);
            if (ready) {
                WindowSize(width, height);
                ready = StartDevice(width, height, message) && StartSceneRenderer(message);
            }
        }
        unsetenv("SDL_VIDEODRIVER");
        // A unit square in z = 0 facing -z, its corners clockwise as seen from -z.
        const QuadVertex v[4] = {{{-0.5f, 0.5f, 0}, {0, 0, -1}, {0, 0}},
                                 {{0.5f, 0.5f, 0}, {0, 0, -1}, {1, 0}},
                                 {{0.5f, -0.5f, 0}, {0, 0, -1}, {1, 1}},
                                 {{-0.5f, -0.5f, 0}, {0, 0, -1}, {0, 1}}};
        if (ready) ready = CreateSceneMesh(v, 4, clockwise, 6, nullptr, quad) &&
                        CreateSceneMesh(v, 4, counterClockwise, 6, nullptr, backQuad);
#endif
    }
    static void TearDownTestSuite() {
        ReleaseSceneMesh(quad);
        ReleaseSceneMesh(backQuad);
        StopSceneRenderer();
        StopDevice();
        CloseGameWindow();
        StopPlatform();
    }
    void SetUp() override {
        if (!ready) GTEST_SKIP() << "no OpenGL 3.3 context (or running under the sanitizers)";
        ClearFrame(0xFF000000);
    }
    // The camera 5 units in front of the square, looking at it along +z.
    static void Begin(Vec3 light) {
        const Matrix4 view = MatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
        const Matrix4 projection =
            MatrixPerspectiveFovLH(0.785398f, static_cast<float>(width) / static_cast<float>(height), 1.0f, 100.0f);
        BeginScene(view, projection, light);
    }
    static std::vector<uint8_t> Frame() {
        std::vector<uint8_t> rgba;
        ReadScenePixels(0, 0, width, height, rgba);
        return rgba;
    }
    static std::vector<uint8_t> Centre() {
        std::vector<uint8_t> rgba;
        ReadScenePixels(width / 2, height / 2, 1, 1, rgba);
        return rgba;
    }
};
bool SceneRender::ready = false;

SceneInstance At(float x, float y, float z, float scale = 1.0f) {
    SceneInstance i;
    i.world = MatrixScaling(scale, scale, scale);
    i.world.m[3][0] = x;
    i.world.m[3][1] = y;
    i.world.m[3][2] = z;
    return i;
}

TEST_F(SceneRender, LightsAsTheFixedPipeline) {
    SceneMaterial m;
    const float diffuse[4] = {0.5f, 0.25f, 0.1f, 1.0f}, ambient[4] = {0.05f, 0.0f, 0.1f, 1.0f},
                emissive[4] = {0.0f, 0.1f, 0.0f, 0.0f};
    std::copy(diffuse, diffuse + 4, m.diffuse);
    std::copy(ambient, ambient + 4, m.ambient);
    std::copy(emissive, emissive + 4, m.emissive);
    // Every corner lies sqrt(100.5) from the light on the square's axis, so
    // the whole square has one colour: emissive + ambient (1 + a) + diffuse
    // cos a, with a = 1 / (0.008 d^2).
    const float d2 = 100.5f, a = 1.0f / (0.008f * d2), c = 10.0f / std::sqrt(d2);
    struct Case {
        const char* what;
        Vec3 light;
        bool lit;
        float r, g, b;
    } cases[] = {
        {"lit", {0, 0, -10}, true, 0.05f * (1 + a) + 0.5f * c * a, 0.1f + 0.25f * c * a, 0.1f * (1 + a) + 0.1f * c * a},
        {"beyond the light's range", {0, 0, -600}, true, 0.05f, 0.1f, 0.1f},
        {"lighting off", {0, 0, -10}, false, 1.0f, 1.0f, 1.0f},
    };
    for (const Case& k : cases) {
        ClearFrame(0xFF000000);
        Begin(k.light);
        SetSceneLighting(k.lit);
        const SceneInstance one = At(0, 0, 0);
        DrawSceneInstances(quad, 0, 6, m, 0, &one, 1, false);
        const std::vector<uint8_t> p = Centre();
        EndScene();
        EXPECT_NEAR(p[0], k.r * 255.0f, 2.0f) << k.what;
        EXPECT_NEAR(p[1], k.g * 255.0f, 2.0f) << k.what;
        EXPECT_NEAR(p[2], k.b * 255.0f, 2.0f) << k.what;
    }
}

TEST_F(SceneRender, ClockwiseFacesAreFrontFacesAndTheInstanceAmbientTints) {
    SceneMaterial m;  // white diffuse, no ambient
    SceneInstance one = At(0, 0, 0);
    one.ambient[0] = 6.0f;  // a highlight: red saturates even far from the light
    Begin({0, 0, -600});
    DrawSceneInstances(backQuad, 0, 6, m, 0, &one, 1, true);
    EXPECT_EQ(Centre()[0], 0) << "a counter-clockwise face is a back face";
    DrawSceneInstances(quad, 0, 6, m, 0, &one, 1, true);
    const std::vector<uint8_t> p = Centre();
    EndScene();
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0) << "only the instance's ambient channel lights, not the material's";
}

TEST_F(SceneRender, InstancedDrawsGiveThePictureOfDrawsOneByOne) {
    // More instances than one stream holds, after other draws have used part
    // of it, overlapping in depth and with an ambient colour each.
    std::vector<SceneInstance> instances;
    for (int i = 0; i < 14000; ++i) {
        SceneInstance s = At(static_cast<float>(i % 100) * 0.06f - 3.0f, static_cast<float>(i / 100) * 0.03f - 2.0f,
                             static_cast<float>(i % 7) * 0.1f, 0.1f);
        s.ambient[0] = static_cast<float>(i % 5) * 0.2f;
        s.ambient[2] = static_cast<float>(i % 3) * 0.3f;
        instances.push_back(s);
    }
    SceneMaterial m;
    m.diffuse[1] = 0.5f;
    const SceneInstance background = At(0, 0, 2, 10.0f);

    Begin({0, 0, -10});
    DrawSceneInstances(quad, 0, 6, m, 0, &background, 1, false);
    DrawSceneInstances(quad, 0, 6, m, 0, instances.data(), static_cast<int>(instances.size()), true);
    const std::vector<uint8_t> instanced = Frame();
    EndScene();

    ClearFrame(0xFF000000);
    Begin({0, 0, -10});
    DrawSceneInstances(quad, 0, 6, m, 0, &background, 1, false);
    for (const SceneInstance& s : instances) DrawSceneInstances(quad, 0, 6, m, 0, &s, 1, true);
    const std::vector<uint8_t> oneByOne = Frame();
    EndScene();
    ASSERT_EQ(instanced.size(), oneByOne.size());
    size_t lit = 0;
    for (size_t i = 0; i < instanced.size(); i += 4) lit += instanced[i + 2] != 0;
    EXPECT_GT(lit, instanced.size() / 8) << "the instances cover the picture";
    EXPECT_TRUE(instanced == oneByOne);
}

// The whole scene, from afar and close up: the pieces gathered by mesh, the
// walled-in cells left out and each mesh's pieces nearest first give the
// picture of every piece drawn by itself in the scene's order. Runs last: it leaves the scene stopped.
TEST_F(SceneRender, TheSceneLooksAsDrawnPieceByPiece) {
    std::string message;
    ASSERT_TRUE(StartSceneDrawing(message)) << message;
    LoadElementMeshes(TUMBLEON_BUILD_DIR);
    ASSERT_TRUE(LoadSkybox(TUMBLEON_BUILD_DIR));
    // A picture of its own size, with the 16-bit depth the game asks for.
    const int fw = 320, fh = 240;
    GLuint frame = 0, buffers[2];
    glGenFramebuffers(1, &frame);
    glGenRenderbuffers(2, buffers);
    glBindFramebuffer(GL_FRAMEBUFFER, frame);
    const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT16}, points[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], fw, fh);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, points[i], GL_RENDERBUFFER, buffers[i]);
    }
    ResizeDevice(fw, fh);
    screenWidth = fw, screenHeight = fh, hoveredControl = previewCell = -1, resizeBlend = 0.0f;
    gameScreen = GameScreen::Play;
    // Ground, a block of plain cubes, every kind turned every way around and
    // over it (hiding the ground under most), a ball with its arrows, a burst,
    // a held corner previewed see-through on top.
    board.Resize(7, 5, 7);
    board.Clear();
    board.Resize(7, 5, 7);
    const int8_t kinds[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19};
    for (int i = 0, next = 0; i < 7 * 4 * 7; ++i) {
        const int x = i % 7, y = i / 7 % 4, z = i / 28;
        const bool block = x >= 1 && x <= 4 && z >= 1 && z <= 4 && y < 3;
        if (y == 0 || block || y == 1 || (x + z) % 3 == 0)
            board.cells[static_cast<size_t>(board.Index(x, y, z))] =
                y == 0 ? kindGroundCube : block ? kindPlainCube : kinds[next++ % 14];
    }
    ASSERT_TRUE(board.AddBall(kindBomb, board.Index(5, 4, 5)));
    board.balls[board.ballCount - 1].direction = static_cast<int8_t>(LaunchDirection::NoDirection);
    debrisList.Add(elementMeshes[kindSpikeCube], {2.0f, 2.5f, 5.0f}, 1);
    camera.cameraYaw = 0.6f;
    editTool = EditTool::Build;
    heldKind = 4;
    previewCell = board.Index(2, 4, 2);
    // Draws the scene both ways from the camera at `distance` and `pitch`;
    // returns the pixels that differ.
    std::vector<uint8_t> scene, oneByOne;
    auto differing = [&](float distance, float pitch) {
        camera.cameraDistance = distance;
        camera.cameraPitch = pitch;
        ClearFrame(0xFF000000);
        StepScene(0);
        DrawScene();
        ReadScenePixels(0, 0, fw, fh, scene);
        ClearFrame(0xFF000000);
        DrawSceneOneByOne();
        ReadScenePixels(0, 0, fw, fh, oneByOne);
        size_t differ = 0;
        for (size_t i = 0; i < scene.size(); i += 4) differ += std::memcmp(&scene[i], &oneByOne[i], 4) != 0;
        return differ;
    };
    // Where two pieces meet at one depth, a pixel on the seam goes to the
    // one drawn last: only such single pixels may differ.
    const size_t seams = static_cast<size_t>(fw * fh / 5000);
    for (float pitch : {0.5f, 1.2f}) EXPECT_LE(differing(9.0f, pitch), seams) << "pitch " << pitch;
    // The preview is in the picture, and only it: without it a patch of the
    // size of one cell changes.
    const std::vector<uint8_t> withPreview = scene;
    previewCell = -1;
    differing(9.0f, 1.2f);
    size_t changed = 0;
    for (size_t i = 0; i < scene.size(); i += 4) changed += std::memcmp(&scene[i], &withPreview[i], 4) != 0;
    EXPECT_GT(changed, 100u) << "the held piece's preview shows";
    EXPECT_LT(changed, static_cast<size_t>(fw * fh / 20)) << "and nothing else turns see-through";
    heldKind = 0;
    editTool = EditTool::Delete;
    std::vector<ElementDraw> draws;
    CollectSceneDraws(ExtentOf(7, 7), draws);
    EXPECT_LT(LastSceneDrawStats().instances, static_cast<int>(draws.size()) - 20) << "walled-in cells are left out";

    // Close up the near plane cuts away the pieces nearest the eye, and the
    // cells they wall in show through: nearest and low, the eye sits among
    // the pieces of layer 1.
    EXPECT_LE(differing(nearestDistance, 0.15f), seams) << "nearest and low";
    // The eye in the middle of a tall board of cubes: only the cells around
    // it may be seen, and those wholly behind the near plane are not.
    board.Resize(8, 8, 8);
    board.Clear();
    for (int8_t& cell : board.cells) cell = kindPlainCube;
    EXPECT_LE(differing(nearestDistance, 0.6f), seams) << "the eye inside the board";
    const Vec3 eye = sceneView.eye;
    EXPECT_TRUE(board.Contains(static_cast<int>(std::lround(eye.x / cellSpacingX)),
                               static_cast<int>(std::lround(eye.y / cellSpacingY)),
                               static_cast<int>(std::lround(eye.z / cellSpacingZ))))
        << "the eye is inside the board";
    EXPECT_LT(LastSceneDrawStats().instances, board.cellCount / 2) << "cells away from the eye are still left out";
    debrisList.Clear();
    board.Clear();
    StopSceneDrawing();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &frame);
    ResizeDevice(width, height);
}

}  // namespace
