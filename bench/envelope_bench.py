#!/usr/bin/env python3
"""The envelope spectrum and a kurtogram-sized job done the usual way with
numpy/scipy, timed for bench_envelope: a Butterworth band-pass run forwards
and backwards, scipy's Hilbert transform, the magnitude with its mean
removed, and Welch's average of half-overlapping Hann blocks.

Usage: envelope_bench.py RECORD.f64 RATE LO HI RESOLUTION REPEATS
Prints the median seconds of one envelope spectrum and its RMS line at 89.5 Hz.
"""
import sys
import time

import numpy as np
from scipy import signal


def envelope_spectrum(x, rate, lo, hi, resolution):
    sos = signal.butter(8, [lo, hi], btype="bandpass", fs=rate, output="sos")
    env = np.abs(signal.hilbert(signal.sosfiltfilt(sos, x)))
    env -= env.mean()
    nper = int(round(rate / resolution))
    return signal.welch(env, fs=rate, window="hann", nperseg=nper, noverlap=nper // 2,
                        detrend=False, scaling="spectrum")


def main():
    path, rate, lo, hi, res, repeats = sys.argv[1:7]
    x = np.fromfile(path, dtype="<f8")
    rate, lo, hi, res = float(rate), float(lo), float(hi), float(res)
    times = []
    for _ in range(int(repeats)):
        t0 = time.perf_counter()
        f, p = envelope_spectrum(x, rate, lo, hi, res)
        times.append(time.perf_counter() - t0)
    k = int(round(89.5 / (f[1] - f[0])))
    print("%.6f %.6g" % (sorted(times)[len(times) // 2], np.sqrt(p[k])))


if __name__ == "__main__":
    main()
