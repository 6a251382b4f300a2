#!/usr/bin/env bash
# Plants each fault of scripts/faults/*.txt in turn, builds, runs the tests and says which the
# suite catches. A fault is one plausible slip (a comparison, a dropped line, a wrong text); a
# fault nobody catches is a hole in the tests. Needs built trees (scripts/test.sh makes them).
#   bash scripts/plant-faults.sh [ID-REGEX [FAULT-FILE...]]   results also in build/planted-faults.log
# A fault file holds one fault a line, tab-separated: id; where (native, win or both: the native
# tree first); the tests to run, as ctest names or parts of them joined by "|" (run one after
# the other, cheapest first, until one fails); the file; the text replaced (its first occurrence)
# and its replacement. In the texts <NL> stands for a line break.
set -uo pipefail
source "$(dirname "$0")/common.sh"
filter=${1:-.}
shift || true
files=("$@")
[ ${#files[@]} -gt 0 ] || files=("$root"/scripts/faults/*.txt)
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

# Runs TESTS in TREE; exit 0 when every test passed.
passes() {
  local tree=$1 tests=$2 one
  cmake --build "$tree" -- --quiet >/dev/null 2>&1 || return 2
  IFS='|' read -ra tests <<<"$tests"
  for one in "${tests[@]}"; do
    (cd "$tree" && ctest -j "$(nproc)" -R "$one" >/dev/null 2>&1) || return 1
  done
}

caught=0 missed=0 broken=0
while IFS=$'\t' read -r -u 3 id where tests file from to; do
  [[ -z "$id" || "$id" == \#* ]] && continue
  [[ "$id" =~ $filter ]] || continue
  # Kept aside, not checked out again: uncommitted work in the file must survive.
  cp -p "$file" "$log.kept"
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
  cp -p "$log.kept" "$file" && touch "$file"
  case "$verdict" in
    caught*) caught=$((caught + 1)) ;;
    missed) missed=$((missed + 1)) ;;
    *) broken=$((broken + 1)) ;;
  esac
  say "$verdict: $id"
done 3< <(cat "${files[@]}")
# Leave the trees built from the sources as they are.
cmake --build build/native -- --quiet >/dev/null 2>&1
cmake --build "$win_tree" -- --quiet >/dev/null 2>&1
say "planted faults: $caught caught, $missed missed, $broken not planted or not buildable"
