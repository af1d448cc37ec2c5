# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --graphviz=<file> <build folder>` draws: the project's own
# targets and the link arrows between them, in one file
# (scripts/check-target-graph.sh reads it).
set(GRAPHVIZ_GRAPH_NAME "KEL targets")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_IMPORTED_TARGETS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
