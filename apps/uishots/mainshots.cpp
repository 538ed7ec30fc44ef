// Screenshots of the main dialog on every page and of the progress window
// mid-run and finished, over the demo configuration.

#include "apps/uishots/mainshots.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/procpage.h"
#include "ui/progressdlg.h"
#include "ui/res/ids.h"
#include "ui/vantreldlg.h"

namespace {

class Camera {
  public:
    Camera(const QDir& dir, int dpi) : dir_(dir), dpi_(dpi) {}
    void Shoot(QWidget* w, const QString& name) {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        const QString file = dir_.filePath(QString("%1dpi-%2.png").arg(dpi_).arg(name));
        if (w->grab().save(file, "PNG"))
            ++written;
        else
            ++failed;
    }
    int written = 0;
    int failed = 0;

  private:
    QDir dir_;
    int dpi_;
};

// Runs events until done() holds or the time is up.
template <class F>
bool WaitFor(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void ShootMainDialog(Camera& cam, const CCfgProc& cfg, const host::App& app) {
    CVantrelDlg dlg;
    dlg.SetHost(&app);
    dlg.Config() = cfg;
    dlg.show();
    const char* names[] = {"general", "frequency-base", "setup", "report"};
    for (int i = 0; i < dlg.Tabs()->count() && i < 4; ++i) {
        dlg.Tabs()->setCurrentIndex(i);
        cam.Shoot(&dlg, QString("main-%1").arg(names[i]));
    }
    dlg.hide();
}

void ShootProgress(Camera& cam, const CCfgProc& demo, const host::App& app) {
    CCfgProc cfg = demo;
    cfg.bCloseProgrDlg = false;
    CProgressDlg dlg(app, &cfg);
    dlg.show();
    // The worker waits in its next progress call while the picture is taken.
    auto* steps = ui::Ctl<QProgressBar>(&dlg, res::IDC_PROG_STEPS);
    auto* channels = ui::Ctl<QProgressBar>(&dlg, res::IDC_PROG_CHANNELS);
    if (WaitFor([&] { return channels->value() >= 1 && steps->value() >= 3; }, 30000))
        cam.Shoot(&dlg, "progress-running");
    else
        ++cam.failed;
    if (WaitFor([&] { return !dlg.TimerActive(); }, 60000))
        cam.Shoot(&dlg, "progress-finished");
    else
        ++cam.failed;
    dlg.hide();
}

}  // namespace

int ShootMainWindows(const QDir& dir, int dpi, const CCfgProc& cfg,
                     const plat::ObjPtr<korvex::Host>& kh, int& failed) {
    Camera cam(dir, dpi);
    const host::App app{plat::DispPtr(kh)};
    ShootMainDialog(cam, cfg, app);
    ShootProgress(cam, cfg, app);
    failed += cam.failed;
    return cam.written;
}
