// Helpers shared by the tests: a scratch folder, small file utilities, and
// boards built by hand.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "board/board.h"

// A fresh folder under the system's temporary directory, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::string File(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

// ---- Boards ----

inline void SetCell(Board& board, int x, int y, int z, int value) {
    board.cells[static_cast<size_t>(board.Index(x, y, z))] = static_cast<int8_t>(value);
}

inline int CellAt(const Board& board, int x, int y, int z) {
    return board.cells[static_cast<size_t>(board.Index(x, y, z))];
}

// A cleared board with ground cubes over the whole layer 0.
Board FloorBoard(int sizeX, int sizeY, int sizeZ);

// A 6 x 4 x 6 puzzle as designed, on a floor: a start cube with an iron ball
// the player places, a second start cube with a fixed-position balloon, a
// target, a spike, the puzzle's own cube at (3, 1, 3), and flagged pieces for
// the stock (two plain cubes, a corner, a ramp, a start cube, and a ground
// cube at (3, 0, 5) that leaves a hole until it is placed). Goal 1.
Board SamplePuzzle();
