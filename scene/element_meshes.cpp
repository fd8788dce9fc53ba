// The element mesh table and the sky.
#include "scene/element_meshes.h"

#include <cstdio>
#include <string>

#include "board/board.h"
#include "gfx/device.h"
#include "scene/camera.h"

Mesh elementMeshes[elementMeshSlots];
Mesh distantMeshes[elementMeshSlots];
Mesh skyboxMesh;

namespace {

const char* const slotFiles[elementMeshSlots] = {
    nullptr,
    "adatok/3dx/kocka_talaj.x",
    "adatok/3dx/kocka_sima.x",
    "adatok/3dx/sarok.x",
    nullptr, nullptr, nullptr,
    "adatok/3dx/kocka_indito.x",
    "adatok/3dx/kocka_cel.x",
    "adatok/3dx/magnes.x",
    "adatok/3dx/kocka_tuske.x",
    "adatok/3dx/kocka_rugo.x",
    "adatok/3dx/gomb_gumi.x",
    "adatok/3dx/gomb_vas.x",
    "adatok/3dx/gomb_plasztik.x",
    "adatok/3dx/gomb_bomba.x",
    "adatok/3dx/emelkedo.x",
    nullptr, nullptr, nullptr,
    "adatok/3dx/nyil.x",
    nullptr, nullptr, nullptr,
    "adatok/3dx/nyil_4irany.x",
    "adatok/3dx/0.x", "adatok/3dx/1.x", "adatok/3dx/2.x", "adatok/3dx/3.x", "adatok/3dx/4.x",
    "adatok/3dx/5.x", "adatok/3dx/6.x", "adatok/3dx/7.x", "adatok/3dx/8.x", "adatok/3dx/9.x",
};

// The far versions of the balls and the spring: fewer triangles, the same
// look when small.
const char* DistantFile(int slot) {
    switch (slot) {
        case kindSpringCube: return "adatok/3dx/kocka_rugo_tavoli.x";
        case kindBalloon: return "adatok/3dx/gomb_gumi_tavoli.x";
        case kindIronBall: return "adatok/3dx/gomb_vas_tavoli.x";
        case kindPlasticBall: return "adatok/3dx/gomb_plasztik_tavoli.x";
        case kindBomb: return "adatok/3dx/gomb_bomba_tavoli.x";
        default: return nullptr;
    }
}

std::string InFolder(const std::string& folder, const char* file) {
    return folder.empty() ? std::string(file) : folder + "/" + file;
}

}  // namespace

const char* ElementMeshFile(int slot) {
    if (slot < 0 || slot >= elementMeshSlots) return nullptr;
    return slotFiles[slot];
}

bool DrawnDistant(int slot, Vec3 world, float scale) {
    // Seen small: a ball less than 24 pixels across, a cell less than 24 wide.
    constexpr float smallPixels = 24.0f, ballDiameter = 2.0f / 3.0f;
    if (slot < 0 || slot >= elementMeshSlots || !distantMeshes[slot].deviceCopy) return false;
    const float size = (IsBallKind(slot) ? ballDiameter : cellSpacingX) * scale * PixelsPerUnit(world);
    return size > 0.0f && size < smallPixels;
}

int MeshSlotOfKind(int kind) {
    if (kind >= 4 && kind <= 6) return kindCornerFirst;
    if (kind >= 17 && kind <= 19) return kindRampFirst;
    if (kind >= 21 && kind <= 23) return indicatorArrow;
    return kind;
}

int QuarterTurnsOfKind(int kind) {
    if (kind >= 4 && kind <= 6) return kind - kindCornerFirst;
    if (kind >= 17 && kind <= 19) return kind - kindRampFirst;
    if (kind >= 21 && kind <= 23) return kind - indicatorArrow;
    return 0;
}

Vec3 DrawnMiddleOfKind(int kind) {
    if (kind < 0 || kind >= elementMeshSlots) return {};
    const Mesh& mesh = elementMeshes[MeshSlotOfKind(kind)];
    if (!mesh.master || mesh.master->vertices.empty()) return {};
    Vec3 sum{};
    for (const MeshVertex& v : mesh.master->vertices) sum = sum + v.position;
    Vec3 middle = sum * (1.0f / static_cast<float>(mesh.master->vertices.size()));
    // A quarter turn about +y, as the piece is drawn: (x, z) -> (z, -x).
    for (int t = 0; t < QuarterTurnsOfKind(kind); ++t) middle = {middle.z, middle.y, -middle.x};
    return middle;
}

