#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds what running needs (the programs and their
# libraries, not the tests and benchmarks: scripts/test.sh builds those),
# writes sample recorder media and starts KEL on it. Needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."
# A desktop program: without a display there is nothing to start, so say so
# before installing and building anything.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: KEL is a desktop program. Start it from a desktop session (or set DISPLAY)." >&2
  exit 1
fi
./scripts/install-deps.sh
KEL_BUILD_TARGET=kel-run ./scripts/build.sh
BUILD_DIR=${KEL_BUILD_DIR:-build}
MEDIA_DIR=${KEL_SAMPLE_MEDIA:-$PWD/sample-media}

# Two sample recorder media: a hard-disk library disk as drive E: /
# \\.\PHYSICALDRIVE1 and a record-storage disk as drive F: / \\.\PHYSICALDRIVE2.
# The recordings are dated today, so the search panel's default day finds them.
TODAY=$(date +%F)
if [ ! -f "$MEDIA_DIR/drives.txt" ] || [ "$(cat "$MEDIA_DIR/day" 2>/dev/null)" != "$TODAY" ]; then
  rm -rf "$MEDIA_DIR"
  mkdir -p "$MEDIA_DIR"
  "$BUILD_DIR/bin/kel-mediagen" --out "$MEDIA_DIR/disk1" --family 2 --channels 4 --per-day 3 \
    --seconds 60 --repeat-gop --start "$TODAY" --drive-table "$MEDIA_DIR/drives1.txt" --letter E --drive 1
  "$BUILD_DIR/bin/kel-mediagen" --out "$MEDIA_DIR/disk2" --family 1 --channels 2 --per-day 3 \
    --seconds 60 --repeat-gop --seed 2 --start "$TODAY" --drive-table "$MEDIA_DIR/drives2.txt" --letter F --drive 2
  cat "$MEDIA_DIR/drives1.txt" "$MEDIA_DIR/drives2.txt" > "$MEDIA_DIR/drives.txt"
  echo "$TODAY" > "$MEDIA_DIR/day"
fi
export KEL_DRIVES="$MEDIA_DIR/drives.txt"
echo "Sample recorder media: $MEDIA_DIR (drive table $KEL_DRIVES)"

if [ ! -x "$BUILD_DIR/bin/KEL" ]; then
  echo "Built. The KEL main window is not part of this build yet; run the tests with scripts/test.sh."
  exit 0
fi
export KEL_HOME=${KEL_HOME:-$PWD/$BUILD_DIR/kel-home}
./scripts/prepare-home.sh "$KEL_HOME" "$BUILD_DIR"
echo "Program folder: $KEL_HOME"
exec "$BUILD_DIR/bin/KEL" "$@"
