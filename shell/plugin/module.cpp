#include "shell/plugin/module.h"

#include <cstdio>
#include <mutex>

#ifndef VANTREL_VERSION_MAJOR
#define VANTREL_VERSION_MAJOR -1
#define VANTREL_VERSION_MINOR 0
#define VANTREL_VERSION_PATCH 0
#define VANTREL_VERSION_TWEAK 0
#endif

namespace vantrel {

CplgVantrelModule& Module() {
    static CplgVantrelModule m;
    return m;
}

CplgVantrelApp& App() {
    static CplgVantrelApp a;
    return a;
}

std::string FormatVersion(int major, int minor, int build, int revision) {
    if (major < 0) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", major, minor, build, revision);
    return buf;
}

const std::string& VersionText() {
    // An empty text is computed again on the next use; a found one is kept.
    static std::mutex mutex;
    static std::string text;
    std::lock_guard lock(mutex);
    if (text.empty())
        text = FormatVersion(VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR, VANTREL_VERSION_PATCH,
                             VANTREL_VERSION_TWEAK);
    return text;
}

}  // namespace vantrel
