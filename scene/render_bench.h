// The render benchmark: the game's scenes drawn for a while each in a process
// of their own (so each has its own start-up time and peak memory), beside two
// floors: a program that opens the same window and only clears it, and one
// that also compiles one shader, uploads one 256x256 texture and draws one
// instanced cube a frame (what any program that draws in 3D pays).
#pragma once

#include <string>

// Parent: runs `game --scene-bench NAME SECONDS` for every scene and
// `floorProgram [--draw] SECONDS`, then prints the table: milliseconds per frame
// (median, 90th percentile), time to the first presented frame, peak resident
// memory. Returns the process exit status.
int RunRenderBenchmark(const std::string& game, const std::string& floorProgram, double seconds);

// Child: after start-up, presents the first frame (the splash), then draws
// the named scene ("menu", "puzzle10", "full30", "mixed30") for `seconds` through the
// frame driver and the platform's drawFrame, printing what the parent reads.
// False for an unknown scene name.
bool RunSceneBenchmark(const std::string& scene, double seconds);
