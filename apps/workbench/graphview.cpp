// A graph of a graph window drawn: its curves from min/max envelopes (built
// on workers for recordings on disk) into a cached layer, its axes and
// lines, the cursors and the legend on top. Input: graphview_input.cpp.

#include "apps/workbench/graphview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "apps/workbench/graphlayout.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/texts.h"

namespace workbench {

// The envelope of a recording on disk, built on a worker so that a long
// recording shows at once. The job holds the values it reads (they never
// change in place) and is stopped and joined when its trace goes.
struct EnvelopeJob {
    korvex::SampleBuffer samples;
    korvex::Envelope envelope;
    std::atomic<bool> stop{false}, done{false};
    std::atomic<int> permille{0};
    std::thread thread;
    ~EnvelopeJob() {
        stop.store(true);
        if (thread.joinable()) thread.join();
    }
};

namespace {

const QColor kCursorA(200, 0, 0), kCursorB(170, 0, 150);
// Legend row: swatch and gaps before the name; room for the scroll bar.
constexpr double kSwatchW = 24, kScrollW = 8;

// A tick step of 1, 2 or 5 times a power of ten giving about n ticks.
double NiceStep(double range, int n) {
    if (!(range > 0) || !std::isfinite(range)) return 1.0;
    const double raw = range / n;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / mag;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * mag;
}

QString Number(double v, double step) {
    if (std::fabs(v) < step * 1e-6) v = 0;  // no "-1.2e-17" at the origin
    return QString::number(v, 'g', 6);
}

QRectF ToRect(const Box& b) {
    return QRectF(b.x, b.y, b.w, b.h);
}

// The legend's font and the widths every legend of a window agrees on. A
// signal takes one line, or two (its name above its values) when a narrow
// legend would leave the name too little room.
struct LegendFont {
    LegendFont(QFont base, int valueColumns, double width)
        : font(std::move(base)), columns(valueColumns) {
        font.setPointSizeF(8.5);
        const QFontMetricsF fm(font);
        row = std::ceil(fm.height()) + 1;
        // Wide enough for any six-digit value ("-0.000123457", "-1.23457e+06").
        value = std::ceil(fm.horizontalAdvance("-0.000123457")) + 8;
        twoLines = width - kSwatchW - 6 - columns * value - kScrollW < 70;
        step = twoLines ? 2 * row : row;
    }
    QFont font;
    int columns;
    double row = 0, value = 0, step = 0;
    bool twoLines = false;
};

}  // namespace

QColor TraceColor(size_t index) {
    static const QColor colors[] = {QColor(31, 119, 180), QColor(214, 39, 40),
                                    QColor(44, 160, 44),  QColor(148, 103, 189),
                                    QColor(255, 127, 14), QColor(23, 190, 207)};
    return colors[index % std::size(colors)];
}

GraphView::GraphView(korvex::Host& host, int graphId, GraphWindow* owner)
    : QWidget(owner), host_(host), graphId_(graphId), owner_(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMinimumHeight(80);
    setAttribute(Qt::WA_OpaquePaintEvent);
    progress_.setInterval(150);
    connect(&progress_, &QTimer::timeout, this, [this] { Invalidate(); });
}

int GraphView::PendingEnvelopes() const {
    return static_cast<int>(
        std::count_if(traces_.begin(), traces_.end(), [](const Trace& t) { return t.job; }));
}

QRectF GraphView::PlotRect() const {
    return ToRect(
        LayOutGraph(width(), height(), owner_->PlotMargins(), owner_->LegendWidth()).plot);
}

QRectF GraphView::LegendRect() const {
    return ToRect(
        LayOutGraph(width(), height(), owner_->PlotMargins(), owner_->LegendWidth()).legend);
}

bool GraphView::SetSignals(const std::vector<int>& ids) {
    if (ids == ids_) return false;
    ids_ = ids;
    std::vector<Trace> next;
    for (int id : ids) {
        auto old = std::find_if(traces_.begin(), traces_.end(),
                                [&](const Trace& t) { return t.id == id; });
        if (old != traces_.end()) {
            next.push_back(std::move(*old));
            continue;
        }
        Trace t;
        t.id = id;
        t.signal = host_.Graphs().SignalById(id);
        if (t.signal) next.push_back(std::move(t));
    }
    traces_ = std::move(next);
    Invalidate();
    return true;
}

void GraphView::Invalidate() {
    dirty_ = true;
    update();
}

bool GraphView::DataExtent(double& lo, double& hi) const {
    bool any = false;
    korvex::Lock lock = host_.LockTree();
    auto xs = owner_->XSignalObj();
    for (const Trace& t : traces_) {
        const auto& y = t.signal->SamplesLocked();
        if (y.empty()) continue;
        double a, b;
        if (xs) {
            const auto& xv = xs->SamplesLocked();
            auto [mn, mx] = std::minmax_element(xv.begin(), xv.end());
            if (mn == xv.end()) continue;
            a = *mn;
            b = *mx;
        } else {
            a = t.signal->StartXLocked();
            b = a + t.signal->StepXLocked() * static_cast<double>(y.size() - 1);
            if (a > b) std::swap(a, b);
        }
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    }
    return any;
}

double GraphView::XOfPixel(double px) const {
    const QRectF r = PlotRect();
    return owner_->Lo() + (px - r.left()) / r.width() * (owner_->Hi() - owner_->Lo());
}

double GraphView::PixelOfX(double x) const {
    const QRectF r = PlotRect();
    return r.left() + (x - owner_->Lo()) / (owner_->Hi() - owner_->Lo()) * r.width();
}

void GraphView::PrepareTraces() {
    const uint64_t stamp = host_.UpdateCount();
    korvex::Lock lock = host_.LockTree();
    for (Trace& t : traces_) {
        const auto& y = t.signal->SamplesLocked();
        if (!y.IsMapped()) {
            t.job.reset();
            if (t.builtAt != stamp || t.envelope.Size() != y.size()) {
                t.envelope.Build(y);
                t.builtAt = stamp;
            }
            continue;
        }
        if (t.builtFrom == y.data() && t.envelope.Size() == y.size() && !t.job) {
            t.builtAt = stamp;  // the same values on disk: the envelope holds
            continue;
        }
        if (t.job && t.job->samples.data() == y.data() && t.job->samples.size() == y.size()) {
            if (!t.job->done.load(std::memory_order_acquire)) continue;
            t.envelope = std::move(t.job->envelope);
            t.builtFrom = y.data();
            t.builtAt = stamp;
            t.job.reset();
            continue;
        }
        t.job = StartEnvelope(y);  // an outdated job is stopped by its destructor
        t.builtAt = UINT64_MAX;
    }
    if (PendingEnvelopes() > 0)
        progress_.start();
    else
        progress_.stop();
    ylines_.clear();
    for (const Trace& t : traces_)
        for (korvex::YLine& l : korvex::ParseYLines(t.signal->AttributeLocked(korvex::kYLinesAttr)))
            if (std::none_of(ylines_.begin(), ylines_.end(), [&](const korvex::YLine& o) {
                    return o.y == l.y && o.label == l.label;
                }))
                ylines_.push_back(std::move(l));
}

std::shared_ptr<EnvelopeJob> GraphView::StartEnvelope(const korvex::SampleBuffer& y) {
    auto job = std::make_shared<EnvelopeJob>();
    job->samples = y;
    EnvelopeJob* j = job.get();  // the job joins the thread before it goes
    job->thread = std::thread([j] {
        j->envelope.Build(j->samples, [j](double share) {
            j->permille.store(static_cast<int>(share * 1000), std::memory_order_relaxed);
            // What has been read goes back as the reading goes on.
            j->samples.DoneBefore(
                static_cast<size_t>(share * static_cast<double>(j->samples.size())));
            return !j->stop.load(std::memory_order_relaxed);
        });
        j->samples.DoneWithAll();  // a recording on disk keeps only what is drawn
        j->done.store(true, std::memory_order_release);
    });
    return job;
}

void GraphView::YRange(double& lo, double& hi) const {
    if (!autoY_) {
        lo = yLo_;
        hi = yHi_;
        return;
    }
    korvex::MinMax m{INFINITY, -INFINITY};
    const bool time = owner_->XSignal() == 0;
    for (const Trace& t : traces_) {
        if (!t.Ready()) continue;
        const auto& y = t.signal->SamplesLocked();
        size_t from = 0, to = y.size();
        if (time && t.signal->StepXLocked() > 0) {
            const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
            const double a = std::floor((owner_->Lo() - x0) / dx);
            const double b = std::ceil((owner_->Hi() - x0) / dx) + 1;
            from = static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(y.size())));
            to = static_cast<size_t>(std::clamp(b, 0.0, static_cast<double>(y.size())));
        }
        const korvex::MinMax r = t.envelope.Range(y, from, to);
        if (r.Empty()) continue;
        m.min = std::min(m.min, r.min);
        m.max = std::max(m.max, r.max);
    }
    // Limits stay in view, so a level is always seen against them.
    if (!m.Empty())
        for (const korvex::YLine& l : ylines_) {
            m.min = std::min(m.min, l.y);
            m.max = std::max(m.max, l.y);
        }
    if (m.Empty()) {
        lo = 0;
        hi = 1;
    } else if (m.max - m.min < 1e-300) {
        lo = m.min - 1;
        hi = m.max + 1;
    } else {
        const double pad = (m.max - m.min) * 0.05;
        lo = m.min - pad;
        hi = m.max + pad;
    }
}

