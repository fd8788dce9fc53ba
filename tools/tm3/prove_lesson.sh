#!/usr/bin/env bash
# Proves that one of the first puzzles teaches what it says:
#   prove_lesson.sh TM3 PUZZLE.tm3 SOLUTION.tm3 TICKS MAX_PIECES TAUGHT NEUTRAL WITHOUT COUNT
# its recorded solution wins at tick TICKS with what it teaches; and with that
# taken out the search up to MAX_PIECES pieces finds WITHOUT solutions, each
# trial rolled for 5000 ticks or 1000 more than the recorded win, the longer.
# WITHOUT is 0 when the puzzle cannot be won without what it teaches. A balloon
# can only be worse off than a plastic ball, so where the balloon must come
# through, WITHOUT counts the plastic ball's ways, which must be more than the
# COUNT the search finds with the balloon: the spikes close some of them.
# TAUGHT and NEUTRAL are kinds (every TAUGHT element or ball, the stock's too,
# becomes NEUTRAL), or TAUGHT is a launch direction and NEUTRAL the other
# directions, the only ones the player may then give. A MAX_PIECES of - skips
# the search.
set -u
tm3=$1 puzzle=$2 solution=$3 ticks=$4 max_pieces=$5 taught=$6 neutral=$7 without=$8 count=$9
name=$(basename "$puzzle" .tm3)

fail() { echo "FAIL $name without $taught: $*"; exit 1; }

out=$("$tm3" check "$puzzle" "$solution" 2>&1) || fail "the recorded solution: $out"
[ "$(tail -n 1 <<<"$out")" = "solved at tick $ticks" ] || fail "the recorded solution wins at another tick: $out (recorded $ticks)"
[ "$without" -eq 0 ] || [ "$without" -gt "$count" ] || fail "$without solutions with $neutral are not more than the $count with $taught"

if [ "$max_pieces" != "-" ]; then
  case $taught in
    [-+][xz]) instead=(--directions "$neutral") ;;
    *) instead=(--replace "$taught=$neutral") ;;
  esac
  search_ticks=$((ticks + 1000 > 5000 ? ticks + 1000 : 5000))
  out=$("$tm3" solve "$puzzle" --max-pieces "$max_pieces" --ticks "$search_ticks" --jobs 2 --count-only "${instead[@]}" 2>&1) \
    || fail "tm3 solve: $out"
  out=$(grep "^solutions " <<<"$out")
  [ "$out" = "solutions $without" ] || fail "with $neutral instead the search up to $max_pieces pieces finds '$out', recorded $without"
fi
echo "proven $name: solved at tick $ticks with $taught, $without solutions with $neutral"
