#!/usr/bin/env bash
# Installs what building and running the Windows program needs on Debian:
# the mingw-w64 cross compilers, Wine (64- and 32-bit), Xvfb, the Japanese
# fonts, imagemagick, gcab, and pytest for the Wine suite. Does nothing when
# all of it is there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

need=(cmake make python3 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
      binutils-mingw-w64-i686 wine wine64 xvfb xauth fonts-ipafont-gothic imagemagick gcab python3-pytest)
missing=()
for p in "${need[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
dpkg -s wine32:i386 >/dev/null 2>&1 || missing+=("wine32:i386")
((${#missing[@]})) || exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install as root: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *" wine32:i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
