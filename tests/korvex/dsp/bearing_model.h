#pragma once
// Synthetic vibration of a machine with a rolling bearing, after the model
// of bearing diagnostics' literature: impacts at the fault rate with a
// random slip of each interval, each ringing a structural resonance; an
// inner-race fault amplitude-modulated at the shaft speed as it passes
// through the load zone; a rolling-element fault striking at 2 x BSF,
// modulated at the cage rate; shaft harmonics, a gear mesh and noise on top.

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace bearing_model {

enum class Fault { None, Outer, Inner, Ball };

struct Machine {
    double rate = 12000.0;  // samples per second
    double seconds = 8.0;
    double shaft = 25.0;  // Hz
    // A 6205-like bearing: 9 balls, 7.94 / 39.04 mm, no contact angle.
    double bpfo = 3.5848, bpfi = 5.4152, bsf = 2.3567, ftf = 0.3983;  // orders
    double resonance = 2600.0;                                        // Hz, rung by every impact
    double damping = 1000.0;                                          // 1/s, decay of the ringing
    double impact = 1.0;      // peak of one impact's ringing
    double slip = 0.015;      // relative spread of the intervals
    double shaftLines = 2.0;  // amplitude of 1x (2x, 3x: half, a quarter)
    int meshTeeth = 31;       // gear on the shaft: mesh at 31 x shaft
    double mesh = 1.5;        // mesh amplitude, shaft-modulated
    double noise = 0.5;       // RMS of white noise
    unsigned seed = 7;
};

inline std::vector<double> Signal(const Machine& m, Fault fault) {
    using std::numbers::pi;
    const size_t n = static_cast<size_t>(m.rate * m.seconds);
    std::vector<double> x(n, 0.0);
    std::mt19937 rng(m.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double dt = 1.0 / m.rate;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * dt;
        const double w = 2.0 * pi * m.shaft * t;
        x[i] =
            m.shaftLines * (std::sin(w) + 0.5 * std::sin(2 * w + 1) + 0.25 * std::sin(3 * w + 2)) +
            m.mesh * (1.0 + 0.3 * std::cos(w)) * std::sin(m.meshTeeth * w) + m.noise * gauss(rng);
    }
    if (fault == Fault::None) return x;
    const double order = fault == Fault::Outer   ? m.bpfo
                         : fault == Fault::Inner ? m.bpfi
                                                 : 2 * m.bsf;
    const double period = 1.0 / (order * m.shaft);
    const size_t ring = static_cast<size_t>(8.0 / m.damping * m.rate);
    for (double t = period * 0.3; t < m.seconds; t += period * (1.0 + m.slip * gauss(rng))) {
        double a = m.impact;
        // The load zone: an inner-race defect turns with the shaft, a
        // rolling element with the cage.
        if (fault == Fault::Inner) a *= 0.6 + 0.4 * std::cos(2 * pi * m.shaft * t);
        if (fault == Fault::Ball) a *= 0.6 + 0.4 * std::cos(2 * pi * m.ftf * m.shaft * t);
        const size_t first = static_cast<size_t>(std::ceil(t * m.rate));
        for (size_t i = first; i < std::min(n, first + ring); ++i) {
            const double s = static_cast<double>(i) * dt - t;
            x[i] += a * std::exp(-m.damping * s) * std::sin(2 * pi * m.resonance * s);
        }
    }
    return x;
}

}  // namespace bearing_model
