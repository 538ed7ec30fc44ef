#pragma once
// How to read a data file, from the command line: --rate HZ for a file that
// gives no sample rate, and the choices for a CSV or text file. run,
// report, info and convert take them alike.

#include <functional>
#include <ostream>
#include <string>

#include "korvex/formats/readers.h"

namespace vantrel {

// The options' lines of the usage text.
extern const char kReadOptionsUsage[];

// Whether name is one of the options that take a value.
bool IsReadOption(const std::string& name);
// Sets it; false with error for a value it does not take.
bool SetReadOption(const std::string& name, const std::string& value, korvex::ReadOptions& o,
                   std::string& error);
// The flags: --resample. False for any other word.
bool SetReadFlag(const std::string& arg, korvex::ReadOptions& o);

// For ReadOptions::progress: lines on err while a long recording is copied to
// be read from the disk (only then is it called), when it starts and at each
// quarter, none when quiet. Ctrl+C stops the copy.
std::function<bool(double)> CopyProgress(std::ostream& err, const std::string& path,
                                         bool quiet = false);

// A reader's message, with what to do when it wants a rate.
std::string ReadFailure(const std::string& message, bool needsRate);

}  // namespace vantrel
