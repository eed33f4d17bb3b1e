#!/usr/bin/env bash
# Builds two trees and runs every test in each under an X server of its own: Debug with the
# address and undefined-behaviour sanitizers (build-test) and Release, where warnings are
# errors (build-release).  The fuzz targets run once, between the builds and the tests.
# Installs what is missing first.  Prints how long each step took.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

step_start=$SECONDS
step() {  # step NAME: the time of the step just ended
  echo "== $1: $((SECONDS - step_start)) s"
  step_start=$SECONDS
}

scripts/deps.sh test
step "dependencies"

debug=${VYK_TEST_BUILD:-build-test}
release=${VYK_RELEASE_BUILD:-build-release}
jobs=$(nproc)
cmake -S . -B "$debug" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVYK_SANITIZE=ON -DVYK_TESTS=ON \
      -DVYK_BENCH=OFF >/dev/null
cmake --build "$debug" -j "$jobs"
step "Debug build (sanitizers)"
cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYK_TESTS=ON -DVYK_BENCH=OFF \
      >/dev/null
cmake --build "$release" -j "$jobs"
step "Release build"

# Every file reader's fuzz target runs for a few seconds (a separate clang build).
scripts/fuzz.sh "${VYK_FUZZ_SECONDS:-5}"
step "fuzzing"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for build in "$debug" "$release"; do
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 300
  step "tests in $build"
done
