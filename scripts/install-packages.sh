#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Idempotent:
# packages already present are left alone and apt is not touched at all.
set -euo pipefail

packages=(
  cmake ninja-build make pkg-config dpkg-dev debian-archive-keyring ca-certificates
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev googletest
  wine wine64 xvfb xauth x11-apps imagemagick
  fonts-liberation fonts-open-sans
  python3 file clang-format
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
