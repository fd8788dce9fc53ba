// The faces of its cell a mesh closes off, worked out from its triangles.
#include "scene/cell_cover.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr float cellHalf[3] = {0.5f, 0.25f, 0.5f};
constexpr float onPlane = 1e-4f;

float Axis(Vec3 v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

int Root(std::vector<int>& parent, int i) {
    while (parent[static_cast<size_t>(i)] != i) i = parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
    return i;
}

// For each face listed, whether the part of the mesh it belongs to (faces
// joined at shared edges, vertices matched by place) is closed: every edge
// is met once each way round.
std::vector<bool> ClosedParts(const MeshData& data, const std::vector<uint32_t>& faces) {
    std::map<std::array<long, 3>, int> ids;
    std::vector<std::array<int, 3>> corners(faces.size());
    for (size_t t = 0; t < faces.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = data.vertices[data.indices[3 * faces[t] + static_cast<uint32_t>(k)]].position;
            const std::array<long, 3> key{std::lround(p.x * 4096.0f), std::lround(p.y * 4096.0f),
                                          std::lround(p.z * 4096.0f)};
            corners[t][static_cast<size_t>(k)] = ids.emplace(key, static_cast<int>(ids.size())).first->second;
        }
    std::map<std::pair<int, int>, int> edges;  // directed edge -> its face; -1 when met twice the same way
    for (size_t t = 0; t < faces.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const std::pair<int, int> e{corners[t][static_cast<size_t>(k)], corners[t][static_cast<size_t>((k + 1) % 3)]};
            const auto [at, added] = edges.emplace(e, static_cast<int>(t));
            if (!added) at->second = -1;
        }
    std::vector<int> parent(faces.size());
    for (size_t t = 0; t < faces.size(); ++t) parent[t] = static_cast<int>(t);
    std::vector<bool> open(faces.size(), false);
    for (const auto& [edge, face] : edges) {
        const auto back = edges.find({edge.second, edge.first});
        if (face < 0 || back == edges.end() || back->second < 0) {
            if (face >= 0) open[static_cast<size_t>(face)] = true;
            continue;
        }
        parent[static_cast<size_t>(Root(parent, face))] = Root(parent, back->second);
    }
    // A part with any open edge is open; a bad edge opens the faces around it.
    for (const auto& [edge, face] : edges)
        if (face < 0) {
            for (size_t t = 0; t < faces.size(); ++t)
                for (int k = 0; k < 3; ++k)
                    if (corners[t][static_cast<size_t>(k)] == edge.first &&
                        corners[t][static_cast<size_t>((k + 1) % 3)] == edge.second)
                        open[t] = true;
        }
    std::vector<bool> openRoot(faces.size(), false);
    for (size_t t = 0; t < faces.size(); ++t)
        if (open[t]) openRoot[static_cast<size_t>(Root(parent, static_cast<int>(t)))] = true;
    std::vector<bool> closed(faces.size());
    for (size_t t = 0; t < faces.size(); ++t) closed[t] = !openRoot[static_cast<size_t>(Root(parent, static_cast<int>(t)))];
    return closed;
}

// Whether triangles (2D, on the face's plane) cover the rectangle
// [-hu, hu] x [-hv, hv]: their areas add up to it and a grid of points in it
// all lie in one of them (so overlaps cannot make up for a gap).
bool Covers(const std::vector<std::array<float, 6>>& triangles, float hu, float hv) {
    float area = 0.0f;
    for (const auto& t : triangles) area += 0.5f * std::fabs((t[2] - t[0]) * (t[5] - t[1]) - (t[4] - t[0]) * (t[3] - t[1]));
    if (area < 4.0f * hu * hv * 0.999f) return false;
    constexpr int grid = 8;
    for (int i = 0; i < grid; ++i)
        for (int j = 0; j < grid; ++j) {
            const float u = hu * (2.0f * (static_cast<float>(i) + 0.5f) / grid - 1.0f);
            const float v = hv * (2.0f * (static_cast<float>(j) + 0.5f) / grid - 1.0f);
            bool inside = false;
            for (const auto& t : triangles) {
                const float d1 = (t[2] - t[0]) * (v - t[1]) - (t[3] - t[1]) * (u - t[0]);
                const float d2 = (t[4] - t[2]) * (v - t[3]) - (t[5] - t[3]) * (u - t[2]);
                const float d3 = (t[0] - t[4]) * (v - t[5]) - (t[1] - t[5]) * (u - t[4]);
                if ((d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0)) {
                    inside = true;
                    break;
                }
            }
            if (!inside) return false;
        }
    return true;
}

// Whether triangle t lies on a face of the cell's box with its front, (b - a)
// x (c - a), looking out of the cell.
bool OnBoxFace(const MeshData& data, uint32_t t, int face) {
    const int axis = face / 2;
    const float outward = face % 2 ? 1.0f : -1.0f, plane = outward * cellHalf[axis];
    Vec3 p[3];
    for (int k = 0; k < 3; ++k) {
        p[k] = data.vertices[data.indices[3 * t + static_cast<uint32_t>(k)]].position;
        if (std::fabs(Axis(p[k], axis) - plane) > onPlane) return false;
    }
    const Vec3 e1 = p[1] - p[0], e2 = p[2] - p[0];
    const Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    return Axis(n, axis) * outward > 0.0f;
}

}  // namespace

