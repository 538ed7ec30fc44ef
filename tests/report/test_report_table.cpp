// The report table at a moment: rows, bound result signals, frequency and
// level texts, coincidences, following the graph cursor, entries and the
// automatic fill, against the stand-in host.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "platform/autodate.h"
#include "platform/text.h"
#include "report/report_table.h"
#include "shell/host.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

class FakeView : public IReportView {
  public:
    struct Line {
        std::array<std::string, 5> cells;
        bool deleted = false;
    };
    int InsertRow(const std::string& column0) override {
        lines.push_back({});
        lines.back().cells[0] = column0;
        return static_cast<int>(lines.size()) - 1;
    }
    void SetCellText(int row, int column, const std::string& text) override {
        lines.at(static_cast<size_t>(row)).cells.at(static_cast<size_t>(column)) = text;
    }
    void DeleteRow(int row) override { lines.at(static_cast<size_t>(row)).deleted = true; }
    void DeleteAllRows() override { lines.clear(); }
    void EnableReportButton(bool enable) override { button = enable ? 1 : 0; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetRowState(int row, LimitState state) override { states[row] = state; }

    std::vector<std::array<std::string, 5>> Shown() const {
        std::vector<std::array<std::string, 5>> out;
        for (const Line& l : lines)
            if (!l.deleted) out.push_back(l.cells);
        return out;
    }
    std::vector<Line> lines;
    int button = -1;
    std::string caption;
    std::map<int, LimitState> states;
};

double Date(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    double v = 0.0;
    plat::ToAutomationDate(plat::DateTime{y, mo, d, h, mi, s, ms}, v);
    return v;
}

constexpr char kResults[] = "/Signals/Результаты/Run17/";

class ReportTable : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = korvex::CreateHost();
        app_ = host::App(plat::DispPtr(host_));

        auto section = std::make_unique<CCfgProcSection>();
        section->name = "S";
        tacho_ = Add<CCfgProcTaho>(*section, "T");
        tacho_->tachoChannel = "Tacho.taho";
        tacho_->bandWidth.tachoRef = "T";
        b1_ = Track(*section, "B1", {{"T", 1.0}});
        b2_ = Track(*section, "B2", {{"T", 0.5}, {"nowhere", 12.5}});  // 25.00 too at 25 Hz
        fix_ = Add<CCfgProcBandFix>(*section, "F");
        fix_->bandStart = 10.0;
        fix_->bandStop = 20.0;
        off_ = Track(*section, "Off", {{"T", 3.0}});
        off_->enabled = false;
        cfg_.sections.push_back(std::move(section));
        cfg_.ResolveRefs();

        cfg_.srcFileKorvex = "Run17";
        cfg_.lastResultFolder = kResults;
        cfg_.channelNames = {"Acc1", "Quiet", "Tacho", "Speed"};
        auto acc = std::make_unique<CfgChannel>();
        acc->check = true;
        acc->units = "m/s^2";
        for (CCfgProcItem* item :
             {static_cast<CCfgProcItem*>(b1_), static_cast<CCfgProcItem*>(b2_),
              static_cast<CCfgProcItem*>(fix_), static_cast<CCfgProcItem*>(off_)})
            acc->signalOpts[item->id] = CfgSignalOpt{item->name, item->id, 0, 0, 2, true, true};
        cfg_.channels["Acc1"] = std::move(acc);
        auto quiet = std::make_unique<CfgChannel>();
        quiet->check = true;
        quiet->signalOpts[b1_->id] = CfgSignalOpt{"B1", b1_->id, 0, 0, 2, false, false};
        cfg_.channels["Quiet"] = std::move(quiet);
        auto tachoChannel = std::make_unique<CfgChannel>();
        tachoChannel->type = CfgChannelTacho;
        tachoChannel->check = true;
        cfg_.channels["Tacho"] = std::move(tachoChannel);
        cfg_.channels["Speed"] = nullptr;

