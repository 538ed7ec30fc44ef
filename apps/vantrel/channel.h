#pragma once
// A channel of a data file as the commands name it: its name, or folder/name
// where the name stands in several folders.

#include <string>

#include "korvex/dataset.h"

namespace vantrel {

// The channel called name; nullptr with error when there is none or the name
// alone does not tell which.
const korvex::SignalData* FindChannel(const korvex::DataSet& d, const std::string& name,
                                      std::string& error);

}  // namespace vantrel
