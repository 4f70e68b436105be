#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as root).
# Quick when everything is already there.
set -eu
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
pkgs=(cmake ninja-build make python3 zlib1g-dev g++
      g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev
      googletest wine wine32:i386 xvfb xauth x11-utils imagemagick myspell-ga)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
else
  updated=1
fi
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && [ $updated -eq 1 ] && exit 0
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "install-deps.sh: missing packages (${need[*]}); run as root" >&2; exit 1
  fi
  echo "Installing: ${need[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" </dev/null
fi
