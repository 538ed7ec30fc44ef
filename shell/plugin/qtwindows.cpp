// The plug-in's windows made with Qt, or none without a Qt application in the process.

#include "shell/plugin/qtwindows.h"

#include <QApplication>

#include "config/cfgfile.h"
#include "platform/datafolder.h"
#include "shell/plugin/module.h"
#include "ui/progressdlg.h"
#include "ui/reportcmds.h"
#include "ui/reportdlg.h"
#include "ui/trendwnd.h"
#include "ui/vantreldlg.h"

namespace vantrel {

namespace {

bool HaveDesktop() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    Module().WindowsMade();
    return true;
}

// The parent of every window: the window active in the host right now.
QWidget* HostWindow() {
    return QApplication::activeWindow();
}

class QtReportWindow final : public IReportWindow {
  public:
    bool IsWindow() const override { return static_cast<bool>(dlg); }
    bool IsVisible() const override { return dlg && dlg->isVisible(); }
    void Show(bool show) override {
        if (!dlg) return;
        if (show) {
            dlg->show();
            dlg->raise();
        } else {
            dlg->hide();
        }
    }
    void Destroy() override { dlg.reset(); }
    void RefreshAtCursor() override { reportcmds::OnCursorEvent(dlg.get()); }

    std::unique_ptr<CReportDlg> dlg;
};

class QtWindows final : public IPluginWindows {
  public:
    MainDialogEnd RunMainDialog(const host::App& app, CCfgProc& copy) override {
        if (!HaveDesktop()) return {};
        CVantrelDlg dlg(HostWindow());
        dlg.SetHost(&app);
        dlg.SetVersionText(VersionText());
        dlg.Config() = copy;
        if (dlg.exec() != QDialog::Accepted) return {};
        copy = dlg.Config();
        return {true, dlg.CalculationRequested()};
    }

    bool RunProgress(const host::App& app, CCfgProc& cfg) override {
        if (!HaveDesktop()) return false;
        CProgressDlg dlg(app, &cfg, HostWindow());
        return dlg.exec() == QDialog::Accepted;
    }

    std::unique_ptr<IReportWindow> CreateReportWindow(const host::App& app,
                                                      CCfgProc& cfg) override {
        if (!HaveDesktop()) return nullptr;
        auto w = std::make_unique<QtReportWindow>();
        w->dlg = std::make_unique<CReportDlg>(app, &cfg, HostWindow());
        return w;
    }

    int AddPoint(const host::App& app, CCfgProc& cfg, const std::string& settingsPath,
                 std::unique_ptr<IReportWindow>& report) override {
        if (!HaveDesktop()) return 0;
        // The command makes the window when it needs one; it stays ours.
        auto* own = dynamic_cast<QtReportWindow*>(report.get());
        std::unique_ptr<QtReportWindow> made;
        if (!own) {
            made = std::make_unique<QtReportWindow>();
            own = made.get();
        }
        reportcmds::Env env;
        env.app = &app;
        env.cfg = &cfg;
        env.hostWindow = HostWindow();
        env.window = &own->dlg;
        env.saveSettings = [&cfg, &settingsPath] {
            return !settingsPath.empty() && plat::EnsureDataFolder() &&
                   SaveSettings(cfg, settingsPath);
        };
        const int result = reportcmds::AddPointToReport(env);
        if (made && made->dlg) report = std::move(made);
        return result;
    }

    void ShowTrend() override {
        if (!HaveDesktop()) return;
        const bool made = !trend_;
        if (made) trend_ = std::make_unique<CTrendWnd>(HostWindow());
        trend_->show();
        trend_->raise();
        // A new window asks for its file at once.
        if (made) trend_->OnOpen();
    }
    void DestroyWindows() override { trend_.reset(); }

  private:
    std::unique_ptr<CTrendWnd> trend_;
};

}  // namespace

std::unique_ptr<IPluginWindows> MakeQtWindows() {
    return std::make_unique<QtWindows>();
}

}  // namespace vantrel
