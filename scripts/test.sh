#!/usr/bin/env bash
# Sets up, builds and runs every test: the full build; each fuzz target for 10 seconds; the
# core's tests under ThreadSanitizer; then the full build again, Debug, under
# AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

scripts/fuzz.sh 10

# The core's tests, the overview's worker among them, under ThreadSanitizer. Qt stays out:
# Debian's is not built for it, and its own code would be all that is reported.
scripts/build.sh build-tsan -DRASTEL_CORE_ONLY=ON -DRASTEL_TSAN=ON
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j "$jobs" --timeout 600

# The sanitizer build is the only Debug build: it checks the whole suite, widget tests too.
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DRASTEL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1 \
UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600
