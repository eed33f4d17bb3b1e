# The scipy peer of bench_obj: Barnes successive correction of 2000 scattered stations onto a
# 300 x 200 grid in two passes, with the station-to-point pairs within the radius found by
# scipy.spatial.cKDTree (sparse_distance_matrix), Gaussian weights summed with numpy.bincount,
# and the residuals of the first pass read bilinearly (scipy.ndimage.map_coordinates).  Values
# in float64.
#
# Command (run by bench_obj, which pairs each of its timings with one of these):
#     /usr/bin/python3 bench/obj_ckdtree.py INPUT
# INPUT holds int32 nx, ny, ns, passes, then float64 spacing, filter, radius (grid lengths),
# convergence, then float32 station columns, rows and values (ns each).
# Statistic: on each line "run" of standard input, the seconds (time.perf_counter) of one call
# of barnes(), trees included, printed on one line.
import sys
import time

import numpy as np
from scipy.ndimage import map_coordinates
from scipy.spatial import cKDTree


def read(path):
    with open(path, "rb") as f:
        nx, ny, ns, passes = (int(n) for n in np.fromfile(f, dtype=np.int32, count=4))
        dx, filt, radius, conv = np.fromfile(f, dtype=np.float64, count=4)
        gx, gy, z = (np.fromfile(f, dtype=np.float32, count=ns).astype(np.float64) for _ in range(3))
    return nx, ny, passes, dx, filt, radius, conv, gx, gy, z


def barnes(nx, ny, passes, dx, filt, radius, conv, gx, gy, z):
    """The analysed grid (ny x nx, NaN where no station reaches)."""
    jj, ii = np.mgrid[0:ny, 0:nx]
    points = cKDTree(np.column_stack((ii.ravel() * dx, jj.ravel() * dx)))
    stations = cKDTree(np.column_stack((gx * dx, gy * dx)))
    pairs = points.sparse_distance_matrix(stations, radius * dx, output_type="ndarray")
    point, station, d2 = pairs["i"], pairs["j"], pairs["v"] ** 2
    values = z
    grid = np.zeros(nx * ny)
    for p in range(passes):
        w = np.exp(-d2 / filt)
        wsum = np.bincount(point, w, minlength=nx * ny)
        reached = wsum > 0
        mean = np.bincount(point, w * values[station], minlength=nx * ny)
        mean[reached] /= wsum[reached]
        mean[~reached] = np.nan if p == 0 else 0.0
        grid = mean if p == 0 else grid + mean
        if p + 1 < passes:
            at = map_coordinates(grid.reshape(ny, nx), [gy, gx], order=1, mode="nearest")
            values = np.nan_to_num(z - at)
            filt *= conv
    return grid.reshape(ny, nx)


def main():
    args = read(sys.argv[1])
    for line in sys.stdin:
        if line.strip() != "run":
            continue
        t = time.perf_counter()
        barnes(*args)
        print(time.perf_counter() - t, flush=True)


main()
