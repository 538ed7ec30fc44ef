#pragma once
// What every program prints for --version and atop its --help: its name and
// version, the commit it was built from, and the versions of the libraries
// its results depend on.

#include <string>
#include <vector>

namespace appversion {

// "PROGRAM VERSION (commit C)" and a line naming libraries, when any; ends
// with a line end.
std::string VersionText(const std::string& program, const std::vector<std::string>& libraries);

// "FFTW 3.3.10", "libmatio 1.5.23": the libraries linked, as they say.
std::string FftwVersion();
std::string MatioVersion();

// Whether the arguments (without the program name) ask for --version.
bool AsksVersion(int argc, char** argv);

}  // namespace appversion
