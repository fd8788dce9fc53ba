// tm3 run: rolling a level file without a display, and its exact output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "board/level_file.h"
#include "tests/sim_support.h"
#include "tools/tm3/commands.h"

namespace {

// A plastic ball rolls along the floor onto a target cube in the ground layer.
const char rollToTarget[] = "size 7 2 3\ngoal 1\nlayer 0\nGGGGGGG\nGGGGGTG\nGGGGGGG\nlayer 1\n.......\n.P.....\n"
                            ".......\nball 1 1 1 plastic +x fixed\n";

std::string ReadAll(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class SimTm3Run : public ::testing::Test {
protected:
    ScratchDir dir;

    // Compiles a level text into a .tm3 file in the scratch folder.
    std::string Level(const std::string& name, const std::string& text) {
        const std::string path = dir.File(name);
        WriteBytes(path, EncodeLevel(BoardFromText(text), OrbitCamera{}));
        return path;
    }
    struct Result { int status; std::string out, err; };
    static Result Run(const Tm3Args& args) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int status = Tm3Run(args, out, err);
        return {status, ReadAll(out), ReadAll(err)};
    }
};

// The count and the tick of the win; one tick short is a failure, and so is
// the tool's exit status.
TEST_F(SimTm3Run, SolvedRunPrintsTheCountAndTheTick) {
    const std::string path = Level("a.tm3", rollToTarget);
    const Result r = Run({path});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.rfind("balls at target 1\nsolved at tick ", 0), 0u) << r.out;
    const int tick = std::atoi(r.out.c_str() + 33);
    EXPECT_GT(tick, 1000);  // about 1000 ticks of absorption after the ball arrives
    const Result shorter = Run({path, "--ticks", std::to_string(tick - 1)});
    EXPECT_EQ(shorter.out, "balls at target 0\nnot solved after " + std::to_string(tick - 1) + " ticks\n");
    const int status = std::system((std::string(TM3_TOOL_PATH) + " run '" + path + "' --ticks 10 > /dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

TEST_F(SimTm3Run, TraceShowsEveryBallAfterEveryTickAsTheSimulationHasIt) {
    const std::string path = Level("a.tm3", rollToTarget);
    const Result r = Run({"--trace", path, "--ticks", "3"});
    EXPECT_EQ(r.status, 1);
    // The same roll done here, printed as the trace must print it.
    Board board = BoardFromText(rollToTarget), snapshot(1, 1, 1);
    int8_t atTarget = 0;
    ASSERT_TRUE(StartRoll(board, snapshot, atTarget));
    std::string expected;
    for (int t = 1; t <= 3; ++t) {
        SimulationTick(board, atTarget);
        const Ball& b = board.balls[0];
        char line[256];
        std::snprintf(line, sizeof line, "tick %d ball 0 14 %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", t,
                      double(b.position.x), double(b.position.y), double(b.position.z), double(b.velocity.x),
                      double(b.velocity.y), double(b.velocity.z), double(b.absorb));
        expected += line;
    }
    EXPECT_EQ(r.out, expected + "balls at target 0\nnot solved after 3 ticks\n");
    EXPECT_EQ(Lines(r.out)[0], "tick 1 ball 0 14 36.1920013 42.000721 36 4.79976034 -0.0499975011 0 0");
}

}  // namespace
