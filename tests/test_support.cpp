#include "tests/test_support.h"

#include <fstream>
#include <iterator>
#include <random>

ScratchDir::ScratchDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path = base / ("tumbleon-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path)) break;
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

Board FloorBoard(int sizeX, int sizeY, int sizeZ) {
    Board board(sizeX, sizeY, sizeZ);
    board.Clear();
    for (int z = 0; z < sizeZ; ++z)
        for (int x = 0; x < sizeX; ++x) SetCell(board, x, 0, z, kindGroundCube);
    return board;
}

Board SamplePuzzle() {
    Board level = FloorBoard(6, 4, 6);
    SetCell(level, 1, 1, 1, kindStartCube);
    SetCell(level, 1, 2, 1, kindIronBall);
    level.AddBall(kindIronBall, level.Index(1, 2, 1));  // the player's: goes to the stock
    SetCell(level, 2, 1, 4, kindStartCube);
    SetCell(level, 2, 2, 4, kindBalloon);
    level.AddBall(kindBalloon, level.Index(2, 2, 4));
    level.balls[1].lock = static_cast<int8_t>(BallLock::FixedPosition);
    SetCell(level, 4, 1, 4, kindTargetCube);
    SetCell(level, 0, 1, 5, kindSpikeCube);
    SetCell(level, 3, 1, 3, kindPlainCube);
    for (auto [x, y, z, kind] : {std::tuple{5, 1, 0, kindPlainCube}, {5, 1, 1, kindPlainCube},
                                 {4, 1, 0, kindCornerFirst}, {0, 1, 0, kindRampFirst + 1},
                                 {3, 0, 5, kindGroundCube}, {5, 1, 5, kindStartCube}})
        SetCell(level, x, y, z, kind + cellPlayerPiece);
    level.goalCount = 1;
    return level;
}
