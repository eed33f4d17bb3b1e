#!/usr/bin/python3
"""Reference values for the sounding wind tests, computed with numpy from the textbook formulas.

Standard input: the station elevation (m), then u and v (m/s, "nan" when missing) of a
profiler report at 0, 500, 1000, ... m above the ground.  The column is built as the profiler
display builds it: the standard-atmosphere pressure at the elevation plus the height,
p = 1013.25 ((288.15 - 0.0065 z) / 288.15)^5.25588 mb, and the speed in knots (1.944 per m/s).

Arguments name what to compute, each giving one output line:
  column          the pressures (mb), speeds (knots) and directions (degrees) of the column
  mean:I:J        the pressure-weighted mean wind of levels I to J: the trapezoid rule in ln p
                  over the levels that have a wind, for u, v and the speed (knots); printed as
                  the direction of the mean vector and the mean speed
  shear:I:J       the shear of levels I to J, 500 m apart: the vector differences (m/s, 0.5144
                  m/s per knot) of neighbouring levels that both have a wind, summed apart for
                  clockwise turns (veering, cross product below 0) and the others, each divided
                  by the depth of the steps that counted (1/s); printed positive, negative
"""
import sys

import numpy as np

KNOTS_PER_MS = 1.944
MS_PER_KNOT = 0.5144
STEP = 500.0


def column(elev, uv):
    z = STEP * np.arange(len(uv))
    p = 1013.25 * ((288.15 - 0.0065 * (elev + z)) / 288.15) ** 5.25588
    u_kt, v_kt = uv[:, 0] * KNOTS_PER_MS, uv[:, 1] * KNOTS_PER_MS
    spd = np.hypot(u_kt, v_kt)
    direction = np.degrees(np.arctan2(-u_kt, -v_kt)) % 360.0
    return p, u_kt, v_kt, spd, direction


def mean(p, u, v, spd, i, j):
    keep = [k for k in range(i, j + 1) if not np.isnan(u[k])]
    lnp = np.log(p[keep])
    w = -np.diff(lnp)                      # ln(p_lower / p_upper) of each segment
    mid = lambda x: (x[keep][:-1] + x[keep][1:]) / 2
    um, vm, sm = (np.sum(mid(x) * w) / np.sum(w) for x in (u, v, spd))
    return np.degrees(np.arctan2(-um, -vm)) % 360.0, sm


def shear(u, v, i, j):
    have = ~np.isnan(u)
    z = np.arange(len(u))
    um = np.interp(z, z[have], u[have]) * MS_PER_KNOT
    vm = np.interp(z, z[have], v[have]) * MS_PER_KNOT
    pos, neg, depth = np.zeros(2), np.zeros(2), 0.0
    for k in range(i + 1, j + 1):
        a, b = np.array([um[k - 1], vm[k - 1]]), np.array([um[k], vm[k]])
        if a[0] * b[1] - a[1] * b[0] < 0:   # the z component of a x b
            pos += b - a
        else:
            neg += b - a
        depth += STEP
    return np.linalg.norm(pos) / depth, np.linalg.norm(neg) / depth


def main():
    data = sys.stdin.read().split()
    elev = float(data[0])
    uv = np.array([float(x) for x in data[1:]]).reshape(-1, 2)
    p, u, v, spd, direction = column(elev, uv)
    for arg in sys.argv[1:]:
        what, *rest = arg.split(":")
        if what == "column":
            print(" ".join("%.9g" % x for x in np.concatenate((p, spd, direction))))
            continue
        i, j = int(rest[0]), int(rest[1])
        values = mean(p, u, v, spd, i, j) if what == "mean" else shear(u, v, i, j)
        print(" ".join("%.9g" % x for x in values))


main()
