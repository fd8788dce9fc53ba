// Tumbleon: the program's entry. Start-up and shutdown in order, and the
// wiring of the game logic's seams to the window, the device and the screens.
//
//   tumbleon [--mute] [--window] [--lang hu|en]
//                                   plays the game (M mutes and unmutes; --window
//                                   starts in a window, F11 or Alt+Enter switches;
//                                   without --lang, LC_ALL, LC_MESSAGES or LANG
//                                   beginning with "en" gives English)
//   tumbleon --frame-bench [SEC]    times the 2D layer of every screen
//   tumbleon --render-bench [SEC]   times whole frames of the scenes beside the floor
//   TUMBLEON_TRACE=1 tumbleon       reports on stderr what is shown (tests wait on it)
//   TUMBLEON_WRITE_LOOP=N tumbleon  rewrites score.dat and video.ini every frame (scripts/kill_test.sh)
//   TUMBLEON_FREEZE_PICTURE=1       holds still what only moves the picture (screenshot tests)
#include <malloc.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "app/game_flow.h"
#include "app/platform_hooks.h"
#include "app/player_files.h"
#include "app/texts.h"
#include "app/video_settings.h"
#include "audio/audio.h"
#include "gfx/device.h"
#include "platform/platform.h"
#include "scene/debris.h"
#include "scene/element_meshes.h"
#include "scene/render_bench.h"
#include "scene/scene_render.h"
#include "sim/effects.h"
#include "ui/interface.h"
#include "ui/screens.h"

#include "trace.h"

struct MainState {
    bool startInWindow = false;      // --window
    bool displaySwitched = false;    // reported with the next frame, once the keys' work is done
    bool resetNeeded = false;        // the window came back, or a new mode waits
    bool newModeWaiting = false;
    DisplayMode waitingMode;
    int appliedMode = 0;             // index of the mode the window shows
    std::thread loader;  // reads the game's files while the window opens
    long writeRound = -1;  // TUMBLEON_WRITE_LOOP: the next round of rewrites, -1 when off
};

static MainState state;

// ---- Device ----

static void ResizeToWindow() {
    int w = 0, h = 0;
    WindowSize(w, h);
    if (w > 0 && h > 0) {
        screenWidth = w;
        screenHeight = h;
    }
    ResizeDevice(screenWidth, screenHeight);
}

static void Present() {
    PresentWindow();
    // A window the window system resized is drawn at its new size.
    if (WindowResized()) {
        const int oldWidth = screenWidth, oldHeight = screenHeight;
        ResizeToWindow();
        if (screenWidth != oldWidth || screenHeight != oldHeight) TraceDisplay();
    }
    if (state.displaySwitched) {
        state.displaySwitched = false;
        TraceDisplay();
    }
    // A window that is minimised or has lost the focus cannot be drawn on.
    if (WindowLost()) {
        if (!deviceLost) Trace("device lost");
        deviceLost = true;
        lastStepTime = -1.0;
        state.resetNeeded = true;
        return;
    }
    TracePresentedFrame();
}

// Releases what a reset loses, applies a waiting mode, and rebuilds. A mode
// the display refuses is given up for the one shown before, so the game never
// stays dark retrying it.
static bool ResetDevice() {
    InvalidateScene();
    const bool newMode = state.newModeWaiting;
    if (newMode) {
        state.newModeWaiting = false;
        if (ApplyWindowMode(state.waitingMode)) {
            state.appliedMode = Video().current;
        } else {
            Trace("mode refused");
            SetModeInUse(state.appliedMode);
            UpdateOptionArrows();
            SaveVideoSettings();  // the refused mode is not the one to start in next time
            ApplyWindowMode(Video().modes[static_cast<size_t>(Video().current)]);
        }
    }
    ResizeToWindow();
    if (newMode) TraceDisplay();
    if (!RestoreScene()) {
        InvalidateScene();
        return false;
    }
    Trace("device reset");
    return true;
}

// F11 or Alt+Enter: the same window and OpenGL context go from full screen
// to a window of the mode's size or back.
static bool ShowInWindow(bool inWindow) {
    if (Video().current < 0 || Video().current >= static_cast<int>(Video().modes.size())) return false;
    if (!ShowGameWindowAs(inWindow, Video().modes[static_cast<size_t>(Video().current)])) {
        Trace("display switch refused");
        return false;
    }
    ResizeToWindow();
    state.displaySwitched = true;
    return true;
}

