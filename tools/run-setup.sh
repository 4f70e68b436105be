#!/usr/bin/env bash
# `make run`: the setup under Wine.
# With a display (DISPLAY set) it shows the wizard there for you to click
# through. Without one it walks through the wizard in a virtual display
# (tests/e2e/walk), leaves a screenshot of each page in BUILD/screenshots and
# prints what was installed where.
# Usage: tools/run-setup.sh BUILD_DIR [walk options, e.g. --no-launch]
set -u
build="${1:?build dir}"; shift
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$build" && pwd)"
if [ ! -f "$build/Setup.exe" ]; then
  echo "run-setup.sh: $build/Setup.exe is not built" >&2; exit 1
fi
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting $build/Setup.exe on $DISPLAY"
  exec "$here/with-wine.sh" --keep-display "$build" "$here/wine-run.sh" "$build/Setup.exe"
fi
walk="$build/tests/e2e/walk/walk.exe"
if [ ! -f "$walk" ]; then
  echo "run-setup.sh: $walk is not built" >&2; exit 1
fi
mkdir -p "$build/screenshots"
echo "No display: walking through the wizard in a virtual display"
exec "$here/with-wine.sh" "$build" "$here/wine-run.sh" "$walk" "$@"
