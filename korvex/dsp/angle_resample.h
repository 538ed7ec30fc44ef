#pragma once
// Computed order tracking, first half: a channel resampled at equal shaft
// angles. The shaft's angle comes from a tacho (pulses per revolution, the
// tacho's own edge detection and repair) or from a speed signal integrated
// over time. Time as a function of angle is a cubic spline through the
// knots (revolutions, time), with end slopes from a cubic through the four
// end knots: exact for constant acceleration and fourth order in the pulse
// spacing otherwise.
//
// Before resampling the channel is low-passed with a cut that follows the
// speed: in short stretches of the record, each filtered in the frequency
// domain with zero phase and joined by overlapping complementary windows,
// the pass band reaches the highest order kept at the stretch's fastest
// speed and the stop band begins where an order would fold back onto it
// at the stretch's slowest speed. Nothing above the new Nyquist order can
// then land on a kept order, while the kept orders pass untouched (no
// amplitude or phase change). The samples at the angle steps are read by a
// 24-tap windowed-sinc interpolation, flat within 0.002 dB up to 0.4 of
// the sample rate: an order is read true while order x speed stays below
// that (MaxOrderHeld).

#include <span>
#include <string>
#include <vector>

namespace korvex {

// Time against shaft revolutions through knots (revolutions increasing).
class AngleTrack {
  public:
    // False when there are fewer than 2 knots or either list does not rise.
    bool Build(std::vector<double> revs, std::vector<double> times);
    // The same track for a shaft turning `ratio` times as fast (ratio > 0).
    AngleTrack Scaled(double ratio) const;

    bool Empty() const { return r_.size() < 2; }
    double FirstRev() const { return r_.front(); }
    double LastRev() const { return r_.back(); }
    double FirstTime() const { return t_.front(); }
    double LastTime() const { return t_.back(); }
    const std::vector<double>& Revs() const { return r_; }
    const std::vector<double>& Times() const { return t_; }

    double TimeAt(double rev) const;
    // Rotation frequency (Hz) at a revolution count, from the spline's slope.
    double SpeedAt(double rev) const;
    // Times of n angles from rev0 in steps of `step` revolutions, never
    // falling (a spline overshooting across a stop is held).
    void TimesAt(double rev0, double step, size_t n, double* out) const;

  private:
    size_t Segment(double rev, size_t hint) const;
    double Eval(size_t k, double rev) const;
    std::vector<double> r_, t_, m_;  // knots and the spline's second derivatives
};

struct TachoAngleParams {
    int pulsesPerRev = 1;
    double levelLo = 30.0, levelHi = 70.0;  // trigger levels
    bool relative = true;                   // levels in per cent of the pulse height
    bool falling = false;                   // trigger on falling edges
    bool repair = true;                     // the tacho's pulse repair
};

struct AngleTrackResult {
    AngleTrack track;
    std::string error;  // "" on success
    int edges = 0;      // edges found, before repair
    int repaired = 0;   // pulses filled in, removed or rejected
};

// Revolution k/K at the k-th edge (K pulses per revolution): angle 0 is the
// first edge, the tacho's mark; or the record's start where a pulse is
// already up there and the train puts its edge at the start (then the
// first edge found is revolution 1/K).
AngleTrackResult TachoAngle(std::span<const double> tacho, double t0, double dt,
                            const TachoAngleParams& params);

// Revolutions integrated from a rotation frequency in Hz (trapezoidal rule
// on the speed's own samples), angle 0 at the speed signal's first sample.
// A speed at or below zero turns nothing. Knots are kept every 1/8 of a
// revolution at most, so a dense speed signal does not make a huge spline.
// toHz converts the values to hertz (1/60 for rpm).
AngleTrackResult SpeedAngle(std::span<const double> speed, double t0, double dt, double toHz = 1.0);

struct AngleSignal {
    std::string error;      // "" on success
    std::vector<double> x;  // perRev samples per revolution
    int perRev = 0;         // samples per revolution
    double firstRev = 0.0;  // revolution count of x[0] (a whole number)
    int aliasWarnings = 0;  // stretches where the run was too fast for a clean cut
};

// The channel x (t0, dt) at perRev equal angle steps over the whole
// revolutions the track covers. Orders up to maxOrder pass; perRev must be
// at least 2.5 maxOrder so the anti-alias cut has room. Fails with a message
// when the track covers no revolution of the channel.
AngleSignal ResampleToAngle(std::span<const double> x, double t0, double dt,
                            const AngleTrack& track, int perRev, double maxOrder);

// The smallest power of two of samples per revolution that keeps maxOrder
// with room for the anti-alias cut (at least 4 maxOrder, at least 16).
int SamplesPerRev(double maxOrder);

// The highest order the sample rate reads true at a rotation frequency.
inline double MaxOrderHeld(double sampleRate, double hz) {
    return 0.4 * sampleRate / hz;
}

}  // namespace korvex
