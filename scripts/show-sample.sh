#!/usr/bin/env bash
# show-sample.sh BUILD_DIR: the main job on the album the build made.
set -euo pipefail
build=$1
sample="$build/samples/sample.YRA"
if [ -x "$build/app/tavlex" ]; then
    exec "$build/app/tavlex" "$sample"
fi
exec "$build/tools/tavlex-album" info "$sample"
