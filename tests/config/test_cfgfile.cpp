// Configuration and settings files: round trips, keys in place, hand-written files.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>

#include "config/cfgfile.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "test_util.h"
#include "tree_util.h"

#if defined(__SANITIZE_ADDRESS__)
// glibc keeps the path list of a locale loaded from LOCPATH for good.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}
#endif

namespace fs = std::filesystem;

namespace {

using testutil::ReadBytes;
using testutil::WriteBytes;

// Everything a configuration file and its section files keep, with ids
// replaced by the names they stand for, so two configurations loaded at
// different times compare equal when nothing was lost.
class Dumper {
  public:
    explicit Dumper(const CCfgProc& cfg) : cfg_(cfg) {}

    std::string Dump() {
        o_ << "general " << cfg_.srcFileKorvex << "|" << cfg_.srcFileDir << "|" << cfg_.dstDir
           << "|" << cfg_.bCloseProgrDlg << "|" << cfg_.cfgFile << "\n";
        for (const auto& s : cfg_.sections) {
            o_ << "section " << s->path << "\n";
            Item(*s, 1);
        }
        for (const auto& [name, c] : cfg_.channels) {
            o_ << "channel " << name;
            if (!c) {
                o_ << " (no record)\n";
                continue;
            }
            o_ << " " << c->type << c->check << c->show << c->grNum << c->bDefOptFFT
               << c->bDefOptTaho << " " << ToText(c->fftOpt) << " " << ToText(c->tahoOpt) << "\n";
            for (const auto& [id, opt] : c->signalOpts) {
                const CCfgProcItem* item = cfg_.FindItemById(id);
                o_ << "  opt " << (item ? item->name : "?") << " " << opt.name << " "
                   << (opt.itemId == id) << " " << ToText(opt) << "\n";
            }
        }
        const ReportSettings& r = cfg_.report;
        o_ << "report " << r.reportFile << " " << r.dlgRect.left << "," << r.dlgRect.top << ","
           << r.dlgRect.right << "," << r.dlgRect.bottom << " " << r.fontSize << r.bNewPage
           << r.bLandscape << r.bOpenReport << " " << HeaderChannelsToText(r.headerChannels);
        for (int w : r.colWidth) o_ << " " << w;
        for (const auto& p : r.programs) {
            o_ << "\nprogram " << p.name << "|" << p.featureChannel;
            for (const auto& m : p.modes)
                o_ << "\n  mode " << m.name << " " << m.value << " " << m.range << " "
                   << m.duration;
        }
        return o_.str();
    }

  private:
    std::string Ref(const std::string& ref, int32_t id) {
        const CCfgProcItem* item = cfg_.FindItemById(id);
        return ref + "->" + (item ? item->name : "none");
    }
    void Width(const CfgBandWidth& w) {
        o_ << " bw " << Ref(w.tachoRef, w.tachoRefId) << w.relativeBorders << w.inFftBins << " "
           << w.physicalValue << " " << w.percentValue << " " << w.fftBinsValue;
    }
    void Item(const CCfgProcItem& it, int depth) {
        o_ << std::string(depth * 2, ' ') << CfgItemTypeText(it.type) << " " << it.name << " ["
           << it.info << "] " << it.enabled;
        if (auto* f = dynamic_cast<const CCfgProcBandFix*>(&it))
            o_ << " " << f->showByDefault << " " << f->bandStart << ".." << f->bandStop;
        if (auto* t = dynamic_cast<const CCfgProcTaho*>(&it)) {
            o_ << " " << t->showByDefault << " " << t->tachoPin << " " << t->tachoChannel;
            Width(t->bandWidth);
        }
        if (auto* b = dynamic_cast<const CCfgProcBandTrack*>(&it)) {
            o_ << " " << b->showByDefault;
            for (const auto& c : b->components)
                o_ << " " << c.factor << "*" << Ref(c.tachoRef, c.tachoRefId);
            Width(b->bandWidth);
        }
        o_ << "\n";
        if (auto* folder = dynamic_cast<const CCfgProcFolder*>(&it))
            for (const auto& child : folder->children) Item(*child, depth + 1);
    }

    const CCfgProc& cfg_;
    std::ostringstream o_;
};

std::string Dump(const CCfgProc& cfg) {
    return Dumper(cfg).Dump();
}

class CfgFile : public ::testing::Test {
  protected:
    void SetUp() override {
        fft_ = DefaultFftOpt();
        taho_ = DefaultTahoOpt();
    }
    void TearDown() override {
        DefaultFftOpt() = fft_;
        DefaultTahoOpt() = taho_;
    }

