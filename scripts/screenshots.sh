#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures of KEL's pages from the real program on a virtual X
# display (Xvfb), over realistic sample media dated today, with the search,
# Log and Alarm results filled. Needs a build (scripts/build.sh).
#
#   scripts/screenshots.sh [--out DIR] [--size WxH] [--language en|zh]...
#                          [--only NAME,...] [--offscreen]
#
#   --out       where the pictures go (default docs/images: the README's,
#               the pictures it shows only)
#   --size      screen and window size (default 1280x800)
#   --language  en (English) or zh (Simplified Chinese); may be given twice.
#               The default is en. With more than one, each language's
#               pictures go into a folder of its own under DIR.
#   --only      only these pictures (build/bin/kel-screenshots --list names
#               them all)
#   --offscreen render without a display (quicker, but not what a display
#               draws; not for the README)
#
# The sample media are written once a day into the build folder
# (screenshots/media): realistic 720p recordings take a minute or two.
# The README's pictures are stored with a 256-colour palette (ImageMagick's
# convert, when installed).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KEL_BUILD_DIR:-build}
OUT=docs/images
SIZE=1280x800
LANGS=()
ONLY=()
OFFSCREEN=0
while [ $# -gt 0 ]; do
  case "$1" in
    --out) OUT=$2; shift 2 ;;
    --size) SIZE=$2; shift 2 ;;
    --language) LANGS+=("$2"); shift 2 ;;
    --only) ONLY=(--only "$2"); shift 2 ;;
    --offscreen) OFFSCREEN=1; shift ;;
    *) sed -n '2,18p' "$0" >&2; exit 2 ;;
  esac
done
[ ${#LANGS[@]} -gt 0 ] || LANGS=(en)
# The README (and the manual) show these.
if [ "$OUT" = docs/images ] && [ ${#ONLY[@]} -eq 0 ]; then
  ONLY=(--only playback,layout-menu,vehicle-data,gravity,download,evidence,log,alarm,alarm-clip,settings)
fi
WIDTH=${SIZE%x*}
HEIGHT=${SIZE#*x}
for tool in kel-screenshots kel-mediagen kel-prepare-home; do
  [ -x "$BUILD_DIR/bin/$tool" ] || { echo "no $BUILD_DIR/bin/$tool: build first (scripts/build.sh)" >&2; exit 1; }
done
if [ "$OFFSCREEN" = 0 ] && ! command -v Xvfb >/dev/null; then
  echo "Xvfb is missing: scripts/install-deps.sh installs it" >&2
  exit 1
fi

# A fixed folder inside the build, so the pictures show the same paths each time.
WORK=$PWD/$BUILD_DIR/screenshots
MEDIA=$WORK/media
TODAY=$(date +%F)
if [ ! -f "$MEDIA/drives.txt" ] || [ "$(cat "$MEDIA/day" 2>/dev/null)" != "$TODAY" ]; then
  rm -rf "$MEDIA"
  mkdir -p "$MEDIA"
  echo "Writing realistic sample media into $MEDIA ..."
  "$BUILD_DIR/bin/kel-mediagen" --out "$MEDIA/disk1" --family 2 --channels 4 --per-day 3 --gap 60 \
    --seconds 60 --realistic --size 1280x720 --start "$TODAY" --drive-table "$MEDIA/drives1.txt" --letter E --drive 1
  "$BUILD_DIR/bin/kel-mediagen" --out "$MEDIA/disk2" --family 1 --channels 2 --per-day 3 --gap 60 \
    --seconds 60 --realistic --size 1280x720 --seed 2 --start "$TODAY" --drive-table "$MEDIA/drives2.txt" \
    --letter F --drive 2
  cat "$MEDIA/drives1.txt" "$MEDIA/drives2.txt" > "$MEDIA/drives.txt"
  echo "$TODAY" > "$MEDIA/day"
fi
export KEL_DRIVES="$MEDIA/drives.txt"

XPID=""
cleanup() { [ -n "$XPID" ] && kill "$XPID" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT

for lang in "${LANGS[@]}"; do
  case "$lang" in
    en) code=0 ;;
    zh) code=1 ;;
    *) echo "unknown language $lang (en or zh)" >&2; exit 2 ;;
  esac
  dest=$OUT
  [ ${#LANGS[@]} -gt 1 ] && dest=$OUT/$lang
  mkdir -p "$dest"
  # A fresh program folder per language: default settings, its own outputs.
  export KEL_HOME=$WORK/home-$lang
  rm -rf "$KEL_HOME"
  ./scripts/prepare-home.sh "$KEL_HOME" "$BUILD_DIR" >/dev/null
  sed -i "s|<Language>[0-9]*</Language>|<Language>$code</Language>|" "$KEL_HOME/setup.xml"

  if [ "$OFFSCREEN" = 1 ]; then
    QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bin/kel-screenshots" "${ONLY[@]}" "$dest" "$WIDTH" "$HEIGHT"
    continue
  fi
  disp=90
  while [ -e "/tmp/.X11-unix/X$disp" ] || [ -e "/tmp/.X$disp-lock" ]; do disp=$((disp + 1)); done
  Xvfb ":$disp" -screen 0 "${WIDTH}x${HEIGHT}x24" -nolisten tcp >/dev/null 2>&1 &
  XPID=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.1; done
  DISPLAY=":$disp" QT_QPA_PLATFORM=xcb "$BUILD_DIR/bin/kel-screenshots" "${ONLY[@]}" "$dest" "$WIDTH" "$HEIGHT"
  kill "$XPID" 2>/dev/null || true
  wait "$XPID" 2>/dev/null || true
  XPID=""
done

# The README's pictures (and the manual's, which the build copies from there)
# are kept small in the repository: a 256-colour palette, the texts exact.
if [ "$OUT" = docs/images ] && command -v convert >/dev/null; then
  for f in docs/images/*.png; do
    convert "$f" -dither None -colors 256 "PNG8:$f.tmp" && mv "$f.tmp" "$f"
  done
fi
