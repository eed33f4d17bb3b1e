#!/usr/bin/env bash
# Whole-process benchmark of prfdisp's batch time-height section against its matplotlib peer
# (prf_barbs_matplotlib.py), both reading the same profiler files of six stations and drawing one
# station's wind barbs, timed in the same run in alternating pairs (bench/paired.py):
#   PostScript  prfdisp -ba -de P,OUT.ps  over 13 hourly files     peer: the same 13 files to PNG
#   PNG         prfdisp -ba -of png=OUT   over 13 hourly files     peer: the same
#   200 files   prfdisp -ba -de P,OUT.ps -nh -199 over 200 files   peer: the same 200 files to PNG
# Statistic: the median wall time of PAIRS pairs of each, and the median of the pairs' ratios
# prfdisp / peer (below 1 means prfdisp is faster; 0.02 is 50 times as fast), with the least and
# largest ratio; beside it the median processor times and the median of their ratios (steadier
# than wall time on a loaded machine) and the peak memory of one run (maximum
# resident set size from /usr/bin/time -v).  The PNG runs need an X display; without one all of
# it runs on a virtual one.  The X server's share of the PNG runs is not in the processor time.
# Usage: bench/prfdisp_vs_matplotlib.sh [BUILD [PAIRS]]   (default: build-bench, 9 pairs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-bench}" && pwd)
pairs=${2:-9}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "$pairs"
fi

work=$(mktemp -d /tmp/prfdisp_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/prfgen" -l station "$work/d13" >/dev/null
"$build/prfgen" -l station -n 200 "$work/d200" >/dev/null
station=PLTC2
last=2024051412
last200=2024052207
width=800
height=640

prfdisp=("$build/prfdisp" -fp "$top/etc" -ba -ge "${width}x$height" -id "$station")
ps_run=("${prfdisp[@]}" -dp "$work/d13/station" -de "P,$work/section.ps" "$work/d13/station/$last.prf")
png_run=("${prfdisp[@]}" -dp "$work/d13/station" -of "png=$work/section.png" "$work/d13/station/$last.prf")
s200_run=("${prfdisp[@]}" -nh -199 -dp "$work/d200/station" -de "P,$work/s200.ps"
          "$work/d200/station/$last200.prf")
peer=(/usr/bin/python3 "$top/bench/prf_barbs_matplotlib.py")
peer_run=("${peer[@]}" "$work/d13/station" "$station" "$last" "$work/peer.png" "$width" "$height")
peer200_run=("${peer[@]}" "$work/d200/station" "$station" "$last200" "$work/peer200.png" "$width"
             "$height" 199)

# Each writes its picture once first: a run that fails is reported, not timed.
check() {
  local what=$1 out=$2
  shift 2
  "$@" >/dev/null && [ -s "$out" ] || { echo "$what failed" >&2; exit 1; }
}
check "prfdisp to PostScript" "$work/section.ps" "${ps_run[@]}"
check "prfdisp to PNG" "$work/section.png" "${png_run[@]}"
check "prfdisp over 200 files" "$work/s200.ps" "${s200_run[@]}"
check "the matplotlib peer" "$work/peer.png" "${peer_run[@]}"
check "the matplotlib peer over 200 files" "$work/peer200.png" "${peer200_run[@]}"

peak() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { print $2 + 0 }'
}

echo "time-height section of $station, ${width}x$height, medians of $pairs alternating pairs:"
echo "                        prfdisp ms  peer ms  ratio (least-largest)  cpu ms: prfdisp  peer  ratio  peak kB: prfdisp  peer"
row() {
  local name=$1 n=$2
  shift 2
  local a=("${@:1:$n}") b=("${@:$((n + 1))}")
  read -r wa wb r ca cb lo hi cr < <(/usr/bin/python3 "$top/bench/paired.py" "$pairs" "${a[@]}" -- "${b[@]}")
  printf '  %-20s %10.1f %8.1f  %6.4f (%.4f-%.4f)  %13.1f %6.1f %6.4f  %15d %6d\n' "$name" "$wa" \
    "$wb" "$r" "$lo" "$hi" "$ca" "$cb" "$cr" "$(peak "${a[@]}")" "$(peak "${b[@]}")"
}
row "13 files, PostScript" ${#ps_run[@]} "${ps_run[@]}" "${peer_run[@]}"
row "13 files, PNG" ${#png_run[@]} "${png_run[@]}" "${peer_run[@]}"
row "200 files, PostScript" ${#s200_run[@]} "${s200_run[@]}" "${peer200_run[@]}"
