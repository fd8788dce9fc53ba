// The mesh loader: the tool's files read back exactly, the corner and ramp
// against the collision shapes, real third-party files, the drawing passes,
// media names and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "app/game_state.h"
#include "gfx/matrix.h"
#include "gfx/tga.h"
#include "scene/element_meshes.h"
#include "scene/mesh.h"
#include "sim/collision.h"
#include "sim/simulation.h"
#include "tests/test_support.h"
#include "tools/gen_meshes/gen_meshes.h"

namespace {

const std::string gameFolder = TUMBLEON_BUILD_DIR;

using Triangle = std::array<Vec3, 3>;

bool Near(Vec3 a, Vec3 b) { return Length(a - b) < 2e-6f; }

// The same corners in the same turning order, starting anywhere: same face, same winding.
bool SameFace(const Triangle& a, const Triangle& b) {
    for (int r = 0; r < 3; ++r)
        if (Near(a[0], b[r]) && Near(a[1], b[(r + 1) % 3]) && Near(a[2], b[(r + 2) % 3])) return true;
    return false;
}

std::vector<Triangle> LoadedFaces(const Mesh& mesh, size_t subset) {
    const MeshData& d = *mesh.master;
    std::vector<Triangle> faces;
    const MeshSubset s = d.subsets[subset];
    for (uint32_t f = s.faceStart; f < s.faceStart + s.faceCount; ++f)
        faces.push_back({d.vertices[d.indices[3 * f]].position, d.vertices[d.indices[3 * f + 1]].position,
                         d.vertices[d.indices[3 * f + 2]].position});
    return faces;
}

// Every face of `want` is in `got` once, and nothing else is.
bool SameFaces(std::vector<Triangle> got, const std::vector<Triangle>& want) {
    if (got.size() != want.size()) return false;
    for (const Triangle& w : want) {
        const auto found = std::find_if(got.begin(), got.end(), [&](const Triangle& g) { return SameFace(g, w); });
        if (found == got.end()) return false;
        got.erase(found);
    }
    return true;
}

class SceneMesh : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Palette palette;
        std::string error;
        ASSERT_TRUE(ReadPalette(GEN_MESHES_UI_PALETTE, palette, error)) << error;
        ASSERT_TRUE(ReadPalette(GEN_MESHES_PALETTE, palette, error)) << error;
        ASSERT_TRUE(BuildGameMeshes(palette, GEN_MESHES_FONT, built, error)) << error;
        ASSERT_TRUE(missingColours.empty()) << *missingColours.begin();
    }
    static std::vector<GameMesh> built;
};
std::vector<GameMesh> SceneMesh::built;

