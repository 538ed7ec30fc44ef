#!/usr/bin/env python3
"""The numpy/scipy counterpart of bench_orders: the same tacho and channel
(raw float64 files written by bench_orders), edges by linear interpolation
of the threshold crossings, revolutions -> time by scipy's cubic spline,
the channel read at the angle steps by a cubic spline of its samples, and a
Hann-window FFT of each R revolutions (50 % overlap). Prints the seconds of
that work (reading the files not counted).

    bench_orders.py TACHO.f64 CHANNEL.f64 RATE REVS PER_REV"""

import sys
import time

import numpy as np
from scipy.interpolate import CubicSpline


def main():
    tacho = np.fromfile(sys.argv[1], dtype=np.float64)
    x = np.fromfile(sys.argv[2], dtype=np.float64)
    rate, revs, per_rev = float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
    start = time.perf_counter()
    t = np.arange(len(x)) / rate
    lo, hi = tacho.min(), tacho.max()
    level = 0.5 * (lo + hi)
    above = tacho >= level
    k = np.nonzero(~above[:-1] & above[1:])[0]
    edges = (k + (level - tacho[k]) / (tacho[k + 1] - tacho[k])) / rate
    time_of = CubicSpline(np.arange(len(edges)), edges)
    n_revs = len(edges) - 1
    xa = CubicSpline(t, x)(time_of(np.arange(n_revs * per_rev) / per_rev))
    n = revs * per_rev
    w = np.hanning(n + 1)[:-1]
    starts = np.arange(0, n_revs - revs + 1, revs // 2) * per_rev
    blocks = xa[starts[:, None] + np.arange(n)[None, :]] * w
    spectra = np.abs(np.fft.rfft(blocks, axis=1)) * np.sqrt(2) / w.sum()
    seconds = time.perf_counter() - start
    print(f"{seconds:.4f} {spectra.shape[0]} {spectra[:, revs].mean():.6f}")


if __name__ == "__main__":
    main()
