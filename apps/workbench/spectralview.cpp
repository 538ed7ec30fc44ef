// What spectrum and map graphs share: overlays, cached layer, axes, labels, the menu.

#include "apps/workbench/spectralview.h"

#include <QDragEnterEvent>
#include <QMenu>
#include <QPainter>
#include <cmath>

#include "korvex/dsp/envelope.h"
#include "apps/workbench/graphwindow.h"
#include "apps/workbench/mime.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/texts.h"

namespace workbench {

QColor OverlayColor(size_t index) {
    static const QColor colors[] = {QColor(255, 255, 255), QColor(255, 0, 200),
                                    QColor(0, 0, 0),       QColor(255, 140, 0),
                                    QColor(0, 200, 120),   QColor(120, 60, 255)};
    return colors[index % std::size(colors)];
}

SpectralView::SpectralView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec)
    : QWidget(owner), host_(host), graphId_(graphId), owner_(owner), spec_(std::move(spec)) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setMinimumHeight(120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const std::vector<int> signalsAsked = spec_.overlaySignals;
    const std::vector<std::string> foldersAsked = spec_.overlayFolders;
    for (int id : signalsAsked) AddOverlaySignal(id);
    for (const std::string& f : foldersAsked) AddOverlayFolder(f);
}

void SpectralView::SetSpec(const ViewSpec& spec) {
    spec_.kind = spec.kind;
    spec_.spectrum = spec.spectrum;
    spec_.map = spec.map;
    spec_.speedId = spec.speedId;
    spec_.cutOrder = spec.cutOrder;
    DataChanged();
}

void SpectralView::SetSignals(const std::vector<int>& ids) {
    const int id = ids.empty() ? 0 : ids.front();
    if (id == signalId_) return;
    signalId_ = id;
    DataChanged();
}

plat::ObjPtr<korvex::SignalObj> SpectralView::SignalObj() const {
    return signalId_ ? host_.Graphs().SignalById(signalId_) : nullptr;
}

plat::ObjPtr<korvex::SignalObj> SpectralView::SpeedObj() const {
    return spec_.speedId ? host_.Graphs().SignalById(spec_.speedId) : nullptr;
}

void SpectralView::AddOverlaySignal(int id) {
    auto s = host_.Graphs().SignalById(id);
    if (!s) return;
    for (const Overlay& o : overlays_)
        if (o.signal.get() == s.get()) return;
    overlays_.push_back({s, s->Name(), HertzPerUnit(s->Unit())});
    if (std::find(spec_.overlaySignals.begin(), spec_.overlaySignals.end(), id) ==
        spec_.overlaySignals.end())
        spec_.overlaySignals.push_back(id);
    Invalidate();
}

bool SpectralView::AddOverlayFolder(const std::string& path) {
    const std::vector<Strip> found = FindStrips(host_, path);
    auto get = [&](int id) { return id ? host_.Graphs().SignalById(id) : nullptr; };
    for (const Strip& s : found) {
        StripSignals st{s.label, get(s.lo), get(s.hi), get(s.mid)};
        if (st.lo && st.hi) strips_.push_back(std::move(st));
    }
    if (std::find(spec_.overlayFolders.begin(), spec_.overlayFolders.end(), path) ==
        spec_.overlayFolders.end())
        spec_.overlayFolders.push_back(path);
    Invalidate();
    return !found.empty();
}

bool SpectralView::DropOverlays(const QMimeData& mime) {
    bool any = false;
    for (int id : SignalIdsFromMime(mime)) {
        AddOverlaySignal(id);
        any = true;
    }
    for (const QString& f : FolderPathsFromMime(mime))
        any = AddOverlayFolder(f.toStdString()) || any;
    return any;
}

Series SpectralView::SeriesOf(const korvex::SignalObj& s, double toHz) {
    return {s.SamplesLocked(), s.StartXLocked(), s.StepXLocked(), toHz};
}

void SpectralView::Invalidate() {
    dirty_ = true;
    update();
}

