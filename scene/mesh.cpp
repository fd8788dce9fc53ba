// Mesh loading through Assimp, the normals the game shades with, and drawing
// subset by subset through the graphics layer's hooks.
#include "scene/mesh.h"

#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <type_traits>
#include <vector>

#include "app/game_state.h"
#include "board/file_io.h"
#include "gfx/matrix.h"

MeshDeviceHooks meshDeviceHooks;

namespace {

// The .x file's own positions, texture coordinates and winding: Assimp turns
// the file right-handed on import and this turns it back. Normals are ours.
constexpr unsigned importFlags = aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
                                 aiProcess_JoinIdenticalVertices | aiProcess_PreTransformVertices;

constexpr int maxPathLength = 260;

// ---- The .x reader ----

// Assimp is a large library needed only while the meshes are read: it is
// opened then and can be closed afterwards, so its pages stay out of the
// running game's memory. Only its C interface is used, through these.
struct MeshReader {
    std::mutex lock;  // the loading thread opens it; the main thread closes it once no read is under way
    void* library = nullptr;
    std::set<std::string> files;  // Assimp and the libraries its opening brought in
    decltype(&aiImportFileFromMemory) importFromMemory = nullptr;
    decltype(&aiReleaseImport) releaseImport = nullptr;
    decltype(&aiGetMaterialColor) materialColour = nullptr;
    decltype(&aiGetMaterialFloatArray) materialFloats = nullptr;
    decltype(&aiGetMaterialTexture) materialTexture = nullptr;
    std::string error;  // why it cannot be opened
};

MeshReader reader;

// ---- The reader's pages ----
// The loader cannot always unload Assimp: a library it needs (Draco) holds
// C++ symbols that must stay unique in the process, which pins it, and with
// it Assimp whenever Draco's references bound to Assimp's copies. What stays
// mapped is then mostly code and read-only data that are exact copies of the
// files: those pages are dropped from the game's memory (read again from the
// file should they ever run). Pages the loader wrote (relocations) are kept.

// Names copied out of the dynamic loader's list. Its callbacks run under the
// loader's lock, where nothing may allocate (an allocator that records stacks
// would take that lock again): they fill room made beforehand.
struct NameList {
    static constexpr size_t slots = 512, slotSize = 512;
    std::vector<char> room = std::vector<char>(slots * slotSize);
    size_t count = 0;
    void Add(const char* name) {
        if (count == slots) return;
        std::snprintf(&room[count++ * slotSize], slotSize, "%s", name);
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (size_t i = 0; i < count; ++i) names.insert(&room[i * slotSize]);
        return names;
    }
};

// The paths of the objects loaded in the process now.
std::set<std::string> LoadedObjects() {
    NameList list;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && info->dlpi_name[0]) static_cast<NameList*>(data)->Add(info->dlpi_name);
            return 0;
        },
        &list);
    return list.Names();
}

// The names of the libraries the loaded object at `path` asks for (DT_NEEDED).
std::set<std::string> NeededLibraries(const std::string& path) {
    struct Search {
        const char* path;
        NameList needed;
    } search{path.c_str(), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            Search& s = *static_cast<Search*>(data);
            if (!info->dlpi_name || std::strcmp(s.path, info->dlpi_name) != 0) return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type != PT_DYNAMIC) continue;
                const auto* dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
                ElfW(Addr) strings = 0;
                for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
                    if (d->d_tag == DT_STRTAB) strings = d->d_un.d_ptr;
                if (strings == 0) return 1;
                // Most targets hold the dynamic section relocated; some keep it as in the file.
                if (strings < info->dlpi_addr) strings += info->dlpi_addr;
                for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
                    if (d->d_tag == DT_NEEDED) s.needed.Add(reinterpret_cast<const char*>(strings + d->d_un.d_val));
            }
            return 1;
        },
        &search);
    return search.needed.Names();
}

