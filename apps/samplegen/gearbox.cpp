// The demo gearbox run-up from its scheme: stepped speeds, tacho pulses, orders and bearing tones.

#include "apps/samplegen/gearbox.h"

#include <cmath>
#include <numbers>

#include "korvex/formats/formats.h"
#include "korvex/units.h"
#include "platform/autodate.h"

namespace samplegen {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// sin and cos of a phase given in revolutions; the whole turns are dropped
// first so that late samples keep their precision.
struct SinCos {
    double s, c;
};
SinCos Turn(double revs) {
    const double a = kTwoPi * (revs - std::floor(revs));
    return {std::sin(a), std::cos(a)};
}

void SetCodes(korvex::SignalData& sig) {
    namespace u = korvex::units;
    sig.axisCodes[{u::kPartQuantity, u::kAxisX}] = u::kQuantityTime;
    sig.axisCodes[{u::kPartUnit, u::kAxisX}] = u::kUnitSecond;
    if (const u::UnitInfo* info = u::FindUnitByText(sig.unit)) {
        sig.axisCodes[{u::kPartQuantity, u::kAxisY}] = info->quantity;
        sig.axisCodes[{u::kPartUnit, u::kAxisY}] = info->code;
    }
}

korvex::SignalData NewSignal(const char* name, const char* unit, double step, double date) {
    korvex::SignalData sig;
    sig.name = name;
    sig.unit = unit;
    sig.stepX = step;
    sig.startTime = date;
    sig.text5 = "Gearbox run-up (demo)";
    SetCodes(sig);
    return sig;
}

}  // namespace

uint64_t Prng::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Prng::Normal() {
    double sum = 0.0;
    for (int i = 0; i < 12; ++i) sum += Uniform();
    return sum - 6.0;
}

double TachoShape(double revs) {
    const double p = revs - std::floor(revs);
    constexpr double kRamp = 0.02;
    constexpr double kTop = 0.25;
    if (p < kRamp) return p / kRamp;
    if (p < kTop) return 1.0;
    if (p < kTop + kRamp) return 1.0 - (p - kTop) / kRamp;
    return 0.0;
}

namespace {

// The run-up as plateaus and changes between them: where t falls, how far
// into its segment, and the revolutions before the segment.
struct Segment {
    double from = 0, length = 0;
    double hz0 = 0, hz1 = 0;  // equal on a plateau
    double revsBefore = 0;
};

Segment SegmentAt(const GearboxScheme& s, double t) {
    Segment seg;
    if (s.steps <= 0 || s.duration <= 0) {
        seg.length = s.duration;
        seg.hz0 = s.inputStartHz;
        seg.hz1 = s.inputStopHz;
        return seg;
    }
    const double hold = s.holdShare * s.duration / (s.steps + 1);
    const double change = (1.0 - s.holdShare) * s.duration / s.steps;
    const double dHz = (s.inputStopHz - s.inputStartHz) / s.steps;
    for (int k = 0; k <= s.steps; ++k) {
        const double hz = s.inputStartHz + dHz * k;
        seg = Segment{seg.from, hold, hz, hz, seg.revsBefore};
        if (t < seg.from + hold || k == s.steps) return seg;
        seg.revsBefore += hz * hold;
        seg.from += hold;
        seg = Segment{seg.from, change, hz, hz + dHz, seg.revsBefore};
        if (t < seg.from + change) return seg;
        // The raised-cosine change turns as many revolutions as a linear one.
        seg.revsBefore += (hz + 0.5 * dHz) * change;
        seg.from += change;
    }
    return seg;
}

// Speed and revolutions a time tau into a segment; the change follows
// hz0 + (hz1 - hz0) (1 - cos(pi tau / length)) / 2, the linear ramp a line.
double SegmentHz(const GearboxScheme& s, const Segment& g, double tau) {
    if (g.hz0 == g.hz1 || g.length <= 0) return g.hz0;
    const double u = tau / g.length;
    if (s.steps <= 0) return g.hz0 + (g.hz1 - g.hz0) * u;
    return g.hz0 + (g.hz1 - g.hz0) * 0.5 * (1.0 - std::cos(std::numbers::pi * u));
}

double SegmentRevs(const GearboxScheme& s, const Segment& g, double tau) {
    if (g.hz0 == g.hz1 || g.length <= 0) return g.hz0 * tau;
    const double d = g.hz1 - g.hz0;
    if (s.steps <= 0) return g.hz0 * tau + d * tau * tau / (2.0 * g.length);
    return g.hz0 * tau +
           0.5 * d *
               (tau - g.length / std::numbers::pi * std::sin(std::numbers::pi * tau / g.length));
}

}  // namespace

std::vector<SpeedPlateau> SpeedPlateaus(const GearboxScheme& s) {
    std::vector<SpeedPlateau> out;
    if (s.steps <= 0) return out;
    const double hold = s.holdShare * s.duration / (s.steps + 1);
    const double change = (1.0 - s.holdShare) * s.duration / s.steps;
    for (int k = 0; k <= s.steps; ++k) {
        const double from = k * (hold + change);
        out.push_back(
            {s.inputStartHz + (s.inputStopHz - s.inputStartHz) * k / s.steps, from, from + hold});
    }
    return out;
}

