#pragma once
// The default-settings dialog: hosts the spectrum panel (mode 1) or the
// tacho panel (mode 2) in defaults mode, which edits the process-wide
// default record. OK applies, cancel does not.

#include <QDialog>
#include <memory>

class CProcItem;

class CDefaultOptDlg : public QDialog {
  public:
    enum Mode { kSpectrum = 1, kTacho = 2 };
    explicit CDefaultOptDlg(int mode, QWidget* parent = nullptr);
    ~CDefaultOptDlg() override;

    int Mode() const { return mode_; }
    CProcItem* Panel() const { return panel_; }

    void accept() override;
    void reject() override;

  private:
    void DestroyPanel();

    const int mode_;
    CProcItem* panel_ = nullptr;  // a child widget; deleted with the dialog or on close
};
