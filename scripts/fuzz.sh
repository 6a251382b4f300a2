#!/usr/bin/env bash
# Fuzzes the engine with libFuzzer for SECONDS (60 when left out), starting from the corpus in
# tools/fuzz/corpus; new inputs it finds go to build/fuzz/corpus, a crash to build/fuzz/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2; }
bash scripts/setup.sh
tree=build/fuzz
mkdir -p "$tree/corpus"
if ! cmake -S . -B "$tree" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DZARVIK_FUZZ=ON \
    -DZARVIK_WERROR=ON >"$tree/configure.log" 2>&1; then
  cat "$tree/configure.log" >&2
  exit 1
fi
cmake --build "$tree" --target engine_fuzz -- --quiet
cd "$tree"
./tools/fuzz/engine_fuzz -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$root/$tree/" corpus "$root/tools/fuzz/corpus" 2>&1 | tail -25