    // Two sections in exchange files: folders, fixed and tracking bands and
    // tacho items with Cyrillic names, a reference across sections; channels
    // with options, report programs and the dialog keys.
    void Build(CCfgProc& cfg) {
        auto* gearbox = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
        gearbox->name = "Редуктор";
        auto* shaft = Add<CCfgProcFolder>(*gearbox, "Вал 1");
        shaft->info = "Входной вал";
        auto* rotor = Add<CCfgProcTaho>(*shaft, "Обороты вала");
        rotor->tachoChannel = "Тахо 1";
        rotor->tachoPin = 3;
        rotor->showByDefault = true;
        rotor->bandWidth = {"", -1, false, false, 12.5, 3.0, 3};
        auto* mesh = Add<CCfgProcBandTrack>(*shaft, "Зубцовая");
        mesh->components = {{"Обороты вала", -1, 27.0}, {"", -1, 5.5}};
        mesh->bandWidth = {"Обороты вала", -1, true, true, 10.0, 2.5, 4};
        auto* fix = Add<CCfgProcBandFix>(*gearbox, "Полоса 10-20");
        fix->bandStart = 10;
        fix->bandStop = 20;
        fix->info = "Описание";
        fix->SetEnabled(false);
        ASSERT_TRUE(gearbox->SaveToFile(dir_.Path("reductor.json")));

        auto* engine = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
        engine->name = "Engine";
        auto* t2 = Add<CCfgProcTaho>(*engine, "T2");
        t2->tachoChannel = "Tacho 2";
        auto* track = Add<CCfgProcBandTrack>(*engine, "Track");
        track->components = {{"T2", -1, 1.0}, {"обороты ВАЛА", -1, -0.5}};
        Add<CCfgProcBandFix>(*engine, "F")->showByDefault = true;
        ASSERT_TRUE(engine->SaveToFile(dir_.Path("engine.json")));
        cfg.ResolveRefs();

        cfg.srcFileKorvex = "Испытание 5";
        cfg.srcFileDir = "D:\\Данные\\test5.quor";
        cfg.dstDir = "/home/u/results";
        cfg.bCloseProgrDlg = true;

        auto& vib = cfg.channels["Вибро 1"] = std::make_unique<CfgChannel>();
        vib->check = vib->show = true;
        vib->grNum = 2;
        vib->bDefOptFFT = false;
        vib->fftOpt = {1024, 512, 3, true};
        vib->signalOpts[mesh->id] = {"Зубцовая", mesh->id, 1, 2, 3, true, true};
        vib->signalOpts[fix->id] = {"Полоса 10-20", fix->id, 0, 1, 2, true, false};
        vib->signalOpts[t2->id] = {"T2", t2->id, 2, 0, 4, false, true};
        auto& tacho = cfg.channels["Тахо 1"] = std::make_unique<CfgChannel>();
        tacho->type = CfgChannelTacho;
        tacho->bDefOptTaho = false;
        tacho->tahoOpt = {"", 2, 0.5, 20.0, 80.0, 60.0, 0, 1};
        cfg.channels["b"] = std::make_unique<CfgChannel>();
        cfg.channels["B"] = std::make_unique<CfgChannel>();
        cfg.channels["B"]->type = CfgChannelRevolution;

        DefaultFftOpt() = {8192, 2048, 4, true};
        DefaultTahoOpt() = {"", 2, 0.25, 35.0, 65.0, 2.0, 0, 1};

        ReportSettings& r = cfg.report;
        r.reportFile = "/home/u/Отчёт.rtf";
        r.dlgRect = {10, 20, 800, 600};
        r.colWidth = {120, 60, 60, 80, 200};
        r.fontSize = 12;
        r.bLandscape = true;
        r.programs = {{"Прогон", "Тахо 1", {{"Холостой", 750, 25, 10}, {"Номинал", 1500, 30, 5}}},
                      {"Empty", "", {}}};
        r.headerChannels = {"Вибро 1", "Тахо 1"};
    }

    testutil::TempDir dir_{"cfgfile"};
    CfgFftOpt fft_;
    CfgTahoOpt taho_;
};

}  // namespace

