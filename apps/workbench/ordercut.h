#pragma once
// The curves of an order-cut graph, without Qt: one order's RMS and phase
// against time from the signal resampled at equal shaft angles and cut
// from order spectra of whole revolutions (korvex/dsp/order_spectrum.h),
// with the revolutions per spectrum, window and overlap an angle-domain
// order map with the same parameters uses; and the rules the map and the
// graph follow to pick an order and read a time.

#include <string>
#include <vector>

#include "korvex/dsp/spectral.h"
#include "korvex/dsp/spectralmap.h"

namespace workbench {

struct OrderCutCurves {
    std::string error;  // "" on success
    double order = 0.0;
    int revs = 0;               // revolutions per spectrum
    std::vector<double> time;   // per spectrum, its middle (s)
    std::vector<double> rms;    // signal units
    std::vector<double> phase;  // degrees in (-180, 180]
    std::string unit;           // of rms
};

// The cut of `order` from x, the shaft's angle integrated from speed (toHz
// turns its values into hertz). p: the map's parameters (N over the samples
// per revolution gives the revolutions, window, overlap, maxorder).
OrderCutCurves ComputeOrderCut(const korvex::SignalSnapshot& x, const korvex::SignalSnapshot& speed,
                               double toHz, const korvex::MapParams& p, double order);

// The order of a click at y on an order map whose lines are dy apart: the
// nearest line's (y itself without a line spacing); NaN below order 0.
double OrderAtClick(double y, double dy);

// The index of the time nearest t (times rising); 0 for no times.
size_t NearestIndex(const std::vector<double>& times, double t);

}  // namespace workbench
