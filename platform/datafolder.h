#pragma once
// The host data folder: where the settings file and the default report file
// live. It is "Quor Files/Korvex/" below the user's data home
// ($XDG_DATA_HOME, else ~/.local/share). The environment variable
// VANTREL_DATA_DIR names another folder (tests, command-line use), and
// SetDataFolder overrides both for the running process.

#include <string>

namespace plat {

// The folder with a trailing "/", or empty when no home folder is known.
std::string DataFolder();
// Overrides the folder for this process; an empty text restores the default.
void SetDataFolder(const std::string& folder);
// Creates the folder (with its parents) when it does not exist yet.
bool EnsureDataFolder();

// "plgVantrel.cfg" in the data folder (empty when the folder is unknown).
std::string SettingsFilePath();
// "Report.rtf" in the data folder (empty when the folder is unknown).
std::string DefaultReportPath();

}  // namespace plat
