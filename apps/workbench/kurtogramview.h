#pragma once
// The kurtogram of the range around cursor A of a spectrum graph's signal,
// in a window of its own beside the graph: level against frequency, the
// kurtosis of each band in colour, the most impulsive band outlined white
// and the envelope band in use black. A click on a band makes it the
// graph's envelope band. It follows the cursor while shown.

#include <QWidget>

#include "korvex/dsp/kurtogram.h"

namespace workbench {

class SpectrumView;

class KurtogramView : public QWidget {
    Q_OBJECT
  public:
    explicit KurtogramView(SpectrumView* spectrum);
    // Takes the kurtogram of the spectrum's signal at its time again.
    void Refresh();
    const korvex::Kurtogram& Current() const { return k_; }
    QRectF PlotRect() const;
    // Band i of row `row` on the screen, and the band under a point (level < 0: none).
    QRectF CellRect(size_t row, size_t i) const;
    korvex::KurtogramBand BandAt(QPointF at) const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

  private:
    SpectrumView* const spectrum_;
    korvex::Kurtogram k_;
    double time_ = 0.0, nyquist_ = 0.0, kMax_ = 1.0;
};

}  // namespace workbench
