// What the workbench's windows compute without Qt: the command line, the
// cursor readout and where a graph's parts go.

#include <gtest/gtest.h>

#include <cmath>

#include "apps/workbench/cmdline.h"
#include "apps/workbench/graphlayout.h"
#include "apps/workbench/readout.h"
#include "test_util.h"

using namespace workbench;

namespace {

ParseResult Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

}  // namespace

TEST(CommandLine, ReadsViewsAndNamesTheBadOption) {
    // Numbers keep their point under a desktop locale with a decimal comma.
    testutil::CommaNumericLocale comma;
    const ParseResult r =
        Parse({"a.quor", "--graph", "/Signals/s/Acc1,/Signals/s/Speed", "--graph=/Signals/s/Acc2",
               "--cursor=12.5", "--cursor-b", "-3e-1", "--range", "10,20.5", "--size", "800x600",
               "--screenshot", "out.png", "b.uff"});
    ASSERT_TRUE(r.Ok()) << r.error;
    const Options& o = r.options;
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.quor", "b.uff"}));
    ASSERT_EQ(o.graphs.size(), 2u);
    EXPECT_EQ(o.graphs[0].signalPaths,
              (std::vector<std::string>{"/Signals/s/Acc1", "/Signals/s/Speed"}));
    EXPECT_EQ(o.graphs[1].signalPaths, std::vector<std::string>{"/Signals/s/Acc2"});
    EXPECT_EQ(o.cursor, 12.5);
    EXPECT_EQ(o.cursorB, -0.3);
    EXPECT_EQ(o.rangeLo, 10.0);
    EXPECT_EQ(o.rangeHi, 20.5);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.screenshot, "out.png");
    EXPECT_TRUE(o.registry.empty());
    EXPECT_TRUE(Parse({"--help"}).options.help);
    EXPECT_EQ(Parse({"--lang", "ru"}).options.lang, "ru");

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--cursor", "12,5"}, "--cursor 12,5"},
        {{"--cursor", "nan"}, "--cursor nan"},
        {{"--cursor-b"}, "--cursor-b needs T"},
        {{"--graph", "Signals/x"}, "--graph Signals/x"},
        {{"--graph", "/Signals/x,,/y"}, "--graph /Signals/x,,/y"},
        {{"--range", "20,10"}, "--range 20,10"},
        {{"--size", "800"}, "--size 800"},
        {{"--size", "80x60"}, "--size 80x60"},
        {{"--help=1"}, "--help takes no value"},
        {{"--spectra", "/x"}, "unknown option --spectra"},
        {{"--lang", "de"}, "--lang de: is ru or en"},
    };
    for (const auto& [args, error] : bad) {
        const ParseResult e = Parse(args);
        EXPECT_EQ(e.error.rfind(error, 0), 0u) << e.error;
    }
    // Every option is in the usage text.
    for (const char* name : {"--registry", "--screenshot", "--graph", "--cursor-b", "--size"})
        EXPECT_NE(Usage().find(name), std::string::npos) << name;
}

TEST(CommandLine, OpensTheGraphWindowOrNamesTheMissingSignal) {
    auto host = korvex::CreateHost();
    for (const char* name : {"Acc1", "Speed"}) {
        auto s = host->NewSignal();
        s->Assign(korvex::SignalData{});
        ASSERT_TRUE(host->AddSignal("/Signals/s", name, s));
    }
    std::string error;
    const GraphRequest missing[] = {{{"/Signals/s/Acc1"}}, {{"/Signals/s/Acc9"}}};
    EXPECT_EQ(OpenGraphWindow(*host, missing, error), 0);
    EXPECT_EQ(error, "no signal /Signals/s/Acc9");
    EXPECT_TRUE(host->Graphs().Windows().empty());  // nothing half made

    const GraphRequest both[] = {{{"/Signals/s/Acc1", "/Signals/s/Speed"}}, {{"/Signals/s/Speed"}}};
    const int window = OpenGraphWindow(*host, both, error);
    ASSERT_NE(window, 0);
    const auto windows = host->Graphs().Windows();
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_EQ(windows[0].graphs.size(), 2u);
    EXPECT_EQ(windows[0].graphs[0].signalNames, (std::vector<std::string>{"Acc1", "Speed"}));
    EXPECT_EQ(windows[0].graphs[1].signalNames, std::vector<std::string>{"Speed"});
}