namespace {

// What the reading half found, for the device half.
struct ReadState {
    MeshResult slots[elementMeshSlots] = {};
    MeshResult distant[elementMeshSlots] = {};
    MeshResult skybox = MeshResult::Failed;
};

ReadState readState;

// One line on stderr for a mesh file that cannot be read.
void TellUnloadedMesh(const char* what, const std::string& path, MeshResult read, const char* consequence) {
    std::fprintf(stderr, "Tumbleon: the %s %s cannot be loaded (%s); %s.\n", what, path.c_str(),
                 read == MeshResult::FileNotFound ? "no such file" : "not a readable .x mesh", consequence);
}

// Reads one slot's file into its master copy with the game's normals. Arrows
// and digits drop their first texture before it is ever loaded: indicators show
// their material colour, so a tint reads clearly on them.
MeshResult ReadSlot(Mesh& mesh, const char* file, int slot, const std::string& gameFolder) {
    mesh.Destroy();
    if (!file) return MeshResult::Failed;
    const std::string path = InFolder(gameFolder, file);
    const MeshResult read = mesh.Read(path);
    if (read != MeshResult::Ok) {
        TellUnloadedMesh("element mesh", path, read, "its pieces stay invisible");
        return read;
    }
    mesh.ConvertVertexFormat(meshVertexFormat);
    if (IsBallKind(slot)) mesh.SetSphereNormals();
    if ((slot == indicatorArrow || slot >= indicatorFourWay) && !mesh.textureNames.empty())
        mesh.textureNames[0].clear();
    return MeshResult::Ok;
}

// The device half of one mesh: its textures and its device copy.
MeshResult FinishMesh(Mesh& mesh) {
    mesh.LoadTextures();
    return mesh.RestoreDeviceCopy();
}

void DecodeTexturesAhead(const Mesh& mesh) {
    for (const std::string& path : mesh.TexturePaths())
        if (!path.empty()) PreloadImageFile(path, 0);
}

}  // namespace

void ReadSceneMeshes(const std::string& gameFolder) {
    for (int slot = 0; slot < elementMeshSlots; ++slot) {
        readState.slots[slot] = ReadSlot(elementMeshes[slot], slotFiles[slot], slot, gameFolder);
        if (readState.slots[slot] == MeshResult::Ok) DecodeTexturesAhead(elementMeshes[slot]);
        readState.distant[slot] = ReadSlot(distantMeshes[slot], DistantFile(slot), slot, gameFolder);
    }
    skyboxMesh.Destroy();
    readState.skybox = skyboxMesh.Read(InFolder(gameFolder, skyboxMeshFile));
    if (readState.skybox != MeshResult::Ok)
        TellUnloadedMesh("sky mesh", InFolder(gameFolder, skyboxMeshFile), readState.skybox, "the game cannot start");
    if (readState.skybox == MeshResult::Ok) {
        skyboxMesh.ConvertVertexFormat(meshVertexFormat);
        DecodeTexturesAhead(skyboxMesh);
    }
}

bool FinishSceneMeshes() {
    for (int slot = 0; slot < elementMeshSlots; ++slot) {
        // A missing element is not worth stopping the game for: its kinds stay invisible.
        if (readState.slots[slot] == MeshResult::Ok) FinishMesh(elementMeshes[slot]);
        if (readState.distant[slot] == MeshResult::Ok) FinishMesh(distantMeshes[slot]);
    }
    if (readState.skybox != MeshResult::Ok || FinishMesh(skyboxMesh) != MeshResult::Ok) {
        skyboxMesh.Destroy();
        return false;
    }
    return true;
}

void LoadElementMeshes(const std::string& gameFolder) {
    for (int slot = 0; slot < elementMeshSlots; ++slot) {
        if (ReadSlot(elementMeshes[slot], slotFiles[slot], slot, gameFolder) == MeshResult::Ok)
            FinishMesh(elementMeshes[slot]);
        if (ReadSlot(distantMeshes[slot], DistantFile(slot), slot, gameFolder) == MeshResult::Ok)
            FinishMesh(distantMeshes[slot]);
    }
}

bool LoadSkybox(const std::string& gameFolder) {
    skyboxMesh.Destroy();
    return LoadGameMesh(skyboxMesh, InFolder(gameFolder, skyboxMeshFile)) == MeshResult::Ok;
}

void ReleaseSceneDeviceCopies() {
    skyboxMesh.ReleaseDeviceCopy();
    for (Mesh& mesh : elementMeshes) mesh.ReleaseDeviceCopy();
    for (Mesh& mesh : distantMeshes) mesh.ReleaseDeviceCopy();
}

bool RestoreSceneDeviceCopies() {
    if (skyboxMesh.RestoreDeviceCopy() != MeshResult::Ok) return false;
    for (Mesh* meshes : {elementMeshes, distantMeshes})
        for (int slot = 0; slot < elementMeshSlots; ++slot)
            if (meshes[slot].HasGeometry() && meshes[slot].RestoreDeviceCopy() != MeshResult::Ok) return false;
    return true;
}

void DestroySceneMeshes() {
    skyboxMesh.Destroy();
    for (Mesh& mesh : elementMeshes) mesh.Destroy();
    for (Mesh& mesh : distantMeshes) mesh.Destroy();
}
