// The host's operators, graph service, plug-in buttons and data files, and
// its safety under a writer and a reader thread; all driven through the
// wrappers of shell/host.h as the plug-in drives them.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/speedtrack.h"
#include "korvex/formats/formats.h"
#include "korvex/host.h"
#include "korvex/units.h"
#include "shell/host.h"
#include "test_util.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;
using std::numbers::pi;

struct HostFixture : ::testing::Test {
    plat::ObjPtr<Host> h = CreateHost();
    host::App app{plat::DispPtr(h)};

    host::Signal MakeSignal(const std::string& name, const std::vector<double>& y,
                            double stepX = 1) {
        host::Signal s = app.NewSignal();
        s.SetName(name);
        s.SetPointCount(static_cast<int>(y.size()));
        s.SetStepX(stepX);
        for (size_t i = 0; i < y.size(); ++i) s.SetY(static_cast<int>(i), y[i]);
        return s;
    }
};

using testutil::TempDir;

using HostOperators = HostFixture;
using HostGraphs = HostFixture;
using HostPlugins = HostFixture;
using HostFiles = HostFixture;
using HostThreads = HostFixture;

TEST_F(HostOperators, AutoSpectrumOfASine) {
    const int n = 1024;
    const double dt = 1.0 / 1024, amp = 2.0;
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) y[i] = amp * std::sin(2 * pi * 100 * i * dt + 0.4);
    host::Signal x = MakeSignal("acc", y, dt);
    plat::DynamicCast<SignalObj>(x.Disp())->SetUnit("g");

    host::Operator op = app.GetOperator("/Operators/АвтоСпектр");
    ASSERT_TRUE(op);
    ASSERT_TRUE(op.SetParameters(
        "kindFunc=2, numPoints=4096, typeWindow=1, ofsNextBlock=4096, isMO=0, prs_strCorr=, "
        "prs_typeCorr=0"));
    ASSERT_TRUE(op.SetParameter("numPoints", n));
    ASSERT_TRUE(op.SetParameter("typeWindow", 3));
    ASSERT_TRUE(op.SetParameter("isMO", 1));

    plat::DispPtr out;
    ASSERT_EQ(op.RunOperator(app.ExtractBlock(x, 0, n).Disp(), out), 0);
    host::Signal p(out);
    ASSERT_TRUE(p);
    EXPECT_EQ(op.GetOperatorState(), 0);
    EXPECT_EQ(p.PointCount(), n / 2 + 1);
    EXPECT_EQ(p.StartX(), 0.0);
    EXPECT_DOUBLE_EQ(p.StepX(), 1.0);
    EXPECT_NEAR(p.GetY(100), amp * amp / 2, 1e-9);
    EXPECT_EQ(p.Unit(), "g^2");

    // "rmscoef" reads back to exactly what the algorithm gave for the
    // overridden window (Hanning, not the string's rectangle).
    OperatorParams params;
    ASSERT_TRUE(params.Parse("typeWindow=3, isMO=1"));
    SpectrumResult direct;
    ASSERT_EQ(AutoSpectrum(y, dt, params, direct), 0);
    EXPECT_NE(direct.rmscoef, 1.0);
    EXPECT_EQ(std::strtod(p.GetAttribute("rmscoef").c_str(), nullptr), direct.rmscoef);

    // Bad input: a non-zero status, nothing in output 1, the state kept.
    out = nullptr;
    const int status = op.RunOperator(MakeSignal("one", {1.0}).Disp(), out);
    EXPECT_NE(status, 0);
    EXPECT_FALSE(out);
    EXPECT_EQ(op.GetOperatorState(), status);
    EXPECT_EQ(op.RunOperator(plat::DispPtr(), out), kStatusNoInput);
    EXPECT_EQ(op.RunOperator(app.GetObject("/Signals"), out), kStatusNoInput);
    EXPECT_FALSE(out);
    EXPECT_FALSE(op.SetParameters("=broken"));
}

