// Start-up loading: what the loading thread decodes ahead is what reading the
// file gives, taken once; meshes read in halves, with the reader closed and
// opened again between them, come out as one whole Load gives them, and the
// closed reader leaves no page of its code in memory; pictures first needed
// after the main menu go on the device when first drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/game_state.h"
#include "app/video_settings.h"
#include "gfx/device.h"
#include "platform/platform.h"
#include "scene/element_meshes.h"
#include "tests/test_support.h"
#include "ui/interface.h"

#if defined(__SANITIZE_ADDRESS__)
#define UI_GL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UI_GL_UNDER_SANITIZER 1
#endif
#endif

TEST(UiStartup, ImagesDecodedAheadAreTakenOnceAsTheFileReads) {
    const std::string data = TUMBLEON_BUILD_DIR "/adatok/";
    const struct {
        const char* file;
        uint32_t colorKey;
    } cases[] = {
        {"kepek_hun/fontok.tga", 0x00FF00FF},  // the font scan's key
        {"kepek_hun/fontok.tga", 0x000000FF},  // the same file as an interface image
        {"3dx/sky.tga", 0},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        Pixels direct;
        ASSERT_TRUE(ReadImageFile(data + c.file, c.colorKey, direct)) << c.file;
        int width = 0, height = 0;
        ASSERT_TRUE(ReadImageSize(data + c.file, width, height)) << c.file;
        EXPECT_EQ(width, direct.width);
        EXPECT_EQ(height, direct.height);

        // Decoded on another thread from a copy that is then removed: only the
        // decoded pixels can answer the first read, and nothing the second.
        const std::string copy = dir.File("image.tga");
        std::filesystem::copy_file(data + c.file, copy, std::filesystem::copy_options::overwrite_existing);
        std::thread([&] { PreloadImageFile(copy, c.colorKey); }).join();
        std::filesystem::remove(copy);
        Pixels ahead;
        EXPECT_FALSE(ReadImageFile(copy, c.colorKey ^ 1u, ahead)) << "another key is another image";
        ASSERT_TRUE(ReadImageFile(copy, c.colorKey, ahead)) << c.file;
        EXPECT_EQ(ahead.width, direct.width);
        EXPECT_TRUE(ahead.rgba == direct.rgba) << c.file;
        EXPECT_FALSE(ReadImageFile(copy, c.colorKey, ahead)) << c.file;
    }
    PreloadImageFile("/nonexistent/none.tga", 0);
    Pixels none;
    EXPECT_FALSE(ReadImageFile("/nonexistent/none.tga", 0, none));
    int width = 0, height = 0;
    EXPECT_FALSE(ReadImageSize("/nonexistent/none.tga", width, height));
    ForgetPreloadedImages();
}

// Kibibytes resident in mappings of files whose path holds `name` that no
// one wrote to: the pages that are plain copies of the file.
static long ResidentFileCopyKiB(const char* name) {
    FILE* maps = std::fopen("/proc/self/smaps", "r");
    if (!maps) return -1;
    long total = 0, rss = 0, anonymous = 0;
    bool inFile = false;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        unsigned long from = 0, to = 0;
        char perms[8] = {};
        if (std::sscanf(line, "%lx-%lx %7s", &from, &to, perms) == 3) {
            inFile = std::strstr(line, name) != nullptr && perms[1] != 'w';
            rss = anonymous = 0;
        } else if (inFile && std::sscanf(line, "Rss: %ld kB", &rss) == 1) {
        } else if (inFile && std::sscanf(line, "Anonymous: %ld kB", &anonymous) == 1 && anonymous == 0) {
            total += rss;
        }
    }
    std::fclose(maps);
    return total;
}

