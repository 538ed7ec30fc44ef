#pragma once
// "vantrel envelope": the envelope spectrum of one channel in a band (given,
// or the kurtogram's), read at a bearing's fault lines and named orders,
// with a verdict. The tables and JSON are written here; the PNG by the
// plotter beside vantrel (vantrel-envelope, built with the user interface),
// which shares this parsing and analysis.

#include <optional>
#include <string>
#include <vector>

#include "apps/vantrel/job.h"
#include "korvex/dsp/bearing.h"
#include "korvex/dsp/kurtogram.h"
#include "korvex/formats/readers.h"

namespace vantrel {

// The command's usage lines, and its whole help text (usage and options).
extern const char kEnvelopeUsage[];
const char* EnvelopeHelp();

struct EnvelopeArgs {
    std::string data, channel, speed, json, csv, png;
    korvex::ReadOptions read;
    double shaft = 0.0;  // Hz; 0: from --speed
    std::optional<korvex::BearingGeometry> bearing;
    std::vector<korvex::FaultLine> lines;  // --line NAME=ORDER
    bool autoBand = true;
    double lo = 0.0, hi = 0.0;
    std::optional<double> from, to;
    double resolution = 0.0;  // 0: the default
    bool quiet = false, help = false;
};

// args start with the command word. False with error (usage faults).
bool ParseEnvelopeArgs(const std::vector<std::string>& args, EnvelopeArgs& a, std::string& error);

struct EnvelopeAnalysis {
    std::string file, channel, unit;
    double rate = 0.0, shaftHz = 0.0;
    bool byKurtogram = true;
    korvex::Kurtogram kurtogram;
    korvex::EnvelopeSpectrum envelope;
    korvex::BearingReading reading;
};

// Reads the file and analyses; kExitOk, or the exit code with error set.
int AnalyseEnvelope(const EnvelopeArgs& a, EnvelopeAnalysis& out, std::string& error);

// The JSON and CSV texts, and the console's report.
std::string EnvelopeJson(const EnvelopeAnalysis& r);
std::string EnvelopeCsv(const EnvelopeAnalysis& r);
std::string EnvelopeTable(const EnvelopeAnalysis& r);

int CommandEnvelope(const std::vector<std::string>& args, const char* usage, Console& c);

}  // namespace vantrel