TEST_F(HostOperators, SpeedFromSpectrumOfATone) {
    // Order 2 of a shaft running up from 20 to 30 Hz, 4096 samples a second.
    const double dt = 1.0 / 4096;
    std::vector<double> y(4096 * 8);
    double phase = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        phase += 2 * pi * 2 * (20.0 + 1.25 * static_cast<double>(i) * dt) * dt;
        y[i] = std::sin(phase);
    }
    host::Signal x = MakeSignal("acc", y, dt);
    host::Operator op = app.GetOperator(kSpeedFromSpectrumPath);
    ASSERT_TRUE(op);
    ASSERT_TRUE(op.SetParameters("order=2, startTime=4, startSpeed=25, numPoints=2048"));
    plat::DispPtr out;
    ASSERT_EQ(op.RunOperator(x.Disp(), out), 0);
    host::Signal s(out);
    ASSERT_TRUE(s);
    EXPECT_EQ(s.Unit(), "Hz");
    EXPECT_EQ(s.Name(), "acc");
    for (int i = 0; i < s.PointCount(); ++i)
        EXPECT_NEAR(s.GetY(i), 20.0 + 1.25 * (s.StartX() + s.StepX() * i), 0.05) << i;

    // A start where no line runs: the operator fails and says why.
    ASSERT_TRUE(op.SetParameter("startSpeed", 60));
    EXPECT_EQ(op.RunOperator(x.Disp(), out), kSpeedNoLine);
    EXPECT_FALSE(out);
    EXPECT_EQ(op.GetOperatorState(), kSpeedNoLine);
    EXPECT_STREQ(SpeedTrackCodeText(kSpeedNoLine),
                 "the order's line does not stand out of the noise");
}

TEST_F(HostOperators, TachoOfAPulseTrain) {
    // 1 pulse per revolution at 20 Hz, 5 kHz sampling, 5 s.
    const double dt = 1.0 / 5000, f = 20.0;
    std::vector<double> y(25000);
    for (size_t i = 0; i < y.size(); ++i) y[i] = std::fmod(i * dt * f, 1.0) < 0.2 ? 5.0 : 0.0;
    host::Signal x = MakeSignal("tacho", y, dt);
    x.SetStartTime(45123.25);

    host::Operator op = app.GetOperator("/VibroOpers/Тахо");
    ASSERT_TRUE(op);
    ASSERT_TRUE(
        op.SetParameters("typeAxesX=1, deltaF=1, LevelLo=30, LevelHi=70, coefTaho=1, flagFront=0, "
                         "flagAbsOtn=1, freqTab="));
    plat::DispPtr out;
    ASSERT_EQ(op.RunOperator(x.Disp(), out), 0);
    host::Signal t(out);
    ASSERT_TRUE(t);
    ASSERT_EQ(t.PointCount(), 5);
    EXPECT_NEAR(t.StartX(), 0.5, 1e-12);
    EXPECT_NEAR(t.StepX(), 1.0, 1e-12);
    for (int i = 0; i < t.PointCount(); ++i) EXPECT_NEAR(t.GetY(i), f, f * 1e-3) << i;
    EXPECT_EQ(t.Unit(), "Hz");
    EXPECT_EQ(t.Name(), "tacho");
    EXPECT_EQ(t.GetStartTime(), 45123.25);

    ASSERT_TRUE(op.SetParameter("typeAxesX", 2));
    ASSERT_TRUE(op.SetParameter("coefTaho", 0.5));
    ASSERT_EQ(op.RunOperator(x.Disp(), out), 0);
    host::Signal rpm(out);
    EXPECT_NEAR(rpm.GetY(2), f * 60 * 0.5, f * 60 * 0.5 * 1e-3);
    EXPECT_EQ(rpm.Unit(), "rpm");
    EXPECT_EQ(rpm.GetAxisCode(2, 1), units::kUnitRpm);
    EXPECT_TRUE(h->TakeOperatorNotes().empty());

    // A missing pulse is filled in, and the run says so in the host's notes.
    for (size_t i = 1000; i < 1050; ++i) y[i] = 0.0;
    host::Signal gap = MakeSignal("gap", y, dt);
    ASSERT_EQ(op.RunOperator(gap.Disp(), out), 0);
    EXPECT_EQ(op.GetOperatorState(), kDspPulsesRepaired);
    EXPECT_NEAR(host::Signal(out).GetY(0), f * 60 * 0.5, f * 60 * 0.5 * 1e-3);
    const std::vector<std::string> notes = h->TakeOperatorNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].rfind("Tacho \"gap\": 1 missing pulse filled; longest gap 0.1", 0), 0u)
        << notes[0];
    EXPECT_TRUE(h->TakeOperatorNotes().empty());
    auto tacho = plat::DynamicCast<ProcessingOperator>(h->FindObject(kTachoPath));
    EXPECT_EQ(tacho->StateText(), notes[0]);

    // A step that is not positive is bad input.
    x.SetStepX(0);
    out = nullptr;
    EXPECT_NE(op.RunOperator(x.Disp(), out), 0);
    EXPECT_FALSE(out);
}

