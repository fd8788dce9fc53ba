#include "tools/tm3/puzzle_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

const char* const launchDirectionNames[6] = {"unset", "-x", "+z", "+x", "-z", "none"};

namespace {

bool HasDirection(const Ball& ball) { return ball.direction >= 1 && ball.direction <= 4; }

bool SamePosition(const Vec3& a, const Vec3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string CellName(const Board& board, int cell) {
    int x, y, z;
    board.CellOf(cell, x, y, z);
    char text[48];
    std::snprintf(text, sizeof text, "%d %d %d", x, y, z);
    return text;
}

// A board coordinate in whole cell steps: the cell it lies in from that
// cell's low edge (offset 0) or from its centre's (offset half a cell).
int CellStep(float v, float offset = 0.0f) { return static_cast<int>((v + offset) / boardUnitsPerCell); }
constexpr float halfCell = boardUnitsPerCell / 2.0f;

// The cell whose placing position a ball stands on, or -1.
int StandingCell(const Board& board, const Ball& ball) {
    const int x = CellStep(ball.position.x);
    const int y = CellStep(ball.position.y - ballPlacingLift);
    const int z = CellStep(ball.position.z);
    if (!board.Contains(x, y, z) || !SamePosition(ball.position, PlacingPosition(x, y, z))) return -1;
    return board.Index(x, y, z);
}

int KindIn(const Board& board, int x, int y, int z) {
    return board.Contains(x, y, z) ? KindOfValue(board.cells[static_cast<size_t>(board.Index(x, y, z))]) : kindEmpty;
}

}  // namespace

bool CanPlaceInPlay(const Board& board, int kind, int x, int y, int z) {
    if (!board.Contains(x, y, z) || KindIn(board, x, y, z) != kindEmpty) return false;
    if (kind <= kindEmpty || kind >= elementKindCount) return false;
    const int below = y > 0 ? KindIn(board, x, y - 1, z) : kindGroundCube;
    if (IsBallKind(kind)) return y > 0 && below == kindStartCube && board.ballCount < maxBalls;
    // The pointer builds across a face of a neighbouring element, but never
    // across a ball's top: the cell over a ball needs another neighbour.
    static const int steps[6][3] = {{0, -1, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}, {0, 1, 0}};
    bool pointable = false;
    for (const auto& s : steps) {
        const int nx = x + s[0], ny = y + s[1], nz = z + s[2];
        if (!board.Contains(nx, ny, nz)) continue;
        const int neighbour = KindIn(board, nx, ny, nz);
        if (neighbour != kindEmpty && !(s[1] == -1 && IsBallKind(neighbour))) pointable = true;
    }
    if (!pointable || y == 0) return pointable;
    if (below == kindEmpty && y - 1 > 0) return false;  // pieces rest on something
    return below != kindSpikeCube && below != kindTargetCube && below != kindStartCube;
}

void ApplyPlacement(Board& board, const Placement& placement) {
    if (IsBallKind(placement.kind)) {
        board.cells[static_cast<size_t>(placement.cell)] = static_cast<int8_t>(placement.kind);
        if (board.AddBall(placement.kind, placement.cell))
            board.balls[board.ballCount - 1].direction = static_cast<int8_t>(placement.direction);
        return;
    }
    board.cells[static_cast<size_t>(placement.cell)] = static_cast<int8_t>(placement.kind + cellPlayerPiece);
}

bool BuildPlayedBoard(const Board& puzzle, const Board& solution, Board& played, std::string& why) {
    if (puzzle.sizeX != solution.sizeX || puzzle.sizeY != solution.sizeY || puzzle.sizeZ != solution.sizeZ) {
        why = "the solution's sizes differ from the puzzle's";
        return false;
    }
    if (puzzle.goalCount != solution.goalCount) {
        why = "the solution's goal differs from the puzzle's";
        return false;
    }
    Board prepared(1, 1, 1);
    prepared.CopyFrom(puzzle);
    prepared.PrepareForPlay();

    // Cells: the puzzle's own stay; an empty cell of the prepared puzzle may
    // hold a piece the player put down, or a ball's start cell.
    std::vector<Placement> pieces;
    int used[stockSlots] = {};
    for (int i = 0; i < prepared.cellCount; ++i) {
        const int was = prepared.cells[static_cast<size_t>(i)];
        const int now = solution.cells[static_cast<size_t>(i)];
        if (was != kindEmpty) {
            if (now != was) {
                why = "cell " + CellName(puzzle, i) + " is the puzzle's: '" + CellChar(was) + "' became '" +
                      CellChar(now) + "'";
                return false;
            }
            continue;
        }
        if (now == kindEmpty || now == cellPlayerPiece || IsBallKind(now)) continue;  // balls: below
        if (now < cellPlayerPiece || IsBallKind(now - cellPlayerPiece) || now - cellPlayerPiece >= elementKindCount) {
            why = "cell " + CellName(puzzle, i) + " holds '" + CellChar(now) + "', which is no piece the player puts down";
            return false;
        }
        pieces.push_back({i, now - cellPlayerPiece, 0});
        ++used[now - cellPlayerPiece];
    }

    // Balls: the fixed ones keep their place (and a fixed ball its direction);
    // the player's stand on start cells the solution marks with their kind.
    bool matched[maxBalls] = {};
    int fixedDirection[maxBalls] = {};
    std::vector<Placement> balls;
    for (int b = 0; b < solution.ballCount; ++b) {
        const Ball& ball = solution.balls[b];
        if (!HasDirection(ball)) {
            why = "ball " + std::to_string(b) + " has no launch direction";
            return false;
        }
        if (ball.lock == static_cast<int8_t>(BallLock::PlayerBall)) {
            const int cell = StandingCell(solution, ball);
            if (cell < 0 || solution.cells[static_cast<size_t>(cell)] != ball.kind ||
                prepared.cells[static_cast<size_t>(cell)] != kindEmpty) {
                why = "the player's ball " + std::to_string(b) + " does not stand on a start cell of its own";
                return false;
            }
            for (const Placement& other : balls)
                if (other.cell == cell) {
                    why = "two of the player's balls stand on cell " + CellName(puzzle, cell);
                    return false;
                }
            balls.push_back({cell, ball.kind, ball.direction});
            ++used[ball.kind];
            continue;
        }
        int j = 0;
        while (j < prepared.ballCount &&
               (matched[j] || prepared.balls[j].kind != ball.kind || prepared.balls[j].lock != ball.lock ||
                !SamePosition(prepared.balls[j].position, ball.position)))
            ++j;
        if (j == prepared.ballCount) {
            why = "ball " + std::to_string(b) + " is fixed but the puzzle has no such ball there";
            return false;
        }
        if (ball.lock == static_cast<int8_t>(BallLock::FixedBall) && ball.direction != prepared.balls[j].direction) {
            why = "ball " + std::to_string(b) + " is fixed with its direction, but the solution changes it";
            return false;
        }
        matched[j] = true;
        fixedDirection[j] = ball.direction;
    }
    for (int j = 0; j < prepared.ballCount; ++j)
        if (!matched[j]) {
            why = "a fixed ball of the puzzle is missing or moved (ball " + std::to_string(j) + " as prepared)";
            return false;
        }
    for (int i = 0; i < solution.cellCount; ++i) {
        const int now = solution.cells[static_cast<size_t>(i)];
        if (!IsBallKind(now) || prepared.cells[static_cast<size_t>(i)] != kindEmpty) continue;
        bool found = false;
        for (const Placement& ball : balls) found = found || ball.cell == i;
        if (!found) {
            why = "cell " + CellName(puzzle, i) + " holds a ball's start cell but no ball of the player stands there";
            return false;
        }
    }
    for (int kind = 1; kind < stockSlots; ++kind)
        if (used[kind] > prepared.stock[kind]) {
            why = "the solution puts down " + std::to_string(used[kind]) + " of kind " + std::to_string(kind) +
                  " but the stock holds " + std::to_string(prepared.stock[kind]);
            return false;
        }

    // Some order must let every piece go down by the rules; a piece put down
    // only ever adds support, so taking whatever fits until nothing does finds one.
    Board trial(1, 1, 1);
    trial.CopyFrom(prepared);
    std::vector<Placement> waiting = pieces;
    waiting.insert(waiting.end(), balls.begin(), balls.end());
    for (bool progress = true; progress && !waiting.empty();) {
        progress = false;
        for (size_t k = 0; k < waiting.size();) {
            int x, y, z;
            trial.CellOf(waiting[k].cell, x, y, z);
            if (CanPlaceInPlay(trial, waiting[k].kind, x, y, z)) {
                ApplyPlacement(trial, waiting[k]);
                waiting.erase(waiting.begin() + static_cast<long>(k));
                progress = true;
            } else {
                ++k;
            }
        }
    }
    if (!waiting.empty()) {
        why = "the piece at cell " + CellName(puzzle, waiting[0].cell) +
              " cannot be put down there by the placing rules, in any order";
        return false;
    }

    // The board as the game holds it: the balls the player put down follow the
    // puzzle's own, in the solution's order.
    played.CopyFrom(prepared);
    for (int j = 0; j < played.ballCount; ++j) played.balls[j].direction = static_cast<int8_t>(fixedDirection[j]);
    for (const Placement& piece : pieces) ApplyPlacement(played, piece);
    for (const Placement& ball : balls) ApplyPlacement(played, ball);
    return true;
}

bool ParseKindSwap(const std::string& text, KindSwap& swap) {
    struct Named {
        const char* name;
        int first, last;
    };
    static const Named names[] = {
        {"cube", kindPlainCube, kindPlainCube},     {"corner", kindCornerFirst, kindCornerLast},
        {"ramp", kindRampFirst, kindRampLast},      {"magnet", kindMagnet, kindMagnet},
        {"spike", kindSpikeCube, kindSpikeCube},    {"spring", kindSpringCube, kindSpringCube},
        {"balloon", kindBalloon, kindBalloon},      {"iron", kindIronBall, kindIronBall},
        {"plastic", kindPlasticBall, kindPlasticBall}, {"bomb", kindBomb, kindBomb}};
    auto find = [&](const std::string& word) -> const Named* {
        for (const Named& n : names)
            if (word == n.name) return &n;
        return nullptr;
    };
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    const Named* from = find(text.substr(0, equals));
    const Named* to = find(text.substr(equals + 1));
    // The neutral side is one kind; a ball never stands in for an element.
    if (!from || !to || from == to || to->first != to->last || IsBallKind(from->first) != IsBallKind(to->first))
        return false;
    swap.from.clear();
    for (int kind = from->first; kind <= from->last; ++kind) swap.from.push_back(kind);
    swap.to = to->first;
    return true;
}

void SwapKinds(Board& level, const KindSwap& swap) {
    auto swapped = [&](int kind) { return std::find(swap.from.begin(), swap.from.end(), kind) != swap.from.end(); };
    for (int8_t& value : level.cells) {
        const int flag = value - KindOfValue(value);
        if (swapped(KindOfValue(value))) value = static_cast<int8_t>(swap.to + flag);
    }
    for (int b = 0; b < level.ballCount; ++b)
        if (swapped(level.balls[b].kind)) level.balls[b].kind = static_cast<int8_t>(swap.to);
}

RollOutcome RollBoard(Board& board, long maxTicks, bool settle, BallTrail* trail) {
    board.ResetBallPhysics();
    LaunchBalls(board, launchSpeed);
    int8_t atTarget = 0;
    RollOutcome outcome;
    if (atTarget >= board.goalCount) {
        outcome.solved = true;
        return outcome;
    }
    const int layerStep = board.sizeX, rowStep = board.sizeX * board.sizeY;
    for (long tick = 1; tick <= maxTicks; ++tick) {
        SimulationTick(board, atTarget);
        outcome.ticks = tick;
        outcome.atTarget = atTarget;
        if (atTarget >= board.goalCount) {
            outcome.solved = true;
            return outcome;
        }
        int taking = 0;
        for (int i = 0; i < board.ballCount; ++i) {
            const Ball& ball = board.balls[i];
            if (ball.absorb >= 1.0f) ++taking;
            if (!trail) continue;
            const int x = CellStep(ball.position.x, halfCell);
            const int y = CellStep(ball.position.y, halfCell);
            const int z = CellStep(ball.position.z, halfCell);
            if (board.Contains(x, y, z)) trail->visited[static_cast<size_t>(x + layerStep * y + rowStep * z)] = 1;
        }
        if (!settle) continue;
        if (atTarget + taking >= board.goalCount) {
            outcome.solved = true;
            return outcome;
        }
        if (atTarget + board.ballCount < board.goalCount) return outcome;
    }
    return outcome;
}

// ---- Lint ----

namespace {

// Cells a ball may pass through: air, start cells, slopes and corners, and
// whatever the player may still take away.
bool Open(int value) {
    if (value >= cellPlayerPiece) return true;
    const int kind = KindOfValue(static_cast<int8_t>(value));
    return !IsBlockKind(kind);
}

}  // namespace

std::vector<std::string> LintLevel(const Board& level, bool asSolution) {
    std::vector<std::string> problems;
    if (level.goalCount > level.ballCount)
        problems.push_back("goal " + std::to_string(level.goalCount) + " asks for more balls than the level has (" +
                           std::to_string(level.ballCount) + ")");
    for (int b = 0; b < level.ballCount; ++b) {
        const Ball& ball = level.balls[b];
        const int cell = StandingCell(level, ball);
        int x = 0, y = 0, z = 0;
        if (cell >= 0) level.CellOf(cell, x, y, z);
        if (cell < 0 || y == 0 || KindIn(level, x, y - 1, z) != kindStartCube)
            problems.push_back("ball " + std::to_string(b) + " does not stand on a start cube");
        if (ball.lock == static_cast<int8_t>(BallLock::FixedBall) && !HasDirection(ball))
            problems.push_back("ball " + std::to_string(b) +
                               " is fixed without a launch direction: the roll is always refused");
        else if (asSolution && !HasDirection(ball))
            problems.push_back("ball " + std::to_string(b) + " has no launch direction");
    }

    // Flood the open cells from every ball; the air above the board joins the top layer.
    const int n = level.cellCount;
    std::vector<uint8_t> reached(static_cast<size_t>(n), 0);
    std::vector<int> queue;
    for (int b = 0; b < level.ballCount; ++b) {
        const Ball& ball = level.balls[b];
        const int x = CellStep(ball.position.x, halfCell);
        const int y = CellStep(ball.position.y, halfCell);
        const int z = CellStep(ball.position.z, halfCell);
        if (level.Contains(x, y, z)) queue.push_back(level.Index(x, y, z));
    }
    bool air = false;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int cell = queue[head];
        if (reached[static_cast<size_t>(cell)] || !Open(level.cells[static_cast<size_t>(cell)])) continue;
        reached[static_cast<size_t>(cell)] = 1;
        int x, y, z;
        level.CellOf(cell, x, y, z);
        if (y == level.sizeY - 1 && !air) {
            air = true;
            for (int zz = 0; zz < level.sizeZ; ++zz)
                for (int xx = 0; xx < level.sizeX; ++xx) queue.push_back(level.Index(xx, y, zz));
        }
        static const int steps[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
        for (const auto& s : steps)
            if (level.Contains(x + s[0], y + s[1], z + s[2])) queue.push_back(level.Index(x + s[0], y + s[1], z + s[2]));
    }
    int targets = 0;
    for (int cell = 0; cell < n; ++cell) {
        const int value = level.cells[static_cast<size_t>(cell)];
        if (value >= cellPlayerPiece && IsBallKind(value - cellPlayerPiece))
            problems.push_back("cell " + CellName(level, cell) +
                               ": a ball's start cell marked as the player's puts a second ball into the stock");
        if (KindOfValue(level.cells[static_cast<size_t>(cell)]) != kindTargetCube) continue;
        ++targets;
        int x, y, z;
        level.CellOf(cell, x, y, z);
        const bool open = y + 1 >= level.sizeY ? air : reached[static_cast<size_t>(level.Index(x, y + 1, z))] != 0;
        if (!open) problems.push_back("target cube at " + CellName(level, cell) + ": no ball can get onto it");
    }
    if (targets == 0) problems.push_back("no target cube");
    return problems;
}
