#!/usr/bin/env bash
# Installs what is needed, builds everything, writes sample recorder media and
# starts KEL on it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
BUILD_DIR=${KEL_BUILD_DIR:-build}
if [ ! -x "$BUILD_DIR/bin/KEL" ]; then
  echo "Built. The KEL main window is not part of this build yet; run the tests with scripts/test.sh."
  exit 0
fi
exec "$BUILD_DIR/bin/KEL" "$@"
