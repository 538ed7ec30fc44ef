#pragma once
// What the library writes into the registry and takes out again: the
// application-id entries, the class with its ProgIDs, the type library and
// the value through which the host discovers the plug-in.

#include <string>

#include "platform/com.h"
#include "platform/registry.h"

namespace vantrel {

// Library paths of this many characters or more get no discovery value (the
// class is registered all the same).
inline constexpr size_t kMaxDiscoveryPath = 260;
// Whether the path gets one: characters (UTF-8 code points, a malformed byte
// one each) are counted, not bytes, at registration and removal alike.
bool HasDiscoveryValue(const std::string& libraryPath);

plat::reg::ClassRegistration ClassEntry(const std::string& libraryPath);

// The changes on a registry in memory.
void WriteRegistration(plat::reg::Registry& r, plat::reg::Scope scope,
                       const std::string& libraryPath);
void RemoveRegistration(plat::reg::Registry& r, plat::reg::Scope scope,
                        const std::string& libraryPath);

// The same on the registry file, in one locked update each. S_OK, or
// SELFREG_E_CLASS when the file could not be read or written.
plat::HRESULT RegisterServer(const std::string& registryPath, plat::reg::Scope scope,
                             const std::string& libraryPath);
plat::HRESULT UnregisterServer(const std::string& registryPath, plat::reg::Scope scope,
                               const std::string& libraryPath);

// DllInstall's command line: "user", in any case, asks for a per-user
// registration; anything else (or none) leaves the scope as it is.
bool AsksForUser(const char16_t* commandLine);

}  // namespace vantrel
