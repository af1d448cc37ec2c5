#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds once, then runs the whole test suite repeatedly under load, to show
# tests that pass alone but fail when the machine is busy.
#
#   scripts/stress-tests.sh [RUNS] [PINNED_RUNS]
#
# RUNS (default 10) runs with `ctest -j` at twice the number of cores;
# PINNED_RUNS (default 3) runs with the whole suite pinned to the cores of
# KEL_STRESS_CORES (a taskset list, default "0,1"; "0" pins it to one core)
# at four tests at a time. Every failure is printed with its run; the exit
# status is 1 when any run failed.
set -uo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-10}
PINNED=${2:-3}
./scripts/install-deps.sh
./scripts/build.sh || exit 1
BUILD_DIR=${KEL_BUILD_DIR:-build}
cd "$BUILD_DIR" || exit 1
CORES=$(nproc)
LOGS=$(mktemp -d "${TMPDIR:-/tmp}/kel-stress.XXXXXX")
failed=0
run() {
    local name=$1; shift
    local log="$LOGS/$name.log"
    local start=$SECONDS
    if "$@" ctest --no-tests=error --output-on-failure --timeout 900 -j "$JOBS" >"$log" 2>&1; then
        echo "$name: passed ($((SECONDS - start)) s)"
    else
        failed=1
        echo "$name: FAILED ($((SECONDS - start)) s), log $log"
        sed -n '/The following tests FAILED/,$p' "$log"
    fi
}
JOBS=$((CORES * 2))
for i in $(seq 1 "$RUNS"); do run "run$i" env; done
PIN=${KEL_STRESS_CORES:-0,1}
if command -v taskset >/dev/null 2>&1 && taskset -c "$PIN" true 2>/dev/null; then
    JOBS=4
    for i in $(seq 1 "$PINNED"); do run "pinned$i" taskset -c "$PIN"; done
else
    echo "taskset missing or cores $PIN not available: the pinned runs were skipped"
fi
[ "$failed" -eq 0 ] && echo "all runs passed" || echo "some runs failed (logs in $LOGS)"
exit "$failed"
