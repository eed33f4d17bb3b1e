# The numpy peer of bench_kin: vorticity, divergence and advection of a 1000 x 1000 field with
# numpy.gradient in float64 (the float32 fields are turned to float64 once, before timing), each
# row with its own x spacing as on a latitude-longitude grid.
#
# Command (run by bench_kin, which pairs each of its timings with one of these):
#     /usr/bin/python3 bench/kin_numpy.py INPUT
# INPUT holds int32 nx, ny, then float64 sy and the ny row spacings, then float32 u, v and z.
# Statistic: on each line "run" of standard input, the seconds (time.perf_counter) of one call
# of kinematics(), printed on one line.
import sys
import time

import numpy as np


def read(path):
    with open(path, "rb") as f:
        nx, ny = np.fromfile(f, dtype=np.int32, count=2)
        sy = np.fromfile(f, dtype=np.float64, count=1)[0]
        sx = np.fromfile(f, dtype=np.float64, count=ny)
        u, v, z = (np.fromfile(f, dtype=np.float32, count=nx * ny).reshape(ny, nx).astype(np.float64)
                   for _ in range(3))
    return u, v, z, sx[:, None], sy


def kinematics(u, v, z, sx, sy):
    """Vorticity, divergence and advection of z; rows run from north to south."""
    dudy, dudx = np.gradient(u)
    dvdy, dvdx = np.gradient(v)
    dzdy, dzdx = np.gradient(z)
    dudx, dvdx, dzdx = dudx / sx, dvdx / sx, dzdx / sx
    dudy, dvdy, dzdy = dudy / -sy, dvdy / -sy, dzdy / -sy
    return dvdx - dudy, dudx + dvdy, -u * dzdx - v * dzdy


def main():
    u, v, z, sx, sy = read(sys.argv[1])
    for line in sys.stdin:
        if line.strip() != "run":
            continue
        t = time.perf_counter()
        kinematics(u, v, z, sx, sy)
        print(time.perf_counter() - t, flush=True)


main()
