// Level files (.tm3): one puzzle as a flat little-endian record.
//
//   0   "TM30"
//   4   sizeX, sizeY, sizeZ, ballCount, goalCount  (signed bytes)
//   9   N = sizeX*sizeY*sizeZ cell bytes, x fastest, then y, then z
//   9+N ballCount records of 16 bytes: kind, direction, lock, 0, position x y z (floats)
//   then the view: camera distance, pitch, yaw (floats)
//
// A file holds the puzzle as designed: the player's pieces stand on the board
// with the PlayerPiece flag, and Board::PrepareForPlay moves them to the stock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.h"
#include "board/orbit_camera.h"

constexpr size_t levelHeaderBytes = 9;
constexpr size_t levelBallBytes = 16;
constexpr size_t levelViewBytes = 12;

// What a level file holds.
struct LevelData {
    Board board{1, 1, 1};
    OrbitCamera camera;
    bool hasView = false;
};

// Checks and decodes a level file's bytes. When needView is set the view block
// must be present. On failure returns false, leaves `out` untouched and puts a
// one-line reason in `error`.
bool ParseLevel(const uint8_t* data, size_t size, bool needView, LevelData& out, std::string& error);

// Encodes a board and a view exactly as the game writes them.
std::vector<uint8_t> EncodeLevel(const Board& board, const OrbitCamera& camera);

// The name a level goes by: the text after the last '/' or '\', cut at its first dot.
std::string LevelNameFromPath(std::string_view path);

// Reads a level file into board (and the camera when readView is set) and sets
// levelName. A file that is not a valid level changes nothing and gives false.
bool ReadLevelFile(const std::string& path, bool readView, Board& board, OrbitCamera& camera,
                   std::string& levelName, std::string* error = nullptr);

// Writes board and camera through a temporary file renamed over the target, so
// a failed write never leaves half a level behind; sets levelName on success.
bool WriteLevelFile(const std::string& path, const Board& board, const OrbitCamera& camera,
                    std::string& levelName);
