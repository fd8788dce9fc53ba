#!/usr/bin/env bash
# The Debian package as a player meets it: the package is built (cpack -G DEB),
# installed with apt into a fresh Debian 12 root (debootstrap, minbase) which
# fetches its dependencies from the mirror, and the game is started in that
# root from its menu entry's command (the Exec line of tumbleon.desktop) under
# Xvfb, as a user whose home is empty. The first puzzle is then solved with
# the mouse, waiting on the game's TUMBLEON_TRACE=1 reports, and the progress
# must be kept in the user's XDG folder: ~/.local/share/tumbleon/score.dat
# with byte 0 = 1 (and the settings in ~/.config/tumbleon/video.ini).
#
#   bash scripts/package_check.sh [BUILD_DIR]      (as root; default: build)
#
# Not part of the quick suite: it needs root (debootstrap, chroot, mounts), the
# network to a Debian mirror, Xvfb and xdotool, and takes a few minutes. The
# fresh root made by debootstrap is kept as a tarball (PACKAGE_CHECK_BASE,
# default /var/cache/tumbleon/bookworm-minbase.tar) and unpacked afresh on
# every run; remove it to debootstrap again. PACKAGE_CHECK_MIRROR names the
# mirror (default http://deb.debian.org/debian).
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$source_dir/build}" && pwd)"
mirror="${PACKAGE_CHECK_MIRROR:-http://deb.debian.org/debian}"
base="${PACKAGE_CHECK_BASE:-/var/cache/tumbleon/bookworm-minbase.tar}"

[ "$(id -u)" = 0 ] || { echo "package_check: run as root (debootstrap, chroot and mounts need it)" >&2; exit 2; }
for tool in debootstrap chroot Xvfb xdotool cpack; do
  command -v "$tool" > /dev/null || { echo "package_check: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 2; }
done

work="$(mktemp -d /tmp/tumbleon-package.XXXXXX)"
root="$work/root"
log="$work/trace.log"
mounts=() xvfb=0 failures=0 mark=0
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Processes running inside the root: the game and whatever it started.
inside_root() {
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2> /dev/null)" = "$root" ] && echo "${proc#/proc/}"
  done
  true
}
cleanup() {
  set +e
  local pids i
  pids=$(inside_root)
  [ -z "$pids" ] || { kill $pids; sleep 1; pids=$(inside_root); [ -z "$pids" ] || kill -9 $pids; }
  [ "$xvfb" -gt 0 ] && { kill "$xvfb"; wait "$xvfb"; } 2> /dev/null
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}"; done
  [ -f "$log" ] && cp "$log" "$build/package_check_trace.log"
  rm -rf "$work"
  true
}
trap cleanup EXIT

# ---- 1. The package ----
step "building the package in $build"
nice cmake --build "$build" > "$work/build.log" 2>&1 || { tail -20 "$work/build.log"; exit 1; }
(cd "$build" && rm -f tumbleon_*.deb && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/tumbleon_*.deb)
dpkg-deb -f "$deb" Package Version Depends Recommends

# ---- 2. A fresh Debian 12 root ----
if [ ! -s "$base" ]; then
  step "debootstrap bookworm (minbase) from $mirror"
  nice debootstrap --variant=minbase bookworm "$root" "$mirror" > "$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log"; exit 1; }
  mkdir -p "$(dirname "$base")"
  tar -C "$root" -cf "$base.part" . && mv "$base.part" "$base"
else
  step "unpacking a fresh root from $base"
  mkdir -p "$root"
  tar -C "$root" -xf "$base"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc" && mounts+=("$root/proc")
mount -t sysfs sysfs "$root/sys" && mounts+=("$root/sys")
mount --bind /dev "$root/dev" && mounts+=("$root/dev")
mkdir -p /tmp/.X11-unix "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" && mounts+=("$root/tmp/.X11-unix")

# ---- 3. The package installed with apt, which brings its dependencies ----
step "apt-get install ./$(basename "$deb") (without recommended packages)"
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update > "$work/apt.log" 2>&1 || { tail -20 "$work/apt.log"; exit 1; }
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  "/tmp/$(basename "$deb")" >> "$work/apt.log" 2>&1 || { tail -30 "$work/apt.log"; exit 1; }
grep -E "^[0-9]+ upgraded, [0-9]+ newly installed" "$work/apt.log"
chroot "$root" dpkg -s tumbleon | grep -E "^(Status|Version):"

# ---- 4. A player with an empty home, and the menu entry's command ----
mkdir -p "$root/tmp/empty-skeleton"
chroot "$root" useradd --create-home --skel /tmp/empty-skeleton --shell /bin/sh player
home="$root/home/player"
[ -z "$(ls -A "$home")" ] || fail "the player's home is not empty: $(ls -A "$home")"
entry="$root/usr/share/applications/tumbleon.desktop"
[ -f "$entry" ] || { fail "no menu entry $entry"; exit 1; }
command=$(sed -n 's/^Exec=//p' "$entry" | head -1 | sed 's/ *%[fFuUdDnNickvm]//g')
step "menu entry's command: $command"