static void RequestMode(const DisplayMode& mode) {
    state.waitingMode = mode;
    state.newModeWaiting = true;
    state.resetNeeded = true;
}

static bool PollDevice() {
    if (WindowLost()) return false;
    if (state.resetNeeded) {
        if (!ResetDevice()) return false;
        state.resetNeeded = false;
    }
    return true;
}

// The kill test's switch: every frame rewrites score.dat and video.ini a few
// times through the game's own writers, round N's contents telling N (bit
// p % 32 of N is puzzle p's flag; N is video.ini's refresh rate), and reports
// each finished write, so that a kill at any moment can be checked against
// the round before and the round in hand.
static void RewriteSavedFiles() {
    for (int i = 0; i < 32; ++i, ++state.writeRound) {
        const uint32_t round = static_cast<uint32_t>(state.writeRound);
        for (int p = 0; p < builtInPuzzleCount; ++p) solvedFlags[p] = (round >> (p % 32)) & 1u;
        if (WriteProgress()) Trace("wrote score.dat " + std::to_string(round));
        if (WriteVideoSettings({1024, 768, round, formatX8R8G8B8})) Trace("wrote video.ini " + std::to_string(round));
    }
}

static void DrawFrame() {
    RenderFrame();
    if (state.writeRound >= 0) RewriteSavedFiles();
}

// Everything the game has on the device: the scene's objects and the 2D images.
static void ReleaseAll() {
    InvalidateScene();
    ReleaseInterfaceImages();
}

static void ShowMessage(const char* title, const char* text) { ShowFailure(title, text); }

// ---- Start-up ----

static bool Fail(const std::string& what) {
    ShowFailure("Tumbleon", what);
    return false;
}

// The player's home as the environment names it; HOME falls back on the
// password database.
static HomeFolders HomeFoldersOfPlayer() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    HomeFolders folders{variable("XDG_DATA_HOME"), variable("XDG_CONFIG_HOME"), variable("HOME")};
    if (folders.home.empty())
        if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) folders.home = entry->pw_dir;
    return folders;
}

// The loading thread: decodes the interface images and the font, reads the
// meshes and their textures, and opens the sound device with the sound pack.
// Nothing here touches the window or the graphics device; the main thread puts
// the results on the device once it has joined.
static void LoadGameFiles(std::string folder) {
    PreloadInterfaceImages();
    ReadSceneMeshes(folder);
    OpenSoundEffects(folder + "/adatok");
}

static void JoinLoader() {
    if (state.loader.joinable()) state.loader.join();
}

