#pragma once
// The trend window: a merged summary opened from a file, a channel, band,
// mode and value chosen from lists, and that value over the recordings drawn
// with the limits and zones that judge it. Modeless; the plug-in keeps one.

#include <QDialog>
#include <string>
#include <vector>

#include "report/summary.h"
#include "report/trend.h"

class QComboBox;
class QLineEdit;

class CTrendWnd : public QDialog {
  public:
    explicit CTrendWnd(QWidget* parent = nullptr);

    // Asks for a summary file (the file dialog's hook in tests) and shows
    // it; false when cancelled or when it did not read, which the user is told.
    bool OnOpen();
    // Shows the summary at path; false with the reader's message kept and
    // the shown summary left as it was.
    bool Open(const std::string& path, std::string& error);

    const Trend& Shown() const { return trend_; }
    const TrendChoices& Choices() const { return choices_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Refill();
    void OnChoice();

    std::vector<SummaryRow> rows_;
    TrendChoices choices_;
    Trend trend_;
    QLineEdit* file_ = nullptr;
    QComboBox* channel_ = nullptr;
    QComboBox* item_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* value_ = nullptr;
    QWidget* plot_ = nullptr;
    QSize lastSize_;
};