// Drops from memory the pages of the loaded objects named in `files` that are
// untouched copies of their files: the segments that cannot be written. (The
// loader's writes, relocations included, lie in the writable segments.)
// Nothing here allocates: it runs under the loader's lock.
void DropFilePages(const std::set<std::string>& files) {
    NameList names;
    for (const std::string& file : files) names.Add(file.c_str());
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            const NameList& wanted = *static_cast<const NameList*>(data);
            bool ours = false;
            for (size_t i = 0; i < wanted.count && !ours; ++i)
                ours = info->dlpi_name && std::strcmp(info->dlpi_name, &wanted.room[i * NameList::slotSize]) == 0;
            if (!ours) return 0;
            // The ranges first: the program headers lie in the first segment,
            // which reading them again would bring back.
            const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
            uintptr_t ranges[16][2], written[16][2];
            int count = 0, writable = 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD) continue;
                // The pages the segment is mapped on.
                const uintptr_t from = (info->dlpi_addr + segment.p_vaddr) / page * page;
                const uintptr_t to = (info->dlpi_addr + segment.p_vaddr + segment.p_memsz + page - 1) / page * page;
                if ((segment.p_flags & PF_W) != 0 && writable < 16) {
                    written[writable][0] = from;
                    written[writable++][1] = to;
                } else if ((segment.p_flags & PF_W) == 0 && count < 16) {
                    ranges[count][0] = from;
                    ranges[count++][1] = to;
                }
            }
            for (int i = 0; i < count; ++i) {
                uintptr_t from = ranges[i][0], to = ranges[i][1];
                // A page a writable segment shares is kept.
                for (int w = 0; w < writable; ++w) {
                    if (written[w][0] < to && to <= written[w][1]) to = std::max(from, written[w][0]);
                    if (written[w][0] <= from && from < written[w][1]) from = std::min(to, written[w][1]);
                }
                if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
            }
            return 0;
        },
        &names);
}

// Opens Assimp if it is not open; false, with the reason kept, when it cannot.
bool OpenMeshReader() {
    std::lock_guard<std::mutex> guard(reader.lock);
    if (reader.library) return true;
    const std::set<std::string> before = LoadedObjects();
    void* library = dlopen("libassimp.so.5", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        reader.error = why ? why : "libassimp.so.5 cannot be opened";
        return false;
    }
    auto find = [library](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        return function != nullptr;
    };
    if (!find(reader.importFromMemory, "aiImportFileFromMemory") ||
        !find(reader.releaseImport, "aiReleaseImport") || !find(reader.materialColour, "aiGetMaterialColor") ||
        !find(reader.materialFloats, "aiGetMaterialFloatArray") ||
        !find(reader.materialTexture, "aiGetMaterialTexture")) {
        reader.error = "libassimp.so.5 lacks the functions the game reads meshes with";
        dlclose(library);
        return false;
    }
    reader.library = library;
    reader.error.clear();
    // Assimp's own file, and what came in with it among the libraries it needs.
    reader.files.clear();
    if (link_map* map = nullptr; dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) {
        const std::set<std::string> needed = NeededLibraries(map->l_name);
        for (const std::string& path : LoadedObjects())
            if (!before.count(path) &&
                (path == map->l_name || needed.count(std::filesystem::path(path).filename().string())))
                reader.files.insert(path);
    }
    return true;
}

// Assimp's scene of one file, released when it goes.
struct ImportedScene {
    const aiScene* scene = nullptr;
    ~ImportedScene() {
        if (scene) reader.releaseImport(scene);
    }
};

// The largest mesh file read: the game's own are tens of kilobytes.
constexpr size_t maxMeshFileBytes = 64u << 20;
// The largest media file (mesh or texture) looked for; the readers have their own limits.
constexpr size_t maxMediaFileBytes = 128u << 20;

// A regular file that can be opened; a FIFO or a device is no mesh or texture
// and is never waited on.
bool Readable(const std::string& path) {
    FILE* file = OpenRegularFile(path, maxMediaFileBytes);
    if (!file) return false;
    std::fclose(file);
    return true;
}

