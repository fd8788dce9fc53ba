#include "board/level_file.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "board/file_io.h"

// Largest possible level, with room for anything a future version may append.
constexpr size_t maxLevelBytes = 1u << 20;

static float ReadFloat(const uint8_t* p) {
    uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

static void WriteFloat(std::vector<uint8_t>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// Cells may hold a kind 0..19, with or without the PlayerPiece flag.
static bool ValidCellValue(int8_t value) {
    return value >= 0 && KindOfValue(value) < elementKindCount;
}

// A ball must stand inside the grid's columns and rows, between the ground and
// the ceiling the simulation puts at ten times the board's height.
static bool ValidBallPosition(const Vec3& p, int sizeX, int sizeY, int sizeZ) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    const float lowest = -boardUnitsPerCell / 2.0f;
    const float ceilingLayers = 10.0f;
    return p.x >= lowest && p.x < boardUnitsPerCell * float(sizeX) + lowest &&  //
           p.y >= lowest && p.y < ceilingLayers * boardUnitsPerCell * float(sizeY) + lowest &&  //
           p.z >= lowest && p.z < boardUnitsPerCell * float(sizeZ) + lowest;
}

bool ParseLevel(const uint8_t* data, size_t size, bool needView, LevelData& out, std::string& error) {
    if (size < 4 || std::memcmp(data, "TM30", 4) != 0) {
        error = "not a level file (no TM30 mark)";
        return false;
    }
    if (size < levelHeaderBytes) {
        error = "file ends inside the header";
        return false;
    }
    const int sizeX = int8_t(data[4]), sizeY = int8_t(data[5]), sizeZ = int8_t(data[6]);
    const int ballCount = int8_t(data[7]), goalCount = int8_t(data[8]);
    if (sizeX <= 0 || sizeY <= 0 || sizeZ <= 0) {
        error = "board size " + std::to_string(sizeX) + "x" + std::to_string(sizeY) + "x" +
                std::to_string(sizeZ) + " is not positive";
        return false;
    }
    if (ballCount < 0 || ballCount > maxBalls) {
        error = "ball count " + std::to_string(ballCount) + " is outside 0..100";
        return false;
    }
    if (goalCount < 0) {
        error = "goal count " + std::to_string(goalCount) + " is negative";
        return false;
    }
    const size_t cellCount = size_t(sizeX) * size_t(sizeY) * size_t(sizeZ);
    if (cellCount > size_t(maxCellCount)) {
        error = "board of " + std::to_string(cellCount) + " cells is larger than the " +
                std::to_string(maxCellCount) + " the game can show";
        return false;
    }
    const size_t ballsAt = levelHeaderBytes + cellCount;
    const size_t viewAt = ballsAt + levelBallBytes * size_t(ballCount);
    const size_t needed = viewAt + (needView ? levelViewBytes : 0);
    if (size < needed) {
        error = "file is " + std::to_string(size) + " bytes, the level needs " + std::to_string(needed);
        return false;
    }
    for (size_t i = 0; i < cellCount; ++i) {
        if (!ValidCellValue(int8_t(data[levelHeaderBytes + i]))) {
            error = "cell " + std::to_string(i) + " holds the unknown value " +
                    std::to_string(int8_t(data[levelHeaderBytes + i]));
            return false;
        }
    }
    for (int b = 0; b < ballCount; ++b) {
        const uint8_t* record = data + ballsAt + levelBallBytes * size_t(b);
        const int kind = int8_t(record[0]), direction = int8_t(record[1]), lock = int8_t(record[2]);
        const Vec3 position{ReadFloat(record + 4), ReadFloat(record + 8), ReadFloat(record + 12)};
        std::string what;
        if (!IsBallKind(kind)) what = "kind " + std::to_string(kind) + " is not a ball kind (12..15)";
        else if (direction < 0 || direction > 5) what = "direction " + std::to_string(direction) + " is outside 0..5";
        else if (lock < 0 || lock > 2) what = "lock " + std::to_string(lock) + " is outside 0..2";
        else if (!ValidBallPosition(position, sizeX, sizeY, sizeZ)) what = "position is outside the board";
        if (!what.empty()) {
            error = "ball " + std::to_string(b) + ": " + what;
            return false;
        }
    }
    // A view that is not a set of numbers counts as no view at all.
    OrbitCamera camera = out.camera;
    bool hasView = size >= viewAt + levelViewBytes;
    if (hasView) {
        camera.cameraDistance = ReadFloat(data + viewAt);
        camera.cameraPitch = ReadFloat(data + viewAt + 4);
        camera.cameraYaw = ReadFloat(data + viewAt + 8);
        hasView = std::isfinite(camera.cameraDistance) && std::isfinite(camera.cameraPitch) &&
                  std::isfinite(camera.cameraYaw);
    }
    if (needView && !hasView) {
        error = size >= viewAt + levelViewBytes ? "the view holds a value that is not a number"
                                                : "file ends before the view";
        return false;
    }

    // Everything checked: now build the result.
    Board& board = out.board;
    board.Resize(sizeX, sizeY, sizeZ);
    std::memcpy(board.cells.data(), data + levelHeaderBytes, cellCount);
    board.ballCount = int8_t(ballCount);
    board.goalCount = int8_t(goalCount);
    for (int b = 0; b < ballCount; ++b) {
        const uint8_t* record = data + ballsAt + levelBallBytes * size_t(b);
        Ball& ball = board.balls[b];
        ball.kind = int8_t(record[0]);
        ball.direction = int8_t(record[1]);
        ball.lock = int8_t(record[2]);
        ball.position = {ReadFloat(record + 4), ReadFloat(record + 8), ReadFloat(record + 12)};
        ball.velocity = Vec3{};
        ball.absorb = 0.0f;
        ball.orientation = MatrixIdentity();
    }
    if (hasView) out.camera = camera;
    out.hasView = hasView;
    return true;
}

std::vector<uint8_t> EncodeLevel(const Board& board, const OrbitCamera& camera) {
    std::vector<uint8_t> out;
    out.reserve(levelHeaderBytes + board.cells.size() + levelBallBytes * size_t(board.ballCount) + levelViewBytes);
    for (char c : {'T', 'M', '3', '0'}) out.push_back(uint8_t(c));
    out.push_back(uint8_t(board.sizeX));
    out.push_back(uint8_t(board.sizeY));
    out.push_back(uint8_t(board.sizeZ));
    out.push_back(uint8_t(board.ballCount));
    out.push_back(uint8_t(board.goalCount));
    for (int8_t cell : board.cells) out.push_back(uint8_t(cell));
    for (int b = 0; b < board.ballCount; ++b) {
        const Ball& ball = board.balls[b];
        out.push_back(uint8_t(ball.kind));
        out.push_back(uint8_t(ball.direction));
        out.push_back(uint8_t(ball.lock));
        out.push_back(0);
        WriteFloat(out, ball.position.x);
        WriteFloat(out, ball.position.y);
        WriteFloat(out, ball.position.z);
    }
    WriteFloat(out, camera.cameraDistance);
    WriteFloat(out, camera.cameraPitch);
    WriteFloat(out, camera.cameraYaw);
    return out;
}

std::string LevelNameFromPath(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return std::string(name.substr(0, name.find('.')));
}

bool ReadLevelFile(const std::string& path, bool readView, Board& board, OrbitCamera& camera,
                   std::string& levelName, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, maxLevelBytes, bytes)) {
        if (error) *error = "cannot read " + path + " (" + ReadFailureText(errno) + ")";
        return false;
    }
    // Decode into a scratch level first: a rejected file leaves everything as it was.
    LevelData level;
    std::string reason;
    if (!ParseLevel(bytes.data(), bytes.size(), readView, level, reason)) {
        if (error) *error = path + ": " + reason;
        return false;
    }
    // Only what the file stores changes; the stock and the balls' run values
    // stay until Board::PrepareForPlay and the launch set them.
    const Board& loaded = level.board;
    board.sizeX = loaded.sizeX;
    board.sizeY = loaded.sizeY;
    board.sizeZ = loaded.sizeZ;
    board.cellCount = loaded.cellCount;
    board.cells = loaded.cells;
    board.ballCount = loaded.ballCount;
    board.goalCount = loaded.goalCount;
    for (int b = 0; b < loaded.ballCount; ++b) {
        const Ball& from = loaded.balls[b];
        Ball& to = board.balls[b];
        to.kind = from.kind;
        to.direction = from.direction;
        to.lock = from.lock;
        to.position = from.position;
        to.velocity = Vec3{};
        to.absorb = 0.0f;
        to.orientation = MatrixIdentity();
    }
    if (readView) camera = level.camera;
    levelName = LevelNameFromPath(path);
    return true;
}

bool WriteLevelFile(const std::string& path, const Board& board, const OrbitCamera& camera,
                    std::string& levelName) {
    const std::vector<uint8_t> bytes = EncodeLevel(board, camera);
    if (!WriteFileAtomically(path, bytes.data(), bytes.size())) return false;
    levelName = LevelNameFromPath(path);
    return true;
}
