#!/usr/bin/env bash
# Installs what is missing, builds the Windows programs and runs them under Wine.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh || exit 1

arch=$(windows_run_arch)
build_windows "$arch" || exit 1
tree=$(windows_tree "$arch")
wine_arch=win32; [ "$arch" = i686 ] || wine_arch=win64

# Zarvik's own windows do not exist yet: what runs is the console link against a console
# window shaped like the game's.
exec scripts/wine-env --dir "$tree/wine-run" --arch "$wine_arch" run "$tree/tests/win/console_link_tests.exe"
