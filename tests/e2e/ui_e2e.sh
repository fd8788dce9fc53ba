#!/usr/bin/env bash
# End-to-end test of the game on screen: starts the real game under Xvfb,
# clicks through every 2D screen where the layout puts its buttons, compares
# screenshots with the references, and checks hovering, Escape on every screen,
# the level file dialogs and the files the game writes.
#
#   bash tests/e2e/ui_e2e.sh BUILD_DIR              the test (ctest runs this)
#   bash tests/e2e/ui_e2e.sh BUILD_DIR --update     writes new references after
#                                                   a deliberate change of look
#
# BUILD_DIR holds tumbleon, tools/tm3/tm3 and the generated adatok/. The game
# reports what it shows on stderr (TUMBLEON_TRACE=1); every step waits for the
# report it expects, with a time limit, never for a fixed time.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
# The 2D interface alone: the 3D scene has its own end-to-end test (scene_e2e.sh).
export TUMBLEON_NO_SCENE=1

# The first built-in puzzle is a level that solves itself; the second one's
# ball waits for its launch direction.
"$tm3" compile "$here/straight.txt" -o "$work/straight.tm3"
rm -f "$work/game/adatok/palyak_hun/irany_a_cel.tm3" "$work/game/adatok/palyak_hun/kanyarodas.tm3"
cp "$work/straight.tm3" "$work/game/adatok/palyak_hun/irany_a_cel.tm3"
"$tm3" compile "$here/aimless.txt" -o "$work/game/adatok/palyak_hun/kanyarodas.tm3"

# The level file dialog: waits for it, types the path, confirms. Keys sent
# before the dialog has finished building itself are lost, so the answer is
# given again until the dialog has gone.
answer_dialog() {
  local title="$1" path="$2" dialog tries waited
  for tries in 1 2 3 4 5; do
    dialog=$(xdotool search --sync --onlyvisible --name "$title" | head -1)
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    xdotool key ctrl+l ctrl+a
    xdotool type --delay 40 "$path"
    xdotool key Return
    for waited in $(seq 60); do
      xdotool search --onlyvisible --name "$title" > /dev/null || return 0
      sleep 0.05
    done
  done
  fail "the dialog '$title' did not take the path $path"
}

# Answers the message box of that title; false when none shows.
answer_box() {
  local box
  box=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -1) || true
  [ -n "$box" ] || return 1
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
}

# A start that must fail: the game names the fault on stderr and in a message
# box, which is answered; then it ends with status 1.
expect_failure() {
  local what="$1" pattern="$2" folder="$3" code=0
  "$folder/tumbleon" > /dev/null 2> "$work/failure.log" &
  local pid=$!
  answer_box '^Tumbleon$' || fail "$what: no message box"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$pid" 2>/dev/null && { fail "$what: the game did not end"; kill "$pid"; }
  wait "$pid" || code=$?
  [ "$code" -eq 1 ] || fail "$what: exit status $code, not 1"
  grep -q -- "$pattern" "$work/failure.log" || fail "$what: stderr does not say '$pattern'"
}
# ---- 0. Start-up failures, each said in words ----
code=0
env -u DISPLAY "$work/game/tumbleon" 2> "$work/failure.log" || code=$?
[ "$code" -eq 1 ] && grep -q "No display was found" "$work/failure.log" || fail "no display: status $code"
mkdir -p "$work/bare" "$work/fontless/adatok/kepek_hun" "$work/skyless/adatok/3dx"
for folder in bare fontless skyless; do cp "$build/tumbleon" "$work/$folder/"; done
expect_failure "no data folder" "data folder is missing: neither $work/bare/adatok nor $work/bare/../share/tumbleon/adatok" "$work/bare"
expect_failure "no font" "fontok.tga is missing" "$work/fontless"
# The meshes are read on a thread of their own while the window opens: a broken
# sky still stops the start in words.
ln -s "$build/adatok/kepek_hun" "$work/skyless/adatok/kepek_hun"
echo "not a mesh" > "$work/skyless/adatok/3dx/skybox.x"
expect_failure "broken sky" "3D scene cannot be loaded" "$work/skyless"
if [ -z "${TUMBLEON_E2E_SMALL:-}" ]; then
  # A screen below 640 x 480 offers no mode the game can use.
  TUMBLEON_E2E_SMALL=1 xvfb-run -a -s "-screen 0 600x400x24" bash -c "$(declare -f fail answer_box expect_failure); \
    work='$work'; failures=0; expect_failure 'no usable mode' 'no full-screen mode' '$work/game'; exit \$failures" \
    || fail "a screen of 600 x 400 was not refused in words"
fi
rm -f "$work/game/video.ini" "$work/game/score.dat"

