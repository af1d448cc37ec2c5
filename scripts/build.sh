#!/usr/bin/env bash
# Configures and builds the tree into ./build (or $KEL_BUILD_DIR): everything,
# or only the target named by KEL_BUILD_TARGET (scripts/run.sh: kel-run).
# KEL_BUILD_JOBS sets the number of compilers run side by side (default: one
# per core).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KEL_BUILD_DIR:-build}
GEN=()
if command -v ninja >/dev/null 2>&1; then GEN=(-G Ninja); fi
# A compiler cache, where the machine has one, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
  GEN+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
  cmake -S . -B "$BUILD_DIR" "$@" >/dev/null
fi
TARGET=()
if [ -n "${KEL_BUILD_TARGET:-}" ]; then TARGET=(--target "$KEL_BUILD_TARGET"); fi
cmake --build "$BUILD_DIR" -j "${KEL_BUILD_JOBS:-$(nproc)}" "${TARGET[@]}"
