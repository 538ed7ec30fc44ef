// The report commands: the report window shown or hidden, the automatic report.

#include "ui/reportcmds.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/reportautodlg.h"
#include "ui/res/ids.h"
#include "ui/rules/reportrules.h"

using namespace res;

namespace reportcmds {
namespace {

OpenFileHook& Hook() {
    static OpenFileHook hook;
    return hook;
}

int Fail(const Env& env, int textId) {
    ui::MessageBox(env.hostWindow, textId, IDS_ERROR, ui::MbIcon::Error);
    return 0;
}

CReportDlg& Window(Env& env) {
    if (!*env.window)
        *env.window =
            std::make_unique<CReportDlg>(env.app ? *env.app : host::App(), env.cfg, env.hostWindow);
    return **env.window;
}

// Data, a configuration and a finished calculation whose results are there.
bool HasResults(const Env& env) {
    const CCfgProc& cfg = *env.cfg;
    if (cfg.channelNames.empty() || cfg.channels.empty() || cfg.sections.empty()) return false;
    return !cfg.lastResultFolder.empty() && env.app && env.app->PathExists(cfg.lastResultFolder);
}

}  // namespace

OpenFileHook SetOpenFileHook(OpenFileHook hook) {
    OpenFileHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

bool OpenWithDesktop(const std::string& path) {
    if (Hook()) return Hook()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ui::QStr(path)));
}

int ShowReportTable(Env& env) {
    if (!env.cfg || !env.window) return 1;
    if (env.ensureSource) env.ensureSource();
    const bool existed = static_cast<bool>(*env.window);
    CReportDlg& w = Window(env);
    if (!existed || w.isHidden()) {
        w.show();
        w.raise();
    } else {
        w.hide();
    }
    return 1;
}

int AddPointToReport(Env& env) {
    if (!env.cfg || !env.window) return 0;
    if (!HasResults(env)) return Fail(env, IDS_REPORT_NEED_DATA);
    {
        CReportAutoDlg dlg(env.cfg, env.hostWindow);
        if (dlg.DoModal() != QDialog::Accepted) return 0;
    }
    // The choices persist even when the fill fails.
    if (env.saveSettings) env.saveSettings();
    ReportSettings& rs = env.cfg->report;
    const ReportProgram* program = rs.FindProgram(rs.autoProgram);
    if (!program) return Fail(env, IDS_REPORT_NO_PROGRAM);
    if (!program->IsComplete()) return Fail(env, IDS_REPORT_NO_MODES);
    if (!Window(env).FillAutomatically(program->name)) return Fail(env, IDS_REPORT_AUTO_FAILED);
    if (rs.bOpenReport)
        OpenWithDesktop(reportrules::AutoReportFile(rs));
    else
        ui::MessageBox(env.hostWindow, IDS_REPORT_AUTO_DONE, IDS_APP, ui::MbIcon::Information);
    return 1;
}

void OnCursorEvent(CReportDlg* window) {
    if (window && window->isVisible()) window->RefreshAtCursor();
}

}  // namespace reportcmds
