#!/usr/bin/env bash
# Installs what is missing, builds the game with its generated data folder
# (build/adatok) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Everything: the data tools run as part of the whole build, not of the game's target.
cmake --build build
exec ./build/tumbleon "$@"
