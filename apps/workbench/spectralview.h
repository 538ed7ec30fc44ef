#pragma once
// What the spectrum and map graphs of a graph window share: the graph's
// signal, its spec (viewparams.h), the window's time cursor they follow, the
// overlays dropped on them (signals and strip folders, overlays.h), the
// axes, and the cached layer the data is drawn into (a move of a cursor
// repaints only what lies on top of it).

#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QWidget>
#include <string>
#include <vector>

#include "apps/workbench/graphlayout.h"
#include "apps/workbench/overlays.h"
#include "apps/workbench/viewparams.h"
#include "korvex/host.h"

namespace workbench {

class GraphWindow;

class SpectralView : public QWidget {
    Q_OBJECT
  public:
    SpectralView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec);

    int GraphId() const { return graphId_; }
    // The room the view asks for left and right of its plot; the window
    // gives every graph the widest (graphlayout.h).
    virtual Margins WantedMargins() const = 0;
    // The plot area, between the window's margins.
    virtual QRectF PlotRect() const = 0;
    const ViewSpec& Spec() const { return spec_; }
    // New parameters: the data is taken again.
    virtual void SetSpec(const ViewSpec& spec);
    // The service's signals of the graph; the first is the one analysed.
    void SetSignals(const std::vector<int>& ids);
    int SignalId() const { return signalId_; }
    // The window's time cursor moved.
    virtual void CursorMoved() = 0;
    // The host's data changed (UpdateViews): take the samples again.
    virtual void DataChanged() = 0;
    // Signals and folders dropped from the tree; false when none applies.
    bool DropOverlays(const QMimeData& mime);
    void AddOverlaySignal(int id);
    // The folder's strips; false when it holds none.
    bool AddOverlayFolder(const std::string& path);
    size_t StripCount() const { return strips_.size(); }
    // The time span of a view plotted against time; false for any other.
    virtual bool TimeExtent(double& /*lo*/, double& /*hi*/) const { return false; }
    // The shown data as CSV; false with a message.
    virtual bool WriteCsv(const std::string& path, std::string& message) const = 0;
    // What the view says instead of drawing (an error), or "".
    virtual QString Message() const = 0;
    int BaseRenders() const { return baseRenders_; }
    // The two layers, public for the benchmark.
    virtual void RenderBase(QPainter& p) = 0;
    virtual void PaintTop(QPainter& p) = 0;
    void Invalidate();

  Q_SIGNALS:
    void ParamsRequested(int graph);
    void ExportCsvRequested(int graph);
    // A map asks for the cut of an order picked on it (ordercutview.h).
    void OrderCutRequested(int graph, double order);

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;
    void focusInEvent(QFocusEvent*) override;

    // A signal drawn over the view, with its unit's factor to Hz.
    struct Overlay {
        plat::ObjPtr<korvex::SignalObj> signal;
        std::string name;
        double toHz = 1.0;
    };
    struct StripSignals {
        std::string label;
        plat::ObjPtr<korvex::SignalObj> lo, hi, mid;
    };
    // Reads a signal under the host lock as an overlay series.
    static Series SeriesOf(const korvex::SignalObj& s, double toHz);
    // The axes' grid, tick labels and names around plot; without grid,
    // short ticks outside the plot instead of lines across it (a map).
    void DrawAxes(QPainter& p, const QRectF& plot, double xLo, double xHi, double yLo, double yHi,
                  const QString& xName, const QString& yName, bool grid = true);
    // A text in a white box, kept inside the plot.
    static void DrawLabel(QPainter& p, const QRectF& plot, QPointF at, const QString& text,
                          const QColor& color);
    // Labels of strips and overlays, placed by PlaceLabels (overlays.h) so
    // that none covers another: dark text on a white box with a swatch of
    // the colour it names; those left out are counted in the top right.
    struct LabelText {
        QPointF at;
        QString text;
        QColor swatch;
    };
    static void DrawLabels(QPainter& p, const QRectF& plot, const std::vector<LabelText>& labels);
    void DrawMessage(QPainter& p, const QString& text);
    // The menu entries every spectral graph has.
    void AddCommonActions(class QMenu& menu);
    plat::ObjPtr<korvex::SignalObj> SignalObj() const;
    plat::ObjPtr<korvex::SignalObj> SpeedObj() const;

    korvex::Host& host_;
    const int graphId_;
    GraphWindow* const owner_;
    ViewSpec spec_;
    int signalId_ = 0;
    std::vector<Overlay> overlays_;
    std::vector<StripSignals> strips_;

  private:
    QString yTitle_;
    QImage yTitleImage_;
    QPixmap base_;
    bool dirty_ = true;
    int baseRenders_ = 0;
};

QColor OverlayColor(size_t index);

}  // namespace workbench
