// korvex-regsvr: registers a plug-in library by calling its own
// registration entry points, as a user does once after installing one.
//
//   korvex-regsvr LIBRARY          DllRegisterServer
//   korvex-regsvr -u LIBRARY       DllUnregisterServer
//   korvex-regsvr -i[:CMD] LIBRARY DllInstall(install, CMD)   (-u -i: remove)
//   -s  prints nothing on success
//   --help, --version
//
// Exit status: 0 done, 2 usage, 3 library not loaded, 4 entry point missing,
// 5 the entry point failed.

#include <dlfcn.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "apps/common/version.h"
#include "platform/com.h"

namespace {

constexpr char kUsage[] =
    "usage: korvex-regsvr [-u] [-i[:CMDLINE]] [-s] LIBRARY\n"
    "  LIBRARY      a plug-in library (a path); calls its DllRegisterServer\n"
    "  -u           calls DllUnregisterServer instead\n"
    "  -i[:CMDLINE] calls DllInstall(1, CMDLINE); with -u DllInstall(0, CMDLINE)\n"
    "  -s           prints nothing on success\n"
    "  --help       this text; --version: the version alone\n"
    "Exit status: 0 done, 2 usage, 3 the library does not load, 4 the entry point is\n"
    "missing, 5 the entry point failed.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The tool loads a plug-in library and unloads it before it exits; what a
// library leaves behind can no longer be attributed then, so a leak report
// would only fail the registration. The other sanitizer checks stay on.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

int main(int argc, char** argv) {
    bool remove = false, silent = false;
    std::optional<std::string> install;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--version" || a == "--help" || a == "-h") {
            const std::string version = appversion::VersionText("korvex-regsvr", {});
            std::fputs(version.c_str(), stdout);
            if (a != "--version") std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "-u" || a == "/u") {
            remove = true;
        } else if (a == "-s" || a == "/s") {
            silent = true;
        } else if (a.substr(0, 2) == "-i" || a.substr(0, 2) == "/i") {
            if (a.size() == 2)
                install = "";
            else if (a[2] == ':')
                install = std::string(a.substr(3));
            else
                return Usage();
        } else if (!a.empty() && a[0] != '-' && library.empty()) {
            library = a;
        } else {
            return Usage();
        }
    }
    if (library.empty()) return Usage();

    // A bare name would be searched on the library path; a path is meant.
    if (library.find('/') == std::string::npos) library = "./" + library;
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* err = ::dlerror();
        std::fprintf(stderr, "%s: cannot be loaded: %s\n", library.c_str(), err ? err : "");
        return 3;
    }
    const char* entry = install  ? plat::kDllInstall
                        : remove ? plat::kDllUnregisterServer
                                 : plat::kDllRegisterServer;
    void* sym = ::dlsym(handle, entry);
    if (!sym) {
        std::fprintf(stderr, "%s: no %s entry point\n", library.c_str(), entry);
        ::dlclose(handle);
        return 4;
    }
    plat::HRESULT hr;
    if (install) {
        const std::u16string cmd = plat::ToUtf16(*install);
        hr = reinterpret_cast<plat::DllInstallFn>(sym)(remove ? 0 : 1,
                                                       install->empty() ? nullptr : cmd.c_str());
    } else {
        hr = reinterpret_cast<plat::DllRegisterServerFn>(sym)();
    }
    ::dlclose(handle);
    if (plat::Failed(hr)) {
        std::fprintf(stderr, "%s: %s failed (%s)\n", library.c_str(), entry,
                     plat::HResultText(hr).c_str());
        return 5;
    }
    if (!silent) std::printf("%s: %s succeeded\n", library.c_str(), entry);
    return 0;
}
