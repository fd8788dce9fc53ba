#!/usr/bin/env bash
# The kill test: the real game, under Xvfb, rewrites score.dat and video.ini
# over and over through its own writers (the test switch TUMBLEON_WRITE_LOOP,
# round after round, each round's contents telling its number) and is killed
# with SIGKILL at a random moment, KILLS times (default 1000). After each kill
# each file must hold exactly the round it held before the write in hand or
# the round being written, never anything else; at the next start the killed
# game's temporary files must be gone and the files must read as whole.
#
#   bash scripts/kill_test.sh BUILD_DIR [KILLS]
#
# The game runs in a folder of its own under BUILD_DIR (a disk, so that the
# writes' syncs are real). The last line gives the counts.
set -euo pipefail
build="$(cd "${1:?usage: $(basename "$0") BUILD_DIR [KILLS]}" && pwd)"
kills="${2:-1000}"

if [ -z "${TUMBLEON_KILL_INSIDE:-}" ]; then
  export TUMBLEON_KILL_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work="$(mktemp -d "$build/kill-test.XXXXXX")"
folder="$work/game"
log="$work/trace.log"
game=0
cleanup() {
  set +e
  [ "$game" -gt 0 ] && { kill -KILL "$game"; wait "$game"; } 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$folder"
ln -s "$build/adatok" "$folder/adatok"
cp "$build/tumbleon" "$folder/tumbleon"

failures=0
fail() { echo "FAIL (kill $k): $*" >&2; failures=$((failures + 1)); }

# ---- The rounds' contents ----
# score.dat of round N: puzzle p's flag is bit p % 32 of N. video.ini of round
# N: 1024 x 768, N Hz, format 22 (X8R8G8B8), little-endian.

write_round() {
  local n=$1 p flags=""
  for p in $(seq 0 59); do flags+="\\x$(printf %02x $(((n >> (p % 32)) & 1)))"; done
  printf "$flags" > "$folder/score.dat"
  printf "\\x00\\x04\\x00\\x00\\x00\\x03\\x00\\x00$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) \
    $(((n >> 8) & 255)) $(((n >> 16) & 255)) $(((n >> 24) & 255)))\\x16\\x00\\x00\\x00" > "$folder/video.ini"
}

# The round score.dat holds, or "damaged".
score_round() {
  local bytes p n=0
  [ -f "$folder/score.dat" ] || { echo missing; return; }
  read -r -a bytes <<< "$(od -An -v -tu1 "$folder/score.dat" | tr -s ' \n' '  ')"
  [ "${#bytes[@]}" -eq 60 ] || { echo damaged; return; }
  for p in $(seq 0 31); do
    [ "${bytes[p]}" -le 1 ] && [ "${bytes[p + 32 < 60 ? p + 32 : p]}" -eq "${bytes[p]}" ] || { echo damaged; return; }
    n=$((n | bytes[p] << p))
  done
  echo "$n"
}

# The round video.ini holds, or "damaged".
video_round() {
  local bytes
  [ -f "$folder/video.ini" ] || { echo missing; return; }
  read -r -a bytes <<< "$(od -An -v -tu1 "$folder/video.ini" | tr -s ' \n' '  ')"
  if [ "${#bytes[@]}" -ne 16 ] || [ "${bytes[*]:0:8} ${bytes[*]:12:4}" != "0 4 0 0 0 3 0 0 22 0 0 0" ]; then
    echo damaged; return
  fi
  echo $((bytes[8] | bytes[9] << 8 | bytes[10] << 16 | bytes[11] << 24))
}

# The last round the trace reports written for a file, or "" when none.
last_written() { { grep -o "trace: wrote $1 [0-9]*" "$log" || true; } | tail -n 1 | awk '{print $4}'; }

# Waits (at most 60 s) for the trace to hold a line matching the pattern.
wait_for() {
  local waited=0
  until grep -q -- "$1" "$log"; do
    kill -0 "$game" 2> /dev/null || { fail "the game ended before: $1"; tail -5 "$log" >&2; return 1; }
    [ "$waited" -lt 3000 ] || { fail "no '$1' within 60 s"; return 1; }
    sleep 0.02; waited=$((waited + 1))
  done
}

# Temporary files beside the two files that are not the running game's own.
foreign_temporaries() {
  local t
  for t in "$folder"/score.dat.tmp* "$folder"/video.ini.tmp*; do
    [ -e "$t" ] || continue
    case "$t" in *.tmp."$game".*) ;; *) echo "$(basename "$t")" ;; esac
  done
}

start_game() {
  : > "$log"
  TUMBLEON_TRACE=1 ALSOFT_DRIVERS=null "$@" "$folder/tumbleon" --mute 2> "$log" &
  game=$!
}

# A start must take both files as whole and leave no temporary file of a killed game.
check_start() {
  local left
  left="$(foreign_temporaries)"
  [ -z "$left" ] || fail "left after the start: $left"
  if grep -q "progress file\|settings file" "$log"; then fail "the start says: $(grep "progress file\|settings file" "$log")"; fi
  if compgen -G "$folder/*.bad*" > /dev/null; then fail "a file was moved aside: $(ls "$folder")"; fi
}

write_round 0
old_s=0 old_v=0 next=1
count_old=0 count_new=0 left_behind=0 writes=0
began=$(date +%s)
for k in $(seq 1 "$kills"); do
  start_game env TUMBLEON_WRITE_LOOP="$next"
  wait_for "trace: wrote " || break
  check_start
  # The kill's moment: anywhere in the next 0.4 s of writing.
  sleep "0.$(printf %03d $((RANDOM % 400)))"
  kill -KILL "$game"
  wait "$game" 2> /dev/null || true
  game=0

  # Each file: the round before the write in hand, or the round being written.
  for file in score.dat video.ini; do
    if [ "$file" = score.dat ]; then now="$(score_round)" old=$old_s; else now="$(video_round)" old=$old_v; fi
    last="$(last_written "$file")"
    if [ -z "$last" ]; then before=$old in_hand=$next; else before=$last in_hand=$((last + 1)); fi
    if [ "$now" = "$before" ]; then count_old=$((count_old + 1))
    elif [ "$now" = "$in_hand" ]; then count_new=$((count_new + 1))
    else fail "$file holds '$now', neither round $before nor $in_hand"; write_round "$next"; now=$next
    fi
    if [ "$file" = score.dat ]; then old_s=$now; else old_v=$now; fi
  done
  if [ -n "$(foreign_temporaries)" ]; then left_behind=$((left_behind + 1)); fi
  writes=$((writes + $(grep -c "trace: wrote " "$log" || true)))
  next=$(((old_s > old_v ? old_s : old_v) + 1))
  if [ $((k % 100)) -eq 0 ]; then echo "$k kills, $failures failures, $(($(date +%s) - began)) s"; fi
done

# One more start, without the switch: nothing left of the last kill.
start_game env
wait_for "trace: started" && check_start
kill -KILL "$game"; wait "$game" 2> /dev/null || true; game=0

echo "kill test: $kills kills in $(($(date +%s) - began)) s, $writes writes; after a kill the files" \
     "held the old round $count_old times and the new one $count_new times (of $((2 * kills)));" \
     "$left_behind kills left a temporary file behind (each to be gone at the next start); $failures failures"
[ "$failures" -eq 0 ]
