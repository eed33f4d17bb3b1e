#!/usr/bin/env bash
# Builds the Debug tree with the address and undefined-behaviour sanitizers and runs every
# test under an X server of its own.  Installs what is missing first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh test

build=${VYK_TEST_BUILD:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVYK_SANITIZE=ON -DVYK_TESTS=ON \
      -DVYK_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# Every file reader's fuzz target runs for a few seconds (a separate clang build).
scripts/fuzz.sh "${VYK_FUZZ_SECONDS:-5}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
jobs=$(nproc)
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 300
