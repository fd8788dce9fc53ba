#!/usr/bin/env bash
# Plays the real game for the sound test: the music plays through the splash,
# a click on the help button sounds, the M key mutes, and Escape ends the game.
# The output goes wherever the OpenAL Soft configuration in ALSOFT_CONF sends
# it; the game's own account of its sounds (trace lines "music at", "sound N
# at", "muted at", in seconds of the output's clock) is printed on stdout.
#
#   bash tests/e2e/sound_drive.sh BUILD_DIR
#
# Every step waits for what the game reports, with a time limit.
set -euo pipefail

build="$(cd "${1:?usage: sound_drive.sh BUILD_DIR}" && pwd)"
if [ -z "${TUMBLEON_E2E_INSIDE:-}" ]; then
  export TUMBLEON_E2E_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
xset -r
export TUMBLEON_NO_SCENE=1  # the sound alone: a lighter frame keeps the clock lines coming

work="$(mktemp -d)"
log="$work/trace.log"
: > "$log"
game=0
cleanup() {
  [ "$game" -gt 0 ] && kill "$game" 2> /dev/null
  rm -rf "$work"
  true
}
trap cleanup EXIT

mkdir -p "$work/game"
ln -s "$build/adatok" "$work/game/adatok"
cp "$build/tumbleon" "$work/game/tumbleon"
TUMBLEON_TRACE=1 "$work/game/tumbleon" 2>> "$log" &
game=$!

# Waits until the trace holds a line matching the pattern; prints that line.
wait_for() {
  local pattern="$1" waited=0
  until grep -q -- "$pattern" "$log"; do
    if ! kill -0 "$game" 2> /dev/null; then echo "the game ended waiting for: $pattern" >&2; exit 1; fi
    if [ "$waited" -ge 600 ]; then echo "no report '$pattern' within 30 s" >&2; tail -5 "$log" >&2; exit 1; fi
    sleep 0.05; waited=$((waited + 1))
  done
  grep -m1 -- "$pattern" "$log"
}
# Waits until the output's clock has passed the given second.
wait_clock() {
  local waited=0
  until awk -v t="$1" '/trace: sound clock / && $4 >= t { found = 1 } END { exit !found }' "$log"; do
    if ! kill -0 "$game" 2> /dev/null; then echo "the game ended waiting for second $1" >&2; exit 1; fi
    if [ "$waited" -ge 600 ]; then echo "the sound clock did not reach $1 within 30 s" >&2; exit 1; fi
    sleep 0.05; waited=$((waited + 1))
  done
}
seconds() { awk '{ print $NF }'; }

music=$(wait_for "trace: music at " | seconds)
echo "music $music"
wait_for "shown screen=MainMenu page=Main" > /dev/null  # the splash has run its course
wait_clock "$(awk -v m="$music" 'BEGIN { print m + 1.5 }')"
# The help button, in the middle of the screen 130 pixels below it.
xdotool mousemove 512 530
wait_for "hover=10007 " > /dev/null
xdotool click 1
click=$(wait_for "trace: sound 3 at " | seconds)
echo "click $click"
wait_for "page=Help1" > /dev/null
wait_clock "$(awk -v c="$click" 'BEGIN { print c + 1.0 }')"
xdotool key m
muted=$(wait_for "trace: muted at " | seconds)
echo "muted $muted"
wait_clock "$(awk -v m="$muted" 'BEGIN { print m + 0.5 }')"
xdotool key Escape
for _ in $(seq 200); do kill -0 "$game" 2> /dev/null || break; sleep 0.05; done
status=0
wait "$game" || status=$?
game=0
[ "$status" -eq 0 ] || { echo "the game ended with status $status" >&2; exit 1; }
echo "stopped"
