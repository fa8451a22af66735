#!/usr/bin/env bash
# fuzz-smoke.sh BUILD_DIR SECONDS: runs every fuzz target briefly from its seed corpus.
set -euo pipefail
build=$1
seconds=$2
shopt -s nullglob
for target in "$build"/tests/fuzz/fuzz_*; do
    # The folder also holds each target's seed copy and moc folder, named fuzz_* as well.
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    seeds="$build/tests/fuzz/${name}_seeds"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/ 2>/dev/null || true
    echo "fuzzing $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
        -artifact_prefix="$corpus/" "$corpus" \
        >"$corpus.log" 2>&1 || { tail -n 60 "$corpus.log"; exit 1; }
    rm -rf "$corpus" "$corpus.log"
done