static bool StartUp() {
    // 1. Paths: the data folder beside the program, or in share/tumbleon of an
    //    installed game; the player's files beside the program when its folder
    //    can be written, else in the player's home.
    TraceStage("main");
    const std::string programFolder = ExecutableFolder();
    workDir = FindDataFolder(programFolder);
    std::string message;
    if (!StartPlatform(message)) return Fail(message);
    TraceStage("platform");
    if (workDir.empty()) {
        const std::string beside = programFolder + "/adatok";
        const std::string installed = programFolder + "/../share/tumbleon/adatok";
        return Fail("Hiányzik a játék adatmappája: nincs meg sem itt: " + beside + ", sem itt: " + installed +
                    "\nA mappa a játék fordításakor készül el; fordítsd le újra a játékot "
                    "(cmake --build build), és a build mappában lévő tumbleon programot indítsd, vagy "
                    "telepítsd újra a játékot (cmake --install build).\n\n"
                    "The game's data folder is missing: neither " + beside + " nor " + installed +
                    " exists.\nIt is made when the game is built: build it again (cmake --build build) and start "
                    "the tumbleon program inside the build folder, or install the game again (cmake --install build).");
    }
    ChoosePlayerFiles(programFolder, FolderWritable(programFolder), HomeFoldersOfPlayer());
    Trace("files data=" + workDir + " progress=" + ProgressFilePath() + " settings=" + SettingsFilePath());

    // 2. Settings, the mode list, the boards, the collision shapes, the progress.
    platformHooks.enumerateDisplayModes = EnumerateDisplayModes;
    if (!StartGame(message))
        return Fail(message + "\n\nThe display offers no full-screen mode of at least 640 x 480; the game needs "
                              "one. Choose a larger screen resolution and start the game again.");
    state.appliedMode = Video().current;
    if (state.startInWindow) SetWindowed(true);  // this time only: window.ini keeps the player's choice
    TraceStage("settings");
    try {
        state.loader = std::thread(LoadGameFiles, workDir);
    } catch (const std::system_error&) {
        LoadGameFiles(workDir);  // no thread to be had: load in turn
    }

    // 3. The window and the device in the chosen mode.
    const DisplayMode& mode = Video().modes[static_cast<size_t>(Video().current)];
    if (!OpenGameWindow(mode, Video().windowed, message) || !StartDevice(static_cast<int>(mode.width), static_cast<int>(mode.height), message))
        return Fail("A játék ablaka nem nyitható meg ebben a módban: " + std::to_string(mode.width) + " x " +
                    std::to_string(mode.height) + ". Töröld a " + SettingsFilePath() + " fájlt, és indítsd újra.\n\n"
                    "The game's window cannot be opened in " + std::to_string(mode.width) + " x " +
                    std::to_string(mode.height) + " with OpenGL 3.3: " + message +
                    "\nDelete " + SettingsFilePath() + " and start again; without a graphics card, Mesa's "
                    "software renderer (libgl1-mesa-dri) is enough.");
    ResizeToWindow();
    Trace("device " + DeviceDescription());
    TraceDisplay();
    TraceStage("window");
    JoinLoader();
    TraceStage("files read");

    // 4. The interface images, the cursors and the icon.
    LoadInterfaceImages();
    LoadCursorsAndIcon(workDir + "/adatok/kepek_hun/");
    TraceStage("images");

    // 5. The font: without it no text can be shown.
    if (!BuildFontMetrics())
        return Fail("A betűkészlet (" + workDir + "/adatok/kepek_hun/fontok.tga) hiányzik vagy sérült. "
                    "Fordítsd le újra a játékot (cmake --build build), ez újra elkészíti.\n\n"
                    "The font picture " + workDir + "/adatok/kepek_hun/fontok.tga is missing or damaged. "
                    "Build the game again (cmake --build build): that makes it anew.");

    // 5b. The scene: its shader, the element meshes, the sky (which must load),
    // the debris the simulation starts, and the frame's scene hooks.
    message.clear();
    bool sceneReady = StartSceneDrawing(message);
    if (sceneReady) sceneReady = FinishSceneMeshes();
    if (!sceneReady && message.empty()) message = MeshReaderError();
    // Every mesh is in memory: the reader's library is not needed again.
    CloseMeshReader();
    ForgetPreloadedImages();  // what nobody took (a texture named twice) goes now
    // The loading thread's scratch memory (file bytes, decoded pixels now on
    // the device, Assimp's scenes) lies in an allocator arena of its own,
    // which keeps freed pages: give them back.
    malloc_trim(0);
    if (!sceneReady)
        return Fail("A 3D jelenet nem tölthető be (" + workDir + "/adatok/3dx). Fordítsd le újra a játékot "
                    "(cmake --build build).\n\nThe 3D scene cannot be loaded from " + workDir + "/adatok/3dx" +
                    (message.empty() ? std::string() : ": " + message) + ". Build the game again (cmake --build build).");
    TraceStage("meshes");
    InstallDebrisHooks();
    // TUMBLEON_NO_SCENE=1 shows the 2D interface alone: the interface's
    // screenshot tests keep apart from the scene, which has a test of its own.
    const char* noScene = std::getenv("TUMBLEON_NO_SCENE");
    if (!noScene || std::strcmp(noScene, "1") != 0) {
        frameHooks.drawScene = DrawScene;
        frameHooks.stepScene = StepScene;
        frameHooks.pickScene = PickScene;
    }

    // 6. The seams of the game logic.
    platformHooks.clockMilliseconds = PlatformClockMilliseconds;
    platformHooks.chooseLevelFile = ChooseLevelFileWithDialog;
    platformHooks.openWebPage = OpenWebPageInBrowser;
    platformHooks.resetDevice = RequestMode;
    platformHooks.showInWindow = ShowInWindow;
    platformHooks.pollDevice = PollDevice;
    platformHooks.updateHover = UpdateHover;
    platformHooks.drawFrame = DrawFrame;
    platformHooks.setCursor = ShowGameCursor;
    platformHooks.releaseGraphics = ReleaseAll;
    platformHooks.nextMessage = Tracing() ? NextTracedMessage : NextWindowMessage;
    platformHooks.sleepMilliseconds = PlatformSleepMilliseconds;
    platformHooks.showMessage = ShowMessage;
    frameHooks.present = Present;
    ShowGameCursor(CursorId::Pointer);

    // 7. Sound: the sound pack, then the music thread as the last step (its
    //    handshake says running once the thread runs). Without a sound
    //    device the game runs silent.
    const std::string dataDir = workDir + "/adatok";
    effectHooks.playSound = Tracing() ? PlayTracedEffect : PlayEffect;
    platformHooks.toggleMute = Tracing() ? ToggleTracedMute : ToggleSoundMuted;
    StartMusicThread(dataDir);
    TraceStage("music");
    return true;
}

