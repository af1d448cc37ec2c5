#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, address and
# undefined-behaviour sanitizers) in ./build-fuzz, writes their seed corpora
# from media made by kel-mediagen, and runs every target for SECONDS (default
# 60), at most KEL_FUZZ_JOBS (default 6) side by side, at the lowest priority.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Corpora grow in build-fuzz/fuzz-work/corpus/<target> from run to run;
# crashing inputs land in build-fuzz/fuzz-work/findings/<run>/<target>/ and
# the logs in build-fuzz/fuzz-work/logs/<run>/ (<run>: the run's start time). Exits non-zero when a target found anything.
set -euo pipefail
cd "$(dirname "$0")/.."
SECS=${1:-60}
shift || true
JOBS=${KEL_FUZZ_JOBS:-6}
# Seconds one input may take before it counts as a hang. Generous: at the
# lowest priority on a busy machine a target can be kept waiting for tens of
# seconds, and a time-out ends its run.
TIMEOUT=${KEL_FUZZ_TIMEOUT:-300}
BUILD_DIR=${KEL_FUZZ_BUILD_DIR:-build-fuzz}

./scripts/install-deps.sh
./scripts/install-fuzz-deps.sh

# The fuzz preset (clang, KEL_FUZZ=ON, no tests or benchmarks).
KEL_PRESET=fuzz KEL_BUILD_DIR=$BUILD_DIR KEL_BUILD_TARGET=fuzz_all ./scripts/build.sh

BIN=$BUILD_DIR/fuzz
WORK=$BUILD_DIR/fuzz-work
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  for f in "$BIN"/fuzz_*; do TARGETS+=("$(basename "$f")"); done
fi

# Seed corpora from fresh sample media.
rm -rf "$WORK/media" "$WORK/seeds"
GEN_MEDIA="$BUILD_DIR/bin/kel-mediagen --channels 2 --per-day 1 --seconds 4 --repeat-gop"
$GEN_MEDIA --out "$WORK/media/v1" --pic-version 1 --seed 1 >/dev/null
$GEN_MEDIA --out "$WORK/media/v2" --pic-version 2 --seed 2 --key fuzzkey >/dev/null
$GEN_MEDIA --out "$WORK/media/qorauto" --family 1 --seed 3 --fast >/dev/null
# Camera-like recordings at a recorder's bit rate (small pictures, short).
"$BUILD_DIR/bin/kel-mediagen" --channels 1 --per-day 2 --seconds 2 --realistic --size 352x288 \
  --out "$WORK/media/realistic" --seed 4 >/dev/null
"$BIN/kel-fuzz-seeds" "$WORK/seeds" "$WORK/media/v1" "$WORK/media/v2" "$WORK/media/qorauto" "$WORK/media/realistic"

# Leaks of third-party libraries are left out as in the sanitizer runs of
# the tests (the targets that start Qt's GUI load fontconfig, for one).
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizers/lsan.supp:print_suppressions=0"

RUN=$(date -u +%Y%m%d-%H%M%S)
LOGS=$WORK/logs/$RUN
FINDINGS=$WORK/findings/$RUN
mkdir -p "$LOGS"
run_one() {
  local t=$1
  mkdir -p "$WORK/corpus/$t" "$FINDINGS/$t" "$WORK/seeds/$t"
  local start=$(date +%s)
  nice -n 19 "$BIN/$t" -max_total_time="$SECS" -timeout="$TIMEOUT" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$FINDINGS/$t/" "$WORK/corpus/$t" "$WORK/seeds/$t" >"$LOGS/$t.log" 2>&1 || true
  echo $(($(date +%s) - start)) >"$LOGS/$t.seconds"
}
echo "fuzzing ${#TARGETS[@]} targets for ${SECS} s each, ${JOBS} at a time (run $RUN)"
running=0
for t in "${TARGETS[@]}"; do
  if [ "$running" -ge "$JOBS" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_one "$t" &
  running=$((running + 1))
done
wait

# Crashes, leaks, time-outs and out-of-memory inputs are findings; inputs
# reported as slow (over 10 s, which a loaded machine can cause) are listed
# apart. Each finding is one input: run the target on it to see the report.
found=0
printf '%-24s %8s %14s %9s %6s\n' target seconds executions findings slow
for t in "${TARGETS[@]}"; do
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$LOGS/$t.log" | grep -o '[0-9]*$' | tail -1 || true)
  n=$(find "$FINDINGS/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  slow=$(find "$FINDINGS/$t" -type f -name 'slow-unit-*' | wc -l)
  printf '%-24s %8s %14s %9s %6s\n' "$t" "$(cat "$LOGS/$t.seconds")" "${execs:-?}" "$n" "$slow"
  if [ "$n" -gt 0 ]; then found=1; fi
done
exit $found
