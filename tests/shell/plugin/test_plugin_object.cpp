// The plug-in object against the stand-in host, with the windows replaced by
// a script: the command flow, the result graphs, the signal lookup and
// shut-down.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "config/cfgfile.h"
#include "config/tree_util.h"
#include "korvex/host.h"
#include "platform/datafolder.h"
#include "shell/plugin/commands.h"
#include "shell/plugin/vantrel.h"
#include "test_util.h"

namespace fs = std::filesystem;
using vantrel::CVantrel;

namespace {

struct Script {
    vantrel::MainDialogEnd end;
    std::function<void(CCfgProc&)> edit;  // what the user does in the dialog
    bool progressOk = true;
    std::function<void(CCfgProc&)> calculation;
    int dialogs = 0, progress = 0, created = 0, addPoints = 0, refreshes = 0, trends = 0,
        windowsDestroyed = 0;
    bool settingsOnDiskAtProgress = false;
    std::string settingsPath;
};

struct FakeReport : vantrel::IReportWindow {
    explicit FakeReport(Script& s) : s_(s) {}
    bool IsWindow() const override { return window; }
    bool IsVisible() const override { return window && visible; }
    void Show(bool show) override { visible = show; }
    void Destroy() override { window = visible = false; }
    void RefreshAtCursor() override { ++s_.refreshes; }
    bool window = true, visible = false;
    Script& s_;
};

class FakeWindows : public vantrel::IPluginWindows {
  public:
    explicit FakeWindows(Script& s) : s_(s) {}
    vantrel::MainDialogEnd RunMainDialog(const host::App&, CCfgProc& copy) override {
        ++s_.dialogs;
        if (s_.edit) s_.edit(copy);
        return s_.end;
    }
    bool RunProgress(const host::App&, CCfgProc& cfg) override {
        ++s_.progress;
        s_.settingsOnDiskAtProgress = fs::exists(s_.settingsPath);
        if (s_.calculation) s_.calculation(cfg);
        return s_.progressOk;
    }
    std::unique_ptr<vantrel::IReportWindow> CreateReportWindow(const host::App&,
                                                               CCfgProc&) override {
        ++s_.created;
        return std::make_unique<FakeReport>(s_);
    }
    int AddPoint(const host::App&, CCfgProc&, const std::string&,
                 std::unique_ptr<vantrel::IReportWindow>& report) override {
        ++s_.addPoints;
        if (!report) report = std::make_unique<FakeReport>(s_);
        return 1;
    }
    void ShowTrend() override { ++s_.trends; }
    void DestroyWindows() override { ++s_.windowsDestroyed; }

  private:
    Script& s_;
};

void AddSignal(korvex::Host& host, const std::string& folder, const std::string& name) {
    auto s = host.NewSignal();
    korvex::SignalData d;
    d.name = name;
    d.stepX = 0.01;
    d.samples = {1.0, 2.0, 3.0};
    s->Assign(d);
    host.AddSignal(folder, name, s);
}

class PluginObject : public ::testing::Test {
  protected:
    void SetUp() override {
        // A data folder that does not exist yet: the first save makes it.
        ::setenv("VANTREL_DATA_DIR", (dir_.path() / "data").c_str(), 1);
        script_.settingsPath = plat::SettingsFilePath();
        AddSignal(*host_, "/Signals/set", "Acc1");
        AddSignal(*host_, "/Signals/set", "Speed");
    }
    void TearDown() override {
        if (plugin_) plugin_->Release();
        ::unsetenv("VANTREL_DATA_DIR");
    }
    CVantrel& Start() {
        plugin_ = new CVantrel(std::make_unique<FakeWindows>(script_));
        plugin_->AddRef();
        host_->AddRef();  // the reference Initialize takes over
        plugin_->Initialize(host_.get(), 0);
        return *plugin_;
    }
    void Press(int button) {
        plugin_->Execute(uint32_t(plugin_->CommandId(button)) << 16, nullptr, 0);
    }

