#pragma once
// The plug-in library's process-wide objects: the application object (the
// resource source) and the component module (lock count, ids, names used in
// the registry), plus the library's version text.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/com.h"

namespace vantrel {

// Ids of the library; the plug-in interface's id is the host's.
inline constexpr plat::Guid CLSID_Vantrel = {
    0x7C3E9A14, 0x2B6D, 0x4F80, {0xA5, 0x1E, 0x93, 0xD4, 0x0C, 0x67, 0xB2, 0x58}};
inline constexpr plat::Guid LIBID_plgVantrelLib = {
    0x4D81F2A6, 0x0E5C, 0x47B3, {0x9C, 0x2D, 0x6A, 0x18, 0xE7, 0x45, 0x3F, 0x91}};
inline constexpr plat::Guid APPID_plgVantrel = {
    0xB52C7E03, 0x61A9, 0x4E14, {0x8D, 0x7B, 0x20, 0xF6, 0x95, 0xC1, 0x4A, 0x3E}};

inline constexpr const char* kProgId = "plgVantrel.Vantrel.1";
inline constexpr const char* kViProgId = "plgVantrel.Vantrel";
inline constexpr const char* kClassDescription = "Vantrel Class";
inline constexpr const char* kAppIdDescription = "plgVantrel";
inline constexpr const char* kAppIdLibraryKey = "plgVantrel.DLL";
inline constexpr const char* kTypeLibHelp = "plgVantrel 1.0 Type Library";
inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr int kAppIdScript = 101;
inline constexpr int kClassScript = 103;

// The component module: the lock count keeps the library loaded while any
// object, factory reference or server lock is alive.
class CplgVantrelModule {
  public:
    int32_t Lock() { return ++locks_; }
    int32_t Unlock() { return --locks_; }
    int32_t LockCount() const { return locks_.load(); }
    // S_OK when the library may be unloaded, else S_FALSE. Once it has made
    // windows the toolkit keeps references into it, so it stays loaded.
    plat::HRESULT CanUnloadNow() const {
        return locks_.load() == 0 && !windowsMade_.load() ? plat::S_OK : plat::S_FALSE;
    }
    void WindowsMade() { windowsMade_ = true; }

    int appIdScript() const { return kAppIdScript; }
    const plat::Guid& appId() const { return APPID_plgVantrel; }

  private:
    std::atomic<int32_t> locks_{0};
    std::atomic<bool> windowsMade_{false};
};

// The language libraries looked for beside the plug-in, in this order.
inline constexpr const char* kResourceLibraries[] = {"plgVantrel_ENU", "plgVantrel_LOC"};
// The platform's suffix of a shared library (".so").
const char* SharedLibrarySuffix();

// The application object: holds the resource library when one was loaded.
class CplgVantrelApp {
  public:
    ~CplgVantrelApp() { ExitInstance(); }
    // At library load: takes the first language library found in the folder
    // of libraryPath and makes its module answer first; without one the own
    // (Russian) texts stay. Returns the loaded library's path, or empty.
    std::string InitInstance(const std::string& libraryPath);
    // At library unload: the own texts again, the language library closed.
    void ExitInstance();
    void* resourceLibrary() const { return resources_; }
    const std::string& resourceLibraryPath() const { return resourcePath_; }

  private:
    void* resources_ = nullptr;
    std::string resourcePath_;
};

CplgVantrelModule& Module();
CplgVantrelApp& App();

// "%d.%d.%d.%d" of the library's version, computed on first use.
const std::string& VersionText();
// The formatting itself; empty when no version part is known (major < 0).
std::string FormatVersion(int major, int minor, int build, int revision);

}  // namespace vantrel
