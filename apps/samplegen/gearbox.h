#pragma once
// The demo sample: a gearbox run-up made from its kinematic scheme. An input
// shaft speeds up in steps, holding each speed for a while (or linearly),
// one tacho pulse per revolution marks it, a gear
// pair drives the output shaft, and two accelerometers pick up the orders of
// both shafts, the gear mesh with its sidebands, an outer-race bearing tone
// and broadband noise. Everything is computed from closed-form phases and an
// own pseudo-random generator, so the same scheme gives the same samples on
// every machine.

#include <cstdint>
#include <string>
#include <vector>

#include "korvex/dataset.h"

namespace samplegen {

struct GearboxScheme {
    double sampleRate = 25600.0;  // samples per second
    double duration = 60.0;       // seconds; the run-up spans the whole record
    double inputStartHz = 10.0;   // input shaft speed at the start
    double inputStopHz = 50.0;    // and at the end
    // Equal speed steps from start to stop, each speed held steady between
    // smooth (raised-cosine) changes; 0 gives one linear ramp.
    int steps = 4;
    double holdShare = 0.6;   // share of the record spent at steady speeds
    int inputTeeth = 23;      // pinion on the input shaft
    int outputTeeth = 61;     // wheel on the output shaft
    double bpfoOrder = 3.57;  // outer-race defect frequency, orders of the input shaft
    uint64_t seed = 20240315;
};

// Signal names and units of the sample.
inline constexpr char kTachoName[] = "Tacho";
inline constexpr char kAcc1Name[] = "Acc1";
inline constexpr char kAcc2Name[] = "Acc2";
inline constexpr char kSpeedName[] = "Speed";
inline constexpr char kAccUnit[] = "m/s^2";
inline constexpr double kTachoHighVolts = 5.0;
inline constexpr double kSpeedRate = 10.0;  // samples per second of the speed feature

// Steady speeds of the run-up: its start, the end of each step and the
// time span each is held (seconds). Empty for a linear run-up.
struct SpeedPlateau {
    double hz = 0, from = 0, to = 0;
};
std::vector<SpeedPlateau> SpeedPlateaus(const GearboxScheme& s);

// Rotation frequencies in Hz at time t (seconds from the start).
double InputShaftHz(const GearboxScheme& s, double t);
double OutputShaftHz(const GearboxScheme& s, double t);
double MeshHz(const GearboxScheme& s, double t);
// Revolutions of the input shaft from the start to t.
double InputShaftRevs(const GearboxScheme& s, double t);

// The tacho pulse, 0 to 1, at a shaft angle given in revolutions: a short
// linear rise at each whole turn, a flat top over a quarter turn and a
// linear fall. The ramps span several samples at any speed, so a trigger
// that interpolates between samples finds each edge at the same angle.
double TachoShape(double revs);

// Amplitudes (m/s^2) of the components of an accelerometer at time t, so
// that checks can compare levels with what was put in.
struct AccComponents {
    double in1x = 0, in2x = 0;    // input shaft orders 1 and 2
    double out1x = 0, out2x = 0;  // output shaft orders 1 and 2
    double mesh = 0;              // gear mesh carrier
    double sbInput = 0;           // each sideband at mesh +- input shaft
    double sbOutput = 0;          // each sideband at mesh +- output shaft
    double bpfo = 0;              // bearing tone
    double noiseRms = 0;          // white noise over the whole band
};
AccComponents AccAmplitudes(const GearboxScheme& s, int sensor, double t);

// Small, fast generator with a fixed sequence for a seed (SplitMix64).
class Prng {
  public:
    explicit Prng(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Approximately normal with mean 0 and deviation 1: the sum of twelve
    // uniforms, which needs no library functions and so is bit-exact
    // everywhere.
    double Normal();

  private:
    uint64_t state_;
};

// The whole sample: "Tacho" (V), "Acc1" and "Acc2" (m/s^2) at the sample
// rate, and "Speed" (rpm of the input shaft) at kSpeedRate.
korvex::DataSet MakeGearboxSample(const GearboxScheme& s);

// Writes the sample as a host data-set file (".quor").
korvex::FileResult WriteGearboxSample(const GearboxScheme& s, const std::string& path);

}  // namespace samplegen
