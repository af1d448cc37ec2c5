#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package needed to build, test and run the tool set.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5xml5 libqt5svg5-dev
  qtmultimedia5-dev libqt5multimedia5-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  qtwebengine5-dev
  libqcustomplot-dev
  libssl-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  ffmpeg
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth
  python3
  fonts-wqy-microhei
  # the desktop's opener (user manual, licence folder)
  xdg-utils
  # card images mounted as a loop device and through FUSE (tests)
  dosfstools fuse3 fusefat exfat-fuse
  # Qt's own catalogues (its file dialogs in the operator's language)
  qttranslations5-l10n
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
