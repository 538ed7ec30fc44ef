// The plug-in library's registry entries written and removed: app id, class, ProgIDs.

#include "shell/plugin/registration.h"

#include "korvex/plugin.h"
#include "platform/text.h"
#include "shell/plugin/module.h"

namespace reg = plat::reg;

namespace vantrel {

namespace {

reg::Root RootOf(reg::Scope scope) {
    return scope == reg::Scope::User ? reg::Root::CurrentUser : reg::Root::ClassesRoot;
}
std::string KeyOf(reg::Scope scope, const std::string& rest) {
    return (scope == reg::Scope::User ? std::string("Software\\Classes\\") : std::string()) + rest;
}

std::string TypeLibKey(reg::Scope scope) {
    return KeyOf(scope, "TypeLib\\" + plat::GuidToString(LIBID_plgVantrelLib));
}

}  // namespace

bool HasDiscoveryValue(const std::string& libraryPath) {
    size_t characters = 0;
    for (size_t i = 0; i < libraryPath.size() && characters < kMaxDiscoveryPath; ++characters)
        plat::DecodeUtf8(libraryPath, i);
    return characters < kMaxDiscoveryPath;
}

reg::ClassRegistration ClassEntry(const std::string& libraryPath) {
    reg::ClassRegistration c;
    c.classId = CLSID_Vantrel;
    c.progId = kProgId;
    c.versionIndependentProgId = kViProgId;
    c.description = kClassDescription;
    c.libraryPath = libraryPath;
    c.threadingModel = "Apartment";
    c.typeLibId = LIBID_plgVantrelLib;
    return c;
}

void WriteRegistration(reg::Registry& r, reg::Scope scope, const std::string& libraryPath) {
    // The discovery value is always the machine's, whatever the class scope.
    if (HasDiscoveryValue(libraryPath))
        r.SetString(reg::Root::LocalMachine, korvex::kPluginsKey, libraryPath, kViProgId);

    const reg::Root root = RootOf(scope);
    const std::string appId = plat::GuidToString(APPID_plgVantrel);
    r.SetString(root, KeyOf(scope, "AppID\\" + appId), "", kAppIdDescription);
    r.SetString(root, KeyOf(scope, std::string("AppID\\") + kAppIdLibraryKey), "AppID", appId);

    reg::RegisterClass(r, scope, ClassEntry(libraryPath));

    const std::string lib = TypeLibKey(scope) + "\\" + kTypeLibVersion;
    r.SetString(root, lib, "", kTypeLibHelp);
    r.SetString(root, lib + "\\0\\linux", "", libraryPath);
    r.SetString(root, lib + "\\FLAGS", "", "0");
    const size_t slash = libraryPath.find_last_of('/');
    r.SetString(root, lib + "\\HELPDIR", "",
                slash == std::string::npos ? std::string() : libraryPath.substr(0, slash));
}

void RemoveRegistration(reg::Registry& r, reg::Scope scope, const std::string& libraryPath) {
    if (HasDiscoveryValue(libraryPath))
        r.DeleteValue(reg::Root::LocalMachine, korvex::kPluginsKey, libraryPath);

    const reg::Root root = RootOf(scope);
    reg::UnregisterClass(r, scope, ClassEntry(libraryPath));
    // Only our version of the type library goes; the library's key follows
    // when nothing else is left in it.
    r.DeleteTree(root, TypeLibKey(scope) + "\\" + kTypeLibVersion);
    if (r.SubKeys(root, TypeLibKey(scope)).empty() && r.Values(root, TypeLibKey(scope)).empty())
        r.DeleteTree(root, TypeLibKey(scope));
    // The AppID root key stays.
    r.DeleteTree(root, KeyOf(scope, "AppID\\" + plat::GuidToString(APPID_plgVantrel)));
    r.DeleteTree(root, KeyOf(scope, std::string("AppID\\") + kAppIdLibraryKey));
}

plat::HRESULT RegisterServer(const std::string& registryPath, reg::Scope scope,
                             const std::string& libraryPath) {
    if (registryPath.empty() || libraryPath.empty()) return plat::SELFREG_E_CLASS;
    const bool ok = reg::Update(registryPath, [&](reg::Registry& r) {
        WriteRegistration(r, scope, libraryPath);
        return true;
    });
    return ok ? plat::S_OK : plat::SELFREG_E_CLASS;
}

plat::HRESULT UnregisterServer(const std::string& registryPath, reg::Scope scope,
                               const std::string& libraryPath) {
    if (registryPath.empty() || libraryPath.empty()) return plat::SELFREG_E_CLASS;
    const bool ok = reg::Update(registryPath, [&](reg::Registry& r) {
        RemoveRegistration(r, scope, libraryPath);
        return true;
    });
    return ok ? plat::S_OK : plat::SELFREG_E_CLASS;
}

bool AsksForUser(const char16_t* commandLine) {
    return commandLine && plat::EqualNoCase(plat::FromUtf16(commandLine), "user");
}

}  // namespace vantrel