    // The result signals a calculation over "set" files: the tacho curve and
    // two bands of Acc1, one of them inside a folder of the section.
    void Calculate(CCfgProc& cfg) {
        cfg.lastResultFolder = "/Signals/Результаты/set/";
        AddSignal(*host_, cfg.lastResultFolder + "Тахо", "Speed.taho");
        AddSignal(*host_, cfg.lastResultFolder + "Acc1", "Acc1.Fix");
        AddSignal(*host_, cfg.lastResultFolder + "Acc1/Gear", "Acc1.Mesh");
    }
    // A section with a fixed band at the top and one in a folder; Acc1
    // evaluates both, on graphs 0 and 7, and is shown itself on graph -3.
    static void Configure(CCfgProc& cfg) {
        cfg.srcFileKorvex = "set";
        auto section = std::make_unique<CCfgProcSection>();
        section->name = "Base";
        auto* fix = Add<CCfgProcBandFix>(*section, "Fix");
        auto* gear = Add<CCfgProcFolder>(*section, "Gear");
        auto* mesh = Add<CCfgProcBandFix>(*gear, "Mesh");
        CfgChannel& acc = *cfg.channels["Acc1"];
        acc.check = acc.show = true;
        acc.grNum = -3;
        acc.signalOpts[fix->id] = {};
        acc.signalOpts[fix->id].grNum = 0;
        acc.signalOpts[mesh->id].grNum = 7;
        for (auto& [id, opt] : acc.signalOpts) opt.bEnabled = opt.bShow = true;
        CfgChannel& speed = *cfg.channels["Speed"];
        speed.type = CfgChannelTacho;
        speed.show = true;
        speed.grNum = 2;
        cfg.sections.push_back(std::move(section));
    }

    testutil::TempDir dir_{"plugin-object"};
    plat::ObjPtr<korvex::Host> host_ = korvex::CreateHost();
    Script script_;
    CVantrel* plugin_ = nullptr;
};

}  // namespace

TEST_F(PluginObject, CancelledDialogKeepsTheConfigurationAndWritesNothing) {
    CVantrel& p = Start();
    script_.end = {false, false};
    script_.edit = [](CCfgProc& c) { c.srcFileKorvex = "edited"; };
    Press(0);
    EXPECT_EQ(script_.dialogs, 1);
    // The source was made available before the dialog: the host's channels.
    EXPECT_EQ(p.Config().srcFileKorvex, "");
    EXPECT_FALSE(fs::exists(p.SettingsPath()));
    EXPECT_EQ(script_.progress, 0);
}

TEST_F(PluginObject, CalculationSavesTwiceAndFillsTheGraphsByNumber) {
    CVantrel& p = Start();
    script_.end = {true, true};
    script_.edit = [this](CCfgProc& c) {
        c.srcFileKorvex = "set";
        host::App app(plat::DispPtr(host_.get()));
        ASSERT_TRUE(c.RefreshChannels(&app, "set"));
        Configure(c);
    };
    script_.calculation = [this](CCfgProc& c) {
        Calculate(c);
        c.dstDir = "set by the run";
    };
    const uint64_t updates = host_->UpdateCount();
    Press(0);
    ASSERT_EQ(script_.progress, 1);
    // Saved once before the calculation (the data folder made first) ...
    EXPECT_TRUE(script_.settingsOnDiskAtProgress);
    // ... and again after it, with what the calculation changed.
    CCfgProc reread;
    ASSERT_TRUE(LoadSettings(reread, p.SettingsPath()));
    EXPECT_EQ(reread.dstDir, "set by the run");
    EXPECT_EQ(p.Config().lastResultFolder, "/Signals/Результаты/set/");

    const auto windows = host_->Graphs().Windows();
    ASSERT_EQ(windows.size(), 1u);
    const auto& graphs = windows[0].graphs;
    ASSERT_EQ(graphs.size(), 4u);
    // Acc1 (number -3) and Fix (0) on the first graph, the tacho curve
    // (channel of type 2) on the second, Mesh (7) on the fourth.
    EXPECT_EQ(graphs[0].signalNames, (std::vector<std::string>{"Acc1", "Acc1.Fix"}));
    EXPECT_EQ(graphs[1].signalNames, (std::vector<std::string>{"Speed.taho"}));
    EXPECT_TRUE(graphs[2].signalNames.empty());
    EXPECT_EQ(graphs[3].signalNames, (std::vector<std::string>{"Acc1.Mesh"}));
    // One refresh per pass: the last graph of the channel pass (Speed's),
    // the last of the item pass (Mesh's).
    EXPECT_EQ(graphs[1].refreshCount, 1);
    EXPECT_EQ(graphs[3].refreshCount, 1);
    EXPECT_EQ(graphs[0].refreshCount, 0);
    EXPECT_GT(host_->UpdateCount(), updates);
}

