#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's private prefix.
# Used by CTest as the cross-compiling emulator and by the Makefile.
# Expects WINEPREFIX (and DISPLAY for GUI programs) from tools/winenv.sh.
set -u
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (run through tools/with-wine.sh)" >&2
  exit 125
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine's helper processes (explorer, services) inherit open descriptors and
# outlive the program; a pipe handed to them would keep our caller waiting.
# So the program writes to a file, which we copy out once it has ended, or
# when CTest stops us at its time-out (so a hung test still shows its output).
out="$(mktemp)"
wine "$@" >"$out" 2>&1 </dev/null &
pid=$!
on_stop() {
  kill "$pid" 2>/dev/null
  cat "$out"; rm -f "$out"
  echo "wine-run.sh: stopped before the program ended" >&2
  exit 124
}
trap on_stop TERM INT
wait "$pid"
rc=$?
cat "$out"
rm -f "$out"
exit $rc
