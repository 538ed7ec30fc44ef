#pragma once
// The pulse repair dialog of the tacho panel: the repair keys of the
// selected tacho channels (or of the defaults). Like the panels it shows a
// value only where all records agree and writes back only what the user
// changed; a number outside its range is refused with the field named.

#include <QDialog>
#include <functional>
#include <vector>

#include "config/cfgchannel.h"

class QCheckBox;

class CTahoRepairDlg : public QDialog {
  public:
    explicit CTahoRepairDlg(std::vector<CfgTahoOpt*> records, QWidget* parent = nullptr);

    // Shows the values and runs the dialog; QDialog::Accepted on OK.
    int DoModal();
    void Init();
    // Checks the edited numbers; writes what was changed and closes the
    // dialog, or names the first bad field and stays open.
    void OnOK();

    // Runs the filled dialog instead of the modal loop (tests).
    using ModalHook = std::function<int(CTahoRepairDlg&)>;
    static ModalHook SetModalHook(ModalHook hook);

  private:
    std::vector<CfgTahoOpt*> records_;
    QCheckBox* repair_ = nullptr;
};
