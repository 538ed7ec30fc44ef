// A map graph's computation: the map on a worker, the part in view again in
// detail when zoomed in, its colour range and levels, the view's axes and the
// CSV. Drawing: mapview_draw.cpp; mouse and keys: mapview_input.cpp.

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

#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mapview_parts.h"
#include "apps/workbench/readout.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/texts.h"
#include "korvex/dsp/envelope.h"
#include "platform/profile.h"

namespace workbench {

using namespace mapparts;

namespace {

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
        message_ = !map           ? tr("The map could not be made.")
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
            message_ = tr("Nothing was measured for any cell of the map.");
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
    QString t = time ? tr("t %1 s").arg(Num(m.x()))
                     : tr("speed %1 %2").arg(Num(m.x()), QString::fromStdString(map_->xUnit));
    t += orders ? tr("   order %1").arg(Num(m.y())) : tr("   f %1 Hz").arg(Num(m.y()));
    const double c = std::floor(ColumnOf(m.x())), r = std::floor(RowOf(m.y()));
    if (c >= 0 && r >= 0 && c < double(map_->Columns()) && r < double(map_->rows))
        t += "   " + Num(map_->Cell(static_cast<size_t>(c), static_cast<size_t>(r))) + " " +
             QString::fromStdString(UnitText(map_->unit));
    if (time && SpeedObj()) {
        korvex::Lock lock = host_.LockTree();
        t += tr("   speed %1 %2")
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

}  // namespace workbench
