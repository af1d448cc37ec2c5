#!/usr/bin/env bash
# Renders every page of KEL offscreen over fresh sample media into
# docs/images (PNG, 1280x800 unless a size is given).
#
#   scripts/screenshots.sh [<width> <height>]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KEL_BUILD_DIR:-build}
# A fixed folder inside the build, so the pictures show the same paths each time.
WORK=$PWD/$BUILD_DIR/screenshots
rm -rf "$WORK"
mkdir -p "$WORK"
TODAY=$(date +%F)
"$BUILD_DIR/bin/kel-mediagen" --out "$WORK/disk1" --family 2 --channels 4 --per-day 3 \
  --seconds 60 --repeat-gop --start "$TODAY" --drive-table "$WORK/drives1.txt" --letter E --drive 1
"$BUILD_DIR/bin/kel-mediagen" --out "$WORK/disk2" --family 1 --channels 2 --per-day 3 \
  --seconds 60 --repeat-gop --seed 2 --start "$TODAY" --drive-table "$WORK/drives2.txt" --letter F --drive 2
cat "$WORK/drives1.txt" "$WORK/drives2.txt" > "$WORK/drives.txt"
export KEL_DRIVES="$WORK/drives.txt"
export KEL_HOME="$WORK/home"
./scripts/prepare-home.sh "$KEL_HOME" "$BUILD_DIR"
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/kel-screenshots" docs/images "$@"
ls -l docs/images
