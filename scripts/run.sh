#!/usr/bin/env bash
# Installs what is missing, builds, and shows the bundled sample album.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build
exec "$root/scripts/show-sample.sh" "$root/build"
