#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds the tree with a preset of CMakePresets.json: everything,
# or only the target named by KEL_BUILD_TARGET (scripts/run.sh: kel-run).
#
#   KEL_PRESET      the preset (default, asan, tsan, fuzz; default: default)
#   KEL_BUILD_DIR   the build folder (default: the preset's, ./build for the
#                   default preset, ./build-<preset> for the others)
#   KEL_BUILD_JOBS  the number of compilers run side by side (default: one per
#                   core)
# Further arguments go to the configuration (-DNAME=VALUE ...).
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET=${KEL_PRESET:-default}
case "$PRESET" in
  default) PRESET_DIR=build ;;
  *) PRESET_DIR=build-$PRESET ;;
esac
BUILD_DIR=${KEL_BUILD_DIR:-$PRESET_DIR}
# Ninja where the machine has it; a compiler cache, where the machine has one,
# makes rebuilds of other checkouts cheap. Both are read by the first
# configuration of a build folder.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null 2>&1; then export CMAKE_GENERATOR=Ninja; fi
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake --preset "$PRESET" -B "$BUILD_DIR" "$@"
else
  cmake --preset "$PRESET" -B "$BUILD_DIR" "$@" >/dev/null
fi
# The preset's build in the preset's folder; another folder is built as is.
if [ "$BUILD_DIR" = "$PRESET_DIR" ]; then
  BUILD=(--preset "$PRESET")
else
  BUILD=("$BUILD_DIR")
fi
TARGET=()
if [ -n "${KEL_BUILD_TARGET:-}" ]; then TARGET=(--target "$KEL_BUILD_TARGET"); fi
cmake --build "${BUILD[@]}" -j "${KEL_BUILD_JOBS:-$(nproc)}" "${TARGET[@]}"
