// The meshes of the board's elements, balls and indicators, indexed by element
// kind and indicator number, and the sky around the scene.
#pragma once

#include <string>

#include "scene/mesh.h"

constexpr int elementMeshSlots = 35;
// Indicator numbers beyond the element kinds.
constexpr int indicatorArrow = 20;      // 20..23: the launch arrow turned 0..3 quarter turns
constexpr int indicatorFourWay = 24;    // the arrow of a ball whose direction is unset
constexpr int indicatorDigitFirst = 25; // 25 + d: digit d

extern Mesh elementMeshes[elementMeshSlots];
// Lighter versions of the meshes with many small triangles (the balls and
// the spring), drawn where the slot is seen small; empty for the other slots.
extern Mesh distantMeshes[elementMeshSlots];
// Whether a slot's piece at a world point, its mesh scaled by `scale`, is
// drawn with the distant mesh: the slot has one, and the piece is seen small
// (a ball less than 24 pixels across, a cell less than 24 wide) in the last
// view set up.
bool DrawnDistant(int slot, Vec3 world, float scale);
extern Mesh skyboxMesh;

// The file of a slot, relative to the game's folder ("adatok/3dx/..."), or
// null for a slot drawn with another slot's mesh or never drawn.
const char* ElementMeshFile(int slot);
inline constexpr const char* skyboxMeshFile = "adatok/3dx/skybox.x";

// The slot whose mesh draws a kind or indicator: turned variants share their
// base slot's mesh (corners 3, ramps 16, arrows 20).
int MeshSlotOfKind(int kind);
// The quarter turns about +y that a kind or indicator is drawn with.
int QuarterTurnsOfKind(int kind);

// Where the mesh of a kind lies as it is drawn, relative to its cell's centre:
// the mean of its turned vertices, a point inside the piece even where it
// fills only part of its cell, as a corner does. The centre without a mesh.
Vec3 DrawnMiddleOfKind(int kind);

// Loads every slot's mesh from `gameFolder`; a file that fails leaves its slot
// without geometry (the kinds it draws are invisible). Balls get sphere
// normals; arrows and digits lose their first texture and show their colour.
void LoadElementMeshes(const std::string& gameFolder);
// The sky must load: false when it cannot.
bool LoadSkybox(const std::string& gameFolder);

// The same in two halves, so the files are read while the window opens:
// ReadSceneMeshes reads every slot and the sky into their master copies and
// decodes their textures ahead, touching no device (any one thread, while the
// meshes are not in use); FinishSceneMeshes then makes the textures and device
// copies on the main thread. False when the sky is missing or broken.
void ReadSceneMeshes(const std::string& gameFolder);
bool FinishSceneMeshes();

// Around a device reset: drops every device copy, and builds them again after
// it (the sky first, then the slots), stopping at the first failure.
void ReleaseSceneDeviceCopies();
bool RestoreSceneDeviceCopies();
// Frees every mesh (shutdown and tests).
void DestroySceneMeshes();
