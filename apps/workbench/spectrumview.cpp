// A spectrum graph at the window's cursor: strips' levels, order axis, cursors, marks.

#include "apps/workbench/spectrumview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/orderspectrum.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/texts.h"
#include "korvex/dsp/envelope.h"
#include "platform/profile.h"

namespace workbench {

namespace {

constexpr double kHeader = 18, kAxis = 80, kBottom = 22, kRight = 24, kMarksW = 300;
constexpr double kOrderAxis = 16;  // the order ticks above the plot, with a speed
const QColor kCurve(31, 119, 180), kCursor(200, 0, 0), kHarmonic(0, 130, 0), kSideband(170, 0, 150);

QString Num(double v) {
    return QString::fromStdString(FormatNumber(v));
}

}  // namespace

SpectrumView::SpectrumView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec)
    : SpectralView(host, graphId, owner, std::move(spec)) {
    setMinimumHeight(160);
    const SpectrumSettings& s = spec_.spectrum;
    if (s.maxHz > 0) {
        autoX_ = false;
        fHi_ = s.maxHz;
    }
    if (s.cursorHz) xCursor_ = *s.cursorHz;
    harmonics_ = s.harmonics;
    sidebands_ = s.sidebandHz > 0;
    spacing_ = s.sidebandHz;
}

Margins SpectrumView::WantedMargins() const {
    return {kAxis, marks_.empty() ? kRight : kMarksW + kRight};
}

QRectF SpectrumView::PlotRect() const {
    const Margins m = owner_->PlotMargins();
    const double top = kHeader + 4 + (spec_.speedId && !Orders() ? kOrderAxis : 0);
    return QRectF(m.left, top, std::max(1.0, width() - m.left - m.right),
                  std::max(1.0, height() - top - kBottom));
}

double SpectrumView::PixelOf(double f) const {
    const QRectF r = PlotRect();
    return r.left() + (f - fLo_) / (fHi_ - fLo_) * r.width();
}

double SpectrumView::FreqOf(double px) const {
    const QRectF r = PlotRect();
    return fLo_ + (px - r.left()) / r.width() * (fHi_ - fLo_);
}

double SpectrumView::YPixel(double v) const {
    const QRectF r = PlotRect();
    return r.bottom() - (v - yLo_) / (yHi_ - yLo_) * r.height();
}

QString SpectrumView::Message() const {
    if (!signalId_) return wbtext::kNoSignal;
    return QString::fromStdString(spectrum_.error);
}

void SpectrumView::DataChanged() {
    haveSnap_ = false;
    Recompute();
}

void SpectrumView::CursorMoved() {
    Recompute();
    RefreshKurtogram();
}

void SpectrumView::Recompute() {
    auto s = SignalObj();
    if (!s) {
        spectrum_ = {};
        Invalidate();
        return;
    }
    if (!haveSnap_) {
        snap_ = korvex::SignalSnapshot::Of(*s);
        haveSnap_ = true;
    }
    time_ = owner_->CursorTime();
    const double oldNyquist = spectrum_.df * static_cast<double>(spectrum_.values.size());
    spectrum_ = envelope_.On() ? EnvelopeSpectrumAt(snap_, time_, envelope_, spec_.spectrum.params)
                : Orders()     ? OrderSpectrum()
                               : korvex::SpectrumAt(snap_, time_, spec_.spectrum.params);
    const double nyquist = spectrum_.df * static_cast<double>(spectrum_.values.size());
    if (autoX_ && nyquist > 0 && nyquist != oldNyquist) {
        fLo_ = 0;
        fHi_ = spectrum_.df * static_cast<double>(spectrum_.values.size() - 1);
    }
    if (spectrum_.error.empty()) AutoY();
    Invalidate();
}

