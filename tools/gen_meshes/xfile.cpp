// Building polygons into a mesh, and the DirectX text form of a mesh.
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "tools/gen_meshes/gen_meshes.h"

namespace {

Vec3 CrossOf(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vec3 Unit(Vec3 v) {
    const float length = Length(v);
    return length > 0.0f ? v * (1.0f / length) : v;
}

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

// A text string of the format: backslashes doubled, as C strings are written.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Lists end with ';' after their last element and ',' between elements.
const char* Separator(size_t i, size_t count) { return i + 1 < count ? "," : ";"; }

}  // namespace

// The device's front faces run clockwise on screen; with the world left-handed
// that is when (b - a) x (c - a) points towards the viewer.
void AddPolygon(XMesh& mesh, const std::vector<Vec3>& points, const std::vector<std::array<float, 2>>& uvs,
                Vec3 outward, int material) {
    const size_t n = points.size();
    if (n < 3) return;
    const Vec3 normal = Unit(outward);
    const Vec3 turn = CrossOf(points[1] - points[0], points[2] - points[0]);
    const bool reversed = Dot(turn, normal) < 0.0f;
    const uint16_t base = static_cast<uint16_t>(mesh.vertices.size());
    for (size_t i = 0; i < n; ++i) {
        XVertex v;
        v.position = points[i];
        v.normal = normal;
        v.u = uvs[i][0];
        v.v = uvs[i][1];
        mesh.vertices.push_back(v);
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        std::array<uint16_t, 3> f{base, static_cast<uint16_t>(base + i), static_cast<uint16_t>(base + i + 1)};
        if (reversed) std::swap(f[1], f[2]);
        mesh.faces.push_back(f);
        mesh.faceMaterials.push_back(material);
    }
}

std::string XFileText(const XMesh& mesh, const std::string& name) {
    std::ostringstream out;
    out << "xof 0303txt 0032\n\n";
    out << "Mesh " << name << " {\n";
    const size_t nv = mesh.vertices.size(), nf = mesh.faces.size();
    out << " " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3 p = mesh.vertices[i].position;
        out << " " << Number(p.x) << ";" << Number(p.y) << ";" << Number(p.z) << ";" << Separator(i, nv) << "\n";
    }
    auto faceList = [&]() {
        out << " " << nf << ";\n";
        for (size_t i = 0; i < nf; ++i)
            out << " 3;" << mesh.faces[i][0] << "," << mesh.faces[i][1] << "," << mesh.faces[i][2] << ";"
                << Separator(i, nf) << "\n";
    };
    faceList();

    out << " MeshNormals {\n " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vec3 n = mesh.vertices[i].normal;
        out << " " << Number(n.x) << ";" << Number(n.y) << ";" << Number(n.z) << ";" << Separator(i, nv) << "\n";
    }
    faceList();
    out << " }\n";

    out << " MeshTextureCoords {\n " << nv << ";\n";
    for (size_t i = 0; i < nv; ++i)
        out << " " << Number(mesh.vertices[i].u) << ";" << Number(mesh.vertices[i].v) << ";" << Separator(i, nv)
            << "\n";
    out << " }\n";

    out << " MeshMaterialList {\n " << mesh.materials.size() << ";\n " << nf << ";\n";
    for (size_t i = 0; i < nf; ++i) out << " " << mesh.faceMaterials[i] << Separator(i, nf) << "\n";
    for (size_t m = 0; m < mesh.materials.size(); ++m) {
        const XMaterial& material = mesh.materials[m];
        out << " Material material" << m << " {\n";
        out << "  " << Number(material.diffuse[0]) << ";" << Number(material.diffuse[1]) << ";"
            << Number(material.diffuse[2]) << ";" << Number(material.diffuse[3]) << ";;\n";
        out << "  " << Number(material.power) << ";\n";
        out << "  " << Number(material.specular[0]) << ";" << Number(material.specular[1]) << ";"
            << Number(material.specular[2]) << ";;\n";
        out << "  " << Number(material.emissive[0]) << ";" << Number(material.emissive[1]) << ";"
            << Number(material.emissive[2]) << ";;\n";
        if (!material.texture.empty()) out << "  TextureFilename {\n   " << Quoted(material.texture) << ";\n  }\n";
        out << " }\n";
    }
    out << " }\n}\n";
    return out.str();
}

bool WriteXFile(const std::string& path, const XMesh& mesh, const std::string& name) {
    std::ofstream file(path, std::ios::binary);
    file << XFileText(mesh, name);
    file.close();
    return !file.fail();
}

// ---- Palette ----

bool ReadPalette(const std::string& path, Palette& palette, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read the palette " + path;
        return false;
    }
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, hex;
        unsigned value = 0;
        if (!(fields >> name >> hex) || hex.size() != 7 || hex[0] != '#' ||
            std::sscanf(hex.c_str() + 1, "%x", &value) != 1) {
            error = path + ":" + std::to_string(lineNumber) + ": expected \"name #rrggbb\"";
            return false;
        }
        palette[name] = {static_cast<float>((value >> 16) & 255) / 255.0f,
                         static_cast<float>((value >> 8) & 255) / 255.0f, static_cast<float>(value & 255) / 255.0f};
    }
    return true;
}

std::set<std::string> missingColours;

Colour PaletteColour(const Palette& palette, const std::string& name) {
    const auto found = palette.find(name);
    if (found != palette.end()) return found->second;
    missingColours.insert(name);
    return Colour{1.0f, 0.0f, 1.0f};
}
