// Triangle meshes read from DirectX .x files: a master copy in memory with its
// materials and texture names per subset, and a device copy that the graphics
// layer builds from the master copy and drops before a device reset.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/geometry.h"

// What a mesh operation reports; callers test only for success.
enum class MeshResult : int8_t { Ok, InvalidArgument, Failed, OutOfMemory, FileNotFound };

// The one vertex layout of the game: position, normal, one texture coordinate
// pair, 32 bytes (the device's flexible vertex format 0x112).
constexpr uint32_t meshVertexFormat = 0x112;

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0.0f, v = 0.0f;  // v = 0 at the image's top row
};
static_assert(sizeof(MeshVertex) == 32);

// Colours as r, g, b, a floats. A diffuse alpha below 1 makes the subset translucent.
struct Material {
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // .x files have none: 0, as the device's loader left it
    float specular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float emissive[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float power = 0.0f;
};

// The faces of one material: a run of the index list.
struct MeshSubset {
    uint32_t faceStart = 0;  // first face; its indices start at 3 * faceStart
    uint32_t faceCount = 0;
};

// The master copy: triangles sorted by material, 16-bit indices.
struct MeshData {
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;    // three per face
    std::vector<MeshSubset> subsets;  // one per material, possibly empty
    uint32_t FaceCount() const { return static_cast<uint32_t>(indices.size() / 3); }
};

// A texture the device holds; 0 is none.
using TextureHandle = uint32_t;

// The device copy of a mesh. The graphics layer derives its own (vertex array
// and buffers) from this and hands it out through meshDeviceHooks.
struct MeshDeviceCopy {
    virtual ~MeshDeviceCopy() = default;
};

// What the mesh needs of the graphics device. The graphics layer fills these
// in; without them (tests, tools) meshes load and pick but have no device copy
// and draw nothing.
struct MeshDeviceHooks {
    // Builds a device copy of the master copy; null on failure.
    std::unique_ptr<MeshDeviceCopy> (*createCopy)(const MeshData& master) = nullptr;
    // Loads a TGA texture; 0 when it cannot.
    TextureHandle (*loadTexture)(const std::string& path) = nullptr;
    void (*releaseTexture)(TextureHandle texture) = nullptr;
    // Makes a material and a texture (possibly 0) current for the next subset.
    void (*setMaterial)(const Material& material, TextureHandle texture) = nullptr;
    // Draws one subset of a device copy with the current material.
    void (*drawSubset)(const MeshDeviceCopy& copy, const MeshData& master, int subset) = nullptr;
};

extern MeshDeviceHooks meshDeviceHooks;

class Mesh {
public:
    explicit Mesh(const char* meshName = "CD3DFile_Mesh");
    virtual ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Reads the .x file (resolved by FindMediaFile) into the master copy with
    // its materials, texture names and textures. On failure the mesh is left
    // as it was.
    MeshResult Load(const std::string& fileName);
    // Load in two halves. Read takes the file into the master copy with its
    // materials and texture names and touches no device: it may run on
    // another thread while the mesh is not in use. LoadTextures then makes the
    // textures on the device (main thread).
    MeshResult Read(const std::string& fileName);
    void LoadTextures();
    // The files the texture names resolve to, "" where none is found (for
    // decoding them ahead).
    std::vector<std::string> TexturePaths() const;
    // Reads .x text or binary from memory; texture names are resolved as Load does.
    MeshResult LoadFromMemory(const void* data, size_t size);
    // Only the game's own layout exists; both copies get normals averaged from
    // their faces.
    MeshResult ConvertVertexFormat(uint32_t vertexFormat);
    // Every vertex normal becomes its position's direction from the origin:
    // a ball shades as a smooth sphere whatever its pattern's faces.
    void SetSphereNormals();
    MeshResult RestoreDeviceCopy();
    void ReleaseDeviceCopy();
    // Opaque subsets (diffuse alpha >= 1), then translucent ones (alpha != 1).
    MeshResult Draw(bool drawOpaque, bool drawTranslucent) const;
    // Releases everything: device copy, textures, materials, master copy.
    void Destroy();

    bool HasGeometry() const { return master != nullptr; }
    bool HasDeviceCopy() const { return deviceCopy != nullptr; }

    char name[512] = {};
    std::unique_ptr<MeshData> master;
    std::unique_ptr<MeshDeviceCopy> deviceCopy;
    std::vector<Material> materials;       // one per subset
    std::vector<std::string> textureNames; // as written in the file, '\' turned to '/'; empty for none
    std::vector<TextureHandle> textures;   // 0: none, or it failed to load
    bool useMaterials = true;

private:
    MeshResult TakeScene(const void* scene);
};

// Resolves a media file name against the current directory: the name itself if
// it can be read, else its bare file name in the current directory. Fails
// with InvalidArgument for bad arguments, FileNotFound (name copied unchanged)
// when neither exists, Failed when the path does not fit.
MeshResult FindMediaFile(char* outPath, int outSize, const char* name);

// Meshes are read with Assimp, opened when the first mesh is read. Closing it
// once every mesh is in memory gives its pages back (those of its code and
// read-only data too when the loader must keep it); a later read opens it
// again. The error says why it could not be opened ("" if it could).
void CloseMeshReader();
std::string MeshReaderError();

// Loads one mesh the way the game does: Load, ConvertVertexFormat, RestoreDeviceCopy.
MeshResult LoadGameMesh(Mesh& mesh, const std::string& fileName);
