// The matrix and vector arithmetic of the 3D device: 4x4 float matrices acting
// on row vectors (v' = v * M, so A * B applies A first), in a left-handed world
// with y up. Identity, multiply and the three rotations live in
// board/geometry.h because the simulation's rolling uses them; the rest is here.
#pragma once

#include "board/geometry.h"

// ---- Vectors ----

Vec3 Cross(Vec3 a, Vec3 b);
// a / |a|; the zero vector stays zero.
Vec3 Normalize(Vec3 a);

// ---- Building matrices ----

Matrix4 MatrixTranslation(float x, float y, float z);
Matrix4 MatrixScaling(float sx, float sy, float sz);

// The view from `eye` towards `at`: the camera's z axis is the unit vector
// from eye to target, x = normal(up x z), y = z x x.
Matrix4 MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up);

// Perspective with vertical field of view `fovY` (radians), aspect = width /
// height; view-space depth zn..zf lands on 0..1 after the divide by w.
Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);

// The inverse of m; false (out untouched) when m cannot be inverted.
bool MatrixInverse(const Matrix4& m, Matrix4& out);

// ---- Applying matrices ----

// The point (v, 1) * m, divided by its w.
Vec3 TransformCoord(Vec3 v, const Matrix4& m);
// The direction (v, 0) * m: the upper 3x3 part alone.
Vec3 TransformNormal(Vec3 v, const Matrix4& m);

// ---- OpenGL ----

// The device's projections put depth on 0..w; OpenGL clips depth to -w..w.
// This appends z' = 2z - w, so near and far land on -1 and 1 and x, y and the
// screen-space winding stay as they were. Upload the result to a GLSL mat4
// without transposing and compute `m * v`: the row-vector matrix read
// column-major is exactly the column-vector matrix GLSL expects.
Matrix4 MatrixToGlClip(const Matrix4& projection);
