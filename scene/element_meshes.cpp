// The element mesh table and the sky.
#include "scene/element_meshes.h"

#include "board/board.h"

Mesh elementMeshes[elementMeshSlots];
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

std::string InFolder(const std::string& folder, const char* file) {
    return folder.empty() ? std::string(file) : folder + "/" + file;
}

}  // namespace

const char* ElementMeshFile(int slot) {
    if (slot < 0 || slot >= elementMeshSlots) return nullptr;
    return slotFiles[slot];
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

void LoadElementMeshes(const std::string& gameFolder) {
    for (int slot = 0; slot < elementMeshSlots; ++slot) {
        elementMeshes[slot].Destroy();
        if (!slotFiles[slot]) continue;
        // A missing element is not worth stopping the game for: its kinds stay invisible.
        if (LoadGameMesh(elementMeshes[slot], InFolder(gameFolder, slotFiles[slot])) != MeshResult::Ok) continue;
        if (IsBallKind(slot)) elementMeshes[slot].SetSphereNormals();
        // Indicators show their material colour, so a tint reads clearly on them.
        if ((slot == indicatorArrow || slot >= indicatorFourWay) && !elementMeshes[slot].textures.empty()) {
            Mesh& mesh = elementMeshes[slot];
            if (mesh.textures[0] != 0 && meshDeviceHooks.releaseTexture) meshDeviceHooks.releaseTexture(mesh.textures[0]);
            mesh.textures[0] = 0;
            mesh.textureNames[0].clear();
        }
    }
}

bool LoadSkybox(const std::string& gameFolder) {
    skyboxMesh.Destroy();
    return LoadGameMesh(skyboxMesh, InFolder(gameFolder, skyboxMeshFile)) == MeshResult::Ok;
}

void ReleaseSceneDeviceCopies() {
    skyboxMesh.ReleaseDeviceCopy();
    for (Mesh& mesh : elementMeshes) mesh.ReleaseDeviceCopy();
}

bool RestoreSceneDeviceCopies() {
    if (skyboxMesh.RestoreDeviceCopy() != MeshResult::Ok) return false;
    for (Mesh& mesh : elementMeshes)
        if (mesh.HasGeometry() && mesh.RestoreDeviceCopy() != MeshResult::Ok) return false;
    return true;
}

void DestroySceneMeshes() {
    skyboxMesh.Destroy();
    for (Mesh& mesh : elementMeshes) mesh.Destroy();
}
