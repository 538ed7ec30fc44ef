#pragma once
// Runs the vantrel command in-process and keeps what it printed.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "apps/vantrel/cli.h"

namespace testutil {

struct Outcome {
    int code = 0;
    std::string out, err;
    int ErrLines() const { return static_cast<int>(std::count(err.begin(), err.end(), '\n')); }
};

inline Outcome Vantrel(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    vantrel::Console console{out, err, false};
    Outcome o;
    o.code = vantrel::VantrelMain(args, console);
    o.out = out.str();
    o.err = err.str();
    return o;
}

}  // namespace testutil
