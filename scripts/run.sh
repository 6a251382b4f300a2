#!/usr/bin/env bash
# Installs what is missing, builds the Windows programs and runs them under Wine: on your
# display when there is one, otherwise headless, printing what the console shows.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh || exit 1

arch=$(windows_run_arch)
build_windows "$arch" || exit 1
tree=$(windows_tree "$arch")
wine_arch=win32; [ "$arch" = i686 ] || wine_arch=win64
sim=$tree/tools/console-sim/console-sim.exe

# Zarvik's own windows do not exist yet: this runs the game console simulator alone.
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "The game console simulator is open on your display: type into it as into the game's console (say !time)."
  exec scripts/wine-env --dir "$tree/wine-run" --arch "$wine_arch" --own-display run "$sim"
fi
echo "No display: playing a short match in the game console simulator, headless."
exec scripts/wine-env --dir "$tree/wine-run" --arch "$wine_arch" run "$sim" --hidden tools/console-sim/scenarios/demo.txt
