#!/usr/bin/env bash
# Brings data/puzzles/solutions.tsv up to date with the puzzles as built:
#   update_table.sh TM3 PUZZLE_DIR SOLUTION_DIR TABLE
# For each row it keeps the name, the mechanic and the decoy reason, and
# writes anew the stock, the tick the recorded solution wins at, the stock's
# piece count and the search's figures (fewest pieces that win, wins at that
# count, trial runs, runs per win). Then run prove_curve.sh on the table.
set -eu
tm3=$1 puzzles=$2 solutions=$3 table=$4
next=$(mktemp)
trap 'rm -f "$next"' EXIT
while IFS= read -r row; do
  if [[ $row == \#* || -z $row ]]; then
    printf '%s\n' "$row" >>"$next"
    continue
  fi
  IFS=$'\t' read -r name mechanic _ _ _ _ _ _ _ decoy <<<"$row"
  puzzle=$puzzles/$name.tm3
  info=$("$tm3" info "$puzzle")
  stock=$(sed -n 's/^stock: //p' <<<"$info")
  pieces=$(sed -n 's/^pieces //p' <<<"$info")
  ticks=$("$tm3" check "$puzzle" "$solutions/$name.tm3" | sed -n 's/^solved at tick //p')
  read -r _ fewest _ wins _ runs <<<"$("$tm3" solve "$puzzle" --max-pieces "$pieces" --figures --jobs 2 2>/dev/null)"
  per_win=$(awk -v r="$runs" -v w="$wins" 'BEGIN { printf "%.1f", (w > 0 ? r / w : 0) }')
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$mechanic" "$stock" "${ticks:-?}" "$pieces" "$fewest" \
    "${wins:-0}" "$runs" "$per_win" "${decoy:--}" >>"$next"
done <"$table"
cp "$next" "$table"
