#include "apps/envelopeplot/draw.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace envelopeplot {

namespace {

double NiceStep(double span, int count) {
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) return m * power;
    return 10.0 * power;
}

QString Num(double v) {
    return QString::number(v, 'g', 6);
}

// Dark blue through red to pale yellow, t in 0..1.
QColor Heat(double t) {
    t = std::clamp(t, 0.0, 1.0);
    const double stops[][3] = {
        {20, 20, 90}, {60, 40, 160}, {190, 50, 90}, {245, 140, 40}, {255, 245, 170}};
    const double s = t * 4.0;
    const int i = std::min(3, static_cast<int>(s));
    const double f = s - i;
    return QColor::fromRgbF(
        static_cast<float>((stops[i][0] * (1 - f) + stops[i + 1][0] * f) / 255),
        static_cast<float>((stops[i][1] * (1 - f) + stops[i + 1][1] * f) / 255),
        static_cast<float>((stops[i][2] * (1 - f) + stops[i + 1][2] * f) / 255));
}

const QColor kLineColours[] = {QColor(0, 130, 60),   QColor(200, 30, 30), QColor(30, 90, 200),
                               QColor(160, 60, 170), QColor(200, 120, 0), QColor(0, 140, 150)};

void XTicks(QPainter& g, const QRectF& a, double x1, const QString& unit) {
    const double step = NiceStep(x1, 10);
    const QFontMetricsF fm(g.font());
    for (double v = 0; v <= x1 + 1e-9 * x1; v += step) {
        const double x = a.left() + v / x1 * a.width();
        g.setPen(QColor(120, 120, 120));
        g.drawLine(QPointF(x, a.bottom()), QPointF(x, a.bottom() + 4));
        g.setPen(Qt::black);
        const QString s = Num(v);
        g.drawText(QPointF(x - fm.horizontalAdvance(s) / 2, a.bottom() + 6 + fm.ascent()), s);
    }
    g.drawText(QPointF(a.right() - fm.horizontalAdvance(unit), a.bottom() + 8 + 2 * fm.height()),
               unit);
}

void DrawKurtogram(QPainter& g, const vantrel::EnvelopeAnalysis& r, const QRectF& a) {
    const korvex::Kurtogram& k = r.kurtogram;
    if (k.rows.empty()) return;
    const double nyq = k.rows[0].width;
    double top = 0.0;
    for (const korvex::KurtogramRow& row : k.rows)
        for (double v : row.kurtosis) top = std::max(top, v);
    if (!(top > 0)) top = 1;
    const double h = a.height() / static_cast<double>(k.rows.size());
    const QFontMetricsF fm(g.font());
    for (size_t j = 0; j < k.rows.size(); ++j) {
        const korvex::KurtogramRow& row = k.rows[j];
        const double y = a.top() + h * static_cast<double>(j);
        for (size_t i = 0; i < row.kurtosis.size(); ++i) {
            const double x0 = a.left() + a.width() * row.width * static_cast<double>(i) / nyq;
            const double x1 = a.left() + a.width() * row.width * static_cast<double>(i + 1) / nyq;
            g.fillRect(QRectF(x0, y, x1 - x0 + 0.5, h + 0.5), Heat(row.kurtosis[i] / top));
        }
        // Level labels, as many as fit.
        if (h >= fm.height() * 0.9 || j % 2 == 0) {
            g.setPen(Qt::black);
            const QString s = QString::number(row.level, 'g', 2);
            g.drawText(
                QPointF(a.left() - 6 - fm.horizontalAdvance(s), y + h / 2 + fm.ascent() / 2 - 1),
                s);
        }
    }
    g.setPen(QPen(QColor(60, 60, 60), 1));
    g.setBrush(Qt::NoBrush);
    g.drawRect(a);
    // The band used.
    const korvex::EnvelopeSpectrum& e = r.envelope;
    double y0 = a.top(), y1 = a.bottom();
    for (size_t j = 0; j < k.rows.size(); ++j)
        if (std::abs(k.rows[j].width - (e.hi - e.lo)) < 0.02 * k.rows[j].width) {
            y0 = a.top() + h * static_cast<double>(j);
            y1 = y0 + h;
        }
    g.setPen(QPen(Qt::white, 2.5));
    g.drawRect(
        QRectF(a.left() + a.width() * e.lo / nyq, y0, a.width() * (e.hi - e.lo) / nyq, y1 - y0));
    g.setPen(QPen(Qt::black, 1));
    XTicks(g, a, nyq, "Hz");
    g.save();
    g.translate(a.left() - 34, a.center().y());
    g.rotate(-90);
    g.drawText(QPointF(-fm.horizontalAdvance("level") / 2, 0), "level");
    g.restore();
    // Colour bar.
    const QRectF bar(a.right() + 14, a.top(), 14, a.height());
    for (int i = 0; i < 100; ++i)
        g.fillRect(QRectF(bar.left(), bar.bottom() - (i + 1) * bar.height() / 100, bar.width(),
                          bar.height() / 100 + 0.5),
                   Heat(i / 99.0));
    g.setPen(Qt::black);
    g.drawRect(bar);
    // Whole numbers from 100 up, so a large kurtosis keeps to the margin.
    const double shown = top < 100 ? std::round(top * 100) / 100 : std::round(top);
    g.drawText(QPointF(bar.right() + 4, bar.top() + fm.ascent()), Num(shown));
    g.drawText(QPointF(bar.right() + 4, bar.bottom()), "0");
}

