// Plug-in libraries from the registry: opened, created, initialised, and unloaded.

#include "korvex/plugins.h"

#include <dlfcn.h>

#include <algorithm>
#include <exception>

#include "korvex/plugin.h"

namespace korvex {

using plat::ComPtr;
using plat::HRESULT;
namespace reg = plat::reg;

std::vector<PluginRecord> RegisteredPlugins(const reg::Registry& r) {
    std::vector<PluginRecord> out;
    for (const reg::Value& v : r.Values(reg::Root::LocalMachine, kPluginsKey))
        if (v.type == reg::Value::Type::String && !v.name.empty()) out.push_back({v.name, v.text});
    return out;
}

// One loaded library and the plug-in object made from it. The object is
// released before the library is closed (members are destroyed in reverse).
struct PluginManager::Module {
    struct Closer {
        void operator()(void* h) const {
            if (h) ::dlclose(h);
        }
    };
    PluginRecord record;
    std::unique_ptr<void, Closer> library;
    ComPtr<IKorvexPlugin> plugin;
    std::vector<int> pluginIds;
};

PluginManager::PluginManager(Host& host) : host_(host) {}

PluginManager::~PluginManager() {
    UnloadAll();
}

int PluginManager::LoadRegistered(const reg::Registry& r, std::vector<std::string>& log) {
    int loaded = 0;
    for (const PluginRecord& rec : RegisteredPlugins(r)) {
        std::string message;
        if (Load(rec, r, message)) ++loaded;
        log.push_back(std::move(message));
    }
    return loaded;
}

namespace {

std::vector<int> PluginIds(const Host& host) {
    std::vector<int> ids;
    for (const Host::PluginInfo& p : host.Plugins()) ids.push_back(p.id);
    return ids;
}

}  // namespace

bool PluginManager::Load(const PluginRecord& rec, const reg::Registry& r, std::string& message) {
    const std::string what = rec.library + " (" + rec.progId + ")";
    for (const auto& m : modules_)
        if (m->record.library == rec.library) {
            message = what + ": already loaded";
            return false;
        }
    auto clsid = reg::ClassIdOfProgId(r, rec.progId);
    if (!clsid) {
        message = what + ": the ProgID is not registered";
        return false;
    }
    auto m = std::make_unique<Module>();
    m->record = rec;
    ::dlerror();
    m->library.reset(::dlopen(rec.library.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!m->library) {
        const char* err = ::dlerror();
        message = what + ": cannot be loaded: " + (err ? err : "unknown error");
        return false;
    }
    auto getClassObject = reinterpret_cast<plat::DllGetClassObjectFn>(
        ::dlsym(m->library.get(), plat::kDllGetClassObject));
    if (!getClassObject) {
        message = what + ": no " + plat::kDllGetClassObject + " entry point";
        return false;
    }
    ComPtr<plat::IClassFactoryBase> factory;
    HRESULT hr = getClassObject(&*clsid, &plat::IID_IClassFactory, factory.Out());
    if (plat::Failed(hr) || !factory) {
        message = what + ": no class factory for " + plat::GuidToString(*clsid) + " (" +
                  plat::HResultText(hr) + ")";
        return false;
    }
    hr = factory->CreateInstance(nullptr, IID_IKorvexPlugin, m->plugin.Out());
    factory.reset();
    if (plat::Failed(hr) || !m->plugin) {
        message = what + ": the plug-in object cannot be created (" + plat::HResultText(hr) + ")";
        return false;
    }

    // The plug-in registers itself during Initialize; the ids it gets are
    // the ones that are new afterwards.
    const std::vector<int> before = PluginIds(host_);
    host_.AddRef();  // the reference Initialize hands over
    try {
        hr = m->plugin->Initialize(&host_, 0);
    } catch (const std::exception&) {
        hr = plat::E_UNEXPECTED;
    }
    if (plat::Failed(hr)) {
        message = what + ": Initialize failed (" + plat::HResultText(hr) + ")";
        return false;
    }
    for (int id : PluginIds(host_))
        if (std::find(before.begin(), before.end(), id) == before.end()) m->pluginIds.push_back(id);
    IKorvexPlugin* p = m->plugin.get();
    for (int id : m->pluginIds)
        host_.AttachPlugin(id, [p](uint32_t code, plat::Variant* data) {
            try {
                p->Execute(code, data, 0);
            } catch (const std::exception&) {
                // A failing command must not take the host down.
            }
        });
    message = what + ": loaded";
    modules_.push_back(std::move(m));
    return true;
}

void PluginManager::UnloadAll(std::vector<std::string>* log) {
    while (!modules_.empty()) {
        std::unique_ptr<Module> m = std::move(modules_.back());
        modules_.pop_back();
        for (int id : m->pluginIds) host_.AttachPlugin(id, {});
        try {
            m->plugin->Shutdown(0);
        } catch (const std::exception&) {
        }
        m->plugin.reset();
        auto canUnload = reinterpret_cast<plat::DllCanUnloadNowFn>(
            ::dlsym(m->library.get(), plat::kDllCanUnloadNow));
        // A library that still has live objects stays mapped.
        if (canUnload && canUnload() != plat::S_OK) {
            (void)m->library.release();
            if (log) log->push_back(m->record.library + ": released, library kept loaded");
        } else if (log) {
            log->push_back(m->record.library + ": unloaded");
        }
    }
}

std::vector<PluginManager::LoadedInfo> PluginManager::Loaded() const {
    std::vector<LoadedInfo> out;
    for (const auto& m : modules_)
        out.push_back({m->record.library, m->record.progId, m->pluginIds});
    return out;
}

}  // namespace korvex