# ---- 1. Escape on the splash; the first start writes the settings and progress ----
start_game
wait_for "shown screen=Splash"
xdotool key Escape
wait_exit "Escape on the splash"
video=$(od -An -tu4 "$work/game/video.ini" 2>/dev/null | xargs)
[ "$video" = "1024 768 0 22" ] || fail "video.ini should hold 1024 768 0 22 (the screen's one mode), holds: $video"
if [ "$(stat -c %s "$work/game/score.dat" 2>/dev/null)" != 60 ] || [ -n "$(tr -d '\0' < "$work/game/score.dat")" ]; then
  fail "score.dat should hold 60 zero bytes"
fi

# ---- 2. Every screen, clicked through ----
start_game
skip_splash
shot main_menu

# Hover lights a button: the start button in its bright twin.
point $CX $((CY - 50 + $(height fomenu_inditas) / 2)) 10001
shot main_menu_hover_start
if [ "$(compare -metric AE "$shots/main_menu.png" "$shots/main_menu_hover_start.png" null: 2>&1 || true)" -lt 100 ]; then
  fail "the hovered start button looks the same as the plain one"
fi
point $CX $((H - 30 + 12)) 10099

# The puzzle list and its pages.
start_button "shown screen=MainMenu page=PuzzleSelect.*first=0"
shot puzzle_list 5 $((H - 5))
go $((CX - 250 + $(width nyil_le) / 2)) $((CY + 87 + $(height nyil_le) / 2)) 10039 "page=PuzzleSelect.*first=10"
shot puzzle_list_page2 5 $((H - 5))
go $((CX - 250 + $(width nyil_fel) / 2)) $((CY - 80 + $(height nyil_fel) / 2)) 10037 "page=PuzzleSelect.*first=0"
go $(($(width menu_vissza) / 2)) $(($(height menu_vissza) / 2)) 10035 "shown screen=MainMenu page=Main"

help_pages help
# The options page (a virtual screen has one mode: no arrows), then back.
options_page options

# The editor: its panel, a tool, the save warning, an empty run and its stop.
save_button() { click $((10 + $(width menu_szerkeszto_mentes) / 2)) $((85 + $(height menu_szerkeszto_mentes) / 2)) 10019; }
ok_button() { go $CX $((CY + 30 + $(height dialog_oke) / 2)) 10048 "$1"; }
quit_button() { go $((10 + $(width menu_kilep) / 2)) $((10 + $(height menu_kilep) / 2)) 10013 "shown screen=MainMenu page=Main"; }
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "shown screen=Editor"
click "$(right menu_szerkeszto_torles)" $((100 + $(height menu_szerkeszto_torles) / 2)) 10029
shot editor_delete_tool 300 5
save_button
wait_for "screen=Editor.*dialog=5"
shot editor_test_first 300 5
ok_button "screen=Editor.*dialog=0"
paused_then_failed_run run_empty_level run_failed
again_button() { go $((CX + $(width dialog_ujra) / 2)) $((CY + 30 + $(height dialog_ujra) / 2)) 10046 "$1"; }
again_button "shown screen=Editor.*dialog=0"
roll "screen=Run.*dialog=6"
go $((CX - 2 - $(width dialog_menu) / 2)) $((CY + 30 + $(height dialog_menu) / 2)) 10044 "shown screen=MainMenu page=Main"
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "shown screen=Editor"

# Load a level into the editor through the file dialog; its test run solves it.
click $((10 + $(width menu_szerkeszto_betoltes) / 2)) $((60 + $(height menu_szerkeszto_betoltes) / 2)) 10017
answer_dialog "pálya betöltése" "$work/straight.tm3"
wait_for "shown screen=Editor"
roll "screen=Run.*dialog=2"
shot run_test_solved 5 $((H - 5))
ok_button "shown screen=Editor.*dialog=0"

# Saving is allowed now: the dialog writes the level where it is told.
save_button
answer_dialog "pálya mentése" "$work/saved"
wait_for "shown screen=Editor"
cmp -s "$work/saved.tm3" "$work/straight.tm3" || fail "the saved level differs from the loaded one"
# A save that cannot be written is told in a message box; the game goes on.
point 300 5 -1
save_button
answer_dialog "pálya mentése" "/proc/no-level-can-be-here.tm3"
answer_box "sikertelen" || fail "a failed save showed no message box"
# A pointer move made while the window is still coming back is not seen:
# the game answers one of a few moves once it is back.
back=no
for y in 7 9 11 13 15 17 19 21 23 25; do
  set_mark; xdotool mousemove 300 "$y"
  for _ in $(seq 20); do
    if tail -n "+$((mark + 1))" "$log" | grep -q "hover=-1 .*at=300,$y "; then back=yes; break 2; fi
    sleep 0.05
  done
done
[ "$back" = yes ] || fail "the game did not come back after the message box"
quit_button

# A level file opened from the main menu, played and solved.
click $CX $((CY - 5 + $(height fomenu_betoltes) / 2)) 10003
answer_dialog "pálya betöltése" "$work/straight.tm3"
wait_for "shown screen=Play"
shot play 300 5
roll "screen=Run.*dialog=1"
shot run_custom_solved 5 $((H - 5))
again_button "shown screen=Play"
quit_button

