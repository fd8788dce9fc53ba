#!/usr/bin/env bash
# End-to-end test of the game in English: starts the real game under Xvfb
# with --lang en, clicks through every screen the player meets (the main menu,
# the puzzle list, the options page, the help pages, the editor with its save
# warning, a paused run, the play screen, the result boxes) and compares
# screenshots with the references en_*.png. Without --lang the locale
# variables choose, in their order.
#
#   bash tests/e2e/english_e2e.sh BUILD_DIR              the test (ctest runs this)
#   bash tests/e2e/english_e2e.sh BUILD_DIR --update     writes new references
#
# Every step waits for the report it expects (TUMBLEON_TRACE=1), with a time
# limit, never for a fixed time.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
# The 2D interface alone, as in the Hungarian screenshots.
export TUMBLEON_NO_SCENE=1

# The first built-in puzzle is a level that solves itself.
rm -f "$work/game/adatok/palyak_hun/irany_a_cel.tm3"
"$tm3" compile "$here/straight.txt" -o "$work/game/adatok/palyak_hun/irany_a_cel.tm3"

# ---- 1. --lang en: English texts, and the pictures from kepek_eng ----
game_language=en
start_game
skip_splash
shot en_main_menu 5 5

# The puzzle list with one puzzle won with hints: the solved line counts it.
set_mark; xdotool key Escape
wait_exit "Escape on the main menu"
{ printf '\1'; head -c 59 /dev/zero; } > "$work/game/score.dat"
{ printf '\1'; head -c 59 /dev/zero; } > "$work/game/hints.dat"
start_game
skip_splash
start_button "shown screen=MainMenu page=PuzzleSelect.*first=0"
shot en_puzzle_list 5 $((H - 5))
go $(($(width menu_vissza) / 2)) $(($(height menu_vissza) / 2)) 10035 "shown screen=MainMenu page=Main"

help_pages en_help
options_page en_options

# The editor: its panel, the save warning, a paused run, and a run that fails.
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "shown screen=Editor"
click $((10 + $(width menu_szerkeszto_mentes) / 2)) $((85 + $(height menu_szerkeszto_mentes) / 2)) 10019
wait_for "screen=Editor.*dialog=5"
shot en_editor_test_first 300 5
go $CX $((CY + 30 + $(height dialog_oke) / 2)) 10048 "screen=Editor.*dialog=0"
paused_then_failed_run en_run_paused en_run_failed
go $((CX - 2 - $(width dialog_menu) / 2)) $((CY + 30 + $(height dialog_menu) / 2)) 10044 "shown screen=MainMenu page=Main"

# The first puzzle, solved: the result box with its three buttons.
start_button
go $((CX - 160 + 5)) $((CY - 80 + 10)) 10100 "shown screen=Play"
shot en_play 300 5
roll "screen=Run.*dialog=3"
shot en_run_puzzle_solved 5 $((H - 5))
set_mark; xdotool key Escape
wait_exit "Escape in a run"

# ---- 2. Without --lang the locale decides (its order is the gtest's) ----
: > "$log"; mark=0
env -u LC_ALL -u LC_MESSAGES LANG=en_US.UTF-8 TUMBLEON_TRACE=1 "$work/game/tumbleon" 2>> "$log" &
game=$!
wait_for "trace: language en$"
wait_for "shown screen=Splash"
set_mark; xdotool key Escape
wait_exit "Escape on the splash"

finish "every screen in English as expected"
