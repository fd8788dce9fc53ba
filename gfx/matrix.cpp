// Matrix and vector arithmetic with the device's conventions (see matrix.h).
#include "gfx/matrix.h"

#include <cmath>
#include <utility>

Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 Normalize(Vec3 a) {
    const float length = Length(a);
    if (length == 0.0f) return a;
    return {a.x / length, a.y / length, a.z / length};
}

Matrix4 MatrixTranslation(float x, float y, float z) {
    Matrix4 r;
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix4 MatrixScaling(float sx, float sy, float sz) {
    Matrix4 r;
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    return r;
}

// The rows of the camera's axes written as columns, and the eye moved to the
// origin: a world point's view coordinates are its offsets from the eye along
// the three axes.
Matrix4 MatrixLookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
    const Vec3 zAxis = Normalize(at - eye);
    const Vec3 xAxis = Normalize(Cross(up, zAxis));
    const Vec3 yAxis = Cross(zAxis, xAxis);
    Matrix4 r;
    const Vec3 axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        r.m[0][c] = axes[c].x;
        r.m[1][c] = axes[c].y;
        r.m[2][c] = axes[c].z;
        r.m[3][c] = -Dot(axes[c], eye);
    }
    return r;
}

// w' = view z; z' = (z - zn) * zf / (zf - zn), which is 0 at zn and zf at zf.
Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    Matrix4 r;
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zn * zf / (zf - zn);
    r.m[3][3] = 0.0f;
    return r;
}

// Gauss-Jordan elimination with partial pivoting, in double so that the pick
// ray of a far camera keeps its precision.
bool MatrixInverse(const Matrix4& m, Matrix4& out) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = m.m[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        if (pivot != col)
            for (int c = 0; c < 8; ++c) std::swap(a[pivot][c], a[col][c]);
        const double inv = 1.0 / a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            const double f = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.m[r][c] = static_cast<float>(a[r][c + 4]);
    return true;
}

Vec3 TransformCoord(Vec3 v, const Matrix4& m) {
    float o[4];
    for (int c = 0; c < 4; ++c) o[c] = v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c] + m.m[3][c];
    if (o[3] == 0.0f) return {o[0], o[1], o[2]};
    return {o[0] / o[3], o[1] / o[3], o[2] / o[3]};
}

Vec3 TransformNormal(Vec3 v, const Matrix4& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Matrix4 MatrixToGlClip(const Matrix4& projection) {
    Matrix4 depth;
    depth.m[2][2] = 2.0f;
    depth.m[3][2] = -1.0f;
    return MatrixMultiply(projection, depth);
}
