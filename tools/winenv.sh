# Sourced by scripts: the private Wine prefix of a build folder.
# Usage: . tools/winenv.sh BUILD_DIR
_build="$(cd "${1:?build dir}" && pwd)"
export WINEPREFIX="$_build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset _build

# Makes the prefix once (about 12 s); later calls return at once.
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating Wine prefix $WINEPREFIX"
    wineboot -i >"$WINEPREFIX.boot.log" 2>&1 </dev/null
    # No debugger on a crash: the program ends at once with an error, where
    # winedbg would hold it (and the test) until the time-out.
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
      >>"$WINEPREFIX.boot.log" 2>&1 </dev/null
    wineserver -w
  fi
}
