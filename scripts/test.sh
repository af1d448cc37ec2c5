#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds everything and runs every test, with the
# presets of CMakePresets.json.
#
#   scripts/test.sh                      the normal build (preset default,
#                                        ./build) and its tests
#   scripts/test.sh --sanitize address   AddressSanitizer, LeakSanitizer and
#                                        UndefinedBehaviorSanitizer (preset
#                                        asan, ./build-asan)
#   scripts/test.sh --sanitize thread    ThreadSanitizer (preset tsan,
#                                        ./build-tsan)
#
# KEL_BUILD_DIR names another build folder, KEL_BUILD_JOBS the number of
# compilers (see scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

SANITIZE=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) SANITIZE=${2:-}; shift 2 || { echo "--sanitize needs address or thread" >&2; exit 2; } ;;
    --sanitize=*) SANITIZE=${1#--sanitize=}; shift ;;
    *) echo "usage: $0 [--sanitize address|thread]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh

# ctest's arguments for the tests of preset $1: the test preset in the
# preset's own folder, another folder (KEL_BUILD_DIR) as it is.
ctest_args() {
  local preset_dir=build
  [ "$1" = default ] || preset_dir=build-$1
  if [ "${KEL_BUILD_DIR:-$preset_dir}" = "$preset_dir" ]; then
    CTEST=(--preset "$1")
  else
    CTEST=(--test-dir "$KEL_BUILD_DIR")
  fi
  CTEST+=(--output-on-failure --no-tests=error)
}

if [ -z "$SANITIZE" ]; then
  KEL_PRESET=default ./scripts/build.sh
  ctest_args default
  ctest "${CTEST[@]}" -j "$(nproc)"
  # No two targets depend on each other, directly or round a circle.
  ./scripts/check-target-graph.sh "${KEL_BUILD_DIR:-build}"
  exit 0
fi

SUPP="$PWD/scripts/sanitizers"
case "$SANITIZE" in
  address)
    PRESET=asan
    # Allocation stacks are taken by frame pointers and kept three frames deep:
    # the leak suppressions then match where a block was allocated and nothing
    # further up its stack (see lsan.supp), and the suite stays fast (the
    # exact unwinder on every allocation made single tests take a quarter of
    # an hour). Reports of bad accesses keep their whole stack. The test
    # presets carry the same options for ctest run by hand.
    export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:fast_unwind_on_malloc=1:malloc_context_size=3"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$SUPP/ubsan.supp"
    export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0"
    ;;
  thread)
    PRESET=tsan
    export TSAN_OPTIONS="suppressions=$SUPP/tsan.supp:halt_on_error=0:second_deadlock_stack=1:history_size=4"
    ;;
  *) echo "unknown sanitizer '$SANITIZE' (address or thread)" >&2; exit 2 ;;
esac

# A sanitized build is a full build of its own: share the machine.
KEL_PRESET=$PRESET KEL_BUILD_JOBS=${KEL_BUILD_JOBS:-6} nice ./scripts/build.sh

# Sanitized code runs several times slower: the tests' time limits grow with
# KEL_SANITIZE (cmake/KelHelpers.cmake); their checks stay as they are.
ctest_args "$PRESET"
status=0
start=$SECONDS
nice ctest "${CTEST[@]}" -j "${KEL_TEST_JOBS:-6}" --test-output-size-failed 200000 || status=1
cd "${KEL_BUILD_DIR:-build-$PRESET}"
echo "the suite under the $SANITIZE sanitizer took $((SECONDS - start)) s"

# The suppression files must not hide a fault of ours: programs with a
# deliberate one, run below third-party code, must be reported.
expect_report() {
  local program=$1; shift
  local out
  out=$("./sanitizer-checks/$program" 2>&1) && { echo "$program: not reported (exit 0)" >&2; return 1; }
  for words in "$@"; do
    if ! grep -qF -- "$words" <<<"$out"; then
      echo "$program: the report lacks \"$words\"; it was:" >&2
      echo "$out" >&2
      return 1
    fi
  done
  echo "$program: reported as it must be"
}
case "$SANITIZE" in
  address)
    expect_report sanitizer_check_leak "ERROR: LeakSanitizer: detected memory leaks" \
      "Direct leak of 4096 byte(s)" "paintEvent" || status=1
    ;;
  thread)
    expect_report sanitizer_check_race "WARNING: ThreadSanitizer: data race" "g_runCounter" \
      "g_slotCounter" "ThreadSanitizer: reported 2 warnings" || status=1
    ;;
esac
exit $status
