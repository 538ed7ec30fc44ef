#include "apps/common/version.h"

#include <cstring>

#include "apps/common/build_info.h"

namespace appversion {

std::string VersionText(const std::string& program, const std::vector<std::string>& libraries) {
    std::string text = program + " " + kBuildVersion + " (commit " + kBuildCommit + ")\n";
    for (size_t i = 0; i < libraries.size(); ++i) text += (i == 0 ? "with " : ", ") + libraries[i];
    if (!libraries.empty()) text += '\n';
    return text;
}

bool AsksVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) return true;
    return false;
}

}  // namespace appversion
