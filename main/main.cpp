// Tumbleon: the program's entry. Start-up and shutdown in order, and the
// wiring of the game logic's seams to the window, the device and the screens.
//
//   tumbleon [--mute] [--window]    plays the game (M mutes and unmutes; --window
//                                   starts in a window, F11 or Alt+Enter switches)
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
#include <ctime>
#include <string>
#include <system_error>
#include <thread>

#include "app/game_flow.h"
#include "app/platform_hooks.h"
#include "app/player_files.h"
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

struct MainState {
    bool trace = false;
    bool startInWindow = false;      // --window
    bool displaySwitched = false;    // reported with the next frame, once the keys' work is done
    bool resetNeeded = false;        // the window came back, or a new mode waits
    bool newModeWaiting = false;
    DisplayMode waitingMode;
    int appliedMode = 0;             // index of the mode the window shows
    // ---- trace: a state is reported once it has been presented twice, so a
    // screenshot taken after the report shows it ----
    std::string lastShown, candidate;
    int candidateFrames = 0;
    int demoBuiltFrames = 0;  // frames shown with the menu's board fully built up
    bool musicTraced = false;
    bool firstPresented = false;
    std::thread loader;  // reads the game's files while the window opens
    double nextSoundClock = 0.0;  // output seconds at which the sound clock is next reported
    std::string keyTaken;         // the key message fetched last, reported once the game has handled it
    float splashBeforeKey = -1.0f;  // seconds of splash left when it was fetched; -1 off the splash
    long writeRound = -1;  // TUMBLEON_WRITE_LOOP: the next round of rewrites, -1 when off
};

static MainState state;

// ---- Trace ----

static const char* ScreenName(GameScreen screen) {
    switch (screen) {
    case GameScreen::MainMenu: return "MainMenu";
    case GameScreen::Editor: return "Editor";
    case GameScreen::Play: return "Play";
    case GameScreen::Run: return "Run";
    case GameScreen::Splash: return "Splash";
    }
    return "?";
}

static const char* PageName(MenuPage page) {
    switch (page) {
    case MenuPage::Main: return "Main";
    case MenuPage::FromEditor: return "FromEditor";
    case MenuPage::FromPlay: return "FromPlay";
    case MenuPage::PuzzleSelect: return "PuzzleSelect";
    case MenuPage::Help1: return "Help1";
    case MenuPage::Help2: return "Help2";
    case MenuPage::Help3: return "Help3";
    case MenuPage::Help4: return "Help4";
    case MenuPage::Options: return "Options";
    }
    return "?";
}

// The stretches of the logo sequence: 1 and 3 are those a key or click shortens.
static int SplashPhase() {
    const float t = splashTime;
    if (t >= 9.0f) return 0;
    if (t > 6.0f) return 1;
    if (t >= 4.0f) return 2;
    if (t > 1.0f) return 3;
    return 4;
}

static void Trace(const std::string& line) {
    if (!state.trace) return;
    std::fprintf(stderr, "trace: %s\n", line.c_str());
    std::fflush(stderr);
}

// ---- Start-up stages in the trace ----
// Each stage is reported with the milliseconds since the process began and the
// resident and peak memory then, so a slow or heavy stage shows by name.

// Milliseconds since the kernel started the process (to its 10 ms tick), so the
// libraries' loading before main counts too.
static double ProcessMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
    FILE* file = std::fopen("/proc/self/stat", "r");
    if (!file) return -1.0;
    char text[1024] = {};
    const size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = '\0';
    // Field 22, counted after the command name's closing parenthesis (field 2).
    const char* p = std::strrchr(text, ')');
    for (int field = 2; p && field < 22; ++field) p = std::strchr(p + 1, ' ');
    if (!p) return -1.0;
    return nowMs - std::atof(p + 1) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

static long StatusKiB(const char* field) {
    FILE* file = std::fopen("/proc/self/status", "r");
    if (!file) return -1;
    char line[256];
    long value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, field, length) == 0) value = std::atol(line + length);
    std::fclose(file);
    return value;
}

