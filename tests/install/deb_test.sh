#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The real package on this machine, as an administrator uses it: installed
# with dpkg, a `cmake --install` over its folder refused before anything of
# the package changes (dpkg --verify clean), then purged after the settings'
# helper folder and the output folder were moved to another disk and left as
# links: nothing at the links' targets goes. Runs in a private mount
# namespace where dpkg's database, /opt, /usr/share, /var/lib and /etc are
# overlays whose changes vanish at the end; needs root, dpkg and the
# package's dependencies.
#
#   deb_test.sh <build folder>
set -eu

if [ "${1:-}" != "--inside" ]; then
  if [ "$(id -u)" -ne 0 ] || ! command -v dpkg >/dev/null || ! unshare -m --propagation private true 2>/dev/null; then
    echo "SKIP: needs root, dpkg and a private mount namespace"
    exit 77
  fi
  exec unshare -m --propagation private sh "$0" --inside "$@"
fi
shift
build=$1
dir=/opt/KEL
failures=0
check() {  # check <what> <command...>
  what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

t=$(mktemp -d)
mount -t tmpfs kel-deb-test "$t"
(cd "$build" && cpack -G DEB -B "$t/package" >"$t/cpack.log" 2>&1) || { cat "$t/cpack.log"; exit 1; }
deb=$(ls "$t"/package/kel_*.deb)
for d in /var/lib /opt /usr/share /etc; do
  n=$(echo "$d" | tr / _)
  mkdir -p "$t/upper$n" "$t/work$n"
  if ! mount -t overlay overlay -o "lowerdir=$d,upperdir=$t/upper$n,workdir=$t/work$n" "$d" 2>/dev/null; then
    echo "SKIP: no overlay over $d"
    exit 77
  fi
done
if [ -e "$dir" ]; then echo "SKIP: $dir exists on this machine"; exit 77; fi
if ! dpkg -i "$deb" >"$t/dpkg.log" 2>&1; then
  cat "$t/dpkg.log"
  echo "SKIP: the package cannot be installed here (dependencies?)"
  exit 77
fi

rc=0
cmake --install "$build" --prefix "$dir" >"$t/install.log" 2>&1 || rc=$?
check "install over the package's folder is refused" test "$rc" -ne 0
check "the refusal names the package" grep -q "holds the installation of the package kel" "$t/install.log"
check "nothing of the package changed" test -z "$(dpkg --verify kel 2>&1)"

disk=/var/lib/kel-other-disk
mkdir -p "$disk"
mv "$dir/maintain" "$disk/maintain" && ln -s "$disk/maintain" "$dir/maintain"
mv "$dir/output" "$disk/output" && ln -s "$disk/output" "$dir/output"
echo "video" > "$disk/output/Download/ch01.mp4"
before=$(cd "$disk" && find . | sort)
dpkg --purge kel >"$t/purge.log" 2>&1 || { cat "$t/purge.log"; failures=$((failures + 1)); }
check "purge follows no link" test "$(cd "$disk" && find . | sort)" = "$before"
check "purge keeps the download" test "$(cat "$disk/output/Download/ch01.mp4")" = video
check "purge leaves only the links" test "$(cd "$dir" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./maintain ./output "
check "purge leaves no state" test ! -e /var/lib/kel

if [ "$failures" -ne 0 ]; then echo "$failures checks failed"; exit 1; fi
echo "all checks passed"
