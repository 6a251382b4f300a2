#!/usr/bin/env bash
# Installs what is missing, builds Zarvik and runs it under Wine beside the game console
# simulator: on your display when there is one, otherwise headless, playing a short match and
# printing what the console showed.
#   scripts/run.sh [--dpi N] [--text-console]
#     --dpi N: N dots per inch for Wine's screen (96 when left out)
#     --text-console: the game as today's community clients run, started by Zarvik in a hidden
#       console of its own (the simulator in its text-console mode); the match is played on a
#       display too, as nobody can type into a hidden console.
set -uo pipefail
source "$(dirname "$0")/common.sh"
dpi= text=0
while [ $# -gt 0 ]; do
  if [ "$1" = --dpi ] && [[ "${2:-}" =~ ^[0-9]+$ ]]; then dpi=$2; shift 2
  elif [ "$1" = --text-console ]; then text=1; shift
  else echo "usage: scripts/run.sh [--dpi N] [--text-console]" >&2; exit 2; fi
done
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
[ -n "$dpi" ] && "${env[@]}" run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null

if [ "$text" = 1 ]; then
  # Zarvik starts the game itself: the "Game" and "GameArgs" settings name the simulator.
  winpath() { "${env[@]}" run winepath -w "$1" 2>/dev/null | tr -d '\r'; }
  log=$run/game.log
  printf '[%%General%%]\r\nGame=%s\r\nGameArgs=--text-console --log "%s" "%s"\r\n' "$(winpath "$sim")" \
    "$(winpath "$log")" "$(winpath "$root/tools/console-sim/scenarios/session.txt")" >"$run/info.ini"
  echo "Zarvik starts the game (the simulator in text-console mode) in a hidden console and plays a short"
  echo "match with it. The console's transcript:"
  "${env[@]}" run "$run/Zarvik.exe" --start-game &
  shots=$tree/screenshots shot=
  mkdir -p "$shots"
  for _ in $(seq 240); do
    grep -q ' result ' "$log" 2>/dev/null && break
    # The screen in mid-match, while the game's hidden console exists.
    if [ -z "$shot" ] && grep -q '!about' "$log" 2>/dev/null; then
      shot=$shots/text-console-screen.png
      import -window root "$shot" 2>/dev/null || shot=
    fi
    sleep 0.5
  done
  cat "$log" 2>/dev/null
  status=1; grep -q ' result  *passed' "$log" 2>/dev/null && status=0
  [ -n "$shot" ] && echo "run: the screen in mid-match (no console window on it): $shot"
  "${env[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1
  wait
  exit $status
fi

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
# A picture of each window: the main window, the editing suite it opens, the updater and
# the credits.
shots=$tree/screenshots
mkdir -p "$shots"
shoot() {
  local id; id=$(xwininfo -name "$1" 2>/dev/null | awk '/Window id:/ {print $4}')
  [ -n "$id" ] && import -window "$id" "$shots/$2" 2>/dev/null && echo "run: $1 in $shots/$2"
}
shoot Zarvik main.png
"${env[@]}" run "$tree/tools/bench/press.exe" Zarvik "&Edit Binds" >/dev/null 2>&1 && sleep 1
shoot "Editing Suite" editing-suite.png
"${env[@]}" run "$tree/tools/bench/press.exe" "Editing Suite" "&Update" >/dev/null 2>&1 && sleep 3
shoot "Update Zarvik" updater.png
"${env[@]}" run "$tree/tools/bench/press.exe" "Editing Suite" "&Credits" >/dev/null 2>&1 && sleep 3
shoot "Credits" credits.png
import -window root "$shots/screen.png" 2>/dev/null
# Closed from outside, Zarvik takes its exit path: tray icon removed, position saved.
"${env[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1
wait
echo "run: info.ini afterwards:" && cat "$run/info.ini" && echo
exit $status
