// The drawing device over an OpenGL 3.3 core context that the window layer has
// made current: frame clearing, the back-buffer size, and the 2D sprite batch.
// Every call is harmless before StartDevice and after StopDevice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/tga.h"

// ---- Device ----

// Checks the context and creates what the sprite batch needs. False, with a
// message for the player, when the context cannot draw the game.
bool StartDevice(int width, int height, std::string& message);
// Releases every device object (textures are released by their owners first).
void StopDevice();
// The back buffer has a new size (a new display mode).
void ResizeDevice(int width, int height);
bool DeviceStarted();

// Clears colour (ARGB) and depth.
void ClearFrame(uint32_t argb);
// Waits until everything drawn so far is on the back buffer (benchmarks).
void FinishDrawing();
// "vendor / renderer / version" of the context, for the trace.
std::string DeviceDescription();

// Compiles and links a program of a vertex and a fragment shader; 0, with a
// message naming `what`, when the driver refuses it.
uint32_t BuildShaderProgram(const char* vertexSource, const char* fragmentSource, const char* what,
                            std::string& message);

// ---- Textures ----

struct Texture {
    uint32_t id = 0;         // OpenGL name, 0 = none
    int width = 0, height = 0;
};

// Reads a TGA file (24 or 32 bit, raw or RLE) into pixels, top row first.
// Pixels whose ARGB value equals colorKey become transparent black. False and
// `pixels` untouched when the file is missing or not a whole TGA picture (the
// reason in `error` when given).
bool ReadImageFile(const std::string& path, uint32_t colorKey, Pixels& pixels, std::string* error = nullptr);
// The size of an image from its file's header, without decoding it; false
// when the file is missing or its header is not a TGA picture's.
bool ReadImageSize(const std::string& path, int& width, int& height, std::string* error = nullptr);
// Decodes an image ahead of its use, on any thread: the next ReadImageFile of
// the same path and key, on the main thread, takes these pixels instead of
// reading the file. Images are decoded while the window opens this way.
void PreloadImageFile(const std::string& path, uint32_t colorKey);
// Drops preloaded images nobody asked for.
void ForgetPreloadedImages();
// Makes a texture of the pixels; sixteenBit stores 4 bits per channel, as the
// game does in 16-bit display modes. False when no device is started.
bool CreateTexture(const Pixels& pixels, bool sixteenBit, Texture& texture);
// The texture name of the pixels on the device: interface images pixel for
// pixel and clamped, scene textures filtered and repeating.
uint32_t UploadTexture(const Pixels& pixels, bool sixteenBit, bool smoothRepeating);
void ReleaseTexture(Texture& texture);

// ---- Sprite batch ----

// Opens a batch in back-buffer pixels, origin top-left. Draws are collected and
// sent at SpriteEnd, one draw call per run of one texture.
void SpriteBegin();
// A rectangle of the texture (source pixels sx, sy, sw, sh) drawn with its top-
// left corner at (x, y), scaled by (scaleX, scaleY), its texels multiplied by
// the ARGB colour, alpha-blended. Outside a batch it forms a batch of its own.
void SpriteDraw(const Texture& texture, int sx, int sy, int sw, int sh, float x, float y, float scaleX,
                float scaleY, uint32_t argb);
void SpriteEnd();
// Draw calls issued by the last SpriteEnd (benchmarks, the trace).
int SpriteDrawCalls();