void GraphView::DrawTimeTrace(QPainter& p, const Trace& t, const QRectF& r, double yLo,
                              double yHi) {
    const auto& y = t.signal->SamplesLocked();
    const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
    if (y.empty() || !(dx > 0)) return;
    const double lo = owner_->Lo(), hi = owner_->Hi();
    const double yScale = r.height() / (yHi - yLo);
    auto py = [&](double v) { return r.bottom() - (v - yLo) * yScale; };
    const int columns = std::max(1, static_cast<int>(r.width()));
    const double perColumn = (hi - lo) / dx / columns;

    if (perColumn > 2.0) {
        // Many samples per pixel: one stroke from minimum to maximum per
        // column, joined to the previous column so the curve stays whole.
        std::vector<korvex::MinMax> cols(static_cast<size_t>(columns));
        t.envelope.Columns(y, (lo - x0) / dx, perColumn, cols);
        std::vector<QLineF> lines;
        lines.reserve(cols.size());
        korvex::MinMax prev{1, 0};
        for (size_t c = 0; c < cols.size(); ++c) {
            korvex::MinMax m = cols[c];
            if (m.Empty()) {
                prev = m;
                continue;
            }
            if (!prev.Empty()) {
                if (prev.max < m.min) m.min = prev.max;
                if (prev.min > m.max) m.max = prev.min;
            }
            prev = cols[c];
            const double x = r.left() + static_cast<double>(c) + 0.5;
            double a = py(m.max), b = py(m.min);
            if (b - a < 1.0) b = a + 1.0;
            lines.emplace_back(x, a, x, b);
        }
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        return;
    }
    const double n = static_cast<double>(y.size());
    const size_t i0 = static_cast<size_t>(std::clamp(std::floor((lo - x0) / dx) - 1, 0.0, n));
    const size_t i1 = static_cast<size_t>(std::clamp(std::ceil((hi - x0) / dx) + 2, 0.0, n));
    const double xScale = r.width() / (hi - lo);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(i1 - i0));
    for (size_t i = i0; i < i1; ++i) {
        if (std::isnan(y[i])) {
            p.drawPolyline(line);
            line.clear();
            continue;
        }
        line.append(QPointF(r.left() + (x0 + dx * static_cast<double>(i) - lo) * xScale, py(y[i])));
    }
    p.drawPolyline(line);
}