// A tacho channel of a recording read where it lies: the operator's passes
// over the whole channel keep a few megabytes of its 80 MB resident. Run in
// a child, whose peak is its own.
TEST_F(HostOperators, TachoOfAMappedChannelKeepsFewPagesResident) {
    TempDir dir("tacho-mapped");
    const std::string path = dir.Path("long.quor");
    const double dt = 1.0 / 50000, f = 25.0;
    {
        DataSet d;
        d.signals.emplace_back();
        SignalData& s = d.signals.back();
        s.name = "tacho";
        s.stepX = dt;
        s.samples.resize(size_t{10} << 20);
        for (size_t i = 0; i < s.samples.size(); ++i)
            s.samples[i] = std::fmod(static_cast<double>(i) * dt * f, 1.0) < 0.2 ? 5.0 : 0.0;
        ASSERT_TRUE(WriteQuor(path, d).ok);
    }
    auto speeds = [&] {
        ReadOptions o;
        o.mapSamples = true;
        plat::ObjPtr<FolderObj> folder = h->LoadDataFile(path, o);
        host::Operator op = app.GetOperator("/VibroOpers/Тахо");
        plat::DispPtr out;
        if (!folder || !op ||
            !op.SetParameters("typeAxesX=1, deltaF=1, LevelLo=30, LevelHi=70, coefTaho=1, "
                              "flagFront=0, flagAbsOtn=1, freqTab=") ||
            op.RunOperator(
                plat::DispPtr(h->FindSignal("/Signals/" + folder->FolderName() + "/tacho")), out) !=
                0)
            return std::vector<double>();
        host::Signal t(out);
        std::vector<double> v(static_cast<size_t>(t.PointCount()));
        for (size_t i = 0; i < v.size(); ++i) v[i] = t.GetY(static_cast<int>(i));
        return v;
    };
    const pid_t child = fork();
    if (child == 0) {
        auto kb = [](const char* key) {
            std::ifstream in("/proc/self/status");
            for (std::string line; std::getline(in, line);)
                if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key)));
            return -1.0;
        };
        const double before = kb("VmRSS:");
        const std::vector<double> v = speeds();
        const double grown = (kb("VmHWM:") - before) / 1024;
        const bool right = v.size() > 100 && std::fabs(v[v.size() / 2] - f) < f * 1e-3;
        _exit(right && (grown < 48 || !testutil::kPeakMemoryMeasurable) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(HostGraphs, WindowsGraphsSignalsAndTheCursor) {
    host::Signal s = MakeSignal("s", {1, 2});
    ASSERT_TRUE(app.AddSignal("/Signals/g", "s", s));
    host::GraphService gs = app.GetGraphService();
    ASSERT_TRUE(gs);
    EXPECT_EQ(gs.ActiveWindow(), 0);

    const int w = gs.NewGraphWindow();
    EXPECT_NE(w, 0);
    EXPECT_EQ(gs.GraphCount(w), 0);
    // What the plug-in does to reach graph index 1.
    while (gs.GraphCount(w) <= 1) ASSERT_TRUE(gs.AddGraph(w));
    const int g0 = gs.GetGraph(w, 0), g1 = gs.GetGraph(w, 1);
    EXPECT_NE(g0, 0);
    EXPECT_NE(g0, g1);
    EXPECT_EQ(gs.GetGraph(w, 2), 0);

    ASSERT_TRUE(gs.AddSignalToGraph(g1, s.GetSignalId()));
    EXPECT_FALSE(gs.AddSignalToGraph(g1, 987654));
    EXPECT_TRUE(gs.RefreshGraph(g1));
    EXPECT_EQ(gs.GraphSignalCount(g1), 1);
    EXPECT_EQ(gs.GraphSignalCount(g0), 0);
    EXPECT_EQ(gs.GraphSignalId(g1, 0), s.GetSignalId());
    EXPECT_EQ(gs.SignalById(s.GetSignalId()).GetY(1), 2);
    EXPECT_FALSE(gs.SignalById(987654));

    // The report window's questions.
    EXPECT_EQ(gs.ActiveWindow(), w);
    EXPECT_TRUE(gs.IsGraphWindow(w));
    EXPECT_FALSE(gs.IsGraphWindow(w + 100));
    EXPECT_EQ(gs.ActiveGraph(w), g0);
    double x = -1;
    EXPECT_TRUE(gs.GetCursorX(g0, x));
    EXPECT_EQ(x, 0.0);
    EXPECT_FALSE(gs.GetCursorX(12345, x));

    ASSERT_TRUE(h->MoveCursor(g1, 3.25));
    EXPECT_EQ(gs.ActiveGraph(w), g1);
    EXPECT_TRUE(gs.GetCursorX(g1, x));
    EXPECT_EQ(x, 3.25);
    EXPECT_FALSE(h->MoveCursor(12345, 1.0));

    auto windows = h->Graphs().Windows();
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_EQ(windows[0].graphs.size(), 2u);
    EXPECT_EQ(windows[0].graphs[1].refreshCount, 1);
    EXPECT_EQ(windows[0].graphs[1].signalNames, std::vector<std::string>{"s"});
}

TEST_F(HostPlugins, ButtonsAndCursorReachExecute) {
    const int id = app.RegisterPlugin("Vantrel");
    EXPECT_NE(id, 0);
    const int c1 = app.NewCommandId(), c2 = app.NewCommandId();
    EXPECT_NE(c1, c2);
    EXPECT_LE(c2, 0xFFFF);
    EXPECT_NE(app.AddCommandButton(id, c1, 0, "Vantrel\nVantrel"), 0);
    EXPECT_NE(app.AddCommandButton(id, c2, 0, "Отчет\nПоказать таблицу с отчетом"), 0);
    EXPECT_EQ(app.AddCommandButton(id + 50, c1, 0, "x"), 0);  // unknown plug-in
    ASSERT_EQ(h->Buttons().size(), 2u);
    EXPECT_EQ(h->Buttons()[1].text, "Отчет\nПоказать таблицу с отчетом");

    EXPECT_FALSE(h->PressButton(c1));  // nothing attached yet
    std::vector<uint32_t> codes;
    ASSERT_TRUE(h->AttachPlugin(id, [&](uint32_t code, plat::Variant*) {
        codes.push_back(code);
        // A command may wait for a worker that calls the host: the host must
        // not hold its lock while the plug-in runs.
        std::thread worker([&] {
            host::Signal s = app.NewSignal();
            app.AddSignal("/Signals/fromWorker", "s", s);
        });
        worker.join();
    }));
    EXPECT_FALSE(h->AttachPlugin(id + 50, nullptr));

    EXPECT_TRUE(h->PressButton(c2));
    EXPECT_FALSE(h->PressButton(c2 + 100));
    host::GraphService gs = app.GetGraphService();
    const int w = gs.NewGraphWindow();
    gs.AddGraph(w);
    EXPECT_TRUE(h->MoveCursor(gs.GetGraph(w, 0), 1.5));
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], static_cast<uint32_t>(c2) << 16);
    EXPECT_EQ(codes[0] >> 16, static_cast<uint32_t>(c2));
    EXPECT_EQ(codes[1], 0x2FFFFu);
    EXPECT_EQ(app.GetFolder("/Signals/fromWorker").ItemCount(), 2);

    // No command id is the high word of a host event: the plug-in would run
    // that button on event 0x10210001.
    for (int k = 0; k < 4000; ++k) ASSERT_NE(app.NewCommandId(), 0x1021);
}

