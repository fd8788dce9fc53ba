#!/usr/bin/env bash
# The curve's proof refuses a table that breaks one of its rules:
#   prove_curve_test.sh PROVE_CURVE.sh SOLUTIONS.tsv
# each case changes a copy of the real table in one way and must be refused
# with the reason it names.
set -u
prove=$1 table=$2
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
failed=0

# refused AWK_PROGRAM REASON: the table rewritten by the awk program is refused
# with a line containing REASON.
refused() {
  awk -F'\t' -v OFS='\t' "$1" "$table" >"$copy"
  if out=$(bash "$prove" "$copy" 2>&1); then
    echo "accepted, though $2 was expected: $(tail -n 3 <<<"$out")"
    failed=1
  elif ! grep -q -- "$2" <<<"$out"; then
    echo "refused, but not for '$2': $out"
    failed=1
  fi
}

rows='!/^#/ { i++ }'
# The list read backwards: the hardest first.
refused "$rows"' !/^#/ { r[i] = $0; next } { print } END { for (k = i; k >= 1; k--) print r[k] }' "below 0.8"
# One late puzzle as easy as the first: its block's median no longer rises.
refused "$rows"' i >= 51 && i <= 56 { $8 = $7; $9 = "1.0" } { print }' "is not above block"
# A fourth decoy, with its reason.
refused "$rows"' /^#/ { print; next } $10 == "-" && !done && i > 10 { $6 = $5 - 1; $10 = "spare"; done = 1 } { print }' "decoys, more than three"
# A late puzzle with four answers.
refused "$rows"' i == 40 { $9 = sprintf("%.1f", $8 / 4); $7 = 4 } { print }' "fewest-piece wins, more than three"
# The finale won with a piece to spare.
refused "$rows"' i == 60 { $6 = $5 - 1 } { print }' "finale"
# Runs per win that do not follow from the runs and the wins.
refused "$rows"' i == 30 { $9 = "0.5" } { print }' "runs per win 0.5"
exit $failed
