// Small vector and matrix types shared by the board, the simulation and the scene.
// Matrices are row-major 4x4 and act on row vectors (v' = v * M), left-handed,
// so a chain of transforms reads left to right in the order they apply.
#pragma once

#include <cfloat>
#include <cmath>

// Every float expression must be evaluated in float, or a recorded solution
// would replay differently on another build.
static_assert(FLT_EVAL_METHOD == 0, "float expressions must be evaluated in float");

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

// Board units (ball positions and velocities) are 36 to a cell step on every
// axis. World units (geometry and drawing) are 1 per cell along x and z and
// 0.5 per layer along y: world = (X / 36, Y / 72, Z / 36).
constexpr float boardUnitsPerCell = 36.0f;
// World units per cell step along x, y (one layer) and z.
constexpr float cellSpacingX = 1.0f;
constexpr float cellSpacingY = 0.5f;
constexpr float cellSpacingZ = 1.0f;

// The world point of a place given in cell steps (y in layers): a cell's
// centre for whole steps.
inline Vec3 WorldFromCell(float x, float y, float z) { return {x * cellSpacingX, y * cellSpacingY, z * cellSpacingZ}; }
inline Vec3 WorldFromCell(int x, int y, int z) {
    return WorldFromCell(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
inline Vec3 CellFromWorld(Vec3 w) { return {w.x / cellSpacingX, w.y / cellSpacingY, w.z / cellSpacingZ}; }
// A board position in cell steps on every axis (y in layers, not world units).
inline Vec3 CellStepsFromBoard(Vec3 p) {
    return {p.x / boardUnitsPerCell, p.y / boardUnitsPerCell, p.z / boardUnitsPerCell};
}
// A ball's (or any board position's) world point.
inline Vec3 WorldFromBoard(Vec3 p) {
    const Vec3 c = CellStepsFromBoard(p);
    return WorldFromCell(c.x, c.y, c.z);
}
inline Vec3 BoardFromWorld(Vec3 w) {
    const Vec3 c = CellFromWorld(w);
    return {c.x * boardUnitsPerCell, c.y * boardUnitsPerCell, c.z * boardUnitsPerCell};
}

struct Matrix4 {
    float m[4][4] = {{1.0f, 0.0f, 0.0f, 0.0f},
                     {0.0f, 1.0f, 0.0f, 0.0f},
                     {0.0f, 0.0f, 1.0f, 0.0f},
                     {0.0f, 0.0f, 0.0f, 1.0f}};
};

inline bool operator==(const Matrix4& a, const Matrix4& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (a.m[r][c] != b.m[r][c]) return false;
    return true;
}

inline Matrix4 MatrixIdentity() { return Matrix4{}; }

// a * b: apply a first, then b (row vectors).
inline Matrix4 MatrixMultiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

// Left-handed rotations for row vectors: looking down the axis towards the
// origin, a positive angle turns clockwise.
inline Matrix4 MatrixRotationX(float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    Matrix4 r;
    r.m[1][1] = c;  r.m[1][2] = s;
    r.m[2][1] = -s; r.m[2][2] = c;
    return r;
}

inline Matrix4 MatrixRotationY(float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    Matrix4 r;
    r.m[0][0] = c; r.m[0][2] = -s;
    r.m[2][0] = s; r.m[2][2] = c;
    return r;
}

inline Matrix4 MatrixRotationZ(float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    Matrix4 r;
    r.m[0][0] = c;  r.m[0][1] = s;
    r.m[1][0] = -s; r.m[1][1] = c;
    return r;
}
