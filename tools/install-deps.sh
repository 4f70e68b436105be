#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as root).
# Quick when everything is already there.
set -eu
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
pkgs=(cmake ninja-build make python3 zlib1g-dev g++
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev
      googletest wine wine32:i386 xvfb myspell-ga locales)
# The code-page tests run Wine under locales whose ANSI code page is not 1252.
test_locales=(ru_RU.UTF-8 ja_JP.UTF-8)
ensure_locales() {
  local l missing=()
  for l in "${test_locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l%%.*}.utf8" || missing+=("$l")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "install-deps.sh: missing locales (${missing[*]}); run as root" >&2; return 1
  fi
  for l in "${missing[@]}"; do localedef -i "${l%%.*}" -f UTF-8 "$l"; done
}
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
else
  updated=1
fi
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && [ $updated -eq 1 ] && { ensure_locales; exit 0; }
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "install-deps.sh: missing packages (${need[*]}); run as root" >&2; exit 1
  fi
  echo "Installing: ${need[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" </dev/null
fi
ensure_locales
