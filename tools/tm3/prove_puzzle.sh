#!/usr/bin/env bash
# Proves one built-in puzzle against its row of data/puzzles/solutions.tsv:
#   prove_puzzle.sh TM3 PUZZLE.tm3 SOLUTION.tm3 TICKS PIECES FEWEST WINS RUNS DECOY ROLL_TICKS
# its recorded solution is legal and wins at tick TICKS, within 20 s of game
# time; rolled as prepared, with every choice of direction, it does not win
# within ROLL_TICKS ticks (the stock is needed); its stock holds PIECES pieces;
# and the search of every placement and launch direction finds its first wins
# at FEWEST pieces, WINS of them, after RUNS trial runs. FEWEST below PIECES is
# a decoy, which the table must name (DECOY is - otherwise). A PIECES of -
# skips the search.
set -u
tm3=$1 puzzle=$2 solution=$3 ticks=$4 pieces=$5 fewest=$6 wins=$7 runs=$8 decoy=$9 roll_ticks=${10}
longest_win=8000

fail() { echo "FAIL $(basename "$puzzle" .tm3): $*"; exit 1; }

out=$("$tm3" check "$puzzle" "$solution" 2>&1) || fail "the recorded solution: $out"
[ "$(tail -n 1 <<<"$out")" = "solved at tick $ticks" ] || fail "the recorded solution wins at another tick: $out (recorded $ticks)"
[ "$ticks" -le "$longest_win" ] || fail "the recorded solution takes $ticks ticks, more than $longest_win"

out=$("$tm3" solve "$puzzle" --max-pieces 0 --count-only --ticks "$roll_ticks" --jobs 2 2>/dev/null) || fail "tm3 solve: $out"
[ "$out" = "solutions 0" ] || fail "it wins without the stock"

if [ "$pieces" != "-" ]; then
  counted=$("$tm3" info "$puzzle" | sed -n 's/^pieces //p')
  [ "$counted" = "$pieces" ] || fail "the stock holds $counted pieces, the table says $pieces"
  out=$("$tm3" solve "$puzzle" --max-pieces "$pieces" --figures --jobs 2 2>/dev/null) || fail "tm3 solve: $out"
  [ "$out" = "fewest $fewest wins $wins runs $runs" ] ||
    fail "the search finds '$out', the table says 'fewest $fewest wins $wins runs $runs': update the table, or close the new way"
  if [ "$fewest" -lt "$pieces" ] && [ "$decoy" = "-" ]; then
    fail "it wins with $fewest of its $pieces pieces; a decoy must say why in the table"
  fi
fi
echo "proven $(basename "$puzzle" .tm3): solved at tick $ticks, fewest $fewest wins $wins runs $runs"
