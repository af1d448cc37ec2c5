#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
BUILD_DIR=${KEL_BUILD_DIR:-build}
cd "$BUILD_DIR"
ctest --output-on-failure --no-tests=error -j "$(nproc)"