# ---- 5. Xvfb, and the game started as the player ----
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -ac > "$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
xset -r 2> /dev/null || true  # no key auto-repeat: one press, one message
: > "$log"
chroot "$root" runuser -u player -- env -i HOME=/home/player USER=player LOGNAME=player \
  PATH=/usr/local/bin:/usr/bin:/bin:/usr/games DISPLAY="$DISPLAY" TUMBLEON_TRACE=1 \
  sh -c "cd && exec $command" 2>> "$log" &
game=$!

images="$source_dir/data/ui/images.txt"
width() { awk -v f="kepek_hun/$1.tga" '$1 == f { print $3 }' "$images"; }
height() { awk -v f="kepek_hun/$1.tga" '$1 == f { print $4 }' "$images"; }
W=1024 H=768 CX=512 CY=384
wait_limit=30
source "$source_dir/tests/e2e/steer.sh"

step "the game starts"
wait_for "trace: files " 60
echo "   ${found#trace: }"
[[ "$found" == *"progress=/home/player/.local/share/tumbleon/score.dat settings=/home/player/.config/tumbleon/video.ini"* ]] ||
  fail "the player's files are not in the XDG folders: $found"
wait_for "screen=Splash.*splash=1" 120; xdotool key space
wait_for "screen=Splash.*splash=3"; xdotool key space
wait_for "shown screen=MainMenu page=Main"

# ---- 6. Puzzle 1, irany_a_cel: the plastic ball onto its start cube, sent along +x ----
step "solving the first puzzle with the mouse"
go $CX $((CY - 50 + $(height fomenu_inditas) / 2)) 10001 "page=PuzzleSelect"
go $((CX - 160 + 5)) $((CY - 80 + 10)) 10100 "shown screen=Play.*level=irany_a_cel"
# The board is 7 x 3 x 5: cell (x, y, z) is x + 7 (y + 3 z), 105 cells; stock
# items are 105 + kind (the plastic ball is kind 14); the ball's arrows 125..128.
read -r x y < <(where stock14)
click "$x" "$y" 119                     # the plastic ball from the stock
read -r x y < <(where top50)
seek 50 "$x" "$y"                       # onto the start cube at (1, 1, 2)
point 300 5 -1
if ! grep "trace: scene " "$log" | tail -1 | grep -q " arrow127="; then
  read -r x y < <(where arrow125)
  click "$x" "$y" 125                   # the four-way arrow: the four to choose from
  point 300 5 -1
fi
read -r x y < <(where arrow127)
click "$x" "$y" 127                     # towards +x
point 300 5 -1
go "$((W - 10 - $(width menu_guritas) + $(width menu_guritas) / 2))" $((10 + $(height menu_guritas) / 2)) 10011 \
  "screen=Run.*dialog=3" 60
echo "   solved: the result box is shown"
set_mark; xdotool key Escape
for _ in $(seq 200); do kill -0 "$game" 2> /dev/null || break; sleep 0.05; done
code=0
wait "$game" || code=$?
[ "$code" = 0 ] || fail "the game ended with status $code"

# ---- 7. What the game kept ----
step "the player's home after the game"
(cd "$home" && find . -mindepth 1 -not -path './.cache/*' | sort | sed 's/^/   /')
echo "   ($(find "$home/.cache" -type f 2> /dev/null | wc -l) files of Mesa's shader cache under .cache)"
score="$home/.local/share/tumbleon/score.dat"
if [ -f "$score" ]; then
  [ "$(stat -c %s "$score")" = 60 ] || fail "score.dat holds $(stat -c %s "$score") bytes, not 60"
  [ "$(head -c 1 "$score" | od -An -tu1 | xargs)" = 1 ] || fail "score.dat does not record puzzle 1 as solved"
  echo "   score.dat: $(od -An -tu1 -v "$score" | xargs)"
else
  fail "no ~/.local/share/tumbleon/score.dat"
fi
[ "$(stat -c %s "$home/.config/tumbleon/video.ini" 2> /dev/null)" = 16 ] || fail "no 16-byte ~/.config/tumbleon/video.ini"
# Nothing new beside the program or in its data (the skeleton was made after the install).
stray=$(find "$root/usr/bin" "$root/usr/share/tumbleon" -newer "$root/tmp/empty-skeleton" | sed "s|^$root||")
[ -z "$stray" ] || fail "the game wrote beside itself: $stray"

[ "$failures" -eq 0 ] || { echo "package check: $failures failure(s); trace in $build/package_check_trace.log" >&2; exit 1; }
echo "package check: passed"
