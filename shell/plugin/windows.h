#pragma once
// The windows the plug-in object opens, as it sees them. The library's
// implementation shows the Qt windows (qtwindows.cpp); tests put their own
// in their place. Nothing here depends on a widget toolkit.

#include <memory>
#include <string>

#include "config/cfgproc.h"
#include "shell/host.h"

namespace vantrel {

// The modeless report window: made once, then shown and hidden.
class IReportWindow {
  public:
    virtual ~IReportWindow() = default;
    // False once the window itself was destroyed.
    virtual bool IsWindow() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show(bool show) = 0;
    // Destroys the window; the object stays until the plug-in object goes.
    virtual void Destroy() = 0;
    // Recomputes the table at the host's cursor.
    virtual void RefreshAtCursor() = 0;
};

struct MainDialogEnd {
    bool ok = false;         // closed with OK or "Расчет"
    bool calculate = false;  // closed with "Расчет"
};

class IPluginWindows {
  public:
    virtual ~IPluginWindows() = default;
    // The main dialog, modal, on the given copy of the configuration.
    virtual MainDialogEnd RunMainDialog(const host::App& app, CCfgProc& copy) = 0;
    // The progress window, modal, running the calculation on cfg; true when
    // it ended with OK.
    virtual bool RunProgress(const host::App& app, CCfgProc& cfg) = 0;
    // The report window over the plug-in's configuration, not yet shown;
    // null when no window can be made.
    virtual std::unique_ptr<IReportWindow> CreateReportWindow(const host::App& app,
                                                              CCfgProc& cfg) = 0;
    // The add-point command: dialog, settings saved to settingsPath, the
    // automatic fill through the report window (made here when missing).
    // Returns 1 when a fill succeeded.
    virtual int AddPoint(const host::App& app, CCfgProc& cfg, const std::string& settingsPath,
                         std::unique_ptr<IReportWindow>& report) = 0;
    // The trend window over a summary file, made once and shown again.
    virtual void ShowTrend() = 0;
    // Shut-down: the windows that outlive their commands go.
    virtual void DestroyWindows() {}
};

}  // namespace vantrel
