# The peer of prfdisp's time-height section, written as a user of matplotlib and netCDF4 would:
# reads the hourly profiler files of the station layout (the 12 hours before and the given hour),
# takes one station's winds with the same screening (quality 10 only, components within
# -100..100 m/s, levels of equal height merged, the first kept), interpolates them every 500 m
# from the ground (the surface wind at 0 m) below 17000 m, and draws them as barbs in knots at
# (file column, height) with the hour under each column, on a PNG of the given size.
#
# HOURS (default 12) sets how many hours before the given one the section reaches back.
#
# Command: /usr/bin/python3 bench/prf_barbs_matplotlib.py DATADIR STATION YYYYMMDDHH OUT.png
#          WIDTH HEIGHT [HOURS]
# Timed (by bench/prfdisp_vs_matplotlib.sh): the whole process, wall time, median of the pairs.
import sys
from datetime import datetime, timedelta

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import netCDF4  # noqa: E402
import numpy as np  # noqa: E402

KNOTS = 1.944
HOURS = 12
STEP = 500.0
TOP = 17000.0


def read_station(path, station):
    """Heights (m), u and v (m/s) of the station's merged levels and its surface u and v; None
    when the file or the station is missing."""
    try:
        nc = netCDF4.Dataset(path)
    except OSError:
        return None
    with nc:
        nc.set_auto_mask(False)
        ids = netCDF4.chartostring(nc["id"][:])
        rec = np.flatnonzero(np.char.upper(np.char.strip(ids)) == station.upper())
        if rec.size == 0:
            return None
        r = rec[0]
        h = np.concatenate([nc["low_level"][:], nc["high_level"][:]])
        u = np.concatenate([nc["low_u_wind"][r], nc["high_u_wind"][r]])
        v = np.concatenate([nc["low_v_wind"][r], nc["high_v_wind"][r]])
        q = np.concatenate([nc["low_qual_indicator"][r], nc["high_qual_indicator"][r]])
        sdir, sspd = float(nc["sfc_dir"][r]), float(nc["sfc_spd"][r])
    bad = (q != 10) | (np.abs(u) > 100) | (np.abs(v) > 100)
    u = np.where(bad, np.nan, u)
    v = np.where(bad, np.nan, v)
    # Levels of equal height: the first holds, or the later one when the first has no u.
    merged = {}
    for hi, ui, vi in zip(h, u, v):
        if hi not in merged or np.isnan(merged[hi][0]):
            merged[hi] = (ui, vi)
    h = np.array(list(merged))
    uv = np.array(list(merged.values()))
    if -9999 in (sdir, sspd):
        su = sv = np.nan
    else:
        a = np.radians(sdir)
        su, sv = -sspd * np.sin(a), -sspd * np.cos(a)
    return h, uv[:, 0], uv[:, 1], su, sv


def at_heights(h, u, v, su, sv, targets):
    """u and v at each target height: the first level at or above it, interpolated linearly
    from the level below (NaN where either lacks the value or no level reaches the target)."""
    order = np.argsort(h, kind="stable")
    h, u, v = h[order], u[order], v[order]
    i = np.searchsorted(h, targets, side="left")
    inside = i < h.size
    hi = np.minimum(i, h.size - 1)
    lo = np.maximum(hi - 1, 0)
    exact = h[hi] == targets
    f = np.where(exact, 0.0, (targets - h[lo]) / np.where(h[hi] == h[lo], 1.0, h[hi] - h[lo]))
    out = []
    for c in (u, v):
        val = np.where(exact, c[hi], c[lo] + f * (c[hi] - c[lo]))
        out.append(np.where(inside & ((i > 0) | exact), val, np.nan))
    out[0][targets == 0], out[1][targets == 0] = su, sv
    return out


def main():
    datadir, station, end, out, width, height = sys.argv[1:7]
    width, height = int(width), int(height)
    span = int(sys.argv[7]) if len(sys.argv) > 7 else HOURS
    end = datetime.strptime(end, "%Y%m%d%H")
    targets = np.arange(0.0, TOP, STEP)
    xs, ys, us, vs, hours = [], [], [], [], []
    for col in range(span + 1):
        when = end - timedelta(hours=span - col)
        hours.append((col, when.strftime("%H")))
        prof = read_station(f"{datadir}/{when:%Y%m%d%H}.prf", station)
        if prof is None:
            print(f"{station} not found", file=sys.stderr)
            continue
        u, v = at_heights(prof[0], prof[1], prof[2], prof[3], prof[4], targets)
        ok = ~(np.isnan(u) | np.isnan(v))
        xs.append(np.full(ok.sum(), col))
        ys.append(targets[ok])
        us.append(u[ok] * KNOTS)
        vs.append(v[ok] * KNOTS)

    dpi = 100
    fig = plt.figure(figsize=(width / dpi, height / dpi), dpi=dpi)
    ax = fig.add_axes([0.065, 0.05, 1 - 0.065 - 0.05, 1 - 0.05 - 0.035])
    ax.barbs(np.concatenate(xs), np.concatenate(ys), np.concatenate(us), np.concatenate(vs),
             length=5, linewidth=0.6)
    ax.set_xlim(-1, span + 1)
    ax.set_ylim(-1000, 17000)
    ax.set_xticks([c for c, _ in hours], [t for _, t in hours])
    ax.set_yticks(np.arange(0, 17001, 2000))
    ax.grid(True, linewidth=0.3)
    ax.set_title(f"ID: {station} - Wind barbs (knt)", loc="left", fontsize=9)
    ax.set_title(f"{end:%H%MZ %d %b %y}".upper(), loc="right", fontsize=9)
    fig.savefig(out, dpi=dpi)


if __name__ == "__main__":
    main()
