#pragma once
// The one-line "key=value/key=value" form used by the settings records and
// by the dialog geometry keys.

#include <map>
#include <string>
#include <string_view>

namespace plat {

using KeyValues = std::map<std::string, std::string>;  // exact, case-sensitive keys

// Splits at "/" and then at the first "=" of each token. Tokens without "="
// or starting with "=" are ignored, later keys replace earlier ones. A text
// that starts with "/" is one single token.
KeyValues SplitKeyValues(std::string_view text);

// The C conversions of a decimal prefix (leading blanks skipped, the longest
// valid prefix read, else 0), independent of the process locale: files are
// written with a decimal point whatever the user's locale says.
int AtoI(std::string_view text);
double AtoF(std::string_view text);

// Field readers with the C conversions: a missing key reads as "", i.e. 0.
int KvInt(const KeyValues& kv, const std::string& key);
double KvDouble(const KeyValues& kv, const std::string& key);
bool KvBool(const KeyValues& kv, const std::string& key);
std::string KvText(const KeyValues& kv, const std::string& key);

}  // namespace plat
