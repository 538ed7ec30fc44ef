#include "apps/workbench/mapview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "korvex/dsp/envelope.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/texts.h"
#include "platform/profile.h"

namespace workbench {

namespace {

constexpr double kHeader = 18, kAxis = 80, kBottom = 22, kBarGap = 12, kBarW = 16, kBarText = 72;
const QColor kCursorColor(255, 255, 255), kCross(0, 0, 0);

QString Num(double v) {
    return QString::fromStdString(FormatNumber(v));
}

// Maps are shared between views while their signals stay unchanged.
std::shared_ptr<korvex::MapCache> SharedCache() {
    static auto cache = std::make_shared<korvex::MapCache>();
    return cache;
}

}  // namespace

MapView::MapView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec)
    : SpectralView(host, graphId, owner, std::move(spec)),
      job_(SharedCache()),
      detailJob_(std::make_shared<korvex::MapCache>(2)),
      progress_(new QProgressBar(this)),
      stop_(new QPushButton(wbtext::kStop, this)),
      timer_(new QTimer(this)),
      detailTimer_(new QTimer(this)) {
    setMinimumHeight(160);
    setMouseTracking(true);
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->hide();
    stop_->hide();
    connect(stop_, &QPushButton::clicked, this, &MapView::StopMap);
    connect(timer_, &QTimer::timeout, this,
            [this] { progress_->setValue(static_cast<int>(job_.Progress() * 1000)); });
    // A detail is asked for once zooming or panning rests a moment.
    detailTimer_->setSingleShot(true);
    detailTimer_->setInterval(150);
    connect(detailTimer_, &QTimer::timeout, this, &MapView::Detail);
    if (spec_.map.colourLo) {
        cLo_ = *spec_.map.colourLo;
        cHi_ = *spec_.map.colourHi;
        autoColour_ = false;
    }
}

MapView::~MapView() {
    // The jobs' done callbacks post to this view; they must not outlive it.
    job_.Stop();
    detailJob_.Stop();
}

Margins MapView::WantedMargins() const {
    return {kAxis, kBarGap + kBarW + kBarText};
}

QRectF MapView::PlotRect() const {
    const Margins m = owner_->PlotMargins();
    const double top = kHeader + 4 + (map_ && !map_->notes.empty() ? 14 : 0);
    return QRectF(m.left, top, std::max(1.0, width() - m.left - m.right),
                  std::max(1.0, height() - top - kBottom));
}

bool MapView::SharesTime() const {
    return spec_.map.params.x == korvex::MapAxisX::Time && owner_->SharesTimeRange();
}

double MapView::ViewX0() const {
    return SharesTime() ? owner_->Lo() : vx0_;
}

double MapView::ViewX1() const {
    return SharesTime() ? owner_->Hi() : vx1_;
}

QRectF MapView::BarRect() const {
    const QRectF r = PlotRect();
    return QRectF(r.right() + kBarGap, r.top(), kBarW, r.height());
}

void MapView::resizeEvent(QResizeEvent* e) {
    SpectralView::resizeEvent(e);
    imageValid_ = false;
    PlaceProgress();
}

void MapView::PlaceProgress() {
    const QRect c = rect().adjusted(width() / 4, 0, -width() / 4, 0);
    progress_->setGeometry(c.left(), height() / 2 - 10, c.width() - 90, 20);
    stop_->setGeometry(c.right() - 80, height() / 2 - 13, 80, 26);
}

korvex::MapParams MapView::JobParams(const korvex::SignalObj* speed) const {
    korvex::MapParams p = spec_.map.params;
    p.maxColumns = spec_.map.fullResolution ? 0 : kMapColumns;
    p.maxRows = spec_.map.fullResolution ? 0 : kMapRows;
    // Against speed without bins, columns would not be evenly spaced: bins
    // of a round width give about 400 columns.
    if (p.x == korvex::MapAxisX::Speed && !(p.binStep > 0) && speed) {
        korvex::Lock lock = host_.LockTree();
        const auto& v = speed->SamplesLocked();
        auto [mn, mx] = std::minmax_element(v.begin(), v.end());
        // About a dozen blocks a bin where the speed moves evenly, so that
        // a quick change leaves few bins empty; at most 400 bins.
        const double blocks = (t1_ - t0_) / (spectrumStepSeconds_ > 0 ? spectrumStepSeconds_ : 1);
        const int bins = static_cast<int>(std::clamp(blocks / 12, 10.0, 400.0));
        if (mn != v.end() && *mx > *mn) {
            const auto ticks = AxisTicks(0, *mx - *mn, bins);
            if (ticks.size() > 1) p.binStep = ticks[1] - ticks[0];
        }
    }
    return p;
}