// Every file of adatok/3dx comes back as the tool built it: per subset the
// same faces with the same winding, the vertices that differ in position,
// normal or texture coordinate, the material and the texture name.
TEST_F(SceneMesh, GeneratedFilesReadBackAsBuilt) {
    ASSERT_EQ(built.size(), 31u);
    // A distant mesh: the same materials, and at most this share of the triangles.
    const std::pair<const char*, float> distant[] = {
        {"gomb_gumi", 0.5f}, {"gomb_vas", 0.5f}, {"gomb_plasztik", 0.5f}, {"gomb_bomba", 0.5f}, {"kocka_rugo", 0.75f}};
    for (const auto& [name, share] : distant) {
        auto named = [&](const std::string& file) {
            return std::find_if(built.begin(), built.end(), [&](const GameMesh& g) { return g.file == file; });
        };
        const auto nearMesh = named(std::string(name) + ".x"), farMesh = named(std::string(name) + "_tavoli.x");
        ASSERT_TRUE(nearMesh != built.end() && farMesh != built.end()) << name;
        EXPECT_EQ(farMesh->mesh.materials.size(), nearMesh->mesh.materials.size()) << name;
        EXPECT_LE(static_cast<float>(farMesh->mesh.faces.size()), share * static_cast<float>(nearMesh->mesh.faces.size()))
            << name;
    }
    for (const GameMesh& g : built) {
        SCOPED_TRACE(g.file);
        Mesh mesh;
        ASSERT_EQ(LoadGameMesh(mesh, gameFolder + "/adatok/3dx/" + g.file), MeshResult::Ok);
        ASSERT_EQ(mesh.materials.size(), g.mesh.materials.size());
        size_t distinctVertices = 0;
        for (size_t m = 0; m < g.mesh.materials.size(); ++m) {
            std::vector<Triangle> want;
            std::map<std::tuple<float, float, float, float, float, float, float, float>, int> vertices;
            for (size_t f = 0; f < g.mesh.faces.size(); ++f) {
                if (g.mesh.faceMaterials[f] != static_cast<int>(m)) continue;
                const auto& face = g.mesh.faces[f];
                want.push_back({g.mesh.vertices[face[0]].position, g.mesh.vertices[face[1]].position,
                                g.mesh.vertices[face[2]].position});
                for (uint16_t i : face) {
                    const XVertex& v = g.mesh.vertices[i];
                    vertices[{v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.u, v.v}] = 0;
                }
            }
            EXPECT_TRUE(SameFaces(LoadedFaces(mesh, m), want)) << "subset " << m;
            distinctVertices += vertices.size();

            const XMaterial& x = g.mesh.materials[m];
            const Material& got = mesh.materials[m];
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.diffuse[c], x.diffuse[c], 1e-6f);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(got.specular[c], x.specular[c], 1e-6f);
                EXPECT_NEAR(got.emissive[c], x.emissive[c], 1e-6f);
                EXPECT_EQ(got.ambient[c], 0.0f);
            }
            EXPECT_FLOAT_EQ(got.power, x.power);
            std::string texture = x.texture;
            std::replace(texture.begin(), texture.end(), '\\', '/');
            EXPECT_EQ(mesh.textureNames[m], texture);
            if (!texture.empty()) {
                EXPECT_TRUE(std::filesystem::exists(gameFolder + "/" + texture)) << texture;
            }
        }
        EXPECT_EQ(mesh.master->vertices.size(), distinctVertices);
        // Texture coordinates stay as written: every loaded one is one the tool wrote.
        for (const MeshVertex& v : mesh.master->vertices) {
            const bool written = std::any_of(g.mesh.vertices.begin(), g.mesh.vertices.end(), [&](const XVertex& x) {
                return Near(x.position, v.position) && std::fabs(x.u - v.u) < 2e-6f && std::fabs(x.v - v.v) < 2e-6f;
            });
            EXPECT_TRUE(written);
        }
    }
}

