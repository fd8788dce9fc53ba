#!/usr/bin/env bash
# Runs one fuzzer from build-fuzz for a while, seeded from the test levels.
#   bash scripts/fuzz.sh fuzz_level_reader 60
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=${2:-60}
corpus=build-fuzz/corpus/$name
mkdir -p "$corpus" build-fuzz/artifacts
seeds=fuzz/seeds/$name
[ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
"build-fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="build-fuzz/artifacts/$name-" "$corpus" 2>&1 \
  | grep -vE "^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED|RELOAD)|^(INFO|MS:|0x|\\x)" | tail -n 40
exit "${PIPESTATUS[0]}"
