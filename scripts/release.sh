#!/usr/bin/env bash
# Builds every release file from the product tree (32-bit Windows) into build/release:
#   ZarvikSetup.exe   the setup program (per user, no administrator)
#   zarvik.zip        the setup program, the portable folder Zarvik and Portable.txt
#   site/             the update site's files: updates/zarvik.txt and files/zarvik.zip
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh
build_windows i686
rm -rf build/release
cp -r build/win32/release build/release
echo "release: $(cat build/release/site/updates/zarvik.txt) (version $(sed -n 's/^project(Zarvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt))"
(cd build/release && ls -l ZarvikSetup.exe zarvik.zip && find site -type f | sort)
