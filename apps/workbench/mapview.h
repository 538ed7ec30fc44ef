#pragma once
// A spectral map graph: the map of the graph's signal against time or speed
// (a Campbell diagram), with frequency or order up, as a colour image with a
// colour bar. The map is computed on a MapJob thread with a progress bar
// and a Stop, at display resolution (at most kMapColumns x kMapRows cells).
// The image is 8-bit indexed (colormap.h): dragging an end of the colour
// bar only swaps the colour table, and the levels are quantised again once
// the drag ends; nothing is computed again for a new colour range.
//
// Zoomed in on a time axis so far that the whole map's merged columns grow
// wider than two pixels, the view computes the part in view (with a margin
// for panning) at display resolution on a second worker, and goes back to
// the whole map when zoomed out again.
//
// The window's time cursor shows as a line (at the speed at that time on a
// speed axis); a click puts the cursor at the clicked time, so the other
// graphs and the plug-ins follow. A crosshair reads time or speed,
// frequency or order, the cell's value and the speed. Errors and notes of
// the computation are shown as text in the view; nothing is drawn wrong.

#include <QImage>
#include <memory>
#include <vector>

#include "korvex/dsp/spectralmap.h"
#include "apps/workbench/colormap.h"
#include "apps/workbench/spectralview.h"

class QProgressBar;
class QPushButton;
class QTimer;

namespace workbench {

inline constexpr int kMapColumns = 2048;
inline constexpr int kMapRows = 4097;  // the lines of N = 8192 without merging

class MapView : public SpectralView {
    Q_OBJECT
  public:
    MapView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec);
    ~MapView() override;

    void CursorMoved() override { update(); }
    void DataChanged() override;
    bool WriteCsv(const std::string& path, std::string& message) const override;
    QString Message() const override { return message_; }
    void RenderBase(QPainter& p) override;
    void PaintTop(QPainter& p) override;

    bool Running() const { return job_.Running() || detailJob_.Running(); }
    // Whether the part in view is shown from a map of its own.
    bool Detailed() const { return map_ && full_ && map_ != full_; }
    void StopMap();
    std::shared_ptr<const korvex::MapResult> Map() const { return map_; }
    Margins WantedMargins() const override;
    QRectF PlotRect() const override;
    QRectF BarRect() const;

    double ColourLo() const { return cLo_; }
    double ColourHi() const { return cHi_; }
    // settled false: only the colour table changes (while dragging).
    void SetColourRange(double lo, double hi, bool settled = true);
    void ResetColourRange();
    // Times the levels were quantised.
    int Quantisations() const { return quantisations_; }

    // The shown part of the map, in its axes.
    void SetView(double x0, double x1, double y0, double y1);
    // The whole map; against time in a window of time graphs, the
    // window's time range is autoscaled with it.
    void Autoscale();
    // On a time axis in a window of time graphs, the window's time range.
    double ViewX0() const;
    double ViewX1() const;
    // Map axes at a pixel and back.
    QPointF MapAt(QPointF px) const;
    QPointF PixelAt(double x, double y) const;
    // The time a click at x (in the map's x axis) puts the cursor at.
    double TimeOfX(double x) const;
    // What the crosshair reads at a pixel.
    QString CrosshairText(QPointF px) const;

  Q_SIGNALS:
    void MapReady();

  protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void leaveEvent(QEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    void Start();
    void Finished();
    // The whole map in view; a shared time range is the window's to keep
    // unless window is true.
    void FitView(bool window);
    void Detail();
    void DetailFinished();
    void Requantise();
    void BuildImage();
    void PlaceProgress();
    korvex::MapParams JobParams(const korvex::SignalObj* speed) const;
    double SpeedAt(double t) const;
    double ColumnOf(double x) const;
    double RowOf(double y) const;
    void DrawHeader(QPainter& p);
    void DrawBar(QPainter& p);
    void DrawOverlays(QPainter& p, const QRectF& r);
    void DrawCurve(QPainter& p, const std::vector<MapPoint>& pts);

    korvex::MapJob job_;
    korvex::MapJob detailJob_;
    std::shared_ptr<const korvex::MapResult> full_;  // the whole map
    std::shared_ptr<const korvex::MapResult> map_;   // the one drawn: full_ or a detail
    QString message_;
    std::vector<uint8_t> levels_;
    double qLo_ = 0, qHi_ = 1, cLo_ = 0, cHi_ = 1;
    bool autoColour_ = true;
    int quantisations_ = 0;
    QImage image_;
    bool imageValid_ = false;
    double vx0_ = 0, vx1_ = 1, vy0_ = 0, vy1_ = 1;
    double imageX0_ = 0, imageX1_ = 0;  // the x range the image was made for
    bool SharesTime() const;
    double t0_ = 0, t1_ = 0;  // the times the map spans
    double spectrumStepSeconds_ = 0;
    int shownAxes_ = -1;  // x * 2 + y of the map shown
    QProgressBar* progress_;
    QPushButton* stop_;
    QTimer* timer_;
    QTimer* detailTimer_;
    bool crossOn_ = false;
    QPointF cross_;
    enum class Drag { None, Cursor, Pan, BarLo, BarHi } drag_ = Drag::None;
    QPointF dragPx_;
    double dragA_ = 0, dragB_ = 0, dragC_ = 0, dragD_ = 0;
};

}  // namespace workbench