korvex::Spectrum SpectrumView::OrderSpectrum() {
    auto speed = SpeedObj();
    if (!speed) {
        korvex::Spectrum none;
        none.error = tr("An order spectrum needs a speed signal.").toStdString();
        return none;
    }
    double toHz = 1.0;
    {
        korvex::Lock lock = host_.LockTree();
        toHz = HertzPerUnit(speed->UnitLocked());
    }
    return OrderSpectrumAt(snap_, korvex::SignalSnapshot::Of(*speed), toHz, time_,
                           spec_.spectrum.orderRevs, spec_.spectrum.params);
}

void SpectrumView::AutoY() {
    const auto& v = spectrum_.values;
    const size_t a = static_cast<size_t>(
        std::clamp(std::floor(fLo_ / spectrum_.df), 0.0, static_cast<double>(v.size())));
    const size_t b = static_cast<size_t>(
        std::clamp(std::ceil(fHi_ / spectrum_.df) + 1, 0.0, static_cast<double>(v.size())));
    double mx = -INFINITY, mn = INFINITY;
    for (size_t k = std::max<size_t>(a, 1); k < b; ++k) {
        mx = std::max(mx, v[k]);
        mn = std::min(mn, v[k]);
    }
    if (!(mx >= mn)) {
        yLo_ = 0;
        yHi_ = 1;
    } else if (spec_.spectrum.params.scale == korvex::SpectrumScale::Db) {
        yHi_ = std::ceil((mx + 3) / 10) * 10;
        yLo_ = std::max(std::floor(mn / 10) * 10, yHi_ - 120);
    } else {
        yLo_ = 0;
        yHi_ = mx > 0 ? mx * 1.08 : 1;
    }
}

void SpectrumView::SetRange(double lo, double hi) {
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi)) return;
    fLo_ = lo;
    fHi_ = hi;
    autoX_ = false;
    if (spectrum_.error.empty()) AutoY();
    Invalidate();
}

void SpectrumView::Autoscale() {
    autoX_ = true;
    if (spectrum_.df > 0 && spectrum_.values.size() > 1) {
        fLo_ = 0;
        fHi_ = spectrum_.df * static_cast<double>(spectrum_.values.size() - 1);
        AutoY();
    }
    Invalidate();
}

void SpectrumView::SetXCursor(double f) {
    if (!std::isfinite(f)) return;
    xCursor_ = std::max(0.0, f);
    if (!(spacing_ > 0)) spacing_ = (fHi_ - fLo_) / 20;
    update();
}

Peak SpectrumView::CursorPeak() const {
    if (!spectrum_.error.empty() || !std::isfinite(xCursor_) || !(spectrum_.df > 0)) return {};
    // Near means a few pixels, and at least the window's main lobe.
    const double linesPerPixel = (fHi_ - fLo_) / PlotRect().width() / spectrum_.df;
    const int half = std::max(3, static_cast<int>(std::ceil(6 * linesPerPixel)));
    return FindPeak(spectrum_, spec_.spectrum.params, xCursor_, half);
}

double SpectrumView::ShaftHz() const {
    auto speed = SpeedObj();
    if (!speed || Orders()) return NAN;
    korvex::Lock lock = host_.LockTree();
    const double shaft = SeriesOf(*speed, HertzPerUnit(speed->UnitLocked())).At(time_);
    return shaft > 0 ? shaft : NAN;
}

double SpectrumView::OrderAt(double f) const {
    return f / ShaftHz();
}

// Orders of the shaft at the cursor time along the top of the plot.
void SpectrumView::DrawOrderAxis(QPainter& p, const QRectF& r) {
    const double shaft = ShaftHz();
    if (!std::isfinite(shaft)) return;
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    const auto ticks =
        AxisTicks(fLo_ / shaft, fHi_ / shaft, std::max(2, static_cast<int>(r.width() / 90)));
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    for (double o : ticks) {
        const double px = PixelOf(o * shaft);
        if (px < r.left() - 0.5 || px > r.right() + 0.5) continue;
        p.setPen(QColor(0, 110, 0));
        p.drawLine(QPointF(px, r.top() - 3), QPointF(px, r.top()));
        p.drawText(QRectF(px - 40, r.top() - kOrderAxis, 80, kOrderAxis - 3), Qt::AlignCenter,
                   QString::fromStdString(TickLabel(o, step)));
    }
    p.drawText(QRectF(0, r.top() - kOrderAxis, r.left() - 16, kOrderAxis - 3),
               Qt::AlignRight | Qt::AlignVCenter, tr("order"));
}