TEST_F(PluginObject, FailedCalculationNeitherSavesAgainNorBuildsGraphs) {
    CVantrel& p = Start();
    script_.end = {true, true};
    script_.progressOk = false;
    script_.edit = [](CCfgProc& c) { c.dstDir = "first"; };
    script_.calculation = [](CCfgProc& c) { c.dstDir = "changed by the run"; };
    Press(0);
    CCfgProc reread;
    ASSERT_TRUE(LoadSettings(reread, p.SettingsPath()));
    EXPECT_EQ(reread.dstDir, "first");
    EXPECT_TRUE(host_->Graphs().Windows().empty());
}

TEST_F(PluginObject, GraphsWithoutShownSignalsOnlyUpdateTheViews) {
    CCfgProc cfg;
    host::App app(plat::DispPtr(host_.get()));
    ASSERT_TRUE(cfg.RefreshChannels(&app, "set"));
    Configure(cfg);
    for (auto& [name, ch] : cfg.channels) {
        ch->show = false;
        for (auto& [id, opt] : ch->signalOpts) opt.bShow = false;
    }
    Calculate(cfg);
    const uint64_t updates = host_->UpdateCount();
    const vantrel::GraphsBuilt built = vantrel::BuildResultGraphs(app, cfg);
    EXPECT_EQ(built.window, 0);
    EXPECT_TRUE(host_->Graphs().Windows().empty());
    EXPECT_EQ(host_->UpdateCount(), updates + 1);
}

TEST_F(PluginObject, SignalLookupByChannelKindAndItem) {
    CCfgProc cfg;
    host::App app(plat::DispPtr(host_.get()));
    ASSERT_TRUE(cfg.RefreshChannels(&app, "set"));
    Configure(cfg);
    Calculate(cfg);
    auto name = [&](const std::string& ch, int kind, int32_t id) {
        host::Signal s = vantrel::FindChannelSignal(app, cfg, ch, kind, id);
        return s ? s.Name() : std::string("-");
    };
    const int32_t fix = cfg.FindItemByName("Fix")->id, mesh = cfg.FindItemByName("Mesh")->id;
    EXPECT_EQ(name("Acc1", 1, 0), "Acc1");
    EXPECT_EQ(name("Acc1", 3, 0), "Acc1");
    EXPECT_EQ(name("Speed", 2, 0), "Speed.taho");
    EXPECT_EQ(name("Acc1", 0, fix), "Acc1.Fix");
    EXPECT_EQ(name("Acc1", 0, mesh), "Acc1.Mesh");  // the folder is part of the path
    EXPECT_EQ(name("", 1, 0), "-");
    EXPECT_EQ(name("Acc1", 0, 0), "-");
    EXPECT_EQ(name("Acc1", 0, 999999), "-");  // unknown item
    EXPECT_EQ(name("Acc1", 2, 0), "-");       // no computed tacho of Acc1
    // A folder at the path is not a signal.
    cfg.srcFileKorvex = "";
    EXPECT_EQ(name("set", 1, 0), "-");

    for (int n : {-5, 0, 1}) EXPECT_EQ(vantrel::GraphIndex(n), 0) << n;
    EXPECT_EQ(vantrel::GraphIndex(4), 3);
    EXPECT_EQ(vantrel::GraphIndex(7), 3);
}

