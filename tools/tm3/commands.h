// The subcommands of the tm3 level tool. Each takes the words after its name,
// writes its result to `out` and its one-line complaint to `err`, and returns
// the exit status: 0 success, 1 a negative answer (a run not solved), 2 bad input.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

using Tm3Args = std::vector<std::string>;

int Tm3Info(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Dump(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Compile(const Tm3Args& args, std::FILE* out, std::FILE* err);
int Tm3Run(const Tm3Args& args, std::FILE* out, std::FILE* err);