void SpectrumView::SetHarmonics(bool on) {
    harmonics_ = on;
    update();
}

void SpectrumView::SetSidebands(bool on, double spacing) {
    sidebands_ = on;
    if (spacing > 0) spacing_ = spacing;
    if (!(spacing_ > 0)) spacing_ = (fHi_ - fLo_) / 20;
    update();
}

void SpectrumView::MarkPeak() {
    if (!spectrum_.error.empty() || spectrum_.values.empty() || !std::isfinite(xCursor_)) return;
    auto mark = [&](const std::string& label, double f) {
        MarkedValue m;
        m.label = label;
        m.time = time_;
        const double linesPerPixel = (fHi_ - fLo_) / PlotRect().width() / spectrum_.df;
        const Peak p = FindPeak(spectrum_, spec_.spectrum.params, f,
                                std::max(3, static_cast<int>(std::ceil(6 * linesPerPixel))));
        m.frequency = p.found ? p.frequency : f;
        m.value = p.found ? p.value : korvex::SampleAt(spectrum_.values, 0.0, spectrum_.df, f);
        m.order = OrderAt(m.frequency);
        marks_.push_back(m);
    };
    const size_t first = marks_.size() + 1;
    if (harmonics_) {
        int k = 1;
        for (double f : HarmonicPositions(xCursor_, fHi_, 20)) mark("H" + std::to_string(k++), f);
    } else {
        mark("P" + std::to_string(first), xCursor_);
    }
    // The table takes room right of the plot, and so every graph of the window.
    owner_->UpdateMargins();
    Invalidate();
}

void SpectrumView::ClearMarks() {
    marks_.clear();
    owner_->UpdateMargins();
    Invalidate();
}

QString SpectrumView::MarksText() const {
    return QString::fromStdString(MarkedTableText(marks_, spectrum_.unit));
}

void SpectrumView::CopyMarks() const {
    QApplication::clipboard()->setText(MarksText());
}

bool SpectrumView::WriteCsv(const std::string& path, std::string& message) const {
    if (!spectrum_.error.empty() || spectrum_.values.empty()) {
        message = spectrum_.error.empty() ? "no spectrum to write" : spectrum_.error;
        return false;
    }
    const std::string text = SpectrumCsv(spectrum_, AmplitudeName(spec_.spectrum.params.amplitude));
    if (!plat::WriteFileAtomic(path, text, &message)) {
        if (message.empty()) message = "cannot write " + path;
        return false;
    }
    return true;
}

QString SpectrumView::ValueText(double v) const {
    return Num(v) + " " + QString::fromStdString(UnitText(spectrum_.unit));
}

// ---------------------------------------------------------------------------
// Drawing

void SpectrumView::RenderBase(QPainter& p) {
    p.fillRect(rect(), Qt::white);
    const QString msg = Message();
    if (!msg.isEmpty()) {
        DrawMessage(p, msg);
        return;
    }
    const QRectF r = PlotRect();
    QString head;
    {
        korvex::Lock lock = host_.LockTree();
        if (auto s = SignalObj()) head = QString::fromStdString(s->NameLocked());
    }
    head += tr("   t = %1 s   ").arg(Num(spectrum_.middleX));
    if (envelope_.On())
        head += QString(wbtext::kEnvelopeHead)
                    .arg(Num(envelope_.lo), Num(envelope_.hi), Num(spectrum_.df))
                    .arg(spectrum_.blocks);
    else if (Orders())
        head += QString::fromStdString(
            OrderResolutionText(spec_.spectrum.orderRevs, spec_.spectrum.params.window));
    else
        head += QString::fromStdString(
            ResolutionText(spectrum_.resolution, spec_.spectrum.params.window));
    if (!spectrum_.note.empty()) head += "   (" + QString::fromStdString(spectrum_.note) + ")";
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(kAxis, 2, width() - kAxis - 4, kHeader), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(f).elidedText(head, Qt::ElideRight, width() - kAxis - 4));
    const QString yName = QString::fromStdString(AmplitudeText(spec_.spectrum.params.amplitude) +
                                                 " [" + UnitText(spectrum_.unit) + "]");
    DrawAxes(p, r, fLo_, fHi_, yLo_, yHi_, Orders() ? tr("order") : tr("f [Hz]"), yName);
    DrawOrderAxis(p, r);
    p.save();
    p.setClipRect(r);
    DrawOverlays(p, r);
    DrawCurve(p, r);
    p.restore();
    if (!marks_.empty()) DrawMarks(p);
}

