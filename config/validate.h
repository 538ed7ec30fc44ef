#pragma once
// Checks of a configuration the readers take leniently. The readers fall back
// to defaults or skip what they can't use, which is right inside the plug-in
// but hides a broken file from a script: these checks name each such place
// so that a command can warn about it. Each finding is one line of text
// without a line end.

#include <string>
#include <string_view>
#include <vector>

class CCfgProc;
namespace plat {
class ProfileFile;
}

// Values under the known keys of "general", "reportDlg", "test", "channels"
// and "report" that do not read as their key's type (a whole number, a
// number, one of the channel types, or a record of such "key=value" pairs).
// label names the file in the findings.
std::vector<std::string> CheckConfigValues(const plat::ProfileFile& ini, const std::string& label);

// Channel options of the file that name an item the configuration's
// frequency base does not hold; the reader drops them.
std::vector<std::string> CheckChannelItems(const plat::ProfileFile& ini, const CCfgProc& cfg,
                                           const std::string& label);

// An INI file is read as code page 1251 unless it starts with a UTF-8 byte
// order mark. Bytes without the mark that are well-formed UTF-8 and not all
// ASCII were almost certainly saved as UTF-8: their Cyrillic names read as
// other letters. Empty when the bytes are fine.
std::string CheckIniEncoding(std::string_view bytes, const std::string& label);

// A frequency-base file must be UTF-8.
std::string CheckJsonEncoding(std::string_view bytes, const std::string& label);
