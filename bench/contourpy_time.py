# Times contourpy's line and filled generation of the grid and levels of bench_cont.
# Command: /usr/bin/python3 bench/contourpy_time.py (bench/cont_vs_contourpy.sh pairs it with ours)
# Statistic: the least processor time (time.process_time) of five runs of each, in
# milliseconds, printed as "lines MS" and "filled MS"; a run makes a new generator and
# generates every level (lines) or every band (filled) as lists of points, drawing nothing.
import time

import contourpy
import numpy as np

N, LEVELS = 1000, 20
u = -3 + 6.0 * np.arange(N) / (N - 1)
uu, vv = np.meshgrid(u, u)  # rows are j (v), columns i (u)
z = (100 * np.exp(-(uu * uu + vv * vv) / 4) + 20 * np.sin(2 * uu) * np.cos(3 * vv)).astype(np.float32).astype(np.float64)
lo, hi = float(z.min()), float(z.max())
step = np.float32((np.float32(hi) - np.float32(lo)) / LEVELS)
levels = [float(np.float32(lo) + k * step) for k in range(LEVELS + 2)]


def best(run):
    times = []
    for _ in range(5):
        t = time.process_time()
        run()
        times.append(time.process_time() - t)
    return 1000 * min(times)


def lines():
    gen = contourpy.contour_generator(z=z, corner_mask=False)
    for level in levels:
        gen.lines(level)


def filled():
    gen = contourpy.contour_generator(z=z, corner_mask=False)
    for a, b in zip(levels[:-1], levels[1:]):
        gen.filled(a, b)


print("lines %.3f" % best(lines))
print("filled %.3f" % best(filled))
