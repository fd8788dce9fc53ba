// The floors of the render benchmark: open the game's kind of window (full
// screen, OpenGL 3.3 core, 16-bit depth) and present frames, so the benchmark
// can set the game's figures beside what any program pays.
//
//   tumbleon_render_floor [--draw] [SECONDS]
// Without --draw it only clears and presents. With --draw it also compiles
// one lit, textured shader, uploads one 256x256 texture and draws one
// instanced cube a frame: the least a program that shows a 3D scene pays in
// start-up time and memory (the software renderer's shader compiler and
// rasteriser at work).
// Prints "first_frame_ms X" (from TUMBLEON_BENCH_T0, a monotonic clock in
// nanoseconds taken when the benchmark started this program) and
// "frames N median M p90 P draws D instances I" (times in milliseconds).
#include <GL/glcorearb.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// ---- The drawing floor: one shader, one texture, one instanced cube ----

static const char* const cubeVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texel;
layout(location = 3) in vec4 instanceOffset;  // the cube's place, one per instance
uniform mat4 viewProjection;
uniform vec3 lightPosition;
out vec2 uv;
out vec4 colour;
void main() {
    vec3 world = position + instanceOffset.xyz;
    gl_Position = viewProjection * vec4(world, 1.0);
    uv = texel;
    float facing = max(dot(normal, normalize(lightPosition - world)), 0.0);
    colour = vec4(vec3(0.3 + 0.7 * facing), 1.0);
}
)";

static const char* const cubeFragmentShader = R"(#version 330 core
in vec2 uv;
in vec4 colour;
uniform sampler2D image;
out vec4 fragment;
void main() {
    fragment = texture(image, uv) * colour;
}
)";

struct CubeFloor {
    GLuint program = 0, vertexArray = 0, vertexBuffer = 0, instanceBuffer = 0, texture = 0;
    GLint viewProjection = -1;
};

static GLuint CompileStage(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "render floor: shader: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The cube's 36 vertices (position, normal, texel), wound clockwise seen from outside.
static std::vector<float> CubeVertices() {
    std::vector<float> v;
    for (int axis = 0; axis < 3; ++axis)
        for (int side = -1; side <= 1; side += 2) {
            // The face's normal along `axis`, and two edges across it.
            float n[3] = {0, 0, 0}, a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
            n[axis] = static_cast<float>(side);
            a[(axis + 1) % 3] = 1.0f;
            b[(axis + 2) % 3] = static_cast<float>(side);
            const float corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
            for (const auto& c : corners) {
                for (int k = 0; k < 3; ++k) v.push_back(0.5f * (n[k] + c[0] * a[k] + c[1] * b[k]));
                v.insert(v.end(), n, n + 3);
                v.push_back(0.5f + 0.5f * c[0]);
                v.push_back(0.5f + 0.5f * c[1]);
            }
        }
    return v;
}

static bool StartCubeFloor(CubeFloor& floor) {
    const GLuint vs = CompileStage(GL_VERTEX_SHADER, cubeVertexShader);
    const GLuint fs = vs ? CompileStage(GL_FRAGMENT_SHADER, cubeFragmentShader) : 0;
    if (!fs) return false;
    floor.program = glCreateProgram();
    glAttachShader(floor.program, vs);
    glAttachShader(floor.program, fs);
    glLinkProgram(floor.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(floor.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        std::fprintf(stderr, "render floor: shader link failed\n");
        return false;
    }
    glUseProgram(floor.program);
    floor.viewProjection = glGetUniformLocation(floor.program, "viewProjection");
    glUniform3f(glGetUniformLocation(floor.program, "lightPosition"), 2.0f, 3.0f, -4.0f);
    glUniform1i(glGetUniformLocation(floor.program, "image"), 0);

    // A 256x256 checkerboard, uploaded once and linearly filtered.
    std::vector<unsigned char> pixels(256 * 256 * 4);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            unsigned char* p = &pixels[static_cast<size_t>(y * 256 + x) * 4];
            const bool light = ((x / 32) + (y / 32)) % 2 == 0;
            p[0] = light ? 230 : 60;
            p[1] = light ? 200 : 90;
            p[2] = static_cast<unsigned char>(x);
            p[3] = 255;
        }
    glGenTextures(1, &floor.texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, floor.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    const std::vector<float> cube = CubeVertices();
    glGenVertexArrays(1, &floor.vertexArray);
    glBindVertexArray(floor.vertexArray);
    glGenBuffers(1, &floor.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, floor.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(cube.size() * sizeof(float)), cube.data(), GL_STATIC_DRAW);
    for (GLuint a = 0; a < 3; ++a) glEnableVertexAttribArray(a);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(0));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(12));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(24));
    glGenBuffers(1, &floor.instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, floor.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, 16, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, 16, nullptr);
    glVertexAttribDivisor(3, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    return true;
}

// One frame's cube, turning a little each frame, its place streamed as the game streams its instances.
static void DrawCubeFloor(const CubeFloor& floor, int frame, float aspect) {
    const float angle = 0.02f * static_cast<float>(frame);
    const float c = std::cos(angle), s = std::sin(angle);
    // Perspective (90 degrees across) times a turn about y, column-major, the eye 3 units back.
    const float f = 1.0f, nearZ = 0.1f, farZ = 100.0f;
    const float pa = (farZ + nearZ) / (nearZ - farZ), pb = 2.0f * farZ * nearZ / (nearZ - farZ);
    const float viewProjection[16] = {f / aspect * c, 0, -s * pa, s,  0, f, 0, 0,
                                      f / aspect * s, 0, c * pa,  -c, 0, 0, 3.0f * pa + pb, 3.0f};
    const float place[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glUniformMatrix4fv(floor.viewProjection, 1, GL_FALSE, viewProjection);
    glBindBuffer(GL_ARRAY_BUFFER, floor.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof place, place, GL_STREAM_DRAW);
    glDrawArraysInstanced(GL_TRIANGLES, 0, 36, 1);
}

int main(int argc, char** argv) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const double mainMs = static_cast<double>(start.tv_sec) * 1000.0 + static_cast<double>(start.tv_nsec) / 1e6;
    int next = 1;
    const bool draw = argc > next && std::strcmp(argv[next], "--draw") == 0;
    if (draw) ++next;
    const double seconds = argc > next && std::atof(argv[next]) > 0.0 ? std::atof(argv[next]) : 3.0;
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
    CubeFloor cube;
    if (draw && !StartCubeFloor(cube)) return 1;
    const float aspect = mode.h > 0 ? static_cast<float>(mode.w) / static_cast<float>(mode.h) : 1.0f;
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    bool first = true;
    int frame = 0;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        const auto frameStart = Clock::now();
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (draw) DrawCubeFloor(cube, frame++, aspect);
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
    std::printf("frames %zu median %.2f p90 %.2f draws %d instances %d\n", n, n ? times[n / 2] : 0.0,
                n ? times[std::min(n - 1, n * 9 / 10)] : 0.0, draw ? 1 : 0, draw ? 1 : 0);
    if (draw) {
        glDeleteTextures(1, &cube.texture);
        glDeleteBuffers(1, &cube.vertexBuffer);
        glDeleteBuffers(1, &cube.instanceBuffer);
        glDeleteVertexArrays(1, &cube.vertexArray);
        glDeleteProgram(cube.program);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