TEST_F(CfgFile, ConfigurationSurvivesSaveAndLoad) {
    CCfgProc cfg;
    Build(cfg);
    const std::string expected = Dump(cfg);
    const std::string settings = dir_.Path("plgVantrel.cfg");

    // Everything in the settings file.
    ASSERT_TRUE(SaveSettings(cfg, settings));
    const std::string bytes = ReadBytes(settings);
    // Channels in byte-wise name order, code page 1251, CR LF only.
    EXPECT_NE(bytes.find("\r\ncnl2_name=" + plat::Utf8ToCp1251("Вибро 1") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.find("Вибро"), std::string::npos);
    for (size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        ASSERT_EQ(bytes[i - 1], '\r');

    DefaultFftOpt() = fft_;
    DefaultTahoOpt() = taho_;
    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, settings));
    EXPECT_EQ(back.settingsPath, settings);
    EXPECT_EQ(Dump(back), expected);
    EXPECT_EQ(ToText(DefaultFftOpt()), "nPoints=8192/nOffset=2048/iWindow=4/bMO=1");
    EXPECT_EQ(DefaultTahoOpt().levelLo, 35.0);
    // Loading and saving again changes nothing in the file.
    ASSERT_TRUE(SaveSettings(back, settings));
    EXPECT_EQ(ReadBytes(settings), bytes);

    // With a separate configuration file the settings file keeps only
    // "general" and "reportDlg".
    cfg.cfgFile = dir_.Path("my.cfg");
    const std::string settings2 = dir_.Path("second.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings2));
    plat::ProfileFile s2, mine;
    ASSERT_TRUE(s2.Load(settings2));
    ASSERT_TRUE(mine.Load(cfg.cfgFile));
    EXPECT_EQ(s2.GetSectionNames(), (std::vector<std::string>{"general", "reportDlg"}));
    EXPECT_EQ(mine.GetSectionNames(), (std::vector<std::string>{"test", "channels", "report"}));
    EXPECT_EQ(s2.GetString("general", "cfgFile"), cfg.cfgFile);
    CCfgProc back2;
    ASSERT_TRUE(LoadSettings(back2, settings2));
    EXPECT_EQ(Dump(back2), Dump(cfg));
}

TEST_F(CfgFile, SettingsFileHasEveryKeyInItsPlace) {
    CCfgProc cfg;
    auto* sec = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
    sec->name = "S";
    auto* band = Add<CCfgProcBandFix>(*sec, "Полоса");
    ASSERT_TRUE(sec->SaveToFile(dir_.Path("s.json")));
    cfg.srcFileKorvex = "Испытание";
    cfg.srcFileDir = "/data/x.quor";
    auto& ch = cfg.channels["Канал"] = std::make_unique<CfgChannel>();
    ch->check = true;
    ch->signalOpts[band->id] = {"Полоса", band->id, 1, 2, 2, true, false};
    cfg.report.programs = {{"P", "F", {{"M", 1500.5, 25.0, 2.5}}}};
    cfg.report.headerChannels = {"A", " B "};
    DefaultFftOpt() = CfgFftOpt{};
    DefaultTahoOpt() = CfgTahoOpt{};

    const std::string taho =
        "typeAxY=1/deltaF=1.00000000/levelLo=30.00000000/levelHi=70.00000000/"
        "coefTaho=1.00000000/flagAbsOtn=1/flagFront=0";
    const std::string expected = plat::Utf8ToCp1251(
        "[general]\r\ncfgFile=\r\nsrcFileKorvex=Испытание\r\nsrcFileDir=/data/x.quor\r\n"
        "dstDir=\r\nbCloseProgrDlg=0\r\n\r\n"
        "[reportDlg]\r\nrepFile=\r\ndlgRect=left=0/top=0/right=0/bottom=0\r\n"
        "dlgColWidth=c0=0/c1=0/c2=0/c3=0/c4=0\r\nfontSize=10\r\nbNewPage=0\r\n"
        "bLandscape=0\r\nbOpenReport=1\r\n\r\n"
        "[test]\r\nnSections=1\r\nsection0=" +
        dir_.Path("s.json") +
        "\r\n\r\n"
        "[channels]\r\ndefOptFFT=nPoints=4096/nOffset=4096/iWindow=1/bMO=0\r\n"
        "defOptTaho=" +
        taho +
        "\r\nnChannels=1\r\ncnl0_name=Канал\r\ncnl0_type=1\r\ncnl0_check=1\r\n"
        "cnl0_show=0\r\ncnl0_grNum=1\r\ncnl0_bDefOptFFT=1\r\ncnl0_bDefOptTaho=1\r\n"
        "cnl0_optFFT=nPoints=4096/nOffset=4096/iWindow=1/bMO=0\r\ncnl0_optTaho=" +
        taho +
        "\r\ncnl0_nOpts=1\r\ncnl0_opt0_name=Полоса\r\n"
        "cnl0_opt0_str=integr=1/valtype=2/bEnabled=1/bShow=0/grNum=2\r\n\r\n"
        "[report]\r\nnPrograms=1\r\nprog0_name=P\r\nprog0_cnl=F\r\nprog0_nPnts=1\r\n"
        "prog0pnt0_name=M\r\nprog0pnt0_value=1500.500000\r\nprog0pnt0_range=25.000000\r\n"
        "prog0pnt0_time=2.5\r\ncnlsInHdr=A; B\r\n");
    const std::string settings = dir_.Path("plgVantrel.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_EQ(ReadBytes(settings), expected);
    // A second save updates every key in place: nothing is added twice.
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_EQ(ReadBytes(settings), expected);
    // Band borders as results: a key of their own while on, gone when off.
    cfg.bandFrequencies = true;
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_NE(ReadBytes(settings).find("bCloseProgrDlg=0\r\nbandFrequencies=1\r\n"),
              std::string::npos);
    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, settings));
    EXPECT_TRUE(back.bandFrequencies);
    cfg.bandFrequencies = false;
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_EQ(ReadBytes(settings), expected);
}

