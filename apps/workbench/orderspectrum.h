#pragma once
// The spectrum view's order spectrum: the R whole revolutions of the shaft
// around a time, resampled at equal angles from the view's speed signal
// (korvex/dsp/angle_resample.h) and transformed as one block
// (korvex/dsp/order_spectrum.h). It comes as an ordinary spectrum whose
// lines lie 1 / R orders apart (df in orders), so the view draws, reads and
// scales it as it does a frequency spectrum.

#include <string>

#include "korvex/dsp/spectral.h"

namespace workbench {

// The order spectrum of x over the `revs` revolutions centred on time t
// (held within the signal and the speed's span), in the amplitude and scale
// of p (its window too; N, averages and overlap do not apply). toHz turns
// the speed's values into hertz. An error names what is missing.
korvex::Spectrum OrderSpectrumAt(const korvex::SignalSnapshot& x,
                                 const korvex::SignalSnapshot& speed, double toHz, double t,
                                 int revs, const korvex::SpectrumParams& p);

// The view's header for an order spectrum, in the user's language with
// locale-free numbers: "R 16 revolutions   Hanning   d order 0.0625".
std::string OrderResolutionText(int revs, int window);

}  // namespace workbench
