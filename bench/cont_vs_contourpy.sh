#!/usr/bin/env bash
# Runs the contouring benchmark and times contourpy on the same grid and levels in the same run;
# prints both and the ratios (contourpy time / ours: above 1 means ours is faster).
# Usage: bench/cont_vs_contourpy.sh [build-bench]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
ours=$("$build/bench/bench_cont" --benchmark_format=csv 2>/dev/null | grep '^"BM_')
py=$(/usr/bin/python3 "$top/bench/contourpy_time.py")
ms() { echo "$ours" | awk -F, -v n="\"$1\"" '$1 == n { print $3 }'; }
lines=$(ms BM_ContourLines)
fills=$(ms BM_ContourFills)
both=$(ms BM_ContourLinesAndFills)
pl=$(echo "$py" | awk '$1 == "lines" { print $2 }')
pf=$(echo "$py" | awk '$1 == "filled" { print $2 }')
echo "ours: lines $lines ms, fills $fills ms, lines and fills $both ms"
echo "contourpy: lines $pl ms, filled $pf ms"
awk -v a="$pl" -v b="$lines" 'BEGIN { printf "lines ratio (contourpy/ours): %.2f\n", a / b }'
awk -v a="$pf" -v b="$fills" 'BEGIN { printf "fills ratio (contourpy/ours): %.2f\n", a / b }'
awk -v a="$pl" -v c="$pf" -v b="$both" 'BEGIN { printf "lines and fills ratio (contourpy lines+filled/ours): %.2f\n", (a + c) / b }'