TEST_F(CfgFile, HandWrittenFileWithTheOddCases) {
    CCfgProc built;
    Build(built);
    WriteBytes(dir_.Path("notjson.json"), "this is not JSON");
    WriteBytes(dir_.Path("array.json"), "[1, 2]");
    fs::copy_file(dir_.Path("engine.json"), dir_.Path("stale.json"));
    DefaultFftOpt() = fft_;
    DefaultTahoOpt() = taho_;

    std::string text =
        "; written by hand\n"
        "[general]\n"
        "cfgFile=\n"
        "srcFileKorvex = \"Испытание 7\"\n"
        "bCloseProgrDlg=1\n"
        "[TEST]\n"
        "nSECTIONS=6\n"
        "section0=" +
        dir_.Path("notjson.json") +
        "\n"
        "section1=" +
        dir_.Path("reductor.json") +
        "\n"
        "section2=" +
        dir_.Path("missing.json") +
        "\n"
        "section3=\n"
        "section4=" +
        dir_.Path("array.json") +
        "\n"
        "section5=" +
        dir_.Path("engine.json") +
        "\n"
        "section6=" +
        dir_.Path("stale.json") +
        "\n"
        "[Channels]\n"
        "defOptFFT=nPoints=2048/nOffset=0/iWindow=0/bMO=1\n"
        "nChannels=6\n"
        "cnl0_name=Вибро 1\n"
        "cnl0_check=1\n"
        "cnl0_grNum=\n"
        "cnl0_nOpts=5\n"
        "cnl0_opt0_name=ЗУБЦОВАЯ\n"
        "cnl0_opt0_str=integr=1/valtype=2/bEnabled=1/bShow=1/grNum=3\n"
        "cnl0_opt1_name=Переименованная\n"
        "cnl0_opt1_str=integr=2\n"
        "cnl0_opt2_name=Полоса 10-20\n"
        "cnl0_opt2_str=\n"
        "cnl0_opt3_str=integr=2\n"
        "cnl0_opt4_name=t2\n"
        "cnl0_opt4_str=integr=2/grNum=9\n"
        "cnl0_opt5_name=F\n"
        "cnl0_opt5_str=integr=2\n"
        "cnl1_name=вибро 1\n"
        "cnl2_name=Вибро 1\n"
        "cnl2_type=2\n"
        "cnl3_name=Тахо 1\n"
        "CNL3_TYPE=2\n"
        "cnl3_bDefOptTaho=0\n"
        "cnl3_optTaho=deltaF=0.5/levelLo=10\n";
    // Code page 1251 on disk, with CR LF except for the last lines.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    WriteBytes(dir_.Path("hand.cfg"),
               plat::Utf8ToCp1251(crlf + "cnl5_name=\ncnl6_name=Beyond the count\n"));

    CCfgProc cfg;
    cfg.dstDir = "kept";
    ASSERT_TRUE(LoadSettings(cfg, dir_.Path("hand.cfg")));
    EXPECT_EQ(cfg.srcFileKorvex, "Испытание 7");
    EXPECT_EQ(cfg.dstDir, "kept");
    EXPECT_TRUE(cfg.bCloseProgrDlg);

    // Only the two good section files, in their order; stale keys unread.
    ASSERT_EQ(cfg.sections.size(), 2u);
    EXPECT_EQ(cfg.sections[0]->name, "Редуктор");
    EXPECT_EQ(cfg.sections[1]->path, dir_.Path("engine.json"));
    auto* track = static_cast<CCfgProcBandTrack*>(cfg.FindItemByName("Track"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->components[1].tachoRefId, cfg.FindItemByName("Обороты вала")->id);
    EXPECT_TRUE(cfg.frequencyBaseChanged);

    EXPECT_EQ(DefaultFftOpt(), (CfgFftOpt{2048, 2048, 1, true}));
    EXPECT_EQ(DefaultTahoOpt(), taho_);

    // Names differing in case are two channels; a repeated name is read once.
    ASSERT_EQ(cfg.channels.size(), 3u);
    const CfgChannel* vib = cfg.Channel("Вибро 1");
    ASSERT_NE(vib, nullptr);
    EXPECT_EQ(vib->type, CfgChannelMeasuring);
    EXPECT_TRUE(vib->check);
    EXPECT_EQ(vib->grNum, 1);
    // Options of renamed or unnamed items and empty option texts are dropped;
    // found items take the tree's spelling and id; the count bounds the read.
    ASSERT_EQ(vib->signalOpts.size(), 2u);
    const CCfgProcItem* mesh = cfg.FindItemByName("Зубцовая");
    const CfgSignalOpt& o = vib->signalOpts.at(mesh->id);
    EXPECT_EQ(o, (CfgSignalOpt{"Зубцовая", mesh->id, 1, 2, 3, true, true}));
    const CCfgProcItem* t2 = cfg.FindItemByName("T2");
    EXPECT_EQ(vib->signalOpts.at(t2->id).name, "T2");
    EXPECT_EQ(vib->signalOpts.at(t2->id).grNum, 9);

    EXPECT_EQ(*cfg.Channel("вибро 1"), CfgChannel{});
    const CfgChannel* tacho = cfg.Channel("Тахо 1");
    ASSERT_NE(tacho, nullptr);
    EXPECT_EQ(tacho->type, CfgChannelTacho);
    EXPECT_FALSE(tacho->bDefOptTaho);
    EXPECT_EQ(tacho->tahoOpt, (CfgTahoOpt{"", 0, 0.5, 10.0, 0.0, 1.0, 0, 0}));

    // A file that does not exist reads as an empty configuration.
    ASSERT_TRUE(ReadConfig(cfg, dir_.Path("absent.cfg")));
    EXPECT_TRUE(cfg.sections.empty());
    EXPECT_TRUE(cfg.channels.empty());
}

