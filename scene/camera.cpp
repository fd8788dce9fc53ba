// The orbit camera's frame work: extent easing, zoom, view and light.
#include "scene/camera.h"

#include <cmath>

#include "app/game_state.h"
#include "app/messages.h"
#include "gfx/matrix.h"

SceneView sceneView;

namespace {

// The main menu's easing: the extent last seen, packed as W * 256 + D, and the
// extent the camera comes from.
struct EasingState {
    float key = 5140.0f;  // 20 x 20
    float previousWidth = 20.0f;
    float previousDepth = 20.0f;
};

EasingState easing;

constexpr float pi = 3.14159265f;

// 0 when the blend has just started (resizeBlend 1), 1 when it is over, with a
// sine's soft start and end.
float BlendWeight() {
    if (resizeBlend == 0.0f) return 1.0f;
    return (std::sin(((1.0f - resizeBlend) - 0.5f) * pi) + 1.0f) * 0.5f;
}

}  // namespace

FrameExtent ExtentOf(float width, float depth) {
    FrameExtent e;
    e.width = width;
    e.depth = depth;
    e.cx = (width - 1.0f) * cellSpacingX * 0.5f;
    e.cz = (depth - 1.0f) * cellSpacingZ * 0.5f;
    e.radius = std::sqrt(0.5f * (cellSpacingX + e.cx) * (cellSpacingX + e.cx) +
                         0.5f * (cellSpacingZ + e.cz) * (cellSpacingZ + e.cz));
    return e;
}

FrameExtent EaseExtent() {
    const float sizeX = board.sizeX, sizeZ = board.sizeZ;
    // A frozen picture frames each board at once, however late its first frame comes.
    if (gameScreen != GameScreen::MainMenu || pictureFrozen) return ExtentOf(sizeX, sizeZ);

    // 1. A board of another extent starts a new blend from where the camera is now.
    const float key = sizeX * 256.0f + sizeZ;
    float w = BlendWeight();
    if (key != easing.key) {
        const int packed = static_cast<int>(easing.key);
        const float oldWidth = static_cast<float>(packed / 256);
        const float oldDepth = static_cast<float>(packed % 256);
        easing.previousWidth = (1.0f - w) * easing.previousWidth + oldWidth * w;
        easing.previousDepth = (1.0f - w) * easing.previousDepth + oldDepth * w;
        resizeBlend = 1.0f;
        easing.key = key;
        w = BlendWeight();
    }
    // 2. The blended extent.
    if (resizeBlend == 0.0f) return ExtentOf(sizeX, sizeZ);
    return ExtentOf(w * sizeX + (1.0f - w) * easing.previousWidth, w * sizeZ + (1.0f - w) * easing.previousDepth);
}

void ZoomStep(const FrameExtent& extent) {
    if (keyDown[static_cast<int>(KeyCode::Up)] == 1) camera.cameraDistance -= zoomStep;
    if (keyDown[static_cast<int>(KeyCode::Down)] == 1) camera.cameraDistance += zoomStep;
    if (camera.cameraDistance < nearestDistance) camera.cameraDistance = nearestDistance;
    if (camera.cameraDistance > farthestPerRadius * extent.radius)
        camera.cameraDistance = farthestPerRadius * extent.radius;
}

// The eye sits on a sphere around the centre of the ground plane: pitch above
// the horizon, yaw around the vertical axis (yaw 0 looks from +z towards -z).
void SetupView(float width, float depth, double clockMs) {
    const FrameExtent e = ExtentOf(width, depth);
    sceneView.world = MatrixIdentity();

    const float d = camera.cameraDistance, pitch = camera.cameraPitch, yaw = camera.cameraYaw;
    const Vec3 eye{e.cx + d * std::cos(pitch) * std::sin(yaw), d * std::sin(pitch),
                   e.cz + d * std::cos(pitch) * std::cos(yaw)};
    sceneView.eye = eye;
    sceneView.view = MatrixLookAtLH(eye, {e.cx, 0.0f, e.cz}, {0.0f, 1.0f, 0.0f});

    const int w = screenWidth > 0 ? screenWidth : 640;
    const int h = screenHeight > 0 ? screenHeight : 480;
    sceneView.projection =
        MatrixPerspectiveFovLH(fieldOfViewY, static_cast<float>(w) / static_cast<float>(h), nearPlane, farPlane);

    // Once round an ellipse over the board every 2 pi seconds, at height 10.
    const float t = static_cast<float>(clockMs * 0.001);
    sceneView.lightPosition = {(std::sin(t) + 1.0f) * e.cx, lightHeight, (std::cos(t) + 1.0f) * e.cz};
}

FrameExtent StepCamera() {
    const FrameExtent extent = EaseExtent();
    ZoomStep(extent);
    return extent;
}

void ResetCameraEasing() { easing = EasingState{}; }

float PixelsPerUnit(Vec3 world) {
    const float depth = TransformCoord(world, sceneView.view).z;
    if (depth <= 0.0f) return 0.0f;
    const int h = screenHeight > 0 ? screenHeight : 480;
    return sceneView.projection.m[1][1] * 0.5f * static_cast<float>(h) / depth;
}
