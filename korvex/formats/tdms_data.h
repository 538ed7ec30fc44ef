#pragma once
// The TDMS reader's second pass: raw values into the signals' arrays, with
// the channels' scales applied. Internal to korvex/formats/tdms*.cpp.

#include <string>
#include <vector>

#include "korvex/formats/file_source.h"
#include "korvex/formats/readers.h"
#include "korvex/formats/tdms_model.h"

namespace korvex::tdms {

// One step of a channel's NI_Scale chain, applied from the raw value up.
struct ScaleStep {
    double slope = 1.0;  // linear: slope * x + intercept
    double intercept = 0.0;
    std::vector<double> coefficients;  // polynomial: c0 + c1 x + c2 x^2 ...
};

// Where a loaded channel's values go.
struct Sink {
    std::vector<double>* samples = nullptr;
    SampleSink* out = nullptr;  // instead of samples: a streaming reader's sink
    size_t signal = 0;          // the signal's index there
    std::vector<ScaleStep> steps;
    bool daqmx = false;
    uint32_t rawScale = 0;  // DAQmx: the scaler whose values the chain takes
    bool haveOrigin = false;
    Timestamp origin;  // timestamp values count in seconds from the first
    bool Takes(const Slot& s) const {
        return (samples || out) && (!daqmx || s.scaleId == rawScale);
    }
};

// The scale chain of a channel whose NI_Scaling_Status is "unscaled"; an
// empty chain for values stored as they are. False, with why naming the
// scale, for a scale type this reader does not apply.
bool BuildScaleChain(const Object& channel, Sink& sink, std::string& why);

// Values each sink takes from the blocks.
void CountValues(const std::vector<Block>& blocks, const std::vector<Sink>& sinks,
                 std::vector<uint64_t>& counts);

// Reads every block into the sinks, indexed by object. False with error set
// when the file cannot be read.
bool ReadValues(FileSource& file, const std::vector<Block>& blocks, std::vector<Sink>& sinks,
                std::string& error);

}  // namespace korvex::tdms
