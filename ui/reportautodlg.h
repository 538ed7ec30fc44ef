#pragma once
// The automatic-report dialog: the program whose modes are looked for, the
// measurement and result folder it runs over, the report file and whether
// the report is opened afterwards. OK writes the choices into the report
// settings of the plug-in's configuration.

#include <QDialog>
#include <functional>

#include "config/cfgproc.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CReportAutoDlg : public QDialog {
  public:
    explicit CReportAutoDlg(CCfgProc* cfg, QWidget* parent = nullptr);

    // Shows the settings and runs the dialog; QDialog::Accepted on OK.
    int DoModal();
    // Shows the settings (DoModal does it first).
    void Init();
    void OnOK();
    // "...": the chosen file is taken at once, even if the dialog is then
    // cancelled.
    void OnBrowse();

    // Runs the filled dialog instead of the modal loop (tests); an empty hook
    // brings the loop back. Returns the previous hook.
    using ModalHook = std::function<int(CReportAutoDlg&)>;
    static ModalHook SetModalHook(ModalHook hook);

  private:
    CCfgProc* cfg_;
    QComboBox* programs_ = nullptr;
    QLineEdit* file_ = nullptr;
    QCheckBox* open_ = nullptr;
};
