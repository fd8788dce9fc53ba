// SimulationTick on three boards: one ball rolling on a 10x10 floor, twenty
// balls in a busy level, and 100 balls on a 30x10x30 board.
//
//   ./build/tumbleon_bench                      all three
//   ./build/tumbleon_bench --benchmark_filter=Hundred
//
// Time is per tick; per_ball_tick is the time per ball in play per tick. Every
// `period` ticks the board is put back to its launched state (a copy without
// allocation), so that balls that leave the board do not thin the load.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/file_io.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

namespace {

// Launches a board as the roll button would.
Board Launched(const Board& layout) {
    Board board(1, 1, 1), snapshot(1, 1, 1);
    board.CopyFrom(layout);
    int8_t atTarget = 0;
    if (!StartRoll(board, snapshot, atTarget)) {
        std::fputs("sim_bench: a ball has no launch direction\n", stderr);
        std::exit(1);
    }
    return board;
}

void RunTicks(benchmark::State& state, const Board& start, int period) {
    BuildCollisionShapes();
    Board board = start;
    int8_t atTarget = 0;
    int sinceReset = 0;
    int64_t ballTicks = 0;
    for (auto _ : state) {
        if (sinceReset == period) {
            board = start;
            atTarget = 0;
            sinceReset = 0;
        }
        ballTicks += board.ballCount;
        SimulationTick(board, atTarget);
        ++sinceReset;
        benchmark::DoNotOptimize(board.balls[0].position);
    }
    state.counters["per_ball_tick"] =
        benchmark::Counter(static_cast<double>(ballTicks), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["balls"] = static_cast<double>(ballTicks) / static_cast<double>(state.iterations());
}

// A cleared board with ground cubes over layer 0.
Board Floor(int x, int y, int z) {
    Board board(x, y, z);
    board.Clear();
    for (int i = 0; i < z; ++i)
        for (int j = 0; j < x; ++j) board.cells[static_cast<size_t>(board.Index(j, 0, i))] = kindGroundCube;
    return board;
}

void AddBall(Board& board, int kind, int x, int y, int z, LaunchDirection direction) {
    board.AddBall(kind, board.Index(x, y, z));
    board.balls[board.ballCount - 1].direction = static_cast<int8_t>(direction);
}

void OneBallOnFloor(benchmark::State& state) {
    Board layout = Floor(10, 2, 10);
    AddBall(layout, kindPlasticBall, 2, 1, 4, LaunchDirection::PlusX);
    RunTicks(state, Launched(layout), 4000);
}

// The level of the golden run, read from the source tree beside this file.
void TwentyBallsBusyLevel(benchmark::State& state) {
    std::string path = __FILE__;
    path = path.substr(0, path.find_last_of('/') + 1) + "../tests/data/sim/busy.txt";
    std::vector<uint8_t> bytes;
    LevelData level;
    std::string error;
    if (!ReadWholeFile(path, 1u << 20, bytes) ||
        !CompileLevel(std::string(bytes.begin(), bytes.end()), level, error)) {
        state.SkipWithError(("cannot load " + path + " " + error).c_str());
        return;
    }
    RunTicks(state, Launched(level.board), 2000);
}

// 100 balloons, plastic and iron balls in a loose grid over two layers, among
// blocks, corners, ramps and magnets; no bombs or spikes, so all stay in play.
void HundredBallsLargeBoard(benchmark::State& state) {
    Board layout = Floor(30, 10, 30);
    for (int z = 1; z < 30; z += 4)
        for (int x = 1; x < 30; x += 4) {
            const int pick = (x * 7 + z * 3) % 6;
            const int kind = pick == 0   ? kindPlainCube
                             : pick == 1 ? kindCornerFirst + (x + z) % 4
                             : pick == 2 ? kindRampFirst + (x * z) % 4
                             : pick == 3 ? kindMagnet
                                         : kindEmpty;
            layout.cells[static_cast<size_t>(layout.Index(x, 1, z))] = static_cast<int8_t>(kind);
        }
    const int kinds[3] = {kindBalloon, kindPlasticBall, kindIronBall};
    const LaunchDirection directions[4] = {LaunchDirection::MinusX, LaunchDirection::PlusZ, LaunchDirection::PlusX,
                                           LaunchDirection::MinusZ};
    int n = 0;
    for (int z = 0; z < 30 && n < 100; z += 3)
        for (int x = 0; x < 30 && n < 100; x += 3) {
            const int y = 1 + n % 2;
            AddBall(layout, kinds[n % 3], x, y, z, directions[(n / 3) % 4]);
            ++n;
        }
    RunTicks(state, Launched(layout), 4000);
}

}  // namespace

BENCHMARK(OneBallOnFloor);
BENCHMARK(TwentyBallsBusyLevel);
BENCHMARK(HundredBallsLargeBoard);