// One stroke from the lowest to the highest line per pixel column where the
// lines are dense, a polyline through them where they are not.
void SpectrumView::DrawCurve(QPainter& p, const QRectF& r) {
    const auto& v = spectrum_.values;
    const double df = spectrum_.df;
    p.setPen(QPen(kCurve, 1.0));
    const double linesPerPixel = (fHi_ - fLo_) / df / r.width();
    if (linesPerPixel > 2) {
        const int columns = static_cast<int>(r.width());
        std::vector<QLineF> lines;
        lines.reserve(static_cast<size_t>(columns));
        double prevLo = NAN, prevHi = NAN;
        for (int c = 0; c < columns; ++c) {
            const double a = (fLo_ + (fHi_ - fLo_) * c / columns) / df;
            const double b = (fLo_ + (fHi_ - fLo_) * (c + 1) / columns) / df;
            const size_t ka = static_cast<size_t>(std::clamp(std::ceil(a), 0.0, double(v.size())));
            const size_t kb = static_cast<size_t>(std::clamp(std::ceil(b), 0.0, double(v.size())));
            if (ka >= kb) continue;
            auto [mn, mx] = std::minmax_element(v.begin() + static_cast<std::ptrdiff_t>(ka),
                                                v.begin() + static_cast<std::ptrdiff_t>(kb));
            double lo = *mn, hi = *mx;
            if (std::isfinite(prevHi)) {
                lo = std::min(lo, prevHi);
                hi = std::max(hi, prevLo);
            }
            prevLo = *mn;
            prevHi = *mx;
            const double x = r.left() + c + 0.5;
            double y0 = YPixel(hi), y1 = YPixel(lo);
            if (y1 - y0 < 1) y1 = y0 + 1;
            lines.emplace_back(x, y0, x, y1);
        }
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        return;
    }
    const double n = static_cast<double>(v.size());
    const size_t a = static_cast<size_t>(std::clamp(std::floor(fLo_ / df) - 1, 0.0, n));
    const size_t b = static_cast<size_t>(std::clamp(std::ceil(fHi_ / df) + 2, 0.0, n));
    QPolygonF line;
    for (size_t k = a; k < b; ++k) line.append(QPointF(PixelOf(k * df), YPixel(v[k])));
    p.drawPolyline(line);
}