        start_ = Date(2026, 12, 6, 14, 3, 14, 500);
        File("/Signals/Run17", "Speed", "rpm", {1500.0, 1500.0}, 100.0);
        File(std::string(kResults) + "Тахо", "Tacho.taho", "Hz", {25.0, 25.0}, 100.0);
        File(std::string(kResults) + "Acc1", "Acc1.B1", "m/s^2", {1.25, 1.25}, 100.0);
        File(std::string(kResults) + "Acc1", "Acc1.B2", "m/s^2", {0.0, 2.0}, 100.0);
        File(std::string(kResults) + "Acc1/Фикс", "Acc1.F", "m/s^2", {0.5, 0.5}, 100.0);
        cfg_.report.headerChannels = {"Speed", "Temp"};
    }

    template <class T>
    static T* Add(CCfgProcFolder& folder, const std::string& name) {
        auto* item = static_cast<T*>(folder.Append(std::make_unique<T>()));
        item->name = name;
        return item;
    }
    static CCfgProcBandTrack* Track(CCfgProcFolder& folder, const std::string& name,
                                    std::vector<std::pair<std::string, double>> parts) {
        auto* band = Add<CCfgProcBandTrack>(folder, name);
        for (const auto& [ref, factor] : parts) band->components.push_back({ref, -1, factor});
        band->bandWidth.tachoRef = "T";
        return band;
    }
    host::Signal File(const std::string& folder, const std::string& name, const std::string& unit,
                      std::vector<double> y, double step) {
        korvex::SignalData d;
        d.name = name;
        d.unit = unit;
        d.stepX = step;
        d.startTime = start_;
        d.samples = std::move(y);
        plat::ObjPtr<korvex::SignalObj> s = host_->NewSignal();
        s->Assign(d);
        EXPECT_TRUE(host_->AddSignal(folder, name, s));
        return host::Signal(plat::DispPtr(s));
    }
    std::unique_ptr<CReportTable> Table(IReportView* view = nullptr) {
        auto t = std::make_unique<CReportTable>(app_, &cfg_, view);
        t->SetDateLocale("C");
        return t;
    }

    plat::ObjPtr<korvex::Host> host_;
    host::App app_;
    CCfgProc cfg_;
    CCfgProcTaho* tacho_ = nullptr;
    CCfgProcBandTrack *b1_ = nullptr, *b2_ = nullptr, *off_ = nullptr;
    CCfgProcBandFix* fix_ = nullptr;
    double start_ = 0.0;
};

TEST_F(ReportTable, RowsForCheckedChannelsWithEnabledItemsOnly) {
    FakeView view;
    view.InsertRow("stale");
    auto table = Table(&view);
    table->RebuildRows();
    using Row = std::array<std::string, 5>;
    const std::vector<Row> want = {{"Acc1", "", "", "m/s^2", ""},
                                   {"", "B1", "", "", ""},
                                   {"", "B2", "", "", ""},
                                   {"", "F", "", "", ""}};
    EXPECT_EQ(view.Shown(), want);  // no "Off" (item disabled), no "Quiet", no "Tacho"
    ASSERT_EQ(table->Rows().size(), 3u);
    EXPECT_EQ(table->Rows()[2].itemId, fix_->id);
    EXPECT_EQ(table->Rows()[2].listIndex, 3);
    EXPECT_FALSE(table->Rows()[0].signal);  // bound only on a cursor change or a fill
    // Headless, the rows keep the indices a list would give them.
    auto headless = Table();
    headless->RebuildRows();
    headless->RebuildRows();
    ASSERT_EQ(headless->Rows().size(), 3u);
    EXPECT_EQ(headless->Rows()[0].listIndex, 1);
    EXPECT_EQ(headless->Rows()[2].listIndex, 3);
}

