#!/usr/bin/env bash
# fuzz-smoke.sh BUILD_DIR SECONDS: runs every fuzz target briefly from its seeds and findings
# and prints how many inputs a second it ran. The run is repeatable: a fixed random seed and a
# fixed number of inputs (TAVLEX_FUZZ_RUNS), with SECONDS as an upper bound, so the same code
# gives the same verdict here and in CI. Longer exploratory runs: call the target directly
# without -seed, with the same -max_len.
set -euo pipefail
build=$1
seconds=$2
shopt -s nullglob

# The longest input each target is given: real pages are larger, but the records that go wrong
# fit in a few kilobytes, and longer inputs only slow every run down.
max_len() {
    case $1 in
        fuzz_album) echo 16384 ;;
        *) echo 4096 ;;
    esac
}

for target in "$build"/tests/fuzz/fuzz_*; do
    # The folder also holds each target's seed copy and moc folder, named fuzz_* as well.
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    seeds="$build/tests/fuzz/${name}_seeds"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/ 2>/dev/null || true
    echo "fuzzing $name: ${TAVLEX_FUZZ_RUNS:-200000} inputs, at most ${seconds}s, -max_len=$(max_len "$name")"
    UBSAN_OPTIONS=print_stacktrace=1 "$target" -seed="${TAVLEX_FUZZ_SEED:-1}" \
        -runs="${TAVLEX_FUZZ_RUNS:-200000}" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -max_len="$(max_len "$name")" -print_final_stats=1 \
        -artifact_prefix="$corpus/" "$corpus" \
        >"$corpus.log" 2>&1 || { tail -n 60 "$corpus.log"; exit 1; }
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$corpus.log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$corpus.log")
    echo "  $name: ${runs:-?} inputs, ${rate:-?} inputs/s"
    rm -rf "$corpus" "$corpus.log"
done
