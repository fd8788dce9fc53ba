// Shatter debris: fragments from a mesh's master copy, moved by the tick.
#include "scene/debris.h"

#include <cmath>
#include <cstring>

#include "gfx/matrix.h"
#include "scene/element_meshes.h"
#include "sim/effects.h"

DebrisList debrisList;

namespace {

constexpr float third = 0.33333334f;
constexpr float startLife = 2.0f;
constexpr float finishing = 0.9f;  // below the drawing limit: gone now, freed at the next update

// One quarter turn about +y, the sense elements are drawn turned in: (x, z) -> (z, -x).
Vec3 QuarterTurns(Vec3 v, int turns) {
    for (int i = 0; i < (turns & 3); ++i) v = {v.z, v.y, -v.x};
    return v;
}

// The turn by `angle` about the unit `axis`, in the layout of the other
// matrices here (points are rows: p' = p * m).
Matrix4 AxisTurn(Vec3 axis, float angle) {
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    Matrix4 m = MatrixIdentity();
    m.m[0][0] = c + t * x * x, m.m[0][1] = t * x * y + s * z, m.m[0][2] = t * x * z - s * y;
    m.m[1][0] = t * x * y - s * z, m.m[1][1] = c + t * y * y, m.m[1][2] = t * y * z + s * x;
    m.m[2][0] = t * x * z + s * y, m.m[2][1] = t * y * z - s * x, m.m[2][2] = c + t * z * z;
    return m;
}

// The axis and angle of a turn made by AxisTurn's layout. A tumble of n ticks
// is then one turn by n times the angle, worked out once per update rather
// than a matrix product per tick.
void AxisAndAngle(const Matrix4& m, Vec3& axis, float& angle) {
    const double sx = 0.5 * (double(m.m[1][2]) - m.m[2][1]), sy = 0.5 * (double(m.m[2][0]) - m.m[0][2]),
                 sz = 0.5 * (double(m.m[0][1]) - m.m[1][0]);
    const double sine = std::sqrt(sx * sx + sy * sy + sz * sz);
    const double cosine = 0.5 * (double(m.m[0][0]) + m.m[1][1] + m.m[2][2] - 1.0);
    if (sine == 0.0) {
        axis = {0.0f, 1.0f, 0.0f};
        angle = 0.0f;
        return;
    }
    axis = {float(sx / sine), float(sy / sine), float(sz / sine)};
    angle = float(std::atan2(sine, cosine));
}

// Moves a fragment by `ticks` steps (at least one); returns its life.
float UpdateFragment(Fragment& f, float ticks) {
    if (f.life < 1.0f) {
        f.life = 0.0f;
        return 0.0f;
    }
    const int steps = ticks >= 1.0f ? static_cast<int>(ticks) : 1;
    for (int i = 0; i < steps; ++i) {
        f.centre = f.centre + f.velocity * 0.04f;
        f.velocity.y -= 0.0003f;
        f.velocity = f.velocity * 0.9995f;
        f.life -= 0.0005f;
    }
    f.turns += steps;
    f.orientation = AxisTurn(f.spinAxis, f.spinAngle * static_cast<float>(f.turns));
    // Below the ground it would be hidden anyway.
    if (f.centre.y < 0.0f) f.life = finishing;
    return f.life;
}

void FreeEntry(Debris& d) {
    d.fragments.reset();
    d.triangleCount = 0;
    d.texture = 0;
    d.material = Material{};
}

}  // namespace

