// A map graph drawn: its header and notes, the image of the cells, the
// axes, the colour bar with its unit, the outlined strips and overlay curves
// with their labels, and on top the cursor and the crosshair.

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mapview.h"
#include "apps/workbench/mapview_parts.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/texts.h"
#include "korvex/dsp/envelope.h"

namespace workbench {

using namespace mapparts;

void MapView::DrawHeader(QPainter& p) {
    QString head;
    {
        korvex::Lock lock = host_.LockTree();
        if (auto s = SignalObj()) head = QString::fromStdString(s->NameLocked()) + "   ";
    }
    head += QString::fromStdString(
        AmplitudeText(spec_.map.params.spectrum.amplitude) + " [" + UnitText(map_->unit) + "]   " +
        ResolutionText(map_->resolution, spec_.map.params.spectrum.window));
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const double w = width() - kAxis - 4;
    p.setPen(Qt::black);
    p.drawText(QRectF(kAxis, 2, w, kHeader), Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(head, Qt::ElideRight, w));
    if (map_->notes.empty()) return;
    QString notes = tr("note: ");
    for (size_t i = 0; i < map_->notes.size(); ++i)
        notes += (i ? "; " : "") + QString::fromStdString(map_->notes[i]);
    f.setPointSizeF(8);
    p.setFont(f);
    p.setPen(QColor(140, 80, 0));
    p.drawText(QRectF(kAxis, kHeader + 1, w, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(f).elidedText(notes, Qt::ElideRight, w));
}

// The colour scale from the range's low end (bottom) to its high end, its
// ticks and unit; its ends are what the mouse drags.
void MapView::DrawBar(QPainter& p) {
    const QRectF b = BarRect();
    QImage bar(1, 256, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i) bar.setPixel(0, 255 - i, ScaleColour(i / 255.0));
    p.drawImage(b, bar);
    p.setPen(Qt::gray);
    p.drawRect(b);
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    p.setPen(Qt::darkGray);
    const auto ticks = AxisTicks(cLo_, cHi_, std::max(2, static_cast<int>(b.height() / 40)));
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    for (double v : ticks) {
        const double y = b.bottom() - (v - cLo_) / (cHi_ - cLo_) * b.height();
        p.drawLine(QPointF(b.right(), y), QPointF(b.right() + 3, y));
        p.drawText(QRectF(b.right() + 5, y - 8, kBarText - 6, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(TickLabel(v, step)));
    }
    // The cells' unit under the bar.
    const double w = kBarW + kBarText - 2;
    p.setPen(Qt::black);
    p.drawText(QRectF(b.left(), b.bottom() + 3, w, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(f).elidedText(QString::fromStdString(UnitText(map_->unit)), Qt::ElideRight, w));
}

void MapView::DrawCurve(QPainter& p, const std::vector<MapPoint>& pts) {
    QPolygonF line;
    for (const MapPoint& m : pts) {
        if (!std::isfinite(m.x) || !std::isfinite(m.y)) {
            p.drawPolyline(line);
            line.clear();
            continue;
        }
        line.append(PixelAt(m.x, m.y));
    }
    p.drawPolyline(line);
}

// Overlay signals as curves, strips as outlined bands: a dark halo under a
// coloured edge reads on every colour of the map and leaves the cells inside
// as the colour bar reads them.
void MapView::DrawOverlays(QPainter& p, const QRectF& r) {
    static const QColor kStripColors[] = {QColor(255, 255, 255), QColor(255, 0, 200),
                                          QColor(0, 230, 255),   QColor(255, 230, 0),
                                          QColor(120, 255, 60),  QColor(255, 140, 0)};
    korvex::Lock lock = host_.LockTree();
    auto speed = SpeedObj();
    Series sp;
    if (speed) sp = SeriesOf(*speed, HertzPerUnit(speed->UnitLocked()));
    MapAxes axes{spec_.map.params.x, spec_.map.params.y, t0_, t1_, speed ? &sp : nullptr};
    if (axes.x == korvex::MapAxisX::Time) {
        axes.t0 = std::max(t0_, ViewX0());
        axes.t1 = std::min(t1_, ViewX1());
    }
    const int points = std::max(64, static_cast<int>(r.width()));
    auto curve = [&](const korvex::SignalObj& s) {
        return MapCurve(SeriesOf(s, HertzPerUnit(s.UnitLocked())), axes, points);
    };
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    p.setBrush(Qt::NoBrush);
    std::vector<LabelText> labels;
    for (size_t i = 0; i < strips_.size(); ++i) {
        const StripSignals& s = strips_[i];
        const QColor c = kStripColors[i % std::size(kStripColors)];
        const auto bands = BandPolygons(curve(*s.lo), curve(*s.hi));
        for (const auto& band : bands) {
            QPolygonF poly;
            for (const MapPoint& m : band) poly.append(PixelAt(m.x, m.y));
            p.setPen(QPen(QColor(0, 0, 0, 160), 3.0));
            p.drawPolygon(poly);
            p.setPen(QPen(c, 1.2));
            p.drawPolygon(poly);
        }
        if (s.mid) {
            p.setPen(QPen(c, 1.0, Qt::DashLine));
            DrawCurve(p, curve(*s.mid));
        }
        if (!bands.empty()) {
            // Above the band's upper edge a quarter across the view.
            const auto& band = bands.front();
            const QPointF at = PixelAt(band[band.size() / 4].x, band[band.size() / 4].y);
            labels.push_back({at + QPointF(4, -18), QString::fromStdString(s.label), c});
        }
    }
    for (size_t i = 0; i < overlays_.size(); ++i) {
        const auto pts = curve(*overlays_[i].signal);
        p.setPen(QPen(OverlayColor(i + 1), 1.5));
        DrawCurve(p, pts);
        for (size_t k = pts.size() * 3 / 4; k < pts.size(); ++k)
            if (r.contains(PixelAt(pts[k].x, pts[k].y))) {
                labels.push_back({PixelAt(pts[k].x, pts[k].y) + QPointF(4, -16),
                                  QString::fromStdString(overlays_[i].name), OverlayColor(i + 1)});
                break;
            }
    }
    DrawLabels(p, r, labels);
}

void MapView::RenderBase(QPainter& p) {
    p.fillRect(rect(), Qt::white);
    if (!map_) {
        if (!message_.isEmpty()) {
            DrawMessage(p, message_);
        } else if (job_.Running()) {
            p.setPen(Qt::darkGray);
            p.drawText(QRectF(0, height() / 2 - 40, width(), 20), Qt::AlignCenter,
                       wbtext::kComputingMap);
        }
        return;
    }
    if (imageX0_ != ViewX0() || imageX1_ != ViewX1()) {
        // The window's time range moved: a detail may be wanted.
        imageValid_ = false;
        if (full_ && !detailTimer_->isActive()) detailTimer_->start();
    }
    if (!imageValid_) BuildImage();
    const QRectF r = PlotRect();
    DrawHeader(p);
    p.drawImage(r, image_);
    const bool time = spec_.map.params.x == korvex::MapAxisX::Time;
    const QString xName =
        time ? QString(wbtext::kXAxisTime) : "n [" + QString::fromStdString(map_->xUnit) + "]";
    const QString yName = spec_.map.params.y == korvex::MapAxisY::Order ? tr("order") : tr("f [Hz]");
    DrawAxes(p, r, ViewX0(), ViewX1(), vy0_, vy1_, xName, yName, false);
    DrawBar(p);
    p.save();
    p.setClipRect(r);
    DrawOverlays(p, r);
    p.restore();
}

void MapView::PaintTop(QPainter& p) {
    if (!map_) return;
    const QRectF r = PlotRect();
    p.save();
    p.setClipRect(r.adjusted(0, 0, 1, 1));
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    const double t = owner_->CursorTime();
    const double x = spec_.map.params.x == korvex::MapAxisX::Time ? t : SpeedAt(t);
    const double px = PixelAt(x, 0).x();
    if (std::isfinite(px) && px >= r.left() && px <= r.right()) {
        p.setPen(QPen(QColor(0, 0, 0, 150), 3.0));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        p.setPen(QPen(kCursorColor, 1.0));
        p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        // On the time axis under the plot, where it covers neither the map
        // nor the strips' labels.
        p.setClipping(false);
        const QString label = QString(wbtext::kCursorLabel).arg(Num(t));
        const double lw = QFontMetricsF(f).horizontalAdvance(label) + 8;
        DrawLabel(p, QRectF(r.left(), r.bottom() + 2, r.width(), 16),
                  QPointF(px - lw / 2, r.bottom() + 2), label, QColor(200, 0, 0));
        p.setClipRect(r.adjusted(0, 0, 1, 1));
    }
    if (crossOn_ && r.contains(cross_)) {
        p.setPen(QPen(kCross, 1.0, Qt::DotLine));
        p.drawLine(QPointF(r.left(), cross_.y()), QPointF(r.right(), cross_.y()));
        p.drawLine(QPointF(cross_.x(), r.top()), QPointF(cross_.x(), r.bottom()));
        DrawLabel(p, r, QPointF(r.left() + 4, r.top() + 3), CrosshairText(cross_), Qt::black);
    }
    p.restore();
}

}  // namespace workbench
