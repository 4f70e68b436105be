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
# So the program writes to a file, which we copy out once it has ended.
out="$(mktemp)"
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