// ---- Shutdown ----

static void ShutDown(bool saveSettings) {
    JoinLoader();
    // 1. The music thread stops first (it plays on the sound device), then
    //    the sound device.
    StopMusicThread();
    effectHooks.playSound = nullptr;
    CloseSound();
    // 2. The settings of the mode in use; not after a failed start, whose
    //    message may have asked the player to delete them.
    if (saveSettings) ShutdownGame();
    // 3. Everything on the device, then the device, the window and SDL.
    ReleaseAll();
    StopSceneDrawing();
    StopDevice();
    CloseGameWindow();
    StopPlatform();
}

int main(int argc, char** argv) {
    StartTrace();
    if (const char* writeLoop = std::getenv("TUMBLEON_WRITE_LOOP")) state.writeRound = std::atol(writeLoop);
    const char* freezeFlag = std::getenv("TUMBLEON_FREEZE_PICTURE");
    pictureFrozen = freezeFlag && *freezeFlag && std::strcmp(freezeFlag, "0") != 0;
    const bool bench = argc > 1 && std::strcmp(argv[1], "--frame-bench") == 0;
    // The player's options, in any order.
    bool mute = false, playOptions = argc > 1;
    const char* languageFlag = nullptr;
    for (int i = 1; i < argc && playOptions; ++i) {
        Language named;
        if (std::strcmp(argv[i], "--mute") == 0)
            mute = true;
        else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc && LanguageFromName(argv[i + 1], named))
            languageFlag = argv[++i];
        else if (std::strcmp(argv[i], "--window") == 0)
            state.startInWindow = true;
        else
            playOptions = false;
    }
    // The render benchmark: each scene in a child process of its own.
    if (argc > 1 && std::strcmp(argv[1], "--render-bench") == 0) {
        const double seconds = argc > 2 && std::atof(argv[2]) > 0.0 ? std::atof(argv[2]) : 3.0;
        const std::string folder = ExecutableFolder();
        return RunRenderBenchmark(folder + "/tumbleon", folder + "/tumbleon_render_floor", seconds);
    }
    const bool sceneBench = argc == 4 && std::strcmp(argv[1], "--scene-bench") == 0;
    if (argc > 1 && !bench && !playOptions && !sceneBench) {
        std::fprintf(stderr, "usage: tumbleon [--mute] [--window] [--lang hu|en] | --frame-bench [SECONDS] | "
                             "--render-bench [SECONDS]\n");
        return 2;
    }
    // Before anything is loaded: the language picks the texts and the pictures.
    SetGameLanguage(ChooseLanguage(languageFlag, std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
    Trace(GameLanguage() == Language::English ? "language en" : "language hu");
    // Muted before the device opens, so not a note of music is heard.
    if (mute || bench || sceneBench) SetSoundMuted(true);
    if (!StartUp()) {
        ShutDown(false);
        return 1;
    }
    if (sceneBench) {
        const bool known = RunSceneBenchmark(argv[2], std::atof(argv[3]) > 0.0 ? std::atof(argv[3]) : 3.0);
        ShutDown(false);
        return known ? 0 : 2;
    }
    if (bench) {
        const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
        RunFrameBenchmark(seconds > 0.0 ? seconds : 2.0);
    } else {
        Trace("started");
        RunMainLoop();
        Trace("stopped");
    }
    ShutDown(true);
    return 0;
}
