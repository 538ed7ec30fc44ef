// The plug-in library's application object, component module and version text.

#include "shell/plugin/module.h"

#include <dlfcn.h>

#include <cstdio>
#include <mutex>

#include "ui/res/reslib.h"

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

const char* SharedLibrarySuffix() {
    return ".so";
}

std::string CplgVantrelApp::InitInstance(const std::string& libraryPath) {
    ExitInstance();
    const size_t slash = libraryPath.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : libraryPath.substr(0, slash + 1);
    for (const char* name : kResourceLibraries) {
        const std::string path = folder + name + SharedLibrarySuffix();
        void* lib = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) continue;
        // A library without the entry point or of another interface version
        // counts as missing.
        auto entry = reinterpret_cast<res::ResourceEntry>(::dlsym(lib, res::kResourceEntry));
        const res::Module* module = entry ? entry(res::kResourceAbi) : nullptr;
        if (!module) {
            ::dlclose(lib);
            continue;
        }
        resources_ = lib;
        resourcePath_ = path;
        res::InstallModule(module);
        return path;
    }
    return {};
}

void CplgVantrelApp::ExitInstance() {
    if (!resources_) return;
    res::InstallModule(nullptr);
    ::dlclose(resources_);
    resources_ = nullptr;
    resourcePath_.clear();
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
