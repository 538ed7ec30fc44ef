// vantrel-orders: the PNG of "vantrel orders" (same arguments): the order
// map with the chosen orders' cuts, RMS and phase, beneath it. It draws
// without a display: the offscreen platform is used unless another is set.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "apps/vantrel/orders_cmd.h"
#include "platform/numtext.h"

namespace {

constexpr int kWidth = 1100, kLeft = 90, kRight = 150;
constexpr double kRangeDb = 60.0;  // the map shows this far below its highest cell

QRgb ScaleColour(double u) {
    // Dark blue, blue, cyan, green, yellow, red, dark red.
    static const QRgb stops[] = {0xff000050, 0xff0000ff, 0xff00ffff, 0xff00ff00,
                                 0xffffff00, 0xffff0000, 0xff800000};
    u = std::clamp(u, 0.0, 1.0) * 6.0;
    const int i = std::min(5, static_cast<int>(u));
    const double f = u - i;
    auto mix = [f](int a, int b) { return static_cast<int>(a + (b - a) * f + 0.5); };
    const QRgb a = stops[i], b = stops[i + 1];
    return qRgb(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

QString Text(double v) {
    return QString::fromStdString(plat::GeneralText(v, 4));
}

// Round steps of 1, 2 or 5 times a power of ten, about `count` over the span.
std::vector<double> Ticks(double lo, double hi, int count) {
    const double raw = (hi - lo) / count, p = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = raw / p < 2 ? p : raw / p < 5 ? 2 * p : 5 * p;
    std::vector<double> t;
    for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9 * step; v += step) t.push_back(v);
    return t;
}

struct Axis {
    double lo, hi;
    int a, b;  // pixels of lo and hi
    double Px(double v) const { return a + (v - lo) / (hi - lo) * (b - a); }
};

// The shared abscissa of the map's rows and the cuts: speed for a run-up or
// run-down, else time.
struct Abscissa {
    std::vector<double> v;
    QString label;
};

Abscissa ChooseAbscissa(const korvex::OrderSpectra& s) {
    int up = 0, down = 0;
    for (size_t r = 1; r < s.Rows(); ++r) (s.speed[r] >= s.speed[r - 1] ? up : down) += 1;
    const bool monotone =
        s.Rows() > 1 && (down == 0 || up == 0) && s.speed.back() != s.speed.front();
    if (monotone) return {s.speed, "speed [Hz]"};
    return {s.time, "time [s]"};
}

void Frame(QPainter& p, const QRect& r, const Axis& x, const Axis& y, const QString& xLabel,
           const QString& yLabel, bool xTicks) {
    p.setPen(Qt::black);
    p.drawRect(r);
    const QFontMetrics fm = p.fontMetrics();
    for (double t : Ticks(std::min(y.lo, y.hi), std::max(y.lo, y.hi), 5)) {
        const int py = static_cast<int>(y.Px(t));
        p.drawLine(r.left() - 4, py, r.left(), py);
        const QString s = Text(t);
        p.drawText(r.left() - 8 - fm.horizontalAdvance(s), py + fm.ascent() / 2 - 1, s);
    }
    if (xTicks)
        for (double t : Ticks(x.lo, x.hi, 8)) {
            const int px = static_cast<int>(x.Px(t));
            p.drawLine(px, r.bottom(), px, r.bottom() + 4);
            const QString s = Text(t);
            p.drawText(px - fm.horizontalAdvance(s) / 2, r.bottom() + 6 + fm.ascent(), s);
        }
    if (!xLabel.isEmpty())
        p.drawText(r.center().x() - fm.horizontalAdvance(xLabel) / 2,
                   r.bottom() + 10 + fm.height() + fm.ascent(), xLabel);
    p.save();
    p.translate(r.left() - 62, r.center().y() + fm.horizontalAdvance(yLabel) / 2);
    p.rotate(-90);
    p.drawText(0, 0, yLabel);
    p.restore();
}

// Orders upwards, one column per order spectrum at its time or speed.
void DrawMap(QPainter& p, const QRect& r, const vantrel::OrdersRun& run, const Abscissa& ab,
             const Axis& x) {
    const korvex::OrderSpectra& s = run.spectra;
    double top = -INFINITY;
    for (double v : s.power) top = std::max(top, v);
    const double topDb = 10.0 * std::log10(std::max(top, 1e-300));
    const Axis y{0.0, s.Order(s.lines - 1), r.bottom(), r.top()};
    const int lines = static_cast<int>(s.lines);
    for (size_t row = 0; row < s.Rows(); ++row) {
        const double v0 = row == 0 ? x.lo : 0.5 * (ab.v[row - 1] + ab.v[row]);
        const double v1 = row + 1 == s.Rows() ? x.hi : 0.5 * (ab.v[row] + ab.v[row + 1]);
        QImage column(1, lines, QImage::Format_RGB32);
        for (int k = 0; k < lines; ++k) {
            const double db = 10.0 * std::log10(std::max(s.Power(row, k), 1e-300));
            column.setPixel(0, lines - 1 - k, ScaleColour(1.0 + (db - topDb) / kRangeDb));
        }
        // Whole pixels shared by neighbouring columns, so no seam shows between them.
        const int xa = static_cast<int>(std::lround(x.Px(v0)));
        const int xb = static_cast<int>(std::lround(x.Px(v1))) + (row + 1 == s.Rows() ? 1 : 0);
        p.drawImage(QRect(std::min(xa, xb), r.top(), std::max(1, std::abs(xb - xa)), r.height()),
                    column);
    }
    Frame(p, r, x, y, ab.label, "order", true);
    // Colour bar.
    const QRect bar(r.right() + 20, r.top(), 16, r.height());
    for (int i = 0; i < bar.height(); ++i) {
        p.setPen(QColor(ScaleColour(1.0 - static_cast<double>(i) / bar.height())));
        p.drawLine(bar.left(), bar.top() + i, bar.right(), bar.top() + i);
    }
    p.setPen(Qt::black);
    p.drawRect(bar);
    const Axis dbAxis{topDb - kRangeDb, topDb, bar.bottom(), bar.top()};
    const QFontMetrics fm = p.fontMetrics();
    for (double t : Ticks(dbAxis.lo, dbAxis.hi, 6)) {
        const int py = static_cast<int>(dbAxis.Px(t));
        p.drawText(bar.right() + 5, py + fm.ascent() / 2 - 1, Text(t));
    }
    p.drawText(bar.left(), bar.top() - 6, "dB re 1 " + QString::fromStdString(run.unit));
}

const QColor kCutColours[] = {QColor(0, 90, 200),   QColor(210, 40, 30), QColor(20, 150, 40),
                              QColor(150, 60, 170), QColor(230, 140, 0), QColor(0, 150, 160)};

void DrawCuts(QPainter& p, const QRect& r, const vantrel::OrdersRun& run, const Axis& x,
              const std::vector<double>& ab, bool phase, const QString& xLabel) {
    double hi = 0.0;
    for (const korvex::OrderCut& c : run.cuts)
        for (double v : c.rms) hi = std::max(hi, v);
    const Axis y = phase ? Axis{-180.0, 180.0, r.bottom(), r.top()}
                         : Axis{0.0, hi > 0 ? hi * 1.1 : 1.0, r.bottom(), r.top()};
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing);
    for (size_t i = 0; i < run.cuts.size(); ++i) {
        const std::vector<double>& v = phase ? run.cuts[i].phase : run.cuts[i].rms;
        p.setPen(QPen(kCutColours[i % 6], 1.5));
        QPainterPath path;
        for (size_t k = 0; k < v.size(); ++k) {
            const QPointF pt(x.Px(ab[k]), y.Px(v[k]));
            // Phase wraps: a jump over half a turn starts a new stroke.
            if (k == 0 || (phase && std::abs(v[k] - v[k - 1]) > 180.0))
                path.moveTo(pt);
            else
                path.lineTo(pt);
            if (phase) p.drawEllipse(pt, 1.5, 1.5);
        }
        p.drawPath(path);
    }
    p.restore();
    Frame(p, r, x, y, xLabel,
          phase ? "phase [deg]" : "RMS [" + QString::fromStdString(run.unit) + "]",
          !xLabel.isEmpty() || phase);
    if (phase) return;
    const QFontMetrics fm = p.fontMetrics();
    for (size_t i = 0; i < run.cuts.size(); ++i) {
        const int ly = r.top() + 8 + static_cast<int>(i) * (fm.height() + 2);
        p.setPen(QPen(kCutColours[i % 6], 2));
        p.drawLine(r.right() + 12, ly, r.right() + 32, ly);
        p.setPen(Qt::black);
        p.drawText(r.right() + 38, ly + fm.ascent() / 2 - 1, "order " + Text(run.cuts[i].order));
    }
}

QImage DrawOrders(const vantrel::OrdersRun& run, const std::string& title) {
    const bool cuts = !run.cuts.empty();
    const int mapH = 420, cutH = 200, gap = 70;
    const int height = 60 + mapH + gap + (cuts ? 2 * (cutH + gap) : 0);
    QImage image(kWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    p.drawText(kLeft, 30, QString::fromStdString(title));
    const Abscissa ab = ChooseAbscissa(run.spectra);
    // The axis reaches half a column beyond the first and the last.
    const auto [lo0, hi0] = std::minmax_element(ab.v.begin(), ab.v.end());
    const double half = ab.v.size() > 1 ? 0.5 * (*hi0 - *lo0) / (ab.v.size() - 1) : 0.5;
    const double lowest = *lo0 - half, span = *hi0 - *lo0 + 2 * half;
    const double* lo = &lowest;
    const QRect mapRect(kLeft, 50, kWidth - kLeft - kRight, mapH);
    DrawMap(p, mapRect, run, ab, Axis{*lo, *lo + span, mapRect.left(), mapRect.right()});
    if (cuts) {
        const QRect amp(kLeft, mapRect.bottom() + gap, mapRect.width(), cutH);
        const QRect ph(kLeft, amp.bottom() + gap, mapRect.width(), cutH);
        const Axis x{*lo, *lo + span, amp.left(), amp.right()};
        DrawCuts(p, amp, run, x, ab.v, false, ab.label);
        DrawCuts(p, ph, run, x, ab.v, true, ab.label);
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> args{"orders"};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    vantrel::OrdersArgs a;
    std::string error;
    if (!vantrel::ParseOrdersArgs(args, a, error) || a.png.empty()) {
        std::cerr << "vantrel-orders: " << (error.empty() ? "--png OUT.png is needed" : error)
                  << " (see vantrel orders --help)\n";
        return vantrel::kExitUsage;
    }
    vantrel::Console c{std::cout, std::cerr, false};
    vantrel::OrdersRun run;
    if (const int code = vantrel::ComputeOrders(a, run, c); code != vantrel::kExitOk) return code;
    QGuiApplication app(argc, argv);
    std::ostringstream title;
    title << run.channel << ": order map, " << run.spectra.revs << " revolutions a spectrum (1/"
          << run.spectra.revs << " order lines)";
    const QImage image = DrawOrders(run, title.str());
    // Written beside the target and renamed, so a failed write leaves no half file.
    const std::string temp = a.png + ".tmp.png";
    if (!image.save(QString::fromStdString(temp), "PNG") ||
        std::rename(temp.c_str(), a.png.c_str()) != 0) {
        std::remove(temp.c_str());
        std::cerr << "vantrel-orders: cannot write " << a.png << '\n';
        return vantrel::kExitOutput;
    }
    std::cout << "Written: " << a.png << " (" << run.spectra.Rows() << " order spectra)\n";
    return vantrel::kExitOk;
}