TEST_F(CfgFile, WriteKeepsForeignKeysAndClearsKeysThatWouldComeBackWrong) {
    CCfgProc cfg;
    auto* sec = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
    sec->name = "S";
    auto* a = Add<CCfgProcBandFix>(*sec, "a");
    auto* b = Add<CCfgProcBandFix>(*sec, "b");
    auto* c = Add<CCfgProcBandFix>(*sec, "c");
    ASSERT_TRUE(sec->SaveToFile(dir_.Path("s.json")));
    auto& ch = cfg.channels["X"] = std::make_unique<CfgChannel>();
    ch->signalOpts[a->id] = {"a", a->id, 1, 0, 2, true, false};
    ch->signalOpts[b->id] = {"b", b->id, 2, 0, 2, true, false};
    ch->signalOpts[c->id] = {"c", c->id, 0, 1, 2, false, true};
    cfg.channels["Y"] = nullptr;

    const std::string path = dir_.Path("c.cfg");
    WriteBytes(path,
               "[test]\r\nnSections=3\r\nsection2=/old/z.json\r\n"
               "[channels]\r\n; user note\r\ncnl1_type=3\r\ncnl1_optFFT=nPoints=64\r\n"
               "cnl9_name=stale\r\n[other]\r\nmine=1\r\n");
    ASSERT_TRUE(WriteConfig(cfg, path));
    sec->Remove(b);  // b's option now names an item that is gone
    ASSERT_TRUE(WriteConfig(cfg, path));

    plat::ProfileFile f;
    ASSERT_TRUE(f.Load(path));
    EXPECT_EQ(f.GetString("test", "nSections"), "1");
    EXPECT_EQ(f.GetString("test", "section0"), dir_.Path("s.json"));
    EXPECT_EQ(f.GetString("test", "section2"), "/old/z.json");  // beyond the count, kept
    EXPECT_EQ(f.GetString("other", "mine"), "1");
    EXPECT_EQ(f.GetString("channels", "cnl9_name"), "stale");
    EXPECT_EQ(f.GetString("channels", "cnl0_nOpts"), "3");
    EXPECT_EQ(f.GetString("channels", "cnl0_opt2_str"),
              "integr=0/valtype=1/bEnabled=0/bShow=1/grNum=2");
    EXPECT_FALSE(f.HasKey("channels", "cnl0_opt1_name"));
    EXPECT_FALSE(f.HasKey("channels", "cnl0_opt1_str"));
    // Y has no record: only its name, and no settings of an earlier channel.
    EXPECT_EQ(f.GetString("channels", "cnl1_name"), "Y");
    EXPECT_FALSE(f.HasKey("channels", "cnl1_type"));
    EXPECT_FALSE(f.HasKey("channels", "cnl1_optFFT"));
    EXPECT_NE(ReadBytes(path).find("[channels]\r\n; user note\r\n"), std::string::npos);

    CCfgProc back;
    ASSERT_TRUE(ReadConfig(back, path));
    const CfgChannel* x = back.Channel("X");
    ASSERT_NE(x, nullptr);
    ASSERT_EQ(x->signalOpts.size(), 2u);
    EXPECT_EQ(x->signalOpts.begin()->second.integr, 1);
    EXPECT_EQ(*back.Channel("Y"), CfgChannel{});
}

