// bench_workbench: how fast a graph window draws a long signal. A signal of
// 600 s at 25 600 Hz (15.36 M points) is shown in a 1600 x 400 graph,
// offscreen. Measured: building the signal's envelope (once per signal and
// change), a full redraw at full view, a redraw zoomed to one second, and a
// cursor move (the cached curves plus the cursor layer). References from the
// same run: one plain min/max pass over all samples, and one blit of the
// graph's pixmap.

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <cstdio>

#include "bench_util.h"
#include "korvex/dsp/envelope.h"
#include "korvex/host.h"
#include "apps/workbench/graphview.h"
#include "apps/workbench/graphwindow.h"

using bench::Clock;
using bench::Median;
using bench::Micros;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr double kRate = 25600.0, kSeconds = 600.0;
    const size_t n = static_cast<size_t>(kRate * kSeconds);

    auto host = korvex::CreateHost();
    korvex::SignalData d;
    d.name = "Acc1";
    d.unit = "m/s^2";
    d.stepX = 1.0 / kRate;
    d.samples.resize(n);
    uint64_t state = 12345;
    for (size_t i = 0; i < n; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = static_cast<double>(state >> 11) * 0x1.0p-53 - 0.5;
        const double t = static_cast<double>(i) / kRate;
        d.samples[i] = (1 + t / 100) * std::sin(2 * M_PI * 157.0 * t) + noise;
    }
    auto s = host->NewSignal();
    s->Assign(std::move(d));
    if (!s->SetName("Acc1") || !host->AddSignal("/Signals/bench", "", s)) {
        std::fprintf(stderr, "cannot file the signal\n");
        return 1;
    }

    korvex::GraphService& g = host->Graphs();
    const int window = g.NewWindow();
    const int graph = g.AddGraph(window);
    g.AddSignal(graph, s->Id());
    workbench::GraphWindow gw(*host, window);
    gw.Sync(g.Windows().front());
    gw.resize(1600 + 2, 400);
    // The first showing of a signal builds its envelope and draws it.
    workbench::GraphView* v = gw.Views().front();
    if (v->SignalIds().size() != 1) {
        std::fprintf(stderr, "the graph does not show the signal\n");
        return 1;
    }
    const auto first0 = Clock::now();
    gw.show();
    app.processEvents();
    v->repaint();
    const double firstMs = Micros(first0, Clock::now()) / 1000;

    auto redraw = [&](int rounds) {
        const int before = v->BaseRenders();
        std::vector<double> t;
        for (int k = 0; k < rounds; ++k) {
            v->Invalidate();
            const auto t0 = Clock::now();
            v->repaint();
            t.push_back(Micros(t0, Clock::now()));
        }
        if (v->BaseRenders() - before != rounds) std::puts("warning: a redraw drew no curves");
        return Median(t) / 1000;
    };
    gw.Autoscale();
    const double fullMs = redraw(15);
    gw.SetRange(300.0, 301.0);
    const double zoomMs = redraw(15);
    gw.Autoscale();
    v->repaint();

    const int rendersBefore = v->BaseRenders();
    std::vector<double> cur;
    for (int k = 0; k < 200; ++k) {
        const auto t0 = Clock::now();
        gw.MoveCursor(kSeconds * (k + 1) / 201.0, graph);
        v->repaint();
        cur.push_back(Micros(t0, Clock::now()));
    }
    const double cursorMs = Median(cur) / 1000;
    const bool cursorOnly = v->BaseRenders() == rendersBefore;

    // Reference: one plain pass over the samples. Measured after the
    // drawing, as the first passes over freshly written memory run slower.
    std::vector<double> ref;
    for (int k = 0; k < 5; ++k) {
        const auto t0 = Clock::now();
        korvex::Lock lock = host->LockTree();
        const auto& y = s->SamplesLocked();
        double mn = INFINITY, mx = -INFINITY;
        for (double v : y) {
            mn = std::min(mn, v);
            mx = std::max(mx, v);
        }
        ref.push_back(Micros(t0, Clock::now()));
        if (mn > mx) std::puts("");  // keep the loop
    }
    const double refScan = Median(ref) / 1000;

    std::vector<double> build;
    for (int k = 0; k < 3; ++k) {
        korvex::Envelope e;
        korvex::Lock lock = host->LockTree();
        const auto t0 = Clock::now();
        e.Build(s->SamplesLocked());
        build.push_back(Micros(t0, Clock::now()));
    }
    const double buildMs = Median(build) / 1000;

    QPixmap pm(v->size());
    pm.fill(Qt::white);
    QImage target(v->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> blit;
    for (int k = 0; k < 50; ++k) {
        const auto t0 = Clock::now();
        QPainter p(&target);
        p.drawPixmap(0, 0, pm);
        p.end();
        blit.push_back(Micros(t0, Clock::now()));
    }
    const double blitMs = Median(blit) / 1000;

    std::printf("signal: %zu points (600 s at 25600 Hz), graph %d x %d px\n", n, v->width(),
                v->height());
    std::printf("reference min/max pass over all samples   %8.2f ms\n", refScan);
    std::printf("envelope build (once per signal)          %8.2f ms  (%.2f x reference)\n", buildMs,
                buildMs / refScan);
    std::printf("first showing (envelope + redraw)         %8.2f ms  (aim <= 100 ms)\n", firstMs);
    std::printf(
        "full redraw at full view                  %8.2f ms  (%.2f x reference; aim <= 100 ms)\n",
        fullMs, fullMs / refScan);
    std::printf("redraw zoomed to 1 s (25600 points)       %8.2f ms\n", zoomMs);
    std::printf("reference pixmap blit                     %8.3f ms\n", blitMs);
    std::printf(
        "cursor move and repaint                   %8.3f ms  = %.0f frames/s (%.1f x blit; aim >= "
        "60)\n",
        cursorMs, 1000.0 / cursorMs, cursorMs / blitMs);
    std::printf("curves redrawn during cursor moves: %s\n", cursorOnly ? "no" : "YES");
    return 0;
}