// Every triangle of the corner and the ramp lies on a face of its collision
// shape, faces out the same way, and the triangles cover each face exactly.
TEST_F(SceneMesh, CornerAndRampAreTheirCollisionShapes) {
    BuildCollisionShapes();
    const struct {
        int slot, shape;
    } cases[] = {{kindCornerFirst, 1}, {kindRampFirst, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        Mesh mesh;
        ASSERT_EQ(LoadGameMesh(mesh, gameFolder + "/" + ElementMeshFile(c.slot)), MeshResult::Ok);
        const CollisionShape& shape = CollisionShapeAt(c.shape);
        std::vector<float> covered(static_cast<size_t>(shape.faceCount), 0.0f);
        const MeshData& d = *mesh.master;
        for (uint32_t f = 0; f < d.FaceCount(); ++f) {
            const Vec3 p[3] = {d.vertices[d.indices[3 * f]].position, d.vertices[d.indices[3 * f + 1]].position,
                               d.vertices[d.indices[3 * f + 2]].position};
            const Vec3 n = Normalize(Cross(p[1] - p[0], p[2] - p[0]));
            int onFace = -1;
            for (int s = 0; s < shape.faceCount && onFace < 0; ++s) {
                const ShapeFace& face = shape.faces[s];
                bool inside = Dot(n, face.normal) > 0.99999f;
                for (const Vec3& q : p) {
                    const float u = Dot(q - face.a, face.edgeB) / face.edgeBSquared;
                    const float v = Dot(q - face.a, face.edgeC) / face.edgeCSquared;
                    const float limit = face.type == FaceType::Triangle ? u + v : std::max(u, v);
                    inside = inside && std::fabs(Dot(q - face.a, face.normal)) < 1e-5f && u > -1e-5f && v > -1e-5f &&
                             limit < 1.0f + 1e-5f;
                }
                if (inside) onFace = s;
            }
            ASSERT_GE(onFace, 0) << "face " << f;
            covered[static_cast<size_t>(onFace)] += 0.5f * Length(Cross(p[1] - p[0], p[2] - p[0]));
            // The normals the game shades with point out of the face as well.
            for (int k = 0; k < 3; ++k) EXPECT_GT(Dot(d.vertices[d.indices[3 * f + k]].normal, n), 0.999f);
        }
        for (int s = 0; s < shape.faceCount; ++s) {
            const ShapeFace& face = shape.faces[s];
            const float area = Length(Cross(face.edgeB, face.edgeC)) * (face.type == FaceType::Triangle ? 0.5f : 1.0f);
            EXPECT_NEAR(covered[static_cast<size_t>(s)], area, 1e-5f) << "shape face " << s;
        }
    }
}

// The corner's top shows the turn the simulation gives: the white mark of
// its texture lies wholly on the wedge's top (the rest of the image is not
// on it) and runs from the one open side of the cell to the other, along the
// wall a ball turns on. The turned kinds are the same mesh turned as the
// collision shapes are (CornerAndRampAreTheirCollisionShapes).
TEST_F(SceneMesh, CornerTopMarksTheSidesABallTurnsBetween) {
    BuildCollisionShapes();
    Mesh mesh;
    ASSERT_EQ(LoadGameMesh(mesh, gameFolder + "/" + ElementMeshFile(kindCornerFirst)), MeshResult::Ok);
    Pixels image;
    std::string error;
    ASSERT_TRUE(ReadTgaFile(gameFolder + "/adatok/3dx/corner.tga", image, error)) << error;
    const MeshData& d = *mesh.master;
    std::vector<std::array<MeshVertex, 3>> tops;
    for (uint32_t f = 0; f < d.FaceCount(); ++f) {
        const std::array<MeshVertex, 3> t{d.vertices[d.indices[3 * f]], d.vertices[d.indices[3 * f + 1]],
                                          d.vertices[d.indices[3 * f + 2]]};
        if (Normalize(Cross(t[1].position - t[0].position, t[2].position - t[0].position)).y > 0.999f) tops.push_back(t);
    }
    ASSERT_FALSE(tops.empty());
    // The wall's two ends: where a ball comes in and where it leaves.
    const ShapeFace& wall = CollisionShapeAt(1).faces[4];
    ASSERT_GT(wall.normal.x, 0.0f);
    ASSERT_GT(wall.normal.z, 0.0f);
    const Vec3 ends[2] = {wall.a, wall.c};
    float nearest[2] = {1.0f, 1.0f};
    int marked = 0, offTop = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4];
            if (std::min({p[0], p[1], p[2]}) < 200) continue;  // the mark is near white, the tile orange
            ++marked;
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(image.width);
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(image.height);
            bool on = false;
            for (const auto& t : tops) {
                // Barycentric weights of (u, v) in the triangle's texture coordinates.
                const float du1 = t[1].u - t[0].u, dv1 = t[1].v - t[0].v, du2 = t[2].u - t[0].u, dv2 = t[2].v - t[0].v;
                const float det = du1 * dv2 - du2 * dv1;
                if (std::fabs(det) < 1e-9f) continue;
                const float b1 = ((u - t[0].u) * dv2 - du2 * (v - t[0].v)) / det;
                const float b2 = (du1 * (v - t[0].v) - (u - t[0].u) * dv1) / det;
                if (b1 < 0.0f || b2 < 0.0f || b1 + b2 > 1.0f) continue;
                on = true;
                const Vec3 at = t[0].position + (t[1].position - t[0].position) * b1 + (t[2].position - t[0].position) * b2;
                for (int e = 0; e < 2; ++e)
                    nearest[e] = std::min(nearest[e], std::hypot(at.x - ends[e].x, at.z - ends[e].z));
            }
            offTop += !on;
        }
    EXPECT_GT(marked, 500) << "the mark is there";
    EXPECT_EQ(offTop, 0) << "mark pixels outside the top";
    for (int e = 0; e < 2; ++e) EXPECT_LT(nearest[e], 0.12f) << "the mark reaches the open side at wall end " << e;
}

