#!/usr/bin/env bash
# End-to-end test of the 3D scene: the real game under Xvfb shows a board
# behind the menu, then a puzzle is solved with the mouse alone. The pointer
# is steered by where the game says a stock item, a cell's top face or a
# launch arrow lies on the screen (its trace projects them through the
# camera); every step waits for what the game reports, never a fixed time.
#
#   bash tests/e2e/scene_e2e.sh BUILD_DIR             the test (ctest runs this)
#   bash tests/e2e/scene_e2e.sh BUILD_DIR --update    writes new references
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"

# The first built-in puzzle is solved with the mouse, and lejto, whose stock
# holds a ramp, as it ships; every other name holds a board with every element
# for the menu.
"$tm3" compile "$here/showcase.txt" -o "$work/showcase.tm3"
names=$(sed -n '/puzzleNames\[/,/};/p' "$here/../../app/puzzles.cpp" | grep -o '"[A-Za-z0-9_-]*"' | tr -d '"')
for name in $names; do ln -sf "$work/showcase.tm3" "$work/game/adatok/palyak_hun/$name.tm3"; done
for name in lejto varfal csavar; do
  rm -f "$work/game/adatok/palyak_hun/$name.tm3"
  ln -s "$build/adatok/palyak_hun/$name.tm3" "$work/game/adatok/palyak_hun/$name.tm3"
done
rm -f "$work/game/adatok/palyak_hun/irany_a_cel.tm3"
"$tm3" compile "$here/mouse_puzzle.txt" -o "$work/game/adatok/palyak_hun/irany_a_cel.tm3"

start_game --mute
skip_splash

# ---- 1. The board behind the menu, built up with its balls ----
xdotool mousemove 5 $((H - 5))
wait_for "scene demo built" 30
shot scene_menu

# ---- 2. The first puzzle ----
first_puzzle
shot scene_play 300 5

# The board has 3 x 3 x 1 cells: ids 0..8; stock items are 9 + kind; the
# ball's launch arrows 29..32.
read -r x y < <(where stock8)
click "$x" "$y" 17                      # the target cube from the stock
read -r x y < <(where top1)
point "$x" "$y" 1                       # the ground beside the ball's plinth
shot scene_preview                      # the held cube previewed on it
set_mark; xdotool click 1
point 300 5 -1
grep "trace: scene " "$log" | tail -1 | grep -q " top4=" || fail "the target cube was not placed on cell 4"
read -r x y < <(where arrow29)
click "$x" "$y" 29                      # the four-way arrow: the four to choose from
point 300 5 -1
read -r x y < <(where arrow31)
click "$x" "$y" 31                      # towards +x
point 300 5 -1
roll "screen=Run.*dialog=3" 30

# ---- 3. A puzzle with a ramp in its stock: lejto, the eleventh ----
# Back to the list by the result box's menu button, a page down, its first row.
go $((CX - $(width dialog_ujra) / 2 - $(width dialog_menu) / 2 - 2)) $((CY + 30 + $(height dialog_menu) / 2)) 10044 "page=PuzzleSelect"
go $((CX - 250 + $(width nyil_le) / 2)) $((CY + 87 + $(height nyil_le) / 2)) 10039 "first=10"
go $((CX - 160 + 5)) $((CY - 80 + 10)) 10110 "shown screen=Play.*level=lejto"
shot scene_ramps 300 5                  # the ring with its ramps' group
# The board is 8 x 5 x 5: cell (x, y, z) is x + 8 (y + 5 z); stock items 200 + kind.
read -r x y < <(where stock4)
click "$x" "$y" 204                     # the corner turning the ball towards the edge
read -r x y < <(where top137)
click "$x" "$y" 137                     # onto the cube at (1, 2, 3)
point 300 5 -1
read -r x y < <(where stock16)
click "$x" "$y" 216                     # the ramp
read -r x y < <(where top131)
seek 131 "$x" "$y"                      # onto the cube at (3, 1, 3), under the low roof beside the target
point 300 5 -1
grep "trace: scene " "$log" | tail -1 | grep -q " stock16=" && fail "the ramp is still in the stock"
roll "screen=Run.*dialog=3" 60

# ---- 4. Two puzzles as they ship, at their stored view: walls and channels
# must read from the picture (varfal, the 24th; csavar, the 31st) ----
go $((CX - $(width dialog_ujra) / 2 - $(width dialog_menu) / 2 - 2)) $((CY + 30 + $(height dialog_menu) / 2)) 10044 "page=PuzzleSelect"
page_down() { point 300 5 -1; go $((CX - 250 + $(width nyil_le) / 2)) $((CY + 87 + $(height nyil_le) / 2)) 10039 "first=$1"; }
leave() { go $((10 + $(width menu_kilep) / 2)) $((10 + $(height menu_kilep) / 2)) 10013 "shown screen=MainMenu page=PuzzleSelect"; }
page_down 20
go $((CX - 160 + 5)) $((CY - 80 + 60 + 10)) 10123 "shown screen=Play.*level=varfal"
shot scene_varfal 300 5
leave
page_down 30
go $((CX - 160 + 5)) $((CY - 80 + 10)) 10130 "shown screen=Play.*level=csavar"
shot scene_csavar 300 5
leave

# ---- 5. The editor's ring: every piece, the ramps' group beside the corners' ----
go $(($(width menu_vissza) / 2)) $(($(height menu_vissza) / 2)) 10035 "page=Main"
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "shown screen=Editor"
shot scene_editor_ring 300 5
point 5 $((H - 5)) -1
set_mark; xdotool key Escape
wait_exit "Escape in a run"

finish "scene end-to-end: passed"
