// The whole configuration: lookups, references by name, deep copies, host channels.

#include <gtest/gtest.h>

#include "config/cfgproc.h"
#include "fake_host.h"
#include "tree_util.h"

namespace {

CCfgProcSection* AddSection(CCfgProc& cfg, const std::string& name) {
    cfg.sections.push_back(std::make_unique<CCfgProcSection>());
    cfg.sections.back()->name = name;
    cfg.sections.back()->path = "/data/" + name + ".json";
    return cfg.sections.back().get();
}

// A: a (fixed), Shaft (folder: Ротор (tacho), Mesh (track))
// B: a (tacho), Gear (track)
struct Config {
    CCfgProc cfg;
    CCfgProcSection *A, *B;
    CCfgProcFolder* shaft;
    CCfgProcTaho *rotor, *bTacho;
    CCfgProcBandTrack *mesh, *gear;
    CCfgProcBandFix* aBand;
    Config() {
        A = AddSection(cfg, "A");
        aBand = Add<CCfgProcBandFix>(*A, "a");
        shaft = Add<CCfgProcFolder>(*A, "Shaft");
        rotor = Add<CCfgProcTaho>(*shaft, "Ротор");
        mesh = Add<CCfgProcBandTrack>(*shaft, "Mesh");
        B = AddSection(cfg, "B");
        bTacho = Add<CCfgProcTaho>(*B, "a");
        gear = Add<CCfgProcBandTrack>(*B, "Gear");
        mesh->components = {{"ротор", -1, 1.0}, {"missing", 99, 2.0}};
        mesh->bandWidth.tachoRef = "РОТОР";
        gear->components = {{"Mesh", -1, 3.0}};
        rotor->bandWidth.tachoRef = "";
    }
};

TEST(CfgProc, ItemLookups) {
    Config c;
    EXPECT_EQ(c.cfg.FindItemById(0), nullptr);
    EXPECT_EQ(c.cfg.FindItemById(-1), nullptr);
    EXPECT_EQ(c.cfg.FindItemById(c.gear->id), c.gear);
    EXPECT_EQ(c.cfg.FindItemById(c.B->id), c.B);
    EXPECT_EQ(c.cfg.FindItemByName(""), nullptr);
    // Sections are candidates, and come before their children.
    EXPECT_EQ(c.cfg.FindItemByName("A"), c.A);
    // Same name in two sections: the earlier section wins.
    c.A->name = "Sec";
    EXPECT_EQ(c.cfg.FindItemByName("A"), c.aBand);
    EXPECT_EQ(c.cfg.FindItemByName("РОТОР"), c.rotor);
    EXPECT_EQ(c.cfg.FindItemByName("gear"), c.gear);
    EXPECT_EQ(c.cfg.FindItemByName("nothing"), nullptr);
}

TEST(CfgProc, CollectByTypeIsPreOrder) {
    Config c;
    std::vector<CCfgProcItem*> list{c.A};
    EXPECT_EQ(c.cfg.CollectByType(list, CfgItemTacho), 2);
    EXPECT_EQ(list, (std::vector<CCfgProcItem*>{c.rotor, c.bTacho}));
    EXPECT_EQ(c.cfg.CollectByType(list, CfgItemRoot), 2);
    EXPECT_EQ(list, (std::vector<CCfgProcItem*>{c.A, c.B}));
    c.A->Clear();
    c.B->Clear();
    EXPECT_EQ(c.cfg.CollectByType(list, CfgItemTacho), 0);
    EXPECT_TRUE(list.empty());

    Config d;
    list.clear();
    // With a start node the start itself is never added and the list is extended.
    EXPECT_EQ(d.cfg.CollectByType(list, CfgItemFolder, d.shaft), 0);
    EXPECT_EQ(d.cfg.CollectByType(list, CfgItemTrackingBand, d.A), 1);
    EXPECT_EQ(d.cfg.CollectByType(list, CfgItemTrackingBand, d.B), 2);
    EXPECT_EQ(list, (std::vector<CCfgProcItem*>{d.mesh, d.gear}));
    EXPECT_EQ(d.cfg.CollectByType(list, CfgItemTrackingBand, d.mesh), 2);
}

TEST(CfgProc, ResolveRefsBindsByNameAndGoesStale) {
    Config c;
    c.cfg.ResolveRefs();
    EXPECT_EQ(c.mesh->components[0].tachoRefId, c.rotor->id);
    EXPECT_EQ(c.mesh->components[1].tachoRefId, -1);
    EXPECT_EQ(c.mesh->bandWidth.tachoRefId, c.rotor->id);
    EXPECT_EQ(c.rotor->bandWidth.tachoRefId, -1);  // empty reference
    // Any kind can be found; telling tacho items apart is the engine's job.
    EXPECT_EQ(c.gear->components[0].tachoRefId, c.mesh->id);

    c.rotor->name = "Rotor2";
    EXPECT_EQ(c.mesh->components[0].tachoRefId, c.rotor->id);
    c.cfg.ResolveRefs(c.B);  // only the given subtree is touched
    EXPECT_EQ(c.mesh->components[0].tachoRefId, c.rotor->id);
    c.cfg.ResolveRefs(c.A);
    EXPECT_EQ(c.mesh->components[0].tachoRefId, -1);
}

TEST(CfgProc, DeepCopyAndReset) {
    Config c;
    c.cfg.srcFileKorvex = "Run 1";
    c.cfg.cfgFile = "/data/cfg.ini";
    c.cfg.bCloseProgrDlg = true;
    c.cfg.channelNames = {"b", "B"};
    c.cfg.channels["b"] = std::make_unique<CfgChannel>();
    c.cfg.channels["b"]->signalOpts[c.mesh->id] = ParseSignalOpt("bEnabled=1", c.mesh->id);
    c.cfg.channels["B"] = std::make_unique<CfgChannel>();
    c.cfg.channels["B"]->type = CfgChannelTacho;
    c.cfg.channels["orphan"] = nullptr;
    c.cfg.report.fontSize = 14;
    c.cfg.report.programs.push_back({"P", "rpm", {}});

    CCfgProc copy = c.cfg;
    EXPECT_EQ(copy.srcFileKorvex, "Run 1");
    EXPECT_EQ(copy.cfgFile, "/data/cfg.ini");
    EXPECT_TRUE(copy.bCloseProgrDlg);
    EXPECT_EQ(copy.channelNames, c.cfg.channelNames);
    EXPECT_EQ(copy.report, c.cfg.report);
    ASSERT_EQ(copy.sections.size(), 2u);
    EXPECT_EQ(copy.sections[1]->path, "/data/B.json");
    EXPECT_EQ(copy.sections[1]->id, c.B->id);
    CCfgProcItem* mesh = copy.FindItemById(c.mesh->id);
    ASSERT_NE(mesh, nullptr);
    EXPECT_NE(mesh, c.mesh);
    EXPECT_EQ(mesh->name, "Mesh");
    // Channel keys are case-sensitive and byte-ordered; entries without a record are not copied.
    ASSERT_EQ(copy.channels.size(), 2u);
    EXPECT_EQ(copy.channels.begin()->first, "B");
    EXPECT_EQ(copy.Channel("B")->type, CfgChannelTacho);
    EXPECT_NE(copy.Channel("b"), c.cfg.Channel("b"));
    EXPECT_EQ(*copy.Channel("b"), *c.cfg.Channel("b"));
    EXPECT_EQ(copy.Channel("orphan"), nullptr);

    // The copy is independent of its source.
    mesh->name = "Changed";
    copy.Channel("b")->grNum = 4;
    EXPECT_EQ(c.mesh->name, "Mesh");
    EXPECT_EQ(c.cfg.Channel("b")->grNum, 1);

    // Assigning back replaces what was there.
    c.cfg = copy;
    EXPECT_EQ(c.cfg.FindItemById(mesh->id)->name, "Changed");
    c.cfg = c.cfg;
    EXPECT_EQ(c.cfg.sections.size(), 2u);

    c.cfg.channelsChanged = c.cfg.frequencyBaseChanged = false;
    c.cfg.Reset();
    EXPECT_TRUE(c.cfg.sections.empty());
    EXPECT_TRUE(c.cfg.channels.empty());
    EXPECT_TRUE(c.cfg.channelsChanged && c.cfg.frequencyBaseChanged);
    EXPECT_EQ(c.cfg.channelNames.size(), 2u);
    EXPECT_EQ(c.cfg.srcFileKorvex, "Run 1");
}

TEST(CfgProc, RefreshChannelsFromHost) {
    auto fakeApp = plat::MakeObj<fake::App>();
    fakeApp->AddFolder("/Signals/Run 1", {{"b", "g", 0.001},
                                          {"note", "", 0, 3},  // not a signal entry
                                          {"B", "mm/s", 0.0005},
                                          {"", "V", 0.1}});
    fakeApp->AddFolder("/Signals/Empty", {});
    host::App app(fakeApp);

    CCfgProc cfg;
    cfg.channelNames = {"stale"};
    cfg.channels["gone"] = std::make_unique<CfgChannel>();
    cfg.channels["b"] = std::make_unique<CfgChannel>();
    cfg.channels["b"]->check = true;
    cfg.channels["b"]->units = "old";

    ASSERT_TRUE(cfg.RefreshChannels(&app, "Run 1"));
    EXPECT_TRUE(cfg.channelsChanged);
    EXPECT_EQ(cfg.channelNames, (std::vector<std::string>{"b", "B"}));
    ASSERT_EQ(cfg.channels.size(), 3u);  // records of vanished channels stay
    EXPECT_TRUE(cfg.Channel("b")->check);
    EXPECT_EQ(cfg.Channel("b")->units, "g");
    EXPECT_EQ(cfg.Channel("B")->units, "mm/s");
    EXPECT_EQ(cfg.Channel("B")->sampleStep, 0.0005);
    EXPECT_EQ(cfg.Channel("B")->type, CfgChannelMeasuring);

    // An entry without a record gets one rather than being skipped.
    cfg.channels["B"] = nullptr;
    EXPECT_TRUE(cfg.RefreshChannels(&app, "Run 1"));
    ASSERT_NE(cfg.Channel("B"), nullptr);
    EXPECT_EQ(cfg.Channel("B")->units, "mm/s");

    // Unreachable or empty folders: false, names emptied, records untouched.
    for (const char* folder : {"Missing", "Empty", ""}) {
        cfg.channelsChanged = false;
        EXPECT_FALSE(cfg.RefreshChannels(&app, folder)) << folder;
        EXPECT_TRUE(cfg.channelNames.empty());
        EXPECT_TRUE(cfg.channelsChanged);
        EXPECT_EQ(cfg.channels.size(), 3u);
    }
    EXPECT_FALSE(cfg.RefreshChannels(nullptr, "Run 1"));
    host::App none;
    EXPECT_FALSE(cfg.RefreshChannels(&none, "Run 1"));
}

}  // namespace