# The first built-in puzzle, solved: the result box with its three buttons.
first_puzzle
roll "screen=Run.*dialog=3"
shot run_puzzle_solved 5 $((H - 5))
# Escape ends the program during a run too.
set_mark; xdotool key Escape
wait_exit "Escape in a run"
[ "$(head -c 1 "$work/game/score.dat" | od -An -tu1 | xargs)" = 1 ] || fail "score.dat does not record the solved puzzle"

# ---- 3. The last puzzle solved: the closing box; solved rows show fainter ----
{ printf '\0'; head -c 59 /dev/zero | tr '\0' '\1'; } > "$work/game/score.dat"
start_game
skip_splash
start_button
shot puzzle_list_solved 5 $((H - 5))
go $((CX - 160 + 5)) $((CY - 80 + 10)) 10100 "shown screen=Play"
roll "screen=Run.*dialog=4"
shot run_all_solved 5 $((H - 5))
go $CX $((CY + 30 + $(height dialog_menu) / 2)) 10044 "shown screen=MainMenu page=PuzzleSelect"
# Another window takes the focus: the full-screen game stops drawing until
# it has the focus again, then resets its device and goes on where it was.
xlogo -geometry 100x100+0+0 &
other=$!
game_window=$(xdotool search --name '^Tumbleon_3dx$' | head -1)
other_window=$(xdotool search --sync --name '^xlogo$' | head -1)
xdotool windowfocus --sync "$other_window"
wait_for "device lost"
xdotool windowfocus --sync "$game_window"
wait_for "device reset"
kill "$other"
point 5 $((H - 7)) -1
set_mark; xdotool key Escape
wait_exit "Escape on the puzzle list"

# ---- 4. Keys the game has no other use for skip the logos; a refused roll
# says why until the clock has moved on; Escape in the editor (the key ends
# the game the same way on every screen; the splash, the puzzle list and a run
# are tried above) ----
start_game
wait_for "screen=Splash.*splash=1"; xdotool key F5
wait_for "key 255 splash [6-9][.0-9]* -> 6.000"
wait_for "screen=Splash.*splash=3"; xdotool key Shift_L
wait_for "key 255 splash [1-4][.0-9]* -> 1.000"
wait_for "shown screen=MainMenu page=Main"
start_button
go $((CX - 160 + 5)) $((CY - 60 + 10)) 10101 "shown screen=Play.*level=kanyarodas"
roll "shown screen=Play.*roll=refused"
wait_for "shown screen=Play.*level=kanyarodas$"
go $((10 + $(width menu_kilep) / 2)) $((10 + $(height menu_kilep) / 2)) 10013 "shown screen=MainMenu page=PuzzleSelect"
go $(($(width menu_vissza) / 2)) $(($(height menu_vissza) / 2)) 10035 "shown screen=MainMenu page=Main"
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "screen=Editor"
set_mark; xdotool key Escape
wait_exit "Escape in the editor"

# ---- 5. A new display mode from the options page (needs Xorg's dummy driver) ----
if command -v Xorg > /dev/null && [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
  number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xorg ":$number" -config "$here/xorg-dummy.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" > /dev/null 2>&1 &
  xorg=$!
  for _ in $(seq 100); do xdpyinfo -display ":$number" > /dev/null 2>&1 && break; sleep 0.1; done
  if xdpyinfo -display ":$number" > /dev/null 2>&1; then
    outer_display="$DISPLAY"
    export DISPLAY=":$number"
    rm -f "$work/game/video.ini"
    start_game
    skip_splash
    go $CX $((CY + 85 + $(height fomenu_opciok) / 2)) 10054 "page=Options"
    click $((CX - 100 - $(width menu_szerkeszto_cel-) / 2 + 5)) $((CY - 35 + 5)) 10061
    go $((CX + (55 - $(width dialog_oke)) * 2 + $(width dialog_oke))) \
       $((CY + (55 - $(height dialog_oke)) * 2 + $(height dialog_oke))) 10048 "device reset"
    shown_size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
    set_mark; xdotool key Escape
    wait_exit "Escape after a change of mode"
    kept=$(od -An -tu4 "$work/game/video.ini" | xargs)
    [ "$shown_size" != 1024x768 ] || fail "the options page's OK did not change the display mode"
    [ "$(echo "$kept" | awk '{print $1 "x" $2}')" = "$shown_size" ] || fail "video.ini keeps $kept, the screen showed $shown_size"
    export DISPLAY="$outer_display"
  else
    echo "note: Xorg with the dummy driver did not start; the display-mode test is left out" >&2
  fi
  kill "$xorg" 2>/dev/null || true
  wait "$xorg" 2>/dev/null || true
  xorg=0
fi

finish "all screens as expected"
