#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures DIR once and builds it (only the targets named in
# TAVLEX_TARGETS, when set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
if [ ! -f "$root/$dir/build.ninja" ]; then
    cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
fi
targets=()
for t in ${TAVLEX_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$root/$dir" "${targets[@]}" -- -j"$(nproc)"
