// Writes a report of three entries made by the report table from result
// signals in a stand-in host: a first entry with a mode, a later one
// without (two empty paragraphs before it), and a later one on a new
// landscape page. report_libreoffice.sh opens it in a word processor.
//
//   report_interop_doc OUT.rtf

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "config/cfgproc.h"
#include "korvex/host.h"
#include "platform/autodate.h"
#include "report/report_table.h"
#include "shell/host.h"

namespace {

template <class T>
T* Add(CCfgProcFolder& folder, const std::string& name) {
    auto* item = static_cast<T*>(folder.Append(std::make_unique<T>()));
    item->name = name;
    return item;
}

void File(korvex::Host& host, const std::string& folder, const std::string& name,
          const std::string& unit, std::vector<double> y, double start) {
    korvex::SignalData d;
    d.name = name;
    d.unit = unit;
    d.stepX = 100.0;
    d.startTime = start;
    d.samples = std::move(y);
    plat::ObjPtr<korvex::SignalObj> s = host.NewSignal();
    s->Assign(d);
    host.AddSignal(folder, name, s);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: report_interop_doc OUT.rtf\n");
        return 2;
    }
    const std::string out = argv[1];
    std::filesystem::remove(out);

    plat::ObjPtr<korvex::Host> host = korvex::CreateHost();
    const host::App app{plat::DispPtr(host)};
    CCfgProc cfg;
    auto section = std::make_unique<CCfgProcSection>();
    auto* tacho = Add<CCfgProcTaho>(*section, "Вал");
    tacho->tachoChannel = "Tacho.taho";
    tacho->bandWidth.tachoRef = "Вал";
    auto* b1 = Add<CCfgProcBandTrack>(*section, "Вал 1x");
    b1->components = {{"Вал", -1, 1.0}};
    auto* b2 = Add<CCfgProcBandTrack>(*section, "Зубцовая");
    b2->components = {{"Вал", -1, 23.0}};
    auto* fix = Add<CCfgProcBandFix>(*section, "Полоса");
    fix->bandStart = 10.0;
    fix->bandStop = 1000.0;
    // On the shaft's frequency too: the two coincide.
    auto* harm = Add<CCfgProcBandTrack>(*section, "Гармоника");
    harm->components = {{"Вал", -1, 0.5}, {"нет такого", -1, 12.5}};
    cfg.sections.push_back(std::move(section));
    cfg.ResolveRefs();

    cfg.srcFileKorvex = "Замер17";
    cfg.lastResultFolder = "/Signals/Результаты/Замер17/";
    cfg.channelNames = {"Acc1", "Acc2"};
    for (const char* name : {"Acc1", "Acc2"}) {
        auto record = std::make_unique<CfgChannel>();
        record->check = true;
        for (CCfgProcItem* item : std::initializer_list<CCfgProcItem*>{b1, b2, fix, harm})
            record->signalOpts[item->id] = CfgSignalOpt{item->name, item->id, 0, 0, 2, true, true};
        cfg.channels[name] = std::move(record);
    }
    cfg.report.headerChannels = {"Speed", "Temp"};

    double start = 0.0;
    plat::ToAutomationDate(plat::DateTime{2026, 12, 6, 14, 3, 14, 500}, start);
    const std::string results = cfg.lastResultFolder;
    File(*host, "/Signals/Замер17", "Speed", "rpm", {1500.0, 1500.0}, start);
    File(*host, results + "Тахо", "Tacho.taho", "Hz", {25.0, 25.0}, start);
    File(*host, results + "Acc1", "Acc1.Вал 1x", "m/s^2", {1.25, 1.25}, start);
    File(*host, results + "Acc1", "Acc1.Зубцовая", "m/s^2", {0.0, 2.0}, start);
    File(*host, results + "Acc1", "Acc1.Полоса", "m/s^2", {0.5, 0.5}, start);
    File(*host, results + "Acc1", "Acc1.Гармоника", "m/s^2", {0.75, 0.75}, start);
    File(*host, results + "Acc2", "Acc2.Вал 1x", "m/s^2", {7.5, 7.5}, start);

    CReportTable table(app, &cfg);
    table.SetDateLocale("C");
    table.RebuildRows();
    table.BindSignals();
    struct Entry {
        double t;
        const char* mode;
        bool newPage;
    };
    for (const Entry& e :
         {Entry{12.5, "1500", false}, Entry{20.0, "", false}, Entry{30.0, "3000", true}}) {
        cfg.report.bNewPage = e.newPage;
        cfg.report.bLandscape = e.newPage;
        table.ValuesAtTime(e.t);
        if (!table.AppendEntry(e.t, out, e.mode)) {
            std::fprintf(stderr, "cannot write %s\n", out.c_str());
            return 1;
        }
    }
    return 0;
}
