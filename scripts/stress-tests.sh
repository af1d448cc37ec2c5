#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds once, then runs the whole test suite repeatedly under load, to show
# tests that pass alone but fail when the machine is busy.
#
#   scripts/stress-tests.sh [RUNS] [PINNED_RUNS]
#   scripts/stress-tests.sh --busy [RUNS]
#
# RUNS (default 10) runs with `ctest -j` at twice the number of cores;
# PINNED_RUNS (default 3) runs with the whole suite pinned to the cores of
# KEL_STRESS_CORES (a taskset list, default "0,1"; "0" pins it to one core)
# at four tests at a time.
#
# --busy: RUNS (default 5) runs of the whole suite (`ctest -j` at the number
# of cores, as scripts/test.sh runs it) while busy processes at the tests'
# own priority occupy every core several times over: KEL_STRESS_BUSY_PER_CORE
# (default 5) endless loops per core, started before the first run and ended
# after the last. Each run prints its time and the load average.
#
# Every failure is printed with its run, and each failing test's own output
# is written to a log of its own (named with its path); the exit status is 1
# when any run failed.
set -uo pipefail
cd "$(dirname "$0")/.."
BUSY=0
if [ "${1:-}" = "--busy" ]; then
    BUSY=1
    shift
fi
RUNS=${1:-$([ "$BUSY" -eq 1 ] && echo 5 || echo 10)}
PINNED=${2:-3}
./scripts/install-deps.sh
./scripts/build.sh || exit 1
BUILD_DIR=${KEL_BUILD_DIR:-build}
cd "$BUILD_DIR" || exit 1
CORES=$(nproc)
LOGS=$(mktemp -d "${TMPDIR:-/tmp}/kel-stress.XXXXXX")
failed=0

# The output of each failed test of the last ctest run (from ctest's own
# log of it) into $LOGS/<run>.<test>.log, with the path printed.
failed_test_logs() {
    local name=$1 test
    local last=Testing/Temporary/LastTest.log
    [ -f Testing/Temporary/LastTestsFailed.log ] || return 0
    while IFS=: read -r _ test; do
        [ -n "$test" ] || continue
        local out="$LOGS/$name.$test.log"
        awk -v t="$test" '
            $0 ~ "^[0-9]+/[0-9]+ Testing: " t "$" { on = 1 }
            on { print }
            on && $0 ~ "^\"" t "\" end time" { on = 0 }' "$last" >"$out"
        echo "  $test: log $out"
        grep -E '^\[  FAILED  \]|Failure|rror|WARNING: ThreadSanitizer|ERROR: AddressSanitizer' "$out" | head -n 12 |
            sed 's/^/    /'
    done <Testing/Temporary/LastTestsFailed.log
}

run() {
    local name=$1; shift
    local log="$LOGS/$name.log"
    local start=$SECONDS
    rm -f Testing/Temporary/LastTestsFailed.log
    if "$@" ctest --no-tests=error --output-on-failure --timeout 900 -j "$JOBS" >"$log" 2>&1; then
        echo "$name: passed ($((SECONDS - start)) s, load average $(cut -d' ' -f1-3 /proc/loadavg))"
    else
        failed=1
        echo "$name: FAILED ($((SECONDS - start)) s, load average $(cut -d' ' -f1-3 /proc/loadavg)), log $log"
        sed -n '/The following tests FAILED/,$p' "$log"
        failed_test_logs "$name"
    fi
}

if [ "$BUSY" -eq 1 ]; then
    PER_CORE=${KEL_STRESS_BUSY_PER_CORE:-5}
    BUSY_PIDS=()
    stop_busy() {
        [ "${#BUSY_PIDS[@]}" -gt 0 ] && kill "${BUSY_PIDS[@]}" 2>/dev/null
        wait "${BUSY_PIDS[@]}" 2>/dev/null
        BUSY_PIDS=()
    }
    trap stop_busy EXIT
    trap 'exit 130' INT TERM
    for _ in $(seq 1 $((CORES * PER_CORE))); do
        bash -c 'while :; do :; done' &
        BUSY_PIDS+=($!)
    done
    echo "$((CORES * PER_CORE)) busy processes on $CORES cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
    JOBS=$CORES
    for i in $(seq 1 "$RUNS"); do run "busy$i" env; done
    stop_busy
    [ "$failed" -eq 0 ] && echo "all runs passed" || echo "some runs failed (logs in $LOGS)"
    exit "$failed"
fi

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
