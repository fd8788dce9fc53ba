// The readable text form of a level, for people who write levels by hand.
//
//   # comments start with '#', blank lines are ignored
//   size 10 3 10          columns (x), layers (y), rows (z)
//   goal 2                balls that must reach the target
//   camera 15 0.6 0.785   distance, pitch, yaw (optional)
//   layer 0               one block per layer, sizeZ rows of sizeX characters,
//   GGGGGGGGGG            row z = 0 first, column x = 0 leftmost
//   ...
//   ball 3 1 4 iron +x fixed            cell x y z, kind, direction, lock
//   ball 5 1 5 bomb none player at 180 42.5 180   exact position in board units
//
// Legend (upper case: part of the puzzle; lower case: a piece the player places):
//   .  empty            ,  empty, flagged
//   G g ground cube     N n plain cube
//   A B C D / a b c d   corner, 0 to 3 quarter turns
//   S s start cube      T t target cube     M m magnet
//   X x spike cube      J j spring cube
//   O o balloon   I i iron ball   P p plastic ball   K k bomb   (a ball's start cell)
//   R U V W / r u v w   ramp, 0 to 3 quarter turns
// Ball kinds: balloon iron plastic bomb. Directions: unset -x +z +x -z none.
// Locks: player position fixed.
#pragma once

#include <string>

#include "board/level_file.h"

// The legend character of a cell value (0..19 and 64..83).
char CellChar(int value);
// The cell value of a legend character, or -1 when it is not in the legend.
int CellValueOfChar(char c);

// The text form of a level. `hasView` decides whether a camera line is written.
std::string DumpLevel(const LevelData& level);

// Parses the text form. On failure returns false with "line N: reason" in error.
bool CompileLevel(const std::string& text, LevelData& level, std::string& error);

// The text written by `tm3 info`.
std::string DescribeLevel(const LevelData& level);
