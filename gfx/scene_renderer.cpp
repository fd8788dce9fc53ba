// The scene's shader and draws over OpenGL 3.3 core.
//
// Per-instance values (world matrix rows, ambient colour) are vertex
// attributes with a divisor of 1, read from one stream buffer that each
// instanced draw appends to; the material goes to vertex-stage uniforms. The
// fragment stage has no uniform at all: it multiplies the texel by the
// colour lit at the vertices.
#include "gfx/scene_renderer.h"

#include <epoxy/gl.h>

#include <cstddef>
#include <vector>

#include "gfx/device.h"
#include "gfx/matrix.h"

namespace {

// Attribute locations: vertex stream, then the instance's four matrix rows and
// ambient, the vertex's box face, the instance's corner shading.
constexpr GLuint attribPosition = 0, attribNormal = 1, attribTexel = 2, attribRow0 = 3, attribAmbient = 7,
                 attribBoxFace = 8, attribShade = 9;
// Bytes of the instance stream before it is renewed. The software renderer
// keeps each store in the process's memory, and a renewed one may live beside
// the last frame's: a quarter of a MiB holds the instances of the largest
// board's frame in one or two stores.
constexpr GLsizeiptr instanceCapacity = 1 << 18;

struct SceneRendererState {
    bool started = false;
    GLuint program = 0;
    GLint viewProjection = -1, lightPosition = -1, lighting = -1, instanceAmbient = -1;
    GLint diffuse = -1, ambient = -1, emissive = -1;
    GLuint instanceBuffer = 0;
    GLsizeiptr instanceOffset = 0;
    GLuint debrisArray = 0, debrisBuffer = 0;
    GLuint whiteTexture = 0;
    int drawCalls = 0;
};

SceneRendererState scene;

const char* const vertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texel;
layout(location = 3) in vec4 row0;
layout(location = 4) in vec4 row1;
layout(location = 5) in vec4 row2;
layout(location = 6) in vec4 row3;
layout(location = 7) in vec4 instanceAmbientColour;  // a: the faces left out, as bits
layout(location = 8) in float boxFace;
layout(location = 9) in vec4 instanceShade;  // the cell's corners: (-x,-z), (+x,-z), (-x,+z), (+x,+z)
uniform mat4 viewProjection;
uniform vec3 lightPosition;
uniform int lighting;
uniform int instanceAmbient;
uniform vec4 materialDiffuse;
uniform vec4 materialAmbient;
uniform vec4 materialEmissive;
out vec2 uv;
out vec4 colour;
void main() {
    // A face the neighbouring piece closes off cannot be seen: its triangles
    // shrink to a point in front of the near plane and are dropped before
    // they cost the rasteriser anything.
    int hiddenFaces = int(instanceAmbientColour.a);
    if (hiddenFaces != 0 && boxFace >= 0.0 && ((hiddenFaces >> int(boxFace)) & 1) != 0) {
        gl_Position = vec4(0.0, 0.0, -2.0, 1.0);
        uv = vec2(0.0);
        colour = vec4(0.0);
        return;
    }
    // Row vectors: the world point is p.x row0 + p.y row1 + p.z row2 + row3.
    vec4 world = position.x * row0 + position.y * row1 + position.z * row2 + row3;
    gl_Position = viewProjection * world;
    uv = texel;
    if (lighting == 0) {
        colour = vec4(1.0);
        return;
    }
    // Normals go through the inverse transpose of the world matrix, left
    // unnormalised as the fixed pipeline leaves them: for the uniform scales
    // the game uses that is the matrix divided by the square of its scale.
    vec3 n = normal.x * row0.xyz + normal.y * row1.xyz + normal.z * row2.xyz;
    n /= dot(row0.xyz, row0.xyz);
    vec3 toLight = lightPosition - world.xyz;
    float d = length(toLight);
    vec3 ambientColour = instanceAmbient != 0 ? instanceAmbientColour.rgb : materialAmbient.rgb;
    vec3 lit = materialEmissive.rgb + ambientColour;  // global ambient: white
    if (d <= 500.0) {
        float attenuation = 1.0 / (0.008 * d * d);
        float facing = d > 0.0 ? max(dot(n, toLight / d), 0.0) : 0.0;
        lit += attenuation * (ambientColour + materialDiffuse.rgb * facing);
    }
    // The share of its light the cell keeps, blended from its corners by
    // where the vertex lies across it (cells are one unit wide and deep).
    vec2 across = clamp(world.xz - row3.xz + 0.5, 0.0, 1.0);
    float kept = mix(mix(instanceShade.x, instanceShade.y, across.x), mix(instanceShade.z, instanceShade.w, across.x),
                     across.y);
    colour = vec4(clamp(lit, 0.0, 1.0) * kept, clamp(materialDiffuse.a, 0.0, 1.0));
}
)";

