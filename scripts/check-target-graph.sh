#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the link graph of the project's targets from a configured build
# folder (cmake --graphviz, options in CMakeGraphVizOptions.cmake) into
# <build>/graph/targets.dot, and fails when targets depend on each other in a
# circle, naming the targets of the circle.
#
#   scripts/check-target-graph.sh [BUILD_DIR]   (default: $KEL_BUILD_DIR or build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-${KEL_BUILD_DIR:-build}}
[ -f "$BUILD_DIR/CMakeCache.txt" ] || { echo "$BUILD_DIR is not a configured build folder" >&2; exit 2; }
mkdir -p "$BUILD_DIR/graph"
DOT=$BUILD_DIR/graph/targets.dot
cmake --graphviz="$DOT" "$BUILD_DIR" >/dev/null
# Peels off, again and again, the targets that depend on no target left,
# then those no target left depends on: what stays lies on a circle.
awk '
  /^ *"node[0-9]+" \[ label = / {
    id = $1; gsub(/"/, "", id)
    name = $0; sub(/^[^=]*= "/, "", name); sub(/".*/, "", name)
    label[id] = name; nodes++
  }
  /^ *"node[0-9]+" -> "node[0-9]+"/ {
    from = $1; to = $3; gsub(/"/, "", from); gsub(/"/, "", to)
    if (!((from, to) in edge)) {
      edge[from, to] = 1; out[from]++; depender[to] = depender[to] " " from
      dependee[from] = dependee[from] " " to; edges++
    }
  }
  END {
    n = 0
    for (id in label) if (!out[id]) queue[++n] = id
    for (i = 1; i <= n; i++) {
      done[queue[i]] = 1
      k = split(depender[queue[i]], ds, " ")
      for (j = 1; j <= k; j++) if (--out[ds[j]] == 0) queue[++n] = ds[j]
    }
    m = 0
    for (id in label) if (!(id in done)) {
      k = split(depender[id], ds, " ")
      for (j = 1; j <= k; j++) if (!(ds[j] in done)) in_[id]++
    }
    for (id in label) if (!(id in done) && !in_[id]) top[++m] = id
    for (i = 1; i <= m; i++) {
      done[top[i]] = 1
      k = split(dependee[top[i]], ds, " ")
      for (j = 1; j <= k; j++) if (!(ds[j] in done) && --in_[ds[j]] == 0) top[++m] = ds[j]
    }
    left = ""
    for (id in label) if (!(id in done)) left = left " " label[id]
    if (left != "") { print "targets in a dependency circle:" left > "/dev/stderr"; exit 1 }
    printf "%d targets, %d link arrows, no circle (%s)\n", nodes, edges, FILENAME
  }' "$DOT"