// Cuts `text` to fit a buffer of `size` characters with its terminator.
void CopyCut(char* out, int size, const char* text) {
    std::snprintf(out, static_cast<size_t>(size), "%s", text);
}

// Resolves a texture name of a material: as the game's media files are, then
// beside the game's data folder, so that the game finds its textures whatever
// folder it was started from.
std::string ResolveTexture(const std::string& name) {
    char path[maxPathLength];
    if (FindMediaFile(path, maxPathLength, name.c_str()) == MeshResult::Ok) return path;
    if (!workDir.empty() && Readable(workDir + "/" + name)) return workDir + "/" + name;
    return {};
}

void ColourOf(const aiMaterial& material, const char* key, unsigned type, unsigned index, float out[4]) {
    aiColor4D c;
    if (reader.materialColour(&material, key, type, index, &c) == AI_SUCCESS) {
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
        out[3] = c.a;
    }
}

// Normal of the face a, b, c seen from its front (clockwise on screen, the
// device's front): (b - a) x (c - a), unit length; zero for a degenerate face.
Vec3 FaceNormal(const MeshData& data, uint32_t face) {
    const Vec3 a = data.vertices[data.indices[3 * face]].position;
    const Vec3 b = data.vertices[data.indices[3 * face + 1]].position;
    const Vec3 c = data.vertices[data.indices[3 * face + 2]].position;
    const Vec3 e1 = b - a, e2 = c - a;
    const Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const float length = Length(n);
    return length > 0.0f ? n * (1.0f / length) : Vec3{};
}

// Each vertex normal is the average of the normals of the faces that use it.
// Vertices split at hard edges (as the game's meshes are) shade flat.
void ComputeNormals(MeshData& data) {
    for (MeshVertex& v : data.vertices) v.normal = {};
    for (uint32_t f = 0; f < data.FaceCount(); ++f) {
        const Vec3 n = FaceNormal(data, f);
        for (int k = 0; k < 3; ++k) {
            MeshVertex& v = data.vertices[data.indices[3 * f + k]];
            v.normal = v.normal + n;
        }
    }
    for (MeshVertex& v : data.vertices) {
        const float length = Length(v.normal);
        if (length > 0.0f) v.normal = v.normal * (1.0f / length);
    }
}

}  // namespace

// ---- Mesh ----

Mesh::Mesh(const char* meshName) { CopyCut(name, sizeof name, meshName ? meshName : ""); }

Mesh::~Mesh() { Destroy(); }

void Mesh::Destroy() {
    ReleaseDeviceCopy();
    for (TextureHandle t : textures)
        if (t != 0 && meshDeviceHooks.releaseTexture) meshDeviceHooks.releaseTexture(t);
    textures.clear();
    textureNames.clear();
    materials.clear();
    master.reset();
}

MeshResult Mesh::Load(const std::string& fileName) {
    const MeshResult read = Read(fileName);
    if (read == MeshResult::Ok) LoadTextures();
    return read;
}

MeshResult Mesh::Read(const std::string& fileName) {
    char path[maxPathLength];
    const MeshResult found = FindMediaFile(path, maxPathLength, fileName.c_str());
    if (found != MeshResult::Ok) return found;
    // Assimp is handed the file's bytes, read here: so only a regular file of
    // a sane length ever reaches it.
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, maxMeshFileBytes, bytes) || bytes.empty() || bytes.size() > UINT_MAX)
        return MeshResult::Failed;
    if (!OpenMeshReader()) return MeshResult::Failed;
    ImportedScene imported;
    imported.scene = reader.importFromMemory(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<unsigned>(bytes.size()), importFlags, "x");
    return TakeScene(imported.scene);
}

