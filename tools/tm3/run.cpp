// tm3 run: rolls a level without a display, as the game would after the roll
// button, and says whether enough balls reach the target.
#include <cstdlib>

#include "board/level_file.h"
#include "sim/effect_recorder.h"
#include "sim/simulation.h"
#include "tools/tm3/commands.h"

namespace {

constexpr long defaultTicks = 40000;  // 100 s of game time
constexpr long maxTicks = 2000000000;

const char runUsage[] = "tm3 run LEVEL.tm3 [--ticks N] [--trace]";

struct RunOptions {
    std::string path;
    long ticks = defaultTicks;
    bool trace = false;
};

bool ParseRunOptions(const Tm3Args& args, RunOptions& options, std::FILE* err) {
    bool havePath = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--trace") {
            options.trace = true;
        } else if (word == "--ticks") {
            if (i + 1 >= args.size() || !ParseWholeNumber(args[i + 1], maxTicks, options.ticks)) {
                std::fputs("tm3: --ticks needs a whole number of ticks, 0 or more\n", err);
                return false;
            }
            ++i;
        } else if (word.size() > 1 && word[0] == '-') {
            std::fprintf(err, "tm3: unknown option '%s'; usage: %s\n", word.c_str(), runUsage);
            return false;
        } else if (!havePath) {
            options.path = word;
            havePath = true;
        } else {
            std::fprintf(err, "tm3: usage: %s\n", runUsage);
            return false;
        }
    }
    if (!havePath) std::fprintf(err, "tm3: usage: %s\n", runUsage);
    return havePath;
}

void PrintFloat(std::FILE* out, float f) { std::fprintf(out, " %.9g", static_cast<double>(f)); }

// One tick's trace: its sounds in order, the cells it cleared, then every ball.
void TraceTick(std::FILE* out, long tick, const EffectRecorder& effects, const Board& board) {
    for (int id : effects.sounds) std::fprintf(out, "tick %ld sound %d\n", tick, id);
    for (const ClearedCell& c : effects.clearedCells)
        std::fprintf(out, "tick %ld cleared %d %d %d\n", tick, c.x, c.y, c.z);
    for (int i = 0; i < board.ballCount; ++i) {
        const Ball& ball = board.balls[i];
        std::fprintf(out, "tick %ld ball %d %d", tick, i, ball.kind);
        PrintFloat(out, ball.position.x);
        PrintFloat(out, ball.position.y);
        PrintFloat(out, ball.position.z);
        PrintFloat(out, ball.velocity.x);
        PrintFloat(out, ball.velocity.y);
        PrintFloat(out, ball.velocity.z);
        PrintFloat(out, ball.absorb);
        std::fputc('\n', out);
    }
}

}  // namespace

int Tm3Run(const Tm3Args& args, std::FILE* out, std::FILE* err) {
    RunOptions options;
    if (!ParseRunOptions(args, options, err)) return 2;

    // The level exactly as stored: every piece on the board, every ball with
    // its stored direction.
    LevelData level;
    OrbitCamera camera;
    std::string name, reason;
    if (!ReadLevelFile(options.path, false, level.board, camera, name, &reason)) {
        // The reason names the file already.
        std::fprintf(err, "tm3: %s\n", reason.empty() ? ("cannot read " + options.path).c_str() : reason.c_str());
        return 2;
    }
    Board& board = level.board;
    for (int i = 0; i < board.ballCount; ++i) {
        const int direction = board.balls[i].direction;
        if (direction < 1 || direction > 4) {
            std::fprintf(err, "tm3: %s: ball %d has no launch direction (direction %d; 1..4 needed)\n",
                         options.path.c_str(), i, direction);
            return 2;
        }
    }

    BuildCollisionShapes();
    EffectRecorder effects;
    Board snapshot(1, 1, 1);
    int8_t ballsAtTarget = 0;
    StartRoll(board, snapshot, ballsAtTarget);

    long solvedAt = -1;
    if (ballsAtTarget >= board.goalCount) solvedAt = 0;
    for (long tick = 1; solvedAt < 0 && tick <= options.ticks; ++tick) {
        effects.Clear();
        SimulationTick(board, ballsAtTarget);
        if (options.trace) TraceTick(out, tick, effects, board);
        if (ballsAtTarget >= board.goalCount) solvedAt = tick;
    }

    std::fprintf(out, "balls at target %d\n", ballsAtTarget);
    if (solvedAt >= 0) {
        std::fprintf(out, "solved at tick %ld\n", solvedAt);
        return 0;
    }
    std::fprintf(out, "not solved after %ld ticks\n", options.ticks);
    return 1;
}
