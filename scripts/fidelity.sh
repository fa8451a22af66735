#!/usr/bin/env bash
# fidelity.sh [BUILD_DIR] [--quiet]: renders every referenced corpus file at its reference size
# (one process) and scores it against the reference (one Python process).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
shared=$(cd "$root/../shared" 2>/dev/null && pwd) || {
    echo "fidelity: ../shared is absent; nothing to score" >&2
    exit 0
}
renderer="$build/tools/fidelity/tavlex-fidelity-render"
if [ ! -x "$renderer" ]; then
    cmake --build "$build" --target tavlex-fidelity-render >/dev/null
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
QT_QPA_PLATFORM=offscreen TAVLEX_SCREEN_DPI=96 \
    "$renderer" "$shared/corpus/reference/REFERENCE.tsv" "$shared/corpus/metafiles" "$out/png" \
    >"$out/render.tsv"
/usr/bin/python3 "$root/bench/metafile/fidelity_scores.py" "$shared" "$out/png" "$out/render.tsv" "$@"
