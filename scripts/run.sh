#!/usr/bin/env bash
# Installs what is missing, builds Zarvik and runs it under Wine beside the game console
# simulator: on your display when there is one, otherwise headless, playing a short match and
# printing what the console showed.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh || exit 1

arch=$(windows_run_arch)
build_windows "$arch" || exit 1
tree=$(windows_tree "$arch")
wine_arch=win32; [ "$arch" = i686 ] || wine_arch=win64
sim=$tree/tools/console-sim/console-sim.exe

# A fresh program folder each run: Zarvik keeps info.ini and Data beside itself.
run=$tree/run
rm -rf "$run" && mkdir -p "$run" && cp "$tree"/program/* "$run"/

display_args=()
headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then display_args=(--own-display); headless=0; fi
env=(scripts/wine-env --dir "$tree/wine-run" --arch "$wine_arch" "${display_args[@]}")
"${env[@]}" start || exit 1
trap '"${env[@]}" stop' EXIT
"${env[@]}" regsvr32 "$tree/perchicon/Perchicon.ocx" || echo "run: the tray icon control could not be registered"
eval "$("${env[@]}" env)"

if [ "$headless" = 0 ]; then
  echo "The game console simulator and Zarvik are open on your display: type into the console as into the"
  echo "game's (say !time). Close Zarvik with its X button to end."
  "${env[@]}" run "$sim" &
  sleep 2
  "${env[@]}" run "$run/Zarvik.exe"
  "${env[@]}" run taskkill /im console-sim.exe >/dev/null 2>&1
  exit 0
fi

echo "No display: playing a short match against Zarvik, headless. The console's transcript:"
"${env[@]}" run "$run/Zarvik.exe" &
"${env[@]}" run "$sim" --hidden tools/console-sim/scenarios/session.txt
status=$?
mkdir -p "$tree/screenshots"
import -window root "$tree/screenshots/session.png" 2>/dev/null && echo "run: screenshot in $tree/screenshots/session.png"
# Closed from outside, Zarvik takes its exit path: tray icon removed, position saved.
"${env[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1
wait
echo "run: info.ini afterwards:" && cat "$run/info.ini" && echo
exit $status
