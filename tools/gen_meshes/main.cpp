// gen_meshes FOLDER FONT PALETTE...: writes the game's meshes (.x) and their
// textures (.tga) into FOLDER (the data folder's 3dx). Later palettes add to
// the earlier ones.
#include <cstdio>
#include <filesystem>

#include "tools/gen_meshes/gen_meshes.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: gen_meshes FOLDER FONT PALETTE...\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::string error;
    Palette palette;
    for (int i = 3; i < argc; ++i)
        if (!ReadPalette(argv[i], palette, error)) {
            std::fprintf(stderr, "gen_meshes: %s\n", error.c_str());
            return 1;
        }
    std::vector<GameMesh> meshes;
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (!BuildGameMeshes(palette, argv[2], meshes, error) || !WriteGameTextures(palette, folder, error)) {
        std::fprintf(stderr, "gen_meshes: %s\n", error.c_str());
        return 1;
    }
    if (!missingColours.empty()) {
        for (const std::string& name : missingColours)
            std::fprintf(stderr, "gen_meshes: the palettes have no colour \"%s\"\n", name.c_str());
        return 1;
    }
    for (const GameMesh& m : meshes)
        if (!WriteXFile(folder + "/" + m.file, m.mesh, "CD3DFile_Mesh")) {
            std::fprintf(stderr, "gen_meshes: cannot write %s/%s\n", folder.c_str(), m.file.c_str());
            return 1;
        }
    return 0;
}