// Overlay signals as markers at their value at the cursor time, strips as
// shaded regions between their lo and hi there.
void SpectrumView::DrawOverlays(QPainter& p, const QRectF& r) {
    korvex::Lock lock = host_.LockTree();
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    std::vector<LabelText> labels;
    const std::vector<StripLevel> levels = StripLevels();
    for (size_t i = 0; i < strips_.size(); ++i) {
        const StripSignals& s = strips_[i];
        const StripLevel& l = levels[i];
        if (!std::isfinite(l.lo) || !std::isfinite(l.hi)) continue;
        const double x0 = PixelOf(std::min(l.lo, l.hi)), x1 = PixelOf(std::max(l.lo, l.hi));
        QColor c = OverlayColor(i + 3);
        if (c.lightness() > 200) c = QColor(90, 90, 90);  // white would not show on white
        c.setAlpha(30);
        p.fillRect(QRectF(x0, r.top(), std::max(1.0, x1 - x0), r.height()), c);
        c.setAlpha(255);
        p.setPen(QPen(c, 1.0, Qt::DashLine));
        if (s.mid) {
            const double mid =
                PixelOf(SeriesOf(*s.mid, HertzPerUnit(s.mid->UnitLocked())).At(time_));
            p.drawLine(QPointF(mid, r.top()), QPointF(mid, r.bottom()));
        }
        // Halfway down: the readout holds the top, overlay names the bottom.
        labels.push_back({QPointF(x0 + 2, r.center().y()),
                          QString::fromStdString(l.label) + " " + Num(l.rms) + " " +
                              QString::fromStdString(spectrum_.levelUnit),
                          c});
    }
    for (size_t i = 0; i < overlays_.size(); ++i) {
        const Overlay& o = overlays_[i];
        const double hz = SeriesOf(*o.signal, o.toHz).At(time_);
        if (!std::isfinite(hz)) continue;
        const double x = PixelOf(hz);
        const QColor c = OverlayColor(i + 1);
        p.setPen(QPen(c, 1.5));
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        labels.push_back({QPointF(x + 3, r.bottom() - 18),
                          QString::fromStdString(o.name) + " " + tr("%1 Hz").arg(Num(hz)), c});
    }
    DrawLabels(p, r, labels);
}

std::vector<SpectrumView::StripLevel> SpectrumView::StripLevels() const {
    std::vector<StripLevel> out;
    korvex::Lock lock = host_.LockTree();
    for (const StripSignals& s : strips_) {
        StripLevel l;
        l.label = s.label;
        l.lo = SeriesOf(*s.lo, HertzPerUnit(s.lo->UnitLocked())).At(time_);
        l.hi = SeriesOf(*s.hi, HertzPerUnit(s.hi->UnitLocked())).At(time_);
        l.rms = spectrum_.error.empty() ? korvex::BandRms(spectrum_, l.lo, l.hi) : NAN;
        out.push_back(l);
    }
    return out;
}

void SpectrumView::DrawMarks(QPainter& p) {
    const QRectF r = PlotRect();
    const QRectF box(r.right() + 8, r.top(), kMarksW - 4, r.height());
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(box);
    const double row = QFontMetricsF(f).height() + 1;
    const double cols[] = {0, 30, 96, 214};
    const QString heads[] = {"", tr("f [Hz]"), tr("value"), tr("order")};
    double y = box.top() + 2;
    p.setPen(Qt::darkGray);
    for (int c = 0; c < 4; ++c)
        p.drawText(QRectF(box.left() + 4 + cols[c], y, 90, row), Qt::AlignLeft, heads[c]);
    p.setPen(Qt::black);
    for (const MarkedValue& m : marks_) {
        y += row;
        if (y + row > box.bottom()) break;
        const QString cells[] = {QString::fromStdString(m.label), Num(m.frequency),
                                 ValueText(m.value), Num(m.order)};
        for (int c = 0; c < 4; ++c)
            p.drawText(QRectF(box.left() + 4 + cols[c], y, 118, row), Qt::AlignLeft, cells[c]);
    }
}

