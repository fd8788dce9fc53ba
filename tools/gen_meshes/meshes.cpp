// The game's meshes. Every element fills its cell: x and z from -0.5 to 0.5,
// y from -0.25 to 0.25 (world units, centred on the cell); balls have radius
// 1/3. The corner and the ramp are the collision shapes themselves.
#include <cmath>

#include "sim/collision.h"
#include "sim/simulation.h"
#include "tools/gen_meshes/gen_meshes.h"

namespace {

using UV = std::array<float, 2>;
constexpr float pi = 3.14159265f;
constexpr float ballRadius = 1.0f / 3.0f;

// ---- Materials ----

Colour Lightened(Colour c, float t) { return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t}; }

XMaterial Textured(const std::string& texture, float glow = 0.35f, float shine = 0.1f, float power = 8.0f) {
    XMaterial m;
    for (int i = 0; i < 3; ++i) {
        m.diffuse[i] = 0.85f;
        m.emissive[i] = glow;
        m.specular[i] = shine;
    }
    m.power = power;
    m.texture = std::string(textureFolder) + texture;
    return m;
}

XMaterial Coloured(Colour c, float glow = 0.35f, float shine = 0.2f, float power = 16.0f) {
    XMaterial m;
    m.diffuse[0] = c.r;
    m.diffuse[1] = c.g;
    m.diffuse[2] = c.b;
    m.emissive[0] = c.r * glow;
    m.emissive[1] = c.g * glow;
    m.emissive[2] = c.b * glow;
    for (float& s : m.specular) s = shine;
    m.power = power;
    return m;
}

// ---- Solids ----

// A box with the texture's middle band on its sides and the whole image on
// top and bottom; the image's top row at the side's top edge.
void AddBox(XMesh& mesh, Vec3 lo, Vec3 hi, int material) {
    const float v0 = 0.25f, v1 = 0.75f;
    const std::vector<UV> flat{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const std::vector<UV> side{{0, v0}, {1, v0}, {1, v1}, {0, v1}};
    AddPolygon(mesh, {{lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}}, flat, {0, 1, 0}, material);
    AddPolygon(mesh, {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}, flat, {0, -1, 0}, material);
    AddPolygon(mesh, {{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}}, side, {0, 0, -1}, material);
    AddPolygon(mesh, {{hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}}, side, {0, 0, 1}, material);
    AddPolygon(mesh, {{lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}}, side, {-1, 0, 0}, material);
    AddPolygon(mesh, {{hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z}}, side, {1, 0, 0}, material);
}

constexpr Vec3 cellLow{-0.5f, -0.25f, -0.5f};
constexpr Vec3 cellHigh{0.5f, 0.25f, 0.5f};

// The faces of a collision shape as polygons: a parallelogram A, B, B + C - A, C
// or a triangle A, B, C, textured by its own edge parameters.
void AddShape(XMesh& mesh, const CollisionShape& shape, int material) {
    for (int f = 0; f < shape.faceCount; ++f) {
        const ShapeFace& face = shape.faces[f];
        if (face.type == FaceType::Parallelogram)
            AddPolygon(mesh, {face.a, face.b, face.b + face.c - face.a, face.c}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                       face.normal, material);
        else
            AddPolygon(mesh, {face.a, face.b, face.c}, {{0, 0}, {1, 0}, {0, 1}}, face.normal, material);
    }
}

// Appends face i0, i1, i2 turned to face `outward`.
void AddFacing(XMesh& mesh, uint16_t i0, uint16_t i1, uint16_t i2, Vec3 outward, int material) {
    const Vec3 a = mesh.vertices[i0].position, b = mesh.vertices[i1].position, c = mesh.vertices[i2].position;
    const Vec3 e1 = b - a, e2 = c - a;
    const Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    if (Length(n) < 1e-9f) return;  // the poles' empty corners
    if (Dot(n, outward) < 0.0f) std::swap(i1, i2);
    mesh.faces.push_back({i0, i1, i2});
    mesh.faceMaterials.push_back(material);
}

// A sphere of longitude and latitude lines: u round the equator, v from the
// top pole (0) to the bottom (1). `inward` turns its faces to its centre.
void AddSphere(XMesh& mesh, Vec3 centre, float radius, int segments, int rings, int material, bool inward) {
    const uint16_t base = static_cast<uint16_t>(mesh.vertices.size());
    for (int j = 0; j <= rings; ++j) {
        const float phi = pi * static_cast<float>(j) / static_cast<float>(rings);
        for (int i = 0; i <= segments; ++i) {
            const float theta = 2.0f * pi * static_cast<float>(i) / static_cast<float>(segments);
            const Vec3 dir{std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta)};
            XVertex v;
            v.position = centre + dir * radius;
            v.normal = inward ? dir * -1.0f : dir;
            v.u = static_cast<float>(i) / static_cast<float>(segments);
            v.v = static_cast<float>(j) / static_cast<float>(rings);
            mesh.vertices.push_back(v);
        }
    }
    const int row = segments + 1;
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < segments; ++i) {
            const auto at = [&](int jj, int ii) { return static_cast<uint16_t>(base + jj * row + ii); };
            const uint16_t a = at(j, i), b = at(j, i + 1), c = at(j + 1, i + 1), d = at(j + 1, i);
            const Vec3 mid = (mesh.vertices[a].position + mesh.vertices[c].position) * 0.5f - centre;
            const Vec3 out = inward ? mid * -1.0f : mid;
            AddFacing(mesh, a, b, c, out, material);
            AddFacing(mesh, a, c, d, out, material);
        }
}