double InputShaftHz(const GearboxScheme& s, double t) {
    const Segment g = SegmentAt(s, t);
    return SegmentHz(s, g, t - g.from);
}

double OutputShaftHz(const GearboxScheme& s, double t) {
    return InputShaftHz(s, t) * s.inputTeeth / s.outputTeeth;
}

double MeshHz(const GearboxScheme& s, double t) {
    return InputShaftHz(s, t) * s.inputTeeth;
}

double InputShaftRevs(const GearboxScheme& s, double t) {
    const Segment g = SegmentAt(s, t);
    return g.revsBefore + SegmentRevs(s, g, t - g.from);
}

AccComponents AccAmplitudes(const GearboxScheme& s, int sensor, double t) {
    // Unbalance and mesh forces grow with the square of the speed, the
    // bearing tone about linearly.
    const double r = InputShaftHz(s, t) / s.inputStopHz;
    const double r2 = r * r;
    AccComponents a;
    if (sensor == 1) {  // on the input bearing housing
        a.in1x = 0.05 + 0.60 * r2;
        a.in2x = 0.02 + 0.25 * r2;
        a.out1x = 0.03 + 0.15 * r2;
        a.out2x = 0.01 + 0.08 * r2;
        a.mesh = 0.5 + 4.5 * r2;
        a.sbInput = 0.10 * a.mesh;
        a.sbOutput = 0.15 * a.mesh;
        a.bpfo = 0.30 + 0.90 * r;
        a.noiseRms = 0.05;
    } else {  // on the output bearing housing
        a.in1x = 0.03 + 0.30 * r2;
        a.in2x = 0.01 + 0.12 * r2;
        a.out1x = 0.05 + 0.40 * r2;
        a.out2x = 0.02 + 0.15 * r2;
        a.mesh = 0.3 + 3.0 * r2;
        a.sbInput = 0.08 * a.mesh;
        a.sbOutput = 0.20 * a.mesh;
        a.bpfo = 0.05 + 0.15 * r;
        a.noiseRms = 0.08;
    }
    return a;
}

korvex::DataSet MakeGearboxSample(const GearboxScheme& s) {
    const double dt = 1.0 / s.sampleRate;
    const auto n = static_cast<size_t>(std::llround(s.duration * s.sampleRate));
    const double ratio = static_cast<double>(s.inputTeeth) / s.outputTeeth;

    plat::DateTime when;
    when.year = 2024, when.month = 3, when.day = 15, when.hour = 10;
    double date = 0.0;
    plat::ToAutomationDate(when, date);

    korvex::DataSet set;
    set.signals.reserve(4);
    set.signals.push_back(NewSignal(kTachoName, "V", dt, date));
    set.signals.push_back(NewSignal(kAcc1Name, kAccUnit, dt, date));
    set.signals.push_back(NewSignal(kAcc2Name, kAccUnit, dt, date));
    korvex::SignalData& tacho = set.signals[0];
    korvex::SignalData& acc1 = set.signals[1];
    korvex::SignalData& acc2 = set.signals[2];
    tacho.samples.resize(n);
    acc1.samples.resize(n);
    acc2.samples.resize(n);

    Prng tachoNoise(s.seed);
    Prng noise1(s.seed ^ 0x1111111111111111ull);
    Prng noise2(s.seed ^ 0x2222222222222222ull);

    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * dt;
        const double revs = InputShaftRevs(s, t);
        tacho.samples[i] = kTachoHighVolts * TachoShape(revs) + 0.01 * tachoNoise.Normal();

        const SinCos in = Turn(revs);
        const SinCos out = Turn(revs * ratio);
        const SinCos mesh = Turn(revs * s.inputTeeth);
        const SinCos bpfo = Turn(revs * s.bpfoOrder);
        // Second orders by the double-angle identities.
        const double in2 = 2.0 * in.s * in.c;
        const double out2 = 2.0 * out.s * out.c;

        for (int sensor = 1; sensor <= 2; ++sensor) {
            const AccComponents a = AccAmplitudes(s, sensor, t);
            // Amplitude modulation of the mesh by both shafts: each cos term
            // puts one sideband of half its weight on either side.
            const double meshEnvelope = a.mesh + 2.0 * a.sbInput * in.c + 2.0 * a.sbOutput * out.c;
            double v = a.in1x * in.s + a.in2x * in2 + a.out1x * out.s + a.out2x * out2 +
                       meshEnvelope * mesh.s + a.bpfo * bpfo.s;
            Prng& g = sensor == 1 ? noise1 : noise2;
            v += a.noiseRms * g.Normal();
            (sensor == 1 ? acc1 : acc2).samples[i] = v;
        }
    }

    korvex::SignalData speed = NewSignal(kSpeedName, "rpm", 1.0 / kSpeedRate, date);
    const auto m = static_cast<size_t>(std::floor(s.duration * kSpeedRate)) + 1;
    speed.samples.resize(m);
    for (size_t i = 0; i < m; ++i)
        speed.samples[i] = 60.0 * InputShaftHz(s, static_cast<double>(i) / kSpeedRate);
    set.signals.push_back(std::move(speed));
    return set;
}

korvex::FileResult WriteGearboxSample(const GearboxScheme& s, const std::string& path) {
    return korvex::WriteQuor(path, MakeGearboxSample(s));
}

}  // namespace samplegen
