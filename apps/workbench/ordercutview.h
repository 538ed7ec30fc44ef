#pragma once
// An order-cut graph: one order's RMS (above) and phase in degrees (below)
// against time, as ordercut.h computes them from the graph's signal and
// speed with the parameters of the order map the order was picked on. Both
// plots share the window's time range when the window's graphs share one,
// and the window's cursor stands on both with the values at it.

#include "apps/workbench/ordercut.h"
#include "apps/workbench/spectralview.h"

namespace workbench {

class OrderCutView : public SpectralView {
    Q_OBJECT
  public:
    OrderCutView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec);

    void CursorMoved() override { update(); }
    void DataChanged() override;
    bool WriteCsv(const std::string& path, std::string& message) const override;
    QString Message() const override;
    void RenderBase(QPainter& p) override;
    void PaintTop(QPainter& p) override;
    Margins WantedMargins() const override;
    // Both plots; RmsRect and PhaseRect each.
    QRectF PlotRect() const override;
    QRectF RmsRect() const;
    QRectF PhaseRect() const;
    bool TimeExtent(double& lo, double& hi) const override;

    const OrderCutCurves& Curves() const { return cut_; }
    // The time range shown and the pixel column of a time.
    double TimeLo() const;
    double TimeHi() const;
    double PixelOfTime(double t) const;
    // The pixel row of an RMS value in the upper plot.
    double RmsPixel(double v) const;

  protected:
    void contextMenuEvent(QContextMenuEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

  private:
    OrderCutCurves cut_;
    double rmsHi_ = 1.0;
};

}  // namespace workbench
