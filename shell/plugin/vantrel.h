#pragma once
// The plug-in object the host creates: it owns the working configuration and
// the settings-file path, registers the plug-in and its four buttons with
// the host and turns button presses and host events into commands.

#include <atomic>
#include <memory>
#include <string>

#include "config/cfgproc.h"
#include "korvex/plugin.h"
#include "shell/host.h"
#include "shell/plugin/windows.h"

namespace vantrel {

// What Execute does with a code.
enum class Command { None, Main, Report, AddPoint, Trend, Cursor, Selection };
inline constexpr int kButtons = 4;
inline constexpr uint32_t kCursorEvent = 0x2FFFF;
inline constexpr uint32_t kSelectionEvent = 0x10210001;
// Button ids first (by the high 16 bits), then the two events; a command id
// of 0 (not registered) matches nothing.
Command Classify(uint32_t code, const int (&commandIds)[kButtons]);

// The one host connection of the process, null outside Initialize..Shutdown.
host::App* HostConnection();

class CVantrel final : public korvex::IKorvexPlugin {
  public:
    // windows may be null: the commands that need a window then do nothing.
    explicit CVantrel(std::unique_ptr<IPluginWindows> windows = nullptr);
    ~CVantrel();

    plat::HRESULT QueryInterface(const plat::Guid& iid, void** out) override;
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override;
    plat::HRESULT GetTypeInfoCount(uint32_t* count) override;
    plat::HRESULT GetTypeInfo(uint32_t, uint32_t, void**) override { return plat::E_NOTIMPL; }
    plat::HRESULT GetIDsOfNames(const plat::Guid&, const char* const*, uint32_t, uint32_t,
                                int32_t*) override {
        return plat::E_NOTIMPL;
    }
    plat::HRESULT InvokeSlot(int32_t, const plat::Guid&, uint32_t, uint16_t, void*, void*, void*,
                             uint32_t*) override {
        return plat::E_NOTIMPL;
    }

    plat::HRESULT Initialize(plat::IDispatchObject* application, int32_t reserved) override;
    plat::HRESULT Shutdown(int32_t reserved) override;
    plat::HRESULT Execute(uint32_t code, plat::Variant* data, int32_t reserved) override;

    // The internal results of the commands (the host is told 0 in any case).
    int MainCommand();
    int ReportCommand();
    int AddPointCommand();
    int TrendCommand();

    const CCfgProc& Config() const { return cfg_; }
    const std::string& SettingsPath() const { return settingsPath_; }
    IReportWindow* ReportWindow() const { return report_.get(); }
    int CommandId(int button) const { return commandIds_[button]; }

  private:
    bool Save();

    std::atomic<uint32_t> refs_{0};
    CCfgProc cfg_;
    std::string settingsPath_;
    std::unique_ptr<IPluginWindows> windows_;
    std::unique_ptr<IReportWindow> report_;
    int pluginId_ = 0;
    int commandIds_[kButtons] = {};
};

}  // namespace vantrel
