// Apart from version.cpp, so that a program naming no library links none.

#include <fftw3.h>
#include <matio.h>

#include "apps/common/version.h"

namespace appversion {

std::string FftwVersion() {
    // "fftw-3.3.10-sse2-avx": the version and how it was built.
    std::string v = fftw_version;
    if (v.rfind("fftw-", 0) == 0) v.erase(0, 5);
    return "FFTW " + v;
}

std::string MatioVersion() {
    int major = 0, minor = 0, release = 0;
    Mat_GetLibraryVersion(&major, &minor, &release);
    return "libmatio " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(release);
}

}  // namespace appversion
