#!/usr/bin/env bash
# End-to-end test of the window: the real game under Xvfb started with
# --window, switched to full screen and back with F11 and Alt+Enter on the same
# window and OpenGL context (the picture stays the same and the buttons keep
# working), the choice kept in window.ini beside video.ini, a damaged
# window.ini refused in words; and, on Xorg's dummy driver, a window of the
# chosen mode's size that leaves the display's mode alone until full screen.
#
#   bash tests/e2e/window_e2e.sh BUILD_DIR             the test (ctest runs this)
#   bash tests/e2e/window_e2e.sh BUILD_DIR --update    (no references of its own)
#
# Every step waits for what the game reports ("display window 1024x768",
# "display fullscreen 800x600"), never for a fixed time.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
# The 2D interface alone: a screenshot in full screen and one in a window must match.
export TUMBLEON_NO_SCENE=1
ini="$work/game/window.ini"
kept() { cat "$ini" 2> /dev/null || echo "(none)"; }

# ---- 1. --window, then F11 and Alt+Enter at any time ----
rm -f "$ini" "$work/game/video.ini"
start_game --window --mute
wait_for "display window 1024x768"
skip_splash
[ ! -e "$ini" ] || fail "--window alone wrote window.ini: $(kept)"
point 5 $((H - 5)) -1
xwd -root -silent | convert xwd:- "png:$shots/window_window.png"
set_mark; xdotool key F11
wait_for "display fullscreen 1024x768"
[ "$(kept)" = fullscreen ] || fail "after F11 window.ini holds $(kept), not fullscreen"
point 5 $((H - 7)) -1
xwd -root -silent | convert xwd:- "png:$shots/window_fullscreen.png"
# On a screen of the window's size, with no window manager to frame it, the
# window shows what full screen shows: the device came through whole.
difference=$(compare -metric AE -fuzz 3% "$shots/window_fullscreen.png" "$shots/window_window.png" null: 2>&1 || true)
[[ "$difference" =~ ^[0-9]+$ ]] && [ "$difference" -le 200 ] ||
  fail "the menu in full screen differs from the window in $difference pixels"
set_mark; xdotool key alt+Return
wait_for "display window 1024x768"
[ "$(kept)" = window ] || fail "after Alt+Enter window.ini holds $(kept), not window"
start_button
set_mark; xdotool key Escape
wait_exit "Escape in a window"
cmp -s <(printf 'window\n') "$ini" || fail "window.ini is not the one line 'window': $(kept)"
[ "$(stat -c %s "$work/game/video.ini")" = 16 ] || fail "video.ini is no longer 16 bytes"

# ---- 2. The choice is the next start's; full screen is kept the same way ----
start_game
wait_for "display window 1024x768"
wait_for "shown screen=Splash"
set_mark; xdotool key F11
wait_for "display fullscreen"
set_mark; xdotool key Escape
wait_exit "Escape after F11"
start_game
wait_for "display fullscreen 1024x768"
set_mark; xdotool key Escape
wait_exit "Escape in full screen"

# ---- 3. A damaged window.ini: said on stderr, full screen, the file kept ----
printf 'ablak?\0\377' > "$ini"
cp "$ini" "$work/damaged.ini"
start_game --mute
wait_for "display fullscreen"
grep -q "window.ini: holds neither" "$log" || fail "the damaged window.ini was not named on stderr"
set_mark; xdotool key Escape
wait_exit "Escape with a damaged window.ini"
cmp -s "$ini" "$work/damaged.ini" || fail "the damaged window.ini was changed"

# ---- 4. The display's mode (needs Xorg's dummy driver) ----
if start_mode_display; then
  screen_size() { xdpyinfo | awk '/dimensions:/ {print $2}'; }
  desktop=$(screen_size)
  rm -f "$ini"
  # 800 x 600 wanted, at any rate and depth the display has.
  printf '\040\003\0\0\130\002\0\0\377\0\0\0\041\0\0\0' > "$work/game/video.ini"
  start_game --window --mute
  wait_for "display window 800x600"
  W=800 H=600 CX=400 CY=300
  window_size() { xwininfo -name Tumbleon_3dx | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
  [ "$(screen_size)" = "$desktop" ] || fail "a window changed the display's mode to $(screen_size)"
  [ "$(window_size)" = 800x600 ] || fail "the window is $(window_size), not the mode's 800x600"
  # A mode applied on the options page resizes the window, and only the
  # window. The window lies in the screen's middle: the pointer goes by its corner.
  game_window=$(xdotool search --name '^Tumbleon_3dx$' | head -1)
  point() { set_mark; xdotool mousemove --window "$game_window" "$1" "$2"; wait_for "hover=$3 .*at=$1,$2 "; }
  skip_splash
  go $CX $((CY + 85 + $(height fomenu_opciok) / 2)) 10054 "page=Options"
  click $((CX - 100 - $(width menu_szerkeszto_cel-) / 2 + 5)) $((CY - 35 + 5)) 10061
  go $((CX + (55 - $(width dialog_oke)) * 2 + $(width dialog_oke))) \
     $((CY + (55 - $(height dialog_oke)) * 2 + $(height dialog_oke))) 10048 "display window 640x480"
  [ "$(screen_size)" = "$desktop" ] || fail "a mode applied in a window changed the display to $(screen_size)"
  [ "$(window_size)" = 640x480 ] || fail "the window is $(window_size) after the options page's 640x480"
  set_mark; xdotool key F11
  wait_for "display fullscreen 640x480"
  [ "$(screen_size)" = 640x480 ] || fail "full screen shows $(screen_size), not the mode's 640x480"
  set_mark; xdotool key F11
  wait_for "display window 640x480"
  [ "$(screen_size)" = "$desktop" ] || fail "back in a window the display stays at $(screen_size)"
  set_mark; xdotool key Escape
  wait_exit "Escape on the dummy display"
  [ "$(od -An -tu4 -N8 "$work/game/video.ini" | xargs)" = "640 480" ] || fail "video.ini does not keep 640x480"
  stop_mode_display
fi

finish "window end-to-end: passed"