static void TraceStage(const char* stage) {
    if (!state.trace) return;
    char line[160];
    std::snprintf(line, sizeof line, "stage %s at %.1f ms rss %ld KiB peak %ld KiB", stage, ProcessMilliseconds(),
                  StatusKiB("VmRSS:"), StatusKiB("VmHWM:"));
    Trace(line);
}

static void TraceShown() {
    if (!state.trace) return;
    const std::string shown = std::string("shown screen=") + ScreenName(gameScreen) + " page=" + PageName(menuPage) +
                              " dialog=" + std::to_string(static_cast<int>(dialogState)) +
                              " hover=" + std::to_string(hoveredControl) + " first=" + std::to_string(currentPuzzle) +
                              " at=" + std::to_string(static_cast<int>(pointerX)) + "," +
                              std::to_string(static_cast<int>(pointerY)) + " level=" + levelName +
                              (gameScreen == GameScreen::Splash ? " splash=" + std::to_string(SplashPhase()) : "") +
                              (RollRefusalShowing() ? " roll=refused" : "");
    if (shown != state.candidate) {
        state.candidate = shown;
        state.candidateFrames = 0;
    }
    if (++state.candidateFrames == 2 && shown != state.lastShown) {
        state.lastShown = shown;
        Trace(shown);
        if (gameScreen == GameScreen::Play || gameScreen == GameScreen::Editor) Trace("scene " + SceneScreenPoints());
    }
    // The menu's board with all its balls, shown twice: a screenshot now shows it whole.
    const bool built = gameScreen == GameScreen::MainMenu && demoFade >= 1.2f;
    state.demoBuiltFrames = built ? state.demoBuiltFrames + 1 : 0;
    if (state.demoBuiltFrames == 2) Trace("scene demo built");
}

// Sound in the trace, in seconds of the output device's clock: when the music
// began, when each effect and the mute were asked for, and every quarter of a
// second how far the output has got, so that a recording of the output can be
// checked against the game's own account.
static std::string OutputSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5f", seconds);
    return text;
}

static void PlayTracedEffect(int id) {
    const double at = SoundOutputSeconds();
    PlayEffect(id);
    Trace("sound " + std::to_string(id) + " at " + OutputSeconds(at));
}

static void ToggleTracedMute() {
    ToggleSoundMuted();
    Trace(std::string(SoundMuted() ? "muted" : "unmuted") + " at " + OutputSeconds(SoundOutputSeconds()));
}

// Each key message in the trace by the game's code, reported at the next
// fetch, when the game has handled it; on the splash with the seconds left
// before and after, so that a test sees which keys skip a logo.
static bool NextTracedMessage(Message& message) {
    if (!state.keyTaken.empty()) {
        std::string line = state.keyTaken;
        if (state.splashBeforeKey >= 0.0f) {
            char times[64];
            std::snprintf(times, sizeof times, " splash %.3f -> %.3f", state.splashBeforeKey, splashTime);
            line += times;
        }
        Trace(line);
        state.keyTaken.clear();
    }
    if (!NextWindowMessage(message)) return false;
    if (message.type == MessageType::KeyDown) {
        state.keyTaken = "key " + std::to_string(message.key);
        state.splashBeforeKey = gameScreen == GameScreen::Splash ? splashTime : -1.0f;
    }
    return true;
}

static void TraceSoundClock() {
    if (!state.trace) return;
    const double now = SoundOutputSeconds();
    if (now < 0.0) return;
    if (!state.musicTraced && MusicPlaying()) {
        state.musicTraced = true;
        Trace("music at " + OutputSeconds(now));
    }
    if (now >= state.nextSoundClock) {
        Trace("sound clock " + OutputSeconds(now));
        state.nextSoundClock = now + 0.25;
    }
}

// ---- Device ----

static void TraceDisplay() {
    Trace(std::string("display ") + (WindowIsFullScreen() ? "fullscreen " : "window ") + std::to_string(screenWidth) +
          "x" + std::to_string(screenHeight));
}

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
    if (!state.firstPresented) {
        state.firstPresented = true;
        TraceStage("first frame");
    }
    TraceShown();
    TraceSoundClock();
}

