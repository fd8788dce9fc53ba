// The render benchmark: a parent that runs each scene and the two floors as a
// process of its own and reads back what they print, and the child's loop.
#include "scene/render_bench.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/game_flow.h"
#include "app/game_state.h"
#include "app/platform_hooks.h"
#include "scene/scene_render.h"
#include "sim/simulation.h"

extern char** environ;

namespace {

double MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// ---- Child: the scenes ----

uint32_t benchRandom = 12345u;
int BenchRandom(int below) {
    benchRandom = benchRandom * 1103515245u + 12345u;
    return static_cast<int>((benchRandom >> 16) % static_cast<uint32_t>(below));
}

// Ground under everything, then layers 1 .. top - 1 filled with elements of
// every kind where the dice say so (below `solidTop` plain cubes), and balls
// on the layer above, each with a launch direction.
void BuildBoard(int sx, int sy, int sz, int top, int fillPercent, int balls, int solidTop) {
    static const int kinds[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19};
    board.Resize(sx, sy, sz);
    board.Clear();
    board.Resize(sx, sy, sz);
    for (int z = 0; z < sz; ++z)
        for (int x = 0; x < sx; ++x) {
            board.cells[static_cast<size_t>(board.Index(x, 0, z))] = kindGroundCube;
            for (int y = 1; y < top; ++y)
                if (y < solidTop)
                    board.cells[static_cast<size_t>(board.Index(x, y, z))] = kindPlainCube;
                else if (BenchRandom(100) < fillPercent)
                    board.cells[static_cast<size_t>(board.Index(x, y, z))] =
                        static_cast<int8_t>(kinds[BenchRandom(static_cast<int>(std::size(kinds)))]);
        }
    for (int i = 0; i < balls; ++i) {
        const int x = BenchRandom(sx), z = BenchRandom(sz);
        const int cell = board.Index(x, top, z);
        if (board.FindBallAtCell(cell) < board.ballCount || !board.AddBall(12 + i % 4, cell)) continue;
        Ball& ball = board.balls[board.ballCount - 1];
        ball.direction = static_cast<int8_t>(1 + BenchRandom(4));
        ball.lock = static_cast<int8_t>(BallLock::FixedBall);
    }
    board.goalCount = static_cast<int8_t>(std::min(balls + 1, 100));
    const float radius = 0.5f * static_cast<float>(std::max(sx, sz));
    camera.cameraDistance = 2.6f * radius + 4.0f;
    camera.cameraPitch = 0.6f;
    camera.cameraYaw = 0.785f;
    levelName = "bench";
}

}  // namespace

bool RunSceneBenchmark(const std::string& scene, double seconds) {
    if (scene != "menu" && scene != "puzzle10" && scene != "full30" && scene != "mixed30") return false;
    // The first presented frame: the splash, with every piece of data loaded.
    if (platformHooks.drawFrame) platformHooks.drawFrame();
    const char* t0 = std::getenv("TUMBLEON_BENCH_T0");
    std::printf("first_frame_ms %.1f\n", t0 ? MonotonicMs() - std::atof(t0) / 1e6 : -1.0);

    if (scene == "menu") {
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::Main;
    } else if (scene == "puzzle10") {
        BuildBoard(10, 10, 10, 5, 35, 10, 1);
        gameScreen = GameScreen::Play;
        menuPage = MenuPage::FromPlay;
    } else {
        // Full: plain cubes below, every kind of piece in the top layer; or
        // (mixed) every kind in every layer, where hardly a cell is hidden.
        BuildBoard(30, 10, 30, 5, 100, 100, scene == "full30" ? 4 : 1);
        menuPage = MenuPage::FromPlay;
        if (StartRoll(board, runStartBoard, ballsAtTarget)) gameScreen = GameScreen::Run;
    }
    hoveredControl = -1;
    hoveredPick = PickHit{};

    // Game time runs at exactly 60 frames a second, whatever the frames cost:
    // every run draws the same frames, so two builds compare on equal work.
    static double gameClock = 0.0;
    gameClock = 0.0;
    platformHooks.clockMilliseconds = [] { return gameClock; };
    lastStepTime = -1.0;
    using Clock = std::chrono::steady_clock;
    const int frameCount = std::max(1, static_cast<int>(seconds * 60.0));
    std::vector<double> times, stepTimes;  // whole frames, and their simulation steps alone
    int drawCalls = 0, instances = 0;
    // Processor time of every thread (the software renderer's too): on a
    // shared machine it says more about the work than the wall clock does.
    const double cpuStart = ProcessCpuMs();
    for (int frame = 0; frame < frameCount; ++frame) {
        const auto start = Clock::now();
        FrameStep();
        const auto drawn = Clock::now();
        if (platformHooks.drawFrame) platformHooks.drawFrame();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        stepTimes.push_back(std::chrono::duration<double, std::milli>(drawn - start).count());
        drawCalls = std::max(drawCalls, LastSceneDrawStats().drawCalls);
        instances = std::max(instances, LastSceneDrawStats().instances);
        gameClock += 1000.0 / 60.0;
    }
    const double cpuPerFrame = times.empty() ? 0.0 : (ProcessCpuMs() - cpuStart) / static_cast<double>(times.size());
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    std::sort(stepTimes.begin(), stepTimes.end());
    std::printf("frames %zu median %.2f p90 %.2f draws %d instances %d steps %.2f balls %d cpu %.2f\n", n,
                n ? times[n / 2] : 0.0, n ? times[std::min(n - 1, n * 9 / 10)] : 0.0, drawCalls, instances,
                n ? stepTimes[n / 2] : 0.0, board.ballCount, cpuPerFrame);
    std::fflush(stdout);
    return true;
}

