#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/run.sh without a display: one line saying so and exit code 1,
# before anything is installed or built (stand-ins for the package query and
# the build tool note every call).
#   run_without_display_test.sh <source folder>
set -u
SRC=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin"
for tool in dpkg-query apt-get sudo cmake ninja; do
  printf '#!/bin/sh\necho %s >> "%s/calls"\nexit 1\n' "$tool" "$WORK" > "$WORK/bin/$tool"
  chmod +x "$WORK/bin/$tool"
done
env -i PATH="$WORK/bin:/usr/bin:/bin" HOME="$WORK" KEL_BUILD_DIR="$WORK/build" \
  sh -c "cd '$SRC' && ./scripts/run.sh" > "$WORK/out" 2> "$WORK/err"
code=$?
fail=0
[ "$code" = 1 ] || { echo "exit code $code, expected 1"; fail=1; }
expected="No display: KEL is a desktop program. Start it from a desktop session (or set DISPLAY)."
[ "$(cat "$WORK/err")" = "$expected" ] || { echo "error output:"; cat "$WORK/err"; fail=1; }
[ ! -s "$WORK/out" ] || { echo "output:"; cat "$WORK/out"; fail=1; }
[ ! -e "$WORK/calls" ] || { echo "called before the display check:"; cat "$WORK/calls"; fail=1; }
[ ! -e "$WORK/build" ] || { echo "a build folder was made"; fail=1; }
exit $fail
