#!/usr/bin/env bash
# site_test.sh SOURCE WORK TOOLCHAIN ARCH SITE-FOLDER SITE: SITE-FOLDER is this tree's site, for SITE
set -uo pipefail
source=$1 work=$2 toolchain=$3 arch=$4 built=$5 site=$6
failed=0
fail() { echo "FAILED: $*"; failed=1; }
configure() {  # configure TREE SITE: configures a product tree with SITE; its exit code
  rm -rf "$work/$1"
  cmake -S "$source" -B "$work/$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DZARVIK_WIN_ARCH="$arch" \
    -DZARVIK_UPDATE_SITE="$2" >"$work/$1.log" 2>&1
}
mkdir -p "$work"
version=$(sed -n 's/^project(Zarvik VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt" | tr -d .)

# This tree's whole site.
[ "$(cat "$built/updates/zarvik.txt")" = "$version" ] || fail "the site's version: $(cat "$built/updates/zarvik.txt")"
[ "$(cat "$built/updates/zarvikurl.txt")" = "${site}files/zarvik.zip" ] ||
  fail "the site's address file: $(cat "$built/updates/zarvikurl.txt")"
[ "$(head -c 2 "$built/files/zarvik.zip")" = PK ] || fail "the site has no archive"

configure site https://updates.example.org/zarvik || fail "a good site refused: $(tail -5 "$work/site.log")"
grep -qx '#define ZARVIK_UPDATE_SITE "https://updates.example.org/zarvik/"' "$work/site/generated/zarvik/UpdateSite.h" ||
  fail "the program does not carry the site: $(cat "$work/site/generated/zarvik/UpdateSite.h")"
[ "$(cat "$work/site/installer/zarvikurl.txt")" = https://updates.example.org/zarvik/files/zarvik.zip ] ||
  fail "the site's address file: $(cat "$work/site/installer/zarvikurl.txt")"
for bad in 'ftp://updates.example.org/' 'http://a.example.org/x,/root,C:/Windows' 'http://u@a.example.org/' \
  'http://a.example.org/a b/' 'http://zarvik.invalid/'; do
  configure bad "$bad" && fail "a site that is no usable address taken: $bad"
done

# release.sh, checking only: a version that joins to no greater number than the one published is
# refused (1.1.10 and 11.1.0 both give 1110).
published=$work/published
mkdir -p "$published/updates"
for row in "$((version - 1)) 0" "$version 1" "${version}0 1" "abc 1"; do
  read -r last code <<<"$row"
  printf '%s\r\n' "$last" >"$published/updates/zarvik.txt"
  out=$(bash "$source/scripts/release.sh" --check --site https://updates.example.org/ --published "$published" 2>&1)
  [ $? -eq "$code" ] || fail "release.sh over a published $last: $out"
done
rm -rf "$work"
exit $failed
