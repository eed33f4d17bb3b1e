#!/usr/bin/env bash
# prfdisp's main job on sample data.  Installs what is missing, builds the Release tree, writes
# 13 hourly profiler files of six stations (both netCDF layouts) and draws in batch mode the
# time-height section of one station's wind barbs and the map of every station's wind at
# 3000 m above the ground, each as a PNG image (under a virtual X server when there is no
# display) and as PostScript; prints where they are.
#
# Usage: scripts/demo.sh [OUTDIR]                 (default: demo-out in the source tree)
# VYK_DEMO_BUILD=DIR uses the prfdisp and prfgen already built in DIR instead of building.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/demo-out}
mkdir -p "$out"
out=$(cd "$out" && pwd)

"$top/scripts/deps.sh" demo
# The images are dumps of prfdisp's window: without a display, all of it runs on a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

if [ -n "${VYK_DEMO_BUILD:-}" ]; then
  build=$VYK_DEMO_BUILD
else
  build=$top/build-demo
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYK_TESTS=OFF \
        -DVYK_BENCH=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target prfdisp prfgen
fi
for prog in prfdisp prfgen; do
  if [ ! -x "$build/$prog" ]; then
    echo "demo: $build/$prog is not built" >&2
    exit 1
  fi
done

# The sample series: 2024-05-14 00 to 12 UTC.
data=$out/data
rm -rf "$data"
"$build/prfgen" -l both "$data" >/dev/null
last=2024051412

# A file name is taken in the data path (-dp), where the series of the section is found too.
section=(-id PLTC2 -dp "$data/station" "$last.prf")
map=(-le 3000m_ag -re us -dp "$data/record" "$last.prf")
rm -f "$out"/section.png "$out"/section.ps "$out"/map.png "$out"/map.ps

draw() {
  "$build/prfdisp" -fp "$top/etc" -ba -ge 800x640 "$@"
}
draw -of "png=$out/section.png" "${section[@]}"
draw -de "P,$out/section.ps" "${section[@]}"
draw -of "png=$out/map.png" "${map[@]}"
draw -de "P,$out/map.ps" "${map[@]}"

status=0
for f in section.png section.ps map.png map.ps; do
  if [ ! -s "$out/$f" ]; then
    echo "demo: $out/$f was not written" >&2
    status=1
  fi
done
[ $status -eq 0 ] || exit $status

cat <<EOF
Sample profiler files (station and record layouts): $data
Time-height section of PLTC2's wind barbs: $out/section.png  $out/section.ps
Wind barbs of every station at 3000 m above the ground: $out/map.png  $out/map.ps
EOF
