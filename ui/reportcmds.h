#pragma once
// The plug-in's two report commands: the report button shows or hides the
// report window, the add-point button fills the report automatically for a
// program chosen in the automatic-report dialog. The plug-in object owns the
// report window and lends it, with what else the commands need, in Env.

#include <functional>
#include <memory>
#include <string>

#include "config/cfgproc.h"
#include "shell/host.h"
#include "ui/reportdlg.h"

class QWidget;

namespace reportcmds {

struct Env {
    const host::App* app = nullptr;  // the host connection
    CCfgProc* cfg = nullptr;         // the plug-in's own configuration
    QWidget* hostWindow = nullptr;   // the host's main window: parent of windows and boxes
    std::unique_ptr<CReportDlg>* window = nullptr;  // made by the first command that needs it
    std::function<void()> ensureSource;             // makes the source data set available
    std::function<bool()> saveSettings;             // writes the settings file
};

// The report button: creates and shows the window the first time, then shows it when
// hidden and hides it when visible. Returns 1.
int ShowReportTable(Env& env);

// The add-point button: 1 when the fill succeeded, 0 otherwise (after
// one message box, or when the dialog was cancelled).
int AddPointToReport(Env& env);

// The host's cursor event: a visible window follows the cursor.
void OnCursorEvent(CReportDlg* window);

// Opens a file with the desktop's default application; tests replace it.
using OpenFileHook = std::function<bool(const std::string& path)>;
OpenFileHook SetOpenFileHook(OpenFileHook hook);
bool OpenWithDesktop(const std::string& path);

}  // namespace reportcmds
