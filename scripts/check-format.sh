#!/usr/bin/env bash
# Fails, naming the files, when a C or C++ source does not follow .clang-format.
#   bash scripts/check-format.sh [--fix]
set -uo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format) || { echo "check-format: clang-format is missing"; exit 1; }
mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o -name '*.[ch]' -print -o -name '*.cpp' -print)
if [ "${1:-}" = --fix ]; then
  "$format" -i --style=file "${files[@]}"
  exit
fi
bad=()
for f in "${files[@]}"; do
  "$format" --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
[ ${#bad[@]} -eq 0 ] && exit 0
echo "check-format: these files do not follow .clang-format (bash scripts/check-format.sh --fix):"
printf '  %s\n' "${bad[@]}"
exit 1