void GraphView::DrawAgainstSignal(QPainter& p, const Trace& t, const korvex::SignalObj& xs,
                                  const QRectF& r, double yLo, double yHi) {
    const auto& y = t.signal->SamplesLocked();
    const double x0 = t.signal->StartXLocked(), dx = t.signal->StepXLocked();
    const auto& xv = xs.SamplesLocked();
    const double lo = owner_->Lo(), hi = owner_->Hi();
    const size_t stride = std::max<size_t>(1, y.size() / (4 * static_cast<size_t>(r.width() + 1)));
    QPolygonF line;
    for (size_t i = 0; i < y.size(); i += stride) {
        const double tt = x0 + dx * static_cast<double>(i);
        const double x = korvex::SampleAt(xv, xs.StartXLocked(), xs.StepXLocked(), tt);
        line.append(QPointF(r.left() + (x - lo) / (hi - lo) * r.width(),
                            r.bottom() - (y[i] - yLo) / (yHi - yLo) * r.height()));
    }
    p.drawPolyline(line);
}

// The lines the signals ask for, each labelled at the plot's right end.
void GraphView::DrawYLines(QPainter& p, const QRectF& r, double yLo, double yHi) {
    const QFontMetricsF fm(p.font());
    for (const korvex::YLine& l : ylines_) {
        const double py = r.bottom() - (l.y - yLo) / (yHi - yLo) * r.height();
        if (py < r.top() - 1 || py > r.bottom() + 1) continue;
        const QColor colour(static_cast<QRgb>(0xFF000000u | l.rgb));
        p.setPen(QPen(colour, 1.5, l.dashed ? Qt::DashLine : Qt::SolidLine));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        const QString label = QString::fromStdString(l.label);
        const double w = fm.horizontalAdvance(label) + 6;
        const double top = py - fm.height() - 1 < r.top() ? py + 1 : py - fm.height() - 1;
        const QRectF box(r.right() - w - 2, top, w, fm.height());
        p.fillRect(box, QColor(255, 255, 255, 200));  // legible over a curve
        p.drawText(box, Qt::AlignCenter, label);
    }
}

