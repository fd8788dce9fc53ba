// The orbit camera around the board's centre: the extent it centres on (eased
// on the main menu when another demo board comes in), the zoom keys with the
// distance limits, and the view, projection and light of each frame.
// The drag, the demo spin and the easing's clock live in app/.
#pragma once

#include "board/geometry.h"

constexpr float fieldOfViewY = 0.7853982f;  // pi / 4
constexpr float nearPlane = 1.0f;
constexpr float farPlane = 110.0f;
constexpr float zoomStep = 0.35f;          // world units per drawn frame
constexpr float nearestDistance = 2.0f;
constexpr float farthestPerRadius = 3.55f;

// The scene's one point light: white diffuse, specular and ambient, under a
// white global ambient; its place moves with SetupView. Attenuation 1 / (q d^2).
constexpr float lightRange = 500.0f;
constexpr float lightQuadraticAttenuation = 0.008f;
constexpr float lightHeight = 10.0f;

// What a frame is centred on: the extent W x D in cells, its centre (cx, 0, cz)
// and the radius the zoom limit, the stock ring and the sky scale with.
struct FrameExtent {
    float width = 0.0f, depth = 0.0f;
    float cx = 0.0f, cz = 0.0f;
    float radius = 0.0f;
};

// The transforms of the last SetupView; the picking reads view and projection.
struct SceneView {
    Matrix4 world;
    Matrix4 view;
    Matrix4 projection;
    Vec3 eye;
    Vec3 lightPosition{0.0f, 10.0f, 10.0f};  // the one point light, world units
};

extern SceneView sceneView;

// Centre and radius of an extent of W x D cells.
FrameExtent ExtentOf(float width, float depth);

// The extent this frame centres on: the board's, or on the main menu a blend
// from the previous board's to the new one's while resizeBlend falls to 0.
FrameExtent EaseExtent();

// Up and Down held move the camera by one step; the distance then stays within
// [2, 3.55 r] for the frame's radius r.
void ZoomStep(const FrameExtent& extent);

// The world (identity), view and projection for the frame, and the light's
// place on its ellipse at `clockMs`.
void SetupView(float width, float depth, double clockMs);

// The camera's step before a frame is drawn, in order: the extent easing and
// the zoom keys and limits. Returns the extent the frame centres on (the
// view, the sky and the stock ring use it); drawing the frame then only reads.
FrameExtent StepCamera();

// How many pixels of the screen one world unit spans at a world point, in the
// last view set up; 0 at or behind the eye.
float PixelsPerUnit(Vec3 world);

// Forgets the eased extent: the next menu frame eases in from 20 x 20.
void ResetCameraEasing();
