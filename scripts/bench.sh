#!/usr/bin/env bash
# Builds the benchmarks natively, optimised and without sanitizers, and runs them.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash scripts/setup.sh || exit 1
# Only the benchmark: the tests are built in trees of their own, and at this optimisation GCC 12
# warns falsely (-Wrestrict, inside std::string) in some of them, which stops the build.
targets=tick_bench configure_and_build build/bench -DCMAKE_BUILD_TYPE=Release -DZARVIK_SANITIZE=OFF || exit 1
build/bench/tools/bench/tick_bench "$@"