// ---- Parent ----

namespace {

struct BenchResult {
    bool ok = false;
    double firstFrameMs = 0.0, median = 0.0, p90 = 0.0;
    long peakKiB = 0;
    int draws = 0, instances = 0;
    double steps = 0.0;  // median milliseconds of simulation in a frame
    double cpu = 0.0;    // processor milliseconds per frame, all threads
    size_t frames = 0;
};

// Runs one program with its output read back, timing from just before the spawn.
BenchResult RunChild(const std::vector<std::string>& args) {
    BenchResult result;
    int out[2];
    if (pipe(out) != 0) return result;
    char t0[32];
    std::snprintf(t0, sizeof t0, "%.0f", MonotonicMs() * 1e6);
    setenv("TUMBLEON_BENCH_T0", t0, 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        std::fprintf(stderr, "render bench: cannot start %s: %s\n", argv[0], std::strerror(spawned));
        return result;
    }
    std::string text;
    char buffer[512];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return result;
    result.peakKiB = usage.ru_maxrss;
    const char* first = std::strstr(text.c_str(), "first_frame_ms ");
    const char* frames = std::strstr(text.c_str(), "frames ");
    if (!first || !frames || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return result;
    result.firstFrameMs = std::atof(first + 15);
    std::sscanf(frames, "frames %zu median %lf p90 %lf draws %d instances %d steps %lf balls %*d cpu %lf",
                &result.frames, &result.median, &result.p90, &result.draws, &result.instances, &result.steps,
                &result.cpu);
    result.ok = true;
    return result;
}

}  // namespace

int RunRenderBenchmark(const std::string& game, const std::string& floorProgram, double seconds) {
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
    struct Row {
        const char* label;
        std::vector<std::string> args;
    };
    const Row rows[] = {
        {"floor (SDL window + GL 3.3 clear)", {floorProgram, secondsText}},
        {"floor drawing (shader, 256 tex, cube)", {floorProgram, "--draw", secondsText}},
        {"main menu", {game, "--scene-bench", "menu", secondsText}},
        {"10x10x10 puzzle", {game, "--scene-bench", "puzzle10", secondsText}},
        {"30x10x30 full, 100 balls rolling", {game, "--scene-bench", "full30", secondsText}},
        {"30x10x30 mixed kinds, 100 balls", {game, "--scene-bench", "mixed30", secondsText}},
    };
    std::printf("%-38s %8s %8s %12s %10s %6s %9s %7s %8s %8s\n", "scene", "median", "p90", "first frame", "peak RSS",
                "draws", "instances", "frames", "sim", "cpu");
    std::printf("%-38s %8s %8s %12s %10s %6s %9s %7s %8s %8s\n", "", "ms", "ms", "ms", "MiB", "", "", "", "ms",
                "ms");
    int failures = 0;
    for (const Row& row : rows) {
        const BenchResult r = RunChild(row.args);
        if (!r.ok) {
            std::printf("%-38s failed\n", row.label);
            ++failures;
            continue;
        }
        std::printf("%-38s %8.2f %8.2f %12.1f %10.1f %6d %9d %7zu %8.2f %8.2f\n", row.label, r.median, r.p90,
                    r.firstFrameMs, static_cast<double>(r.peakKiB) / 1024.0, r.draws, r.instances, r.frames, r.steps,
                    r.cpu);
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
