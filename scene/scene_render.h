// The scene on the device: the mesh hooks that give every mesh its buffers and
// textures, and a frame's scene drawn from the draw list, instanced by slot.
#pragma once

#include <string>

// Starts the scene's shader and fills meshDeviceHooks; call after the device
// has started and before the meshes load. False with a message when it cannot.
bool StartSceneDrawing(std::string& message);
// Drops the meshes' device copies and textures, then the shader.
void StopSceneDrawing();

// One frame's scene: view, sky, cells, stock ring, balls with their arrows, debris.
void DrawScene();

// The last frame's scene again, drawn the plain way: the sky, then every
// piece by itself in the scene's order (its opaque subsets, then its
// translucent ones), nothing left out, then the debris. Tests hold DrawScene
// to the picture this gives.
void DrawSceneOneByOne();

// The frame hooks' small pieces: the step before a frame (debris moved by its
// ticks, the camera's easing and zoom; DrawScene draws the extent it gives),
// the scene picked under the pointer, device copies around a reset.
void StepScene(int ticks);
void PickScene();
void InvalidateScene();
bool RestoreScene();

// Where the pickable things of a board of up to 1000 cells lie on the screen, for the
// trace that end-to-end tests steer the pointer by: "stockK=x,y" for each
// stock item shown, "topI=x,y" for the top face of each solid cell (or ground)
// and "arrowH=x,y" for each launch arrow, from the last frame's camera.
std::string SceneScreenPoints();

// Draw calls and mesh instances of the last DrawScene (benchmarks, the trace).
struct SceneDrawStats {
    int drawCalls = 0;
    int instances = 0;
};
SceneDrawStats LastSceneDrawStats();
