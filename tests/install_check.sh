#!/usr/bin/env bash
# The installed game's layout, checked in a scratch staging folder:
# `cmake --install` lays out the program, its data, the menu entry, the icons,
# the man page and the AppStream file where a desktop looks for them; each of
# those is valid to its own checker and names the others rightly; and the
# installed program starts (under Xvfb) with its data found in share/tumbleon.
#
#   bash tests/install_check.sh BUILD_DIR          (ctest runs this as installed_files)
set -euo pipefail

build="$(cd "${1:?usage: install_check.sh BUILD_DIR}" && pwd)"
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$stage" cmake --install "$build" --prefix /usr > "$stage.log" 2>&1 || { cat "$stage.log"; exit 1; }
rm -f "$stage.log"
usr="$stage/usr"

# ---- The layout ----
[ -x "$usr/bin/tumbleon" ] || fail "no program bin/tumbleon"
data="$usr/share/tumbleon/adatok"
for file in kepek_hun/fontok.tga kepek_hun/ikon_nagy.tga 3dx/kocka_talaj.x sfx.pck golyo.ogg Vandrel_Logo.tga; do
  [ -s "$data/$file" ] || fail "no data file share/tumbleon/adatok/$file"
done
[ "$(ls "$data/palyak_hun"/*.tm3 2> /dev/null | wc -l)" = 60 ] || fail "share/tumbleon/adatok/palyak_hun holds no 60 puzzles"
entry="$usr/share/applications/tumbleon.desktop"
manual="$usr/share/man/man6/tumbleon.6"
metainfo=$(ls "$usr"/share/metainfo/*.metainfo.xml 2> /dev/null | head -1)
for file in "$entry" "$manual" "$metainfo"; do [ -s "$file" ] || fail "missing: ${file#$stage}"; done

# Every hicolor size a PNG of exactly that size (width and height at bytes 16..23).
for size in 16 22 24 32 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/tumbleon.png"
  if [ ! -s "$icon" ]; then fail "no ${size}x${size} icon"; continue; fi
  [ "$(head -c 8 "$icon" | od -An -tx1 | xargs)" = "89 50 4e 47 0d 0a 1a 0a" ] || fail "${size}x${size} icon: not a PNG"
  [ "$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
    fail "${size}x${size} icon: wrong size"
done

# ---- Each file valid, and naming the others rightly ----
desktop-file-validate "$entry" || fail "desktop-file-validate rejects tumbleon.desktop"
appstreamcli validate --no-net --pedantic "$metainfo" > "$stage/appstream.txt" 2>&1 ||
  { cat "$stage/appstream.txt"; fail "appstreamcli rejects ${metainfo##*/}"; }
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$usr/bin/${exec_line%% *}" ] || fail "the menu entry runs '$exec_line', not an installed program"
[ -n "$(find "$usr/share/icons" -name "$(sed -n 's/^Icon=//p' "$entry").png")" ] || fail "the menu entry's icon is not installed"
grep -q "<launchable type=\"desktop-id\">tumbleon.desktop</launchable>" "$metainfo" ||
  fail "the AppStream file does not launch tumbleon.desktop"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manual" 2>&1 > /dev/null) || true
[ -z "$warnings" ] || fail "the man page has warnings: $warnings"
# Every option the program's usage line names is in the man page.
usage=$(grep -o 'usage: tumbleon[^"]*' "$source_dir/main/main.cpp")
for option in $(grep -o -- '--[a-z-]*' <<< "$usage"); do
  grep -qF -- "${option//-/\\-}" "$manual" || fail "the man page does not describe $option"
done

# ---- The installed program finds its data in ../share/tumbleon ----
trace=$(xvfb-run -a -s "-screen 0 1024x768x24" env TUMBLEON_TRACE=1 "$usr/bin/tumbleon" --frame-bench 0.02 2>&1) ||
  { echo "$trace" | tail -5; fail "the installed program does not run"; }
grep -q "trace: files data=$usr/share/tumbleon " <<< "$trace" || fail "the installed program did not take its data from share/tumbleon"

[ "$failures" -eq 0 ] || exit 1
echo "installed files: passed"
