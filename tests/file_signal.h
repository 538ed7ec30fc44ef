#pragma once
// Files a signal in a test's host, as the data sets of a run are filed.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "korvex/host.h"

namespace testutil {

// y sampled every dt seconds, filed as folder/name; quantity and unit, when
// not 0, are its Y axis codes. False when the host refuses it.
inline bool FileSignal(korvex::Host& host, const std::string& folder, const std::string& name,
                       std::vector<double> y, double dt, uint64_t quantity = 0, uint64_t unit = 0,
                       std::string text5 = {}) {
    korvex::SignalData d;
    d.stepX = dt;
    d.samples = std::move(y);
    d.text5 = std::move(text5);
    if (quantity) d.axisCodes[{1, 1}] = quantity;
    if (unit) d.axisCodes[{2, 1}] = unit;
    auto s = host.NewSignal();
    s->Assign(std::move(d));
    return host.AddSignal(folder, name, s);
}

}  // namespace testutil
