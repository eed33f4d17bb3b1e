#!/usr/bin/env bash
# Builds the Release tree with the benchmarks and runs them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYK_TESTS=OFF -DVYK_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)"
# The drawing benchmarks need an X display: without one they run under a virtual X server.
run_all='status=0
for b in build-bench/bench/*; do
  if [ -x "$b" ] && [ -f "$b" ]; then "$b" "$@" || status=1; fi
done
exit $status'
if [ -n "${DISPLAY:-}" ]; then
  bash -c "$run_all" bench "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$run_all" bench "$@"
fi