TEST_F(CfgFile, DamagedCountsReadOnlyTheKeysPresent) {
    CCfgProc built;
    Build(built);
    const std::string path = dir_.Path("counts.cfg");
    WriteBytes(path, plat::Utf8ToCp1251(
                         "[test]\r\nnSections=99999999999\r\nsection1=" + dir_.Path("engine.json") +
                         "\r\n[channels]\r\nnChannels=2000000000\r\ncnl0_name=A\r\n"
                         "cnl7_name=B\r\ncnl7_nOpts=2000000000\r\ncnl7_opt3_name=F\r\n"
                         "cnl7_opt3_str=integr=2\r\ncnl1999999999_name=C\r\n"
                         "cnl1999999999_nOpts=2000000000\r\ncnl1999999999_opt1999999998_name=F\r\n"
                         "cnl1999999999_opt1999999998_str=integr=1\r\n"
                         "[report]\r\nnPrograms=2000000000\r\nprog5_name=P\r\n"
                         "prog5_nPnts=2000000000\r\nprog5pnt9_name=M\r\n"
                         "prog1999999999_name=Q\r\n"));
    CCfgProc cfg;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(ReadConfig(cfg, path));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.0);
    ASSERT_EQ(cfg.sections.size(), 1u);
    // Keys numbered close to the count are read, as fast as any other.
    ASSERT_EQ(cfg.channels.size(), 3u);
    ASSERT_NE(cfg.Channel("C"), nullptr);
    EXPECT_EQ(cfg.Channel("C")->signalOpts.size(), 1u);
    ASSERT_NE(cfg.Channel("B"), nullptr);
    EXPECT_EQ(cfg.Channel("B")->signalOpts.size(), 1u);
    ASSERT_EQ(cfg.report.programs.size(), 2u);
    EXPECT_EQ(cfg.report.programs[1].name, "Q");
    ASSERT_EQ(cfg.report.programs[0].modes.size(), 1u);
    EXPECT_EQ(cfg.report.programs[0].modes[0].name, "M");
}

TEST_F(CfgFile, NumbersReadBackUnderACommaLocale) {
    testutil::CommaNumericLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be had";
    CCfgProc cfg;
    Build(cfg);
    cfg.report.programs[0].modes[0] = {"Half", 0.5, 0.25, 2.5};
    const std::string expected = Dump(cfg);
    const std::string settings = dir_.Path("plgVantrel.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings));
    const std::string bytes = ReadBytes(settings);
    EXPECT_NE(bytes.find("prog0pnt0_value=0.500000\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("prog0pnt0_time=2.5\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("deltaF=0.50000000/"), std::string::npos);
    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, settings));
    EXPECT_EQ(Dump(back), expected);
}

TEST_F(CfgFile, PathsOutsideCodePage1251SurviveSaveAndLoad) {
    CCfgProc cfg;
    Build(cfg);
    const fs::path folder = dir_.path() / "jürgen Ω";
    fs::create_directories(folder);
    for (auto& s : cfg.sections) {
        ASSERT_TRUE(s->SaveToFile((folder / fs::path(s->path).filename()).string()));
    }
    cfg.cfgFile = (folder / "my.cfg").string();
    const std::string expected = Dump(cfg);
    const std::string settings = dir_.Path("plgVantrel.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_EQ(ReadBytes(settings).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(ReadBytes(cfg.cfgFile).substr(0, 3), "\xEF\xBB\xBF");

    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, settings));
    EXPECT_EQ(back.cfgFile, cfg.cfgFile);
    EXPECT_EQ(back.sections.size(), 2u);
    EXPECT_EQ(Dump(back), expected);
}

TEST_F(CfgFile, WhereTheConfigurationIsWritten) {
    CCfgProc cfg;
    Build(cfg);
    const std::string settings = dir_.Path("plgVantrel.cfg");

    // cfgFile in a folder that does not exist: the configuration goes into
    // the settings file, which still names the user's file.
    cfg.cfgFile = dir_.Path("nowhere/my.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_FALSE(fs::exists(dir_.Path("nowhere")));
    EXPECT_EQ(plat::ProfileGetString(settings, "general", "cfgFile"), cfg.cfgFile);
    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, settings));
    EXPECT_EQ(Dump(back), Dump(cfg));

    // A relative path (or one of another system) has no folder here either.
    cfg.cfgFile = "relative.cfg";
    fs::remove(settings);
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_FALSE(fs::exists("relative.cfg"));
    EXPECT_EQ(plat::ProfileGetString(settings, "test", "nSections"), "2");

    // cfgFile naming the settings file itself is cleared.
    cfg.cfgFile = (dir_.path() / "." / "plgVantrel.cfg").string();
    ASSERT_TRUE(SaveSettings(cfg, settings));
    EXPECT_EQ(cfg.cfgFile, "");
    bool found = false;
    EXPECT_EQ(plat::ProfileGetString(settings, "general", "cfgFile", "x", &found), "");
    EXPECT_TRUE(found);

    // Letter case tells files apart on most file systems here; only one that
    // ignores it makes the other spelling the settings file itself.
    const std::string upper = dir_.Path("PLGVANTREL.CFG");
    cfg.cfgFile = upper;
    ASSERT_TRUE(SaveSettings(cfg, settings));
    std::error_code ec;
    if (fs::equivalent(settings, upper, ec)) {
        EXPECT_EQ(cfg.cfgFile, "");
    } else {
        EXPECT_EQ(cfg.cfgFile, upper);
        EXPECT_EQ(plat::ProfileGetString(upper, "test", "nSections"), "2");
    }

    // An existing configuration file named from a hand-written settings file.
    CCfgProc other;
    other.cfgFile = dir_.Path("my.cfg");
    ASSERT_TRUE(WriteConfig(cfg, other.cfgFile));
    WriteBytes(dir_.Path("s2.cfg"), "[general]\r\ncfgFile=" + other.cfgFile + "\r\n");
    ASSERT_TRUE(LoadSettings(other, dir_.Path("s2.cfg")));
    EXPECT_EQ(other.sections.size(), 2u);
    EXPECT_EQ(other.channels.size(), 4u);
}