// Releases what a reset loses, applies a waiting mode, and rebuilds. A mode
// the display refuses is given up for the one shown before, so the game never
// stays dark retrying it.
static bool ResetDevice() {
    InvalidateGraphics();
    const bool newMode = state.newModeWaiting;
    if (newMode) {
        state.newModeWaiting = false;
        if (ApplyWindowMode(state.waitingMode)) {
            state.appliedMode = currentMode;
        } else {
            Trace("mode refused");
            currentMode = pendingMode = state.appliedMode;
            UpdateOptionArrows();
            SaveVideoSettings();  // the refused mode is not the one to start in next time
            ApplyWindowMode(displayModes[static_cast<size_t>(currentMode)]);
        }
    }
    ResizeToWindow();
    if (newMode) TraceDisplay();
    if (!RestoreGraphics()) {
        InvalidateGraphics();
        return false;
    }
    Trace("device reset");
    return true;
}

// F11 or Alt+Enter: the same window and OpenGL context go from full screen
// to a window of the mode's size or back.
static bool ShowInWindow(bool inWindow) {
    if (currentMode < 0 || currentMode >= static_cast<int>(displayModes.size())) return false;
    if (!ShowGameWindowAs(inWindow, displayModes[static_cast<size_t>(currentMode)])) {
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

static void ReleaseAll() { ReleaseGraphics(); }

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
    state.appliedMode = currentMode;
    if (state.startInWindow) windowed = true;  // this time only: window.ini keeps the player's choice
    TraceStage("settings");
    try {
        state.loader = std::thread(LoadGameFiles, workDir);
    } catch (const std::system_error&) {
        LoadGameFiles(workDir);  // no thread to be had: load in turn
    }

    // 3. The window and the device in the chosen mode.
    const DisplayMode& mode = displayModes[static_cast<size_t>(currentMode)];
    if (!OpenGameWindow(mode, windowed, message) || !StartDevice(static_cast<int>(mode.width), static_cast<int>(mode.height), message))
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
        frameHooks.advanceDebris = AdvanceSceneDebris;
        frameHooks.pickScene = PickScene;
    }
    frameHooks.invalidateScene = InvalidateScene;
    frameHooks.restoreScene = RestoreScene;

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
    platformHooks.nextMessage = state.trace ? NextTracedMessage : NextWindowMessage;
    platformHooks.sleepMilliseconds = PlatformSleepMilliseconds;
    platformHooks.showMessage = ShowMessage;
    frameHooks.present = Present;
    ShowGameCursor(CursorId::Pointer);

    // 7. Sound: the sound pack, then the music thread as the last step (its
    //    handshake says running once the thread runs). Without a sound
    //    device the game runs silent.
    const std::string dataDir = workDir + "/adatok";
    effectHooks.playSound = state.trace ? PlayTracedEffect : PlayEffect;
    platformHooks.toggleMute = state.trace ? ToggleTracedMute : ToggleSoundMuted;
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
    ReleaseGraphics();
    StopSceneDrawing();
    StopDevice();
    CloseGameWindow();
    StopPlatform();
}

int main(int argc, char** argv) {
    const char* traceFlag = std::getenv("TUMBLEON_TRACE");
    state.trace = traceFlag && *traceFlag && std::strcmp(traceFlag, "0") != 0;
    if (const char* writeLoop = std::getenv("TUMBLEON_WRITE_LOOP")) state.writeRound = std::atol(writeLoop);
    const char* freezeFlag = std::getenv("TUMBLEON_FREEZE_PICTURE");
    pictureFrozen = freezeFlag && *freezeFlag && std::strcmp(freezeFlag, "0") != 0;
    const bool bench = argc > 1 && std::strcmp(argv[1], "--frame-bench") == 0;
    // The player's options, in any order.
    bool mute = false, playOptions = argc > 1;
    for (int i = 1; i < argc && playOptions; ++i) {
        if (std::strcmp(argv[i], "--mute") == 0)
            mute = true;
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
        std::fprintf(stderr, "usage: tumbleon [--mute] [--window] | --frame-bench [SECONDS] | --render-bench [SECONDS]\n");
        return 2;
    }
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