void ExpectSameSignal(const host::Signal& a, const host::Signal& b, double tol) {
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.Unit(), b.Unit());
    ASSERT_EQ(a.PointCount(), b.PointCount());
    EXPECT_NEAR(a.StartX(), b.StartX(), 1e-12);
    EXPECT_NEAR(a.StepX(), b.StepX(), std::abs(a.StepX()) * 1e-12);
    for (int i = 0; i < a.PointCount(); ++i)
        EXPECT_NEAR(a.GetY(i), b.GetY(i), std::abs(a.GetY(i)) * tol + 1e-300) << a.Name() << i;
}

TEST_F(HostFiles, ExportAndOpenRoundTrip) {
    TempDir dir{"host"};
    host::Signal a = MakeSignal("Канал 1", {0.1, -2.5, 3e-7, 12345.678}, 1.0 / 25600);
    plat::DynamicCast<SignalObj>(a.Disp())->SetUnit("m/s^2");
    a.SetText5("датчик A");
    a.SetStartTime(45000.125);
    a.SetAttribute("source", "bench");
    host::Signal b = MakeSignal("b", {1, 2, 3}, 0.5);
    plat::DynamicCast<SignalObj>(b.Disp())->SetUnit("mm/s");
    ASSERT_TRUE(app.AddSignal("/Signals/orig", "", a));
    ASSERT_TRUE(app.AddSignal("/Signals/orig/sub", "", b));

    std::string msg;
    ASSERT_TRUE(h->ExportFolder("/Signals/orig", ExportFormat::Quor, dir.Path("copy.quor"), &msg))
        << msg;
    plat::DispPtr file = app.OpenDataFile(dir.Path("copy.quor"));
    ASSERT_TRUE(file) << h->LastLoadMessage();
    EXPECT_EQ(app.GetObjectKind(file), KindDataFile);
    host::Folder f = app.GetDataFolder(file);
    ASSERT_TRUE(f);
    EXPECT_EQ(f.GetPath(), "/Signals/copy");
    EXPECT_EQ(f.GetPath().substr(9), "copy");  // what the plug-in keeps as the data-set name

    host::Signal a2 = app.GetSignal("/Signals/copy/Канал 1");
    host::Signal b2 = app.GetSignal("/Signals/copy/sub/b");
    ExpectSameSignal(a, a2, 0);
    ExpectSameSignal(b, b2, 0);
    EXPECT_EQ(a2.Text5(), "датчик A");
    EXPECT_EQ(a2.GetStartTime(), 45000.125);
    EXPECT_EQ(a2.GetAttribute("source"), "bench");
    EXPECT_EQ(a2.GetAxisCode(1, 1), units::kQuantityAcceleration);
    EXPECT_EQ(b2.GetAxisCode(2, 1), units::kUnitMillimeterPerSecond);

    // Loading again replaces the signals in place: nothing is added.
    a2.SetY(0, 99);
    ASSERT_TRUE(app.OpenDataFile(dir.Path("copy.quor")));
    EXPECT_EQ(f.ItemCount(), 2);
    EXPECT_EQ(app.GetSignal("/Signals/copy/Канал 1").GetY(0), 0.1);

    // A repeated name in one file is suffixed, and loading it again still
    // replaces rather than adds.
    DataSet twice;
    twice.signals.resize(2);
    twice.signals[0].name = twice.signals[1].name = "x";
    twice.signals[0].samples = {1};
    twice.signals[1].samples = {2};
    ASSERT_TRUE(WriteQuor(dir.Path("twice.quor"), twice).ok);
    for (int load = 0; load < 2; ++load) {
        host::Folder tf = app.GetDataFolder(app.OpenDataFile(dir.Path("twice.quor")));
        ASSERT_TRUE(tf) << h->LastLoadMessage();
        ASSERT_EQ(tf.ItemCount(), 2);
        EXPECT_EQ(app.GetSignal("/Signals/twice/x (2)").GetY(0), 2);
    }

    // UFF 58, ASCII and binary, carries names, units, steps and values.
    for (auto [format, name, tol] : {std::tuple{ExportFormat::Uff58, "u.uff", 1e-11},
                                     std::tuple{ExportFormat::Uff58Binary, "ub.uff", 0.0}}) {
        ASSERT_TRUE(h->ExportFolder("/Signals/orig", format, dir.Path(name), &msg)) << msg;
        host::Folder uf = app.GetDataFolder(app.OpenDataFile(dir.Path(name)));
        ASSERT_TRUE(uf) << h->LastLoadMessage();
        ExpectSameSignal(a, app.GetSignal(uf.GetPath() + "/Канал 1"), tol);
        ExpectSameSignal(b, app.GetSignal(uf.GetPath() + "/sub/b"), tol);
    }

    ASSERT_TRUE(h->ExportFolder("/Signals/orig", ExportFormat::Csv, dir.Path("csv"), &msg)) << msg;
    std::ifstream csv(dir.Path("csv/sub/b.csv"));
    std::string header;
    ASSERT_TRUE(std::getline(csv, header));
    EXPECT_EQ(header, "time_s,value");

    EXPECT_FALSE(h->ExportFolder("/Signals/none", ExportFormat::Quor, dir.Path("x.quor"), &msg));
    EXPECT_NE(msg.find("/Signals/none"), std::string::npos);
}

