#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares the program folder KEL starts with: set-up file, default settings,
# setup benchmark, output folders, the default alarm sound, the map pages, the
# translations, the user manual and the licence texts. Safe to run again: files
# that exist are kept.
#
#   scripts/prepare-home.sh <program folder> [<build folder>]
set -euo pipefail
cd "$(dirname "$0")/.."
HOME_DIR=${1:?usage: prepare-home.sh <program folder> [<build folder>]}
BUILD_DIR=${2:-${KEL_BUILD_DIR:-build}}

"$BUILD_DIR/bin/kel-prepare-home" "$HOME_DIR"

# The default alarm sound of the speed alarm.
if [ -f "$BUILD_DIR/bin/alarm_input.wav" ] && [ ! -e "$HOME_DIR/alarm_input.wav" ]; then
  cp "$BUILD_DIR/bin/alarm_input.wav" "$HOME_DIR/"
fi

# Map pages, as the build made them.
if [ -d "$BUILD_DIR/bin/map" ]; then
  mkdir -p "$HOME_DIR/map"
  for page in "$BUILD_DIR"/bin/map/*; do
    [ -e "$HOME_DIR/map/$(basename "$page")" ] || cp -r "$page" "$HOME_DIR/map/"
  done
fi

# Translation catalogues, refreshed from every build.
if [ -d "$BUILD_DIR/bin/translations" ]; then
  mkdir -p "$HOME_DIR/translations"
  cp "$BUILD_DIR"/bin/translations/*.qm "$HOME_DIR/translations/"
fi

# The user manual and the licence texts the About box opens, refreshed from
# every build.
for folder in help "Open Source Software Licenses"; do
  if [ -d "$BUILD_DIR/bin/$folder" ]; then
    rm -rf "${HOME_DIR:?}/$folder"
    cp -r "$BUILD_DIR/bin/$folder" "$HOME_DIR/"
  fi
done
