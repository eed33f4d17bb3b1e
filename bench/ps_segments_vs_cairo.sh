#!/usr/bin/env bash
# Whole-process benchmark of one million line segments written to PostScript: the kernel's
# polylines on a PostScript workstation (ps_segments, built with the benchmarks) against
# pycairo's PostScript surface (ps_segments_cairo.py), timed in the same run in alternating
# pairs (bench/paired.py).
# Statistic: the median wall time of PAIRS pairs of each and the median of the pairs' ratios
# ours / cairo (below 1 means ours is faster), with the least and largest ratio; beside it the
# median processor times and the median of their ratios, and the sizes of the two files.
# Usage: bench/ps_segments_vs_cairo.sh [BUILD [PAIRS]]   (default: build-bench, 9 pairs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-bench}" && pwd)
pairs=${2:-9}
work=$(mktemp -d /tmp/ps_segments_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
ours=("$build/bench/ps_segments" "$work/ours.ps")
peer=(/usr/bin/python3 "$top/bench/ps_segments_cairo.py" "$work/cairo.ps")
read -r wa wb r ca cb lo hi cr < <(/usr/bin/python3 "$top/bench/paired.py" "$pairs" "${ours[@]}" -- "${peer[@]}")
echo "one million line segments to PostScript, medians of $pairs alternating pairs:"
printf '  ours %.1f ms (cpu %.1f), cairo %.1f ms (cpu %.1f): ratio %.4f (%.4f-%.4f), cpu ratio %.4f\n' \
  "$wa" "$ca" "$wb" "$cb" "$r" "$lo" "$hi" "$cr"
printf '  files: ours %d bytes, cairo %d bytes\n' "$(stat -c %s "$work/ours.ps")" \
  "$(stat -c %s "$work/cairo.ps")"
