#!/usr/bin/env bash
# Plants each fault listed in tests/mutants.txt, one at a time, into a copy of the tree kept in
# build-mutants/ (its own incremental build, without unity batches), runs the test suite on it
# and prints per fault whether it was killed or survived, then "killed K of N".
#   scripts/mutants.sh              every fault; each runs the tests its entry names, or all
#   scripts/mutants.sh 3 17         only those entries
#   scripts/mutants.sh --all-tests  the whole suite for every fault
#   scripts/mutants.sh --check      only check that each fault's text occurs once
#   scripts/mutants.sh --who --exclude REGEX
#                                   every test for each fault, naming those that failed, with
#                                   the tests REGEX matches left out
# RASTEL_JOBS sets the compile jobs (default 1), RASTEL_TEST_JOBS the test jobs (default the
# same). Slow: not part of .ci/run.
set -euo pipefail
exec nice python3 "$(dirname "$0")/mutants.py" "$@"
