#!/usr/bin/env bash
# Builds the Release tree with the benchmarks and runs them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYK_TESTS=OFF -DVYK_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)"
for b in build-bench/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] && "$b" "$@"
done
