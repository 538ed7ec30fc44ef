// Plug-ins registered, loaded, driven and unloaded; broken libraries reported.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "korvex/host.h"
#include "korvex/plugin.h"
#include "korvex/plugins.h"
#include "platform/registry.h"
#include "test_util.h"

using namespace korvex;
namespace reg = plat::reg;

namespace {

// Plug-in libraries read the data folder from the environment, so each test
// points it at a scratch folder.
class Plugins : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("VANTREL_DATA_DIR"); }

    static int RegSvr(const std::string& args) {
        const std::string cmd = std::string("'") + KVX_REGSVR + "' -s " + args;
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    reg::Registry Registry() const {
        reg::Registry r;
        EXPECT_TRUE(r.Load(reg::DefaultRegistryPath()));
        return r;
    }
    static std::string ProbeLibrary() { return plat::ModulePathOf(ProbeLogFn()); }
    // The probe's record; the test holds its own reference to the library so
    // the record outlives the host's unloading.
    static std::string ProbeLog() { return reinterpret_cast<const char* (*)()>(ProbeLogFn())(); }
    static void* ProbeLogFn() {
        static void* handle = ::dlopen(KVX_PROBE_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        return handle ? ::dlsym(handle, "ProbeLog") : nullptr;
    }

    testutil::TempDir dir_{"plugins"};
};

}  // namespace

TEST_F(Plugins, RegisteredByTheToolLoadedDrivenAndUnloaded) {
    ASSERT_TRUE(ProbeLogFn());
    ASSERT_EQ(RegSvr(std::string("'") + KVX_PROBE_PLUGIN + "'"), 0);
    const reg::Registry r = Registry();
    const auto records = RegisteredPlugins(r);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].library, ProbeLibrary());
    EXPECT_EQ(records[0].progId, "kvxProbe.Probe");
    EXPECT_EQ(reg::InprocServerOf(r, *reg::ClassIdOfProgId(r, "kvxProbe.Probe")), ProbeLibrary());

    auto host = CreateHost();
    auto s = host->NewSignal();
    SignalData d;
    d.name = "Acc1";
    d.stepX = 0.5;
    d.samples = {1, 2, 3, 4};
    s->Assign(d);
    ASSERT_TRUE(s->SetName("Acc1"));
    ASSERT_TRUE(host->AddSignal("/Signals/demo", "", s));
    GraphService& g = host->Graphs();
    const int window = g.NewWindow();
    g.AddGraph(window);
    const int graph = g.AddGraph(window);
    ASSERT_TRUE(g.AddSignal(graph, s->Id()));

    const size_t logStart = ProbeLog().size();
    {
        PluginManager pm(*host);
        std::vector<std::string> log;
        ASSERT_EQ(pm.LoadRegistered(r, log), 1) << log[0];
        ASSERT_EQ(pm.Loaded().size(), 1u);
        ASSERT_EQ(pm.Loaded()[0].pluginIds.size(), 1u);

        const auto buttons = host->Buttons();
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0].text, "Probe\nProbe the cursor");
        const auto* bmp = reinterpret_cast<const ButtonBitmap*>(buttons[0].bitmap);
        ASSERT_TRUE(bmp);
        EXPECT_EQ(bmp->width, 16);

        EXPECT_TRUE(host->PressButton(buttons[1].command));
        EXPECT_TRUE(host->MoveCursor(graph, 1.25));
        const std::string seen = ProbeLog().substr(logStart);
        char press[40];
        std::snprintf(press, sizeof press, "execute 0x%X button 2",
                      CommandCode(buttons[1].command));
        EXPECT_NE(seen.find(press), std::string::npos) << seen;
        EXPECT_NE(seen.find("execute 0x2FFFF window=1 kind=1 graph=2 signals=1 first=Acc1 x=1.25"),
                  std::string::npos)
            << seen;
    }
    // The manager's end shut the plug-in down and released it.
    const std::string seen = ProbeLog().substr(logStart);
    const size_t down = seen.find("shutdown\nreleased\n");
    EXPECT_NE(down, std::string::npos) << seen;
    EXPECT_FALSE(host->PressButton(host->Buttons()[0].command));
    host->MoveCursor(graph, 2.0);
    EXPECT_EQ(ProbeLog().substr(logStart).size(), seen.size());  // nothing sent any more

    // Removing twice succeeds both times and leaves no discovery value.
    EXPECT_EQ(RegSvr(std::string("-u '") + KVX_PROBE_PLUGIN + "'"), 0);
    EXPECT_EQ(RegSvr(std::string("-u '") + KVX_PROBE_PLUGIN + "'"), 0);
    EXPECT_TRUE(RegisteredPlugins(Registry()).empty());
    EXPECT_FALSE(reg::ClassIdOfProgId(Registry(), "kvxProbe.Probe"));
}

