#pragma once
// A graph window: the graphs of one service window stacked vertically over a
// shared abscissa, with one cursor. The window mirrors the service's state
// (Sync); a cursor the user moves goes to every graph of the window in the
// service and the host then sends the cursor event to the plug-ins.
//
// The cursor is a time abscissa (what a plug-in reads back). With a signal
// picked as the x axis, the graphs plot against that signal's value at each
// time and the cursor stands at its value at the cursor time.
//
// A second cursor B, the window's own (plug-ins see only the first, A),
// measures against A: a readout line under the graphs gives both times, Δt
// and 1/Δt, and every legend the values at A, at B and B - A.
//
// Every graph of the window, spectrum and map graphs too, has its plot
// between the same left and right margins, and the time graphs share their
// legend width, so their plots line up and a time stands at one pixel column
// in each. Spectrum and map graphs (a spec for their graph id, viewparams.h)
// stack with the time graphs and follow the cursor; a map against time
// shares the window's time range, the others have axes of their own.

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <map>
#include <vector>

#include "apps/workbench/graphlayout.h"
#include "apps/workbench/viewparams.h"
#include "korvex/graphs.h"
#include "korvex/host.h"

namespace workbench {

class GraphView;
class SpectralView;

class GraphWindow : public QWidget {
    Q_OBJECT
  public:
    // specs: the spectrum and map graphs by graph id (kept by the caller).
    GraphWindow(korvex::Host& host, int windowId, QWidget* parent = nullptr,
                const std::map<int, ViewSpec>* specs = nullptr);

    int WindowId() const { return windowId_; }
    void Sync(const korvex::GraphService::WindowInfo& info);
    // The time graphs; SpectralViews the spectrum and map graphs.
    std::vector<GraphView*> Views() const { return views_; }
    std::vector<SpectralView*> SpectralViews() const { return spectral_; }
    SpectralView* SpectralOf(int graph) const;
    // Any graph's widget.
    QWidget* WidgetOf(int graph) const;
    GraphView* ActiveView() const;
    GraphView* ViewOf(int graph) const;

    // The shared view range, in x-axis units (time, or the x signal's).
    double Lo() const { return lo_; }
    double Hi() const { return hi_; }
    void SetRange(double lo, double hi);
    void Autoscale();
    void ZoomAround(double x, double factor);

    double CursorTime() const { return cursor_; }
    // Moves the cursor of every graph to time t; graph becomes the active
    // one and the plug-ins hear of it.
    void MoveCursor(double t, int graph);
    // A step of the cursor keys: one sample of the first signal, at least a
    // pixel.
    double CursorStep() const;

    // Cursor B, a time like A. Turned on without a time it stands a tenth of
    // the view to the right of A (to the left when that is out of view).
    bool CursorBOn() const { return cursorBOn_; }
    double CursorB() const { return cursorB_; }
    void SetCursorBOn(bool on);
    void MoveCursorB(double t);  // also turns B on
    // "A 12.5 s   B 14 s   Δt 1.5 s   1/Δt 0.666667 Hz", shown while B is on.
    QString ReadoutText() const;

    // Legends stand right of the plots; hidden, the plots take the width.
    bool LegendShown() const { return legendShown_; }
    void SetLegendShown(bool shown);
    // What every graph of the window leaves for its y axis and legend.
    double AxisWidth() const { return margins_.left; }
    double LegendWidth() const { return legendWidth_; }
    // The plot margins every graph of the window keeps.
    Margins PlotMargins() const { return margins_; }
    // A graph tells the width its y-axis labels need; the others follow
    // when the widest changes.
    void NoteAxisWidth(const GraphView* from);
    // The margins are taken again from what every graph asks for; the
    // graphs other than from are drawn again when they change.
    void UpdateMargins(const QWidget* from = nullptr);
    // Whether a map against time takes the window's time range: the time
    // graphs plot against time, or several maps against time share one.
    bool SharesTimeRange() const;
    // The time range follows the data (not a zoom, pan or --range).
    bool AutoRange() const { return autoRange_; }
    // The legends were given other rows (signals, B on or off).
    void UpdateLegendWidth();

    // 0: time; else the id of the signal whose values form the x axis.
    int XSignal() const { return xSignal_; }
    void SetXSignal(int signalId);
    plat::ObjPtr<korvex::SignalObj> XSignalObj() const;
    // The x-axis position of time t (t itself on a time axis).
    double XOfTime(double t) const;
    // The time whose x-axis position is nearest to x.
    double TimeOfX(double x) const;

    void InvalidateAll();
    // The host's data changed: spectra and maps are taken again.
    void DataChanged();

  Q_SIGNALS:
    void CursorMoved(double t);
    // Cursor B or the legend was turned on or off.
    void ViewStateChanged();
    // The user asked to save one graph as a picture.
    void ExportGraphRequested(int graph);
    // A spectrum or map graph asks for its parameter dialog or its CSV.
    void ParamsRequested(int graph);
    void ExportCsvRequested(int graph);
    void OrderCutRequested(int graph, double order);

  protected:
    void resizeEvent(QResizeEvent*) override;

  private:
    void UpdateReadout();

    korvex::Host& host_;
    const int windowId_;
    QVBoxLayout* layout_;
    const std::map<int, ViewSpec>* specs_;
    std::vector<GraphView*> views_;
    std::vector<SpectralView*> spectral_;
    bool autoRange_ = true;
    int activeGraph_ = 0;
    double lo_ = 0.0, hi_ = 1.0;
    bool ranged_ = false;  // the range was set from data or by the user
    double cursor_ = 0.0;
    int xSignal_ = 0;
    bool cursorBOn_ = false;
    double cursorB_ = 0.0;
    bool legendShown_ = true;
    Margins margins_{40.0, kPlotRightEdge};
    double legendWidth_ = 0.0;
    QLabel* readout_;
};

}  // namespace workbench
