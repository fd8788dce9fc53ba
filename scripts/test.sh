#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the fuzzers for a short
# while, the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the whole suite on the normal build (its summary closes the output).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
fuzz_seconds=${FUZZ_SECONDS:-30}

echo "==== fuzzers (${fuzz_seconds}s each)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTUMBLEON_FUZZ=ON -DTUMBLEON_WERROR=$werror
cmake --build build-fuzz
for fuzzer in build-fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  bash scripts/fuzz.sh "$(basename "$fuzzer")" "$fuzz_seconds"
done

echo "==== the simulation on a second compiler (clang): bit for bit the same"
cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTUMBLEON_BENCH=OFF -DTUMBLEON_WERROR=$werror
cmake --build build-clang --target tumbleon_sim_tests
./build-clang/tumbleon_sim_tests --gtest_brief=1

echo "==== sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUMBLEON_SANITIZE=ON -DTUMBLEON_WERROR=$werror
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j2

echo "==== tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBLEON_WERROR=$werror
cmake --build build
ctest --test-dir build --output-on-failure -j2
