#pragma once
// Envelope analysis of a vibration record: the complex signal of a
// frequency band (taken from the record's spectrum), its magnitude (the
// envelope of the band) and the averaged spectrum of that envelope, in which
// bearing faults show as lines at their impact rates. Also the averaged
// spectrum of the record itself, for comparison at the same resolution.
//
// A band is selected by keeping the record's FFT lines inside it and
// zeroing all others: a filter of linear (zero) phase whose stop band is
// exactly zero, so nothing from outside the band reaches the envelope. The
// record is treated as periodic; only the few samples at both ends see the
// other end's ringing.
//
// No Qt, no throwing: failures come back as a message.

#include <complex>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace korvex {

// The one-sided FFT of a whole record, kept so that many bands can be cut
// from it (the kurtogram cuts hundreds).
class RecordSpectrum {
  public:
    // "" on success, else why not (too short, bad step, non-finite samples).
    std::string Make(std::span<const double> x, double dt);

    size_t samples() const { return n_; }
    double dt() const { return dt_; }
    double df() const { return n_ ? 1.0 / (static_cast<double>(n_) * dt_) : 0.0; }
    double nyquist() const { return 0.5 / dt_; }
    // Lines 0 .. n/2.
    const std::vector<std::complex<double>>& lines() const { return lines_; }

    // FFT lines first..last (inclusive, 1 <= first <= last <= n/2) moved down to
    // start at 0 Hz and transformed back with `size` points (>= the count of
    // lines): the band's analytic signal shifted in frequency, whose magnitude
    // is the band's envelope, sampled every n/size * dt seconds. Scaled so
    // that a sine of amplitude A inside the band has magnitude A.
    bool BandSignal(size_t first, size_t last, size_t size,
                    std::vector<std::complex<double>>& out) const;

  private:
    std::vector<std::complex<double>> lines_;
    size_t n_ = 0;
    double dt_ = 0.0;
};

// The smallest n' >= n whose only prime factors are 2, 3 and 5 (fast FFTs).
size_t FftFriendlySize(size_t n);

struct EnvelopeSpectrumParams {
    double lo = 0.0;  // band, Hz: 0 <= lo < hi <= Nyquist (0 Hz itself is never kept)
    double hi = 0.0;
    // Wanted line spacing, Hz; 0 for the default: 0.5 Hz, halved while the
    // record holds at least 8 blocks of the finer spacing (down to 0.125).
    double resolution = 0.0;
};

// An averaged spectrum: blocks of half-overlapping Hanning windows, power per
// line as the autospectrum scales it (a sine of amplitude A reads A*A/2), so
// sqrt(P) is the RMS and sqrt(2P) the peak amplitude of a line.
struct AveragedSpectrum {
    std::string error;          // "" on success, else nothing below is filled
    std::vector<double> power;  // lines 0 .. last, squared signal units
    double df = 0.0;            // line k at k * df Hz
    int blocks = 0;             // blocks averaged
    double enbwLines = 0.0;     // the window's noise bandwidth, lines

    double Rms(size_t k) const;
    double Peak(size_t k) const;
};

struct EnvelopeSpectrum : AveragedSpectrum {
    double lo = 0.0, hi = 0.0;  // the band, rounded to the record's FFT lines
    double envelopeRate = 0.0;  // samples per second of the envelope
    double kurtosis = 0.0;      // of the band's complex signal (0 for Gaussian noise)
    double meanEnvelope = 0.0;  // removed before the spectrum
};

// The spectrum of the band's envelope, lines up to the band's width (beyond
// it the envelope holds only its own distortion products).
EnvelopeSpectrum EnvelopeSpectrumOf(const RecordSpectrum& r, const EnvelopeSpectrumParams& p);

// The resolution the default picks for a record of `seconds`.
double DefaultEnvelopeResolution(double seconds);

// The averaged spectrum of x itself (mean removed) at the given line spacing,
// lines up to maxHz (0: Nyquist).
AveragedSpectrum AveragedSpectrumOf(std::span<const double> x, double dt, double resolution,
                                    double maxHz = 0.0);

// The envelope of one block in the band lo..hi Hz, at the block's own rate
// (envelope[i] belongs to x[i]): a DspCode, kDspOk on success.
int BlockEnvelope(std::span<const double> x, double dt, double lo, double hi,
                  std::vector<double>& envelope);

// Kurtosis of a complex signal: E|z|^4 / (E|z|^2)^2 - 2, zero for complex
// Gaussian noise, large for sparse impacts; 0 for a zero signal.
double ComplexKurtosis(std::span<const std::complex<double>> z);

}  // namespace korvex
