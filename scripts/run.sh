#!/usr/bin/env bash
# Sets up, builds and shows FILE (by default the renderer's own executable).
# With a display and the viewer built, the viewer opens; otherwise the picture is rendered
# to a PNG and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
scripts/build.sh build >&2

file=${1:-build/src/cli/rastel-render}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/startup/rastel ]; then
  exec build/src/startup/rastel "$file"
fi
out=${RASTEL_OUT:-$(mktemp -d)/$(basename "$file").png}
build/src/cli/rastel-render -o "$out" "$file"
echo "The picture of $file is in $out"