TEST_F(HostFiles, ChannelsDifferingOnlyInCaseStayApart) {
    TempDir dir{"host"};
    host::Signal lower = MakeSignal("b", {1, 2}, 0.5);
    host::Signal upper = MakeSignal("B", {3, 4}, 0.5);
    ASSERT_TRUE(app.AddSignal("/Signals/orig", "", lower));
    ASSERT_TRUE(app.AddSignal("/Signals/orig", "", upper));
    EXPECT_EQ(upper.Name(), "B");

    std::string msg;
    for (auto [format, name] :
         {std::pair{ExportFormat::Quor, "c.quor"}, std::pair{ExportFormat::Uff58, "c.uff"},
          std::pair{ExportFormat::Uff58Binary, "cb.uff"}}) {
        ASSERT_TRUE(h->ExportFolder("/Signals/orig", format, dir.Path(name), &msg)) << msg;
        host::Folder f = app.GetDataFolder(app.OpenDataFile(dir.Path(name)));
        ASSERT_TRUE(f) << h->LastLoadMessage();
        EXPECT_EQ(f.ItemCount(), 2) << name;
        EXPECT_EQ(app.GetSignal(f.GetPath() + "/b").GetY(0), 1) << name;
        EXPECT_EQ(app.GetSignal(f.GetPath() + "/B").GetY(0), 3) << name;
    }
    // What the engine files per channel: "b/" and "B/" are two result folders.
    host::Signal rb = MakeSignal("b.band", {5});
    host::Signal rB = MakeSignal("B.band", {6});
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/orig/b/", rb.Name(), rb));
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/orig/B/", rB.Name(), rB));
    EXPECT_EQ(app.GetFolder("/Signals/Результаты/orig").ItemCount(), 2);
    EXPECT_EQ(app.GetSignal("/Signals/Результаты/orig/B/B.band").GetY(0), 6);

    // CSV files of one folder compare without case, as the file system may.
    ASSERT_TRUE(h->ExportFolder("/Signals/orig", ExportFormat::Csv, dir.Path("csv"), &msg)) << msg;
    EXPECT_TRUE(fs::exists(dir.Path("csv/b.csv")));
    EXPECT_TRUE(fs::exists(dir.Path("csv/B (2).csv")));

    // A file whose signal is named like one of its own sub-folders loads
    // whole, the signal taking the next free name.
    DataSet clash;
    clash.signals.resize(2);
    clash.signals[0].name = "x";
    clash.signals[0].samples = {1};
    clash.signals[1].folder = "x";
    clash.signals[1].name = "y";
    clash.signals[1].samples = {2};
    ASSERT_TRUE(WriteQuor(dir.Path("clash.quor"), clash).ok);
    for (int load = 0; load < 2; ++load) {
        host::Folder f = app.GetDataFolder(app.OpenDataFile(dir.Path("clash.quor")));
        ASSERT_TRUE(f) << h->LastLoadMessage();
        EXPECT_EQ(f.ItemCount(), 2);
        EXPECT_EQ(app.GetSignal("/Signals/clash/x (2)").GetY(0), 1);
        EXPECT_EQ(app.GetSignal("/Signals/clash/x/y").GetY(0), 2);
    }
}

