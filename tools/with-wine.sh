#!/usr/bin/env bash
# Runs a command with the build's Wine prefix ready, one wineserver kept alive
# for the whole run, and (unless --keep-display is given and DISPLAY is set) a
# private virtual display.
# Usage: tools/with-wine.sh [--keep-display] BUILD_DIR COMMAND...
set -u
keep_display=0
if [ "${1:-}" = "--keep-display" ]; then keep_display=1; shift; fi
build="${1:?build dir}"; shift
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/winenv.sh" "$build"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
  wait >/dev/null 2>&1
}
trap cleanup EXIT INT TERM

if [ $keep_display -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
  # -displayfd picks a free display number and tells us which.
  fifo="$(mktemp -u)"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  read -r -t 20 num <"$fifo" || { echo "with-wine.sh: Xvfb did not start" >&2; rm -f "$fifo"; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$num"
fi

wine_prefix_ready
# Output of the persistent server goes to a file: it keeps inherited pipes open.
wineserver -p >/dev/null 2>&1 </dev/null
"$@"
