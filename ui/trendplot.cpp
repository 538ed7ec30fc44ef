// A trend drawn as a picture: points over the recordings, limits, zones, date labels.

#include "ui/trendplot.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "report/summary.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"

namespace trendplot {

namespace {

const QColor kZoneFill[] = {QColor(198, 239, 206), QColor(235, 245, 190), QColor(255, 225, 170),
                            QColor(255, 199, 199)};
const QColor kAlert(230, 140, 0), kDanger(200, 30, 30), kOk(40, 140, 60), kNone(90, 90, 90);
const QColor kLine(30, 70, 150);

QColor StateColour(LimitState s) {
    switch (s) {
        case LimitState::Alert:
            return kAlert;
        case LimitState::Danger:
            return kDanger;
        case LimitState::Ok:
            return kOk;
        case LimitState::None:
            break;
    }
    return kNone;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` ticks.
double NiceStep(double span, int count) {
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) return m * power;
    return 10.0 * power;
}

QString DateLabel(double date, bool withTime) {
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const QDateTime t = base.addMSecs(static_cast<qint64>(std::llround(date * 86400000.0)));
    return t.toString(withTime ? "yyyy-MM-dd\nhh:mm" : "yyyy-MM-dd");
}

struct Frame {
    QRectF area;
    double x0, x1, y1;  // y0 is 0
    double X(double x) const { return area.left() + (x - x0) / (x1 - x0) * area.width(); }
    double Y(double y) const { return area.bottom() - y / y1 * area.height(); }
};

double XOf(const Trend& t, size_t i) {
    return t.dated ? t.points[i].date : static_cast<double>(i);
}

Frame MakeFrame(const Trend& t, const QRectF& area) {
    Frame f{area, XOf(t, 0), XOf(t, t.points.size() - 1), 0.0};
    double top = 0.0;
    for (const TrendPoint& p : t.points)
        for (double v : {p.value, p.alert, p.danger})
            if (std::isfinite(v)) top = std::max(top, v);
    if (t.machineClass != MachineClass::None)
        top = std::max(top, ZoneBoundsOf(t.machineClass).cd * 1.25);
    f.y1 = top > 0 ? top * 1.1 : 1.0;
    const double pad = f.x1 > f.x0 ? (f.x1 - f.x0) * 0.05 : (t.dated ? 1.0 : 0.5);
    f.x0 -= pad;
    f.x1 += pad;
    return f;
}

void DrawZones(QPainter& g, const Trend& t, const Frame& f) {
    if (t.machineClass == MachineClass::None) return;
    const ZoneBounds b = ZoneBoundsOf(t.machineClass);
    const double edges[] = {0.0, b.ab, b.bc, b.cd, f.y1};
    const char* letters[] = {"A", "B", "C", "D"};
    for (int z = 0; z < 4; ++z) {
        const double lo = std::min(edges[z], f.y1), hi = std::min(edges[z + 1], f.y1);
        if (hi <= lo) continue;
        const QRectF band(f.area.left(), f.Y(hi), f.area.width(), f.Y(lo) - f.Y(hi));
        g.fillRect(band, kZoneFill[z]);
        g.setPen(QColor(120, 120, 120));
        g.drawText(band.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, letters[z]);
    }
}

// A limit as steps: each point's value from halfway to its neighbours.
void DrawLimit(QPainter& g, const Trend& t, const Frame& f, bool danger) {
    QPen pen(danger ? kDanger : kAlert, 2, Qt::DashLine);
    g.setPen(pen);
    const size_t n = t.points.size();
    for (size_t i = 0; i < n; ++i) {
        const double v = danger ? t.points[i].danger : t.points[i].alert;
        if (!std::isfinite(v)) continue;
        const double left = i == 0 ? f.x0 : (XOf(t, i - 1) + XOf(t, i)) / 2;
        const double right = i + 1 == n ? f.x1 : (XOf(t, i) + XOf(t, i + 1)) / 2;
        g.drawLine(QPointF(f.X(left), f.Y(v)), QPointF(f.X(right), f.Y(v)));
    }
}

void DrawAxes(QPainter& g, const Trend& t, const Frame& f) {
    g.setPen(QColor(60, 60, 60));
    g.drawRect(f.area);
    const QFontMetrics fm(g.font());
    const double step = NiceStep(f.y1, 6);
    for (double y = 0.0; y <= f.y1 + step * 1e-9; y += step) {
        const double py = f.Y(y);
        g.setPen(QColor(215, 215, 215));
        g.drawLine(QPointF(f.area.left(), py), QPointF(f.area.right(), py));
        g.setPen(QColor(60, 60, 60));
        g.drawText(QRectF(0, py - 10, f.area.left() - 6, 20), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(y, 'g', 6));
    }
    // Every stride-th point gets a label, as many as fit side by side.
    const size_t n = t.points.size();
    const size_t fit = std::max<size_t>(1, static_cast<size_t>(f.area.width() / 110));
    const size_t stride = std::max<size_t>(1, (n + fit - 1) / fit);
    const bool withTime = t.dated && (f.x1 - f.x0) < 3.0;
    for (size_t i = 0; i < n; i += stride) {
        const double px = f.X(XOf(t, i));
        g.drawLine(QPointF(px, f.area.bottom()), QPointF(px, f.area.bottom() + 4));
        const QString label =
            t.dated ? DateLabel(XOf(t, i), withTime) : QString::fromStdString(t.points[i].dataSet);
        g.drawText(QRectF(px - 80, f.area.bottom() + 6, 160, 2.5 * fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, label);
    }
}

void DrawSeries(QPainter& g, const Trend& t, const Frame& f) {
    QPainterPath path;
    bool started = false;
    for (size_t i = 0; i < t.points.size(); ++i) {
        const double v = t.points[i].value;
        if (!std::isfinite(v)) continue;
        const QPointF p(f.X(XOf(t, i)), f.Y(v));
        started ? path.lineTo(p) : path.moveTo(p);
        started = true;
    }
    g.setPen(QPen(kLine, 1.5));
    g.drawPath(path);
    for (size_t i = 0; i < t.points.size(); ++i) {
        const TrendPoint& p = t.points[i];
        if (!std::isfinite(p.value)) continue;
        const QPointF at(f.X(XOf(t, i)), f.Y(p.value));
        g.setPen(QPen(Qt::white, 1));
        g.setBrush(StateColour(p.state));
        g.drawEllipse(at, 5, 5);
        if (p.zone != Zone::None) {
            g.setPen(QColor(40, 40, 40));
            g.drawText(QRectF(at.x() - 10, at.y() - 24, 20, 16), Qt::AlignCenter,
                       ZoneLetter(p.zone));
        }
    }
    g.setBrush(Qt::NoBrush);
}

void DrawTitleAndLegend(QPainter& g, const Trend& t, const Frame& f, int width,
                        const TrendTexts& texts) {
    const TrendQuery& q = t.query;
    QFont bold = g.font();
    bold.setBold(true);
    g.setFont(bold);
    g.setPen(Qt::black);
    const QString mode = texts.mode.isEmpty() ? QString::fromStdString(q.mode) : texts.mode;
    const QString value = texts.value.isEmpty() ? QString::fromStdString(q.value) : texts.value;
    const QString title =
        QString::fromStdString(q.channel + " / " + q.item) + "   (" + mode + ", " + value + ")";
    g.drawText(QRectF(f.area.left(), 8, width - f.area.left() - 20, 22),
               Qt::AlignLeft | Qt::AlignVCenter, title);
    g.setFont(QFont(g.font().family(), g.font().pointSize()));
    g.save();
    g.translate(16, f.area.center().y());
    g.rotate(-90);
    g.drawText(QRectF(-150, -10, 300, 20), Qt::AlignCenter, QString::fromStdString(t.unit));
    g.restore();
    double x = width - 20;
    auto entry = [&](const QString& text, const QColor& c, bool dashed) {
        const QFontMetrics fm(g.font());
        x -= fm.horizontalAdvance(text) + 40;
        if (dashed) {
            g.setPen(QPen(c, 2, Qt::DashLine));
            g.drawLine(QPointF(x, 36), QPointF(x + 24, 36));
        } else {
            g.fillRect(QRectF(x, 30, 24, 12), c);
        }
        g.setPen(Qt::black);
        g.drawText(QPointF(x + 30, 40), text);
    };
    entry(texts.danger, kDanger, true);
    entry(texts.alert, kAlert, true);
    if (t.machineClass != MachineClass::None)
        entry(texts.zones.arg(QString::fromStdString(MachineClassText(t.machineClass))),
              kZoneFill[2], false);
}

}  // namespace

void PaintTrend(QPainter& g, const Trend& trend, int width, int height, const TrendTexts& texts) {
    g.fillRect(QRect(0, 0, width, height), Qt::white);
    if (trend.points.empty()) return;
    g.setRenderHint(QPainter::Antialiasing);
    const Frame f = MakeFrame(trend, QRectF(80, 56, width - 120, height - 56 - 60));
    DrawZones(g, trend, f);
    DrawAxes(g, trend, f);
    DrawLimit(g, trend, f, false);
    DrawLimit(g, trend, f, true);
    DrawSeries(g, trend, f);
    DrawTitleAndLegend(g, trend, f, width, texts);
}

TrendTexts ModuleTexts(const res::Module& m, const TrendQuery& q) {
    TrendTexts t;
    auto take = [&m](int id, QString& to) {
        if (const std::string* s = m.String(id)) to = QString::fromStdString(*s);
    };
    take(res::IDS_TREND_DANGER, t.danger);
    take(res::IDS_TREND_ALERT, t.alert);
    take(res::IDS_TREND_ZONES, t.zones);
    t.zones.replace("%s", "%1");
    if (q.mode == kSummaryWholeRecording) take(res::IDS_TREND_WHOLE, t.mode);
    // The value's word as the trend window's list names it.
    const char* values[] = {"max", "mean", "min", "last"};
    for (int i = 0; i < 4; ++i)
        if (q.value == values[i]) take(res::IDS_TREND_VALUE_FIRST + i, t.value);
    return t;
}

QImage DrawTrend(const Trend& trend, int width, int height, const TrendTexts& texts) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter g(&image);
    PaintTrend(g, trend, width, height, texts);
    return image;
}

}  // namespace trendplot
