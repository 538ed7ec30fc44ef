#pragma once
// The spectrum view's envelope mode: instead of the spectrum at the cursor,
// the spectrum of the envelope of a band (korvex/dsp/bearing_envelope.h) of
// the samples around the cursor, where a bearing's impacts show as lines at
// their rates; and the kurtogram of the same range, whose most impulsive
// band is the one to take. No Qt.

#include "korvex/dsp/kurtogram.h"
#include "korvex/dsp/spectral.h"

namespace workbench {

struct EnvelopeBand {
    double lo = 0.0, hi = 0.0;  // Hz; the mode is on while hi > lo
    double seconds = 4.0;       // the range around the cursor analysed
    bool On() const { return hi > lo; }
};

// The envelope spectrum of the range centred at x (clamped to the signal),
// as the view draws a spectrum: values in the amplitude and scale of p (PSD
// reads as power), middleX the range's middle, error when it cannot be had.
korvex::Spectrum EnvelopeSpectrumAt(const korvex::SignalSnapshot& s, double x,
                                    const EnvelopeBand& band, const korvex::SpectrumParams& p);

// The fast kurtogram of the same range (levels up to 6, as the record allows);
// middle, when given, gets the range's middle.
korvex::Kurtogram KurtogramAt(const korvex::SignalSnapshot& s, double x, double seconds,
                              double* middle = nullptr);

}  // namespace workbench
