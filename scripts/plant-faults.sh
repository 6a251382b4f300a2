#!/usr/bin/env bash
# Plants each fault of scripts/planted-faults.txt in turn, builds, runs the tests and says which
# the suite catches. A fault is one plausible slip (a comparison, a dropped line, a wrong text);
# a fault nobody catches is a hole in the tests. Needs built trees (scripts/test.sh makes them).
#   bash scripts/plant-faults.sh [ID-REGEX]      results also in build/planted-faults.log
set -uo pipefail
source "$(dirname "$0")/common.sh"
filter=${1:-.}
win_tree=$(windows_tree "$(windows_run_arch)")
log=$root/build/planted-faults.log
: >"$log"
say() { printf '%s\n' "$*" | tee -a "$log"; }

# Replaces the first occurrence of FROM by TO in FILE; fails when FROM is not there.
plant() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
path, old, new = sys.argv[1:4]
old = old.replace('<NL>', '\n'); new = new.replace('<NL>', '\n')
text = open(path, encoding='latin-1').read()
if old not in text:
    sys.exit(1)
open(path, 'w', encoding='latin-1').write(text.replace(old, new, 1))
PY
}

# Runs TESTS (a ctest regex) in TREE; exit 0 when every test passed.
passes() {
  local tree=$1 tests=$2
  cmake --build "$tree" -- --quiet >/dev/null 2>&1 || return 2
  (cd "$tree" && ctest -j "$(nproc)" -R "$tests" >/dev/null 2>&1)
}

caught=0 missed=0 broken=0
while IFS=$'\t' read -r id where tests file from to; do
  [[ -z "$id" || "$id" == \#* ]] && continue
  [[ "$id" =~ $filter ]] || continue
  if ! plant "$file" "$from" "$to"; then
    say "NOT PLANTED $id ($file: text not found)"; broken=$((broken + 1)); continue
  fi
  verdict=missed
  for tree in build/native "$win_tree"; do
    [ "$where" = win ] && [ "$tree" = build/native ] && continue
    [ "$where" = native ] && [ "$tree" != build/native ] && continue
    passes "$tree" "$tests"; rc=$?
    if [ $rc -eq 2 ]; then verdict=unbuildable; break; fi
    if [ $rc -ne 0 ]; then verdict="caught ($tree)"; break; fi
  done
  git checkout -q -- "$file"
  case "$verdict" in
    caught*) caught=$((caught + 1)) ;;
    missed) missed=$((missed + 1)) ;;
    *) broken=$((broken + 1)) ;;
  esac
  say "$verdict: $id"
done <"$root/scripts/planted-faults.txt"
# Leave the trees built from the sources as they are.
cmake --build build/native -- --quiet >/dev/null 2>&1
cmake --build "$win_tree" -- --quiet >/dev/null 2>&1
say "planted faults: $caught caught, $missed missed, $broken not planted or not buildable"
