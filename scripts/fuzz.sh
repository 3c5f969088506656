#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time on a copy of its corpus:
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET]...
# Targets: decoder bmp_writer field_rules render_options command_line pictures (all by default); 25 seconds each,
# one target per core at a time.
# Inputs found new are left in the copy, so runs never grow fuzz/corpus; crashes are written to
# build-fuzz/crashes/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(decoder bmp_writer field_rules render_options command_line pictures)

nice -n 10 scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DRASTEL_FUZZ=ON
mkdir -p build-fuzz/crashes
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target per core at a time; each reports when it ends.
run() {
  local t=$1 log="$work/$1.log"
  cp -r "fuzz/corpus/$t" "$work/$t"
  local options=(-max_total_time="$seconds" -runs=50000000 -timeout=20 -rss_limit_mb=2048
                 -max_len=4096 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t-")
  [ -f "fuzz/$t.dict" ] && options+=(-dict="fuzz/$t.dict")
  if nice -n 10 "build-fuzz/fuzz/fuzz_$t" "${options[@]}" "$work/$t" >"$log" 2>&1; then
    echo "fuzz $t: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions in ${seconds}s, no crash"
  else
    tail -n 40 "$log"
    echo "fuzz $t: FAILED; the input is in build-fuzz/crashes/ (see README, Fuzzing)" >&2
    return 1
  fi
}

lanes=${RASTEL_JOBS:-$(nproc)}
pids=()
failed=0
for t in "${targets[@]}"; do
  run "$t" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$lanes" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
exit $failed
