#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test: the full suite,
# the parsing tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and a short run
# of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/format-check.sh"
export QT_QPA_PLATFORM=offscreen
export TAVLEX_SCREEN_DPI=96
jobs=$(nproc)

bash "$root/scripts/build.sh" build-asan -DTAVLEX_GUI=OFF -DTAVLEX_SANITIZE=ON -DTAVLEX_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 ctest -L parsing --output-on-failure -j"$jobs")

TAVLEX_TARGETS=fuzzers CC=clang CXX=clang++ bash "$root/scripts/build.sh" build-fuzz -DTAVLEX_GUI=OFF -DTAVLEX_FUZZ=ON -DTAVLEX_BENCH=OFF
bash "$root/scripts/fuzz-smoke.sh" "$root/build-fuzz" "${TAVLEX_FUZZ_SECONDS:-600}"

bash "$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure -j"$jobs")