TEST_F(ReportTable, FrequencyLevelAndCoincidenceTexts) {
    FakeView view;
    auto table = Table(&view);
    table->RebuildRows();
    // Unbound: a tracking band sums its bare factors, a tacho item has none.
    table->ValuesAtTime(0.0);
    EXPECT_EQ(table->FrequencyText(b1_), "1.00");
    EXPECT_EQ(table->FrequencyText(b2_), "13.00");
    EXPECT_EQ(table->FrequencyText(tacho_), "");
    EXPECT_EQ(table->FrequencyText(fix_), "10.00...20.00");
    EXPECT_EQ(table->FrequencyText(nullptr), "");
    EXPECT_FALSE(table->HasChannelValues());

    table->BindSignals();
    ASSERT_TRUE(table->Rows()[0].signal);
    ASSERT_TRUE(table->Rows()[2].signal);  // found one folder further down
    ASSERT_EQ(table->TachoValues().count(tacho_->id), 1u);
    EXPECT_EQ(table->TachoValues().at(tacho_->id).signalName, "Tacho.taho");
    table->ValuesAtTime(50.0);  // halfway along Acc1.B2
    table->ShowValues();
    EXPECT_EQ(table->FrequencyTextOf(tacho_->id), "25.00");
    EXPECT_EQ(table->FrequencyTextOf(b1_->id), "25.00");
    EXPECT_EQ(table->FrequencyTextOf(b2_->id), "25.00");
    EXPECT_EQ(table->FrequencyTextOf(off_->id), "");  // disabled items get none
    const ChannelValues* v = table->ValuesOf("Acc1");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->coincidences.at(b1_->id), "B1,B2");
    EXPECT_EQ(v->coincidences.at(b2_->id), "B1,B2");
    EXPECT_EQ(v->coincidences.count(fix_->id), 0u);
    EXPECT_EQ(v->levels.at(b2_->id), "1.00");
    EXPECT_EQ(table->ValuesOf("Tacho"), nullptr);  // not a measuring channel
    using Row = std::array<std::string, 5>;
    EXPECT_EQ(view.Shown()[1], (Row{"", "B1", "25.00", "1.25", "B1,B2"}));
    EXPECT_EQ(view.Shown()[3], (Row{"", "F", "10.00...20.00", "0.50", ""}));

    // A third band on the same frequency joins the group on every member.
    off_->enabled = true;
    off_->components = {{"T", tacho_->id, 1.0}};
    table->ValuesAtTime(50.0);
    v = table->ValuesOf("Acc1");
    for (const CCfgProcItem* item :
         {static_cast<CCfgProcItem*>(b1_), static_cast<CCfgProcItem*>(b2_),
          static_cast<CCfgProcItem*>(off_)})
        EXPECT_EQ(v->coincidences.at(item->id), "B1,B2,Off") << item->name;

    // A tracking band whose second component has no tacho: 24.5 x 1 + 2.
    host_->FindSignal(std::string(kResults) + "Тахо/Tacho.taho")->Assign([&] {
        korvex::SignalData d;
        d.stepX = 100.0;
        d.startTime = start_;
        d.samples = {24.5, 24.5};
        return d;
    }());
    b2_->components = {{"T", tacho_->id, 1.0}, {"nowhere", -1, 2.0}};
    table->ValuesAtTime(1.0);
    EXPECT_EQ(table->FrequencyTextOf(b2_->id), "26.50");
}

// A rotation curve kept in rpm still gives frequencies in hertz, as the
// column heading says; the coincidences follow the same numbers.
TEST_F(ReportTable, TachoInRpmGivesHertz) {
    host_->FindSignal(std::string(kResults) + "Тахо/Tacho.taho")->Assign([&] {
        korvex::SignalData d;
        d.unit = "rpm";
        d.axisCodes[{2, 1}] = korvex::units::kUnitRpm;
        d.stepX = 100.0;
        d.startTime = start_;
        d.samples = {1500.0, 1500.0};
        return d;
    }());
    auto table = Table();
    table->RebuildRows();
    table->BindSignals();
    table->ValuesAtTime(50.0);
    EXPECT_EQ(table->FrequencyTextOf(tacho_->id), "25.00");
    EXPECT_EQ(table->FrequencyTextOf(b1_->id), "25.00");
    EXPECT_EQ(table->FrequencyTextOf(b2_->id), "25.00");  // 0.5 x 25 + 12.5
    EXPECT_EQ(table->ValuesOf("Acc1")->coincidences.at(b1_->id), "B1,B2");
}

