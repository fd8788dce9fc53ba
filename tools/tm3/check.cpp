// tm3 check: whether a solution is a legal way to play a puzzle, and whether
// it wins. tm3 lint: what makes a level unwinnable whatever the player does.
#include <cerrno>
#include <cstdlib>

#include "sim/simulation.h"
#include "board/level_file.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/puzzle_rules.h"

namespace {

constexpr long defaultCheckTicks = 40000;  // as tm3 run

const char checkUsage[] = "tm3 check PUZZLE.tm3 SOLUTION.tm3 [--ticks N]";
const char lintUsage[] = "tm3 lint LEVEL.tm3 [--solution]";

}  // namespace

bool ParseWholeNumber(const std::string& word, long highest, long& value) {
    if (word.empty() || word[0] < '0' || word[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v > highest) return false;
    value = v;
    return true;
}

int Tm3Check(const Tm3Args& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> paths;
    long ticks = defaultCheckTicks;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ticks") {
            if (i + 1 >= args.size() || !ParseWholeNumber(args[i + 1], 2000000000, ticks)) {
                std::fputs("tm3: --ticks needs a whole number of ticks, 0 or more\n", err);
                return 2;
            }
            ++i;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            std::fprintf(err, "tm3: unknown option '%s'; usage: %s\n", args[i].c_str(), checkUsage);
            return 2;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) {
        std::fprintf(err, "tm3: usage: %s\n", checkUsage);
        return 2;
    }
    LevelData puzzle, solution;
    if (!LoadForInspection(paths[0], puzzle, err) || !LoadForInspection(paths[1], solution, err)) return 2;
    Board played(1, 1, 1);
    std::string why;
    if (!BuildPlayedBoard(puzzle.board, solution.board, played, why)) {
        std::fprintf(err, "tm3: %s does not play %s: %s\n", paths[1].c_str(), paths[0].c_str(), why.c_str());
        return 2;
    }
    BuildCollisionShapes();
    const RollOutcome outcome = RollBoard(played, ticks, false, nullptr);
    std::fprintf(out, "balls at target %d\n", outcome.atTarget);
    if (outcome.solved) {
        std::fprintf(out, "solved at tick %ld\n", outcome.ticks);
        return 0;
    }
    std::fprintf(out, "not solved after %ld ticks\n", ticks);
    return 1;
}

int Tm3Lint(const Tm3Args& args, std::FILE* out, std::FILE* err) {
    std::string path;
    bool asSolution = false;
    for (const std::string& word : args) {
        if (word == "--solution") {
            asSolution = true;
        } else if (word.size() > 1 && word[0] == '-') {
            std::fprintf(err, "tm3: unknown option '%s'; usage: %s\n", word.c_str(), lintUsage);
            return 2;
        } else if (path.empty()) {
            path = word;
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty()) {
        std::fprintf(err, "tm3: usage: %s\n", lintUsage);
        return 2;
    }
    LevelData level;
    if (!LoadForInspection(path, level, err)) return 2;
    const std::vector<std::string> problems = LintLevel(level.board, asSolution);
    for (const std::string& problem : problems) std::fprintf(out, "%s: %s\n", path.c_str(), problem.c_str());
    return problems.empty() ? 0 : 1;
}
