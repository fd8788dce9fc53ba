// The game's meshes and their textures, made at build time: DirectX text .x
// files written by our own writer, TGA textures drawn with Cairo, digits from
// the DejaVu Sans Bold outlines.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "board/geometry.h"

// ---- Meshes as the tool builds them ----

struct XVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0.0f, v = 0.0f;
};

struct XMaterial {
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float power = 8.0f;
    float specular[3] = {0.1f, 0.1f, 0.1f};
    float emissive[3] = {0.0f, 0.0f, 0.0f};
    std::string texture;  // as written in the file, with backslashes; empty for none
};

struct XMesh {
    std::vector<XVertex> vertices;
    std::vector<std::array<uint16_t, 3>> faces;  // clockwise seen from the front
    std::vector<int> faceMaterials;
    std::vector<XMaterial> materials;
};

// Appends a flat polygon (convex, points in order around it) facing `outward`:
// its winding is made clockwise as seen from that side. UVs per point.
void AddPolygon(XMesh& mesh, const std::vector<Vec3>& points, const std::vector<std::array<float, 2>>& uvs,
                Vec3 outward, int material);

// The DirectX text form of a mesh; false when the file cannot be written.
std::string XFileText(const XMesh& mesh, const std::string& name);
bool WriteXFile(const std::string& path, const XMesh& mesh, const std::string& name);

// ---- Palette ----

struct Colour {
    float r = 1.0f, g = 1.0f, b = 1.0f;
};

// Named colours, "name #rrggbb" a line; '#' at a line's start is a comment.
using Palette = std::map<std::string, Colour>;
bool ReadPalette(const std::string& path, Palette& palette, std::string& error);
// The colour of a name; magenta for a name the palette lacks, and the name
// is kept in missingColours so that the tool can fail with it.
Colour PaletteColour(const Palette& palette, const std::string& name);
extern std::set<std::string> missingColours;

// ---- Outlines ----

using Contour = std::vector<std::array<float, 2>>;

// Triangles (index triples into the returned points) covering the region
// inside `contours` by the even-odd rule: the outer outlines with their holes.
// False when an outline cannot be cut into triangles.
bool TriangulateContours(const std::vector<Contour>& contours, std::vector<std::array<float, 2>>& points,
                         std::vector<std::array<int, 3>>& triangles);

// The outline of a character of a TrueType font, in em units (y up).
bool GlyphContours(const std::string& fontPath, unsigned long character, std::vector<Contour>& contours,
                   std::string& error);

// ---- The game's files ----

struct GameMesh {
    std::string file;  // "kocka_talaj.x"
    XMesh mesh;
};

// Every mesh of the game; false (with the reason) when the font cannot be read.
bool BuildGameMeshes(const Palette& palette, const std::string& fontPath, std::vector<GameMesh>& meshes,
                     std::string& error);

// The textures the meshes name, written as TGA files into `folder`.
bool WriteGameTextures(const Palette& palette, const std::string& folder, std::string& error);

// The folder the game's texture names point into, as the meshes write it.
inline constexpr const char* textureFolder = "adatok\\3dx\\";