// The frequency cursor with its readout and peak, and the harmonic and
// sideband marks that move with it.
void SpectrumView::DrawCursors(QPainter& p, const QRectF& r) {
    const double maxF = spectrum_.df * static_cast<double>(spectrum_.values.size());
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    if (harmonics_) {
        // Numbers under the marks, as many as fit.
        const double apart = std::fabs(PixelOf(2 * xCursor_) - PixelOf(xCursor_));
        const int every = std::max(1, static_cast<int>(std::ceil(22 / std::max(apart, 1e-9))));
        int k = 1;
        for (double h : HarmonicPositions(xCursor_, std::min(maxF, fHi_), 100)) {
            const double x = PixelOf(h);
            p.setPen(QPen(kHarmonic, 1.0, Qt::DashLine));
            if (k > 1) p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom() - 14));
            p.setPen(kHarmonic);
            if (x >= r.left() && k % every == 0)
                p.drawText(QPointF(x + 2, r.bottom() - 3), QString::number(k));
            ++k;
        }
    }
    if (sidebands_) {
        p.setPen(QPen(kSideband, 1.0, Qt::DotLine));
        for (double s : SidebandPositions(xCursor_, spacing_, 5, maxF)) {
            const double x = PixelOf(s);
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        }
    }
    const double x = PixelOf(xCursor_);
    p.setPen(QPen(kCursor, 1.0));
    if (x >= r.left() && x <= r.right()) p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    const double value = korvex::SampleAt(spectrum_.values, 0.0, spectrum_.df, xCursor_);
    QString text = Orders() ? tr("order %1   %2").arg(Num(xCursor_), ValueText(value))
                            : tr("f %1 Hz   %2").arg(Num(xCursor_), ValueText(value));
    const double order = OrderAt(xCursor_);
    if (std::isfinite(order)) text += tr("   order %1").arg(Num(order));
    if (sidebands_) text += QString("   \u0394") + tr("f %1 Hz").arg(Num(spacing_));
    const Peak pk = CursorPeak();
    QString peak;
    if (pk.found) {
        peak = Orders() ? tr("peak at order %1   %2").arg(Num(pk.frequency), ValueText(pk.value))
                        : tr("peak %1 Hz   %2").arg(Num(pk.frequency), ValueText(pk.value));
        const double po = OrderAt(pk.frequency);
        if (std::isfinite(po)) peak += tr("   order %1").arg(Num(po));
        p.setPen(QPen(kCursor, 1.0));
        const QPointF at(PixelOf(pk.frequency), YPixel(pk.value));
        if (r.contains(at)) p.drawEllipse(at, 4, 4);
    }
    const QFontMetricsF fm(f);
    const double w = std::max(fm.horizontalAdvance(text), fm.horizontalAdvance(peak)) + 8;
    DrawLabel(p, r, QPointF(r.right() - w - 2, r.top() + 2), text, kCursor);
    if (!peak.isEmpty()) DrawLabel(p, r, QPointF(r.right() - w - 2, r.top() + 18), peak, kCursor);
}

void SpectrumView::PaintTop(QPainter& p) {
    if (!Message().isEmpty()) return;
    const QRectF r = PlotRect();
    p.save();
    p.setClipRect(r.adjusted(0, 0, 1, 1));
    DrawFaultLines(p, r);
    DrawBandDrag(p, r);
    if (std::isfinite(xCursor_)) DrawCursors(p, r);
    p.restore();
}

// ---------------------------------------------------------------------------
// Mouse and keys

void SpectrumView::mousePressEvent(QMouseEvent* e) {
    if (PressForBand(e)) return;
    const double px = e->position().x();
    if (e->button() == Qt::LeftButton) {
        if ((e->modifiers() & Qt::ShiftModifier) && std::isfinite(xCursor_)) {
            drag_ = Drag::Spacing;
            SetSidebands(true, std::fabs(FreqOf(px) - xCursor_));
        } else {
            drag_ = Drag::Cursor;
            SetXCursor(FreqOf(px));
        }
    } else if (e->button() == Qt::MiddleButton || e->button() == Qt::RightButton) {
        drag_ = Drag::Pan;
        dragPx_ = px;
        dragLo_ = fLo_;
        dragHi_ = fHi_;
    }
}

void SpectrumView::mouseMoveEvent(QMouseEvent* e) {
    const double px = e->position().x();
    if (drag_ == Drag::Cursor) {
        SetXCursor(FreqOf(px));
    } else if (drag_ == Drag::Spacing) {
        SetSidebands(true, std::fabs(FreqOf(px) - xCursor_));
    } else if (drag_ == Drag::Pan) {
        const double d = (px - dragPx_) / PlotRect().width() * (dragHi_ - dragLo_);
        SetRange(dragLo_ - d, dragHi_ - d);
    } else if (drag_ == Drag::Band) {
        bandTo_ = FreqOf(px);
        update();
    }
}