// The y grid and tick labels (only measured when draw is false); returns
// the width of the widest label.
double GraphView::DrawYAxis(QPainter& p, double yLo, double yHi, bool draw) {
    const QRectF r = PlotRect();
    const QFontMetricsF fm(p.font());
    const double ys = NiceStep(yHi - yLo, std::max(2, static_cast<int>(r.height() / 40)));
    double widest = 0;
    for (double v = std::ceil(yLo / ys) * ys; v <= yHi; v += ys) {
        const QString label = Number(v, ys);
        widest = std::max(widest, fm.horizontalAdvance(label));
        if (!draw) continue;
        const double py = r.bottom() - (v - yLo) / (yHi - yLo) * r.height();
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(0, py - 8, r.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter, label);
    }
    return widest;
}

void GraphView::RenderBase(QPainter& p) {
    ++baseRenders_;
    p.fillRect(rect(), Qt::white);
    PrepareTraces();
    korvex::Lock lock = host_.LockTree();
    double yLo, yHi;
    YRange(yLo, yHi);
    const double lo = owner_->Lo(), hi = owner_->Hi();
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    // What the x axis is: time, or the signal picked for it.
    auto xsig = owner_->XSignalObj();
    QString xName = wbtext::kXAxisTime;
    if (xsig) xName = QString::fromStdString(SignalLabel(xsig->NameLocked(), xsig->UnitLocked()));

    // The window gives all its graphs the widest axis that one asks for.
    const double name = std::min(120.0, QFontMetricsF(f).horizontalAdvance(xName));
    axisWanted_ = std::ceil(std::max({36.0, DrawYAxis(p, yLo, yHi, false) + 10, name + 18}));
    owner_->NoteAxisWidth(this);
    const QRectF r = PlotRect();

    const double xs = NiceStep(hi - lo, std::max(2, static_cast<int>(r.width() / 90)));
    for (double x = std::ceil(lo / xs) * xs; x <= hi; x += xs) {
        const double px = r.left() + (x - lo) / (hi - lo) * r.width();
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(px - 40, r.bottom() + 2, 80, kPlotBottom - 4), Qt::AlignCenter,
                   Number(x, xs));
    }
    DrawYAxis(p, yLo, yHi, true);

    p.save();
    p.setClipRect(r);
    int pending = 0, permille = 0;
    for (size_t i = 0; i < traces_.size(); ++i) {
        if (!traces_[i].Ready()) {
            ++pending;
            if (traces_[i].job) permille += traces_[i].job->permille.load();
            continue;
        }
        p.setPen(QPen(TraceColor(i), 1.0));
        if (xsig)
            DrawAgainstSignal(p, traces_[i], *xsig, r, yLo, yHi);
        else
            DrawTimeTrace(p, traces_[i], r, yLo, yHi);
    }
    DrawYLines(p, r, yLo, yHi);
    if (pending > 0) {
        p.setPen(Qt::darkGray);
        p.drawText(r, Qt::AlignCenter,
                   QString(wbtext::kOverviewProgress).arg(permille / pending / 10));
    }
    p.restore();
    p.setPen(Qt::gray);
    p.drawRect(r);
    p.setPen(Qt::darkGray);
    // Clear of the first tick label, centred on the plot's left edge.
    p.drawText(QRectF(0, r.bottom() + 2, r.left() - 14, kPlotBottom - 4),
               Qt::AlignRight | Qt::AlignVCenter, xName);
    yLo_ = yLo;
    yHi_ = yHi;
}