void MapView::DataChanged() {
    Start();
}

void MapView::Start() {
    // The map shown stays until the new one is in, so a cached map
    // replaces it without a blank frame; not on other axes, which it would
    // be read against.
    job_.Stop();
    detailJob_.Stop();
    detailTimer_->stop();
    message_.clear();
    if (static_cast<int>(spec_.map.params.x) * 2 + static_cast<int>(spec_.map.params.y) !=
        shownAxes_) {
        map_.reset();
        full_.reset();
    }
    auto s = SignalObj();
    if (!s) {
        message_ = wbtext::kNoSignal;
        Invalidate();
        return;
    }
    auto speed = SpeedObj();
    autoColour_ = !spec_.map.colourLo;
    if (!autoColour_) {
        cLo_ = *spec_.map.colourLo;
        cHi_ = *spec_.map.colourHi;
    }
    {
        korvex::Lock lock = host_.LockTree();
        t0_ = s->StartXLocked();
        t1_ = t0_ + s->StepXLocked() * static_cast<double>(s->SamplesLocked().size());
        t0_ = std::max(t0_, spec_.map.params.from);
        t1_ = std::min(t1_, spec_.map.params.to);
        spectrumStepSeconds_ = s->StepXLocked() * korvex::BlockStep(spec_.map.params.spectrum);
    }
    progress_->setValue(0);
    progress_->show();
    stop_->show();
    PlaceProgress();
    timer_->start(100);
    job_.Start(*s, speed.get(), JobParams(speed.get()), [this] {
        QMetaObject::invokeMethod(this, &MapView::Finished, Qt::QueuedConnection);
    });
    Invalidate();
}

void MapView::StopMap() {
    job_.Stop();
}

void MapView::Finished() {
    if (job_.Running()) return;  // a newer job was started since
    timer_->stop();
    progress_->hide();
    stop_->hide();
    auto map = job_.Result();
    if (!map || !map->error.empty()) {
        map_.reset();
        full_.reset();
        message_ = !map           ? QString("The map could not be made.")
                   : map->stopped ? QString(wbtext::kMapStopped)
                                  : QString::fromStdString(map->error);
        Invalidate();
        return;
    }
    // The user's zoom stays while the axes stay.
    const int axes =
        static_cast<int>(spec_.map.params.x) * 2 + static_cast<int>(spec_.map.params.y);
    const bool sameAxes = map_ && axes == shownAxes_;
    shownAxes_ = axes;
    map_ = full_ = map;
    message_.clear();
    if (autoColour_) {
        const bool db = spec_.map.params.spectrum.scale == korvex::SpectrumScale::Db;
        if (!AutoColourRange({map_->cells.data(), map_->cells.size()}, db, cLo_, cHi_)) {
            message_ = "Nothing was measured for any cell of the map.";
            map_.reset();
            full_.reset();
            Invalidate();
            return;
        }
    }
    Requantise();
    if (sameAxes) {
        imageValid_ = false;
        detailTimer_->start();
    } else {
        FitView(false);
    }
    Q_EMIT MapReady();
}

void MapView::Detail() {
    if (!full_ || job_.Running() || full_->x.size() < 2 ||
        spec_.map.params.x != korvex::MapAxisX::Time)
        return;
    const double a = std::max(ViewX0(), t0_), b = std::min(ViewX1(), t1_);
    const double width = PlotRect().width();
    const double fullDx = (full_->x.back() - full_->x.front()) / double(full_->x.size() - 1);
    // Columns of merged blocks only: one block a column is all there is.
    const double blockDx = spectrumStepSeconds_ * spec_.map.params.spectrum.averages;
    if (!(b > a) || fullDx < 1.5 * blockDx || (b - a) / fullDx >= width / 2) {
        detailJob_.Stop();
        if (map_ != full_) {
            map_ = full_;
            Requantise();
        }
        return;
    }
    if (map_ != full_ && map_->x.size() > 1) {
        const double dx = (map_->x.back() - map_->x.front()) / double(map_->x.size() - 1);
        const bool covers = map_->x.front() - dx <= a && map_->x.back() + dx >= b;
        if (covers && ((b - a) / dx >= width / 2 || dx < 1.5 * blockDx)) return;
    }
    auto s = SignalObj();
    if (!s) return;
    auto speed = SpeedObj();
    korvex::MapParams p = JobParams(speed.get());
    const double pad = (b - a) / 4;
    p.from = std::max(t0_, a - pad);
    p.to = std::min(t1_, b + pad);
    p.maxColumns = std::max(64, static_cast<int>(width * (p.to - p.from) / (b - a)));
    detailJob_.Start(*s, speed.get(), p, [this] {
        QMetaObject::invokeMethod(this, &MapView::DetailFinished, Qt::QueuedConnection);
    });
}

