#!/usr/bin/env bash
# Whole-process benchmark of prfdisp's batch time-height section (one station's wind barbs over
# 13 hourly files) to PostScript and to PNG, and of the matplotlib peer (prf_barbs_matplotlib.py)
# drawing the same barb section from the same files to a PNG of the same size, in the same run.
# Prints the fastest wall time and the least processor time of RUNS runs of each, the peak
# memory of each (maximum resident set size from /usr/bin/time -v) and the ratios (peer /
# prfdisp: above 1 means prfdisp is faster or smaller).  The PNG runs need an X display;
# without one all of it runs on a virtual one.
# Usage: bench/prfdisp_vs_matplotlib.sh [BUILD [RUNS]]   (default: build-bench, 10 runs)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build-bench}" && pwd)
runs=${2:-10}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "$runs"
fi

work=$(mktemp -d /tmp/prfdisp_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/prfgen" -l station "$work/data" >/dev/null
data=$work/data/station
station=PLTC2
last=2024051412
width=800
height=640

prfdisp=("$build/prfdisp" -fp "$top/etc" -ba -ge "${width}x$height" -id "$station" -dp "$data")
ps_run=("${prfdisp[@]}" -de "P,$work/section.ps" "$data/$last.prf")
png_run=("${prfdisp[@]}" -of "png=$work/section.png" "$data/$last.prf")
peer_run=(/usr/bin/python3 "$top/bench/prf_barbs_matplotlib.py" "$data" "$station" "$last"
          "$work/peer.png" "$width" "$height")

# The fastest wall time and the least processor time (user + system, the process and the
# children it waited for) of RUNS runs, in milliseconds: "WALL CPU".  The command's output is
# dropped.
fastest() {
  /usr/bin/python3 - "$runs" "$@" <<'PY'
import os, subprocess, sys, time
runs, cmd = int(sys.argv[1]), sys.argv[2:]
wall = cpu = None
for _ in range(runs):
    t = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, use = os.wait4(p.pid, 0)
    w = (time.perf_counter() - t) * 1000
    c = (use.ru_utime + use.ru_stime) * 1000
    wall = w if wall is None else min(wall, w)
    cpu = c if cpu is None else min(cpu, c)
print("%.1f %.1f" % (wall, cpu))
PY
}

# Peak resident memory of one run, in kB.
peak() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { print $2 + 0 }'
}

# Each writes its picture once first: a run that fails is reported, not timed.
"${ps_run[@]}" >/dev/null && [ -s "$work/section.ps" ] || { echo "prfdisp to PostScript failed" >&2; exit 1; }
"${png_run[@]}" >/dev/null && [ -s "$work/section.png" ] || { echo "prfdisp to PNG failed" >&2; exit 1; }
"${peer_run[@]}" >/dev/null && [ -s "$work/peer.png" ] || { echo "the matplotlib peer failed" >&2; exit 1; }

read -r ps_ms ps_cpu < <(fastest "${ps_run[@]}")
read -r png_ms png_cpu < <(fastest "${png_run[@]}")
read -r peer_ms peer_cpu < <(fastest "${peer_run[@]}")
ps_kb=$(peak "${ps_run[@]}")
png_kb=$(peak "${png_run[@]}")
peer_kb=$(peak "${peer_run[@]}")

echo "time-height section of $station, 13 hourly files, ${width}x$height, best of $runs runs:"
echo "                         wall ms    cpu ms   peak kB   (cpu: the process; the X server's"
echo "                                                        share of the PNG runs not counted)"
printf '  prfdisp to PostScript  %8.1f  %8.1f  %8d\n' "$ps_ms" "$ps_cpu" "$ps_kb"
printf '  prfdisp to PNG         %8.1f  %8.1f  %8d\n' "$png_ms" "$png_cpu" "$png_kb"
printf '  matplotlib peer (PNG)  %8.1f  %8.1f  %8d\n' "$peer_ms" "$peer_cpu" "$peer_kb"
awk -v p="$peer_ms" -v a="$png_ms" -v b="$ps_ms" 'BEGIN {
  printf "wall time ratio (peer / prfdisp): PNG %.1f, PostScript %.1f\n", p / a, p / b }'
awk -v p="$peer_cpu" -v a="$png_cpu" -v b="$ps_cpu" 'BEGIN {
  printf "processor time ratio (peer / prfdisp): PNG %.1f, PostScript %.1f\n", p / a, p / b }'
awk -v p="$peer_kb" -v a="$png_kb" -v b="$ps_kb" 'BEGIN {
  printf "peak memory ratio (peer / prfdisp): PNG %.1f, PostScript %.1f\n", p / a, p / b }'
