#!/usr/bin/env bash
# Proves one built-in puzzle:
#   prove_puzzle.sh TM3 PUZZLE.tm3 SOLUTION.tm3 TICKS MAX_PIECES LIMIT COUNT ROLL_TICKS
# its recorded solution is legal and wins at tick TICKS; rolled as prepared,
# with every choice of direction, it does not win within ROLL_TICKS ticks (the
# stock is needed); and
# the search up to MAX_PIECES pieces finds COUNT solutions (at most LIMIT),
# each trial rolled for 5000 ticks or 1000 more than the recorded win, the
# longer. A MAX_PIECES of - skips the search.
set -u
tm3=$1 puzzle=$2 solution=$3 ticks=$4 max_pieces=$5 limit=$6 count=$7 roll_ticks=$8

fail() { echo "FAIL $(basename "$puzzle" .tm3): $*"; exit 1; }

out=$("$tm3" check "$puzzle" "$solution" 2>&1) || fail "the recorded solution: $out"
[ "$(tail -n 1 <<<"$out")" = "solved at tick $ticks" ] || fail "the recorded solution wins at another tick: $out (recorded $ticks)"

out=$("$tm3" solve "$puzzle" --max-pieces 0 --count-only --ticks "$roll_ticks" --jobs 2 2>/dev/null) || fail "tm3 solve: $out"
[ "$out" = "solutions 0" ] || fail "it wins without the stock"

if [ "$max_pieces" != "-" ]; then
  search_ticks=$((ticks + 1000 > 5000 ? ticks + 1000 : 5000))
  out=$("$tm3" solve "$puzzle" --max-pieces "$max_pieces" --limit "$limit" --ticks "$search_ticks" --jobs 2 --count-only 2>/dev/null) \
    || fail "tm3 solve: $out"
  [ "$out" = "solutions $count" ] || fail "the search up to $max_pieces pieces finds '$out', recorded $count"
fi
echo "proven $(basename "$puzzle" .tm3): solved at tick $ticks"