MeshResult Mesh::LoadFromMemory(const void* data, size_t size) {
    if (!data || size == 0 || size > UINT_MAX) return MeshResult::InvalidArgument;
    if (!OpenMeshReader()) return MeshResult::Failed;
    ImportedScene imported;
    imported.scene = reader.importFromMemory(static_cast<const char*>(data), static_cast<unsigned>(size), importFlags, "x");
    const MeshResult read = TakeScene(imported.scene);
    if (read == MeshResult::Ok) LoadTextures();
    return read;
}

void Mesh::LoadTextures() {
    if (!meshDeviceHooks.loadTexture) return;
    textures.resize(textureNames.size(), 0);
    const std::vector<std::string> paths = TexturePaths();
    for (size_t i = 0; i < paths.size(); ++i)
        if (textures[i] == 0 && !paths[i].empty()) textures[i] = meshDeviceHooks.loadTexture(paths[i]);
}

std::vector<std::string> Mesh::TexturePaths() const {
    std::vector<std::string> paths(textureNames.size());
    for (size_t i = 0; i < textureNames.size(); ++i)
        if (!textureNames[i].empty()) paths[i] = ResolveTexture(textureNames[i]);
    return paths;
}

// Gathers Assimp's meshes (one per material used) into one vertex list and one
// index list sorted by material, so that each subset is one run of faces.
MeshResult Mesh::TakeScene(const void* scenePointer) {
    const aiScene* scene = static_cast<const aiScene*>(scenePointer);
    if (!scene || !scene->mRootNode || scene->mNumMeshes == 0 || scene->mNumMaterials == 0 ||
        (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE))
        return MeshResult::Failed;

    auto data = std::make_unique<MeshData>();
    data->subsets.resize(scene->mNumMaterials);
    for (unsigned material = 0; material < scene->mNumMaterials; ++material) {
        data->subsets[material].faceStart = data->FaceCount();
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            if (mesh->mMaterialIndex != material) continue;
            const size_t base = data->vertices.size();
            // 16-bit indices: a larger mesh is not one the game can draw.
            if (base + mesh->mNumVertices > 65535) return MeshResult::Failed;
            for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
                MeshVertex v;
                v.position = {mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z};
                if (mesh->mTextureCoords[0]) {
                    v.u = mesh->mTextureCoords[0][i].x;
                    v.v = mesh->mTextureCoords[0][i].y;
                }
                data->vertices.push_back(v);
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (face.mNumIndices != 3) continue;  // points and lines are not drawn
                bool inRange = true;
                for (int k = 0; k < 3; ++k) inRange = inRange && face.mIndices[k] < mesh->mNumVertices;
                if (!inRange) return MeshResult::Failed;
                for (int k = 0; k < 3; ++k) data->indices.push_back(static_cast<uint16_t>(base + face.mIndices[k]));
            }
        }
        data->subsets[material].faceCount = data->FaceCount() - data->subsets[material].faceStart;
    }
    if (data->FaceCount() == 0) return MeshResult::Failed;

    std::vector<Material> newMaterials(scene->mNumMaterials);
    std::vector<std::string> newNames(scene->mNumMaterials);
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial& source = *scene->mMaterials[i];
        Material& m = newMaterials[i];
        ColourOf(source, AI_MATKEY_COLOR_DIFFUSE, m.diffuse);
        ColourOf(source, AI_MATKEY_COLOR_SPECULAR, m.specular);
        ColourOf(source, AI_MATKEY_COLOR_EMISSIVE, m.emissive);
        float power = 0.0f;
        if (reader.materialFloats(&source, AI_MATKEY_SHININESS, &power, nullptr) == AI_SUCCESS) m.power = power;
        aiString texture;
        if (reader.materialTexture(&source, aiTextureType_DIFFUSE, 0, &texture, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr) == AI_SUCCESS &&
            texture.length > 0) {
            std::string name(texture.C_Str());
            // Written the device's way, with backslashes.
            for (char& c : name)
                if (c == '\\') c = '/';
            newNames[i] = name;
        }
    }

    Destroy();
    master = std::move(data);
    materials = std::move(newMaterials);
    textureNames = std::move(newNames);
    textures.assign(materials.size(), 0);
    return MeshResult::Ok;
}

