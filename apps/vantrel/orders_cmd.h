#pragma once
// "vantrel orders": a channel resampled at equal shaft angles from a tacho
// or a speed signal, its order spectra over R revolutions, the cuts of
// chosen orders (RMS and phase against the tacho's mark), the order map and
// a shaft's synchronous average, as CSV files and a PNG picture.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"
#include "korvex/dsp/order_spectrum.h"
#include "korvex/formats/readers.h"

namespace vantrel {

extern const char kOrdersUsage[];

struct OrdersArgs {
    std::string data, channel, tacho, speed, out, map, tsa, png;
    int pulses = 1;
    std::vector<double> orders;
    double maxOrder = 0.0;  // 0: chosen from the orders and the sample rate
    int revs = 16;
    int window = 3;
    double overlap = 50.0;
    double width = 0.0;  // 0: one line
    double shaftRatio = 1.0;
    korvex::ReadOptions read;
    bool quiet = false;
    bool help = false;
};

// args as VantrelMain gets them ("orders" first); false with error for a
// usage error.
bool ParseOrdersArgs(const std::vector<std::string>& args, OrdersArgs& a, std::string& error);

struct OrdersRun {
    korvex::OrderSpectra spectra;
    std::vector<korvex::OrderCut> cuts;  // one per --orders value, in their order
    korvex::SyncAverage tsa;             // with --tsa
    double maxOrder = 0.0;
    std::string unit;  // the channel's
    std::string channel;
};

// Reads the data and computes; kExitOk, or the exit code after a message on
// c.err.
int ComputeOrders(const OrdersArgs& a, OrdersRun& run, Console& c);

// The files' texts.
std::string OrderCutsCsv(const OrdersRun& run);
std::string OrderMapCsv(const OrdersRun& run);
std::string SyncAverageCsv(const OrdersRun& run);

int CommandOrders(const std::vector<std::string>& args, const char* usage, Console& c);

}  // namespace vantrel
