#!/usr/bin/env bash
# A long run: the simulator plays mixed matches against Zarvik.exe under Wine for MINUTES
# (60 when left out) and checks every reply; Zarvik's memory and handle count are sampled
# every five minutes. Not part of the test command.
#   scripts/soak.sh [MINUTES]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

minutes=${1:-60}
[[ "$minutes" =~ ^[0-9]+$ ]] && [ "$minutes" -gt 0 ] || { echo "usage: scripts/soak.sh [MINUTES]" >&2; exit 2; }
start_program_env soak

# The program with five binds stored for ffa_bespin.
cp -r "$root/$tree/program" "$work/prog"
mkdir -p "$work/prog/Data"
printf 'ffa_bespin\r\n' > "$work/prog/Data/data.txt"
for i in 1 2 3 4 5; do printf 'Bind F%d say bind %d\r\n' "$i" "$i"; done > "$work/prog/Data/ffa_bespin.txt"
printf '[%%General%%]\r\nName=Padawan\r\n' > "$work/prog/info.ini"

# One round of mixed play, about 20 s: chat commands, other players, a capture on a map of the
# round's own, and a load of the five binds.
round() {
  sed "s/ROUND/$1/g" <<'EOF'
map ffa_bespin
chat !time
expect-match 950-3000 echo \^7The \^5Time \^7is currently: .*
wait 300
chat !date
expect-match 950-3000 echo \^7The \^5Date \^7is: .*
wait 300
chat-from Kyle Padawan: !time
chat-from Jan well played Padawan
expect-none 1500
chat !name
expect 950-3000 echo ^1Your name is: ^7Padawan
wait 300
map soak_ROUND
chat !add f6
expect 950-3000 Bind F6
expect 950-3000 "mapname"
expect 950-3000 echo "^6Bind Saved ^1(^7F6 ^1|^7 "force_pull" ^1|^7 soak_ROUND^1)
wait 300
map ffa_bespin
chat !load
expect 950-3000 mapname
expect 950-3000 echo !loadnow
expect 950-3000 Bind F1 say bind 1
expect 950-3000 Bind F2 say bind 2
expect 950-3000 Bind F3 say bind 3
expect 950-3000 Bind F4 say bind 4
expect 950-3000 Bind F5 say bind 5
expect 950-3000 echo ^2All binds ^3successfully ^2loaded
wait 300
print ^3Server: ^7the match ends in 5 minutes
wait 1000
EOF
}
rounds=$(( minutes * 60 / 20 ))
{ echo "bind F6 force_pull"; echo "wait 3000"; for n in $(seq "$rounds"); do round "$n"; done; } > "$work/soak.txt"

"${env_cmd[@]}" run "$work/prog/Zarvik.exe" >/dev/null 2>&1 &
sleep 5
# Windows' view through procstat (under Wine only the working set is real: private bytes,
# handles and GDI/USER counts of another process come back 0), and the Wine process's own
# anonymous memory and open descriptors from /proc.
zpid() { ps -eo pid,args | grep -i 'prog.Zarvik.exe' | grep -v -E 'wine-env|grep' | awk '{print $1}' | tail -1; }
sample() {
  local pid; pid=$(zpid)
  echo "$("${env_cmd[@]}" run "$root/$tree/tools/bench/procstat.exe" Zarvik.exe 2>/dev/null | tr -d '\r')" \
    "rss_anon_kib=$(awk '/^RssAnon/ {print $2}' "/proc/$pid/status") fds=$(ls "/proc/$pid/fd" | wc -l)"
}
echo "$(date +%T) start: $(sample)" | tee "$work/samples.txt"
"${env_cmd[@]}" run "$root/$tree/tools/console-sim/console-sim.exe" --hidden --log "$work/sim.log" "$work/soak.txt" \
  >/dev/null 2>&1 &
sim=$!
while kill -0 "$sim" 2>/dev/null; do
  for _ in $(seq 60); do kill -0 "$sim" 2>/dev/null && sleep 5; done
  echo "$(date +%T) $(sample)" | tee -a "$work/samples.txt"
done
status=0
wait "$sim" || status=$?
"${env_cmd[@]}" run taskkill /im Zarvik.exe >/dev/null 2>&1 || true
echo "soak: $rounds rounds, $(grep -c ' typed ' "$work/sim.log") commands typed, simulator exit $status ($([ $status = 0 ] && echo 'every reply arrived' || grep -m1 ' fail ' "$work/sim.log"))"
echo "soak: samples in $work/samples.txt, the simulator's log in $work/sim.log"
exit $status