// An upright cylinder with a top cap.
void AddCylinder(XMesh& mesh, Vec3 bottom, float height, float radius, int segments, int material) {
    std::vector<Vec3> cap;
    std::vector<UV> capUv;
    for (int i = 0; i < segments; ++i) {
        const float t0 = 2.0f * pi * static_cast<float>(i) / static_cast<float>(segments);
        const float t1 = 2.0f * pi * static_cast<float>(i + 1) / static_cast<float>(segments);
        const Vec3 p0 = bottom + Vec3{std::cos(t0) * radius, 0, std::sin(t0) * radius};
        const Vec3 p1 = bottom + Vec3{std::cos(t1) * radius, 0, std::sin(t1) * radius};
        const Vec3 up{0, height, 0};
        const float tm = (t0 + t1) * 0.5f;
        AddPolygon(mesh, {p0 + up, p1 + up, p1, p0}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {std::cos(tm), 0, std::sin(tm)},
                   material);
        cap.push_back(p0 + up);
        capUv.push_back({0, 0});
    }
    AddPolygon(mesh, cap, capUv, {0, 1, 0}, material);
}

// A four-sided pyramid standing on a square: five shared vertices, so it
// shades a little rounded and a board of spikes stays light for the renderer.
void AddPyramid(XMesh& mesh, Vec3 baseCentre, float half, float height, int material) {
    const uint16_t first = static_cast<uint16_t>(mesh.vertices.size());
    const Vec3 offsets[4] = {{-half, 0, -half}, {half, 0, -half}, {half, 0, half}, {-half, 0, half}};
    for (int i = 0; i < 4; ++i) {
        XVertex v;
        v.position = baseCentre + offsets[i];
        const Vec3 n = offsets[i] * (height / half) + Vec3{0, half, 0};
        v.normal = n * (1.0f / Length(n));
        v.u = static_cast<float>(i & 1);
        v.v = 1.0f;
        mesh.vertices.push_back(v);
    }
    XVertex apex;
    apex.position = baseCentre + Vec3{0, height, 0};
    apex.normal = {0, 1, 0};
    apex.u = 0.5f;
    mesh.vertices.push_back(apex);
    for (int i = 0; i < 4; ++i) {
        const Vec3 mid = (offsets[i] + offsets[(i + 1) % 4]) * 0.5f;
        // The side through the base edge and the apex leans out by height : half.
        const Vec3 outward = mid * (height / Length(mid)) + Vec3{0, half, 0};
        AddFacing(mesh, static_cast<uint16_t>(first + i), static_cast<uint16_t>(first + (i + 1) % 4),
                  static_cast<uint16_t>(first + 4), outward, material);
    }
}