void SpectralView::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (dirty_ || base_.size() != size() * dpr) {
        // Drawn over in full, so kept from one drawing to the next: a new
        // pixmap of a wide graph costs more page faults than the drawing.
        if (base_.size() != size() * dpr) {
            base_ = QPixmap(size() * dpr);
            base_.setDevicePixelRatio(dpr);
        }
        QPainter bp(&base_);
        ++baseRenders_;
        RenderBase(bp);
        dirty_ = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, base_);
    PaintTop(p);
    if (hasFocus()) {
        p.setPen(QPen(QColor(90, 140, 220), 1.0, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void SpectralView::resizeEvent(QResizeEvent*) {
    dirty_ = true;
}

void SpectralView::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasFormat(kSignalMime) || e->mimeData()->hasFormat(kFolderMime))
        e->acceptProposedAction();
}

void SpectralView::dropEvent(QDropEvent* e) {
    if (DropOverlays(*e->mimeData())) e->acceptProposedAction();
}

void SpectralView::focusInEvent(QFocusEvent*) {
    host_.Graphs().SetActive(owner_->WindowId(), graphId_);
    update();
}

void SpectralView::DrawAxes(QPainter& p, const QRectF& r, double xLo, double xHi, double yLo,
                            double yHi, const QString& xName, const QString& yName, bool grid) {
    // Grid lines are opaque: translucent ones are blended span by span on
    // the paint engine's thread pool, which made a redraw some ten times
    // slower on a busy machine.
    const QColor gridColor(232, 232, 232);
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    const auto xt = AxisTicks(xLo, xHi, std::max(2, static_cast<int>(r.width() / 90)));
    const double xs = xt.size() > 1 ? xt[1] - xt[0] : 1.0;
    for (double x : xt) {
        const double px = r.left() + (x - xLo) / (xHi - xLo) * r.width();
        p.setPen(grid ? gridColor : QColor(Qt::gray));
        if (grid)
            p.drawLine(QPointF(px, r.top()), QPointF(px, r.bottom()));
        else
            p.drawLine(QPointF(px, r.bottom()), QPointF(px, r.bottom() + 3));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(px - 40, r.bottom() + 2, 80, 16), Qt::AlignCenter,
                   QString::fromStdString(TickLabel(x, xs)));
    }
    const auto yt = AxisTicks(yLo, yHi, std::max(2, static_cast<int>(r.height() / 40)));
    const double ys = yt.size() > 1 ? yt[1] - yt[0] : 1.0;
    for (double y : yt) {
        const double py = r.bottom() - (y - yLo) / (yHi - yLo) * r.height();
        p.setPen(grid ? gridColor : QColor(Qt::gray));
        if (grid)
            p.drawLine(QPointF(r.left(), py), QPointF(r.right(), py));
        else
            p.drawLine(QPointF(r.left() - 3, py), QPointF(r.left(), py));
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(0, py - 8, r.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(TickLabel(y, ys)));
    }
    p.setPen(Qt::gray);
    p.drawRect(r);
    p.setPen(Qt::darkGray);
    const double nameW = r.left() - 16;
    p.drawText(QRectF(0, r.bottom() + 2, nameW, 16), Qt::AlignRight | Qt::AlignVCenter,
               QFontMetricsF(p.font()).elidedText(xName, Qt::ElideLeft, nameW));
    // Rotated text is drawn glyph by glyph as paths, which costs more than
    // the rest of the graph: the title is drawn turned once and kept.
    const QFontMetricsF fm(p.font());
    const QString title = fm.elidedText(yName, Qt::ElideRight, std::max(20.0, r.height() - 4));
    if (title != yTitle_ || yTitleImage_.isNull()) {
        const int w = static_cast<int>(std::ceil(fm.horizontalAdvance(title))) + 4;
        yTitleImage_ = QImage(16, w, QImage::Format_ARGB32_Premultiplied);
        yTitleImage_.fill(Qt::transparent);
        QPainter tp(&yTitleImage_);
        tp.setFont(p.font());
        tp.setPen(p.pen());
        tp.translate(0, w);
        tp.rotate(-90);
        tp.drawText(QRectF(0, 0, w, 16), Qt::AlignCenter, title);
        yTitle_ = title;
    }
    const double h = std::min<double>(yTitleImage_.height(), r.height());
    p.drawImage(QRectF(2, r.center().y() - h / 2, 16, h), yTitleImage_,
                QRectF(0, (yTitleImage_.height() - h) / 2, 16, h));
}

