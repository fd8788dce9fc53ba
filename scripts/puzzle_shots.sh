#!/usr/bin/env bash
# Screenshots of built-in puzzles at their stored view, each opened from the
# puzzle list as a player opens it, the picture frozen.
#   SHOTS_OUT=DIR SHOTS_PUZZLES='a b' bash scripts/puzzle_shots.sh BUILD_DIR
# Not a test: it makes pictures to look at (before and after a change to the
# drawing), e.g. put side by side with `convert before.png after.png +append`.
set -euo pipefail
here="$(cd "$(dirname "$0")/../tests/e2e" && pwd)"  # the end-to-end helpers it drives the game with
: "${SHOTS_OUT:?}" "${SHOTS_PUZZLES:?}"
out="$(mkdir -p "$SHOTS_OUT" && cd "$SHOTS_OUT" && pwd)"
read -r -a puzzles <<< "$SHOTS_PUZZLES"
source "$here/common.sh"
mapfile -t names < <(sed -n '/puzzleNames\[/,/};/p' "$here/../../app/puzzles.cpp" | grep -o '"[A-Za-z0-9_-]*"' | tr -d '"')
for p in "${puzzles[@]}"; do
  index=-1
  for i in "${!names[@]}"; do [ "${names[$i]}" = "$p" ] && index=$i; done
  [ "$index" -ge 0 ] || { fail "no built-in puzzle $p"; continue; }
  start_game --mute
  skip_splash
  start_button
  # The list shows ten rows; its down arrow turns a page (the pointer leaves
  # it between clicks, so each click is pointed at anew).
  for ((page = 0; page < index / 10; page++)); do
    point 300 5 -1
    go $((CX - 250 + $(width nyil_le) / 2)) $((CY + 87 + $(height nyil_le) / 2)) 10039 "first=$(((page + 1) * 10))"
  done
  go $((CX - 160 + 5)) $((CY - 80 + 20 * (index % 10) + 10)) $((10100 + index)) "shown screen=Play.*level=$p"
  point 300 5 -1
  xwd -root -silent | convert xwd:- "png:$out/$p.png"
  kill "$game"; wait "$game" 2> /dev/null || true; game=0
done
finish "shots in $out"
