// The subcommands of the tm3 level tool. Each takes the words after its name,
// writes its result to `out` and its one-line complaint to `err`, and returns
// the exit status: 0 success, 1 a negative answer (a run not solved), 2 bad input.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

using Tm3Args = std::vector<std::string>;

struct LevelData;
// Loads a .tm3 file for inspection (the view taken when the file has one);
// false after one line on `err` naming the file and what is wrong.
bool LoadForInspection(const std::string& path, LevelData& level, std::FILE* err);
// A whole number from 0 to `highest` written in decimal digits only.
bool ParseWholeNumber(const std::string& word, long highest, long& value);

int Tm3Info(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Dump(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Compile(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Run(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Check(const Tm3Args& args, std::FILE* out, std::FILE* err);
// What a search did, for the benchmark.
struct SolveReport {
    long trialRuns = 0;
    long solutions = 0;
};
int Tm3Solve(const Tm3Args& args, std::FILE* out, std::FILE* err, SolveReport* report = nullptr);
int Tm3Lint(const Tm3Args& args, std::FILE* out, std::FILE* err);
