# What the end-to-end scripts share, sourced with the script's own arguments
# (BUILD_DIR [--update]) once `here` is set: the game under Xvfb in a scratch
# folder of its own, its trace and the waits on it with a time limit, the
# pointer steered by what the game says is lit, and screenshots against the
# references. Nothing here waits a fixed time for the game.
build="$(cd "${1:?usage: $(basename "$0") BUILD_DIR [--update]}" && pwd)"
update="${2:-}"
references="$here/reference"

# One virtual screen of 1024 x 768 at 24 bits, as the references were made.
if [ -z "${TUMBLEON_E2E_INSIDE:-}" ]; then
  export TUMBLEON_E2E_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
xset -r  # no key auto-repeat: one press, one message

work="$(mktemp -d)"
log="$work/trace.log"
: > "$log"
shots="${TUMBLEON_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots" "$references"
game=0 xorg=0 failures=0 mark=0
# Whatever happens, the game and any extra X server go, the trace is kept
# beside the screenshots, and the scratch folder is removed.
cleanup() {
  set +e
  [ "$game" -gt 0 ] && { kill "$game"; wait "$game"; } 2> /dev/null
  [ "$xorg" -gt 0 ] && { kill "$xorg"; wait "$xorg"; } 2> /dev/null
  cp "$log" "$shots/" 2> /dev/null
  rm -rf "$work"
  true
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The game in a folder of its own, where its settings and progress land, with
# the generated data linked in level by level so that a test may swap levels.
mkdir -p "$work/game/adatok/palyak_hun"
for entry in "$build/adatok"/*; do
  [ "$(basename "$entry")" = palyak_hun ] || ln -s "$entry" "$work/game/adatok/"
done
for level in "$build/adatok/palyak_hun"/*; do [ ! -e "$level" ] || ln -s "$level" "$work/game/adatok/palyak_hun/"; done
cp "$build/tumbleon" "$work/game/tumbleon"
tm3="$build/tm3"; [ -x "$tm3" ] || tm3="$build/tools/tm3/tm3"

W=1024 H=768 CX=512 CY=384
images="$build/adatok/kepek_hun"
width() { identify -format '%w' "$images/$1.tga"; }
height() { identify -format '%h' "$images/$1.tga"; }
right() { echo $((W - 10 - $(width "$1") + $(width "$1") / 2)); }
source "$here/steer.sh"

# TUMBLEON_FREEZE_PICTURE=1 holds still what only moves the picture (the
# menu's board turning, the light's round, fades), so a screenshot is the same
# however busy the machine is; a run's steps go on. The language is named
# (game_language, Hungarian unless a script says otherwise), so the machine's
# own LANG never changes what the game shows.
game_language=hu
start_game() {
  : > "$log"; mark=0
  TUMBLEON_TRACE=1 TUMBLEON_FREEZE_PICTURE=1 "$work/game/tumbleon" --lang "$game_language" "$@" 2>> "$log" &
  game=$!
}

# A second X server whose display mode can change (Xorg with the dummy driver
# and the modes of xorg-dummy.conf), made the display; false, with a note,
# where there is none. stop_mode_display goes back to the virtual screen.
start_mode_display() {
  command -v Xorg > /dev/null && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || return 1
  local number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xorg ":$number" -config "$here/xorg-dummy.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" > /dev/null 2>&1 &
  xorg=$!
  for _ in $(seq 100); do xdpyinfo -display ":$number" > /dev/null 2>&1 && break; sleep 0.1; done
  if ! xdpyinfo -display ":$number" > /dev/null 2>&1; then
    echo "note: Xorg with the dummy driver did not start; the display-mode test is left out" >&2
    stop_mode_display
    return 1
  fi
  outer_display="$DISPLAY"
  export DISPLAY=":$number"
}
stop_mode_display() {
  kill "$xorg" 2> /dev/null || true
  wait "$xorg" 2> /dev/null || true
  xorg=0
  export DISPLAY="${outer_display:-$DISPLAY}"
}

# Waits (with a limit) for the game to end; its status must be 0.
wait_exit() {
  local code=0
  for _ in $(seq 200); do kill -0 "$game" 2> /dev/null || break; sleep 0.05; done
  if kill -0 "$game" 2> /dev/null; then fail "$1: the game did not end"; kill "$game"; fi
  wait "$game" || code=$?
  [ "$code" -eq 0 ] || fail "$1: exit status $code"
  game=0
}

# Past the logos: a key in each of the two stretches that a key shortens.
skip_splash() {
  set_mark
  wait_for "screen=Splash.*splash=1"; xdotool key space
  wait_for "screen=Splash.*splash=3"; xdotool key space
  wait_for "shown screen=MainMenu page=Main"
}

start_button() { go $CX $((CY - 50 + $(height fomenu_inditas) / 2)) 10001 "${1:-page=PuzzleSelect}"; }
roll() { go "$(right menu_guritas)" $((10 + $(height menu_guritas) / 2)) 10011 "$1" "${2:-20}"; }
# From the main page: the four help pages as screenshots $1 1..4 (a click
# anywhere turns the page), and back.
help_pages() {
  click $CX $((CY + 130 + $(height fomenu_segitseg) / 2)) 10007
  for page in 1 2 3 4; do
    wait_for "page=Help$page "
    shot "$1$page"
    set_mark; xdotool click 1
  done
  wait_for "shown screen=MainMenu page=Main"
}
# From the main page: the options page as screenshot $1, then back by its menu button.
options_page() {
  go $CX $((CY + 85 + $(height fomenu_opciok) / 2)) 10054 "page=Options"
  shot "$1" 5 5
  go $((CX - 110 + 4)) $((CY + (55 - $(height dialog_menu)) * 2 + $(height dialog_menu))) 10044 "shown screen=MainMenu page=Main"
}
# In the editor, an empty level's run: paused (numeric pad minus, five times)
# it stands still, screenshot $1, however slow the machine, and is stopped; at
# normal speed again a second without a ball rolling ends the next run in the
# failed-run box, screenshot $2 (the speed shown after the keys has gone by then).
paused_then_failed_run() {
  set_mark; xdotool key KP_Subtract KP_Subtract KP_Subtract KP_Subtract KP_Subtract
  roll "shown screen=Run"
  shot "$1" 300 5
  go "$(right menu_allj)" $((10 + $(height menu_allj) / 2)) 10033 "shown screen=Editor"
  point 300 5 -1
  set_mark; xdotool key KP_Add KP_Add KP_Add KP_Add KP_Add
  roll "screen=Run.*dialog=6"
  shot "$2" 5 $((H - 5))
}
first_puzzle() { start_button; go $((CX - 160 + 5)) $((CY - 80 + 10)) 10100 "shown screen=Play"; }

# Takes a screenshot with the pointer parked at $2,$3 over no control (if
# given) and compares it with its reference (or makes it the reference with
# --update). With the picture frozen (start_game) the 2D screens and the 3D
# scene alike must match within a few pixels, however the frames were timed.
shot() {
  local name="$1" file="$shots/$1.png" ref="$references/$1.png" error
  [ -z "${2:-}" ] || point "$2" "$3" -1
  xwd -root -silent | convert xwd:- "png:$file"
  if [ "$update" = "--update" ]; then cp "$file" "$ref"; return; fi
  [ -f "$ref" ] || { fail "no reference for $name"; return; }
  error=$(compare -metric AE -fuzz 3% "$ref" "$file" null: 2>&1 || true)
  [[ "$error" =~ ^[0-9]+$ ]] && [ "$error" -le 200 ] ||
    fail "screen $name differs from its reference in $error pixels (see $file)"
}

# The end of a script: how it went.
finish() {
  [ "$update" != "--update" ] || echo "references written to $references"
  [ "$failures" -eq 0 ] || { echo "$failures failure(s); screenshots in $shots" >&2; exit 1; }
  echo "$1"
}
