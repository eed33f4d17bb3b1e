#!/usr/bin/env bash
# Paired comparison of contouring with contourpy on the same 1000 x 1000 grid and 20 levels.
# Command: bench/cont_vs_contourpy.sh [build-bench] [pairs]  (default build-bench, 7 pairs)
# Statistic: each side is the least processor time of five runs of one drawing (ours: the
# cpu_time of bench_cont's _min rows: lines onto PostScript written to /dev/null, fills onto
# PostScript, and lines and fills; contourpy: bench/contourpy_time.py, generating the lines and
# the filled bands without drawing).  A pair runs the two one after the other; the script prints each pair and the
# median over the pairs of ours / contourpy (below 1: ours faster).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
pairs=${2:-7}
ratios=$(mktemp)
trap 'rm -f "$ratios"' EXIT
for p in $(seq "$pairs"); do
    ours=$("$build/bench/bench_cont" --benchmark_format=csv \
        --benchmark_filter='BM_Contour(Lines|Fills|LinesAndFills)/' 2>/dev/null | grep '_min"')
    py=$(/usr/bin/python3 "$top/bench/contourpy_time.py")
    ms() { echo "$ours" | awk -F, -v n="\"$1/" 'index($1, n) == 1 { print $4 }'; }
    lines=$(ms BM_ContourLines)
    fills=$(ms BM_ContourFills)
    both=$(ms BM_ContourLinesAndFills)
    pl=$(echo "$py" | awk '$1 == "lines" { print $2 }')
    pf=$(echo "$py" | awk '$1 == "filled" { print $2 }')
    echo "pair $p: ours lines $lines ms, fills $fills ms, both $both ms; contourpy lines $pl ms, filled $pf ms"
    awk -v l="$lines" -v f="$fills" -v b="$both" -v pl="$pl" -v pf="$pf" \
        'BEGIN { printf "%f %f %f\n", l / pl, f / pf, b / (pl + pf) }' >>"$ratios"
done
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "median ours/contourpy over $pairs pairs:"
echo "  lines: $(awk '{ print $1 }' "$ratios" | median)"
echo "  fills: $(awk '{ print $2 }' "$ratios" | median)"
echo "  lines and fills (against lines + filled): $(awk '{ print $3 }' "$ratios" | median)"
