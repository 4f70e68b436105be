#!/usr/bin/env bash
# Builds Setup.exe twice from the committed tree (HEAD), each time from a
# fresh copy in a folder of a different path length, and checks that the two
# files are byte for byte the same: no link or resource time stamps, no
# source or build paths, a payload with fixed times.
# KEEP=1 keeps the folders. Takes about two builds of Setup.exe from scratch
# (about 2 minutes each on two cores).
set -eu
cd "$(dirname "$0")/.."
work="$(mktemp -d "${TMPDIR:-/tmp}/repro.XXXXXX")"
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
start=$(date +%s)
for d in "$work/a" "$work/bb-longer"; do
  mkdir -p "$d/src"
  git archive HEAD | tar -x -C "$d/src"
  cmake -S "$d/src" -B "$d/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$d/src/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$d/configure.log" 2>&1 \
    || { cat "$d/configure.log"; exit 2; }
  cmake --build "$d/build" --target Setup >"$d/build.log" 2>&1 \
    || { tail -40 "$d/build.log"; exit 2; }
done
echo "built Setup.exe twice in $(( $(date +%s) - start )) s"
a="$work/a/build/Setup.exe" b="$work/bb-longer/build/Setup.exe"
if cmp "$a" "$b"; then
  echo "reproducible: Setup.exe is identical ($(stat -c %s "$a") bytes)"
else
  echo "NOT reproducible: Setup.exe differs; section headers of both:"
  i686-w64-mingw32-objdump -h "$a" >"$work/a.sections"
  i686-w64-mingw32-objdump -h "$b" >"$work/b.sections"
  diff "$work/a.sections" "$work/b.sections" || true
  exit 1
fi
