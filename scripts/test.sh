#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
#
#   scripts/test.sh                      the normal build (./build) and its tests
#   scripts/test.sh --sanitize address   AddressSanitizer, LeakSanitizer and
#                                        UndefinedBehaviorSanitizer (./build-asan)
#   scripts/test.sh --sanitize thread    ThreadSanitizer (./build-tsan)
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

if [ -z "$SANITIZE" ]; then
  ./scripts/build.sh
  BUILD_DIR=${KEL_BUILD_DIR:-build}
  cd "$BUILD_DIR"
  ctest --output-on-failure --no-tests=error -j "$(nproc)"
  exit 0
fi

SUPP="$PWD/scripts/sanitizers"
case "$SANITIZE" in
  address)
    FLAGS="address,undefined"
    export KEL_BUILD_DIR=${KEL_BUILD_DIR:-build-asan}
    export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:fast_unwind_on_malloc=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$SUPP/ubsan.supp"
    export LSAN_OPTIONS="suppressions=$SUPP/lsan.supp:print_suppressions=0"
    ;;
  thread)
    FLAGS="thread"
    export KEL_BUILD_DIR=${KEL_BUILD_DIR:-build-tsan}
    export TSAN_OPTIONS="suppressions=$SUPP/tsan.supp:halt_on_error=0:second_deadlock_stack=1:history_size=4"
    ;;
  *) echo "unknown sanitizer '$SANITIZE' (address or thread)" >&2; exit 2 ;;
esac

# A sanitized build is a full build of its own: share the machine.
KEL_BUILD_JOBS=${KEL_BUILD_JOBS:-6} nice ./scripts/build.sh \
  -DKEL_SANITIZE="$FLAGS" -DKEL_BUILD_BENCH=OFF

# Sanitized code runs several times slower: the tests' time limits grow with
# KEL_SANITIZE (cmake/KelHelpers.cmake); their checks stay as they are.
cd "$KEL_BUILD_DIR"
nice ctest --output-on-failure --no-tests=error -j "${KEL_TEST_JOBS:-6}" \
  --test-output-size-failed 200000
