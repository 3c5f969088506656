#!/usr/bin/env bash
# Sets up, builds and runs every test: the full build, then the core again under ASan+UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DRASTEL_CORE_ONLY=ON -DRASTEL_SANITIZE=ON
ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600
