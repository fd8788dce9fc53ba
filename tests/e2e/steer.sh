# Steering the real game by what it reports (sourced by common.sh and by
# scripts/package_check.sh): the trace in $log of the game $game, whose
# failures go to `fail`. Nothing here waits a fixed time for the game.

# Waits until the trace, after line $mark, holds a line matching the pattern
# (kept in $found), then moves the mark to the trace's end.
set_mark() { mark=$(wc -l < "$log"); }
wait_for() {
  local pattern="$1" limit="${2:-${wait_limit:-20}}" waited=0
  until found=$(tail -n "+$((mark + 1))" "$log" | grep -- "$pattern"); do
    if ! kill -0 "$game" 2> /dev/null && ! tail -n "+$((mark + 1))" "$log" | grep -q -- "$pattern"; then
      fail "the game ended while waiting for: $pattern"; tail -5 "$log" >&2; exit 1
    fi
    if [ "$waited" -ge $((limit * 20)) ]; then
      fail "no report '$pattern' within ${limit}s"; tail -5 "$log" >&2; exit 1
    fi
    sleep 0.05; waited=$((waited + 1))
  done
  found="${found%%$'\n'*}"
  set_mark
}

# Moves the pointer, waits until the game shows that control lit, clicks.
point() { set_mark; xdotool mousemove "$1" "$2"; wait_for "hover=$3 .*at=$1,$2 "; }
click() { point "$@"; set_mark; xdotool click 1; }
# A click on a control, then the report the click must bring.
go() { click "$1" "$2" "$3"; wait_for "$4" "${5:-${wait_limit:-20}}"; }
# The screen place of a named thing from the last scene report: "X Y".
where() {
  local at
  at=$(grep "trace: scene " "$log" | tail -1 | grep -o " $1=[0-9-]*,[0-9-]*" | cut -d= -f2) || true
  [ -n "$at" ] || { fail "the scene report names no $1"; exit 1; }
  echo "${at/,/ }"
}

# Moves the pointer over (x, y) and round it, as a player looks for the part
# of a face left in view, until the game shows control $1 lit; then clicks.
seek() {
  local id=$1 x=$2 y=$3 dx dy
  for dy in 0 -6 -12 -18 -24 6 12; do
    for dx in 0 -8 8 -16 16; do
      set_mark; xdotool mousemove $((x + dx)) $((y + dy))
      wait_for "at=$((x + dx)),$((y + dy)) "
      if [[ "$found" == *"hover=$id "* ]]; then set_mark; xdotool click 1; return; fi
    done
  done
  fail "nothing near $x,$y shows $id lit"; exit 1
}