TEST_F(Plugins, ToolInstallsPerUserAndReportsBrokenLibraries) {
    const std::string lib = std::string("'") + KVX_PROBE_PLUGIN + "'";
    ASSERT_EQ(RegSvr("-i:USER " + lib), 0);
    reg::Registry r = Registry();
    EXPECT_TRUE(r.KeyExists(reg::Root::CurrentUser, "Software\\Classes\\kvxProbe.Probe.1"));
    EXPECT_FALSE(r.KeyExists(reg::Root::ClassesRoot, "kvxProbe.Probe.1"));
    EXPECT_TRUE(reg::ClassIdOfProgId(r, "kvxProbe.Probe"));
    ASSERT_EQ(RegSvr("-u -i:user " + lib), 0);
    EXPECT_FALSE(reg::ClassIdOfProgId(Registry(), "kvxProbe.Probe"));
    // "user" with anything after it is a machine registration.
    ASSERT_EQ(RegSvr("-i:users " + lib), 0);
    EXPECT_TRUE(Registry().KeyExists(reg::Root::ClassesRoot, "kvxProbe.Probe.1"));

    EXPECT_EQ(RegSvr(dir_.Path("missing.so")), 3);
    EXPECT_EQ(RegSvr(std::string("'") + KVX_NO_ENTRY_PLUGIN + "'"), 4);
    EXPECT_EQ(RegSvr(""), 2);  // a usage mistake
    EXPECT_EQ(RegSvr("-x " + lib), 2);
}

TEST_F(Plugins, BrokenPluginsAreReportedAndSkipped) {
    ASSERT_EQ(RegSvr(std::string("'") + KVX_PROBE_PLUGIN + "'"), 0);
    reg::Registry r = Registry();
    const std::string key = kPluginsKey;
    auto add = [&](const std::string& lib, const std::string& progId) {
        r.SetString(reg::Root::LocalMachine, key, lib, progId);
    };
    reg::ClassRegistration other;
    ASSERT_TRUE(plat::ParseGuid("{11111111-2222-3333-4444-555555555555}", other.classId));
    other.progId = "kvxOther.Other";
    reg::RegisterClass(r, reg::Scope::Machine, other);
    add(dir_.Path("missing.so"), "kvxProbe.Probe");
    add(KVX_NO_ENTRY_PLUGIN, "kvxProbe.Probe");
    add((std::filesystem::path(KVX_PROBE_PLUGIN).parent_path() / "." / "kvx_probe.so").string(),
        "kvxOther.Other");  // a class the library does not make
    add(dir_.Path("unknown.so"), "kvxNobody.Nobody");

    auto host = CreateHost();
    PluginManager pm(*host);
    std::vector<std::string> log;
    EXPECT_EQ(pm.LoadRegistered(r, log), 1);
    ASSERT_EQ(log.size(), 5u);
    auto said = [&](const std::string& what) {
        for (const auto& l : log)
            if (l.find(what) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(said("missing.so (kvxProbe.Probe): cannot be loaded"))
        << testing::PrintToString(log);
    EXPECT_TRUE(said("no DllGetClassObject entry point"));
    EXPECT_TRUE(said("no class factory for {11111111-2222-3333-4444-555555555555} (0x80040111)"));
    EXPECT_TRUE(said("(kvxNobody.Nobody): the ProgID is not registered"));
    EXPECT_TRUE(said("(kvxProbe.Probe): loaded"));
    EXPECT_EQ(host->Buttons().size(), 2u);
}