// An eight-faced gem.
void AddOctahedron(XMesh& mesh, Vec3 centre, float size, int material) {
    const Vec3 tips[6] = {{size, 0, 0}, {0, 0, size}, {-size, 0, 0}, {0, 0, -size}, {0, size, 0}, {0, -size, 0}};
    for (int i = 0; i < 4; ++i)
        for (int pole = 4; pole <= 5; ++pole) {
            const Vec3 a = tips[i], b = tips[(i + 1) % 4], c = tips[pole];
            AddPolygon(mesh, {centre + a, centre + b, centre + c}, {{0, 0}, {1, 0}, {0, 1}}, a + b + c, material);
        }
}

// A coil of wire winding up round the vertical axis: a three-sided tube
// whose corners per step are shared by the sides and the steps around them,
// so it shades as a round wire, and a board full of springs stays light for
// the renderer.
void AddCoil(XMesh& mesh, float y0, float y1, float radius, float turns, float wire, int stepsPerTurn, int material) {
    const int steps = static_cast<int>(turns * static_cast<float>(stepsPerTurn));
    const Vec3 up{0, 1, 0};
    // The wire's corners as (radial, up) offsets round its centre line: one
    // on top, two below, as wide as a square wire of half width `wire`.
    const float corners[3][2] = {{0.0f, 1.2f}, {1.04f, -0.6f}, {-1.04f, -0.6f}};
    const uint16_t first = static_cast<uint16_t>(mesh.vertices.size());
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        const float angle = 2.0f * pi * turns * t;
        const Vec3 radial{std::cos(angle), 0, std::sin(angle)};
        const Vec3 centre = Vec3{0, y0 + (y1 - y0) * t, 0} + radial * radius;
        for (const auto& c : corners) {
            XVertex v;
            v.position = centre + radial * (wire * c[0]) + up * (wire * c[1]);
            v.normal = radial * c[0] + up * c[1];
            v.u = t * turns;
            mesh.vertices.push_back(v);
        }
    }
    for (int i = 0; i < steps; ++i) {
        const float tm = (static_cast<float>(i) + 0.5f) / static_cast<float>(steps);
        const float angle = 2.0f * pi * turns * tm;
        const Vec3 radial{std::cos(angle), 0, std::sin(angle)};
        for (int side = 0; side < 3; ++side) {
            const auto at = [&](int ring, int corner) { return static_cast<uint16_t>(first + ring * 3 + corner % 3); };
            const float* a = corners[side];
            const float* b = corners[(side + 1) % 3];
            const Vec3 outward = radial * (a[0] + b[0]) + up * (a[1] + b[1]);
            AddFacing(mesh, at(i, side), at(i + 1, side), at(i + 1, side + 1), outward, material);
            AddFacing(mesh, at(i, side), at(i + 1, side + 1), at(i, side + 1), outward, material);
        }
    }
}

// ---- Extruded outlines ----