void MapView::DetailFinished() {
    if (detailJob_.Running() || job_.Running() || !full_) return;
    auto detail = detailJob_.Result();
    // A detail that failed (too short a range for a block) leaves the
    // whole map shown.
    if (!detail || !detail->error.empty() || detail->rows != full_->rows) return;
    map_ = detail;
    Requantise();
}

void MapView::Requantise() {
    if (!map_) return;
    qLo_ = cLo_;
    qHi_ = cHi_;
    Quantise({map_->cells.data(), map_->cells.size()}, qLo_, qHi_, levels_);
    ++quantisations_;
    imageValid_ = false;
    Invalidate();
}

void MapView::SetColourRange(double lo, double hi, bool settled) {
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi)) return;
    cLo_ = lo;
    cHi_ = hi;
    autoColour_ = false;
    spec_.map.colourLo = lo;
    spec_.map.colourHi = hi;
    if (settled) {
        Requantise();
        return;
    }
    if (!image_.isNull()) {
        const ColourTable t = MakeColourTable(qLo_, qHi_, cLo_, cHi_);
        image_.setColorTable(QList<QRgb>(t.begin(), t.end()));
    }
    Invalidate();
}

void MapView::ResetColourRange() {
    autoColour_ = true;
    spec_.map.colourLo.reset();
    spec_.map.colourHi.reset();
    if (!map_) return;
    const bool db = spec_.map.params.spectrum.scale == korvex::SpectrumScale::Db;
    AutoColourRange({map_->cells.data(), map_->cells.size()}, db, cLo_, cHi_);
    Requantise();
}

double MapView::ColumnOf(double x) const {
    const auto& xs = map_->x;
    const double dx = xs.size() > 1 ? (xs.back() - xs.front()) / double(xs.size() - 1) : 1.0;
    return (x - xs.front()) / dx + 0.5;
}

double MapView::RowOf(double y) const {
    return (y - map_->y0) / map_->dy + 0.5;
}

void MapView::SetView(double x0, double x1, double y0, double y1) {
    if (!(x1 > x0) || !(y1 > y0) || !std::isfinite(x0 + x1 + y0 + y1)) return;
    vx0_ = x0;
    vx1_ = x1;
    // The window's other graphs follow a zoom or pan in time.
    if (SharesTime() && (x0 != owner_->Lo() || x1 != owner_->Hi())) owner_->SetRange(x0, x1);
    vy0_ = y0;
    vy1_ = y1;
    imageValid_ = false;
    Invalidate();
    if (full_) detailTimer_->start();
}

void MapView::Autoscale() {
    FitView(true);
}

void MapView::FitView(bool window) {
    const auto& whole = full_ ? full_ : map_;
    if (!whole || whole->x.empty()) return;
    const auto& xs = whole->x;
    const double dx = xs.size() > 1 ? (xs.back() - xs.front()) / double(xs.size() - 1) : 1.0;
    double top = whole->y0 + (static_cast<double>(whole->rows) - 0.5) * whole->dy;
    if (spec_.map.maxY > 0) top = std::min(top, spec_.map.maxY);
    const double y0 = std::max(0.0, whole->y0 - whole->dy / 2);
    if (SharesTime()) {
        // The time range is the window's, taken from its time graphs.
        if (window) owner_->Autoscale();
        SetView(ViewX0(), ViewX1(), y0, top);
        return;
    }
    SetView(xs.front() - dx / 2, xs.back() + dx / 2, y0, top);
}

void MapView::BuildImage() {
    const QRectF r = PlotRect();
    const int w = std::max(1, static_cast<int>(std::round(r.width())));
    const int h = std::max(1, static_cast<int>(std::round(r.height())));
    if (image_.width() != w || image_.height() != h) image_ = QImage(w, h, QImage::Format_Indexed8);
    imageX0_ = ViewX0();
    imageX1_ = ViewX1();
    ResampleLevels(levels_, map_->Columns(), map_->rows, ColumnOf(imageX0_), ColumnOf(imageX1_),
                   RowOf(vy0_), RowOf(vy1_), w, h, static_cast<int>(image_.bytesPerLine()),
                   image_.bits());
    const ColourTable t = MakeColourTable(qLo_, qHi_, cLo_, cHi_);
    image_.setColorTable(QList<QRgb>(t.begin(), t.end()));
    imageValid_ = true;
}

