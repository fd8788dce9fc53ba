// Outlines to triangles: holes bridged into their outer outline, then ears
// clipped; and the outlines of a font's characters through FreeType.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "tools/gen_meshes/gen_meshes.h"

namespace {

using Point = std::array<float, 2>;

float Area(const Contour& c) {
    float sum = 0.0f;
    for (size_t i = 0; i < c.size(); ++i) {
        const Point& a = c[i];
        const Point& b = c[(i + 1) % c.size()];
        sum += a[0] * b[1] - b[0] * a[1];
    }
    return sum * 0.5f;
}

bool Inside(const Contour& c, Point p) {
    bool in = false;
    for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
        if ((c[i][1] > p[1]) != (c[j][1] > p[1]) &&
            p[0] < (c[j][0] - c[i][0]) * (p[1] - c[i][1]) / (c[j][1] - c[i][1]) + c[i][0])
            in = !in;
    }
    return in;
}

float Turn(Point a, Point b, Point c) { return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]); }

bool Same(Point a, Point b) { return a[0] == b[0] && a[1] == b[1]; }

// Whether the segments p-q and r-s cross at a point inside both.
bool Crosses(Point p, Point q, Point r, Point s) {
    if (Same(p, r) || Same(p, s) || Same(q, r) || Same(q, s)) return false;
    const float d1 = Turn(p, q, r), d2 = Turn(p, q, s), d3 = Turn(r, s, p), d4 = Turn(r, s, q);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

bool CrossesAny(Point p, Point q, const Contour& c) {
    for (size_t i = 0; i < c.size(); ++i)
        if (Crosses(p, q, c[i], c[(i + 1) % c.size()])) return true;
    return false;
}

// Joins a hole into the outline by a two-way cut from its rightmost point to
// the nearest outline point the cut can reach without crossing anything.
bool Bridge(Contour& outline, const Contour& hole, const std::vector<Contour>& others) {
    size_t m = 0;
    for (size_t i = 1; i < hole.size(); ++i)
        if (hole[i][0] > hole[m][0]) m = i;
    const Point mp = hole[m];
    std::vector<size_t> order(outline.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto distance = [&](size_t i) {
        const float dx = outline[i][0] - mp[0], dy = outline[i][1] - mp[1];
        return dx * dx + dy * dy;
    };
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return distance(a) < distance(b); });
    for (size_t candidate : order) {
        const Point pp = outline[candidate];
        if (CrossesAny(mp, pp, outline) || CrossesAny(mp, pp, hole)) continue;
        bool blocked = false;
        for (const Contour& other : others) blocked = blocked || CrossesAny(mp, pp, other);
        if (blocked) continue;
        Contour joined(outline.begin(), outline.begin() + static_cast<long>(candidate) + 1);
        for (size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(m + k) % hole.size()]);
        joined.insert(joined.end(), outline.begin() + static_cast<long>(candidate), outline.end());
        outline = joined;
        return true;
    }
    return false;
}

bool InTriangle(Point p, Point a, Point b, Point c) {
    return Turn(a, b, p) >= 0.0f && Turn(b, c, p) >= 0.0f && Turn(c, a, p) >= 0.0f;
}

// Ear clipping of a counter-clockwise polygon that may touch itself along bridges.
bool ClipEars(const Contour& polygon, int base, std::vector<std::array<int, 3>>& triangles) {
    std::vector<int> left(polygon.size());
    for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int>(i);
    while (left.size() > 3) {
        bool clipped = false;
        for (size_t i = 0; i < left.size() && !clipped; ++i) {
            const int ia = left[(i + left.size() - 1) % left.size()], ib = left[i], ic = left[(i + 1) % left.size()];
            const Point a = polygon[ia], b = polygon[ib], c = polygon[ic];
            if (Turn(a, b, c) <= 0.0f) continue;
            bool empty = true;
            for (int other : left) {
                const Point p = polygon[other];
                if (other == ia || other == ib || other == ic || Same(p, a) || Same(p, b) || Same(p, c)) continue;
                if (InTriangle(p, a, b, c)) {
                    empty = false;
                    break;
                }
            }
            if (!empty) continue;
            triangles.push_back({base + ia, base + ib, base + ic});
            left.erase(left.begin() + static_cast<long>(i));
            clipped = true;
        }
        // Only flat corners left to take: drop one (it adds no area).
        for (size_t i = 0; i < left.size() && !clipped; ++i) {
            const Point a = polygon[left[(i + left.size() - 1) % left.size()]], b = polygon[left[i]],
                        c = polygon[left[(i + 1) % left.size()]];
            if (std::fabs(Turn(a, b, c)) < 1e-9f) {
                left.erase(left.begin() + static_cast<long>(i));
                clipped = true;
            }
        }
        if (!clipped) return false;
    }
    if (left.size() == 3 && Turn(polygon[left[0]], polygon[left[1]], polygon[left[2]]) > 0.0f)
        triangles.push_back({base + left[0], base + left[1], base + left[2]});
    return true;
}

}  // namespace

