#include "tools/tm3/level_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

// Legend characters of kinds 0..19; the flagged form is the lower case one.
constexpr char legendFixed[elementKindCount + 1] = ".GNABCDSTMXJOIPKRUVW";
constexpr char legendFlaggedEmpty = ',';

const char* const ballKindNames[4] = {"balloon", "iron", "plastic", "bomb"};
const char* const directionNames[6] = {"unset", "-x", "+z", "+x", "-z", "none"};
const char* const lockNames[3] = {"player", "position", "fixed"};
const char* const kindNames[elementKindCount] = {
    "empty",        "ground cube",  "plain cube",    "corner 0",    "corner 1",
    "corner 2",     "corner 3",     "start cube",    "target cube", "magnet",
    "spike cube",   "spring cube",  "balloon cell",  "iron ball cell", "plastic ball cell",
    "bomb cell",    "ramp 0",       "ramp 1",        "ramp 2",      "ramp 3"};

std::string FormatFloat(float f) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(f));
    return buffer;
}

bool SameBits(const Vec3& a, const Vec3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The cell a ball belongs to: exact for a placing position, else the nearest.
void BallStandingCell(const Board& board, const Ball& ball, int& x, int& y, int& z) {
    auto nearest = [](float v, int size) {
        const long cell = std::lround(v / boardUnitsPerCell);
        return static_cast<int>(cell < 0 ? 0 : cell >= size ? size - 1 : cell);
    };
    x = nearest(ball.position.x, board.sizeX);
    y = nearest(ball.position.y - ballPlacingLift, board.sizeY);
    z = nearest(ball.position.z, board.sizeZ);
}

int IndexOf(const char* const* names, int count, const std::string& word) {
    for (int i = 0; i < count; ++i)
        if (word == names[i]) return i;
    return -1;
}

bool ParseInt(const std::string& word, int low, int high, int& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseFloat(const std::string& word, float& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// A line without its comment and trailing white space.
std::string Clean(const std::string& line) {
    std::string s = line.substr(0, line.find('#'));
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}

}  // namespace

char CellChar(int value) {
    if (value == cellPlayerPiece) return legendFlaggedEmpty;
    const int kind = value % cellPlayerPiece;
    if (value < 0 || kind >= elementKindCount) return '?';
    const char c = legendFixed[kind];
    return value >= cellPlayerPiece ? static_cast<char>(c - 'A' + 'a') : c;
}

int CellValueOfChar(char c) {
    if (c == legendFlaggedEmpty) return cellPlayerPiece;
    for (int kind = 0; kind < elementKindCount; ++kind) {
        const char fixed = legendFixed[kind];
        if (c == fixed) return kind;
        if (kind > 0 && c == fixed - 'A' + 'a') return kind + cellPlayerPiece;
    }
    return -1;
}

std::string DumpLevel(const LevelData& level) {
    const Board& board = level.board;
    std::string out;
    out += "# Tumbleon level. Legend: . empty  G ground  N plain  ABCD corners  S start  T target\n";
    out += "# M magnet  X spikes  J spring  O I P K balls  RUVW ramps; lower case: the player's pieces\n";
    out += "size " + std::to_string(board.sizeX) + " " + std::to_string(board.sizeY) + " " +
           std::to_string(board.sizeZ) + "\n";
    out += "goal " + std::to_string(board.goalCount) + "\n";
    if (level.hasView)
        out += "camera " + FormatFloat(level.camera.cameraDistance) + " " + FormatFloat(level.camera.cameraPitch) +
               " " + FormatFloat(level.camera.cameraYaw) + "\n";
    for (int y = 0; y < board.sizeY; ++y) {
        out += "\nlayer " + std::to_string(y) + "\n";
        for (int z = 0; z < board.sizeZ; ++z) {
            for (int x = 0; x < board.sizeX; ++x)
                out += CellChar(board.cells[static_cast<size_t>(board.Index(x, y, z))]);
            out += '\n';
        }
    }
    if (board.ballCount > 0) out += "\n";
    for (int b = 0; b < board.ballCount; ++b) {
        const Ball& ball = board.balls[b];
        int x, y, z;
        BallStandingCell(board, ball, x, y, z);
        out += "ball " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + " " +
               ballKindNames[ball.kind - kindBalloon] + " " + directionNames[ball.direction] + " " +
               lockNames[ball.lock];
        if (!SameBits(ball.position, PlacingPosition(x, y, z)))
            out += " at " + FormatFloat(ball.position.x) + " " + FormatFloat(ball.position.y) + " " +
                   FormatFloat(ball.position.z);
        out += "\n";
    }
    return out;
}

bool CompileLevel(const std::string& text, LevelData& level, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& reason) {
        error = "line " + std::to_string(lineNumber) + ": " + reason;
        return false;
    };

    int sizeX = 0, sizeY = 0, sizeZ = 0, goal = -1;
    bool hasCamera = false;
    OrbitCamera camera;
    std::vector<int8_t> cells;
    std::vector<bool> layerSeen;
    std::vector<Ball> balls;

    while (std::getline(in, line)) {
        ++lineNumber;
        const std::vector<std::string> w = Words(Clean(line));
        if (w.empty()) continue;
        const std::string& key = w[0];
        if (key == "size") {
            if (sizeX) return fail("a second size line");
            if (w.size() != 4 || !ParseInt(w[1], 1, 127, sizeX) || !ParseInt(w[2], 1, 127, sizeY) ||
                !ParseInt(w[3], 1, 127, sizeZ))
                return fail("expected 'size X Y Z' with sizes from 1 to 127");
            cells.assign(static_cast<size_t>(sizeX * sizeY * sizeZ), 0);
            layerSeen.assign(static_cast<size_t>(sizeY), false);
        } else if (key == "goal") {
            if (goal >= 0) return fail("a second goal line");
            if (w.size() != 2 || !ParseInt(w[1], 0, 127, goal)) return fail("expected 'goal N' with N from 0 to 127");
        } else if (key == "camera") {
            if (hasCamera) return fail("a second camera line");
            if (w.size() != 4 || !ParseFloat(w[1], camera.cameraDistance) || !ParseFloat(w[2], camera.cameraPitch) ||
                !ParseFloat(w[3], camera.cameraYaw))
                return fail("expected 'camera DISTANCE PITCH YAW' with finite numbers");
            hasCamera = true;
        } else if (key == "layer") {
            if (!sizeX) return fail("'layer' before 'size'");
            int y = 0;
            if (w.size() != 2 || !ParseInt(w[1], 0, sizeY - 1, y))
                return fail("expected 'layer Y' with Y from 0 to " + std::to_string(sizeY - 1));
            if (layerSeen[static_cast<size_t>(y)]) return fail("layer " + std::to_string(y) + " appears twice");
            layerSeen[static_cast<size_t>(y)] = true;
            for (int z = 0; z < sizeZ; ++z) {
                if (!std::getline(in, line)) return fail("layer " + std::to_string(y) + " ends after " + std::to_string(z) + " rows");
                ++lineNumber;
                const std::string row = Clean(line);
                if (static_cast<int>(row.size()) != sizeX)
                    return fail("row " + std::to_string(z) + " of layer " + std::to_string(y) + " has " +
                                std::to_string(row.size()) + " cells, expected " + std::to_string(sizeX));
                for (int x = 0; x < sizeX; ++x) {
                    const int value = CellValueOfChar(row[static_cast<size_t>(x)]);
                    if (value < 0) return fail(std::string("'") + row[static_cast<size_t>(x)] + "' is not in the legend");
                    cells[static_cast<size_t>(x + sizeX * (y + sizeY * z))] = static_cast<int8_t>(value);
                }
            }
        } else if (key == "ball") {
            if (!sizeX) return fail("'ball' before 'size'");
            if (balls.size() >= static_cast<size_t>(maxBalls)) return fail("more than 100 balls");
            if (w.size() != 7 && w.size() != 11)
                return fail("expected 'ball X Y Z KIND DIRECTION LOCK [at PX PY PZ]'");
            int x, y, z;
            if (!ParseInt(w[1], 0, sizeX - 1, x) || !ParseInt(w[2], 0, sizeY - 1, y) || !ParseInt(w[3], 0, sizeZ - 1, z))
                return fail("ball cell outside the board");
            Ball ball;
            const int kind = IndexOf(ballKindNames, 4, w[4]);
            const int direction = IndexOf(directionNames, 6, w[5]);
            const int lock = IndexOf(lockNames, 3, w[6]);
            if (kind < 0) return fail("unknown ball kind '" + w[4] + "' (balloon, iron, plastic, bomb)");
            if (direction < 0) return fail("unknown direction '" + w[5] + "' (unset, -x, +z, +x, -z, none)");
            if (lock < 0) return fail("unknown lock '" + w[6] + "' (player, position, fixed)");
            ball.kind = static_cast<int8_t>(kindBalloon + kind);
            ball.direction = static_cast<int8_t>(direction);
            ball.lock = static_cast<int8_t>(lock);
            ball.position = PlacingPosition(x, y, z);
            if (w.size() == 11) {
                if (w[7] != "at" || !ParseFloat(w[8], ball.position.x) || !ParseFloat(w[9], ball.position.y) ||
                    !ParseFloat(w[10], ball.position.z))
                    return fail("expected 'at PX PY PZ' with finite numbers");
            }
            balls.push_back(ball);
        } else {
            return fail("unknown keyword '" + key + "'");
        }
    }
    ++lineNumber;
    if (!sizeX) return fail("no 'size' line");
    if (goal < 0) return fail("no 'goal' line");

    Board board(sizeX, sizeY, sizeZ);
    board.cells = cells;
    board.goalCount = static_cast<int8_t>(goal);
    board.ballCount = static_cast<int8_t>(balls.size());
    for (size_t i = 0; i < balls.size(); ++i) board.balls[i] = balls[i];

    // The same checks the game makes when it loads the file.
    const std::vector<uint8_t> bytes = EncodeLevel(board, camera);
    LevelData parsed;
    std::string reason;
    if (!ParseLevel(bytes.data(), bytes.size(), true, parsed, reason)) return fail(reason);
    parsed.hasView = hasCamera;
    level = parsed;
    return true;
}

std::string DescribeLevel(const LevelData& level) {
    const Board& board = level.board;
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "size %d x %d x %d (%d cells)\ngoal %d\n", board.sizeX, board.sizeY, board.sizeZ,
                  board.cellCount, board.goalCount);
    out += line;
    int fixed[elementKindCount] = {}, flagged[elementKindCount] = {};
    for (int8_t value : board.cells) (value >= cellPlayerPiece ? flagged : fixed)[KindOfValue(value)]++;
    out += "cells:\n";
    for (int kind = 0; kind < elementKindCount; ++kind) {
        if (!fixed[kind] && !flagged[kind]) continue;
        std::snprintf(line, sizeof line, "  %-2d %-18s %c %5d   player's %c %5d\n", kind, kindNames[kind],
                      CellChar(kind), fixed[kind], CellChar(kind + cellPlayerPiece), flagged[kind]);
        out += line;
    }
    std::snprintf(line, sizeof line, "balls: %d\n", board.ballCount);
    out += line;
    for (int b = 0; b < board.ballCount; ++b) {
        const Ball& ball = board.balls[b];
        int x, y, z;
        BallStandingCell(board, ball, x, y, z);
        std::snprintf(line, sizeof line, "  %-3d %-8s cell %d %d %d  direction %-5s lock %-8s position %s %s %s\n", b,
                      ballKindNames[ball.kind - kindBalloon], x, y, z, directionNames[ball.direction],
                      lockNames[ball.lock], FormatFloat(ball.position.x).c_str(), FormatFloat(ball.position.y).c_str(),
                      FormatFloat(ball.position.z).c_str());
        out += line;
    }
    Board prepared(1, 1, 1);
    prepared.CopyFrom(board);
    prepared.PrepareForPlay();
    out += "stock:";
    bool any = false;
    int pieces = 0;
    for (int kind = 0; kind < stockSlots; ++kind) {
        if (!prepared.stock[kind]) continue;
        pieces += prepared.stock[kind];
        const char* name = IsBallKind(kind) ? ballKindNames[kind - kindBalloon]
                           : kind < elementKindCount ? kindNames[kind]
                                                     : "?";
        std::snprintf(line, sizeof line, " %s x%d,", name, prepared.stock[kind]);
        out += line;
        any = true;
    }
    if (any) out.pop_back();
    else out += " none";
    out += "\npieces " + std::to_string(pieces) + "\n";
    if (level.hasView)
        out += "camera distance " + FormatFloat(level.camera.cameraDistance) + " pitch " +
               FormatFloat(level.camera.cameraPitch) + " yaw " + FormatFloat(level.camera.cameraYaw) + "\n";
    else
        out += "camera none stored\n";
    return out;
}
