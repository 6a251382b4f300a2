#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Zarvik.
# Safe to run again: it says nothing and changes nothing when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 clang-format-14 libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev nsis
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils imagemagick
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${packages[@]}"; do
  if [ "$have_i386" = 0 ] && [[ "$p" == *:i386 ]]; then missing+=("$p"); continue; fi
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
[ "$have_i386" = 1 ] || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
