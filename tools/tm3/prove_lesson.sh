#!/usr/bin/env bash
# Proves that a puzzle needs its idea, the piece or ball it is about:
#   prove_lesson.sh TM3 PUZZLE.tm3 SOLUTION.tm3 TICKS PIECES FEWEST WINS TAUGHT NEUTRAL WITHOUT
# its recorded solution wins at tick TICKS with it; and with it taken out the
# search of every placement of the PIECES pieces and every launch direction
# finds WITHOUT wins at its fewest count. WITHOUT is 0 when the puzzle cannot
# be won without the idea. Where the idea is a danger to steer clear of (a
# balloon, which can only be worse off than a plastic ball, or a bomb a cube
# shields from), WITHOUT counts the wins with the harmless kind instead, which
# must win with fewer pieces than the puzzle's FEWEST, or in more ways than its
# WINS: the danger closes some.
# TAUGHT and NEUTRAL are kinds (every TAUGHT element or ball, the stock's too,
# becomes NEUTRAL), or TAUGHT is a launch direction and NEUTRAL the other
# directions, the only ones the player may then give. A MAX_PIECES of - skips
# the search.
set -u
tm3=$1 puzzle=$2 solution=$3 ticks=$4 pieces=$5 fewest=$6 wins=$7 taught=$8 neutral=$9 without=${10}
name=$(basename "$puzzle" .tm3)

fail() { echo "FAIL $name without $taught: $*"; exit 1; }

out=$("$tm3" check "$puzzle" "$solution" 2>&1) || fail "the recorded solution: $out"
[ "$(tail -n 1 <<<"$out")" = "solved at tick $ticks" ] || fail "the recorded solution wins at another tick: $out (recorded $ticks)"

if [ "$pieces" != "-" ]; then
  case $taught in
    [-+][xz]) instead=(--directions "$neutral") ;;
    *) instead=(--replace "$taught=$neutral") ;;
  esac
  out=$("$tm3" solve "$puzzle" --max-pieces "$pieces" --jobs 2 --figures "${instead[@]}" 2>&1) || fail "tm3 solve: $out"
  out=$(grep "^fewest " <<<"$out")
  read -r _ found_fewest _ found_wins _ <<<"$out"
  [ "$found_fewest" = none ] && found_wins=0
  [ "${found_wins:-0}" = "$without" ] || fail "with $neutral instead the search up to $pieces pieces finds '$out', recorded $without wins"
  if [ "$without" -gt 0 ] && ! [ "$found_fewest" -lt "$fewest" ] && ! [ "$without" -gt "$wins" ]; then
    fail "with $neutral the search finds '$out', neither fewer pieces than $fewest nor more wins than $wins"
  fi
fi
echo "proven $name: solved at tick $ticks with $taught, $without wins with $neutral"
