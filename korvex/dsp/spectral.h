#pragma once
// The spectrum of a signal at a chosen time, made by the autospectrum
// operator's own code (PowerSpectrum in dsp.h): the lines shown for a block
// are the very numbers the engine measured its bands on. Also the amplitude
// scalings and dB conversion the spectral maps (spectralmap.h) share.
//
// Nothing here throws for bad input or takes the host lock for longer than
// it takes to note a signal's samples: failures come back as a message.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "korvex/objects.h"
#include "korvex/sample_buffer.h"

namespace korvex {

// A signal's samples and axis as they stood when taken. The array is shared
// with the signal, not copied, and a shared array is never written (the
// signal copies it before its next write), so a snapshot can be read on any
// thread without the host lock, and it stays equal to the signal for as long
// as the signal's array is the same one.
struct SignalSnapshot {
    int id = 0;
    SampleBuffer samples;
    double startX = 0.0;
    double stepX = 1.0;
    std::string unit;

    // Taken under the host lock when the signal is filed, as operators read
    // their input.
    static SignalSnapshot Of(const SignalObj& s);
    // Whether both hold the same untouched array with the same axis: a
    // cached result of one is then the result of the other.
    bool SameAs(const SignalSnapshot& o) const;
    double XOf(double index) const { return startX + stepX * index; }
};

enum class SpectrumAmplitude {
    Rms,    // sqrt(P): a sine of amplitude A on a line reads A / sqrt(2)
    Peak,   // sqrt(2 P): that sine reads A
    Power,  // P, squared units
    Psd     // P / (ENBW * df): squared units per hertz
};
enum class SpectrumScale { Linear, Db };

struct SpectrumParams {
    int n = 4096;             // block length, a power of two (kMinBlock .. kMaxBlock)
    int window = 3;           // "typeWindow": 1 rectangular, 2 triangular, 3 Hanning,
                              // 4 Blackman, 5 flat top
    bool removeMean = false;  // "isMO"
    int averages = 1;         // blocks whose powers are averaged into one spectrum
    double overlap = 0.0;     // per cent of a block shared with the next, 0 <= overlap < 100
    SpectrumAmplitude amplitude = SpectrumAmplitude::Rms;
    SpectrumScale scale = SpectrumScale::Linear;
    // dB reference, in the amplitude's own unit (squared for Power, squared
    // per hertz for Psd); > 0.
    double dbReference = 1.0;
    // Integrations of an acceleration or velocity (integration.h): 0 none,
    // 1 velocity from acceleration (displacement from velocity), 2
    // displacement from acceleration.
    int integrate = 0;

    bool operator==(const SpectrumParams&) const = default;
};

inline constexpr int kMinBlock = 8;
inline constexpr int kMaxBlock = 1 << 24;
// What a line of no power reads in dB (instead of minus infinity).
inline constexpr double kDbFloor = -300.0;

// "" when the parameters can make a spectrum, else why not.
std::string CheckSpectrumParams(const SpectrumParams& p);
// Samples between the starts of successive blocks: N less the overlap,
// rounded to whole samples, at least 1.
int BlockStep(const SpectrumParams& p);
// Samples one averaged spectrum spans: (averages - 1) * step + N.
size_t GroupSpan(const SpectrumParams& p);

struct SpectralResolution {
    int n = 0;                  // block length, samples
    int step = 0;               // samples between successive blocks
    int averages = 0;           // blocks per spectrum
    double df = 0.0;            // line spacing, Hz
    double enbwLines = 0.0;     // the window's equivalent noise bandwidth, lines
    double rbw = 0.0;           // resolution bandwidth = enbwLines * df, Hz
    double rmscoef = 1.0;       // 1 / sqrt(enbwLines): a band's RMS is sqrt(sum P) * rmscoef
    double blockSeconds = 0.0;  // N * dt
};

// Converts line powers into the chosen amplitude and scale. dB values are
// exact to about 1e-10 dB; ratios below 1e-30 read kDbFloor.
class AmplitudeScaler {
  public:
    AmplitudeScaler(const SpectrumParams& p, double df, double enbwLines);
    double operator()(double power) const;
    // The same for a run of lines, as floats (a map's column).
    void Scale(std::span<const double> power, float* out) const;
    // The unit of the scaled values for a signal in signalUnit.
    std::string Unit(const std::string& signalUnit) const;

  private:
    bool root_;  // RMS or peak: an amplitude, the root of a power
    bool db_;
    double factor_;    // power -> the amplitude's square, or its power density
    double dbFactor_;  // power -> its ratio to the dB reference (squared for an amplitude)
    SpectrumAmplitude amplitude_;
    double reference_;
};

struct Spectrum {
    std::string error;           // empty on success, else nothing below is filled
    std::vector<double> power;   // averaged line power 0 .. N/2, squared signal units
    std::vector<double> values;  // the same lines in the chosen amplitude and scale
    double df = 0.0;             // line k lies at k * df Hz
    std::string unit;            // of values: "m/s^2", "(m/s^2)^2/Hz", "dB re 1 m/s^2", ...
    std::string levelUnit;       // of a band's RMS (BandRms): the signal's, or integrated
    SpectralResolution resolution;
    size_t firstSample = 0;  // index of the first sample used
    double middleX = 0.0;    // x of the middle of the samples used
    int blocks = 0;          // blocks averaged (fewer than asked when the signal is short)
    std::string note;        // why fewer blocks were averaged, or ""
};

// The spectrum of the samples centred at x (clamped to the signal): with one
// block and x the middle of a block the engine cut (startX + (first + N/2)
// * dt), the block the engine measured. Blocks of an average follow each
// other at BlockStep and are centred together.
Spectrum SpectrumAt(const SignalSnapshot& s, double x, const SpectrumParams& p);
Spectrum SpectrumAt(const SignalObj& s, double x, const SpectrumParams& p);

// RMS of a band from lo to hi Hz as the engine measures a fixed band: the
// lines from the one at or below lo to the one at or above hi, line 0 never,
// sqrt(sum of power) * rmscoef. 0 when no line lies in the band.
double BandRms(const Spectrum& s, double lo, double hi);

}  // namespace korvex