QPointF MapView::MapAt(QPointF px) const {
    const QRectF r = PlotRect();
    const double x0 = ViewX0(), x1 = ViewX1();
    return {x0 + (px.x() - r.left()) / r.width() * (x1 - x0),
            vy0_ + (r.bottom() - px.y()) / r.height() * (vy1_ - vy0_)};
}

QPointF MapView::PixelAt(double x, double y) const {
    const QRectF r = PlotRect();
    const double x0 = ViewX0(), x1 = ViewX1();
    return {r.left() + (x - x0) / (x1 - x0) * r.width(),
            r.bottom() - (y - vy0_) / (vy1_ - vy0_) * r.height()};
}

double MapView::SpeedAt(double t) const {
    auto speed = SpeedObj();
    if (!speed) return NAN;
    korvex::Lock lock = host_.LockTree();
    return SeriesOf(*speed, 1.0).At(t);
}

double MapView::TimeOfX(double x) const {
    if (spec_.map.params.x == korvex::MapAxisX::Time) return std::clamp(x, t0_, t1_);
    auto speed = SpeedObj();
    if (!speed) return NAN;
    korvex::Lock lock = host_.LockTree();
    return TimeOfSpeed(SeriesOf(*speed, 1.0), x, t0_, t1_, spec_.map.params.direction);
}

QString MapView::CrosshairText(QPointF px) const {
    if (!map_) return {};
    const QPointF m = MapAt(px);
    const bool time = spec_.map.params.x == korvex::MapAxisX::Time;
    const bool orders = spec_.map.params.y == korvex::MapAxisY::Order;
    QString t = time ? QString("t %1 s").arg(Num(m.x()))
                     : QString("speed %1 %2").arg(Num(m.x()), QString::fromStdString(map_->xUnit));
    t += orders ? QString("   order %1").arg(Num(m.y())) : QString("   f %1 Hz").arg(Num(m.y()));
    const double c = std::floor(ColumnOf(m.x())), r = std::floor(RowOf(m.y()));
    if (c >= 0 && r >= 0 && c < double(map_->Columns()) && r < double(map_->rows))
        t += "   " + Num(map_->Cell(static_cast<size_t>(c), static_cast<size_t>(r))) + " " +
             QString::fromStdString(map_->unit);
    if (time && SpeedObj()) {
        korvex::Lock lock = host_.LockTree();
        t += QString("   speed %1 %2")
                 .arg(Num(SpeedAt(m.x())), QString::fromStdString(SpeedObj()->UnitLocked()));
    }
    return t;
}

