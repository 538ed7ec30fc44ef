// Screenshots of the report page, the report window after a calculation, the automatic report.

#include "apps/uishots/reportshots.h"

#include <QComboBox>
#include <QCoreApplication>
#include <cstdio>

#include "apps/samplegen/gearbox.h"
#include "processing/ordprocessing.h"
#include "report/summary.h"
#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/reportautodlg.h"
#include "ui/reportdlg.h"
#include "ui/reportpage.h"
#include "ui/res/ids.h"
#include "ui/trendwnd.h"

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

// A year of monthly surveys of one bearing housing: a broadband velocity
// level creeping up through the zones past its alert limit.
bool WriteSurvey(const std::string& path) {
    std::vector<SummaryRow> rows;
    const double levels[] = {1.1, 1.2, 1.15, 1.4, 1.6, 1.55, 1.9, 2.4, 2.6, 3.1, 3.0, 3.7};
    for (int m = 0; m < 12; ++m) {
        SummaryRow r;
        r.dataSet = "survey-" + std::to_string(m + 1);
        r.file = r.dataSet + ".quor";
        r.startTime =
            "2026-" + std::string(m < 9 ? "0" : "") + std::to_string(m + 1) + "-15 09:30:00.000";
        r.channel = "Acc1";
        r.item = "10-1000 Гц";
        r.unit = "mm/s";
        r.mode = kSummaryWholeRecording;
        r.from = 0.16;
        r.to = 19.8;
        r.max = levels[m];
        r.min = r.max * 0.6;
        r.mean = r.last = r.max * 0.85;
        r.alert = 3.2;
        r.danger = 4.2;
        r.machineClass = MachineClass::Group2Rigid;
        JudgeRow(r, true);
        rows.push_back(r);
    }
    std::string error;
    return WriteSummary(path, rows, error);
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
    const std::string survey = dir.filePath(".survey.csv").toStdString();
    if (WriteSurvey(survey)) {
        CTrendWnd trend;
        std::string error;
        if (trend.Open(survey, error)) shoot(&trend, "window-trend");
        std::remove(survey.c_str());
    }
    return written;
}