TEST_F(CfgFile, OpeningAConfigurationBringsItsReportPrograms) {
    CCfgProc cfg;
    cfg.report.programs = {{"A", "c", {{"m", 1, 2, 3}}}};
    ASSERT_TRUE(WriteConfig(cfg, dir_.Path("a.cfg")));
    WriteBytes(dir_.Path("old.cfg"), "[test]\r\nnSections=0\r\n");

    CCfgProc other;
    other.report.programs = {{"B", "c", {}}};
    ASSERT_TRUE(ReadConfig(other, dir_.Path("old.cfg")));  // no programs in it: ours stay
    EXPECT_EQ(other.report.programs[0].name, "B");
    ASSERT_TRUE(ReadConfig(other, dir_.Path("a.cfg")));
    EXPECT_EQ(other.report.programs, cfg.report.programs);

    // Loading the settings takes the programs of the file the configuration
    // comes from, none when it has none.
    WriteBytes(dir_.Path("s.cfg"), "[general]\r\ncfgFile=" + dir_.Path("old.cfg") + "\r\n");
    ASSERT_TRUE(LoadSettings(other, dir_.Path("s.cfg")));
    EXPECT_TRUE(other.report.programs.empty());
}

// A configuration shipped with its sections names them relative to its own
// folder; it is opened from wherever the program happens to run.
TEST_F(CfgFile, RelativeSectionPathsAreFoundBesideTheConfiguration) {
    std::filesystem::create_directories(dir_.path() / "sub");
    CCfgProcSection section;
    section.name = "Shipped";
    ASSERT_TRUE(section.SaveToFile(dir_.Path("sub/shipped.json")));
    const std::string body =
        "[test]\r\nnSections=3\r\nsection0=sub/shipped.json\r\nsection1=missing.json\r\n"
        "section2=" +
        dir_.Path("sub/shipped.json") + "\r\n";
    WriteBytes(dir_.Path("shipped.cfg"), body);
    ASSERT_FALSE(std::filesystem::exists("sub/shipped.json"));  // not from the current folder

    const std::string anchored = (dir_.path() / "sub/shipped.json").lexically_normal().string();
    CCfgProc cfg;
    ASSERT_TRUE(ReadConfig(cfg, dir_.Path("shipped.cfg")));
    ASSERT_EQ(cfg.sections.size(), 2u);  // the missing one is still dropped
    EXPECT_EQ(cfg.sections[0]->path, anchored);
    EXPECT_EQ(cfg.sections[0]->name, "Shipped");

    // The same through the settings file, holding the configuration or naming it.
    WriteBytes(dir_.Path("inside.cfg"), "[general]\r\n" + body);
    CCfgProc inside;
    ASSERT_TRUE(LoadSettings(inside, dir_.Path("inside.cfg")));
    ASSERT_EQ(inside.sections.size(), 2u);
    EXPECT_EQ(inside.sections[0]->path, anchored);
    WriteBytes(dir_.Path("naming.cfg"),
               "[general]\r\ncfgFile=" + dir_.Path("shipped.cfg") + "\r\n");
    CCfgProc named;
    ASSERT_TRUE(LoadSettings(named, dir_.Path("naming.cfg")));
    ASSERT_EQ(named.sections.size(), 2u);

    // Saved, the section keeps a path that leads to it.
    ASSERT_TRUE(WriteConfig(cfg, dir_.Path("shipped.cfg")));
    plat::ProfileFile back;
    ASSERT_TRUE(back.Load(dir_.Path("shipped.cfg")));
    EXPECT_EQ(back.GetString("test", "nSections"), "2");
    EXPECT_EQ(back.GetString("test", "section0"), anchored);

    // Opened by a relative path, it is still saved with the full one.
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path() / "sub");
    CCfgProc relative;
    const bool read = ReadConfig(relative, "../inside.cfg");
    std::filesystem::current_path(here);
    ASSERT_TRUE(read);
    ASSERT_FALSE(relative.sections.empty());
    EXPECT_EQ(relative.sections[0]->path, anchored);
}

