// A minimal plug-in for the host's tests: it registers like any plug-in
// library, puts two buttons on the host's toolbar and writes down every
// Execute call, reading the cursor through the graph service on each cursor
// event. ProbeLog() hands the record to the test.

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "korvex/plugin.h"
#include "platform/com.h"
#include "platform/registry.h"
#include "platform/text.h"

using plat::Guid;
using plat::HRESULT;
namespace reg = plat::reg;

namespace {

constexpr Guid kClassId = {
    0x2E7A41C9, 0x5D03, 0x4B8F, {0x9A, 0x6E, 0x13, 0xC2, 0x70, 0x5F, 0xD8, 0x44}};
constexpr const char* kProgId = "kvxProbe.Probe.1";
constexpr const char* kViProgId = "kvxProbe.Probe";

std::atomic<int> g_objects{0};
std::atomic<int> g_locks{0};
std::mutex g_logMutex;
std::string g_log;

void Log(const std::string& line) {
    std::lock_guard lock(g_logMutex);
    g_log += line + "\n";
}

uint32_t g_pixels[16 * 16];
korvex::ButtonBitmap g_bitmap{16, 16, g_pixels};

template <class... A>
plat::Variant Call(const plat::DispPtr& obj, int id, A&&... a) {
    plat::Variant r;
    plat::Invoke(obj.get(), id, plat::InvokeKind::Method, &r, std::forward<A>(a)...);
    return r;
}

class Probe final : public korvex::IKorvexPlugin {
  public:
    Probe() { ++g_objects; }
    ~Probe() {
        --g_objects;
        Log("released");
    }

