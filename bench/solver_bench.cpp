// tm3 solve's throughput in trial runs per second, on a puzzle of three
// corners to place (a search of some thousand trial rolls), with one job and
// with two.
//
//   ./build/tumbleon_bench --benchmark_filter=Solve
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "board/file_io.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/level_text.h"

namespace {

const char puzzleText[] = R"(size 9 3 9
goal 1
layer 0
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
GGGGGGGGG
layer 1
NNNNNNNNN
NNNNNNNNN
NNNNNNSNN
NNNNNNNNN
NNNNNNNNN
NNNNNNNNN
NNTNNNNNN
NNNNNNNNN
NNNNNNNNN
layer 2
.........
.....N...
......P..
.........
..N......
.........
.........
.........
bcd......
ball 6 2 2 plastic +x fixed
)";

void SolveThreeCorners(benchmark::State& state) {
    LevelData level;
    std::string error;
    if (!CompileLevel(puzzleText, level, error)) {
        std::fprintf(stderr, "solver_bench: %s\n", error.c_str());
        std::exit(1);
    }
    char path[] = "/tmp/tumbleon_solver_bench_XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    const std::vector<uint8_t> bytes = EncodeLevel(level.board, level.camera);
    if (fd < 0 || !WriteFileAtomically(path, bytes.data(), bytes.size())) {
        std::fputs("solver_bench: cannot write the puzzle\n", stderr);
        std::exit(1);
    }
    std::FILE* sink = std::fopen("/dev/null", "w");
    const Tm3Args args = {path, "--max-pieces", "2", "--ticks", "4000", "--jobs", std::to_string(state.range(0)), "--count-only"};
    long runs = 0;
    for (auto _ : state) {
        SolveReport report;
        Tm3Solve(args, sink, sink, &report);
        runs += report.trialRuns;
    }
    std::fclose(sink);
    std::remove(path);
    state.counters["trial_runs_per_s"] = benchmark::Counter(static_cast<double>(runs), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(SolveThreeCorners)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
