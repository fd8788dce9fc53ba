// tm3: the level authors' command-line tool.
#include <cstdio>
#include <cstring>

#include "tools/tm3/commands.h"

namespace {

const char usage[] =
    "Usage: tm3 COMMAND ...\n"
    "  tm3 info LEVEL.tm3                  sizes, goal, cells per kind, balls, stock, camera\n"
    "  tm3 dump LEVEL.tm3                  the level as readable text\n"
    "  tm3 compile LEVEL.txt -o LEVEL.tm3  text back to a level file\n"
    "  tm3 run LEVEL.tm3 [--ticks N] [--trace]\n"
    "                                      roll the level as stored, without a display\n"
    "  tm3 check PUZZLE.tm3 SOLUTION.tm3 [--ticks N]\n"
    "                                      is the solution a legal way to play the puzzle, and does it win\n"
    "  tm3 solve PUZZLE.tm3 [--max-pieces N] [--jobs J] [--limit K] [--ticks T] [--count-only]\n"
    "                                      search the ways to place the stock, fewest pieces first\n"
    "       [--replace TAUGHT=NEUTRAL]... [--directions D,D...]\n"
    "                                      the same with a kind swapped for a neutral one, or only some\n"
    "                                      launch directions: a lesson's proof that it needs what it teaches\n"
    "  tm3 lint LEVEL.tm3 [--solution]     what makes a level unwinnable\n"
    "Exit status: 0 success, 1 run not solved (lint: problems found), 2 bad input.\n"
    "The text form and its legend are described at the top of every dump.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const Tm3Args args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == "info") return Tm3Info(args, stdout, stderr);
    if (command == "dump") return Tm3Dump(args, stdout, stderr);
    if (command == "compile") return Tm3Compile(args, stdout, stderr);
    if (command == "run") return Tm3Run(args, stdout, stderr);
    if (command == "check") return Tm3Check(args, stdout, stderr);
    if (command == "solve") return Tm3Solve(args, stdout, stderr);
    if (command == "lint") return Tm3Lint(args, stdout, stderr);
    std::fprintf(stderr, "tm3: unknown command '%s' (tm3 --help)\n", command.c_str());
    return 2;
}
