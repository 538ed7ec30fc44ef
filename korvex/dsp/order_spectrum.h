#pragma once
// Computed order tracking, second half: order spectra of a channel resampled
// at equal shaft angles (angle_resample.h), each over R whole revolutions so
// that order k / R is a line of its own (resolution 1 / R orders whatever
// the speed), the order map they make, order cuts with their phase, and
// the time-synchronous average of a shaft.
//
// Amplitudes follow the spectrum's conventions: window with coherent-gain
// correction, so a sine on a line reads its RMS in that line; a band of
// several lines reads sqrt(sum of powers) times the window's ENBW
// correction. Phase is that of x = a cos(2 pi o theta + phi), theta in
// revolutions from the angle origin (the tacho's first edge, its mark):
// the same for every spectrum of a steady order, half orders included.

#include <complex>
#include <span>
#include <string>
#include <vector>

#include "korvex/dsp/angle_resample.h"

namespace korvex {

struct OrderSpectrumParams {
    int revs = 16;          // R: revolutions per spectrum
    int window = 3;         // 1 rectangular, 2 triangular, 3 Hanning, 4 Blackman, 5 flat top
    double overlap = 50.0;  // per cent of a spectrum's revolutions shared with the next
    double maxOrder = 0.0;  // highest order kept (lines above it are dropped)
};

struct OrderSpectra {
    std::string error;     // "" on success
    int revs = 0;          // revolutions per spectrum
    int perRev = 0;        // samples per revolution
    size_t lines = 0;      // orders 0, 1/R, ..., up to maxOrder
    double rmscoef = 1.0;  // 1 / sqrt(ENBW in lines)
    // Per spectrum: time and mean speed (Hz) of its middle revolution span,
    // and its first revolution.
    std::vector<double> time, speed, firstRev;
    // Per spectrum and line (spectrum-major): power in squared signal units
    // and the line's complex value scaled like the power's root (its phase
    // already referred to the angle origin).
    std::vector<double> power;
    std::vector<std::complex<float>> value;

    double Order(size_t line) const { return static_cast<double>(line) / revs; }
    size_t Rows() const { return time.size(); }
    double Power(size_t row, size_t line) const { return power[row * lines + line]; }
};

// The spectra of an angle signal. Fails with a message for bad parameters
// or when the signal holds fewer than R revolutions.
OrderSpectra ComputeOrderSpectra(const AngleSignal& signal, const AngleTrack& track,
                                 const OrderSpectrumParams& params);

struct OrderCut {
    double order = 0.0;
    std::vector<double> rms;    // per spectrum, signal units
    std::vector<double> phase;  // per spectrum, degrees in (-180, 180]
};

// One order's RMS over `width` orders around it (0: its own line) and the
// phase of its nearest line; NaN for an order above the spectra's highest.
OrderCut CutOrder(const OrderSpectra& s, double order, double width = 0.0);

struct SyncAverage {
    std::string error;             // "" on success
    std::vector<double> average;   // one revolution of the shaft, perRev samples
    std::vector<double> residual;  // per angle, RMS of the revolutions less the average
    int revolutions = 0;           // revolutions averaged
    int perRev = 0;
};

// The time-synchronous average of a shaft that turns `ratio` times as fast as
// the track's (a gear pair's pinion or wheel from one tacho: the tooth
// ratio), over all its whole revolutions in the channel (or the first
// maxRevs when > 0). Its angle origin is the track's.
SyncAverage SynchronousAverage(std::span<const double> x, double t0, double dt,
                               const AngleTrack& track, double ratio, int perRev, int maxRevs = 0);

}  // namespace korvex
