#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is missing.
# Usage: scripts/deps.sh [build|demo|test|bench]
# (build: the library and programs; demo: and running them on a virtual X server; test: and
# every test; bench: and the benchmarks' peers)
set -euo pipefail
what=${1:-test}

build_pkgs=(cmake ninja-build g++ pkg-config libx11-dev libnetcdf-dev libpng-dev zlib1g-dev
            libopenjp2-7-dev libeccodes-dev)
demo_pkgs=(xvfb xauth)
test_pkgs=(libgtest-dev libbenchmark-dev clang xvfb xauth x11-apps x11-utils x11-xserver-utils
           xdotool ghostscript imagemagick pngcheck giflib-tools gifsicle netpbm hp2xx
           netcdf-bin libeccodes-tools proj-bin units locales python3 python3-numpy python3-contourpy
           hershey-fonts-data weather-util-data)
bench_pkgs=(time python3-matplotlib python3-netcdf4 python3-scipy python3-cairo)

pkgs=("${build_pkgs[@]}")
case $what in
  build) ;;
  demo) pkgs+=("${demo_pkgs[@]}") ;;
  test) pkgs+=("${demo_pkgs[@]}" "${test_pkgs[@]}") ;;
  bench) pkgs+=("${demo_pkgs[@]}" "${test_pkgs[@]}" "${bench_pkgs[@]}") ;;
  *) echo "deps.sh: unknown kind $what (build, demo, test or bench)" >&2; exit 2 ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
