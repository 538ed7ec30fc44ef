#pragma once
// Spectral kurtosis and the fast kurtogram: the kurtosis of a record's
// complex band signals over the 1/3-binary tree of bands (level k: 2^k bands
// of fs / 2^(k+1); level k + 0.6: 3 * 2^(k-1) bands of fs / (3 * 2^k)), and
// the band where the record is most impulsive. Each band's signal is cut
// from the record's spectrum (RecordSpectrum::BandSignal) at the band's own
// rate, instead of by a cascade of short filters: the same tree with ideal
// band edges and one transform of the record for all of it.

#include <string>
#include <vector>

#include "korvex/dsp/bearing_envelope.h"

namespace korvex {

struct KurtogramRow {
    double level = 0.0;            // 0, 1, 1.6, 2, 2.6, ...
    double width = 0.0;            // Hz
    std::vector<double> kurtosis;  // band i spans [i * width, (i + 1) * width]
};

struct KurtogramBand {
    double level = 0.0;
    double lo = 0.0, hi = 0.0;
    double kurtosis = 0.0;
    double centre() const { return 0.5 * (lo + hi); }
    double width() const { return hi - lo; }
};

struct Kurtogram {
    std::string error;
    std::vector<KurtogramRow> rows;  // level 0 first
    KurtogramBand best;              // largest kurtosis (among bands wide enough, off 0 Hz)
};

struct KurtogramParams {
    int maxLevel = 7;  // lowered while a band would hold fewer than 64 samples
    // Bands narrower than this (Hz) are shown but not chosen as best: an
    // envelope needs a band some times wider than the rate it is read at.
    double minWidth = 0.0;
};

Kurtogram FastKurtogram(const RecordSpectrum& r, const KurtogramParams& p);

// A band as wide as [lo, hi] that does not overlap it, where the row of the
// nearest width shows the smallest kurtosis (candidates every half width,
// one touching 0 Hz only when no other fits;
// when none fits, the wider gap beside the band); level < 0 when there is
// none. Its envelope tells lines of the whole machine (a modulation present
// in every band) from those of the impacts in [lo, hi].
KurtogramBand QuietestBandElsewhere(const Kurtogram& k, double lo, double hi);

}  // namespace korvex