MeshResult Mesh::ConvertVertexFormat(uint32_t vertexFormat) {
    if (!master) return MeshResult::Failed;
    if (vertexFormat != meshVertexFormat) return MeshResult::Failed;
    ComputeNormals(*master);
    // The device copy is a copy of the master: build it again with the new normals.
    if (deviceCopy) return RestoreDeviceCopy();
    return MeshResult::Ok;
}

void Mesh::SetSphereNormals() {
    if (!master) return;
    for (MeshVertex& v : master->vertices) v.normal = Normalize(v.position);
    if (deviceCopy) RestoreDeviceCopy();
}

MeshResult Mesh::RestoreDeviceCopy() {
    if (!master) return MeshResult::Failed;
    if (!meshDeviceHooks.createCopy) return MeshResult::Ok;  // no device: nothing to build
    deviceCopy.reset();
    deviceCopy = meshDeviceHooks.createCopy(*master);
    return deviceCopy ? MeshResult::Ok : MeshResult::Failed;
}

void Mesh::ReleaseDeviceCopy() { deviceCopy.reset(); }

MeshResult Mesh::Draw(bool drawOpaque, bool drawTranslucent) const {
    if (!deviceCopy || !master) return MeshResult::Failed;
    if (!meshDeviceHooks.drawSubset) return MeshResult::Failed;
    const int count = static_cast<int>(materials.size());
    auto drawOne = [&](int i) {
        if (useMaterials && meshDeviceHooks.setMaterial) meshDeviceHooks.setMaterial(materials[i], textures[i]);
        meshDeviceHooks.drawSubset(*deviceCopy, *master, i);
    };
    if (drawOpaque)
        for (int i = 0; i < count; ++i)
            if (!useMaterials || materials[i].diffuse[3] >= 1.0f) drawOne(i);
    if (drawTranslucent && useMaterials)
        for (int i = 0; i < count; ++i)
            if (materials[i].diffuse[3] != 1.0f) drawOne(i);
    return MeshResult::Ok;
}

void CloseMeshReader() {
    std::lock_guard<std::mutex> guard(reader.lock);
    if (!reader.library) return;
    dlclose(reader.library);
    DropFilePages(reader.files);
    reader.files.clear();
    reader.library = nullptr;
    reader.importFromMemory = nullptr;
    reader.releaseImport = nullptr;
    reader.materialColour = nullptr;
    reader.materialFloats = nullptr;
    reader.materialTexture = nullptr;
}

std::string MeshReaderError() {
    std::lock_guard<std::mutex> guard(reader.lock);
    return reader.error;
}

// ---- Media files ----

MeshResult FindMediaFile(char* outPath, int outSize, const char* name) {
    if (!outPath || !name || outSize < 1) return MeshResult::InvalidArgument;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(name, error);
    if (error || name[0] == '\0') return MeshResult::Failed;
    const std::string full = absolute.string();
    if (full.size() + 1 > static_cast<size_t>(outSize)) return MeshResult::Failed;
    if (Readable(full)) {
        CopyCut(outPath, outSize, full.c_str());
        return MeshResult::Ok;
    }
    const std::string bare = absolute.filename().string();
    if (!bare.empty() && Readable(bare)) {
        CopyCut(outPath, outSize, bare.c_str());
        return MeshResult::Ok;
    }
    // No developer media folder on this platform: the search ends here.
    CopyCut(outPath, outSize, name);
    return MeshResult::FileNotFound;
}

MeshResult LoadGameMesh(Mesh& mesh, const std::string& fileName) {
    const MeshResult loaded = mesh.Load(fileName);
    if (loaded != MeshResult::Ok) return loaded;
    const MeshResult converted = mesh.ConvertVertexFormat(meshVertexFormat);
    if (converted != MeshResult::Ok) return converted;
    return mesh.RestoreDeviceCopy();
}
