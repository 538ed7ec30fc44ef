// Where the host's data folder is, made on demand, and the files kept in it.

#include "platform/datafolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace plat {

namespace fs = std::filesystem;

namespace {

std::mutex g_mutex;
std::string g_override;

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

std::string DataFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_override.empty()) return WithSlash(g_override);
    }
    std::string dir = Env("VANTREL_DATA_DIR");
    if (!dir.empty()) return WithSlash(dir);
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    std::string base = Env("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        std::string home = HomeFolder();
        if (home.empty()) return {};
        base = WithSlash(home) + ".local/share";
    }
    return WithSlash(base) + "Quor Files/Korvex/";
}

void SetDataFolder(const std::string& folder) {
    std::lock_guard lock(g_mutex);
    g_override = folder;
}

bool EnsureDataFolder() {
    std::string dir = DataFolder();
    if (dir.empty()) return false;
    std::error_code ec;
    fs::create_directories(dir, ec);
    return fs::is_directory(dir, ec);
}

std::string SettingsFilePath() {
    std::string dir = DataFolder();
    return dir.empty() ? dir : dir + "plgVantrel.cfg";
}

std::string DefaultReportPath() {
    std::string dir = DataFolder();
    return dir.empty() ? dir : dir + "Report.rtf";
}

}  // namespace plat
