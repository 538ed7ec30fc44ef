// The library's exported entry points over the module, its class factory and
// the registration code.

#include "platform/com.h"
#include "platform/registry.h"
#include "shell/plugin/module.h"
#include "shell/plugin/qtwindows.h"
#include "shell/plugin/registration.h"
#include "shell/plugin/vantrel.h"

using plat::Guid;
using plat::HRESULT;
namespace reg = plat::reg;

namespace {

// One factory, handed out again and again; its references count as module
// locks so the library stays loaded while the host holds it.
class Factory final : public plat::IClassFactoryBase {
  public:
    HRESULT QueryInterface(const Guid& iid, void** out) override {
        if (!out) return plat::E_POINTER;
        if (iid == plat::IID_IUnknown || iid == plat::IID_IClassFactory) {
            *out = static_cast<plat::IClassFactoryBase*>(this);
            AddRef();
            return plat::S_OK;
        }
        *out = nullptr;
        return plat::E_NOINTERFACE;
    }
    uint32_t AddRef() override { return static_cast<uint32_t>(vantrel::Module().Lock()); }
    uint32_t Release() override { return static_cast<uint32_t>(vantrel::Module().Unlock()); }
    HRESULT CreateInstance(plat::IUnknownBase* outer, const Guid& iid, void** out) override {
        if (!out) return plat::E_POINTER;
        *out = nullptr;
        if (outer) return plat::CLASS_E_NOAGGREGATION;
        auto* p = new vantrel::CVantrel(vantrel::MakeQtWindows());
        p->AddRef();
        const HRESULT hr = p->QueryInterface(iid, out);
        p->Release();
        return hr;
    }
    HRESULT LockServer(bool lock) override {
        lock ? vantrel::Module().Lock() : vantrel::Module().Unlock();
        return plat::S_OK;
    }
};
Factory g_factory;

std::atomic<reg::Scope> g_scope{reg::Scope::Machine};

std::string LibraryPath() {
    return plat::ModulePathOf(reinterpret_cast<const void*>(&LibraryPath));
}

// Library start-up: the language library beside the plug-in, if any, gives
// the texts. The application object closes it again at unload.
__attribute__((constructor)) void OnLibraryLoad() {
    vantrel::App().InitInstance(LibraryPath());
}

}  // namespace

#define VANTREL_EXPORT extern "C" __attribute__((visibility("default")))

VANTREL_EXPORT HRESULT DllGetClassObject(const Guid* clsid, const Guid* iid, void** out) {
    if (!clsid || !iid || !out) return plat::E_POINTER;
    *out = nullptr;
    if (!(*clsid == vantrel::CLSID_Vantrel)) return plat::CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(*iid, out);
}

VANTREL_EXPORT HRESULT DllCanUnloadNow() {
    return vantrel::Module().CanUnloadNow();
}

VANTREL_EXPORT HRESULT DllRegisterServer() {
    return vantrel::RegisterServer(reg::DefaultRegistryPath(), g_scope, LibraryPath());
}

VANTREL_EXPORT HRESULT DllUnregisterServer() {
    return vantrel::UnregisterServer(reg::DefaultRegistryPath(), g_scope, LibraryPath());
}

VANTREL_EXPORT HRESULT DllInstall(int32_t install, const char16_t* commandLine) {
    if (vantrel::AsksForUser(commandLine)) g_scope = reg::Scope::User;
    if (!install) return DllUnregisterServer();
    const HRESULT hr = DllRegisterServer();
    // Undo whatever part of the registration was written.
    if (plat::Failed(hr)) DllUnregisterServer();
    return hr;
}
