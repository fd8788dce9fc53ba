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

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
export TUMBLEON_NO_SCENE=1  # the sound alone: a lighter frame keeps the clock lines coming

# Waits until the output's clock has passed the given second.
wait_clock() {
  local waited=0
  until awk -v t="$1" '/trace: sound clock / && $4 >= t { found = 1 } END { exit !found }' "$log"; do
    kill -0 "$game" 2> /dev/null || { fail "the game ended waiting for second $1"; exit 1; }
    [ "$waited" -lt 600 ] || { fail "the sound clock did not reach $1 within 30 s"; exit 1; }
    sleep 0.05; waited=$((waited + 1))
  done
}
# Seconds from the last field of the line found, plus an offset.
seconds() { echo "$found" | awk -v d="${1:-0}" '{ print $NF + d }'; }

start_game
wait_for "trace: music at " 30
echo "music $(seconds)"
wait_clock "$(seconds 1.5)"
wait_for "shown screen=MainMenu page=Main" 30  # the splash has run its course
# The help button, in the middle of the screen 130 pixels below it.
click 512 530 10007
clicked=$mark
wait_for "trace: sound 3 at " 30
echo "click $(seconds)"
wait_clock "$(seconds 1.0)"
mark=$clicked; wait_for "page=Help1" 30
xdotool key m
wait_for "trace: muted at " 30
echo "muted $(seconds)"
wait_clock "$(seconds 0.5)"
xdotool key Escape
wait_exit "Escape"
[ "$failures" -eq 0 ] && echo "stopped"
