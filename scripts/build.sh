#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [CMAKE_OPTION]...
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
# At most one job per core: the machine is shared.
cmake --build "$dir" -j "${RASTEL_JOBS:-$(nproc)}"
