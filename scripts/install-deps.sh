#!/usr/bin/env bash
# Installs the Debian 12 packages the game and its tests need, only those missing.
# Works as root or through sudo.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  # the window, graphics, sound, meshes, images and font
  libsdl2-dev libgl-dev libepoxy-dev libopenal-dev libvorbis-dev libassimp-dev libstb-dev
  libfreetype-dev libcairo2-dev fonts-dejavu-core
  # running the real game in tests: a virtual screen, input, screenshots, dialogs
  xvfb xauth xdotool x11-apps x11-utils x11-xserver-utils imagemagick libgl1-mesa-dri zenity xdg-utils
  # a virtual screen that changes display mode (the options page's test)
  xserver-xorg-core xserver-xorg-video-dummy
  # real third-party files the readers are tried on
  assimp-testmodels sound-theme-freedesktop alsa-utils
  # measuring the generated sounds and music (levels, spectra) by hand
  sox
  # the installed game: its desktop files checked, the package tried in a fresh Debian root
  appstream desktop-file-utils man-db debootstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