struct Mark {
    double hz;
    QString label;
    QColor colour;
};

void DrawSpectrum(QPainter& g, const vantrel::EnvelopeAnalysis& r, const QRectF& a) {
    const korvex::EnvelopeSpectrum& e = r.envelope;
    if (e.power.size() < 2) return;
    // Up to a little past the third harmonic of the fastest bearing line.
    double fmax = 0;
    for (const korvex::LineReading& l : r.reading.lines) fmax = std::max(fmax, 3.3 * l.hz);
    const double end = static_cast<double>(e.power.size() - 1) * e.df;
    fmax = fmax > 0 ? std::min(fmax, end) : std::min(end, 500.0);
    const size_t last = std::min(e.power.size() - 1, static_cast<size_t>(fmax / e.df));
    double top = 0;
    for (size_t k = 1; k <= last; ++k) top = std::max(top, e.Rms(k));
    if (!(top > 0)) top = 1;
    top *= 1.05;
    const auto X = [&](double f) { return a.left() + f / fmax * a.width(); };
    const auto Y = [&](double v) { return a.bottom() - v / top * a.height(); };
    const QFontMetricsF fm(g.font());
    // Grid and amplitude ticks.
    const double step = NiceStep(top, 5);
    for (double v = 0; v <= top; v += step) {
        g.setPen(QColor(225, 225, 225));
        g.drawLine(QPointF(a.left(), Y(v)), QPointF(a.right(), Y(v)));
        g.setPen(Qt::black);
        const QString s = Num(v);
        g.drawText(QPointF(a.left() - 6 - fm.horizontalAdvance(s), Y(v) + fm.ascent() / 2 - 1), s);
    }
    // Fault lines and harmonics, labels in as many rows as they need.
    std::vector<Mark> marks;
    size_t colour = 0;
    for (const korvex::LineReading& l : r.reading.lines) {
        const QColor c = kLineColours[colour++ % std::size(kLineColours)];
        // The ball's line is read at twice its spin: 2, 4, 6 x BSF.
        const int base = l.line.kind == korvex::FaultKind::Bsf ? 2 : 1;
        for (int h = 1; h <= 3 && h * l.hz <= fmax; ++h) {
            const int m = h * base;
            marks.push_back({h * l.hz,
                             (m == 1 ? QString() : QString::number(m) + "×") +
                                 QString::fromStdString(l.line.name),
                             c});
        }
    }
    std::sort(marks.begin(), marks.end(), [](const Mark& p, const Mark& q) { return p.hz < q.hz; });
    std::vector<double> rowEnd;
    for (const Mark& m : marks) {
        const double w = fm.horizontalAdvance(m.label);
        const double x = std::clamp(X(m.hz) - w / 2, a.left(), a.right() - w);
        size_t row = 0;
        while (row < rowEnd.size() && rowEnd[row] + 4 > x) ++row;
        if (row == rowEnd.size()) rowEnd.push_back(0);
        rowEnd[row] = x + w;
        const double ty = a.top() - 6 - static_cast<double>(row) * fm.height();
        g.setPen(QPen(m.colour, 1, Qt::DashLine));
        g.drawLine(QPointF(X(m.hz), ty + 3), QPointF(X(m.hz), a.bottom()));
        g.setPen(m.colour);
        g.drawText(QPointF(x, ty), m.label);
    }
    // The spectrum.
    QPainterPath path;
    path.moveTo(X(0), Y(e.Rms(0)));
    for (size_t k = 1; k <= last; ++k) path.lineTo(X(static_cast<double>(k) * e.df), Y(e.Rms(k)));
    g.setPen(QPen(QColor(20, 20, 20), 1.2));
    g.drawPath(path);
    g.setPen(QPen(QColor(60, 60, 60), 1));
    g.drawRect(a);
    XTicks(g, a, fmax, "Hz");
    g.save();
    g.translate(a.left() - 58, a.center().y());
    g.rotate(-90);
    const QString unit =
        "RMS" + (r.unit.empty() ? QString() : ", " + QString::fromStdString(r.unit));
    g.drawText(QPointF(-fm.horizontalAdvance(unit) / 2, 0), unit);
    g.restore();
}

}  // namespace

QImage DrawEnvelope(const vantrel::EnvelopeAnalysis& r, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing);
    QFont font = g.font();
    font.setPixelSize(13);
    g.setFont(font);
    const korvex::EnvelopeSpectrum& e = r.envelope;
    QFont bold = font;
    bold.setBold(true);
    g.setFont(bold);
    g.drawText(QPointF(80, 24), QString::fromStdString(r.channel) + " — kurtogram; band " +
                                    Num(e.lo) + " – " + Num(e.hi) + " Hz (" +
                                    (r.byKurtogram ? "kurtogram" : "given") + "), kurtosis " +
                                    QString::number(e.kurtosis, 'f', 3));
    const double split = height * 0.40;
    g.setFont(font);
    DrawKurtogram(g, r, QRectF(80, 40, width - 160, split - 80));
    // Labels of the marks need room above the spectrum: up to four rows.
    const double labels = 4 * QFontMetricsF(font).height() + 10;
    g.setFont(bold);
    g.drawText(QPointF(80, split + 10),
               "Envelope spectrum, shaft " + Num(r.shaftHz) +
                   " Hz; verdict: " + korvex::FaultName(r.reading.verdict));
    g.setFont(font);
    DrawSpectrum(g, r, QRectF(80, split + 10 + labels, width - 160, height - split - labels - 60));
    return image;
}

}  // namespace envelopeplot