TEST(SceneMeshFiles, ThirdPartyFilesLoadWithTheirCounts) {
    const std::string folder = "/usr/share/assimp/models/X/";
    const struct {
        const char* file;
        size_t vertices, subsets, faces;
    } cases[] = {
        {"test_cube_text.x", 24, 1, 12},
        {"test_cube_binary.x", 24, 1, 12},
        {"test_cube_compressed.x", 24, 1, 12},
        {"test.x", 24, 1, 12},
        {"kwxport_test_cubewithvcolors.x", 24, 3, 12},  // three materials, one per pair of sides
        {"Testwuson.X", 3205, 1, 3732},
        {"BCN_Epileptic.X", 3014, 1, 5126},             // three meshes, no material: one default subset
    };
    for (const auto& c : cases) {
        Mesh mesh;
        ASSERT_EQ(LoadGameMesh(mesh, folder + c.file), MeshResult::Ok) << c.file;
        EXPECT_EQ(mesh.master->vertices.size(), c.vertices) << c.file;
        EXPECT_EQ(mesh.master->subsets.size(), c.subsets) << c.file;
        EXPECT_EQ(mesh.master->FaceCount(), c.faces) << c.file;
    }
}

// ---- Drawing passes and media names ----

struct DrawLog {
    std::vector<int> subsets;
};
DrawLog drawLog;

struct FakeCopy : MeshDeviceCopy {};

class SceneMeshDevice : public ::testing::Test {
protected:
    void SetUp() override {
        saved = meshDeviceHooks;
        drawLog = {};
        meshDeviceHooks.createCopy = [](const MeshData&) -> std::unique_ptr<MeshDeviceCopy> {
            return std::make_unique<FakeCopy>();
        };
        meshDeviceHooks.drawSubset = [](const MeshDeviceCopy&, const MeshData&, int subset) {
            drawLog.subsets.push_back(subset);
        };
    }
    void TearDown() override { meshDeviceHooks = saved; }
    MeshDeviceHooks saved;
};

// Three triangles, one per material, with the given diffuse alphas.
std::string ThreeMaterials(float a0, float a1, float a2, const char* texture) {
    XMesh mesh;
    const float alphas[3] = {a0, a1, a2};
    for (int m = 0; m < 3; ++m) {
        XMaterial material;
        material.diffuse[3] = alphas[m];
        if (m == 0) material.texture = texture;
        mesh.materials.push_back(material);
        const float x = static_cast<float>(m);
        AddPolygon(mesh, {{x, 0, 0}, {x, 1, 0}, {x + 1, 0, 0}}, {{0, 0}, {0, 1}, {1, 0}}, {0, 0, -1}, m);
    }
    return XFileText(mesh, "three");
}

TEST_F(SceneMeshDevice, OpaqueAndTranslucentPassesByDiffuseAlpha) {
    Mesh mesh;
    const std::string text = ThreeMaterials(0.5f, 1.0f, 1.5f, "");
    ASSERT_EQ(mesh.LoadFromMemory(text.data(), text.size()), MeshResult::Ok);
    EXPECT_EQ(mesh.Draw(true, true), MeshResult::Failed);  // no device copy yet
    // Through a reset: built, released, built again; it draws as before.
    ASSERT_EQ(mesh.RestoreDeviceCopy(), MeshResult::Ok);
    mesh.ReleaseDeviceCopy();
    EXPECT_EQ(mesh.Draw(true, false), MeshResult::Failed);
    ASSERT_EQ(mesh.RestoreDeviceCopy(), MeshResult::Ok);
    const struct {
        bool opaque, translucent, useMaterials;
        std::vector<int> drawn;
    } cases[] = {
        {true, false, true, {1, 2}},
        {false, true, true, {0, 2}},
        {true, true, false, {0, 1, 2}},  // without materials every subset is opaque
    };
    for (const auto& c : cases) {
        drawLog = {};
        mesh.useMaterials = c.useMaterials;
        EXPECT_EQ(mesh.Draw(c.opaque, c.translucent), MeshResult::Ok);
        EXPECT_EQ(drawLog.subsets, c.drawn);
    }
}

