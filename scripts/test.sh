#!/usr/bin/env bash
# Installs what is missing, builds the native tree and the Windows trees, runs every test.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh || exit 1

run_arch=$(windows_run_arch)
echo "== build: native"
configure_and_build build/native || exit 1
echo "== build: Windows 32-bit (the product)"
build_windows i686 || exit 1
if [ "$run_arch" != i686 ]; then
  echo "== build: Windows 64-bit (this kernel cannot start 32-bit programs; the Windows tests run as 64-bit builds)"
  build_windows "$run_arch" || exit 1
fi

passed=0 failed=0 status=0
run_ctest() {
  local tree=$1 out extra=()
  # Under Wine a program very rarely fails to start at all (no output, exit in a few ms); one
  # more try keeps that from failing a run. A test that fails twice still fails.
  [ "$tree" = build/native ] || extra=(--repeat until-pass:2)
  echo "== test: $tree"
  out=$(cd "$tree" && ctest --output-on-failure -j "$(nproc)" "${extra[@]}" 2>&1)
  local rc=$?
  echo "$out"
  [ $rc -eq 0 ] || status=1
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' <<<"$out" | tail -n 1)
  if [ -n "$line" ]; then
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    failed=$((failed + bad)); passed=$((passed + total - bad))
  else
    status=1
  fi
}
run_ctest build/native

# The fuzz target keeps building, and the corpus of console texts passes its checks once.
echo "== fuzz: the engine over tools/fuzz/corpus"
mkdir -p build/fuzz
if cmake -S . -B build/fuzz -G Ninja -DZARVIK_WERROR=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
      -DZARVIK_FUZZ=ON >build/fuzz/configure.log 2>&1 &&
    cmake --build build/fuzz --target engine_fuzz -- --quiet &&
    (cd build/fuzz && ./tools/fuzz/engine_fuzz -runs=0 "$root/tools/fuzz/corpus" >fuzz.log 2>&1); then
  passed=$((passed + 1))
else
  echo "the fuzz target failed on its corpus: build/fuzz/fuzz.log"; failed=$((failed + 1)); status=1
fi

run_ctest "$(windows_tree "$run_arch")"

echo "all: $passed passed, $failed failed"
exit $status
