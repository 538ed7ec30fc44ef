#pragma once
// A spectrum graph: the spectrum of the graph's signal at the window's time
// cursor, taken again whenever that cursor moves (SpectrumAt keeps its
// transform plans, so this costs a transform and a pass over the lines).
// It has its own frequency cursor with a readout (frequency, amplitude, and
// the order when a speed signal is known), the peak near that cursor
// (interpolated frequency and amplitude), a harmonic cursor (k * f) and a
// sideband cursor (f0 +- k * df), and a table of marked values that copies
// to the clipboard. Overlay signals stand as markers at their value at the
// cursor time, strips as shaded regions.

#include <optional>
#include <vector>

#include "apps/workbench/envelopemode.h"
#include "apps/workbench/faultlines.h"
#include "apps/workbench/spectrallogic.h"
#include "apps/workbench/spectralview.h"
#include "korvex/dsp/spectral.h"

namespace workbench {

class SpectrumView : public SpectralView {
    Q_OBJECT
  public:
    SpectrumView(korvex::Host& host, int graphId, GraphWindow* owner, ViewSpec spec);

    void CursorMoved() override;
    void DataChanged() override;
    bool WriteCsv(const std::string& path, std::string& message) const override;
    QString Message() const override;
    void RenderBase(QPainter& p) override;
    void PaintTop(QPainter& p) override;

    const korvex::Spectrum& Current() const { return spectrum_; }
    // Whether the view shows the order spectrum of R revolutions around the
    // cursor (orderspectrum.h): its x axis is then in orders, not hertz.
    bool Orders() const { return spec_.spectrum.orderRevs > 0 && !envelope_.On(); }
    // The time the spectrum was taken at (the window's cursor).
    double SpectrumTime() const { return time_; }
    Margins WantedMargins() const override;
    QRectF PlotRect() const override;
    double Lo() const { return fLo_; }
    double Hi() const { return fHi_; }
    void SetRange(double lo, double hi);
    void Autoscale();

    // Each strip's label and the RMS of the spectrum over its band at the
    // cursor time, summed as the engine sums a band (korvex::BandRms).
    struct StripLevel {
        std::string label;
        double lo = 0, hi = 0, rms = 0;
    };
    std::vector<StripLevel> StripLevels() const;

    // The frequency cursor, in Hz (NaN until put).
    double XCursor() const { return xCursor_; }
    void SetXCursor(double f);
    // The tone near the frequency cursor.
    Peak CursorPeak() const;
    // The order of frequency f at the cursor time; NaN without a speed.
    double OrderAt(double f) const;
    bool Harmonics() const { return harmonics_; }
    void SetHarmonics(bool on);
    bool Sidebands() const { return sidebands_; }
    // Sidebands around the frequency cursor, spacing in Hz (0 keeps it).
    void SetSidebands(bool on, double spacing = 0);
    double SidebandSpacing() const { return spacing_; }
    // Adds the peak near the cursor (the cursor's line without one) and,
    // with the harmonic cursor on, the peak at each harmonic shown.
    void MarkPeak();
    const std::vector<MarkedValue>& Marks() const { return marks_; }
    void ClearMarks();
    // The marked values as the clipboard gets them.
    QString MarksText() const;
    void CopyMarks() const;
    // The fault-line families of the bearing entered for the graph's signal
    // (faultlines.h): one bearing per signal, none removes it. The marks
    // drawn, within the spectrum, at the shaft frequency of the cursor time.
    void SetFaultBearing(const std::optional<FaultBearing>& b);
    std::vector<FaultMark> FaultMarksShown() const;
    // Asks for the bearing in a dialog (spectrumview_faults.cpp).
    void EditFaultBearing();
    // Envelope mode (envelopemode.h, spectrumview_envelope.cpp): the band
    // typed, dragged with Ctrl over the ordinary spectrum or taken from the
    // kurtogram of the range at the cursor; a band that is not on turns the
    // ordinary spectrum back.
    const EnvelopeBand& Envelope() const { return envelope_; }
    void SetEnvelope(const EnvelopeBand& band);
    // False, and the mode unchanged, when the kurtogram cannot be had.
    bool EnvelopeFromKurtogram();
    void EditEnvelope();
    // The kurtogram of the range at the cursor, and its window (kurtogramview.h),
    // made on first use and kept following the cursor while shown.
    korvex::Kurtogram KurtogramAtCursor(double* middle = nullptr);
    class KurtogramView* ShowKurtogram();

  protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

  private:
    void Recompute();
    korvex::Spectrum OrderSpectrum();
    void AutoY();
    double PixelOf(double f) const;
    double FreqOf(double px) const;
    double YPixel(double v) const;
    void DrawCurve(QPainter& p, const QRectF& r);
    void DrawOverlays(QPainter& p, const QRectF& r);
    void DrawCursors(QPainter& p, const QRectF& r);
    void DrawMarks(QPainter& p);
    void DrawOrderAxis(QPainter& p, const QRectF& r);
    void DrawFaultLines(QPainter& p, const QRectF& r);
    void DrawBandDrag(QPainter& p, const QRectF& r);
    bool PressForBand(QMouseEvent* e);
    void RefreshKurtogram();
    bool ReleaseBand();
    // The shaft frequency at the cursor time, Hz; NaN without a speed.
    double ShaftHz() const;
    QString ValueText(double v) const;

    korvex::SignalSnapshot snap_;
    bool haveSnap_ = false;
    korvex::Spectrum spectrum_;
    double time_ = 0.0;
    bool autoX_ = true;
    double fLo_ = 0.0, fHi_ = 1.0;
    double yLo_ = 0.0, yHi_ = 1.0;
    double xCursor_ = NAN;
    bool harmonics_ = false, sidebands_ = false;
    double spacing_ = 0.0;
    std::vector<MarkedValue> marks_;
    EnvelopeBand envelope_;
    double bandFrom_ = NAN, bandTo_ = NAN;      // a band being dragged
    class KurtogramView* kurtogram_ = nullptr;  // a child: goes with the view
    enum class Drag { None, Cursor, Spacing, Pan, Band } drag_ = Drag::None;
    double dragPx_ = 0.0, dragLo_ = 0.0, dragHi_ = 0.0;
};

}  // namespace workbench
