#!/usr/bin/env bash
# End-to-end test of the hints and of undo and redo, in the real game under
# Xvfb: the first two built-in puzzles are solved from their hints alone (H
# until the whole solution shows, each hinted piece, ball and arrow put in
# with the mouse where the game says it lies, then the roll), and an editor
# session is undone to the empty board and redone to its end with the keys.
#
#   bash tests/e2e/hints_undo_e2e.sh BUILD_DIR
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"

# A field of the game's last report of what it shows: "hints=1/2" gives "1/2".
field() { grep "trace: shown " "$log" | tail -1 | grep -o " $1=[^ ]*" | cut -d= -f2; }

# H until every step of the solution shows, then each step done as the hint says.
solve_from_hints() {
  local shown total cells step what rest kind cell onto x y n=0
  xdotool key h
  wait_for "hints=1/"
  total=$(field hints); total=${total#*/}
  for ((shown = 1; shown < total; shown++)); do
    xdotool key h
    wait_for "hints=$((shown + 1))/$total"
  done
  cells=$(field cells)
  for ((step = 0; step < total; step++)); do
    what=$(field "hint$step")
    case "$what" in
      piece*|ball*)
        rest=${what#piece}; rest=${rest#ball}
        IFS=: read -r kind cell onto <<< "$rest"
        read -r x y < <(where "stock$kind")
        click "$x" "$y" $((cells + kind))
        read -r x y < <(where "top$onto")
        seek "$onto" "$x" "$y"
        point 300 5 -1
        grep "trace: scene " "$log" | tail -1 | grep -q " top$cell=" || { fail "hint $step: nothing stands in cell $cell"; exit 1; }
        ;;
      arrow-) fail "hint $step: the arrow's ball is not on the board"; exit 1 ;;
      arrow*)
        n=${what#arrow}
        read -r x y < <(where "arrow$n")
        click "$x" "$y" "$n"
        point 300 5 -1
        ;;
    esac
  done
  roll "screen=Run.*dialog=[34]" 60
}

start_game --mute
skip_splash

# ---- 1. irany_a_cel (a ball and its direction) and kanyarodas (a corner) ----
first_puzzle
solve_from_hints
go $((CX + $(width dialog_kov) / 2 + 2)) $((CY + 30 + $(height dialog_kov) / 2)) 10050 "shown screen=Play.*level=kanyarodas"
solve_from_hints
[ "$(od -An -tu1 -N2 "$work/game/hints.dat" | tr -s ' ')" = " 1 1" ] || fail "hints.dat does not mark both puzzles"

# ---- 2. The editor: three cubes put down, all taken back, all done again ----
go $((CX - $(width dialog_ujra) / 2 - $(width dialog_menu) / 2 - 2)) $((CY + 30 + $(height dialog_menu) / 2)) 10044 "page=PuzzleSelect"
go $(($(width menu_vissza) / 2)) $(($(height menu_vissza) / 2)) 10035 "page=Main"
go $CX $((CY + 40 + $(height fomenu_szerk) / 2)) 10005 "shown screen=Editor"
# The editor's board has 10 x 10 x 10 cells: stock items are 1000 + kind.
read -r x y < <(where stock2)
click "$x" "$y" 1002
for cell in 0 1 2; do
  read -r x y < <(where "top$cell")
  seek "$cell" "$x" "$y"
  wait_for "undo=$((cell + 2)) redo=0"
done
point 300 5 -1
for n in 3 2 1 0; do xdotool key ctrl+z; wait_for "undo=$n redo=$((4 - n))"; done
grep "trace: scene " "$log" | tail -1 | grep -q " top10=\| top11=\| top12=" && fail "a cube stayed after the undos"
for n in 1 2; do xdotool key ctrl+y; wait_for "undo=$n redo=$((4 - n))"; done
for n in 3 4; do xdotool key ctrl+shift+z; wait_for "undo=$n redo=$((4 - n))"; done
for cell in 10 11 12; do
  grep "trace: scene " "$log" | tail -1 | grep -q " top$cell=" || fail "cube $cell did not come back"
done
set_mark; xdotool key Escape
wait_exit "Escape in the editor"

finish "hints and undo end-to-end: passed"