TEST_F(ReportTable, DateOfTheValuesComesFromTheFirstTacho) {
    auto table = Table();
    table->RebuildRows();
    table->ValuesAtTime(12.5);  // nothing bound: the data set's signals date it
    plat::DateTime d = table->ValuesDate();
    EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
              (std::array<int, 6>{2026, 12, 6, 14, 3, 27}));
    cfg_.srcFileKorvex = "Gone";  // and without them, the automation epoch
    table->ValuesAtTime(12.5);
    d = table->ValuesDate();
    EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
              (std::array<int, 6>{1899, 12, 30, 0, 0, 12}));
    cfg_.srcFileKorvex = "Run17";
    table->BindSignals();
    table->ValuesAtTime(12.5);
    d = table->ValuesDate();
    EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
              (std::array<int, 6>{2026, 12, 6, 14, 3, 27}));
}

TEST_F(ReportTable, DateOfTheValuesComesFromWhicheverSignalHoldsTheStart) {
    // Levels of a run without a tacho whose file dates its signals, not the levels.
    const double start = start_;
    start_ = 0.0;
    cfg_.lastResultFolder = "/Signals/Результаты/Run18/";
    File("/Signals/Результаты/Run18/Acc1", "Acc1.F", "m/s^2", {0.5, 0.5}, 100.0);
    auto table = Table();
    table->RebuildRows();
    table->BindSignals();
    EXPECT_TRUE(table->TachoValues().empty());
    table->ValuesAtTime(12.5);
    plat::DateTime d = table->ValuesDate();
    EXPECT_EQ((std::array<int, 6>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
              (std::array<int, 6>{2026, 12, 6, 14, 3, 27}));

    // Dated levels answer before the data set.
    start_ = start + 1.0;
    File("/Signals/Результаты/Run18/Acc1", "Acc1.B1", "m/s^2", {1.0, 1.0}, 100.0);
    table->BindSignals();
    table->ValuesAtTime(12.5);
    EXPECT_EQ(table->ValuesDate().day, 7);
}

TEST_F(ReportTable, UnfoundResultFolderBindsNothing) {
    cfg_.lastResultFolder = "/Signals/Результаты/Gone/";
    auto table = Table();
    table->RebuildRows();
    table->BindSignals();
    EXPECT_FALSE(table->Rows()[0].signal);
    EXPECT_TRUE(table->TachoValues().empty());
    EXPECT_FALSE(table->HasChannelValues());
}

TEST_F(ReportTable, FollowsTheGraphCursor) {
    FakeView view;
    auto table = Table(&view);
    table->RebuildRows();
    const int pluginId = app_.RegisterPlugin("Vantrel");
    int refreshed = 0;
    ASSERT_TRUE(host_->AttachPlugin(pluginId, [&](uint32_t code, plat::Variant*) {
        if (code == korvex::kCursorEvent && table->RefreshAtCursor()) ++refreshed;
    }));

    host::GraphService gs = app_.GetGraphService();
    // A graph window whose graph shows nothing: no report.
    const int empty = gs.NewGraphWindow();
    ASSERT_TRUE(gs.AddGraph(empty));
    ASSERT_TRUE(host_->MoveCursor(gs.GetGraph(empty, 0), 2.0));
    EXPECT_EQ(view.button, 0);
    EXPECT_EQ(refreshed, 0);

    const int w = gs.NewGraphWindow();
    ASSERT_TRUE(gs.AddGraph(w));
    const int g = gs.GetGraph(w, 0);
    host::Signal level = app_.GetSignal(std::string(kResults) + "Acc1/Acc1.B2");
    ASSERT_TRUE(gs.AddSignalToGraph(g, level.GetSignalId()));
    ASSERT_TRUE(host_->MoveCursor(g, 25.0));
    EXPECT_EQ(view.button, 1);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(view.caption, "Отчет, время: 25.0 сек.");
    EXPECT_EQ(view.Shown()[2][3], "0.50");  // Acc1.B2 a quarter of the way
    EXPECT_EQ(table->LastCursorTime(), 25.0);

    ASSERT_TRUE(host_->MoveCursor(g, 75.0));
    EXPECT_EQ(view.Shown()[2][3], "1.50");
    EXPECT_EQ(view.caption, "Отчет, время: 75.0 сек.");
    // The same time again, here or in another window, changes nothing.
    view.caption.clear();
    ASSERT_TRUE(host_->MoveCursor(g, 75.0));
    const int w2 = gs.NewGraphWindow();
    ASSERT_TRUE(gs.AddGraph(w2));
    ASSERT_TRUE(gs.AddSignalToGraph(gs.GetGraph(w2, 0), level.GetSignalId()));
    ASSERT_TRUE(host_->MoveCursor(gs.GetGraph(w2, 0), 75.0));
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(view.caption, "");
}

// The whole of one entry, written by hand from the layout: a later entry
// into an existing report, with a mode, two header channels (one without a
// signal) and one channel table.
TEST_F(ReportTable, EntryBytesAreTheLayout) {
    const testutil::TempDir dir("report-entry");
    const std::string path = dir.Path("r.rtf");
    testutil::WriteBytes(path, "{\\rtf1\\ansi old}");
    auto table = Table();
    table->RebuildRows();
    table->BindSignals();
    table->ValuesAtTime(12.5);
    ASSERT_TRUE(table->AppendEntry(12.5, path, "1500"));

    const std::string border =
        "\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
        "\\clbrdrr\\brdrs\\brdrw10\\cltxlrtb\\clshdrawnil\\cellx";
    const std::string rowHead = "{\\trowd\\trgaph" + border + "2592" + border + "5184" + border +
                                "7776" + border + "10368" + "\\pard\\ql\\intbl";
    auto head = [](const char* text) { return std::string("{\\qc\\b\n") + text + "\\cell }"; };
    auto cell = [](const char* text) {
        return std::string("{\\qc\\i\\cf13\n") + text + "\\cell }";
    };
    const std::string entry =
        "\\par\\par\\fs20\\cf0\\f0\\ql"
        "\nДата\n \n06.12.2026\n\t\nВремя\n \n14:03:27\n \n(12.5 секунда)\\par"
        "\nЗамер\n: \t\t\nRun17\\par"
        "\nРежим\n: \t\t\n1500\\par"
        "\\par\nSpeed\n = 1500.00 rpm\n; \nTemp\n = ?\\par"
        "\\par\nAcc1"
        "\\par\\pard" +
        rowHead + head("Компонента") + head("Частота, Гц") + head("Уровень") + head("Совпадения") +
        "\\row}" + rowHead + cell("B1") + cell("25.00") + cell("1.25") + cell("B1,B2") + "\\row}" +
        rowHead + cell("B2") + cell("25.00") + cell("0.25") + cell("B1,B2") + "\\row}" + rowHead +
        cell("F") + cell("10.00...20.00") + cell("0.50") + cell("") + "\\row}";
    EXPECT_EQ(testutil::ReadBytes(path), plat::Utf8ToCp1251("{\\rtf1\\ansi old" + entry + "}"));
}

// A level past its limit, or in zone C or D, is marked in the window and in
// the entry; the zone letter follows a level the zones judge.
TEST_F(ReportTable, LimitsAndZonesMarkLevels) {
    CfgChannel& acc = *cfg_.channels["Acc1"];
    acc.signalOpts[b1_->id].alert = 1.0;  // 1.25: alert
    acc.machineClass = MachineClass::Group2Rigid;
    fix_->bandStop = 1000.0;  // 10-1000 Hz velocity RMS: judged by the zones
    acc.signalOpts[fix_->id].integr = 1;
    host_->FindSignal(std::string(kResults) + "Acc1/Фикс/Acc1.F")->SetUnit("mm/s");
    acc.signalOpts[fix_->id].danger = 0.4;  // 0.50 is zone A but past the danger limit

    FakeView view;
    auto table = Table(&view);
    table->RebuildRows();
    table->BindSignals();
    table->ValuesAtTime(12.5);
    table->ShowValues();
    EXPECT_EQ(view.states.at(1), LimitState::Alert);
    EXPECT_EQ(view.states.at(2), LimitState::None);
    EXPECT_EQ(view.states.at(3), LimitState::Danger);
    EXPECT_EQ(view.Shown()[1][3], "1.25");
    EXPECT_EQ(view.Shown()[3][3], "0.50 A");

    const testutil::TempDir dir("report-marks");
    const std::string path = dir.Path("r.rtf");
    ASSERT_TRUE(table->AppendEntry(12.5, path, ""));
    const std::string doc = plat::Cp1251ToUtf8(testutil::ReadBytes(path));
    EXPECT_NE(doc.find("{\\qc\\i\\cf13\\b\\cf4\n1.25\\cell }"), std::string::npos) << doc;
    EXPECT_NE(doc.find("{\\qc\\i\\cf13\\b\\cf10\n0.50 A\\cell }"), std::string::npos);
    EXPECT_NE(doc.find("{\\qc\\i\\cf13\n0.25\\cell }"), std::string::npos);
}

TEST_F(ReportTable, EntryStartsAndOptions) {
    const testutil::TempDir dir("report-options");
    const std::string path = dir.Path("r.rtf");
    cfg_.report.headerChannels.clear();
    cfg_.report.fontSize = 12;
    auto table = Table();
    table->RebuildRows();  // unbound: no channel values, no tables
    table->ValuesAtTime(3.0);

    ASSERT_TRUE(table->AppendEntry(3.0, path, ""));
    std::string doc = plat::Cp1251ToUtf8(testutil::ReadBytes(path));
    const size_t body =
        doc.find("\\fs24\\cf0\\f0\\ql\nДата\n \n06.12.2026\n\t\nВремя\n \n14:03:17");
    ASSERT_NE(body, std::string::npos) << doc;
    EXPECT_EQ(doc.find("\\par\\par\\fs24"), std::string::npos);  // a first entry: nothing before
    EXPECT_EQ(doc.find("\\sect"), std::string::npos);
    EXPECT_EQ(doc.find("Режим"), std::string::npos);
    EXPECT_NE(doc.find("\nЗамер\n: \t\t\nRun17\\par\\par}"), std::string::npos) << doc;

    // Later entries: two empty paragraphs, or a new section with the option.
    ASSERT_TRUE(table->AppendEntry(3.0, path, "M"));
    cfg_.report.bNewPage = true;
    cfg_.report.bLandscape = true;
    table->BindSignals();
    table->ValuesAtTime(3.0);
    ASSERT_TRUE(table->AppendEntry(3.0, path, "M"));
    doc = plat::Cp1251ToUtf8(testutil::ReadBytes(path));
    EXPECT_NE(doc.find("\\par\\par\\fs24\\cf0"), std::string::npos);
    EXPECT_NE(doc.find("\\sect\\sectd\\psz9\\landscape\\paperw16840\\paperh11907\\psz9\\fs24"),
              std::string::npos);
    EXPECT_NE(doc.find("\\cellx3744"), std::string::npos);  // landscape columns
    EXPECT_NE(doc.find("\\cellx14976"), std::string::npos);
    EXPECT_EQ(doc.find("\\cellx2592"), std::string::npos);

    // An entry that cannot be written leaves the file as it was.
    const std::string before = testutil::ReadBytes(path);
    EXPECT_FALSE(table->AppendEntry(3.0, dir.Path("missing/r.rtf"), "M"));
    const std::string junk = dir.Path("junk.rtf");
    testutil::WriteBytes(junk, "not a report at all");
    EXPECT_FALSE(table->AppendEntry(3.0, junk, "M"));
    EXPECT_EQ(testutil::ReadBytes(junk), "not a report at all");
    EXPECT_EQ(testutil::ReadBytes(path), before);
}

class ReportFill : public ReportTable {
  protected:
    void SetUp() override {
        ReportTable::SetUp();
        // Two plateaus of a feature channel, 1 s apart samples.
        File("/Signals/Run17", "Load", "%", {0, 50, 50, 50, 50, 20, 80, 80, 80, 80, 80, 50, 50},
             1.0);
        ReportProgram p;
        p.name = "Ступени";
        p.featureChannel = "Load";
        p.modes = {{"50", 50.0, 1.0, 2.0}, {"80", 80.0, 1.0, 3.0}};
        cfg_.report.programs.push_back(p);
        target_ = dir_.Path("auto.rtf");
        cfg_.report.autoFile = target_;
    }
    const testutil::TempDir dir_{"report-fill"};
    std::string target_;
};

TEST_F(ReportFill, OneEntryPerModeEvent) {
    auto table = Table();
    std::vector<std::pair<double, std::string>> written;
    ASSERT_TRUE(table->FillAutomatically("ступени", [&](const ModeEvent& e, bool ok) {
        EXPECT_TRUE(ok);
        written.emplace_back(e.at, e.mode->name);
    }));
    const std::vector<std::pair<double, std::string>> want = {{3.0, "50"}, {9.0, "80"}};
    EXPECT_EQ(written, want);  // "50" again at 11, 12 is too short
    const std::string doc = plat::Cp1251ToUtf8(testutil::ReadBytes(target_));
    EXPECT_NE(doc.find("(3.0 секунда)"), std::string::npos);
    EXPECT_NE(doc.find("\nРежим\n: \t\t\n80\\par"), std::string::npos);
    // Values of the start of the run: Acc1.B2 at t = 1 and t = 6.
    EXPECT_NE(doc.find("\n0.02\\cell"), std::string::npos);
    EXPECT_NE(doc.find("\n0.12\\cell"), std::string::npos);
    // Date and time of the run's start, seconds of the event.
    EXPECT_NE(doc.find("\n14:03:20\n \n(9.0 секунда)"), std::string::npos) << doc;
    EXPECT_EQ(table->LastCursorTime(), 0.0);
}

TEST_F(ReportFill, FailuresAndNothingHeldLongEnough) {
    auto table = Table();
    EXPECT_FALSE(table->FillAutomatically("Другая"));
    EXPECT_FALSE(table->FillAutomatically(""));
    cfg_.report.programs[0].featureChannel = "Absent";
    EXPECT_FALSE(table->FillAutomatically("Ступени"));
    cfg_.report.programs[0].featureChannel = "Load";
    cfg_.report.programs[0].modes = {{"50", 50.0, 1.0, 30.0}};
    EXPECT_TRUE(table->FillAutomatically("Ступени"));
    EXPECT_FALSE(fs::exists(target_));

    // The first failed append stops the fill.
    cfg_.report.programs[0].modes = {{"50", 50.0, 1.0, 0.0}, {"80", 80.0, 1.0, 0.0}};
    testutil::WriteBytes(target_, "not a report");
    int calls = 0;
    EXPECT_FALSE(table->FillAutomatically("Ступени", [&](const ModeEvent&, bool ok) {
        ++calls;
        EXPECT_FALSE(ok);
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(testutil::ReadBytes(target_), "not a report");
}

}  // namespace
