#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The package's maintainer scripts on the package's files, as dpkg runs them:
# configure (registration, record with "package kel"), an upgrade (same id,
# new version), remove (settings and saved files stay), purge (what the
# package made goes, saved videos and pictures stay, no empty registry
# folders; through a link or a mount point nothing is removed; an upgrade
# from a release that kept no record takes over what it made). Runs in a
# private mount namespace with /opt and /var/lib on
# memory file systems, so nothing of the machine is touched; needs root.
#
#   package_scripts_test.sh <build folder> <source folder>
set -eu

if [ "${1:-}" != "--inside" ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare -m --propagation private true 2>/dev/null; then
    echo "SKIP: needs root and a private mount namespace"
    exit 77
  fi
  exec unshare -m --propagation private sh "$0" --inside "$@"
fi
shift
build=$1
src=$2
scripts=$src/cmake/install
dir=/opt/KEL
tab=$(printf '\t')
failures=0

mount -t tmpfs kel-test-opt /opt
mount -t tmpfs kel-test-var /var/lib
work=/var/lib/kel-package-test
mkdir "$work"
export KEL_APPLICATIONS_DIR="$work/applications" KEL_DESKTOP_DIR="$work/desktop" QT_QPA_PLATFORM=offscreen
unset KEL_HOME KEL_REGISTRY_DIR DESTDIR

check() {  # check <what> <command...>
  what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
tree() { (cd "$1" && find . -mindepth 1 | sort | tr '\n' ' '); }

# The package's files, as the package holds them.
DESTDIR="$work/stage" cmake --install "$build" --prefix "$dir" >/dev/null
(cd "$work/stage" && find . -mindepth 1 ! -type d | sort) > "$work/files"
(cd "$work/stage" && find . -mindepth 1 -type d | sort -r) > "$work/folders"

unpack() { cp -a "$work/stage/." /; }
# What dpkg does on remove: the package's files go, then its folders that
# are empty.
dpkg_remove() {
  while IFS= read -r f; do rm -f "/$f"; done < "$work/files"
  while IFS= read -r d; do rmdir "/$d" 2>/dev/null || true; done < "$work/folders"
}
# What dpkg does on purging an installed package.
dpkg_purge() {
  sh "$scripts/prerm" remove
  dpkg_remove
  sh "$scripts/postrm" remove
  sh "$scripts/postrm" purge
}

unpack
sh "$scripts/postinst" configure >/dev/null
check "configure records the package" grep -qx "package${tab}kel" "$dir/InstallManifest.txt"
check "configure writes no menu entry" test ! -e "$KEL_APPLICATIONS_DIR"
key=$(find /var/lib/kel/registry -name '*.ini')
check "configure registers" grep -qx "InstallLocation=/opt/KEL" "$key"
check "the uninstall entry names the package manager" grep -qx "UninstallString=apt remove kel" "$key"
check "folders readable by all" test "$(stat -c %a "$dir/output/Download")" = 755
check "purge keeps its remover" test -x /var/lib/kel/kel-purge
check "the remover needs nothing but the C library" sh -c \
  "! ldd /var/lib/kel/kel-purge | grep -q -e libQt -e libstdc++ -e libtreeremove"
version=$(sed -n 's/^kel (\([^)]*\)).*/\1/p;q' "$scripts/changelog")
guid=$(sed -n 's:.*<GUID>\(.*\)</GUID>.*:\1:p' "$dir/AppConfig.xml")

# An upgrade from an older version keeps the id and records the new version.
sed -i 's:<Version>[^<]*</Version>:<Version>4.2</Version>:' "$dir/AppConfig.xml"
sed -i 's:^DisplayVersion=.*:DisplayVersion=4.2:' "$key"
sh "$scripts/prerm" upgrade
unpack
sh "$scripts/postinst" configure 4.2 >/dev/null
check "upgrade keeps the id" grep -q "<GUID>$guid</GUID>" "$dir/AppConfig.xml"
check "upgrade records the version" grep -q "<Version>$version</Version>" "$dir/AppConfig.xml"
check "upgrade updates the registered version" grep -qx "DisplayVersion=$version" "$key"

# Use: the programs' working files, changed settings, a download, a snapshot.
echo "made by KEL" > "$dir/DESetup.xml"
mkdir -p "$dir/Target" && echo "working copy" > "$dir/Target/pic00001.jpg"
echo "changed" >> "$dir/Settings.xml"
echo "video" > "$dir/output/Download/ch01.mp4"
echo "picture" > "$dir/output/Capture/ch01.jpg"
settings=$(cat "$dir/Settings.xml")

sh "$scripts/prerm" remove
dpkg_remove
sh "$scripts/postrm" remove
check "remove keeps the settings" test "$(cat "$dir/Settings.xml")" = "$settings"
check "remove keeps the download" test "$(cat "$dir/output/Download/ch01.mp4")" = video
check "remove takes the uninstall entry back" test ! -e /var/lib/kel/registry
check "remove leaves no program" test ! -e "$dir/KEL"

sh "$scripts/postrm" purge
check "purge keeps the saved files and nothing else" test \
  "$(tree /opt)" = "./KEL ./KEL/output ./KEL/output/Capture ./KEL/output/Capture/ch01.jpg ./KEL/output/Download ./KEL/output/Download/ch01.mp4 "
check "purge keeps the download" test "$(cat "$dir/output/Download/ch01.mp4")" = video

# Without saved files purge leaves nothing at all.
rm -rf "${dir:?}"
unpack
sh "$scripts/postinst" configure >/dev/null
dpkg_purge
check "purge leaves nothing of the package" test "$(tree /opt)" = ""
check "purge leaves no registry folder" test ! -e /var/lib/kel

# A record line that would reach outside the folder is not followed.
unpack
sh "$scripts/postinst" configure >/dev/null
echo "outside" > /opt/keep.txt
printf 'file\t../keep.txt\nwork-folder\t..\n' >> "$dir/InstallManifest.txt"
sh "$scripts/prerm" remove
dpkg_remove
sh "$scripts/postrm" purge
check "purge stays inside the folder" test "$(cat /opt/keep.txt)" = outside

# The administrator moved the settings' helper folder and the output folder
# to another disk and left links in their place; a folder of another disk is
# mounted inside a working folder. Purge removes nothing through a link or
# inside a mount, and says what it left.
rm -rf "${dir:?}" /opt/keep.txt
unpack
sh "$scripts/postinst" configure >/dev/null
disk=$work/disk
mkdir -p "$disk/mounted"
mv "$dir/maintain" "$disk/maintain" && ln -s "$disk/maintain" "$dir/maintain"
mv "$dir/output" "$disk/output" && ln -s "$disk/output" "$dir/output"
echo "video" > "$disk/output/Download/ch01.mp4"
echo "on the other disk" > "$disk/mounted/keep.txt"
mkdir -p "$dir/Target/mnt" && mount --bind "$disk/mounted" "$dir/Target/mnt"
before=$(tree "$disk")
dpkg_purge 2> "$work/purge.err" || true
check "purge follows no link and enters no mount" test "$(tree "$disk")" = "$before"
check "purge keeps the benchmark behind the link" test -s "$disk/maintain/DESetup.xml.benchmark"
check "purge keeps what is mounted" test "$(cat "$disk/mounted/keep.txt")" = "on the other disk"
check "purge says which mount point it left" \
  grep -q "left $dir/Target/mnt: a mount point: not entered" "$work/purge.err"
check "purge leaves the links as they are" test -L "$dir/maintain" -a -L "$dir/output"
umount "$dir/Target/mnt"
rm -rf "${dir:?}" "$disk"

# An upgrade from a release that kept no record of what its set-up step made
# (configuration, settings, set-up files, output folders, menu entries)
# takes that over: purge then leaves nothing of the package.
unpack
"$dir/kel-register" install "$dir" >/dev/null
rm -f "$dir/InstallManifest.txt"
echo "made by KEL" > "$dir/DESetup.xml"
mkdir -p "$dir/Target" && echo "working copy" > "$dir/Target/pic00001.jpg"
sh "$scripts/prerm" upgrade
unpack
sh "$scripts/postinst" configure 4.2 >/dev/null
check "upgrade takes the old release's menu entries back" test ! -e "$KEL_APPLICATIONS_DIR/KEL"
dpkg_purge
check "purge after an upgrade leaves nothing of the package" test "$(tree /opt)" = ""
check "purge after an upgrade leaves no registry folder" test ! -e /var/lib/kel

if [ "$failures" -ne 0 ]; then echo "$failures checks failed"; exit 1; fi
echo "all checks passed"