TEST_F(HostFiles, BadFilesLeaveTheTreeAsItWas) {
    TempDir dir{"host"};
    host::Signal a = MakeSignal("a", std::vector<double>(1000, 1.5));
    ASSERT_TRUE(app.AddSignal("/Signals/orig", "", a));
    std::string msg;
    ASSERT_TRUE(h->ExportFolder("/Signals/orig", ExportFormat::Quor, dir.Path("good.quor"), &msg));

    // A truncated copy of a good file, garbage under each extension, a
    // missing file.
    const std::string good = testutil::ReadBytes(dir.Path("good.quor"));
    testutil::WriteBytes(dir.Path("cut.quor"), good.substr(0, good.size() / 2));
    testutil::WriteBytes(dir.Path("junk.uff"), "    -1\n    58\nnot a record\n");
    testutil::WriteBytes(dir.Path("junk.wav"), std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
    const uint64_t changes = h->ChangeCount();
    const int signalsCount = app.GetFolder("/Signals").ItemCount();
    for (const char* name : {"cut.quor", "junk.uff", "junk.wav", "missing.quor"}) {
        const std::string path = dir.Path(name);
        EXPECT_FALSE(app.OpenDataFile(path)) << name;
        EXPECT_FALSE(h->LastLoadMessage().empty()) << name;
        EXPECT_NE(h->LastLoadMessage().find(name), std::string::npos) << h->LastLoadMessage();
        EXPECT_FALSE(h->LoadDataFile(path, &msg));
        EXPECT_EQ(msg, h->LastLoadMessage());
    }
    EXPECT_EQ(h->ChangeCount(), changes);
    EXPECT_EQ(app.GetFolder("/Signals").ItemCount(), signalsCount);
    EXPECT_FALSE(app.PathExists("/Signals/cut"));

    // A signal in the way of the data folder: refused, tree untouched.
    host::Signal blocker = MakeSignal("good", {1});
    ASSERT_TRUE(app.AddSignal("/Signals", "", blocker));
    EXPECT_FALSE(app.OpenDataFile(dir.Path("good.quor")));
    EXPECT_NE(h->LastLoadMessage().find("good.quor"), std::string::npos);
    EXPECT_EQ(app.GetObjectKind(app.GetObject("/Signals/good")), host::KindSignal);
    // A later good load clears the message.
    fs::copy_file(dir.Path("good.quor"), dir.Path("fine.quor"));
    EXPECT_TRUE(app.OpenDataFile(dir.Path("fine.quor")));
    EXPECT_EQ(h->LastLoadMessage(), "");
}

TEST_F(HostThreads, WriterAndReaderAtOnce) {
    constexpr int kSignals = 150, kPoints = 64;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 0; k < kSignals; ++k) {
            host::Signal s = app.NewSignal();
            s.SetPointCount(kPoints);
            ASSERT_TRUE(app.AddSignal("/Signals/live", "s", s));
            for (int i = 0; i < kPoints; ++i) s.SetY(i, k + i * 0.5);  // written after filing
            s.SetName("done " + std::to_string(k));
        }
        app.UpdateViews();
        done = true;
    });
    long reads = 0;
    while (!done) {
        host::Folder f = app.GetFolder("/Signals/live");
        if (!f) continue;
        for (int i = 0, n = f.ItemCount(); i < n; ++i) {
            host::Item it = f.GetItem(i);
            host::Signal s(it.GetItemObject());
            const int points = s.PointCount();
            for (int j = 0; j < points; ++j) reads += s.GetY(j) >= 0;
            EXPECT_FALSE(it.ItemName().empty());
        }
    }
    writer.join();
    EXPECT_EQ(app.GetFolder("/Signals/live").ItemCount(), kSignals);
    EXPECT_EQ(app.GetSignal("/Signals/live/done 7").GetY(2), 8.0);
    EXPECT_GE(reads, 0);
}