void GraphView::PaintCursor(QPainter& p, double t, const QColor& color, Qt::PenStyle style,
                            const QString& label, bool top) {
    const QRectF r = PlotRect();
    const double px = PixelOfX(owner_->XOfTime(t));
    if (!(px >= r.left() && px <= r.right())) return;
    p.setPen(QPen(color, 1.0, style));
    p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
    QFont cf = font();
    cf.setPointSizeF(8);
    p.setFont(cf);
    const double lw = QFontMetrics(cf).horizontalAdvance(label) + 8;
    // A's label stands on the time axis under the plot, over the tick
    // labels it reads better than, so it never hides the curve at the bottom.
    // Centred on the line, so that it covers the tick label under it whole.
    const double x = top ? std::min(px + 3, r.right() - lw)
                         : std::clamp(px - lw / 2, r.left(), std::max(r.left(), r.right() - lw));
    const QRectF lr(x, top ? r.top() + 2 : r.bottom() + 3, lw, 14);
    p.fillRect(lr, top ? QColor(255, 255, 255, 210) : QColor(255, 255, 255));
    p.setPen(color);
    p.drawText(lr, Qt::AlignCenter, label);
}

void GraphView::PaintCursorLayer(QPainter& p) {
    const double t = owner_->CursorTime();
    if (!owner_->CursorBOn()) {
        PaintCursor(p, t, kCursorA, Qt::SolidLine, QString(wbtext::kCursorLabel).arg(t, 0, 'g', 7),
                    false);
    } else {
        const double tb = owner_->CursorB();
        PaintCursor(p, t, kCursorA, Qt::SolidLine, QString(wbtext::kCursorALabel).arg(t, 0, 'g', 7),
                    false);
        PaintCursor(p, tb, kCursorB, Qt::DashLine,
                    QString(wbtext::kCursorBLabel).arg(tb, 0, 'g', 7), true);
    }
    if (owner_->LegendWidth() > 0) PaintLegend(p);
}

int GraphView::LegendHeaderRows() const {
    return owner_->CursorBOn() ? 1 : 0;
}

double GraphView::WantedLegendWidth() const {
    if (traces_.empty()) return 0;
    const int columns = owner_->CursorBOn() ? 3 : 1;
    const LegendFont lf(font(), columns, INFINITY);
    const QFontMetricsF fm(lf.font);
    double names = 0;
    korvex::Lock lock = host_.LockTree();
    for (const Trace& t : traces_) {
        const std::string label = SignalLabel(t.signal->NameLocked(), t.signal->UnitLocked());
        names = std::max(names, fm.horizontalAdvance(QString::fromStdString(label)));
    }
    return std::ceil(kSwatchW + names + 6 + columns * lf.value + kScrollW);
}

void GraphView::ScrollLegend(int rows) {
    const QRectF box = LegendRect();
    const LegendFont lf(font(), owner_->CursorBOn() ? 3 : 1, box.width());
    const double height = box.height() - 4 - LegendHeaderRows() * lf.row;
    legendFirst_ =
        FitLegend(static_cast<int>(traces_.size()), lf.step, height, legendFirst_ + rows).first;
    update();
}

