#include "apps/uishots/reportshots.h"

#include <QComboBox>
#include <QCoreApplication>
#include <cstdio>

#include "apps/samplegen/gearbox.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/reportautodlg.h"
#include "ui/reportdlg.h"
#include "ui/reportpage.h"
#include "ui/res/ids.h"

namespace {

bool Save(QWidget* w, const QDir& dir, int dpi, const char* name) {
    w->show();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    const QString file = dir.filePath(QString("%1dpi-%2.png").arg(dpi).arg(name));
    const bool ok = w->grab().save(file, "PNG");
    if (!ok) std::fprintf(stderr, "vantrel-shots: cannot write %s\n", file.toUtf8().constData());
    w->hide();
    return ok;
}

// Two fixed bands of the first measuring channel given the same borders,
// so the window shows a coincidence.
void MakeCoincidence(CCfgProc& cfg) {
    for (const std::string& name : cfg.channelNames) {
        CfgChannel* ch = cfg.Channel(name);
        if (!ch || !ch->check || ch->type != CfgChannelMeasuring) continue;
        CCfgProcBandFix* first = nullptr;
        for (auto& [id, opt] : ch->signalOpts) {
            CCfgProcItem* item = cfg.FindItemById(id);
            if (!opt.bEnabled || !item || !item->enabled || item->type != CfgItemFixedBand)
                continue;
            auto* band = static_cast<CCfgProcBandFix*>(item);
            if (!first) {
                first = band;
                continue;
            }
            band->bandStart = first->bandStart;
            band->bandStop = first->bandStop;
            return;
        }
    }
}

}  // namespace

int ShootReportWindows(const QDir& dir, int dpi, const CCfgProc& demo,
                       const plat::ObjPtr<korvex::Host>& kh, int& failed) {
    int written = 0;
    auto shoot = [&](QWidget* w, const char* name) {
        if (Save(w, dir, dpi, name))
            ++written;
        else
            ++failed;
    };
    CCfgProc cfg = demo;
    {
        CCfgProc page = demo;
        CVantrelReportPage p;
        p.SetConfig(&page);
        p.Create();
        p.Activate();
        shoot(&p, "page-report");
    }

    MakeCoincidence(cfg);
    const host::App app{plat::DispPtr(kh)};
    COrdProcessing engine(app, &cfg);
    if (!engine.Run()) {
        std::fprintf(stderr, "vantrel-shots: the demo calculation failed (%d)\n",
                     engine.ResultCode());
        ++failed;
        return written;
    }
    host::GraphService gs = app.GetGraphService();
    const int window = gs.NewGraphWindow();
    gs.AddGraph(window);
    const int graph = gs.GetGraph(window, 0);
    host::Signal speed =
        app.GetSignal("/Signals/" + cfg.srcFileKorvex + "/" + samplegen::kSpeedName);
    if (speed) gs.AddSignalToGraph(graph, speed.GetSignalId());
    kh->MoveCursor(graph, 1.0);
    {
        cfg.report.colWidth = {90, 130, 90, 70, 150};
        CReportDlg w(app, &cfg);
        w.resize(w.width() + w.width() / 8, w.height() + w.height() / 3);
        w.show();
        w.RefreshAtCursor();
        shoot(&w, "window-report");
    }
    CReportAutoDlg autoDlg(&cfg);
    autoDlg.Init();
    shoot(&autoDlg, "dialog-report-auto");
    return written;
}
