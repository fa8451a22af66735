#!/usr/bin/env bash
# show-sample.sh BUILD_DIR: the main job on the album the build made.
set -euo pipefail
build=$1
sample="$build/samples/sample.YRA"
# Without a display (a server, a container) the viewer cannot start: show the album's contents.
if [ -x "$build/app/tavlex" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/app/tavlex" "$sample"
fi
exec "$build/tools/tavlex-album" info "$sample"