// A flat outline given thickness: point (a, b) at height h lands on
// a * axisA + b * axisB + h * axisH. Caps at h0 and h1, walls round every outline.
bool AddExtrusion(XMesh& mesh, const std::vector<Contour>& contours, Vec3 axisA, Vec3 axisB, Vec3 axisH, float h0,
                  float h1, int material) {
    std::vector<std::array<float, 2>> points;
    std::vector<std::array<int, 3>> triangles;
    if (!TriangulateContours(contours, points, triangles)) return false;
    auto place = [&](std::array<float, 2> p, float h) { return axisA * p[0] + axisB * p[1] + axisH * h; };
    // Each cap shares its points among its triangles.
    for (int side = 0; side < 2; ++side) {
        const float h = side == 0 ? h1 : h0;
        const Vec3 outward = side == 0 ? axisH : axisH * -1.0f;
        const uint16_t base = static_cast<uint16_t>(mesh.vertices.size());
        for (const auto& p : points) {
            XVertex v;
            v.position = place(p, h);
            v.normal = outward;
            mesh.vertices.push_back(v);
        }
        for (const auto& t : triangles)
            AddFacing(mesh, static_cast<uint16_t>(base + t[0]), static_cast<uint16_t>(base + t[1]),
                      static_cast<uint16_t>(base + t[2]), outward, material);
    }
    // Walls: each edge's outward side is where the filled region is not.
    for (size_t i = 0; i < contours.size(); ++i) {
        const Contour& c = contours[i];
        if (c.size() < 3) continue;
        float area = 0.0f;
        for (size_t k = 0; k < c.size(); ++k)
            area += c[k][0] * c[(k + 1) % c.size()][1] - c[(k + 1) % c.size()][0] * c[k][1];
        int enclosing = 0;
        for (size_t j = 0; j < contours.size(); ++j) {
            if (j == i) continue;
            const Contour& o = contours[j];
            bool in = false;
            for (size_t p = 0, q = o.size() - 1; p < o.size(); q = p++)
                if ((o[p][1] > c[0][1]) != (o[q][1] > c[0][1]) &&
                    c[0][0] < (o[q][0] - o[p][0]) * (c[0][1] - o[p][1]) / (o[q][1] - o[p][1]) + o[p][0])
                    in = !in;
            if (in) ++enclosing;
        }
        const float sign = (area > 0.0f ? 1.0f : -1.0f) * (enclosing % 2 == 0 ? 1.0f : -1.0f);
        for (size_t k = 0; k < c.size(); ++k) {
            const auto p = c[k], q = c[(k + 1) % c.size()];
            const float da = q[0] - p[0], db = q[1] - p[1];
            const Vec3 outward = axisA * (sign * db) + axisB * (-sign * da);
            AddPolygon(mesh, {place(p, h1), place(q, h1), place(q, h0), place(p, h0)}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
                       outward, material);
        }
    }
    return true;
}

// ---- The meshes ----

XMesh TexturedCube(const std::string& texture) {
    XMesh mesh;
    mesh.materials.push_back(Textured(texture));
    AddBox(mesh, cellLow, cellHigh, 0);
    return mesh;
}

XMesh Shape(int shapeIndex, const std::string& texture) {
    XMesh mesh;
    mesh.materials.push_back(Textured(texture));
    AddShape(mesh, CollisionShapeAt(shapeIndex), 0);
    return mesh;
}

XMesh SpikeCube(const Palette& palette) {
    XMesh mesh;
    mesh.materials.push_back(Textured("spike.tga"));
    mesh.materials.push_back(Coloured(Lightened(PaletteColour(palette, "piece.spike"), 0.7f), 0.3f, 0.6f, 24.0f));
    const float top = 0.05f;
    AddBox(mesh, cellLow, {0.5f, top, 0.5f}, 0);
    for (int i = -1; i <= 1; ++i)
        for (int k = -1; k <= 1; ++k)
            AddPyramid(mesh, {0.32f * static_cast<float>(i), top, 0.32f * static_cast<float>(k)}, 0.14f, 0.25f - top, 1);
    return mesh;
}

// The coil's steps per turn: 8 near; 5 where the game draws a cell less
// than 24 pixels wide, and the coil's corners stay within a pixel and a half
// of the round one.
XMesh SpringCube(const Palette& palette, int stepsPerTurn) {
    XMesh mesh;
    mesh.materials.push_back(Textured("spring.tga"));
    mesh.materials.push_back(Coloured(PaletteColour(palette, "scene.spring.coil"), 0.3f, 0.6f, 24.0f));
    AddBox(mesh, cellLow, {0.5f, -0.13f, 0.5f}, 0);
    AddBox(mesh, {-0.5f, 0.13f, -0.5f}, cellHigh, 0);
    AddCoil(mesh, -0.11f, 0.11f, 0.28f, 3.0f, 0.035f, stepsPerTurn, 1);
    return mesh;
}

// How finely a ball is made. Near, 16 x 12 is as round as more would be with
// sphere normals, even filling the screen. Far, where the game draws a ball
// less than 24 pixels across, 10 x 7 looks the same with a third of the
// triangles: on a software renderer each tiny triangle costs whole blocks of
// pixels.
struct BallDetail {
    int segments, rings;
};
constexpr BallDetail nearBall{16, 12}, farBall{10, 7};

