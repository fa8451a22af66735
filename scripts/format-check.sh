#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ source or header is not as clang-format writes it
# (.clang-format at the top). Cheap, so the test command runs it before building anything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
# One run over all files; each complaint starts with the file's name.
if ! report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    echo "Not clang-formatted (run: clang-format -i FILE):" >&2
    grep -oE '^[^:]+:[0-9]+:[0-9]+: (error|warning)' <<<"$report" | cut -d: -f1 | sort -u |
        sed 's/^/    /' >&2
    exit 1
fi
echo "Formatting: ${#files[@]} files checked"
