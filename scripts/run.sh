#!/usr/bin/env bash
# Installs what is missing, builds, and shows the bundled sample album.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" build
exec bash "$root/scripts/show-sample.sh" "$root/build"