void SpectrumView::mouseReleaseEvent(QMouseEvent* e) {
    if (drag_ == Drag::Pan && e->button() == Qt::RightButton &&
        std::fabs(e->position().x() - dragPx_) < 3) {
        drag_ = Drag::None;
        QContextMenuEvent ce(QContextMenuEvent::Mouse, e->position().toPoint(),
                             e->globalPosition().toPoint());
        contextMenuEvent(&ce);
        return;
    }
    if (ReleaseBand()) return;
    drag_ = Drag::None;
}

void SpectrumView::mouseDoubleClickEvent(QMouseEvent*) {
    Autoscale();
}

void SpectrumView::wheelEvent(QWheelEvent* e) {
    const double factor = e->angleDelta().y() > 0 ? 0.8 : 1.25;
    const double f = FreqOf(e->position().x());
    SetRange(std::max(0.0, f - (f - fLo_) * factor), f + (fHi_ - f) * factor);
    e->accept();
}

void SpectrumView::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const double sign = e->key() == Qt::Key_Left ? -1.0 : 1.0;
            const double step = std::max(spectrum_.df, (fHi_ - fLo_) / PlotRect().width());
            if (ctrl)
                SetRange(fLo_ + sign * (fHi_ - fLo_) * 0.1, fHi_ + sign * (fHi_ - fLo_) * 0.1);
            else
                SetXCursor((std::isfinite(xCursor_) ? xCursor_ : fLo_) + sign * step);
            break;
        }
        case Qt::Key_P:
            if (const Peak pk = CursorPeak(); pk.found) SetXCursor(pk.frequency);
            break;
        case Qt::Key_H:
            SetHarmonics(!harmonics_);
            break;
        case Qt::Key_S:
            SetSidebands(!sidebands_);
            break;
        case Qt::Key_M:
            MarkPeak();
            break;
        case Qt::Key_C:
            if (ctrl) CopyMarks();
            break;
        case Qt::Key_Delete:
            ClearMarks();
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
        case Qt::Key_Minus: {
            const double c = std::isfinite(xCursor_) ? xCursor_ : (fLo_ + fHi_) / 2;
            const double k = e->key() == Qt::Key_Minus ? 1.25 : 0.8;
            SetRange(std::max(0.0, c - (c - fLo_) * k), c + (fHi_ - c) * k);
            break;
        }
        case Qt::Key_Home:
        case Qt::Key_A:
            Autoscale();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

void SpectrumView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    QAction* h = menu.addAction(wbtext::kHarmonics, this, [this](bool on) { SetHarmonics(on); });
    h->setCheckable(true);
    h->setChecked(harmonics_);
    QAction* s = menu.addAction(wbtext::kSidebands, this, [this](bool on) { SetSidebands(on); });
    s->setCheckable(true);
    s->setChecked(sidebands_);
    menu.addAction(wbtext::kMarkPeak, this, [this] { MarkPeak(); });
    menu.addAction(wbtext::kCopyMarks, this, [this] { CopyMarks(); })->setEnabled(!marks_.empty());
    menu.addAction(wbtext::kClearMarks, this, [this] { ClearMarks(); })
        ->setEnabled(!marks_.empty());
    menu.addAction(wbtext::kFaultLines, this, [this] { EditFaultBearing(); });
    menu.addAction(wbtext::kEnvelopeBand, this, [this] { EditEnvelope(); });
    menu.addAction(wbtext::kEnvelopeKurtogram, this, [this] { EnvelopeFromKurtogram(); });
    menu.addAction(wbtext::kKurtogramShow, this, [this] { ShowKurtogram(); });
    menu.addAction(wbtext::kEnvelopeOff, this, [this] { SetEnvelope({}); })
        ->setEnabled(envelope_.On());
    menu.addAction(wbtext::kAutoscale, this, [this] { Autoscale(); });
    menu.addSeparator();
    AddCommonActions(menu);
    menu.exec(e->globalPos());
}

}  // namespace workbench