bool MapView::WriteCsv(const std::string& path, std::string& message) const {
    if (!full_) {
        message = message_.isEmpty() ? "the map is not ready" : message_.toStdString();
        return false;
    }
    if (!plat::WriteFileAtomic(path, MapCsv(*full_), &message)) {
        if (message.empty()) message = "cannot write " + path;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Drawing

void MapView::DrawHeader(QPainter& p) {
    QString head;
    {
        korvex::Lock lock = host_.LockTree();
        if (auto s = SignalObj()) head = QString::fromStdString(s->NameLocked()) + "   ";
    }
    head += QString::fromStdString(
        AmplitudeName(spec_.map.params.spectrum.amplitude) + " [" + map_->unit + "]   " +
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
    QString notes = "note: ";
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
               QFontMetricsF(f).elidedText(QString::fromStdString(map_->unit), Qt::ElideRight, w));
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
                                  QString::fromStdString(overlays_[i].name),
                                  OverlayColor(i + 1)});
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
    const QString yName = spec_.map.params.y == korvex::MapAxisY::Order ? "order" : "f [Hz]";
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

// ---------------------------------------------------------------------------
// Mouse and keys

void MapView::mousePressEvent(QMouseEvent* e) {
    if (!map_) return;
    const QPointF pos = e->position();
    dragPx_ = pos;
    const QRectF bar = BarRect().adjusted(-4, -6, kBarText, 6);
    if (e->button() == Qt::LeftButton && bar.contains(pos)) {
        // The upper half moves the range's high end, the lower its low end.
        drag_ = pos.y() < bar.center().y() ? Drag::BarHi : Drag::BarLo;
        dragA_ = cLo_;
        dragB_ = cHi_;
    } else if (e->button() == Qt::LeftButton) {
        drag_ = Drag::Cursor;
        const double t = TimeOfX(MapAt(pos).x());
        if (std::isfinite(t)) owner_->MoveCursor(t, graphId_);
    } else if (e->button() == Qt::MiddleButton || e->button() == Qt::RightButton) {
        drag_ = Drag::Pan;
        dragA_ = ViewX0();
        dragB_ = ViewX1();
        dragC_ = vy0_;
        dragD_ = vy1_;
    }
}

void MapView::mouseMoveEvent(QMouseEvent* e) {
    const QPointF pos = e->position();
    crossOn_ = true;
    cross_ = pos;
    const QRectF b = BarRect();
    if (drag_ == Drag::BarHi || drag_ == Drag::BarLo) {
        // The bar's scale as the drag began.
        const double v = dragA_ + (b.bottom() - pos.y()) / b.height() * (dragB_ - dragA_);
        const double gap = (dragB_ - dragA_) * 0.02;
        if (drag_ == Drag::BarHi)
            SetColourRange(cLo_, std::max(v, cLo_ + gap), false);
        else
            SetColourRange(std::min(v, cHi_ - gap), cHi_, false);
    } else if (drag_ == Drag::Cursor) {
        const double t = TimeOfX(MapAt(pos).x());
        if (std::isfinite(t)) owner_->MoveCursor(t, graphId_);
    } else if (drag_ == Drag::Pan) {
        const QRectF r = PlotRect();
        const double dx = (pos.x() - dragPx_.x()) / r.width() * (dragB_ - dragA_);
        const double dy = (pos.y() - dragPx_.y()) / r.height() * (dragD_ - dragC_);
        SetView(dragA_ - dx, dragB_ - dx, dragC_ + dy, dragD_ + dy);
    }
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* e) {
    const Drag was = std::exchange(drag_, Drag::None);
    if (was == Drag::BarHi || was == Drag::BarLo) {
        SetColourRange(cLo_, cHi_, true);
    } else if (was == Drag::Pan && e->button() == Qt::RightButton &&
               QLineF(e->position(), dragPx_).length() < 3) {
        QContextMenuEvent ce(QContextMenuEvent::Mouse, e->position().toPoint(),
                             e->globalPosition().toPoint());
        contextMenuEvent(&ce);
    }
}

void MapView::mouseDoubleClickEvent(QMouseEvent* e) {
    // On the bar: the parameters, where the range is typed; else autoscale.
    if (BarRect().adjusted(-4, -6, kBarText, 6).contains(e->position()))
        Q_EMIT ParamsRequested(graphId_);
    else
        Autoscale();
}

void MapView::leaveEvent(QEvent*) {
    crossOn_ = false;
    update();
}

void MapView::wheelEvent(QWheelEvent* e) {
    if (!map_) return;
    const double k = e->angleDelta().y() > 0 ? 0.8 : 1.25;
    const QPointF m = MapAt(e->position());
    if (e->modifiers() & Qt::ControlModifier)
        SetView(ViewX0(), ViewX1(), m.y() - (m.y() - vy0_) * k, m.y() + (vy1_ - m.y()) * k);
    else
        SetView(m.x() - (m.x() - ViewX0()) * k, m.x() + (ViewX1() - m.x()) * k, vy0_, vy1_);
    e->accept();
}

void MapView::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (!map_ || map_->x.size() < 2) break;
            // One column of the map.
            const double sign = e->key() == Qt::Key_Left ? -1.0 : 1.0;
            const double dx = (map_->x.back() - map_->x.front()) / double(map_->x.size() - 1);
            const double t = owner_->CursorTime();
            const double x = spec_.map.params.x == korvex::MapAxisX::Time ? t : SpeedAt(t);
            const double next = TimeOfX(x + sign * dx);
            if (std::isfinite(next)) owner_->MoveCursor(next, graphId_);
            break;
        }
        case Qt::Key_R:
            ResetColourRange();
            break;
        case Qt::Key_Home:
        case Qt::Key_A:
            Autoscale();
            break;
        case Qt::Key_Escape:
            StopMap();
            break;
        default:
            QWidget::keyPressEvent(e);
    }
}

void MapView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addAction(wbtext::kResetColours, this, [this] { ResetColourRange(); });
    menu.addAction(wbtext::kAutoscale, this, [this] { Autoscale(); });
    menu.addSeparator();
    AddCommonActions(menu);
    menu.exec(e->globalPos());
}

}  // namespace workbench
