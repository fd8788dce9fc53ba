// The device over OpenGL 3.3 core, and the sprite batch of the 2D layer.
//
// On a software renderer every draw call and every fragment-stage uniform
// change costs real time, so the batch keeps everything per sprite in the
// vertex stream: position, texture coordinates and colour. A whole frame of
// interface is one buffer upload and one draw per run of one texture.
#include "gfx/device.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <mutex>

struct SpriteVertex {
    float x, y;      // back-buffer pixels
    float u, v;      // texture coordinates, 0..1
    uint8_t rgba[4]; // colour multiplying the texel
};

struct SpriteRun {
    uint32_t texture;
    int firstQuad, quadCount;
};

struct DeviceState {
    bool started = false;
    int width = 0, height = 0;
    // ---- sprite batch ----
    GLuint program = 0, vertexArray = 0, vertexBuffer = 0, indexBuffer = 0;
    GLint projectionLocation = -1;
    int indexQuads = 0;  // quads the index buffer can address
    bool open = false;
    std::vector<SpriteVertex> vertices;
    std::vector<SpriteRun> runs;
    int lastDrawCalls = 0;
};

static DeviceState device;

// Images decoded by the loading thread, waiting for the main thread to take them.
struct PreloadedImage {
    std::string path;
    uint32_t colorKey = 0;
    Pixels pixels;
};

static struct PreloadState {
    std::mutex lock;  // the loading thread adds while the main thread may take
    std::vector<PreloadedImage> images;
} preload;

// ---- Shaders ----

static const char* const spriteVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texel;
layout(location = 2) in vec4 color;
uniform mat4 projection;
out vec2 uv;
out vec4 tint;
void main() {
    gl_Position = projection * vec4(position, 0.0, 1.0);
    uv = texel;
    tint = color;
}
)";

static const char* const spriteFragmentShader = R"(#version 330 core
in vec2 uv;
in vec4 tint;
uniform sampler2D image;
out vec4 fragment;
void main() {
    fragment = texture(image, uv) * tint;
}
)";

static GLuint CompileShader(GLenum kind, const char* source, const char* what, std::string& message) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        message = std::string(what) + " shader: " + log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

uint32_t BuildShaderProgram(const char* vertexSource, const char* fragmentSource, const char* what,
                            std::string& message) {
    const GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexSource, what, message);
    const GLuint fs = vs ? CompileShader(GL_FRAGMENT_SHADER, fragmentSource, what, message) : 0;
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(program);
        program = 0;
        message = std::string(what) + " shader link failed";
    }
    return program;
}

static bool BuildSpriteProgram(std::string& message) {
    device.program = BuildShaderProgram(spriteVertexShader, spriteFragmentShader, "sprite", message);
    if (!device.program) return false;
    device.projectionLocation = glGetUniformLocation(device.program, "projection");
    glUseProgram(device.program);
    glUniform1i(glGetUniformLocation(device.program, "image"), 0);
    glUseProgram(0);
    return true;
}

// Quads are drawn as two triangles from a fixed index list: 0 1 2, 2 1 3.
static void GrowIndexBuffer(int quads) {
    if (quads <= device.indexQuads) return;
    int capacity = device.indexQuads ? device.indexQuads : 1024;
    while (capacity < quads) capacity *= 2;
    std::vector<uint32_t> indices(static_cast<size_t>(capacity) * 6);
    for (uint32_t q = 0; q < static_cast<uint32_t>(capacity); ++q) {
        const uint32_t v = q * 4;
        uint32_t* i = &indices[q * 6];
        i[0] = v; i[1] = v + 1; i[2] = v + 2; i[3] = v + 2; i[4] = v + 1; i[5] = v + 3;
    }
    glBindVertexArray(device.vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, device.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    device.indexQuads = capacity;
}

// ---- Device ----

bool StartDevice(int width, int height, std::string& message) {
    if (device.started) return true;
    if (epoxy_gl_version() < 33) {
        message = "OpenGL 3.3 is not available (the context offers " + std::to_string(epoxy_gl_version() / 10) +
                  "." + std::to_string(epoxy_gl_version() % 10) + ")";
        return false;
    }
    if (!BuildSpriteProgram(message)) return false;
    glGenVertexArrays(1, &device.vertexArray);
    glGenBuffers(1, &device.vertexBuffer);
    glGenBuffers(1, &device.indexBuffer);
    glBindVertexArray(device.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, device.vertexBuffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex), reinterpret_cast<void*>(0));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(SpriteVertex), reinterpret_cast<void*>(8));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(SpriteVertex), reinterpret_cast<void*>(16));
    glBindVertexArray(0);
    device.started = true;
    GrowIndexBuffer(1024);
    ResizeDevice(width, height);
    // The scene draws with the depth test on; the 2D layer turns it off for itself.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return true;
}

