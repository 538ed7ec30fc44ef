#pragma once
// One graph of a graph window: its signals drawn against the window's shared
// abscissa range, the window's cursors and, right of the plot, a legend
// reading every signal at the cursors (scrolled with the wheel when long).
// The curves are drawn into a cached layer that is redrawn only when the data
// or the view changes; a cursor move repaints the cursor layer on top of it.

#include <QMimeData>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "korvex/dsp/envelope.h"
#include "korvex/host.h"
#include "korvex/ylines.h"

namespace workbench {

class GraphWindow;
struct EnvelopeJob;

class GraphView : public QWidget {
    Q_OBJECT
  public:
    GraphView(korvex::Host& host, int graphId, GraphWindow* owner);

    int GraphId() const { return graphId_; }
    // The signals the service shows on this graph, in order; false when
    // they are the ones shown already.
    bool SetSignals(const std::vector<int>& ids);
    const std::vector<int>& SignalIds() const { return ids_; }
    // The curves must be drawn again (data or view changed).
    void Invalidate();
    // The abscissa extent of the data, in the window's x units.
    bool DataExtent(double& lo, double& hi) const;
    void AutoscaleY() {
        autoY_ = true;
        Invalidate();
    }
    // Adds the signals of a drag from the tree; false when it holds none.
    bool DropSignals(const QMimeData& mime);
    // Plot area and legend in widget coordinates.
    QRectF PlotRect() const;
    QRectF LegendRect() const;
    // The y-axis width the tick labels asked for at the last drawing.
    double AxisWanted() const { return axisWanted_; }
    // The legend width that shows every row whole.
    double WantedLegendWidth() const;
    // The first legend row shown; the wheel over the legend moves it.
    int LegendFirst() const { return legendFirst_; }
    void ScrollLegend(int rows);

    // The two layers, public for the benchmark.
    void RenderBase(QPainter& p);
    void PaintCursorLayer(QPainter& p);
    // Times the curve layer was drawn.
    int BaseRenders() const { return baseRenders_; }
    // Envelopes of recordings on disk still being built on workers.
    int PendingEnvelopes() const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void focusInEvent(QFocusEvent*) override;

  private:
    struct Trace {
        int id = 0;
        plat::ObjPtr<korvex::SignalObj> signal;
        korvex::Envelope envelope;
        uint64_t builtAt = UINT64_MAX;  // host update count the envelope was built at
        // A recording on disk: its envelope is built on a worker, and the
        // values it was built from never change in place.
        std::shared_ptr<EnvelopeJob> job;
        const double* builtFrom = nullptr;
        bool Ready() const { return builtAt != UINT64_MAX && !job; }
    };
    void PrepareTraces();
    std::shared_ptr<EnvelopeJob> StartEnvelope(const korvex::SampleBuffer& y);
    void DrawTimeTrace(QPainter& p, const Trace& t, const QRectF& r, double yLo, double yHi);
    void DrawAgainstSignal(QPainter& p, const Trace& t, const korvex::SignalObj& xs,
                           const QRectF& r, double yLo, double yHi);
    void YRange(double& lo, double& hi) const;
    void DrawYLines(QPainter& p, const QRectF& r, double yLo, double yHi);
    double DrawYAxis(QPainter& p, double yLo, double yHi, bool draw);
    void PaintCursor(QPainter& p, double t, const QColor& color, Qt::PenStyle style,
                     const QString& label, bool top);
    void PaintLegend(QPainter& p);
    int LegendHeaderRows() const;
    double XOfPixel(double px) const;
    double PixelOfX(double x) const;
    void CursorToPixel(double px);

    korvex::Host& host_;
    const int graphId_;
    GraphWindow* const owner_;
    std::vector<int> ids_;
    std::vector<Trace> traces_;
    std::vector<korvex::YLine> ylines_;  // the traces' lines, each once
    QTimer progress_;                    // repaints while envelopes are built
    QPixmap base_;
    bool dirty_ = true;
    int baseRenders_ = 0;
    bool autoY_ = true;
    double yLo_ = 0.0, yHi_ = 1.0;
    double axisWanted_ = 0.0;
    int legendFirst_ = 0;
    enum class Drag { None, Cursor, CursorB, Pan } drag_ = Drag::None;
    double dragStartPx_ = 0.0, dragStartLo_ = 0.0, dragStartHi_ = 0.0;
};

QColor TraceColor(size_t index);

}  // namespace workbench
