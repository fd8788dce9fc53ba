// Which faces of its cell a piece's mesh closes off. A cell whose six
// neighbours each close off the face towards it cannot be seen, and on a
// full board those cells are most of the drawing work.
#pragma once

#include <cstdint>
#include <vector>

#include "board/pick.h"
#include "scene/mesh.h"

struct CellCover {
    bool insideCell = false;  // every vertex lies within the cell's box
    uint8_t faces = 0;        // faces wholly covered by the outside of a closed opaque solid
};

// A mesh's cover in its own coordinates, the cell's box being x and z from
// -0.5 to 0.5 and y from -0.25 to 0.25. A face counts only when opaque
// triangles of one closed part of the mesh lie on it, facing out, and cover
// all of it: a ray into the cell through that face must first have entered
// that part through one of its front faces, nearer to the eye.
CellCover CellCoverOf(const Mesh& mesh);

// For each triangle of a mesh, the face of the cell's box it lies on, facing
// out (a CellFace), or -1. Such a triangle cannot be seen where the
// neighbour on that side closes off the face towards it.
std::vector<int8_t> TriangleBoxFaces(const MeshData& data);

// The faces after `quarterTurns` turns about +y, (x, z) -> (z, -x), the turn
// turned pieces are drawn with.
uint8_t TurnFaces(uint8_t faces, int quarterTurns);

// The face across from `face`: the one a neighbour on that side must cover.
CellFace OppositeFace(CellFace face);

// What decides whether a cell may be left out near the eye, worked out once
// a view: a cell's centre c has view depth c . axis + offset; over its box
// the depth reaches `cellReach` either side of that, and over its
// neighbourhood, the boxes of the cell and its six neighbours, down to
// `aroundReach` below it. `view` is the row-vector view matrix, `half` the
// cell's half sizes in world units.
struct CellDepthReach {
    Vec3 axis;
    float offset = 0.0f;
    float cellReach = 0.0f, aroundReach = 0.0f;
};
CellDepthReach CellDepthReachOf(const Matrix4& view, Vec3 half);