const char* const fragmentShader = R"(#version 330 core
in vec2 uv;
in vec4 colour;
uniform sampler2D image;
out vec4 fragment;
void main() {
    fragment = texture(image, uv) * colour;
}
)";

bool BuildProgram(std::string& message) {
    scene.program = BuildShaderProgram(vertexShader, fragmentShader, "scene", message);
    if (!scene.program) return false;
    const GLuint p = scene.program;
    scene.viewProjection = glGetUniformLocation(p, "viewProjection");
    scene.lightPosition = glGetUniformLocation(p, "lightPosition");
    scene.lighting = glGetUniformLocation(p, "lighting");
    scene.instanceAmbient = glGetUniformLocation(p, "instanceAmbient");
    scene.diffuse = glGetUniformLocation(p, "materialDiffuse");
    scene.ambient = glGetUniformLocation(p, "materialAmbient");
    scene.emissive = glGetUniformLocation(p, "materialEmissive");
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "image"), 0);
    glUseProgram(0);
    return true;
}

// The vertex stream of the bound vertex array from the bound array buffer.
void PointVertexStream() {
    for (GLuint a : {attribPosition, attribNormal, attribTexel}) glEnableVertexAttribArray(a);
    glVertexAttribPointer(attribPosition, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(0));
    glVertexAttribPointer(attribNormal, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(12));
    glVertexAttribPointer(attribTexel, 2, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<void*>(24));
}

// The instance attributes of the bound vertex array, `offset` bytes into the instance stream.
void PointInstances(GLsizeiptr offset) {
    glBindBuffer(GL_ARRAY_BUFFER, scene.instanceBuffer);
    for (GLuint i = 0; i < 5; ++i) {
        const GLuint a = attribRow0 + i;
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, sizeof(SceneInstance),
                              reinterpret_cast<void*>(offset + static_cast<GLsizeiptr>(16 * i)));
        glVertexAttribDivisor(a, 1);
    }
    glEnableVertexAttribArray(attribShade);
    glVertexAttribPointer(attribShade, 4, GL_FLOAT, GL_FALSE, sizeof(SceneInstance),
                          reinterpret_cast<void*>(offset + static_cast<GLsizeiptr>(offsetof(SceneInstance, shade))));
    glVertexAttribDivisor(attribShade, 1);
}

void SetMaterial(const SceneMaterial& m, uint32_t texture, bool instanceAmbient) {
    glUniform4fv(scene.diffuse, 1, m.diffuse);
    glUniform4fv(scene.ambient, 1, m.ambient);
    glUniform4fv(scene.emissive, 1, m.emissive);
    glUniform1i(scene.instanceAmbient, instanceAmbient ? 1 : 0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture : scene.whiteTexture);
}

}  // namespace