// Texture names arrive with backslashes, written doubled or not; a file whose
// folder part is wrong is found by its bare name; textures are found beside
// the game's data folder whatever folder the game was started from.
TEST_F(SceneMeshDevice, TextureNamesAndMediaFiles) {
    static std::vector<std::string> loaded;
    loaded.clear();
    meshDeviceHooks.loadTexture = [](const std::string& path) -> TextureHandle {
        loaded.push_back(path);
        return static_cast<TextureHandle>(loaded.size());
    };
    ScratchDir dir;
    const auto previous = std::filesystem::current_path();
    const std::string previousWorkDir = workDir;
    std::filesystem::current_path(dir.Path());
    for (const char* written : {"tex\\a.tga", "tex\\\\a.tga"}) {
        std::string text = ThreeMaterials(1, 1, 1, "X");
        text.replace(text.find("\"X\""), 3, std::string("\"") + written + "\"");
        Mesh mesh;
        ASSERT_EQ(mesh.LoadFromMemory(text.data(), text.size()), MeshResult::Ok);
        EXPECT_EQ(mesh.textureNames[0], "tex/a.tga");
        EXPECT_EQ(mesh.textureNames[1], "");
    }
    WriteText(dir.File("m.x"), ThreeMaterials(1, 1, 1, ""));
    char path[260];
    EXPECT_EQ(FindMediaFile(path, sizeof path, "no/such/folder/m.x"), MeshResult::Ok);
    EXPECT_STREQ(path, "m.x");
    Mesh mesh;
    EXPECT_EQ(LoadGameMesh(mesh, "no/such/folder/m.x"), MeshResult::Ok);
    EXPECT_EQ(FindMediaFile(path, sizeof path, "missing.x"), MeshResult::FileNotFound);
    EXPECT_STREQ(path, "missing.x");
    EXPECT_EQ(FindMediaFile(path, 0, "m.x"), MeshResult::InvalidArgument);
    EXPECT_EQ(FindMediaFile(path, 8, "m.x"), MeshResult::Failed);  // the absolute path does not fit
    workDir = gameFolder;
    loaded.clear();
    EXPECT_EQ(LoadGameMesh(mesh, gameFolder + "/" + ElementMeshFile(kindTargetCube)), MeshResult::Ok);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0], gameFolder + "/adatok/3dx/target.tga");
    EXPECT_EQ(mesh.textures[0], 1u);
    std::filesystem::current_path(previous);
    workDir = previousWorkDir;
}

TEST(SceneMeshFiles, BadInputLeavesTheMeshAsItWas) {
    Mesh mesh;
    const std::string good = ThreeMaterials(1, 1, 1, "");
    ASSERT_EQ(mesh.LoadFromMemory(good.data(), good.size()), MeshResult::Ok);
    std::string cut = good.substr(0, good.size() / 2);
    std::string garbage(300, '\x7f');
    std::string noFaces = "xof 0303txt 0032\nMesh m {\n 0;;\n 0;;\n}\n";
    for (const std::string* bad : {&cut, &garbage, &noFaces}) {
        EXPECT_NE(mesh.LoadFromMemory(bad->data(), bad->size()), MeshResult::Ok);
        ASSERT_TRUE(mesh.HasGeometry());
        EXPECT_EQ(mesh.master->FaceCount(), 3u);
        EXPECT_EQ(mesh.materials.size(), 3u);
    }
    EXPECT_EQ(mesh.Load("/nonexistent/folder/none.x"), MeshResult::FileNotFound);
    // More vertices than 16-bit indices reach.
    XMesh big;
    big.materials.resize(1);
    for (int i = 0; i < 22000; ++i) {
        const float x = static_cast<float>(i);
        AddPolygon(big, {{x, 0, 0}, {x, 1, 0}, {x + 0.5f, 0, 0}}, {{0, 0}, {0, 1}, {1, 0}}, {0, 0, -1}, 0);
    }
    const std::string text = XFileText(big, "big");
    EXPECT_EQ(mesh.LoadFromMemory(text.data(), text.size()), MeshResult::Failed);
    EXPECT_EQ(mesh.master->FaceCount(), 3u);
}

}  // namespace

// Assimp's .x reader leaks a little of what it had built when it gives up on
// a broken file; the game reads few files, once, so this is no concern here.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }
