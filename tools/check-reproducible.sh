#!/usr/bin/env bash
# Builds Setup.exe twice, in two fresh build folders whose paths differ in
# length, and checks that the two files are byte for byte the same (no link
# or resource time stamps, no build paths, a payload with fixed times).
# KEEP=1 keeps the two folders. Takes about two full builds' time.
set -eu
cd "$(dirname "$0")/.."
work="$(mktemp -d "${TMPDIR:-/tmp}/repro.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
start=$(date +%s)
for b in "$work/a" "$work/bb-longer"; do
  cmake -S . -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; exit 2; }
  cmake --build "$b" --target Setup >"$work/build.log" 2>&1 \
    || { tail -40 "$work/build.log"; exit 2; }
done
exe=Setup.exe
echo "built Setup.exe twice in $(( $(date +%s) - start )) s"
if cmp "$work/a/$exe" "$work/bb-longer/$exe"; then
  echo "reproducible: $exe is identical ($(stat -c %s "$work/a/$exe") bytes)"
else
  echo "NOT reproducible: $exe differs; section headers of both:"
  for b in a bb-longer; do
    i686-w64-mingw32-objdump -h "$work/$b/$exe" >"$work/$b.sections"
  done
  diff "$work/a.sections" "$work/bb-longer.sections" || true
  exit 1
fi
