#pragma once
// The configuration in its INI files: the settings file ("general",
// "reportDlg" and, unless a separate configuration file is named, the
// configuration) and configuration files ("test", "channels", "report").
//
// Each operation replaces each file it writes at most once, atomically, so a
// failed write leaves the previous file intact. Keys it does not know stay in
// the file untouched.

#include <string>

#include "config/cfgproc.h"

namespace plat {
class ProfileFile;
}

// Sections "test", "channels" and "report". False when the file can't be
// read or written (the old file then stays as it was).
bool WriteConfig(const CCfgProc& cfg, const std::string& path, std::string* error = nullptr);
// Resets the configuration and reads "test", "channels", the section files
// (looked for beside the configuration file too) and, when the file has that
// section, "report". A missing file reads as an empty configuration; a file
// that exists but can't be read fails and leaves the configuration untouched.
bool ReadConfig(CCfgProc& cfg, const std::string& path, std::string* error = nullptr);

// The settings file: "general" and "reportDlg", then the configuration into
// cfgFile or, when that is not usable, into the settings file itself. True
// only when every file was written.
bool SaveSettings(CCfgProc& cfg, const std::string& settingsPath, std::string* error = nullptr);
// Mirrors SaveSettings: "general" and "reportDlg" from the settings file, the
// configuration and its programs from cfgFile when it exists, else from the
// settings file.
bool LoadSettings(CCfgProc& cfg, const std::string& settingsPath, std::string* error = nullptr);

// The same sections on a file in memory. A relative section path that leads
// to no file from the current folder is tried in cfgDir, the folder of the
// file the configuration came from, when one is given.
void WriteConfig(const CCfgProc& cfg, plat::ProfileFile& ini);
void ReadConfig(CCfgProc& cfg, const plat::ProfileFile& ini, const std::string& cfgDir = {});
