#pragma once
// A channel of a data file as the commands name it: its name, or folder/name
// where the name stands in several folders.

#include <string>

#include "korvex/formats/readers.h"

namespace vantrel {

// The channel called name; nullptr with error when there is none or the name
// alone does not tell which.
const korvex::SignalData* FindChannel(const korvex::DataSet& d, const std::string& name,
                                      std::string& error);

// Reads the data file at path, its samples left where they lie on disk (an
// hour's recording fits), and finds the channel called name; nullptr with
// error: the reader's, or the path and what is amiss with the name.
const korvex::SignalData* ReadChannel(const std::string& path, korvex::ReadOptions read,
                                      const std::string& name, korvex::DataSet& d,
                                      std::string& error);

}  // namespace vantrel
