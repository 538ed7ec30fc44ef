#!/usr/bin/env python3
"""Reference order cuts for tests/apps/test_vantrel_orders.cpp, made
independently with numpy/scipy: tacho edges by linear interpolation of the
threshold crossings, revolutions -> time by scipy's cubic spline, the channel
read at the angle steps by scipy's cubic spline of the samples, and a Hann
window FFT of each 16 revolutions (50 % overlap). Writes reference_cuts.csv
beside this script: time [s], speed [Hz], RMS then phase [deg] of each order
against the mark (here the record's start, where a pulse is already up),
phi of a cos(2 pi K theta + phi).

The signal (the test makes the same): 6 s at 25 600 Hz, shaft speed
f(t) = 8 + 6 t + 3 sin(1.3 t) Hz, a tacho of 1 pulse a revolution (a clipped
sine, 0..5 V, rising at each whole revolution) and a channel of orders
1 (RMS 0.5 + 0.01 f, phase 40 deg), 3.5 (RMS 0.3, phase -100 deg) and
12 (RMS 0.2 + 0.002 f, phase 170 deg)."""

import os

import numpy as np
from scipy.interpolate import CubicSpline
from scipy.signal import get_window

FS, SECONDS, REVS, PER_REV = 25600.0, 6.0, 16, 128
ORDERS = (1.0, 3.5, 12.0)


def revs_at(t):
    return 8 * t + 3 * t * t - 3 / 1.3 * (np.cos(1.3 * t) - 1)


def hz_at(t):
    return 8 + 6 * t + 3 * np.sin(1.3 * t)


def signal():
    t = np.arange(int(SECONDS * FS)) / FS
    th, f = revs_at(t), hz_at(t)
    tacho = 5 * np.clip(0.5 + 3 * np.sin(2 * np.pi * th), 0, 1)
    comps = ((1.0, 0.5 + 0.01 * f, 40.0), (3.5, 0.3 + 0 * f, -100.0),
             (12.0, 0.2 + 0.002 * f, 170.0))
    x = sum(a * np.sqrt(2) * np.cos(2 * np.pi * o * th + np.radians(p)) for o, a, p in comps)
    return t, tacho, x


def edges(t, tacho):
    above = tacho >= 2.5
    k = np.nonzero(~above[:-1] & above[1:])[0]
    frac = (2.5 - tacho[k]) / (tacho[k + 1] - tacho[k])
    return t[k] + frac / FS


def main():
    t, tacho, x = signal()
    e = edges(t, tacho)
    # A pulse past its arming level (30 % of its height) at the first sample
    # whose edge, extrapolated back, falls on the start is the mark there:
    # the first edge found is then revolution 1.
    before = 3 * e[0] - 3 * e[1] + e[2]
    first = 1 if tacho[0] > 1.5 and before >= -max(0.05 * (e[1] - e[0]), 3 / FS) else 0
    time_of = CubicSpline(np.arange(len(e)) + first, e)
    n_revs = len(e) - 1
    angles = first + np.arange(n_revs * PER_REV) / PER_REV
    xa = CubicSpline(t, x)(time_of(angles))
    n = REVS * PER_REV
    w = get_window("hann", n, fftbins=True)
    rows = []
    for start in range(0, n_revs - REVS + 1, REVS // 2):
        spec = np.fft.rfft(xa[start * PER_REV:start * PER_REV + n] * w) * np.sqrt(2) / w.sum()
        rev0 = start + first
        t0, t1 = time_of(rev0), time_of(rev0 + REVS)
        row = [float(time_of(rev0 + REVS / 2)), REVS / float(t1 - t0)]
        lines = [int(round(o * REVS)) for o in ORDERS]
        row += [abs(spec[k]) for k in lines]
        row += [np.degrees(np.angle(spec[k] * np.exp(-2j * np.pi * o * rev0)))
                for k, o in zip(lines, ORDERS)]
        rows.append(row)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference_cuts.csv")
    with open(out, "w") as f:
        f.write("time [s],speed [Hz]," + ",".join(f"rms {o:g}" for o in ORDERS) + "," +
                ",".join(f"phase {o:g}" for o in ORDERS) + "\n")
        for r in rows:
            f.write(",".join(f"{v:.7g}" for v in r) + "\n")
    print(f"{out}: {len(rows)} spectra")


if __name__ == "__main__":
    main()