TEST_F(CfgFile, FailuresAreReportedAndOldFilesKept) {
    CCfgProc cfg;
    Build(cfg);
    const std::string settings = dir_.Path("plgVantrel.cfg");
    ASSERT_TRUE(SaveSettings(cfg, settings));

    // The configuration file can't be written: the save says so.
    fs::create_directories(dir_.Path("cfgdir"));
    cfg.cfgFile = dir_.Path("cfgdir");
    std::string error;
    EXPECT_FALSE(SaveSettings(cfg, settings, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteConfig(cfg, dir_.Path("cfgdir")));

    // The settings part was still written, and the old configuration in it
    // is untouched.
    EXPECT_EQ(plat::ProfileGetString(settings, "general", "cfgFile"), dir_.Path("cfgdir"));
    EXPECT_EQ(plat::ProfileGetString(settings, "channels", "nChannels"), "4");

    // A settings file that can't be read: nothing is written over it and
    // nothing loaded.
    CCfgProc back;
    back.srcFileKorvex = "unchanged";
    back.channels["kept"] = nullptr;
    EXPECT_FALSE(LoadSettings(back, dir_.Path("cfgdir")));
    EXPECT_FALSE(SaveSettings(back, dir_.Path("cfgdir")));
    EXPECT_FALSE(ReadConfig(back, dir_.Path("cfgdir")));
    EXPECT_EQ(back.srcFileKorvex, "unchanged");
    EXPECT_EQ(back.channels.size(), 1u);
    EXPECT_TRUE(fs::is_empty(dir_.Path("cfgdir")));
}

TEST_F(CfgFile, HundredChannelsWithTwentyOptionsAreQuick) {
    CCfgProc cfg;
    auto* sec = cfg.sections.emplace_back(std::make_unique<CCfgProcSection>()).get();
    sec->name = "Base";
    std::vector<CCfgProcItem*> items;
    for (int i = 0; i < 20; ++i)
        items.push_back(Add<CCfgProcBandFix>(*sec, "Полоса " + std::to_string(i)));
    ASSERT_TRUE(sec->SaveToFile(dir_.Path("base.json")));
    for (int c = 0; c < 100; ++c) {
        auto& ch = cfg.channels["Канал " + std::to_string(c)] = std::make_unique<CfgChannel>();
        for (auto* it : items) ch->signalOpts[it->id] = {it->name, it->id, 1, 1, 3, true, true};
    }
    const std::string settings = dir_.Path("big.cfg");
    auto seconds = [](auto&& step) {
        auto t0 = std::chrono::steady_clock::now();
        step();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    // Generous bounds: a few tens of milliseconds normally, also checked
    // under sanitizers.
    EXPECT_LT(seconds([&] { ASSERT_TRUE(SaveSettings(cfg, settings)); }), 1.0);
    // The update in place of a full file.
    EXPECT_LT(seconds([&] { ASSERT_TRUE(SaveSettings(cfg, settings)); }), 1.0);
    CCfgProc back;
    EXPECT_LT(seconds([&] { ASSERT_TRUE(LoadSettings(back, settings)); }), 1.0);
    ASSERT_EQ(back.channels.size(), 100u);
    EXPECT_EQ(back.Channel("Канал 42")->signalOpts.size(), 20u);
}

namespace {

// Limits and a machine class are extra keys: the file with them reopens
// with them, and with those keys cut out it is the file written without.
TEST_F(CfgFile, LimitsAndMachineClassAreExtraKeysOnly) {
    CCfgProc cfg;
    Build(cfg);
    const std::string plainPath = dir_.Path("plain.cfg"), limitsPath = dir_.Path("limits.cfg");
    ASSERT_TRUE(SaveSettings(cfg, plainPath));

    CfgChannel& vib = *cfg.channels["Вибро 1"];
    CfgSignalOpt& mesh = vib.signalOpts.begin()->second;
    mesh.alert = 4.5;
    mesh.danger = 1.0 / 3.0;
    std::prev(vib.signalOpts.end())->second.danger = 7.1;
    vib.machineClass = MachineClass::Group2Flexible;
    ASSERT_TRUE(SaveSettings(cfg, limitsPath));

    CCfgProc back;
    ASSERT_TRUE(LoadSettings(back, limitsPath));
    // Ids differ between loads; the records compare by name and text.
    const CfgChannel& reopened = *back.channels["Вибро 1"];
    EXPECT_EQ(reopened.machineClass, vib.machineClass);
    std::string want, got;
    for (const auto& [id, o] : vib.signalOpts) want += o.name + ":" + ToText(o) + "\n";
    for (const auto& [id, o] : reopened.signalOpts) got += o.name + ":" + ToText(o) + "\n";
    EXPECT_EQ(got, want);
    EXPECT_NE(got.find("alert=4.50000000/danger=0.3333333333333333"), std::string::npos) << got;
    EXPECT_EQ(back.channels["Тахо 1"]->machineClass, MachineClass::None);

    std::string bytes = ReadBytes(limitsPath);
    bytes = std::regex_replace(bytes, std::regex("/(alert|danger)=[^/\r]*"), "");
    bytes = std::regex_replace(bytes, std::regex("cnl[0-9]+_machineClass=[^\r]*\r\n"), "");
    EXPECT_EQ(bytes, ReadBytes(plainPath));

    // Clearing them again removes the keys from the same file.
    vib.machineClass = MachineClass::None;
    for (auto& [id, opt] : vib.signalOpts) opt.alert = opt.danger = NAN;
    ASSERT_TRUE(SaveSettings(cfg, limitsPath));
    EXPECT_EQ(ReadBytes(limitsPath), ReadBytes(plainPath));
}

}  // namespace