CellCover CellCoverOf(const Mesh& mesh) {
    CellCover cover;
    if (!mesh.master || mesh.master->vertices.empty()) return cover;
    const MeshData& data = *mesh.master;
    cover.insideCell = true;
    for (const MeshVertex& v : data.vertices)
        for (int a = 0; a < 3; ++a)
            if (std::fabs(Axis(v.position, a)) > cellHalf[a] + onPlane) cover.insideCell = false;

    // The opaque faces: those of subsets drawn in the opaque pass.
    std::vector<uint32_t> faces;
    for (size_t s = 0; s < data.subsets.size() && s < mesh.materials.size(); ++s)
        if (mesh.materials[s].diffuse[3] >= 1.0f)
            for (uint32_t f = 0; f < data.subsets[s].faceCount; ++f) faces.push_back(data.subsets[s].faceStart + f);
    const std::vector<bool> closed = ClosedParts(data, faces);

    for (int face = 0; face < 6; ++face) {
        const int axis = face / 2, u = (axis + 1) % 3, w = (axis + 2) % 3;
        std::vector<std::array<float, 6>> on;
        for (size_t t = 0; t < faces.size(); ++t) {
            if (!closed[t] || !OnBoxFace(data, faces[t], face)) continue;
            Vec3 p[3];
            for (int k = 0; k < 3; ++k) p[k] = data.vertices[data.indices[3 * faces[t] + static_cast<uint32_t>(k)]].position;
            on.push_back({Axis(p[0], u), Axis(p[0], w), Axis(p[1], u), Axis(p[1], w), Axis(p[2], u), Axis(p[2], w)});
        }
        if (Covers(on, cellHalf[u], cellHalf[w])) cover.faces |= static_cast<uint8_t>(1u << face);
    }
    return cover;
}

std::vector<int8_t> TriangleBoxFaces(const MeshData& data) {
    std::vector<int8_t> result(data.FaceCount(), -1);
    for (uint32_t t = 0; t < data.FaceCount(); ++t)
        for (int face = 0; face < 6; ++face)
            if (OnBoxFace(data, t, face)) result[t] = static_cast<int8_t>(face);
    return result;
}

uint8_t TurnFaces(uint8_t faces, int quarterTurns) {
    // One turn: -x to +z, +x to -z, +z to +x, -z to -x; y stays.
    constexpr CellFace after[6] = {CellFace::PlusZ, CellFace::MinusZ, CellFace::MinusY,
                                   CellFace::PlusY, CellFace::MinusX, CellFace::PlusX};
    for (int turn = 0; turn < (quarterTurns & 3); ++turn) {
        uint8_t turned = 0;
        for (int f = 0; f < 6; ++f)
            if (faces & (1u << f)) turned |= FaceBit(after[f]);
        faces = turned;
    }
    return faces;
}

CellFace OppositeFace(CellFace face) { return static_cast<CellFace>(static_cast<int>(face) ^ 1); }

// The view depth of a point p is d(p) = p . f + f0, f and f0 the view's third
// column. Over a box of centre c and half sizes h it runs over
// d(c) -+ sum |f_i| h_i. The neighbourhood is three boxes crossing in the
// cell, the one along axis i three cells long, so its least depth is
// d(c) - sum |f_i| h_i - 2 max |f_i| h_i.
CellDepthReach CellDepthReachOf(const Matrix4& view, Vec3 half) {
    CellDepthReach r;
    r.axis = {view.m[0][2], view.m[1][2], view.m[2][2]};
    r.offset = view.m[3][2];
    const float ax = std::fabs(r.axis.x) * half.x, ay = std::fabs(r.axis.y) * half.y, az = std::fabs(r.axis.z) * half.z;
    r.cellReach = ax + ay + az;
    r.aroundReach = r.cellReach + 2.0f * std::max(ax, std::max(ay, az));
    return r;
}
