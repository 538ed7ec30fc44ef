#pragma once
// A finished calculation on the stand-in host for the report windows: the
// demo configuration over a short gearbox run-up with two steady speeds,
// calculated, and a graph window whose cursor the report window follows.

#include <filesystem>
#include <string>

#include "apps/samplegen/gearbox.h"
#include "apps/vantrel/demo_files.h"
#include "config/cfgfile.h"
#include "korvex/host.h"
#include "platform/profile.h"
#include "processing/ordprocessing.h"
#include "shell/host.h"
#include "test_util.h"

namespace uitest {

class ReportRig {
  public:
    ReportRig() : dir_("report-rig") {
        namespace fs = std::filesystem;
        const fs::path work(dir_.Path(""));
        for (const vantrel::DemoFile& f : vantrel::DemoFiles())
            testutil::WriteBytes((work / std::string(f.name)).string(), f.bytes);
        scheme.duration = 4.0;
        scheme.sampleRate = 4096.0;
        scheme.steps = 1;
        scheme.holdShare = 0.8;
        const std::string data = (work / "gearbox.quor").string();
        ok = samplegen::WriteGearboxSample(scheme, data).ok;
        plat::ObjPtr<korvex::FolderObj> folder;
        if (ok) folder = kh->LoadDataFile(data);
        plat::ProfileFile ini;
        ok = folder && ini.Load((work / vantrel::kDemoConfigName).string());
        if (!ok) return;
        const int sections = std::atoi(ini.GetString("test", "nSections").c_str());
        for (int i = 0; i < sections; ++i) {
            const std::string key = "section" + std::to_string(i);
            ini.WriteString("test", key, (work / ini.GetString("test", key)).string());
        }
        ReadConfig(cfg, ini);
        cfg.srcFileKorvex = folder->FolderName();
        ok = cfg.RefreshChannels(&app, cfg.srcFileKorvex);
        // The two steady speeds of the run-up as the program's modes.
        ReportProgram p;
        p.name = "Ступени";
        p.featureChannel = samplegen::kSpeedName;
        int k = 1;
        for (const samplegen::SpeedPlateau& s : samplegen::SpeedPlateaus(scheme))
            p.modes.push_back({"M" + std::to_string(k++), s.hz * 60.0, 5.0, 0.5});
        cfg.report.programs = {p};
        cfg.report.headerChannels = {samplegen::kSpeedName};
        cfg.report.reportFile = Path("report.rtf");
    }

    // Runs the calculation; the result folder is then in the configuration.
    bool Calculate() {
        COrdProcessing engine(app, &cfg);
        return ok && engine.Run();
    }

    // A graph window showing the first result signal; returns its graph.
    int ShowGraph() {
        host::GraphService gs = app.GetGraphService();
        const int w = gs.NewGraphWindow();
        if (!gs.AddGraph(w)) return 0;
        const int g = gs.GetGraph(w, 0);
        host::Signal s =
            app.GetSignal("/Signals/" + cfg.srcFileKorvex + "/" + samplegen::kSpeedName);
        return s && gs.AddSignalToGraph(g, s.GetSignalId()) ? g : 0;
    }

    std::string Path(const std::string& name) const { return dir_.Path(name); }

    testutil::TempDir dir_;
    samplegen::GearboxScheme scheme;
    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    CCfgProc cfg;
    bool ok = false;
};

}  // namespace uitest