XMesh BallMesh(const std::string& texture, BallDetail detail) {
    XMesh mesh;
    mesh.materials.push_back(Textured(texture, 0.3f, 0.5f, 32.0f));
    AddSphere(mesh, {}, ballRadius, detail.segments, detail.rings, 0, false);
    return mesh;
}

// A small cone hanging under the balloon: its knot.
void AddKnot(XMesh& mesh, float top, float bottom, float radius, int material) {
    const int segments = 8;
    const Vec3 apex{0, top, 0};
    std::vector<Vec3> base;
    std::vector<UV> baseUv;
    for (int i = 0; i < segments; ++i) {
        const float t0 = 2.0f * pi * static_cast<float>(i) / segments, t1 = 2.0f * pi * static_cast<float>(i + 1) / segments;
        const Vec3 p0{std::cos(t0) * radius, bottom, std::sin(t0) * radius};
        const Vec3 p1{std::cos(t1) * radius, bottom, std::sin(t1) * radius};
        const float tm = (t0 + t1) * 0.5f;
        AddPolygon(mesh, {apex, p0, p1}, {{0.5f, 1}, {0.5f, 1}, {0.5f, 1}},
                   {std::cos(tm) * (top - bottom), -radius, std::sin(tm) * (top - bottom)}, material);
        base.push_back(p0);
        baseUv.push_back({0.5f, 1});
    }
    AddPolygon(mesh, base, baseUv, {0, -1, 0}, material);
}

// The balloon: a little taller than round, with its knot below.
XMesh Balloon(BallDetail detail) {
    XMesh mesh = BallMesh("balloon.tga", detail);
    for (XVertex& v : mesh.vertices) v.position.y *= 1.08f;
    AddKnot(mesh, -0.33f, -0.41f, 0.06f, 0);
    return mesh;
}

XMesh Bomb(const Palette& palette, BallDetail detail) {
    XMesh mesh = BallMesh("bomb.tga", detail);
    mesh.materials.push_back(Coloured(PaletteColour(palette, "scene.bomb.fuse"), 0.35f, 0.1f, 8.0f));
    XMaterial spark = Coloured(PaletteColour(palette, "scene.bomb.spark"), 1.0f, 0.0f, 8.0f);
    mesh.materials.push_back(spark);
    AddCylinder(mesh, {0, 0.29f, 0}, 0.1f, 0.055f, 10, 1);
    AddOctahedron(mesh, {0, 0.44f, 0}, 0.05f, 2);
    return mesh;
}

// The launch arrow lies flat and points along -x: a head 0.4 wide and a
// shaft, 0.75 long in all, so that it reads at a whole board's view. The game
// lays the four side by side round a ball, each 0.62 out from its centre.
XMesh Arrow(const Palette& palette) {
    XMesh mesh;
    mesh.materials.push_back(Coloured(PaletteColour(palette, "ui.accent"), 0.45f));
    const Contour outline{{-0.4f, 0.0f},    {-0.06f, -0.2f},  {-0.06f, -0.075f}, {0.35f, -0.075f},
                          {0.35f, 0.075f},  {-0.06f, 0.075f}, {-0.06f, 0.2f}};
    AddExtrusion(mesh, {outline}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, -0.04f, 0.04f, 0);
    return mesh;
}

// Four arrowheads round a cross: the direction is still to be chosen.
XMesh FourWayArrow(const Palette& palette) {
    XMesh mesh;
    mesh.materials.push_back(Coloured(PaletteColour(palette, "ui.accent"), 0.45f));
    const float w = 0.06f, shaftEnd = 0.22f, head = 0.15f, tip = 0.42f;
    const std::array<float, 2> arm[6] = {{w, -w}, {shaftEnd, -w}, {shaftEnd, -head}, {tip, 0}, {shaftEnd, head}, {shaftEnd, w}};
    Contour outline;
    for (int k = 0; k < 4; ++k)
        for (const auto& p : arm) {
            // k quarter turns counter-clockwise: (a, b) -> (-b, a)
            std::array<float, 2> q = p;
            for (int t = 0; t < k; ++t) q = {-q[1], q[0]};
            outline.push_back(q);
        }
    AddExtrusion(mesh, {outline}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, -0.04f, 0.04f, 0);
    return mesh;
}