bool StartSceneRenderer(std::string& message) {
    if (scene.started) return true;
    if (!DeviceStarted()) {
        message = "no device";
        return false;
    }
    if (!BuildProgram(message)) return false;
    glGenBuffers(1, &scene.instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, scene.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, instanceCapacity, nullptr, GL_STREAM_DRAW);
    // Debris: its own vertex stream; the instance attributes stay off and read
    // their constant values, the identity world.
    glGenVertexArrays(1, &scene.debrisArray);
    glGenBuffers(1, &scene.debrisBuffer);
    glBindVertexArray(scene.debrisArray);
    glBindBuffer(GL_ARRAY_BUFFER, scene.debrisBuffer);
    PointVertexStream();
    glBindVertexArray(0);
    scene.whiteTexture = UploadTexture(Pixels{1, 1, {255, 255, 255, 255}}, false, false);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    scene.started = true;
    return true;
}

void StopSceneRenderer() {
    if (!scene.started) return;
    glDeleteTextures(1, &scene.whiteTexture);
    glDeleteBuffers(1, &scene.debrisBuffer);
    glDeleteVertexArrays(1, &scene.debrisArray);
    glDeleteBuffers(1, &scene.instanceBuffer);
    glDeleteProgram(scene.program);
    scene = SceneRendererState{};
}

bool CreateSceneMesh(const void* vertices, size_t vertexCount, const uint16_t* indices, size_t indexCount,
                     const float* boxFaces, SceneMeshBuffers& out) {
    if (!scene.started || !vertices || !indices || vertexCount == 0 || indexCount == 0) return false;
    SceneMeshBuffers b;
    glGenVertexArrays(1, &b.vertexArray);
    glGenBuffers(1, &b.vertexBuffer);
    glGenBuffers(1, &b.indexBuffer);
    glGenBuffers(1, &b.faceBuffer);
    glBindVertexArray(b.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, b.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount * 32), vertices, GL_STATIC_DRAW);
    PointVertexStream();
    const std::vector<float> noFaces(boxFaces ? 0 : vertexCount, -1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, b.faceBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount * sizeof(float)),
                 boxFaces ? boxFaces : noFaces.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(attribBoxFace);
    glVertexAttribPointer(attribBoxFace, 1, GL_FLOAT, GL_FALSE, sizeof(float), nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(uint16_t)), indices,
                 GL_STATIC_DRAW);
    PointInstances(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    out = b;
    return true;
}

void ReleaseSceneMesh(SceneMeshBuffers& b) {
    if (scene.started) {
        glDeleteBuffers(1, &b.vertexBuffer);
        glDeleteBuffers(1, &b.indexBuffer);
        glDeleteBuffers(1, &b.faceBuffer);
        glDeleteVertexArrays(1, &b.vertexArray);
    }
    b = SceneMeshBuffers{};
}

uint32_t LoadSceneTexture(const std::string& path) {
    Pixels pixels;
    if (!scene.started || !ReadImageFile(path, 0, pixels)) return 0;
    return UploadTexture(pixels, false, true);
}

void ReleaseSceneTexture(uint32_t texture) {
    if (!scene.started || texture == 0) return;
    const GLuint id = texture;
    glDeleteTextures(1, &id);
}

