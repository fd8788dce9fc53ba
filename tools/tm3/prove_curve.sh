#!/usr/bin/env bash
# Proves that the sixty, read from data/puzzles/solutions.tsv in list order,
# are a journey of rising difficulty:
#   prove_curve.sh SOLUTIONS.tsv
# - how many blind tries a win takes (runs per win) rises with the list: its
#   rank correlation with the list position is at least 0.8, and each block
#   of ten's median lies above the block before;
# - each row's runs per win is its runs over its wins;
# - at most three puzzles win with fewer pieces than their stock (decoys);
# - from the eleventh on a puzzle has at most three fewest-piece wins;
# - the finale has one answer, and it uses the whole stock.
# The per-puzzle proofs check each row against the search itself.
set -u
table=$1
awk -F'\t' '
  /^#/ || NF == 0 { next }
  {
    n++
    name[n] = $1; pieces[n] = $5; fewest[n] = $6; wins[n] = $7; runs[n] = $8; perWin[n] = $9; decoy[n] = $10
    if (NF != 10) bad = bad sprintf("%s: %d fields, not 10\n", $1, NF)
  }
  function fail(text) { problems = problems text "\n" }
  function median(from, to,    k, m, v, i, j, t) {
    m = 0
    for (k = from; k <= to; k++) v[++m] = perWin[k] + 0
    for (i = 2; i <= m; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
  }
  END {
    if (bad != "") { printf "%s", bad; exit 1 }
    if (n != 60) fail(sprintf("%d puzzles, not 60", n))
    decoys = 0
    for (i = 1; i <= n; i++) {
      if (wins[i] + 0 < 1) fail(name[i] ": no win recorded")
      else if (sprintf("%.1f", runs[i] / wins[i]) != perWin[i])
        fail(sprintf("%s: runs per win %s, but %d runs over %d wins is %.1f", name[i], perWin[i], runs[i], wins[i], runs[i] / wins[i]))
      if (fewest[i] + 0 < pieces[i] + 0) {
        decoys++
        if (decoy[i] == "-") fail(name[i] ": wins with fewer pieces than its stock and the table gives no reason")
      } else if (decoy[i] != "-") fail(name[i] ": named a decoy, but every piece is needed")
      if (i > 10 && wins[i] > 3) fail(sprintf("%s: %d fewest-piece wins, more than three", name[i], wins[i]))
    }
    if (decoys > 3) fail(sprintf("%d decoys, more than three", decoys))
    if (n > 0 && (wins[n] != 1 || fewest[n] != pieces[n])) fail(name[n] ": the finale must have one answer, with its whole stock")
    # Spearman: the correlation of the ranks, ties sharing their mean rank.
    for (i = 1; i <= n; i++) {
      below = 0; same = 0
      for (j = 1; j <= n; j++) { below += perWin[j] + 0 < perWin[i] + 0; same += perWin[j] + 0 == perWin[i] + 0 }
      rank[i] = below + (same + 1) / 2
    }
    mean = (n + 1) / 2
    for (i = 1; i <= n; i++) { sxy += (i - mean) * (rank[i] - mean); sxx += (i - mean) ^ 2; syy += (rank[i] - mean) ^ 2 }
    rho = syy > 0 ? sxy / sqrt(sxx * syy) : 0
    printf "rank correlation of runs per win with the list position: %.3f\n", rho
    if (rho < 0.8) fail(sprintf("the rank correlation %.3f is below 0.8", rho))
    printf "block medians:"
    for (b = 0; b * 10 < n; b++) {
      m = median(b * 10 + 1, b * 10 + 10 > n ? n : b * 10 + 10)
      printf " %g", m
      if (b > 0 && m <= previous) fail(sprintf("block %d median %g is not above block %d median %g", b + 1, m, b, previous))
      previous = m
    }
    printf "\ndecoys: %d\n", decoys
    if (problems != "") { printf "FAIL %s", problems; exit 1 }
  }
' "$table"