TEST_F(HostThreads, OperatorParametersBelongToTheThreadThatSetsThem) {
    host::Operator op = app.GetOperator(kAutoSpectrumPath);
    ASSERT_TRUE(op);
    std::vector<double> x(1024);
    for (size_t i = 0; i < x.size(); ++i) x[i] = std::sin(2 * pi * 50 * i / 1024.0) + 0.25;
    const host::Signal input = MakeSignal("x", x, 1.0 / 1024);

    // The spectrum of one run on this thread, as its first lines.
    auto spectrum = [&](const host::Signal& in) {
        plat::DispPtr out;
        std::vector<double> lines;
        if (op.RunOperator(in.Disp(), out) != 0 || !out) return lines;
        const host::Signal s(out);
        for (int i = 0; i < 60; ++i) lines.push_back(s.GetY(i));
        return lines;
    };
    op.SetParameter("typeWindow", 1.0);
    const std::vector<double> rect = spectrum(input);
    op.SetParameter("typeWindow", 3.0);
    const std::vector<double> hann = spectrum(input);
    ASSERT_EQ(rect.size(), 60u);
    ASSERT_NE(rect, hann);

    // Two threads with their own windows, each running many times while the
    // other changes its own set: neither sees the other's window.
    std::atomic<int> wrong{0};
    auto worker = [&](double window, const std::vector<double>& want) {
        op.SetParameters("typeWindow=1, isMO=0");
        op.SetParameter("typeWindow", window);
        const host::Signal own = MakeSignal("own", x, 1.0 / 1024);  // unfiled: no host lock
        for (int k = 0; k < 40; ++k) {
            op.SetParameter("typeWindow", window);
            if (spectrum(own) != want) ++wrong;
            if (op.GetOperatorState() != 0) ++wrong;
        }
    };
    std::thread a(worker, 1.0, rect);
    std::thread b(worker, 3.0, hann);
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);

    // This thread keeps its own set; a thread that sets nothing runs with the
    // set last made on any thread (here, this thread's next change).
    EXPECT_EQ(spectrum(input), hann);
    op.SetParameter("typeWindow", 1.0);
    std::vector<double> other;
    std::thread c([&] { other = spectrum(input); });
    c.join();
    EXPECT_EQ(other, rect);

    // A run on a filed signal while another thread writes the tree.
    ASSERT_TRUE(app.AddSignal("/Signals/ops", "x", input));
    const host::Signal filed = app.GetSignal("/Signals/ops/x");
    std::thread writer([&] {
        for (int k = 0; k < 50; ++k) app.AddSignal("/Signals/ops", "w", MakeSignal("w", x));
    });
    for (int k = 0; k < 20; ++k) EXPECT_EQ(spectrum(filed), rect);
    writer.join();
}

}  // namespace
}  // namespace korvex