// The 3D half of the device: mesh buffers, scene textures and the one shader
// that lights every vertex as a fixed pipeline does (global ambient, one point
// light, the material's colours). Everything that changes between draws rides
// in vertex-shader inputs: on a software renderer a fragment-stage uniform
// change per draw costs far more than the draw itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/geometry.h"

// Vertex array and buffers of one mesh. Vertices are 32 bytes: position,
// normal, texture coordinate (floats).
struct SceneMeshBuffers {
    uint32_t vertexArray = 0, vertexBuffer = 0, indexBuffer = 0, faceBuffer = 0;
};

// The colours of a material the lighting uses (r, g, b, a). The device's
// specular highlights are off, so specular and power play no part.
struct SceneMaterial {
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float emissive[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// One instance of an instanced draw: its world matrix (row vectors), the
// ambient colour it shows when the draw takes the ambient from the instance,
// and the faces of its cell's box it leaves out (bits 0..5: -x, +x, -y, +y,
// -z, +z in the mesh's own coordinates), and how much of its lit colour it
// keeps at the four corners of its cell, (-x,-z), (+x,-z), (-x,+z), (+x,+z)
// in world directions, blended across the cell.
struct SceneInstance {
    Matrix4 world;
    float ambient[3] = {};
    float hiddenFaces = 0.0f;
    float shade[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
static_assert(sizeof(SceneInstance) == 96);

// Builds the shader and the shared buffers; false with a message when it cannot.
bool StartSceneRenderer(std::string& message);
void StopSceneRenderer();

// Copies vertices (32 bytes each) and 16-bit indices to the device, with
// each vertex's face of the cell's box (0..5, or -1; null: none has one). A
// triangle whose three vertices name a face the instance leaves out is dropped.
bool CreateSceneMesh(const void* vertices, size_t vertexCount, const uint16_t* indices, size_t indexCount,
                     const float* boxFaces, SceneMeshBuffers& out);
void ReleaseSceneMesh(SceneMeshBuffers& buffers);

// A TGA file as a linearly filtered, repeating texture; 0 when it cannot be read.
uint32_t LoadSceneTexture(const std::string& path);
void ReleaseSceneTexture(uint32_t texture);

// Opens the scene's drawing: its shader, depth test, clockwise front faces
// with back faces culled, the view and projection (row-vector matrices; the
// projection puts depth on 0..1 and is mapped to OpenGL's range here) and the
// light's place.
void BeginScene(const Matrix4& view, const Matrix4& projection, Vec3 lightPosition);
// Lighting off gives the texture alone. Sky depth: no depth writes, and
// depth clamping so a sky beyond the far plane still draws.
void SetSceneLighting(bool on);
void SetSceneSkyDepth(bool on);
// See-through drawing: colours blended by the fragment's alpha over what is
// drawn, no depth writes. Off again: opaque, depth written.
void SetSceneBlending(bool on);
// Instanced draw of the index run [firstIndex, firstIndex + indexCount) of a
// mesh with a material and texture (0: none) for every instance. With
// instanceAmbient the ambient colour comes from each instance, else from the material.
void DrawSceneInstances(const SceneMeshBuffers& mesh, uint32_t firstIndex, uint32_t indexCount,
                        const SceneMaterial& material, uint32_t texture, const SceneInstance* instances, int count,
                        bool instanceAmbient);
// The debris: a frame's triangle list (vertices of 32 bytes) sent once, then
// drawn in runs at world identity, one per burst, without culling.
void UploadSceneTriangles(const void* vertices, uint32_t vertexCount);
void DrawSceneTriangles(uint32_t firstVertex, uint32_t vertexCount, const SceneMaterial& material, uint32_t texture);
// Restores the state the 2D layer expects.
void EndScene();
// Reads back a rectangle of the frame being drawn as RGBA, rows bottom
// first (tests compare pictures with it).
void ReadScenePixels(int x, int y, int width, int height, std::vector<uint8_t>& rgba);
// Draw calls issued since BeginScene (benchmarks, the trace).
int SceneDrawCalls();
