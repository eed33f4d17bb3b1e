# The contour lines contourpy draws through a grid, for the contouring tests.
# Standard input: "nx ny", then ny rows of nx values (row j = 0 the bottom), then a line of
# levels.  Standard output: one line per contour line piece, "LEVEL N x0 y0 x1 y1 ...", in grid
# index coordinates (x the column, y the row from the bottom).
import sys

import contourpy
import numpy as np

words = sys.stdin.read().split()
nx, ny = int(words[0]), int(words[1])
z = np.array([float(w) for w in words[2:2 + nx * ny]]).reshape(ny, nx)
levels = [float(w) for w in words[2 + nx * ny:]]
gen = contourpy.contour_generator(z=z, corner_mask=False, line_type="Separate")
out = []
for level in levels:
    for line in gen.lines(level):
        pts = " ".join("%.9g %.9g" % (p[0], p[1]) for p in line)
        out.append("%.9g %d %s" % (level, len(line), pts))
print("\n".join(out))