TEST(CursorReadout, ValuesAtBothCursorsTheirDifferenceAndTheTimes) {
    testutil::CommaNumericLocale comma;
    const std::vector<double> acc = {0, 10, 20, 30, 40};  // 10 per 0.5 s
    const std::vector<double> speed = {1000, 1500};       // from t = 1 s, 1 s apart
    const ReadSignal signals[] = {{"Acc1", "m/s^2", acc, 0.0, 0.5}, {"Speed", "", speed, 1.0, 1.0}};

    const Readout b = ReadCursors(signals, 0.25, 1.5);
    ASSERT_EQ(b.rows.size(), 2u);
    EXPECT_EQ(b.rows[0].label, "Acc1 [m/s^2]");
    EXPECT_EQ(b.rows[1].label, "Speed");
    EXPECT_DOUBLE_EQ(b.rows[0].atA, 5.0);
    EXPECT_DOUBLE_EQ(b.rows[0].atB, 30.0);
    EXPECT_DOUBLE_EQ(b.rows[0].diff, 25.0);
    EXPECT_DOUBLE_EQ(b.rows[1].atA, 1000.0);  // before its start: the first value
    EXPECT_DOUBLE_EQ(b.rows[1].diff, 250.0);
    EXPECT_EQ(TimesLine(b), "A 0.25 s   B 1.5 s   \u0394t 1.25 s   1/\u0394t 0.8 Hz");
    // B left of A: a negative Δt, a positive frequency.
    const Readout back = ReadCursors(signals, 1.5, 0.25);
    EXPECT_DOUBLE_EQ(back.dt, -1.25);
    EXPECT_DOUBLE_EQ(back.inverse, 0.8);

    const Readout same = ReadCursors(signals, 1.0, 1.0);
    EXPECT_TRUE(std::isnan(same.inverse));
    EXPECT_EQ(TimesLine(same), "A 1 s   B 1 s   \u0394t 0 s   1/\u0394t - Hz");
    const Readout a = ReadCursors(signals, 1.0, std::nullopt);
    EXPECT_TRUE(std::isnan(a.rows[0].atB) && std::isnan(a.rows[0].diff));
    EXPECT_EQ(TimesLine(a), "A 1 s");
    EXPECT_EQ(FormatNumber(-0.000123456789), "-0.000123457");
    EXPECT_EQ(FormatNumber(1234567.0), "1.23457e+06");
}

TEST(GraphLayout, LegendBesideThePlotAndItsRowsScrolled) {
    const GraphFrame shown = LayOutGraph(800, 300, 50, 200);
    EXPECT_DOUBLE_EQ(shown.plot.x, 50);
    EXPECT_DOUBLE_EQ(shown.plot.Right() + kLegendGap, shown.legend.x);
    EXPECT_DOUBLE_EQ(shown.legend.Right(), 800);
    EXPECT_DOUBLE_EQ(shown.plot.h, 300 - kPlotTop - kPlotBottom);
    const GraphFrame hidden = LayOutGraph(800, 300, 50, 0);
    EXPECT_DOUBLE_EQ(hidden.legend.w, 0);
    EXPECT_DOUBLE_EQ(hidden.plot.Right(), 800 - kPlotRightEdge);

    EXPECT_DOUBLE_EQ(SharedLegendWidth(250, 1000, true), 250);
    EXPECT_DOUBLE_EQ(SharedLegendWidth(900, 1000, true), 1000 * kLegendShare);
    EXPECT_DOUBLE_EQ(SharedLegendWidth(250, 1000, false), 0);

    const LegendRows all = FitLegend(3, 10, 100, 2);
    EXPECT_FALSE(all.scrolls);
    EXPECT_EQ(all.first, 0);
    EXPECT_EQ(all.count, 3);
    // 20 rows, 5 fit: scrolled no further than the last five.
    const LegendRows end = FitLegend(20, 10, 55, 99);
    EXPECT_TRUE(end.scrolls);
    EXPECT_EQ(end.first, 15);
    EXPECT_EQ(end.count, 5);
    EXPECT_DOUBLE_EQ(end.thumbTop + end.thumbSize, 1.0);
    EXPECT_EQ(FitLegend(20, 10, 55, -4).first, 0);
    EXPECT_EQ(FitLegend(20, 10, 4, 0).count, 1);  // at least one row
}