bool TriangulateContours(const std::vector<Contour>& contours, std::vector<Point>& points,
                         std::vector<std::array<int, 3>>& triangles) {
    // 1. Outer outlines and holes by how many others enclose them.
    std::vector<Contour> rings;
    for (const Contour& c : contours)
        if (c.size() >= 3 && std::fabs(Area(c)) > 1e-9f) rings.push_back(c);
    std::vector<int> depth(rings.size(), 0);
    for (size_t i = 0; i < rings.size(); ++i)
        for (size_t j = 0; j < rings.size(); ++j)
            if (i != j && Inside(rings[j], rings[i][0])) ++depth[i];

    for (size_t i = 0; i < rings.size(); ++i) {
        if (depth[i] % 2 != 0) continue;
        // 2. The outline counter-clockwise, its holes clockwise, rightmost hole first.
        Contour outline = rings[i];
        if (Area(outline) < 0.0f) std::reverse(outline.begin(), outline.end());
        std::vector<Contour> holes;
        for (size_t j = 0; j < rings.size(); ++j)
            if (depth[j] == depth[i] + 1 && Inside(rings[i], rings[j][0])) {
                Contour hole = rings[j];
                if (Area(hole) > 0.0f) std::reverse(hole.begin(), hole.end());
                holes.push_back(hole);
            }
        auto rightmost = [](const Contour& c) {
            float x = c[0][0];
            for (const Point& p : c) x = std::max(x, p[0]);
            return x;
        };
        std::sort(holes.begin(), holes.end(),
                  [&](const Contour& a, const Contour& b) { return rightmost(a) > rightmost(b); });
        for (size_t h = 0; h < holes.size(); ++h) {
            std::vector<Contour> others(holes.begin() + static_cast<long>(h) + 1, holes.end());
            if (!Bridge(outline, holes[h], others)) return false;
        }
        // 3. Ears.
        const int base = static_cast<int>(points.size());
        points.insert(points.end(), outline.begin(), outline.end());
        if (!ClipEars(outline, base, triangles)) return false;
    }
    return !triangles.empty();
}

// ---- Font outlines ----

namespace {

struct OutlineWalk {
    std::vector<Contour>* contours;
    Point last{};
    float scale = 1.0f;
};

Point ToPoint(const FT_Vector* v, float scale) {
    return {static_cast<float>(v->x) * scale, static_cast<float>(v->y) * scale};
}

void AddPoint(OutlineWalk& walk, Point p) {
    Contour& c = walk.contours->back();
    if (c.empty() || !Same(c.back(), p)) c.push_back(p);
    walk.last = p;
}

int MoveTo(const FT_Vector* to, void* user) {
    auto& walk = *static_cast<OutlineWalk*>(user);
    walk.contours->emplace_back();
    AddPoint(walk, ToPoint(to, walk.scale));
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto& walk = *static_cast<OutlineWalk*>(user);
    AddPoint(walk, ToPoint(to, walk.scale));
    return 0;
}

// Curves become straight pieces about 0.06 em long, at most four per curve:
// smooth at the digits' size on the screen, and the files stay small to read.
int CurvePieces(Point from, Point to) {
    const float length = std::hypot(to[0] - from[0], to[1] - from[1]);
    return std::clamp(static_cast<int>(length / 0.06f) + 1, 1, 4);
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto& walk = *static_cast<OutlineWalk*>(user);
    const Point p0 = walk.last, p1 = ToPoint(control, walk.scale), p2 = ToPoint(to, walk.scale);
    const int pieces = CurvePieces(p0, p2);
    for (int i = 1; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces), s = 1.0f - t;
        AddPoint(walk, {s * s * p0[0] + 2 * s * t * p1[0] + t * t * p2[0], s * s * p0[1] + 2 * s * t * p1[1] + t * t * p2[1]});
    }
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto& walk = *static_cast<OutlineWalk*>(user);
    const Point p0 = walk.last, p1 = ToPoint(c1, walk.scale), p2 = ToPoint(c2, walk.scale), p3 = ToPoint(to, walk.scale);
    const int pieces = CurvePieces(p0, p3);
    for (int i = 1; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces), s = 1.0f - t;
        const float a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        AddPoint(walk, {a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0], a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]});
    }
    return 0;
}

}  // namespace

bool GlyphContours(const std::string& fontPath, unsigned long character, std::vector<Contour>& contours,
                   std::string& error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType does not start";
        return false;
    }
    FT_Face face = nullptr;
    bool ok = false;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        error = "cannot read the font " + fontPath;
    } else if (FT_Load_Char(face, character, FT_LOAD_NO_SCALE) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        error = "the font has no outline for a digit";
    } else {
        OutlineWalk walk{&contours, {}, 1.0f / static_cast<float>(face->units_per_EM)};
        FT_Outline_Funcs funcs{};
        funcs.move_to = MoveTo;
        funcs.line_to = LineTo;
        funcs.conic_to = ConicTo;
        funcs.cubic_to = CubicTo;
        ok = FT_Outline_Decompose(&face->glyph->outline, &funcs, &walk) == 0;
        if (!ok) error = "the digit's outline cannot be read";
        // A contour ends where it began: drop the repeated point.
        for (Contour& c : contours)
            if (c.size() > 1 && Same(c.front(), c.back())) c.pop_back();
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}
