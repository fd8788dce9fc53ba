// The trace reporter of the program's entry file: what the game shows, its
// start-up stages, its sounds and the keys it handled, on stderr.
#include "trace.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/edit_history.h"
#include "app/game_flow.h"
#include "app/hints.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "scene/scene_render.h"

static struct TraceState {
    bool on = false;
    // A state is reported once it has been presented twice, so a screenshot
    // taken after the report shows it.
    std::string lastShown, candidate;
    int candidateFrames = 0;
    int demoBuiltFrames = 0;  // frames shown with the menu's board fully built up
    bool musicTraced = false;
    bool firstPresented = false;
    double nextSoundClock = 0.0;    // output seconds at which the sound clock is next reported
    std::string keyTaken;           // the key message fetched last, reported once the game has handled it
    float splashBeforeKey = -1.0f;  // seconds of splash left when it was fetched; -1 off the splash
} trace;

void StartTrace() {
    const char* flag = std::getenv("TUMBLEON_TRACE");
    trace.on = flag && *flag && std::strcmp(flag, "0") != 0;
}

bool Tracing() { return trace.on; }

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

// The stretches of the logo sequence: 0 the publisher's logo fading in, 1 it
// whole, 2 the change to the partner's, 3 that whole, 4 its fading out. 1 and
// 3 are those a key or click shortens.
static int SplashPhase() {
    const float t = splashTime, middle = SplashLogoMiddle(t);
    const int logo = SplashShowsPublisher(t) ? 0 : 2;
    if (t >= middle + splashWholeHalf) return logo;
    if (t > middle - splashWholeHalf) return logo + 1;
    return logo + 2;
}

void Trace(const std::string& line) {
    if (!trace.on) return;
    std::fprintf(stderr, "trace: %s\n", line.c_str());
    std::fflush(stderr);
}

// ---- Start-up stages ----

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

void TraceStage(const char* stage) {
    if (!trace.on) return;
    char line[160];
    std::snprintf(line, sizeof line, "stage %s at %.1f ms rss %ld KiB peak %ld KiB", stage, ProcessMilliseconds(),
                  StatusKiB("VmRSS:"), StatusKiB("VmHWM:"));
    Trace(line);
}

// The hints shown and the undo history, when there are any: "hints=N/M
// cells=C hint0=piece5:123:113 hint1=ball12:130:120 hint2=arrow184 ... undo=U
// redo=R". A piece's or ball's hint names its kind, the cell it goes to and
// the cell whose top it is put on; an arrow's the hover number of the launch
// arrow to choose ("arrow-" while its ball is not placed).
static std::string HintsAndHistory() {
    std::string out;
    const std::vector<HintStep>& steps = HintSteps();
    if (!steps.empty())
        out += " hints=" + std::to_string(steps.size()) + "/" + std::to_string(HintCount()) +
               " cells=" + std::to_string(board.cellCount);
    for (size_t i = 0; i < steps.size(); ++i) {
        const HintStep& step = steps[i];
        out += " hint" + std::to_string(i) + "=";
        if (step.what != HintStep::What::Arrow) {
            out += (step.what == HintStep::What::Piece ? "piece" : "ball") + std::to_string(step.kind) + ":" +
                   std::to_string(step.cell) + ":" + std::to_string(step.cell - board.sizeX);
            continue;
        }
        const int ball = HintBall(step);
        out += ball < 0 ? std::string("arrow-")
                        : "arrow" + std::to_string(HoverNumber(PickHit::Arrow(ball, step.direction - 1), board.cellCount));
    }
    if (UndoSteps() + RedoSteps() > 0)
        out += " undo=" + std::to_string(UndoSteps()) + " redo=" + std::to_string(RedoSteps());
    return out;
}

static void TraceShown() {
    if (!trace.on) return;
    const std::string shown = std::string("shown screen=") + ScreenName(gameScreen) + " page=" + PageName(menuPage) +
                              " dialog=" + std::to_string(static_cast<int>(dialogState)) +
                              " hover=" + std::to_string(HoveredNumber()) + " first=" + std::to_string(currentPuzzle) +
                              " at=" + std::to_string(static_cast<int>(pointerX)) + "," +
                              std::to_string(static_cast<int>(pointerY)) + " level=" + levelName +
                              (gameScreen == GameScreen::Splash ? " splash=" + std::to_string(SplashPhase()) : "") +
                              (RollRefusalShowing() ? " roll=refused" : "") + HintsAndHistory();
    if (shown != trace.candidate) {
        trace.candidate = shown;
        trace.candidateFrames = 0;
    }
    if (++trace.candidateFrames == 2 && shown != trace.lastShown) {
        trace.lastShown = shown;
        Trace(shown);
        if (gameScreen == GameScreen::Play || gameScreen == GameScreen::Editor) Trace("scene " + SceneScreenPoints());
    }
    // The menu's board with all its balls, shown twice: a screenshot now shows it whole.
    const bool built = gameScreen == GameScreen::MainMenu && demoFade >= 1.2f;
    trace.demoBuiltFrames = built ? trace.demoBuiltFrames + 1 : 0;
    if (trace.demoBuiltFrames == 2) Trace("scene demo built");
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

void PlayTracedEffect(int id) {
    const double at = SoundOutputSeconds();
    PlayEffect(id);
    Trace("sound " + std::to_string(id) + " at " + OutputSeconds(at));
}

void ToggleTracedMute() {
    ToggleSoundMuted();
    Trace(std::string(SoundMuted() ? "muted" : "unmuted") + " at " + OutputSeconds(SoundOutputSeconds()));
}

// Each key message in the trace by the game's code, reported at the next
// fetch, when the game has handled it; on the splash with the seconds left
// before and after, so that a test sees which keys skip a logo.
bool NextTracedMessage(Message& message) {
    if (!trace.keyTaken.empty()) {
        std::string line = trace.keyTaken;
        if (trace.splashBeforeKey >= 0.0f) {
            char times[64];
            std::snprintf(times, sizeof times, " splash %.3f -> %.3f", trace.splashBeforeKey, splashTime);
            line += times;
        }
        Trace(line);
        trace.keyTaken.clear();
    }
    if (!NextWindowMessage(message)) return false;
    if (message.type == MessageType::KeyDown) {
        trace.keyTaken = "key " + std::to_string(message.key);
        trace.splashBeforeKey = gameScreen == GameScreen::Splash ? splashTime : -1.0f;
    }
    return true;
}

static void TraceSoundClock() {
    if (!trace.on) return;
    const double now = SoundOutputSeconds();
    if (now < 0.0) return;
    if (!trace.musicTraced && MusicPlaying()) {
        trace.musicTraced = true;
        Trace("music at " + OutputSeconds(now));
    }
    if (now >= trace.nextSoundClock) {
        Trace("sound clock " + OutputSeconds(now));
        trace.nextSoundClock = now + 0.25;
    }
}

void TraceDisplay() {
    Trace(std::string("display ") + (WindowIsFullScreen() ? "fullscreen " : "window ") + std::to_string(screenWidth) +
          "x" + std::to_string(screenHeight));
}

void TracePresentedFrame() {
    if (!trace.firstPresented) {
        trace.firstPresented = true;
        TraceStage("first frame");
    }
    TraceShown();
    TraceSoundClock();
}
