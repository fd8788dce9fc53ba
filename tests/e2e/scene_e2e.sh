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
build="$(cd "${1:?usage: scene_e2e.sh BUILD_DIR [--update]}" && pwd)"
update="${2:-}"
references="$here/reference"

if [ -z "${TUMBLEON_E2E_INSIDE:-}" ]; then
  export TUMBLEON_E2E_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
xset -r

work="$(mktemp -d)"
game=0
trap '[ "$game" -gt 0 ] && kill "$game" 2>/dev/null; rm -rf "$work"; true' EXIT
shots="${TUMBLEON_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots" "$references"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# ---- The game with test levels: the first built-in puzzle is solved with the
# mouse; every other name holds a board with every element for the menu ----
mkdir -p "$work/game/adatok/palyak_hun"
for entry in "$build/adatok"/*; do
  [ "$(basename "$entry")" = palyak_hun ] || ln -s "$entry" "$work/game/adatok/"
done
"$build/tm3" compile "$here/showcase.txt" -o "$work/showcase.tm3"
"$build/tm3" compile "$here/mouse_puzzle.txt" -o "$work/game/adatok/palyak_hun/irany_a_cel.tm3"
names=$(sed -n '/puzzleNames\[/,/};/p' "$here/../../app/puzzles.cpp" | grep -o '"[A-Za-z0-9_-]*"' | tr -d '"')
for name in $names; do
  [ -e "$work/game/adatok/palyak_hun/$name.tm3" ] || ln -s "$work/showcase.tm3" "$work/game/adatok/palyak_hun/$name.tm3"
done
cp "$build/tumbleon" "$work/game/tumbleon"

W=1024; H=768; CX=$((W / 2)); CY=$((H / 2))
images="$build/adatok/kepek_hun"
width() { identify -format '%w' "$images/$1.tga"; }
height() { identify -format '%h' "$images/$1.tga"; }
right() { echo $((W - 10 - $(width "$1") + $(width "$1") / 2)); }

log="$work/trace.log"
: > "$log"
mark=0
set_mark() { mark=$(wc -l < "$log"); }
wait_for() {
  local pattern="$1" limit="${2:-20}" waited=0
  until tail -n "+$((mark + 1))" "$log" | grep -q -- "$pattern"; do
    if ! kill -0 "$game" 2>/dev/null; then fail "the game ended while waiting for: $pattern"; exit 1; fi
    if [ "$waited" -ge $((limit * 20)) ]; then fail "no report '$pattern' within ${limit}s"; tail -5 "$log" >&2; exit 1; fi
    sleep 0.05; waited=$((waited + 1))
  done
  set_mark
}
point() { set_mark; xdotool mousemove "$1" "$2"; wait_for "hover=$3 .*at=$1,$2 "; }
click() { point "$@"; set_mark; xdotool click 1; }

# The screen place of a named thing from the last scene report: "X Y".
where() {
  local at
  at=$(grep "trace: scene " "$log" | tail -1 | grep -o " $1=[0-9-]*,[0-9-]*" | cut -d= -f2) || true
  [ -n "$at" ] || { fail "the scene report names no $1"; exit 1; }
  echo "${at/,/ }"
}

# A screenshot against its reference. The scene turns and eases with the
# clock, so the comparison is of the picture at an eighth of its size, where
# a frame's difference in timing moves nothing by a whole pixel.
shot() {
  local name="$1" file="$shots/$1.png" small="$work/$1-small.png" ref="$work/$1-ref.png" rmse
  xwd -root -silent | convert xwd:- "png:$file"
  if [ "$update" = "--update" ]; then cp "$file" "$references/$name.png"; return; fi
  [ -f "$references/$name.png" ] || { fail "no reference for $name"; return; }
  convert "$file" -scale 12.5% "$small"
  convert "$references/$name.png" -scale 12.5% "$ref"
  rmse=$(compare -metric RMSE "$ref" "$small" null: 2>&1 | sed 's/.*(\(.*\))/\1/') || true
  if ! awk -v e="$rmse" 'BEGIN { exit !(e + 0 == e && e < 0.04) }'; then
    fail "screen $name differs from its reference (normalised RMSE $rmse; see $file)"
  fi
}

TUMBLEON_TRACE=1 "$work/game/tumbleon" --mute 2>> "$log" &
game=$!
wait_for "screen=Splash.*splash=1"; xdotool key space
wait_for "screen=Splash.*splash=3"; xdotool key space
wait_for "shown screen=MainMenu page=Main"

# ---- 1. The board behind the menu, built up with its balls ----
xdotool mousemove 5 $((H - 5))
wait_for "scene demo built" 30
shot scene_menu

# ---- 2. The first puzzle ----
click $CX $((CY - 50 + $(height fomenu_inditas) / 2)) 10001
wait_for "page=PuzzleSelect"
click $((CX - 160 + 5)) $((CY - 80 + 10)) 10100
wait_for "shown screen=Play"
point 300 5 -1
shot scene_play

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
click "$(right menu_guritas)" $((10 + $(height menu_guritas) / 2)) 10011
wait_for "screen=Run.*dialog=3" 30
point 5 $((H - 5)) -1
set_mark; xdotool key Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
wait "$game" || fail "the game ended with status $?"
game=0

[ "$failures" -eq 0 ] || { echo "$failures failure(s); screenshots in $shots" >&2; exit 1; }
echo "scene end-to-end: passed"