// Every signal with its unit and its value at A, and with B on also at B and
// B - A under a header row.
void GraphView::PaintLegend(QPainter& p) {
    const bool b = owner_->CursorBOn();
    Readout rd;
    {
        korvex::Lock lock = host_.LockTree();
        std::vector<ReadSignal> in;
        for (const Trace& t : traces_) {
            const korvex::SignalObj& s = *t.signal;
            in.push_back({s.NameLocked(), s.UnitLocked(), s.SamplesLocked(), s.StartXLocked(),
                          s.StepXLocked()});
        }
        rd = ReadCursors(in, owner_->CursorTime(),
                         b ? std::optional<double>(owner_->CursorB()) : std::nullopt);
    }
    if (rd.rows.empty()) return;
    QRectF box = LegendRect();
    const LegendFont lf(font(), b ? 3 : 1, box.width());
    const double header = b ? lf.row : 0;
    const LegendRows fit = FitLegend(static_cast<int>(rd.rows.size()), lf.step,
                                     box.height() - 4 - header, legendFirst_);
    legendFirst_ = fit.first;
    box.setHeight(std::min(box.height(), 4 + header + fit.count * lf.step));
    p.save();
    p.setClipRect(box.adjusted(0, 0, 1, 1));
    p.setFont(lf.font);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(box);
    // Under the names, the values spread over the whole row.
    const double valueW =
        lf.twoLines ? std::min(lf.value, (box.width() - kScrollW - 6) / lf.columns) : lf.value;
    const double values = box.right() - kScrollW - lf.columns * valueW;
    auto cell = [&](int column, double y, const QString& text) {
        p.drawText(QRectF(values + column * valueW, y, valueW, lf.row),
                   Qt::AlignRight | Qt::AlignVCenter, text);
    };
    double y = box.top() + 2;
    if (b) {
        const char* heads[] = {"A", "B", "B\u2212A"};
        const QColor colors[] = {kCursorA, kCursorB, Qt::black};
        for (int c = 0; c < 3; ++c) {
            p.setPen(colors[c]);
            cell(c, y, QString::fromUtf8(heads[c]));
        }
        y += lf.row;
    }
    const QFontMetricsF fm(lf.font);
    for (int i = fit.first; i < fit.first + fit.count; ++i, y += lf.step) {
        const SignalReading& row = rd.rows[static_cast<size_t>(i)];
        p.fillRect(QRectF(box.left() + 5, y + lf.row / 2 - 1.5, 12, 3),
                   TraceColor(static_cast<size_t>(i)));
        p.setPen(Qt::black);
        const double nameW =
            (lf.twoLines ? box.right() - kScrollW : values) - (box.left() + kSwatchW) - 2;
        p.drawText(QRectF(box.left() + kSwatchW - 3, y, nameW, lf.row),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(QString::fromStdString(row.label), Qt::ElideRight, nameW));
        const double vy = lf.twoLines ? y + lf.row : y;
        cell(0, vy, QString::fromStdString(FormatNumber(row.atA)));
        if (!b) continue;
        cell(1, vy, QString::fromStdString(FormatNumber(row.atB)));
        cell(2, vy, QString::fromStdString(FormatNumber(row.diff)));
    }
    if (fit.scrolls) {
        const double top = box.top() + 2 + header, h = box.bottom() - 2 - top;
        p.fillRect(QRectF(box.right() - 5, top, 3, h), QColor(235, 235, 235));
        p.fillRect(QRectF(box.right() - 5, top + fit.thumbTop * h, 3, fit.thumbSize * h),
                   QColor(150, 150, 150));
    }
    p.restore();
}

void GraphView::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (dirty_ || base_.size() != size() * dpr) {
        base_ = QPixmap(size() * dpr);
        base_.setDevicePixelRatio(dpr);
        QPainter bp(&base_);
        RenderBase(bp);
        dirty_ = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, base_);
    PaintCursorLayer(p);
    if (hasFocus()) {
        p.setPen(QPen(QColor(90, 140, 220), 1.0, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void GraphView::resizeEvent(QResizeEvent*) {
    dirty_ = true;
}

}  // namespace workbench
