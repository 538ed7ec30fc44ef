#pragma once
// Loading plug-in libraries into a host: the registered plug-ins are read
// from the registry, each library is opened, its class factory asked for the
// class of the registered ProgID, the plug-in created and initialised with
// the host application, and connected to the host's buttons and events.
// Every failure is a message; a plug-in that fails is skipped.

#include <memory>
#include <string>
#include <vector>

#include "korvex/host.h"
#include "platform/registry.h"

namespace korvex {

struct PluginRecord {
    std::string library;  // full path
    std::string progId;
};
// The string values of the discovery key, in the registry's order.
std::vector<PluginRecord> RegisteredPlugins(const plat::reg::Registry& reg);

class PluginManager {
  public:
    explicit PluginManager(Host& host);
    ~PluginManager();  // unloads everything still loaded
    PluginManager(const PluginManager&) = delete;
    PluginManager& operator=(const PluginManager&) = delete;

    // Loads every registered plug-in; the messages say what was loaded and
    // what was skipped and why. Returns how many were loaded.
    int LoadRegistered(const plat::reg::Registry& reg, std::vector<std::string>& log);
    // Loads one library whose class is found by progId in reg.
    bool Load(const PluginRecord& rec, const plat::reg::Registry& reg, std::string& message);
    // Shuts down and releases every plug-in, last loaded first, and closes
    // the libraries that allow it.
    void UnloadAll(std::vector<std::string>* log = nullptr);

    struct LoadedInfo {
        std::string library;
        std::string progId;
        std::vector<int> pluginIds;  // what the plug-in registered with the host
    };
    std::vector<LoadedInfo> Loaded() const;

  private:
    struct Module;
    Host& host_;
    std::vector<std::unique_ptr<Module>> modules_;
};

}  // namespace korvex