TEST_F(PluginObject, SourceIsLoadedFromTheFileWhenTheHostLacksIt) {
    // The data set as a file; the host starts without it.
    const std::string file = dir_.Path("gearbox.quor");
    ASSERT_TRUE(host_->ExportFolder("/Signals/set", korvex::ExportFormat::Quor, file));
    plat::ObjPtr<korvex::Host> fresh = korvex::CreateHost();
    host::App app(plat::DispPtr(fresh.get()));
    CCfgProc cfg;
    cfg.srcFileKorvex = "missing";
    EXPECT_FALSE(vantrel::EnsureSourceLoaded(app, cfg));  // no file named: nothing to load
    cfg.srcFileDir = dir_.Path("none.quor");
    EXPECT_FALSE(vantrel::EnsureSourceLoaded(app, cfg));
    EXPECT_EQ(cfg.srcFileKorvex, "missing");
    cfg.srcFileDir = file;
    ASSERT_TRUE(vantrel::EnsureSourceLoaded(app, cfg));
    EXPECT_EQ(cfg.srcFileKorvex, "gearbox");
    EXPECT_EQ(cfg.channelNames, (std::vector<std::string>{"Acc1", "Speed"}));
    // Found in the host now: the file is not loaded a second time.
    ASSERT_TRUE(vantrel::EnsureSourceLoaded(app, cfg));
    EXPECT_EQ(fresh->FindFolder("/Signals")->Entries().size(), 1u);
}

TEST_F(PluginObject, ReportButtonTogglesAndShutdownDestroysAHiddenWindow) {
    CVantrel& p = Start();
    p.Execute(0x2FFFF, nullptr, 0);  // before any window: nothing
    Press(1);
    ASSERT_TRUE(p.ReportWindow());
    EXPECT_TRUE(p.ReportWindow()->IsVisible());
    p.Execute(0x2FFFF, nullptr, 0);
    EXPECT_EQ(script_.refreshes, 1);
    Press(1);
    EXPECT_FALSE(p.ReportWindow()->IsVisible());
    p.Execute(0x2FFFF, nullptr, 0);  // hidden: no refresh
    p.Execute(0x10210001, nullptr, 0);
    p.Execute(0x7FFF0000, nullptr, 0);
    EXPECT_EQ(script_.refreshes, 1);
    Press(1);
    EXPECT_TRUE(p.ReportWindow()->IsVisible());
    EXPECT_EQ(script_.created, 1);
    Press(1);  // hidden again, then shut down
    Press(3);
    EXPECT_EQ(script_.trends, 1);
    EXPECT_EQ(p.Shutdown(0), 0);
    EXPECT_EQ(script_.windowsDestroyed, 1);
    EXPECT_FALSE(p.ReportWindow()->IsWindow());
    EXPECT_TRUE(fs::exists(p.SettingsPath()));
    EXPECT_FALSE(vantrel::HostConnection());
}

TEST_F(PluginObject, AddPointMayMakeTheReportWindowTheReportButtonThenShows) {
    CVantrel& p = Start();
    Press(2);
    EXPECT_EQ(script_.addPoints, 1);
    ASSERT_TRUE(p.ReportWindow());
    EXPECT_FALSE(p.ReportWindow()->IsVisible());
    Press(1);
    EXPECT_TRUE(p.ReportWindow()->IsVisible());
    EXPECT_EQ(script_.created, 0);
}