void StopDevice() {
    if (!device.started) return;
    glDeleteBuffers(1, &device.vertexBuffer);
    glDeleteBuffers(1, &device.indexBuffer);
    glDeleteVertexArrays(1, &device.vertexArray);
    glDeleteProgram(device.program);
    device = DeviceState{};
}

bool DeviceStarted() { return device.started; }

void ResizeDevice(int width, int height) {
    device.width = width;
    device.height = height;
    if (device.started) glViewport(0, 0, width, height);
}

void ClearFrame(uint32_t argb) {
    if (!device.started) return;
    glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                 ((argb >> 24) & 0xFF) / 255.0f);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void FinishDrawing() {
    if (device.started) glFinish();
}

std::string DeviceDescription() {
    if (!device.started) return "no device";
    auto text = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return s ? std::string(reinterpret_cast<const char*>(s)) : std::string("?");
    };
    return text(GL_VENDOR) + " / " + text(GL_RENDERER) + " / " + text(GL_VERSION);
}

// ---- Textures ----

// Moves a preloaded image out of the waiting list; false when there is none.
static bool TakePreloadedImage(const std::string& path, uint32_t colorKey, Pixels& pixels) {
    std::lock_guard<std::mutex> guard(preload.lock);
    for (size_t i = 0; i < preload.images.size(); ++i) {
        PreloadedImage& image = preload.images[i];
        if (image.path != path || image.colorKey != colorKey) continue;
        pixels = std::move(image.pixels);
        preload.images.erase(preload.images.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}

static bool DecodeImageFile(const std::string& path, uint32_t colorKey, Pixels& pixels, std::string& error);

void PreloadImageFile(const std::string& path, uint32_t colorKey) {
    PreloadedImage image;
    std::string error;
    // A file that cannot be read is left for ReadImageFile to fail on as before.
    if (!DecodeImageFile(path, colorKey, image.pixels, error)) return;
    image.path = path;
    image.colorKey = colorKey;
    std::lock_guard<std::mutex> guard(preload.lock);
    preload.images.push_back(std::move(image));
}

bool ReadImageSize(const std::string& path, int& width, int& height, std::string* error) {
    std::string why;
    if (ReadTgaSize(path, width, height, why)) return true;
    if (error) *error = why;
    return false;
}

void ForgetPreloadedImages() {
    std::lock_guard<std::mutex> guard(preload.lock);
    preload.images.clear();
    preload.images.shrink_to_fit();
}

bool ReadImageFile(const std::string& path, uint32_t colorKey, Pixels& pixels, std::string* error) {
    if (TakePreloadedImage(path, colorKey, pixels)) return true;
    std::string why;
    if (DecodeImageFile(path, colorKey, pixels, why)) return true;
    if (error) *error = why;
    return false;
}

static bool DecodeImageFile(const std::string& path, uint32_t colorKey, Pixels& pixels, std::string& error) {
    Pixels result;
    if (!ReadTgaFile(path, result, error)) return false;
    const uint8_t keyA = colorKey >> 24, keyR = (colorKey >> 16) & 0xFF, keyG = (colorKey >> 8) & 0xFF,
                  keyB = colorKey & 0xFF;
    for (size_t i = 0; i < result.rgba.size(); i += 4) {
        uint8_t* p = &result.rgba[i];
        if (p[0] == keyR && p[1] == keyG && p[2] == keyB && p[3] == keyA) std::memset(p, 0, 4);
    }
    pixels = std::move(result);
    return true;
}

uint32_t UploadTexture(const Pixels& pixels, bool sixteenBit, bool smoothRepeating) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const GLint filter = smoothRepeating ? GL_LINEAR : GL_NEAREST;
    const GLint wrap = smoothRepeating ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // Rows top first: texture coordinate v = 0 is the image's top row.
    glTexImage2D(GL_TEXTURE_2D, 0, sixteenBit ? GL_RGBA4 : GL_RGBA8, pixels.width, pixels.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

bool CreateTexture(const Pixels& pixels, bool sixteenBit, Texture& texture) {
    if (!device.started || pixels.width <= 0 || pixels.height <= 0) return false;
    // Pixel for pixel, never filtered: interface images are drawn at their size.
    const GLuint id = UploadTexture(pixels, sixteenBit, false);
    texture.id = id;
    texture.width = pixels.width;
    texture.height = pixels.height;
    return true;
}

void ReleaseTexture(Texture& texture) {
    if (texture.id && device.started) {
        const GLuint id = texture.id;
        glDeleteTextures(1, &id);
    }
    texture = Texture{};
}

// ---- Sprite batch ----

void SpriteBegin() {
    device.open = true;
    device.vertices.clear();
    device.runs.clear();
}

void SpriteDraw(const Texture& texture, int sx, int sy, int sw, int sh, float x, float y, float scaleX,
                float scaleY, uint32_t argb) {
    if (!texture.id || texture.width <= 0 || texture.height <= 0) return;
    const bool ownBatch = !device.open;
    if (ownBatch) SpriteBegin();
    const float iw = 1.0f / static_cast<float>(texture.width), ih = 1.0f / static_cast<float>(texture.height);
    const float u0 = static_cast<float>(sx) * iw, v0 = static_cast<float>(sy) * ih;
    const float u1 = static_cast<float>(sx + sw) * iw, v1 = static_cast<float>(sy + sh) * ih;
    const float x1 = x + static_cast<float>(sw) * scaleX, y1 = y + static_cast<float>(sh) * scaleY;
    const uint8_t c[4] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
    const SpriteVertex quad[4] = {
        {x, y, u0, v0, {c[0], c[1], c[2], c[3]}},
        {x1, y, u1, v0, {c[0], c[1], c[2], c[3]}},
        {x, y1, u0, v1, {c[0], c[1], c[2], c[3]}},
        {x1, y1, u1, v1, {c[0], c[1], c[2], c[3]}},
    };
    const int quadIndex = static_cast<int>(device.vertices.size() / 4);
    device.vertices.insert(device.vertices.end(), quad, quad + 4);
    if (!device.runs.empty() && device.runs.back().texture == texture.id)
        ++device.runs.back().quadCount;
    else
        device.runs.push_back({texture.id, quadIndex, 1});
    if (ownBatch) SpriteEnd();
}

void SpriteEnd() {
    device.open = false;
    device.lastDrawCalls = 0;
    if (!device.started || device.runs.empty()) return;
    const int quads = static_cast<int>(device.vertices.size() / 4);
    GrowIndexBuffer(quads);

    // Back-buffer pixels to clip space, y down: the orthographic projection.
    const float w = static_cast<float>(device.width), h = static_cast<float>(device.height);
    const float projection[16] = {2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1};

    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(device.program);
    glUniformMatrix4fv(device.projectionLocation, 1, GL_FALSE, projection);
    glBindVertexArray(device.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, device.vertexBuffer);
    // A fresh store each batch, so the driver never waits on the last frame's draws.
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(device.vertices.size() * sizeof(SpriteVertex));
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, device.vertices.data());
    glActiveTexture(GL_TEXTURE0);
    for (const SpriteRun& run : device.runs) {
        glBindTexture(GL_TEXTURE_2D, run.texture);
        glDrawElements(GL_TRIANGLES, run.quadCount * 6, GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(static_cast<size_t>(run.firstQuad) * 6 * sizeof(uint32_t)));
        ++device.lastDrawCalls;
    }
    glBindVertexArray(0);
    glUseProgram(0);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    device.vertices.clear();
    device.runs.clear();
}

int SpriteDrawCalls() { return device.lastDrawCalls; }
