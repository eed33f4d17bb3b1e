#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:-30}
scripts/deps.sh test
build=${VYK_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVYK_FUZZ=ON \
  -DVYK_TESTS=ON >/dev/null
targets=$(cd tests/fuzz && ls *.cpp 2>/dev/null | sed 's/\.cpp$//')
[ -n "$targets" ] || exit 0
cmake --build "$build" -j "$(nproc)" --target $targets
for t in $targets; do
  corpus="$build/corpus/$t"
  # Crash, leak and slow-unit inputs are kept in the build directory, never in the sources.
  artifacts="$build/artifacts/$t/"
  mkdir -p "$corpus" "$artifacts"
  # Seed inputs of a target (tests/fuzz/seeds/<target>, made from the test fixtures) are read
  # beside its corpus.
  seeds="tests/fuzz/seeds/$t"
  [ -d "$seeds" ] || seeds=
  echo "fuzzing $t for ${seconds}s"
  "$build/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=0 \
    -artifact_prefix="$artifacts" "$corpus" $seeds \
    2>"$build/$t.log" \
    || { tail -40 "$build/$t.log"; echo "fuzz target $t failed (inputs in $artifacts)"; exit 1; }
done
echo "fuzzing passed"