// A digit faces -z and up, x to the reader's right, 0.2 tall (1.6 times that
// when drawn), centred on the origin.
bool Digit(const Palette& palette, const std::string& fontPath, int digit, XMesh& mesh, std::string& error) {
    std::vector<Contour> contours;
    if (!GlyphContours(fontPath, static_cast<unsigned long>('0' + digit), contours, error)) return false;
    constexpr float digitHeightEm = 0.729f;  // the digits' height in DejaVu Sans Bold
    const float scale = 0.2f / digitHeightEm;
    float lo = 1e9f, hi = -1e9f;
    for (const Contour& c : contours)
        for (const auto& p : c) {
            lo = std::min(lo, p[0]);
            hi = std::max(hi, p[0]);
        }
    const float midX = (lo + hi) * 0.5f;
    for (Contour& c : contours)
        for (auto& p : c) p = {(p[0] - midX) * scale, (p[1] - digitHeightEm * 0.5f) * scale};
    mesh.materials.push_back(Coloured(PaletteColour(palette, "scene.digit"), 0.6f));
    // Leaning back by 45 degrees: the camera looks down on the board, and the
    // game turns digits to it only about the vertical axis.
    const float lean = 0.7853982f, c = std::cos(lean), s = std::sin(lean);
    if (!AddExtrusion(mesh, contours, {1, 0, 0}, {0, c, s}, {0, -s, c}, -0.025f, 0.025f, 0)) {
        error = "the outline of digit " + std::to_string(digit) + " cannot be cut into triangles";
        return false;
    }
    return true;
}

// The sky: a sphere seen from inside, large enough to hold the camera at its
// farthest (it is drawn scaled by two thirds of the board's radius).
XMesh Sky() {
    XMesh mesh;
    XMaterial m = Textured("sky.tga", 1.0f, 0.0f);
    mesh.materials.push_back(m);
    AddSphere(mesh, {}, 6.0f, 24, 12, 0, true);
    return mesh;
}

}  // namespace

bool BuildGameMeshes(const Palette& palette, const std::string& fontPath, std::vector<GameMesh>& meshes,
                     std::string& error) {
    BuildCollisionShapes();
    meshes.clear();
    meshes.push_back({"kocka_talaj.x", TexturedCube("ground.tga")});
    meshes.push_back({"kocka_sima.x", TexturedCube("plain.tga")});
    meshes.push_back({"sarok.x", Shape(1, "corner.tga")});
    meshes.push_back({"kocka_indito.x", TexturedCube("start.tga")});
    meshes.push_back({"kocka_cel.x", TexturedCube("target.tga")});
    meshes.push_back({"magnes.x", TexturedCube("magnet.tga")});
    meshes.push_back({"kocka_tuske.x", SpikeCube(palette)});
    meshes.push_back({"kocka_rugo.x", SpringCube(palette, 8)});
    meshes.push_back({"kocka_rugo_tavoli.x", SpringCube(palette, 5)});
    const std::pair<BallDetail, std::string> ballSets[] = {{nearBall, ""}, {farBall, "_tavoli"}};
    for (const auto& [detail, suffix] : ballSets) {
        meshes.push_back({"gomb_gumi" + suffix + ".x", Balloon(detail)});
        meshes.push_back({"gomb_vas" + suffix + ".x", BallMesh("iron.tga", detail)});
        meshes.push_back({"gomb_plasztik" + suffix + ".x", BallMesh("plastic.tga", detail)});
        meshes.push_back({"gomb_bomba" + suffix + ".x", Bomb(palette, detail)});
    }
    meshes.push_back({"emelkedo.x", Shape(5, "ramp.tga")});
    meshes.push_back({"nyil.x", Arrow(palette)});
    meshes.push_back({"nyil_4irany.x", FourWayArrow(palette)});
    for (int d = 0; d <= 9; ++d) {
        GameMesh digit{std::to_string(d) + ".x", {}};
        if (!Digit(palette, fontPath, d, digit.mesh, error)) return false;
        meshes.push_back(std::move(digit));
    }
    meshes.push_back({"skybox.x", Sky()});
    return true;
}
