// Shatter debris: a destroyed ball or element bursts into its triangles, which
// fly out from its centre, fall, tumble and fade. The simulation starts
// entries through effectHooks; the frame moves them by the ticks it ran.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "scene/mesh.h"

constexpr int maxDebris = 100;

// One triangle in flight.
struct Fragment {
    MeshVertex vertices[3];  // positions relative to `centre`
    Vec3 velocity;           // world units per tick
    Vec3 centre;             // world position
    Vec3 spinAxis{0.0f, 1.0f, 0.0f};  // the tumble: turned about this axis
    float spinAngle = 0.0f;             // by this angle once per tick
    int32_t turns = 0;                  // ticks tumbled so far
    Matrix4 orientation;                // the tumble so far
    float life = 0.0f;       // moved and drawn while >= 1
};

struct Debris {
    int32_t triangleCount = 0;
    std::unique_ptr<Fragment[]> fragments;
    TextureHandle texture = 0;  // the source mesh's first texture, borrowed
    Material material;          // the source mesh's first material, drawn with that texture
    float life = 0.0f;          // 2 when made, then the sum of the fragments' lives; 0 finished
};

// The triangles of the live fragments of one entry, in one shared buffer.
// They are drawn without culling, so each is seen from both sides; both
// sides share its normals, so they light alike.
struct DebrisBatch {
    TextureHandle texture = 0;
    Material material;
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;  // three per live fragment
};

class DebrisList {
public:
    // Bursts `mesh` placed at `world`, turned by `quarterTurns` about +y. With
    // all 100 entries used, a finished entry is taken over; if none has
    // finished the burst is left out.
    void Add(const Mesh& mesh, Vec3 world, int quarterTurns);
    // Moves every entry by `ticks` steps; frees the fragments of finished entries.
    void Update(float ticks);
    void Clear();
    // Fills `vertices` with every live fragment, one batch per entry that has
    // any: the frame's one debris buffer.
    void FillDrawBuffer(std::vector<MeshVertex>& vertices, std::vector<DebrisBatch>& batches) const;

    int32_t count = 0;
    Debris entries[maxDebris];

private:
    uint32_t randomState = 1;
    int NextRandom();
};

extern DebrisList debrisList;

// Connects the simulation's debris hooks to debrisList and the element meshes.
void InstallDebrisHooks();