TEST(UiStartup, MeshesReadInHalvesMatchWholeLoads) {
    // Read on another thread, the reader closed in between, as start-up does.
    std::thread([] { ReadSceneMeshes(TUMBLEON_BUILD_DIR); }).join();
    EXPECT_GT(ResidentFileCopyKiB("libassimp"), 0) << "the reader ran from its library's pages";
    CloseMeshReader();
    // Unloaded, or (when a library it needs pins it) its code left out of memory.
    EXPECT_EQ(ResidentFileCopyKiB("libassimp"), 0);
    EXPECT_EQ(ResidentFileCopyKiB("libdraco"), 0);
    ASSERT_TRUE(FinishSceneMeshes());
    EXPECT_EQ(MeshReaderError(), "");
    for (int slot = 0; slot < elementMeshSlots; ++slot) {
        if (!ElementMeshFile(slot)) continue;
        Mesh whole;
        ASSERT_EQ(LoadGameMesh(whole, std::string(TUMBLEON_BUILD_DIR "/") + ElementMeshFile(slot)), MeshResult::Ok);
        const Mesh& halves = elementMeshes[slot];
        ASSERT_TRUE(halves.HasGeometry()) << slot;
        EXPECT_EQ(halves.master->vertices.size(), whole.master->vertices.size()) << slot;
        EXPECT_TRUE(halves.master->indices == whole.master->indices) << slot;
        EXPECT_EQ(halves.materials.size(), whole.materials.size()) << slot;
        const bool indicator = slot == indicatorArrow || slot >= indicatorFourWay;
        EXPECT_EQ(halves.textureNames.size(), whole.textureNames.size()) << slot;
        for (size_t i = indicator ? 1 : 0; i < whole.textureNames.size(); ++i)
            EXPECT_EQ(halves.textureNames[i], whole.textureNames[i]) << slot;
    }
    CloseMeshReader();
    Mesh again;
    EXPECT_EQ(LoadGameMesh(again, TUMBLEON_BUILD_DIR "/adatok/3dx/skybox.x"), MeshResult::Ok) << "reopened";
    DestroySceneMeshes();
}

TEST(UiStartup, EditorAndDialogPicturesGoOnTheDeviceWhenFirstDrawn) {
#ifdef UI_GL_UNDER_SANITIZER
    GTEST_SKIP() << "Mesa's own allocations read as leaks under the sanitizers";
#else
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string message;
    bool ready = StartPlatform(message);
    const std::vector<DisplayMode> modes = ready ? EnumerateDisplayModes() : std::vector<DisplayMode>{};
    ready = ready && !modes.empty() && OpenGameWindow(modes.front(), false, message) &&
            StartDevice(static_cast<int>(modes.front().width), static_cast<int>(modes.front().height), message);
    unsetenv("SDL_VIDEODRIVER");
    if (ready) {
        workDir = TUMBLEON_BUILD_DIR;
        LoadInterfaceImages();
        const int later[] = {imagePanel, imageDialogOk, imageDialogMenu, imageOptionsPlus, imageOptionsPlus + 1};
        for (int slot : later) {
            EXPECT_GT(interfaceImages[slot].width, 0) << slot << ": the layout knows its size";
            EXPECT_EQ(interfaceImages[slot].texture.id, 0u) << slot;
        }
        EXPECT_NE(interfaceImages[imageTitle].texture.id, 0u) << "the main menu's pictures are there at once";
        SpriteBegin();
        DrawPanel(-230, -35, 230, 55, 1, 1);
        DrawImage(imageDialogOk, 0, 0, 1, 1, 0xFFFFFFFF);
        DrawImage(imageDialogMenu, 0, 0, 1, 1, 0xFFFFFFFF);
        DrawImage(imageOptionsPlus, 0, 0, 0, 0, 0xFFFFFFFF);
        SpriteEnd();
        for (int slot : {imagePanel, imageDialogOk, imageDialogMenu, imageOptionsPlus})
            EXPECT_NE(interfaceImages[slot].texture.id, 0u) << slot << " drawn";
        ReleaseInterfaceImages();
        StopDevice();
    }
    CloseGameWindow();
    StopPlatform();
    if (!ready) GTEST_SKIP() << "no OpenGL 3.3 context: " << message;
#endif
}
