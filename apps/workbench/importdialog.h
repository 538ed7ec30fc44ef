#pragma once
// Before a CSV or text export is opened: its first lines, what the reader
// found in them (separator, decimal mark, names and units lines, time
// column), each choice open to correction, and the sample rate when there
// is no time column.

#include <QDialog>

#include "korvex/formats/readers.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;

namespace workbench {

class TextImportDialog : public QDialog {
    Q_OBJECT
  public:
    TextImportDialog(const QString& path, QWidget* parent = nullptr);
    // The choices as the reader takes them.
    korvex::ReadOptions Options() const;
    // Whether the file reads as text at all; else Message says why.
    bool Readable() const { return layout_.message.empty(); }
    QString Message() const { return QString::fromStdString(layout_.message); }

  private:
    void Sniff();  // again, with the choices made so far
    void Show();

    std::string path_;
    korvex::TextLayout layout_;
    bool updating_ = false;
    QPlainTextEdit* head_;
    QLabel* found_;
    QComboBox* separator_;
    QComboBox* decimal_;
    QSpinBox* header_;
    QSpinBox* units_;
    QSpinBox* time_;
    QDoubleSpinBox* rate_;
    QCheckBox* resample_;
};

}  // namespace workbench
