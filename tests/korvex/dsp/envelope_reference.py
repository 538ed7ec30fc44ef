#!/usr/bin/env python3
"""Reference numbers for the envelope spectrum test (test_bearing.cpp),
computed independently with scipy: a long linear-phase FIR band-pass run
forwards and backwards, the Hilbert transform's analytic signal, its
magnitude with the mean removed, and Welch's average of half-overlapping
Hann blocks scaled as a power spectrum. Prints the RMS amplitudes of the
envelope's lines and the band's complex kurtosis for the C++ test to hold.

Run: python3 tests/korvex/dsp/envelope_reference.py
"""
import numpy as np
from scipy import signal

FS = 10000.0
SECONDS = 10.0
LO, HI = 2000.0, 3200.0
RESOLUTION = 0.5
LINES = [37.0, 91.0, 128.0, 200.0]


def record():
    # Must match ReferenceRecord() in test_bearing.cpp.
    t = np.arange(int(FS * SECONDS)) / FS
    am = 1 + 0.5 * np.cos(2 * np.pi * 37 * t) + 0.2 * np.cos(2 * np.pi * 91 * t)
    return (am * np.sin(2 * np.pi * 2500 * t) + 0.8 * np.sin(2 * np.pi * 2700 * t + 0.3)
            + 5 * np.sin(2 * np.pi * 400 * t) + 3 * np.sin(2 * np.pi * 4100 * t))


def main():
    x = record()
    taps = signal.firwin(2001, [LO, HI], pass_zero=False, fs=FS, window=("kaiser", 10))
    band = signal.filtfilt(taps, [1.0], x)
    z = signal.hilbert(band)
    # Away from the ends, where the forward-backward filter starts up.
    zc = z[4000:-4000]
    p2 = np.mean(np.abs(zc) ** 2)
    kurtosis = np.mean(np.abs(zc) ** 4) / p2 ** 2 - 2
    env = np.abs(z)
    env = env - env.mean()
    nper = int(FS / RESOLUTION)
    f, p = signal.welch(env, fs=FS, window="hann", nperseg=nper, noverlap=nper // 2,
                        detrend=False, scaling="spectrum")
    print("mean envelope %.6f kurtosis %.6f" % (np.abs(z).mean(), kurtosis))
    for line in LINES:
        k = int(round(line / (f[1] - f[0])))
        print("{%.1f, %.6g}," % (f[k], np.sqrt(p[k])))


if __name__ == "__main__":
    main()
