#!/usr/bin/python3
"""Reference values for the layer and parcel tests, computed with numpy from the textbook formulas.

Each argument names one computation and prints one line:

  mean:FIELD:BOTTOM:TOP   standard input holds the sounding, one level a line "p h t td" (mb, m,
                          degrees C); the mean of FIELD ("temp", "theta" or "hght") from BOTTOM to
                          TOP mb: the field interpolated linearly in ln p at both ends, the
                          trapezoid rule in ln p over the levels between.
  dryiso:TE:PI:TP:PTOP    the buoyant energies (J/kg) of a parcel of potential temperature TP (K)
                          lifted dry from 1000 mb to PTOP mb through an environment on the dry
                          adiabat of TE (K) up to PI mb and isothermal above: the integrals of
                          R (Tp - Te) d ln p over the positive and the negative parts; prints the
                          positive energy and the negative energy (as a positive number).
  moist:TE:PI:T0:PTOP     a saturated parcel of T0 (K) at 1000 mb rises along the pseudo-adiabat
                          (dT/dp of the textbook, integrated with small steps) through the same
                          environment to PTOP mb; prints the positive energy, the negative energy
                          below the level of free convection (as a positive number), and the
                          pressures of the level of free convection (where the parcel first turns
                          warmer than the environment) and of the equilibrium level (where it
                          turns colder again).
  satad:T0:P0:P1,P2,...   the pseudo-adiabat from T0 (K) at P0 mb: its temperatures (K) at P1, P2, ...

The potential temperature uses R/cp = 0.286, as the system does; R = 287.05 J/(kg K).
"""
import sys

import numpy as np

KAPPA = 0.286
RD = 287.05
CP = RD / KAPPA
LV = 2.501e6
EPS = 0.622
G = 9.8


_rows = None


def sounding():
    """The sounding of standard input, read once for every computation that asks."""
    global _rows
    if _rows is None:
        _rows = np.array([list(map(float, line.split())) for line in sys.stdin if line.strip()])
    return _rows


def field(s, name):
    p, t = s[:, 0], s[:, 2]
    if name == "temp":
        return t
    if name == "theta":
        return (t + 273.15) * (1000.0 / p) ** KAPPA
    if name == "hght":
        return s[:, 1]
    raise SystemExit("unknown field " + name)


def mean(s, name, bottom, top):
    lnp = np.log(s[:, 0])
    v = field(s, name)
    at = lambda p: np.interp(-np.log(p), -lnp, v)
    inside = (s[:, 0] < bottom) & (s[:, 0] > top)
    x = np.concatenate(([np.log(bottom)], lnp[inside], [np.log(top)]))
    y = np.concatenate(([at(bottom)], v[inside], [at(top)]))
    w = -np.diff(x)
    return np.sum((y[:-1] + y[1:]) / 2 * w) / np.sum(w)


def env_temp(p, te, pi):
    ti = te * (pi / 1000.0) ** KAPPA
    return np.where(p >= pi, te * (p / 1000.0) ** KAPPA, ti)


def energies(p, tp, te):
    """Positive and negative parts of the integral of R (Tp - Te) d ln p, p falling."""
    lnp = np.log(p)
    f = RD * (tp - te)
    seg = (f[:-1] + f[1:]) / 2 * (lnp[:-1] - lnp[1:])
    return seg[seg > 0].sum(), -seg[seg < 0].sum()


def es(t):
    """Saturation vapour pressure (mb) over water, Bolton (1980), t in K."""
    tc = t - 273.15
    return 6.112 * np.exp(17.67 * tc / (tc + 243.5))


def satad_path(t0, p0, p_end, n=200000):
    """Pseudo-adiabat dT/dp = (R T + Lv rs) / (p (cp + Lv^2 rs eps / (R T^2))), RK4 in p."""
    def slope(p, t):
        e = es(t)
        rs = EPS * e / (p - e)
        return (RD * t + LV * rs) / (p * (CP + LV * LV * rs * EPS / (RD * t * t)))

    p = np.linspace(p0, p_end, n + 1)
    t = np.empty_like(p)
    t[0] = t0
    for i in range(n):
        h = p[i + 1] - p[i]
        k1 = slope(p[i], t[i])
        k2 = slope(p[i] + h / 2, t[i] + h / 2 * k1)
        k3 = slope(p[i] + h / 2, t[i] + h / 2 * k2)
        k4 = slope(p[i + 1], t[i] + h * k3)
        t[i + 1] = t[i] + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4)
    return p, t


def main():
    for arg in sys.argv[1:]:
        kind, *a = arg.split(":")
        if kind == "mean":
            print("%.6f" % mean(sounding(), a[0], float(a[1]), float(a[2])))
        elif kind == "dryiso":
            te, pi, tp, ptop = map(float, a)
            p = np.linspace(1000.0, ptop, 400001)
            pos, neg = energies(p, tp * (p / 1000.0) ** KAPPA, env_temp(p, te, pi))
            print("%.6f %.6f" % (pos, neg))
        elif kind == "moist":
            te, pi, t0, ptop = map(float, a)
            p, tp = satad_path(t0, 1000.0, ptop, 20000)
            tenv = env_temp(p, te, pi)
            warm = tp > tenv
            first = np.argmax(warm) if warm.any() else len(p) - 1
            pos, _ = energies(p, tp, tenv)
            _, cin = energies(p[: first + 1], tp[: first + 1], tenv[: first + 1])
            cross = np.nonzero(warm[:-1] & ~warm[1:])[0]
            el = p[cross[0]] if len(cross) else -9999.0
            print("%.6f %.6f %.3f %.3f" % (pos, cin, p[first], el))
        elif kind == "satad":
            t0, p0 = float(a[0]), float(a[1])
            out = []
            for p1 in map(float, a[2].split(",")):
                p, t = satad_path(t0, p0, p1, 4000)
                out.append("%.4f" % t[-1])
            print(" ".join(out))
        else:
            raise SystemExit("unknown computation " + arg)


main()
