// The designer's commands of tm3: which solutions are legal ways to play a
// puzzle, what lint reports, and a search that answers the same on any jobs
// and leaves out what a lesson's counter-proof takes away.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "board/file_io.h"
#include "tests/test_support.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/level_text.h"
#include "tools/tm3/puzzle_rules.h"

namespace {

// A corner to place turns the ball onto the target; a fixed balloon rolls along row 0.
const std::string puzzle = R"(size 7 3 5
goal 1
layer 0
GGGGGGG
GGGGGGG
GGGGGGG
GGGGGGG
GGGGGGG
layer 1
SNNNNNN
NNNNNNN
NSNNNNN
NNNNNNN
NNNNNTN
layer 2
O......
.......
.P.....
.......
d......
ball 0 2 0 balloon -x fixed
ball 1 2 2 plastic unset position
)";

Board Compile(const std::string& text) {
    LevelData level;
    std::string error;
    EXPECT_TRUE(CompileLevel(text, level, error)) << error;
    return level.board;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The solution: the corner moved from its parking place to (5, 2, 2), the plastic ball sent +x.
std::string Solution() {
    std::string text = Replace(puzzle, "d......\nball", ".......\nball");
    text = Replace(text, ".P.....\n", ".P...d.\n");
    return Replace(text, "plastic unset position", "plastic +x position");
}

TEST(PuzzleCheck, OnlyLegalWaysToPlayAreRolled) {
    struct Case {
        const char* what;
        std::string solution;
        bool legal;
    };
    const std::string good = Solution();
    const Case cases[] = {
        {"the recorded way", good, true},
        {"a puzzle cube taken away", Replace(good, "NNNNNTN", "NNNN.TN"), false},
        {"a piece the stock does not hold", Replace(good, "O......\n", "O....a.\n"), false},
        {"a second corner of the same kind", Replace(good, "O......\n", "O....d.\n"), false},
        {"a piece on a target", Replace(Replace(good, ".P...d.", ".P....."), ".......\nball", ".....d.\nball"), false},
        {"a fixed ball moved", Replace(good, "balloon -x fixed", "balloon -x fixed at 0 7 0"), false},
        {"a fixed ball turned", Replace(good, "balloon -x fixed", "balloon +z fixed"), false},
        {"a ball without direction", Replace(good, "plastic +x position", "plastic none position"), false},
        {"a ball the stock does not hold", Replace(good, "O......\n", "O..P...\n") + "ball 3 2 0 plastic +x player\n", false},
    };
    const Board level = Compile(puzzle);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Board played(1, 1, 1);
        std::string why;
        EXPECT_EQ(BuildPlayedBoard(level, Compile(c.solution), played, why), c.legal) << why;
        if (c.legal) {
            EXPECT_TRUE(RollBoard(played, 40000, false, nullptr).solved);
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
}

// The pointer cannot build on a ball's top, so the cell over a ball takes a
// piece only where another neighbour offers a face.
TEST(PuzzleCheck, NothingIsBuiltOnABallsTopAlone) {
    const Board level = Compile(R"(size 3 4 1
goal 1
layer 0
GGG
layer 1
SNN
layer 2
P.N
layer 3
...
ball 0 2 0 plastic +x fixed
)");
    EXPECT_FALSE(CanPlaceInPlay(level, kindCornerFirst, 0, 3, 0));  // only the ball below it
    EXPECT_TRUE(CanPlaceInPlay(level, kindCornerFirst, 2, 3, 0));   // on the cube's top
    EXPECT_TRUE(CanPlaceInPlay(level, kindCornerFirst, 1, 2, 0));   // beside the ball
}

TEST(PuzzleLint, ReportsWhatNoPlayerCanMend) {
    struct Case {
        const char* what;
        std::string level;
        bool asSolution;
        const char* problem;  // nullptr: none
    };
    const Case cases[] = {
        {"a sound puzzle", puzzle, false, nullptr},
        {"goal above the balls", Replace(puzzle, "goal 1", "goal 3"), false, "more balls"},
        {"a ball off its start cube", Replace(puzzle, "SNNNNNN", "NNNNNNN"), false, "start cube"},
        {"no target", Replace(puzzle, "NNNNNTN", "NNNNNNN"), false, "no target"},
        {"a walled-in target", Replace(puzzle, "d......\nball", "d....N.\nball"), false, "no ball can get"},
        {"a fixed ball that cannot be launched", Replace(puzzle, "balloon -x fixed", "balloon none fixed"), false,
         "always refused"},
        {"a solution's ball without direction", puzzle, true, "no launch direction"},
        {"a ball cell flagged as the player's", Replace(puzzle, ".P.....", ".p....."), false, "second ball"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> problems = LintLevel(Compile(c.level), c.asSolution);
        if (!c.problem) {
            EXPECT_TRUE(problems.empty()) << problems.front();
            continue;
        }
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
    }
}

// Writes the puzzle to a level file of the directory and returns its path.
std::string WritePuzzle(const ScratchDir& dir) {
    const std::string path = dir.File("solve.tm3");
    LevelData level;
    std::string error;
    EXPECT_TRUE(CompileLevel(puzzle, level, error)) << error;
    const std::vector<uint8_t> bytes = EncodeLevel(level.board, level.camera);
    EXPECT_TRUE(WriteFileAtomically(path, bytes.data(), bytes.size()));
    return path;
}

// What `tm3 solve` prints for one piece and 4000 ticks with the given options.
std::string Solve(const std::string& path, const std::vector<std::string>& options, SolveReport& report) {
    Tm3Args args{path, "--max-pieces", "1", "--ticks", "4000"};
    args.insert(args.end(), options.begin(), options.end());
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    std::FILE* err = std::fopen("/dev/null", "w");
    EXPECT_EQ(Tm3Solve(args, out, err, &report), 0);
    std::fclose(out);
    std::fclose(err);
    std::string printed = text;
    std::free(text);
    return printed;
}

// The search shares its trials among the jobs; what it prints must not depend on them.
TEST(PuzzleSolve, FindsTheSameSolutionsWithOneJobOrTwo) {
    const ScratchDir dir;  // of its own: suites may run side by side
    const std::string path = WritePuzzle(dir);
    std::string printed[2];
    for (int jobs = 1; jobs <= 2; ++jobs) {
        SolveReport report;
        printed[jobs - 1] = Solve(path, {"--jobs", std::to_string(jobs)}, report);
        EXPECT_GE(report.solutions, 1);
    }
    EXPECT_EQ(printed[0], printed[1]);
    // The recorded way is among them, as the game would hold it.
    EXPECT_NE(printed[0].find(".P...d."), std::string::npos);
}

// A lesson's counter-proof: the swapped kind is gone from the board, the stock
// and the balls alike, and only the allowed launch directions are tried.
TEST(PuzzleSolve, SearchesWithoutWhatALessonTeaches) {
    const ScratchDir dir;
    const std::string path = WritePuzzle(dir);
    SolveReport whole;
    Solve(path, {}, whole);
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string cellsAbsent, cellsPresent;  // legend characters of every printed solution's layers
        std::vector<std::string> ballsAbsent, ballsPresent;  // words of its ball lines
        bool fewer;                                          // than the whole search finds
    };
    const Case cases[] = {
        {"the stock's corner a plain cube", {"--replace", "corner=cube"}, "abcd", "n", {}, {}, true},
        {"the balloon a plastic ball", {"--replace", "balloon=plastic"}, "O", "", {"balloon"},
         {"ball 0 2 0 plastic -x fixed"}, false},
        {"the plastic ball sent +x only", {"--directions", "+x"}, "", "", {"plastic -x", "plastic +z", "plastic -z"},
         {"plastic +x"}, true},
        {"the plastic ball sent any way but +x", {"--directions", "-z,-x,+z"}, "", "", {"plastic +x"}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SolveReport report;
        const std::string printed = Solve(path, c.options, report);
        EXPECT_GE(report.solutions, 1);
        EXPECT_EQ(report.solutions < whole.solutions, c.fewer);
        std::vector<std::string> solutions;
        for (size_t at = printed.find("# solution"); at != std::string::npos;) {
            const size_t next = printed.find("# solution", at + 1);
            solutions.push_back(printed.substr(at, next == std::string::npos ? std::string::npos : next - at));
            at = next;
        }
        ASSERT_EQ(static_cast<long>(solutions.size()), report.solutions);
        for (const std::string& solution : solutions) {
            const size_t balls = solution.find("\nball ");
            const std::string ballLines = solution.substr(balls);
            std::string cells;  // the rows of the layers
            std::istringstream lines(solution.substr(0, balls));
            for (std::string line; std::getline(lines, line);)
                if (line.size() == 7 && line.find(' ') == std::string::npos) cells += line + "\n";
            EXPECT_EQ(cells.find_first_of(c.cellsAbsent), std::string::npos) << cells;
            for (char present : c.cellsPresent) EXPECT_NE(cells.find(present), std::string::npos) << cells;
            for (const std::string& word : c.ballsAbsent) EXPECT_EQ(ballLines.find(word), std::string::npos) << ballLines;
            for (const std::string& word : c.ballsPresent) EXPECT_NE(ballLines.find(word), std::string::npos) << ballLines;
        }
    }
    // Elements give way to elements and balls to balls, each to one kind.
    for (const char* bad : {"corner=bomb", "bomb=cube", "cube=corner", "bomb=bomb", "bomb", "rock=cube"}) {
        KindSwap swap;
        EXPECT_FALSE(ParseKindSwap(bad, swap)) << bad;
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--directions", "+x,+x"},
                                                 {"--directions", "+y"}, {"--directions", "+x,"}}) {
        std::FILE* err = std::fopen("/dev/null", "w");
        EXPECT_EQ(Tm3Solve({path, bad[0], bad[1]}, stdout, err), 2) << bad[1];
        std::fclose(err);
    }
}

}  // namespace