// A plain linear congruential generator: the look of a burst needs no more.
int DebrisList::NextRandom() {
    randomState = randomState * 1103515245u + 12345u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

void DebrisList::Add(const Mesh& mesh, Vec3 world, int quarterTurns) {
    if (!mesh.master) return;
    int slot = count;
    if (count >= maxDebris) {
        // A long run: take the first finished entry, or leave this burst out.
        slot = -1;
        for (int i = 0; i < maxDebris && slot < 0; ++i)
            if (entries[i].life == 0.0f) slot = i;
        if (slot < 0) return;
    }
    const MeshData& data = *mesh.master;
    Debris& d = entries[slot];
    FreeEntry(d);
    d.life = startLife;
    d.triangleCount = static_cast<int32_t>(data.FaceCount());
    d.fragments = std::make_unique<Fragment[]>(static_cast<size_t>(d.triangleCount));
    d.texture = mesh.textures.empty() ? 0 : mesh.textures[0];
    // The first material goes with the first texture: the burst keeps the
    // look of the thing that burst, whatever was drawn just before it.
    if (!mesh.materials.empty()) d.material = mesh.materials[0];

    for (int32_t face = 0; face < d.triangleCount; ++face) {
        Fragment& f = d.fragments[static_cast<size_t>(face)];
        // 1. The triangle, turned as the element is drawn.
        for (int k = 0; k < 3; ++k) {
            f.vertices[k] = data.vertices[data.indices[3 * static_cast<size_t>(face) + k]];
            f.vertices[k].position = QuarterTurns(f.vertices[k].position, quarterTurns);
        }
        // 2. Its centre, and an outward push of random strength with a little lift.
        const Vec3 centre = (f.vertices[0].position + f.vertices[1].position + f.vertices[2].position) * third;
        const float strength = static_cast<float>(NextRandom() % 2048 + 2048) / 2048.0f;
        f.velocity = centre * third * strength;
        f.velocity.y += 0.1f;
        for (MeshVertex& v : f.vertices) v.position = v.position - centre;
        f.centre = centre + world;
        // 3. A small random tumble per tick, about z, y and x.
        const float alpha = static_cast<float>(NextRandom() % 2048 - 1024) * 9.765625e-06f;
        const float beta = static_cast<float>(NextRandom() % 2048 - 1024) * 9.765625e-06f;
        const float gamma = static_cast<float>(NextRandom() % 2048 - 1024) * 9.765625e-06f;
        AxisAndAngle(MatrixMultiply(MatrixMultiply(MatrixRotationZ(alpha), MatrixRotationY(beta)), MatrixRotationX(gamma)),
                     f.spinAxis, f.spinAngle);
        f.turns = 0;
        f.orientation = MatrixIdentity();
        f.life = static_cast<float>(NextRandom() % 2048 - 1024) / 2048.0f + 5.0f;
    }
    if (slot == count) ++count;
}

void DebrisList::Update(float ticks) {
    if (ticks == 0.0f) return;
    for (int i = 0; i < count; ++i) {
        Debris& d = entries[i];
        if (d.life == 0.0f) {
            FreeEntry(d);
            continue;
        }
        float sum = 0.0f;
        for (int32_t f = 0; f < d.triangleCount; ++f) sum += UpdateFragment(d.fragments[static_cast<size_t>(f)], ticks);
        d.life = sum;
    }
}

void DebrisList::Clear() {
    for (Debris& d : entries) {
        FreeEntry(d);
        d.life = 0.0f;
    }
    count = 0;
}

void DebrisList::FillDrawBuffer(std::vector<MeshVertex>& vertices, std::vector<DebrisBatch>& batches) const {
    vertices.clear();
    batches.clear();
    for (int i = 0; i < count; ++i) {
        const Debris& d = entries[i];
        if (d.life == 0.0f) continue;
        DebrisBatch batch;
        batch.texture = d.texture;
        batch.material = d.material;
        batch.firstVertex = static_cast<uint32_t>(vertices.size());
        for (int32_t f = 0; f < d.triangleCount; ++f) {
            const Fragment& fragment = d.fragments[static_cast<size_t>(f)];
            if (fragment.life < 1.0f) continue;
            for (const MeshVertex& v : fragment.vertices) {
                MeshVertex placed = v;
                placed.position = TransformNormal(v.position, fragment.orientation) + fragment.centre;
                vertices.push_back(placed);
            }
        }
        batch.vertexCount = static_cast<uint32_t>(vertices.size()) - batch.firstVertex;
        if (batch.vertexCount == 0) continue;
        // Bursts of one mesh that follow each other go in one draw.
        if (!batches.empty() && batches.back().texture == batch.texture &&
            std::memcmp(&batches.back().material, &batch.material, sizeof(Material)) == 0)
            batches.back().vertexCount += batch.vertexCount;
        else
            batches.push_back(batch);
    }
}

void InstallDebrisHooks() {
    effectHooks.addDebris = [](int meshKind, Vec3 world, int quarterTurns) {
        // A ball seen small bursts into the triangles of the mesh it is drawn with.
        if (meshKind >= 0 && meshKind < elementMeshSlots)
            debrisList.Add(DrawnDistant(meshKind, world, 1.0f) ? distantMeshes[meshKind] : elementMeshes[meshKind], world,
                           quarterTurns);
    };
    effectHooks.clearDebris = [] { debrisList.Clear(); };
}
