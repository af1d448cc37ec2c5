#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything and runs the performance benchmarks listed in
# scripts/bench-performance.list (one per line: an executable under the build
# folder and its arguments). Each benchmark prints its figures beside the
# reference it measured in the same run and the aim.
#
#   ./scripts/bench.sh            every benchmark of the list
#   ./scripts/bench.sh grid       only the lines that mention "grid"
#
# Run it on a machine that does nothing else: the figures are CPU times and
# wall-clock times of the whole machine.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${KEL_BUILD_DIR:-build}
./scripts/build.sh
LIST=scripts/bench-performance.list
status=0
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in ''|'#'*) continue ;; esac
  if [ $# -gt 0 ]; then
    match=0
    for want in "$@"; do case "$line" in *"$want"*) match=1 ;; esac; done
    [ $match -eq 1 ] || continue
  fi
  read -r -a argv <<<"$line"
  exe="$BUILD_DIR/${argv[0]}"
  echo "==== ${line}"
  if [ ! -x "$exe" ]; then
    echo "not built: $exe"
    status=1
    continue
  fi
  "$exe" "${argv[@]:1}" || { echo "failed (exit $?): $line"; status=1; }
done < "$LIST"
exit $status
