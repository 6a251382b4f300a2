#!/usr/bin/env bash
# What Zarvik.exe costs under Wine beside the console simulator: CPU time over 60 s idle,
# CPU time during a load of 20 binds, and how long replies take. Not a test: numbers to read.
#   scripts/measure.sh [idle|tray|alone|load|text-idle|text-load|flood|all]   (default all)
# The text- ones do the same with the game as today's clients run it: started by Zarvik in a
# hidden text console (the simulator's text-console mode); the console's own process
# (conhost.exe) is counted with Zarvik.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

what=${1:-all}
start_program_env measure
sim=$root/$tree/tools/console-sim/console-sim.exe

hz=$(getconf CLK_TCK)
prefix=$(eval "$("${env_cmd[@]}" env)"; echo "$WINEPREFIX")
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # user + system, in clock ticks
# Other Wine prefixes may run on the machine meanwhile: only this one's processes count.
in_prefix() { { tr '\0' '\n' <"/proc/$1/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; }
pid_of() {
  local p
  for p in $(ps -eo pid,args | grep -i -- "$1" | grep -v -E 'wine-env|grep|console-host' | awk '{print $1}'); do
    if in_prefix "$p"; then echo "$p"; fi  # a loop that ends on a miss must not fail the script
  done | tail -1
}
server_pid() { pid_of wineserver; }
percent() { echo "scale=2; 100 * $1 / $hz / $2" | bc; }

winpath() { "${env_cmd[@]}" run winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Starts a fresh copy of the program (its own folder) and, if given, the simulator on SCENARIO;
# with TEXT, Zarvik starts the simulator itself in a text console of its own.
start_pair() {
  local scenario=$1 text=${2:-}
  rm -rf "$work/prog" && cp -r "$root/$tree/program" "$work/prog"
  cpid=
  # The player's name, so that the player's chat commands are answered.
  printf '[%%General%%]\r\nName=Padawan\r\n' >"$work/prog/info.ini"
  if [ -n "$text" ]; then
    printf '[%%General%%]\r\nName=Padawan\r\nGame=%s\r\nGameArgs=--text-console --log "%s" "%s"\r\n' "$(winpath "$sim")" \
      "$(winpath "$work/sim.log")" "$(winpath "$scenario")" >"$work/prog/info.ini"
    "${env_cmd[@]}" run "$work/prog/Zarvik.exe" --start-game >/dev/null 2>&1 &
    sleep 6
    find_pids conhost.exe
    return
  fi
  if [ -n "$scenario" ]; then
    "${env_cmd[@]}" run "$sim" --hidden --log "$work/sim.log" "$scenario" >/dev/null 2>&1 &
    sleep 2
  fi
  "${env_cmd[@]}" run "$work/prog/Zarvik.exe" >/dev/null 2>&1 &
  sleep 6
  find_pids
}

# Zarvik's process once it is up (a loaded machine starts it late), and the console's, if named.
find_pids() {
  local t=0
  until zpid=$(pid_of 'prog\\Zarvik.exe\|prog/Zarvik.exe') && [ -n "$zpid" ]; do
    t=$((t + 1)); [ $t -lt 60 ] || { echo "measure: Zarvik.exe did not start" >&2; exit 1; }
    sleep 0.5
  done
  cpid=
  [ -z "${1:-}" ] || cpid=$(pid_of "$1")
  spid=$(server_pid)
}

stop_pair() {
  "${env_cmd[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1 || true
  "${env_cmd[@]}" run taskkill /im console-sim.exe >/dev/null 2>&1 || true
  sleep 3
}

idle() {
  local label=$1 scenario=$2 to_tray=${3:-} text=${4:-}
  start_pair "$scenario" "$text"
  if [ -n "$to_tray" ]; then
    "${env_cmd[@]}" run "$root/$tree/tools/bench/press.exe" Zarvik - >/dev/null
    sleep 3
  fi
  local z0 w0 c0=0 z1 w1 c1=0 console=
  z0=$(cpu_of "$zpid"); w0=$(cpu_of "$spid"); [ -n "$cpid" ] && c0=$(cpu_of "$cpid")
  sleep 60
  z1=$(cpu_of "$zpid"); w1=$(cpu_of "$spid"); [ -n "$cpid" ] && c1=$(cpu_of "$cpid")
  [ -n "$cpid" ] && console=", conhost.exe $(percent $((c1 - c0)) 60) %"
  echo "$label: Zarvik.exe $(percent $((z1 - z0)) 60) % of a core$console, wineserver $(percent $((w1 - w0)) 60) % (60 s)"
  stop_pair
}

load() {
  local text=${1:-}
  start_pair ""
  "${env_cmd[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1 || true
  sleep 2
  rm -f "$work/sim.log"
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
  if [ -n "$text" ]; then
    printf '[%%General%%]\r\nGame=%s\r\nGameArgs=--text-console --log "%s" "%s"\r\n' "$(winpath "$sim")" \
      "$(winpath "$work/sim.log")" "$(winpath "$scenario")" >"$work/prog/info.ini"
    "${env_cmd[@]}" run "$work/prog/Zarvik.exe" --start-game >/dev/null 2>&1 &
  else
    "${env_cmd[@]}" run "$sim" --hidden --log "$work/sim.log" "$scenario" >/dev/null 2>&1 &
    sleep 2
    "${env_cmd[@]}" run "$work/prog/Zarvik.exe" >/dev/null 2>&1 &
  fi
  until grep -q 'chat  *Padawan: !load\|print  *Padawan: !load' "$work/sim.log" 2>/dev/null; do sleep 0.05; done
  zpid=$(pid_of 'prog\\Zarvik.exe\|prog/Zarvik.exe'); spid=$(server_pid); cpid=
  [ -n "$text" ] && cpid=$(pid_of 'conhost.exe')
  local z0 w0 t0 c0=0 z1 w1 t1 c1=0 console=
  z0=$(cpu_of "$zpid"); w0=$(cpu_of "$spid"); [ -n "$cpid" ] && c0=$(cpu_of "$cpid"); t0=$(date +%s.%N)
  until grep -q 'successfully' "$work/sim.log"; do sleep 0.05; done
  z1=$(cpu_of "$zpid"); w1=$(cpu_of "$spid"); [ -n "$cpid" ] && c1=$(cpu_of "$cpid"); t1=$(date +%s.%N)
  local wall; wall=$(echo "$t1 - $t0" | bc)
  [ -n "$cpid" ] && console=", conhost.exe $(percent $((c1 - c0)) "$wall") %"
  echo "20-bind load${text:+ (text console)}: $wall s wall, Zarvik.exe $(percent $((z1 - z0)) "$wall") % of it$console, wineserver $(percent $((w1 - w0)) "$wall") %"
  # Reply time: from the printed line (or the previous reply) to the next typed command.
  awk '$3 == "print" || $3 == "typed" { t = $1 + 0; if ($3 == "typed" && last != "") printf "%d\n", t - last; last = t }' \
    "$work/sim.log" | sort -n | awk '{ a[NR] = $1 } END { if (NR) printf "reply times: %d sends, %d ms to %d ms, median %d ms\n", NR, a[1], a[NR], a[int((NR + 1) / 2)] }'
  stop_pair
}

# Zarvik's, wineserver's and (with a text console) conhost's share of a core over the next SECONDS.
cpu_for() {
  local z0 w0 c0=0 z1 w1 c1=0 shares
  z0=$(cpu_of "$zpid"); w0=$(cpu_of "$spid"); [ -z "$cpid" ] || c0=$(cpu_of "$cpid")
  sleep "$1"
  z1=$(cpu_of "$zpid"); w1=$(cpu_of "$spid"); [ -z "$cpid" ] || c1=$(cpu_of "$cpid")
  shares="Zarvik.exe $(percent $((z1 - z0)) "$1") %, wineserver $(percent $((w1 - w0)) "$1") %"
  [ -z "$cpid" ] || shares+=", conhost.exe $(percent $((c1 - c0)) "$1") %"
  echo "$shares"
}

# Idle before and after 4,000 chat lines of other players, and the reply to "!time" after them,
# in both links, one after the other in this run.
flood() {
  local text=${1:-} label=${1:+text console}
  label=${label:-console window}
  local scenario=$work/flood.txt
  # The console window's buffer starts again past 0x7fff characters: more lines after the 4,000
  # leave it nearly full, the costliest case to read.
  local total=0 line b i
  { echo "map ffa_bespin"; echo "wait 45000"
    for b in $(seq 1 41); do
      for i in $(seq 1 100); do
        line="Kyle: line $b.$i of a full server's evening: the quick brown fox"
        total=$((total + ${#line} + 2)); [ $total -le 32767 ] || total=$((${#line} + 2))
        [ "$b" -le 40 ] || [ $((total + ${#line} + 2)) -le 32000 ] || break
        echo "chat-from ${line/: / }"
      done
      echo "wait 100"
    done
    echo "wait 40000"; echo "chat !time"; echo "expect-match 500-5000 echo \\^7The \\^5Time .*"; echo "wait 30000"
  } >"$scenario"
  rm -f "$work/sim.log"
  start_pair "$scenario" "$text"
  local before after
  sleep 2
  before=$(cpu_for 25)
  until grep -q 'step.*wait 40000' "$work/sim.log" 2>/dev/null; do sleep 0.2; done
  sleep 5
  after=$(cpu_for 25)
  local t=0
  while ! grep -q 'typed *echo ^7The ^5Time' "$work/sim.log" && [ $t -lt 300 ]; do sleep 0.1; t=$((t + 1)); done
  local reply
  reply=$(awk '/print  *Padawan: !time/ { t = $1 + 0 } /typed  *echo \^7The \^5Time/ && t { print $1 - t; exit }' "$work/sim.log")
  echo "flood ($label): idle before $before; idle after 4,000 lines $after (25 s each); reply to !time ${reply:-none} ms"
  stop_pair
}

printf 'map ffa_bespin\nwait 70000\n' > "$work/idle.txt"
case "$what" in
  idle) idle "idle beside the simulator" "$work/idle.txt" ;;
  tray) idle "idle beside the simulator, sent to the tray" "$work/idle.txt" tray ;;
  alone) idle "idle, no game console" "" ;;
  load) load ;;
  text-idle) idle "idle beside the simulator in a text console" "$work/idle.txt" "" text ;;
  text-load) load text ;;
  flood) flood; flood text ;;
  all) idle "idle beside the simulator" "$work/idle.txt"
    idle "idle beside the simulator, sent to the tray" "$work/idle.txt" tray; idle "idle, no game console" ""; load
    idle "idle beside the simulator in a text console" "$work/idle.txt" "" text; load text ;;
  *) echo "usage: scripts/measure.sh [idle|tray|alone|load|text-idle|text-load|flood|all]" >&2; exit 2 ;;
esac
