// tm3 run: rolling a level file without a display, and its exact output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

#include "board/level_file.h"
#include "sim/simulation.h"
#include "tests/test_support.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/level_text.h"

namespace {

// A plastic ball rolls along the floor onto a target cube in the ground layer.
const char rollToTarget[] = R"(size 7 2 3
goal 1
layer 0
GGGGGGG
GGGGGTG
GGGGGGG
layer 1
.......
.P.....
.......
ball 1 1 1 plastic +x fixed
)";

// A bomb rolls into a plain cube and blows it up; a balloon waits elsewhere.
const char bombIntoCube[] = R"(size 8 2 4
goal 1
layer 0
GGGGGGGG
GGGGGGGG
GGGGGGGG
GGGGGGGG
layer 1
........
.K...N..
........
.O......
ball 1 1 1 bomb +x fixed
ball 1 1 3 balloon -x fixed
)";

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    return text;
}

class SimTm3Run : public ::testing::Test {
protected:
    ScratchDir dir;

    // Compiles a level text into a .tm3 file in the scratch folder.
    std::string Level(const std::string& name, const std::string& text) {
        LevelData level;
        std::string error;
        EXPECT_TRUE(CompileLevel(text, level, error)) << error;
        const std::string path = dir.File(name);
        WriteBytes(path, EncodeLevel(level.board, level.camera));
        return path;
    }

    static RunResult Run(const Tm3Args& args) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        RunResult r;
        r.status = Tm3Run(args, out, err);
        r.out = ReadAll(out);
        r.err = ReadAll(err);
        return r;
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(SimTm3Run, SolvedRunPrintsTheCountAndTheTick) {
    const RunResult r = Run({Level("a.tm3", rollToTarget)});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0], "balls at target 1");
    EXPECT_EQ(lines[1].rfind("solved at tick ", 0), 0u);
    const int tick = std::atoi(lines[1].c_str() + 15);
    // About 1000 ticks of absorption after the ball arrives.
    EXPECT_GT(tick, 1000);

    // Stopping one tick short is a failure; no ticks at all run nothing.
    for (int ticks : {tick - 1, 0}) {
        Tm3Args args{Level("a.tm3", rollToTarget), "--ticks", std::to_string(ticks)};
        if (ticks == 0) args.push_back("--trace");
        const RunResult shorter = Run(args);
        EXPECT_EQ(shorter.status, 1);
        EXPECT_EQ(shorter.out, "balls at target 0\nnot solved after " + std::to_string(ticks) + " ticks\n");
    }
}

TEST_F(SimTm3Run, TraceShowsEveryBallAfterEveryTickAsTheSimulationHasIt) {
    const std::string path = Level("a.tm3", rollToTarget);
    const RunResult r = Run({"--trace", path, "--ticks", "3"});
    EXPECT_EQ(r.status, 1);

    // The same roll done here, printed as the trace must print it.
    Board board(1, 1, 1), snapshot(1, 1, 1);
    OrbitCamera camera;
    std::string name;
    ASSERT_TRUE(ReadLevelFile(path, false, board, camera, name));
    BuildCollisionShapes();
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
    expected += "balls at target 0\nnot solved after 3 ticks\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(Lines(r.out)[0], "tick 1 ball 0 14 36.1920013 42.000721 36 4.79976034 -0.0499975011 0 0");
}

TEST_F(SimTm3Run, TraceListsSoundsThenClearedCellsThenBalls) {
    const RunResult r = Run({Level("b.tm3", bombIntoCube), "--trace", "--ticks", "2000"});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = Lines(r.out);
    size_t at = 0;
    while (at < lines.size() && lines[at].find(" sound 6") == std::string::npos) ++at;
    ASSERT_LT(at, lines.size()) << "no explosion";
    const std::string tick = lines[at].substr(0, lines[at].find(" sound"));
    // Every sound of the tick first, then the cleared cell, then the balloon.
    size_t i = at;
    while (i > 0 && lines[i - 1].rfind(tick + " sound ", 0) == 0) --i;
    while (lines[i].rfind(tick + " sound ", 0) == 0) ++i;
    EXPECT_EQ(lines[i], tick + " cleared 5 1 1");
    EXPECT_EQ(lines[i + 1].rfind(tick + " ball 0 12 ", 0), 0u) << lines[i + 1];
    EXPECT_NE(lines[i + 2].rfind(tick + " ", 0), 0u) << "one ball left";
}

// Bad input: status 2, nothing on stdout, one line on stderr.
TEST_F(SimTm3Run, BadInputIsRefusedWithOneLine) {
    const std::string path = Level("a.tm3", rollToTarget);
    std::string undirected = bombIntoCube;
    undirected.replace(undirected.find("balloon -x"), 10, "balloon none");
    WriteText(dir.File("junk.tm3"), "not a level");
    const Tm3Args bad[] = {
        {},
        {path, "--ticks"},
        {path, "--ticks", "ten"},
        {path, "--ticks", "-5"},
        {path, "--ticks", "12x"},
        {path, "--fast"},
        {path, path},
        {dir.File("missing.tm3")},
        {dir.File("junk.tm3")},
        {Level("c.tm3", undirected)},
    };
    for (const Tm3Args& args : bad) {
        const RunResult r = Run(args);
        SCOPED_TRACE(args.empty() ? "" : args.back());
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(r.err.ends_with("\n")) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        if (!args.empty()) {
            EXPECT_EQ(r.err.find(args.back()), r.err.rfind(args.back())) << "named twice: " << r.err;
        }
    }
    // The ball without a launch direction is named.
    EXPECT_NE(Run(bad[9]).err.find("ball 1 "), std::string::npos);
}

TEST_F(SimTm3Run, CommandLineToolGivesTheExitStatus) {
    const std::string path = Level("a.tm3", rollToTarget);
    const std::string command = std::string(TM3_TOOL_PATH) + " run '" + path + "' --ticks 10 > /dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