    HRESULT QueryInterface(const Guid& iid, void** out) override {
        if (!out) return plat::E_POINTER;
        if (iid == plat::IID_IUnknown || iid == plat::IID_IDispatch ||
            iid == korvex::IID_IKorvexPlugin) {
            *out = static_cast<korvex::IKorvexPlugin*>(this);
            AddRef();
            return plat::S_OK;
        }
        *out = nullptr;
        return plat::E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override {
        const uint32_t n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    HRESULT GetTypeInfoCount(uint32_t* count) override {
        if (count) *count = 0;
        return plat::S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, uint32_t, void**) override { return plat::E_NOTIMPL; }
    HRESULT GetIDsOfNames(const Guid&, const char* const*, uint32_t, uint32_t, int32_t*) override {
        return plat::E_NOTIMPL;
    }
    HRESULT InvokeSlot(int32_t, const Guid&, uint32_t, uint16_t, void*, void*, void*,
                       uint32_t*) override {
        return plat::E_NOTIMPL;
    }

    HRESULT Initialize(plat::IDispatchObject* application, int32_t) override {
        // A green ring on transparent ground.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int d = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
                g_pixels[y * 16 + x] = d > 100 && d < 200 ? 0xFF2CA02Cu : 0u;
            }
        host_ = korvex::AdoptHost(application);
        pluginId_ = Call(host_, 68, "Probe").AsInt32();
        for (int i = 0; i < 2; ++i) {
            commands_[i] = Call(host_, 43).AsInt32();
            const char* text = i == 0 ? "Probe\nProbe the cursor" : "Second\nThe second button";
            Call(host_, 46, pluginId_, commands_[i],
                 static_cast<int64_t>(reinterpret_cast<intptr_t>(&g_bitmap)), text);
        }
        Log("initialize " + std::to_string(pluginId_));
        return plat::S_OK;
    }
    HRESULT Shutdown(int32_t) override {
        Log("shutdown");
        host_.reset();
        return plat::S_OK;
    }
    HRESULT Execute(uint32_t code, plat::Variant*, int32_t) override {
        char buf[32];
        std::snprintf(buf, sizeof buf, "execute 0x%X", code);
        std::string line = buf;
        if (code == 0x2FFFF) line += " " + CursorText();
        for (int i = 0; i < 2; ++i)
            if (static_cast<int>(code >> 16) == commands_[i])
                line += " button " + std::to_string(i + 1);
        Log(line);
        return plat::S_OK;
    }

  private:
    // What a report window reads at a cursor event.
    std::string CursorText() {
        plat::Variant service;
        plat::Invoke(host_.get(), 13, plat::InvokeKind::Method, &service);
        plat::DispPtr g = service.AsObject();
        const int window = Call(g, 27).AsInt32();
        const int kind = Call(g, 60, window).AsInt32();
        const int graph = Call(g, 28, window).AsInt32();
        const int count = Call(g, 15, graph).AsInt32();
        std::string first;
        if (count > 0) {
            const int id = Call(g, 19, graph, 0).AsInt32();
            plat::DispPtr s = Call(g, 20, id).AsObject();
            plat::Variant name;
            plat::Invoke(s.get(), 4, plat::InvokeKind::PropertyGet, &name);
            first = name.AsText();
        }
        plat::Variant x;
        plat::Invoke(g.get(), 46, plat::InvokeKind::Method, nullptr, graph, plat::Variant::ByRef(x),
                     false);
        char buf[160];
        std::snprintf(buf, sizeof buf, "window=%d kind=%d graph=%d signals=%d first=%s x=%.6g",
                      window, kind, graph, count, first.c_str(), x.AsDouble());
        return buf;
    }

    std::atomic<uint32_t> refs_{0};
    plat::DispPtr host_;
    int pluginId_ = 0;
    int commands_[2] = {0, 0};
};

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
    // One static factory: counting it as a lock keeps the library loaded
    // while a host holds it.
    uint32_t AddRef() override { return static_cast<uint32_t>(++g_locks); }
    uint32_t Release() override { return static_cast<uint32_t>(--g_locks); }
    HRESULT CreateInstance(plat::IUnknownBase* outer, const Guid& iid, void** out) override {
        if (!out) return plat::E_POINTER;
        *out = nullptr;
        if (outer) return plat::CLASS_E_NOAGGREGATION;
        Probe* p = new Probe;
        p->AddRef();
        const HRESULT hr = p->QueryInterface(iid, out);
        p->Release();
        return hr;
    }
    HRESULT LockServer(bool lock) override {
        lock ? ++g_locks : --g_locks;
        return plat::S_OK;
    }
};
Factory g_factory;

reg::ClassRegistration Registration() {
    reg::ClassRegistration c;
    c.classId = kClassId;
    c.progId = kProgId;
    c.versionIndependentProgId = kViProgId;
    c.description = "Probe Class";
    c.libraryPath = plat::ModulePathOf(reinterpret_cast<const void*>(&Registration));
    return c;
}

reg::Scope g_scope = reg::Scope::Machine;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const Guid* clsid, const Guid* iid,
                                                                 void** out) {
    if (!clsid || !iid || !out) return plat::E_POINTER;
    *out = nullptr;
    if (!(*clsid == kClassId)) return plat::CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(*iid, out);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? plat::S_OK : plat::S_FALSE;
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    const reg::ClassRegistration c = Registration();
    const bool ok = reg::Update(reg::DefaultRegistryPath(), [&](reg::Registry& r) {
        r.SetString(reg::Root::LocalMachine, korvex::kPluginsKey, c.libraryPath, kViProgId);
        reg::RegisterClass(r, g_scope, c);
        return true;
    });
    return ok ? plat::S_OK : plat::SELFREG_E_CLASS;
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
    const reg::ClassRegistration c = Registration();
    const bool ok = reg::Update(reg::DefaultRegistryPath(), [&](reg::Registry& r) {
        r.DeleteValue(reg::Root::LocalMachine, korvex::kPluginsKey, c.libraryPath);
        reg::UnregisterClass(r, g_scope, c);
        return true;
    });
    return ok ? plat::S_OK : plat::SELFREG_E_CLASS;
}

__attribute__((visibility("default"))) HRESULT DllInstall(int32_t install,
                                                          const char16_t* commandLine) {
    if (commandLine && plat::EqualNoCase(plat::FromUtf16(commandLine), "user"))
        g_scope = reg::Scope::User;
    if (!install) return DllUnregisterServer();
    const HRESULT hr = DllRegisterServer();
    if (plat::Failed(hr)) DllUnregisterServer();
    return hr;
}

// The test's window into the plug-in.
__attribute__((visibility("default"))) const char* ProbeLog() {
    static std::string copy;
    std::lock_guard lock(g_logMutex);
    copy = g_log;
    return copy.c_str();
}

}  // extern "C"
