#!/usr/bin/env bash
# Builds every release file from the product tree (32-bit Windows) into build/release:
#   ZarvikSetup.exe   the setup program (per user, no administrator)
#   zarvik.zip        the setup program, the portable folder Zarvik and Portable.txt
#   site/             the whole update site, ready to copy to a static web host:
#                     updates/zarvik.txt, updates/zarvikurl.txt and files/zarvik.zip
#
#   bash scripts/release.sh [--site URL] [--published FOLDER] [--check]
#
# --site       the update site built into the program (kept in build/win32 for the next release)
# --published  the site folder of the last release published (default build/release/site); the
#              version must join to a greater number than its updates/zarvik.txt, or players
#              already on it are never told of this one
# --check      only checks the version and the site, builds nothing
set -euo pipefail
source "$(dirname "$0")/common.sh"

site="" published="" published_given=no check=no
while [ $# -gt 0 ]; do
  case "$1" in
    --site) site=${2:?--site needs an address}; shift 2 ;;
    --published) published=${2:?--published needs a folder}; published_given=yes; shift 2 ;;
    --check) check=yes; shift ;;
    *) echo "release: unknown argument $1 (see the head of $0)" >&2; exit 2 ;;
  esac
done
[ -n "$published" ] || published=build/release/site
fail() { echo "release: $*" >&2; exit 1; }

version=$(sed -n 's/^project(Zarvik VERSION \([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version of three numbers in CMakeLists.txt's project()"
# The updater joins the numbers without separators and reads the result as a 32-bit number.
number=$(echo "$version" | tr -d .)
number=$((10#$number))
[ "$number" -le 2147483647 ] || fail "version $version joins to $number, more than the updater can read"
if [ -f "$published/updates/zarvik.txt" ]; then
  last=$(tr -d ' \r\n\t' <"$published/updates/zarvik.txt")
  [[ "$last" =~ ^[0-9]+$ ]] || fail "$published/updates/zarvik.txt holds no version number"
  [ "$number" -gt "$((10#$last))" ] ||
    fail "version $version joins to $number, not more than $last published from $published: players would not be told of it. Raise the version in CMakeLists.txt."
elif [ "$published_given" = yes ]; then
  fail "$published/updates/zarvik.txt is missing"
else
  echo "release: nothing published in $published: a first release"
fi

if [ -z "$site" ] && [ -f build/win32/CMakeCache.txt ]; then
  site=$(sed -n 's/^ZARVIK_UPDATE_SITE:STRING=//p' build/win32/CMakeCache.txt)
fi
[ -n "$site" ] ||
  fail "no update site: give --site http://your.host/folder/ (the address the program will ask for updates)"
[ "$check" = no ] || { echo "release: $version ($number) for the site $site may be built"; exit 0; }

bash scripts/setup.sh
targets=release configure_and_build build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DZARVIK_WIN_ARCH=i686 \
  -DZARVIK_UPDATE_SITE="$site"
rm -rf build/release
cp -r build/win32/release build/release
echo "release: $version ($(cat build/release/site/updates/zarvik.txt)) for the site $(sed -n 's/^#define ZARVIK_UPDATE_SITE //p' build/win32/generated/zarvik/UpdateSite.h)"
(cd build/release && ls -l ZarvikSetup.exe zarvik.zip && find site -type f | sort)