void SpectralView::DrawLabel(QPainter& p, const QRectF& plot, QPointF at, const QString& text,
                             const QColor& color) {
    const QFontMetricsF fm(p.font());
    const double w = fm.horizontalAdvance(text) + 8, h = fm.height() + 2;
    const double x =
        std::clamp(at.x(), plot.left() + 1, std::max(plot.left() + 1, plot.right() - w));
    const double y =
        std::clamp(at.y(), plot.top() + 1, std::max(plot.top() + 1, plot.bottom() - h));
    const QRectF box(x, y, w, h);
    p.fillRect(box, QColor(255, 255, 255, 235));
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void SpectralView::DrawLabels(QPainter& p, const QRectF& plot,
                              const std::vector<LabelText>& labels) {
    if (labels.empty()) return;
    const QFontMetricsF fm(p.font());
    const double h = fm.height() + 2, pad = 10;
    std::vector<LabelWish> wishes;
    std::vector<QString> shortTexts;
    for (const LabelText& l : labels) {
        const QString shortText = fm.elidedText(l.text, Qt::ElideRight, 60);
        shortTexts.push_back(shortText);
        wishes.push_back({l.at.x(), l.at.y(), fm.horizontalAdvance(l.text) + pad,
                          shortText == l.text ? 0.0 : fm.horizontalAdvance(shortText) + pad});
    }
    const Box area{plot.left() + 1, plot.top() + 1, plot.width() - 2, plot.height() - 2};
    LabelPlacement placed = PlaceLabels(wishes, h, area, {});
    QString more;
    Box countBox;
    if (placed.omitted > 0) {
        // The count takes the top right corner; the others are placed again
        // around it.
        more = tr("+%1 more").arg(placed.omitted);
        const double w = fm.horizontalAdvance(more + "0") + pad;
        countBox = {area.Right() - w, area.y, w, h};
        const Box obstacles[] = {countBox};
        placed = PlaceLabels(wishes, h, area, obstacles);
        more = tr("+%1 more").arg(placed.omitted);
    }
    for (size_t i = 0; i < labels.size(); ++i) {
        const PlacedLabel& l = placed.labels[i];
        if (!l.shown) continue;
        const QRectF box(l.box.x, l.box.y, l.box.w, l.box.h);
        p.fillRect(box, QColor(255, 255, 255, 225));
        p.fillRect(QRectF(box.left(), box.top(), 3, box.height()), labels[i].swatch);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   l.shortened ? shortTexts[i] : labels[i].text);
    }
    if (placed.omitted > 0) {
        const QRectF box(countBox.x, countBox.y, countBox.w, countBox.h);
        p.fillRect(box, QColor(255, 255, 255, 225));
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter, more);
    }
}

void SpectralView::DrawMessage(QPainter& p, const QString& text) {
    p.setPen(QColor(150, 0, 0));
    QFont f = font();
    f.setPointSizeF(10);
    p.setFont(f);
    p.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, text);
}

void SpectralView::AddCommonActions(QMenu& menu) {
    menu.addAction(wbtext::kSpectralParams, this, [this] { Q_EMIT ParamsRequested(graphId_); });
    menu.addAction(wbtext::kExportThisCsv, this, [this] { Q_EMIT ExportCsvRequested(graphId_); });
    menu.addAction(wbtext::kExportThisGraph, this,
                   [this] { Q_EMIT owner_->ExportGraphRequested(graphId_); });
    if (!overlays_.empty() || !strips_.empty())
        menu.addAction(wbtext::kRemoveOverlays, this, [this] {
            overlays_.clear();
            strips_.clear();
            spec_.overlaySignals.clear();
            spec_.overlayFolders.clear();
            Invalidate();
        });
}

}  // namespace workbench