void BeginScene(const Matrix4& view, const Matrix4& projection, Vec3 light) {
    scene.drawCalls = 0;
    if (!scene.started) return;
    const Matrix4 viewProjection = MatrixMultiply(view, MatrixToGlClip(projection));
    glUseProgram(scene.program);
    // Row-vector matrices read column-major are the column-vector matrices GLSL multiplies.
    glUniformMatrix4fv(scene.viewProjection, 1, GL_FALSE, &viewProjection.m[0][0]);
    glUniform3f(scene.lightPosition, light.x, light.y, light.z);
    glUniform1i(scene.lighting, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glActiveTexture(GL_TEXTURE0);
    // A fresh instance stream each frame, so the driver never waits on the last one.
    glBindBuffer(GL_ARRAY_BUFFER, scene.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, instanceCapacity, nullptr, GL_STREAM_DRAW);
    scene.instanceOffset = 0;
}

void SetSceneLighting(bool on) {
    if (scene.started) glUniform1i(scene.lighting, on ? 1 : 0);
}

void SetSceneSkyDepth(bool on) {
    if (!scene.started) return;
    // The sky leaves the depth buffer alone; clamped, its far side lands on
    // depth 1 and so passes wherever nothing nearer was drawn.
    glDepthMask(on ? GL_FALSE : GL_TRUE);
    if (on)
        glEnable(GL_DEPTH_CLAMP);
    else
        glDisable(GL_DEPTH_CLAMP);
}

void SetSceneBlending(bool on) {
    if (!scene.started) return;
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glDepthMask(on ? GL_FALSE : GL_TRUE);
}

void DrawSceneInstances(const SceneMeshBuffers& mesh, uint32_t firstIndex, uint32_t indexCount,
                        const SceneMaterial& material, uint32_t texture, const SceneInstance* instances, int count,
                        bool instanceAmbient) {
    if (!scene.started || !mesh.vertexArray || indexCount == 0 || count <= 0 || !instances) return;
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(count) * static_cast<GLsizeiptr>(sizeof(SceneInstance));
    if (bytes > instanceCapacity) {
        // More than one stream holds: draw in parts.
        const int half = count / 2;
        DrawSceneInstances(mesh, firstIndex, indexCount, material, texture, instances, half, instanceAmbient);
        DrawSceneInstances(mesh, firstIndex, indexCount, material, texture, instances + half, count - half,
                           instanceAmbient);
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, scene.instanceBuffer);
    if (scene.instanceOffset + bytes > instanceCapacity) {
        glBufferData(GL_ARRAY_BUFFER, instanceCapacity, nullptr, GL_STREAM_DRAW);
        scene.instanceOffset = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, scene.instanceOffset, bytes, instances);
    glBindVertexArray(mesh.vertexArray);
    PointInstances(scene.instanceOffset);
    scene.instanceOffset += bytes;
    SetMaterial(material, texture, instanceAmbient);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT,
                            reinterpret_cast<void*>(static_cast<size_t>(firstIndex) * sizeof(uint16_t)), count);
    ++scene.drawCalls;
    glBindVertexArray(0);
}

void UploadSceneTriangles(const void* vertices, uint32_t vertexCount) {
    if (!scene.started || !vertices || vertexCount == 0) return;
    glBindBuffer(GL_ARRAY_BUFFER, scene.debrisBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount) * 32, vertices, GL_STREAM_DRAW);
}

void DrawSceneTriangles(uint32_t firstVertex, uint32_t vertexCount, const SceneMaterial& material, uint32_t texture) {
    if (!scene.started || vertexCount == 0) return;
    glBindVertexArray(scene.debrisArray);
    // The instance attributes are off here: their constant values are the identity world.
    const float rows[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    for (GLuint i = 0; i < 4; ++i) glVertexAttrib4fv(attribRow0 + i, rows[i]);
    // The instance's fourth value: no faces left out.
    glVertexAttrib4f(attribAmbient, material.ambient[0], material.ambient[1], material.ambient[2], 0.0f);
    glVertexAttrib4f(attribShade, 1.0f, 1.0f, 1.0f, 1.0f);
    SetMaterial(material, texture, false);
    // Both sides: a triangle seen from behind covers the pixels and takes the
    // colours that the same triangle wound the other way would.
    glDisable(GL_CULL_FACE);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(firstVertex), static_cast<GLsizei>(vertexCount));
    glEnable(GL_CULL_FACE);
    ++scene.drawCalls;
    glBindVertexArray(0);
}

void EndScene() {
    if (!scene.started) return;
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDisable(GL_DEPTH_CLAMP);
    glDepthFunc(GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
}

void ReadScenePixels(int x, int y, int width, int height, std::vector<uint8_t>& rgba) {
    rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    if (!scene.started || width <= 0 || height <= 0) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

int SceneDrawCalls() { return scene.drawCalls; }
