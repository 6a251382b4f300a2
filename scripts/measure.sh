#!/usr/bin/env bash
# What Zarvik.exe costs under Wine beside the console simulator: CPU time over 60 s idle,
# CPU time during a load of 20 binds, and how long replies take. Not a test: numbers to read.
#   scripts/measure.sh [idle|tray|alone|load|all]   (default all)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

what=${1:-all}
start_program_env measure
sim=$root/$tree/tools/console-sim/console-sim.exe

hz=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # user + system, in clock ticks
pid_of() { ps -eo pid,args | grep -i "$1" | grep -v -E 'wine-env|grep' | awk '{print $1}' | tail -1; }
server_pid() { pgrep -f 'wineserver' | head -1; }
percent() { echo "scale=2; 100 * $1 / $hz / $2" | bc; }

# Starts a fresh copy of the program (its own folder) and, if given, the simulator on SCENARIO.
start_pair() {
  local scenario=$1
  rm -rf "$work/prog" && cp -r "$root/$tree/program" "$work/prog"
  if [ -n "$scenario" ]; then
    "${env_cmd[@]}" run "$sim" --hidden --log "$work/sim.log" "$scenario" >/dev/null 2>&1 &
    sleep 2
  fi
  "${env_cmd[@]}" run "$work/prog/Zarvik.exe" >/dev/null 2>&1 &
  sleep 6
  zpid=$(pid_of 'prog\\Zarvik.exe\|prog/Zarvik.exe')
  spid=$(server_pid)
}

stop_pair() {
  "${env_cmd[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1 || true
  "${env_cmd[@]}" run taskkill /im console-sim.exe >/dev/null 2>&1 || true
  sleep 3
}

idle() {
  local label=$1 scenario=$2 to_tray=${3:-}
  start_pair "$scenario"
  if [ -n "$to_tray" ]; then
    "${env_cmd[@]}" run "$root/$tree/tools/bench/press.exe" Zarvik - >/dev/null
    sleep 3
  fi
  local z0 w0 z1 w1
  z0=$(cpu_of "$zpid"); w0=$(cpu_of "$spid")
  sleep 60
  z1=$(cpu_of "$zpid"); w1=$(cpu_of "$spid")
  echo "$label: Zarvik.exe $(percent $((z1 - z0)) 60) % of a core, wineserver $(percent $((w1 - w0)) 60) % (60 s)"
  stop_pair
}

load() {
  start_pair ""
  "${env_cmd[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1 || true
  sleep 2
  mkdir -p "$work/prog/Data"
  printf 'ffa_bespin\r\n' > "$work/prog/Data/data.txt"
  local scenario=$work/load.txt
  { echo "map ffa_bespin"; echo "wait 4000"; echo "chat !load"
    echo "expect 3000 mapname"; echo "expect 3000 echo !loadnow"
    for i in $(seq 1 20); do
      printf 'Bind F%d "say bind %d"\r\n' "$i" "$i" >> "$work/prog/Data/ffa_bespin.txt"
      echo "expect 3000 Bind F$i \"say bind $i\""
    done
    echo "expect 3000 echo ^2All binds ^3successfully ^2loaded"; echo "wait 70000"; } > "$scenario"
  "${env_cmd[@]}" run "$sim" --hidden --log "$work/sim.log" "$scenario" >/dev/null 2>&1 &
  sleep 2
  "${env_cmd[@]}" run "$work/prog/Zarvik.exe" >/dev/null 2>&1 &
  until grep -q 'chat  *Padawan: !load\|print  *Padawan: !load' "$work/sim.log" 2>/dev/null; do sleep 0.05; done
  zpid=$(pid_of 'prog\\Zarvik.exe\|prog/Zarvik.exe'); spid=$(server_pid)
  local z0 w0 t0 z1 w1 t1
  z0=$(cpu_of "$zpid"); w0=$(cpu_of "$spid"); t0=$(date +%s.%N)
  until grep -q 'successfully' "$work/sim.log"; do sleep 0.05; done
  z1=$(cpu_of "$zpid"); w1=$(cpu_of "$spid"); t1=$(date +%s.%N)
  local wall; wall=$(echo "$t1 - $t0" | bc)
  echo "20-bind load: $wall s wall, Zarvik.exe $(percent $((z1 - z0)) "$wall") % of it, wineserver $(percent $((w1 - w0)) "$wall") %"
  # Reply time: from the printed line (or the previous reply) to the next typed command.
  awk '$3 == "print" || $3 == "typed" { t = $1 + 0; if ($3 == "typed" && last != "") printf "%d\n", t - last; last = t }' \
    "$work/sim.log" | sort -n | awk '{ a[NR] = $1 } END { if (NR) printf "reply times: %d sends, %d ms to %d ms, median %d ms\n", NR, a[1], a[NR], a[int((NR + 1) / 2)] }'
  stop_pair
}

printf 'map ffa_bespin\nwait 70000\n' > "$work/idle.txt"
case "$what" in
  idle) idle "idle beside the simulator" "$work/idle.txt" ;;
  tray) idle "idle beside the simulator, sent to the tray" "$work/idle.txt" tray ;;
  alone) idle "idle, no game console" "" ;;
  load) load ;;
  all) idle "idle beside the simulator" "$work/idle.txt"
    idle "idle beside the simulator, sent to the tray" "$work/idle.txt" tray; idle "idle, no game console" ""; load ;;
  *) echo "usage: scripts/measure.sh [idle|tray|alone|load|all]" >&2; exit 2 ;;
esac
