// The floor of the render benchmark: opens the game's kind of window (full
// screen, OpenGL 3.3 core, 16-bit depth) and only clears and presents it, so
// the benchmark can set the game's figures beside what any program pays.
//
//   tumbleon_render_floor [SECONDS]
// prints "first_frame_ms X" (from TUMBLEON_BENCH_T0, a monotonic clock in
// nanoseconds taken when the benchmark started this program) and
// "frames N median M p90 P" in milliseconds.
#include <GL/glcorearb.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

// Milliseconds since the benchmark started this program (or since main).
static double SinceStart(double mainMs) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
    const char* t0 = std::getenv("TUMBLEON_BENCH_T0");
    return nowMs - (t0 ? std::atof(t0) / 1e6 : mainMs);
}

int main(int argc, char** argv) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const double mainMs = static_cast<double>(start.tv_sec) * 1000.0 + static_cast<double>(start.tv_nsec) / 1e6;
    const double seconds = argc > 1 && std::atof(argv[1]) > 0.0 ? std::atof(argv[1]) : 3.0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "render floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_DisplayMode mode{};
    SDL_GetDesktopDisplayMode(0, &mode);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window* window = SDL_CreateWindow("floor", 0, 0, mode.w, mode.h, SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "render floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    bool first = true;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        const auto frameStart = Clock::now();
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        if (first) {
            std::printf("first_frame_ms %.1f\n", SinceStart(mainMs));
            first = false;
            continue;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - frameStart).count());
    }
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    std::printf("frames %zu median %.2f p90 %.2f\n", n, n ? times[n / 2] : 0.0, n ? times[std::min(n - 1, n * 9 / 10)] : 0.0);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
