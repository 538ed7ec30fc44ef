#pragma once
// The limits dialog of the band panel: the alert and danger limits of the
// current item on the selected channels and the channels' machine class
// for the vibration zones. Like the panels it shows a value only where all
// channels agree and writes back only what the user changed.

#include <QDialog>
#include <functional>

#include "config/cfgitem.h"
#include "ui/rules/procrules.h"

class QComboBox;
class QLineEdit;

class CLimitsDlg : public QDialog {
  public:
    CLimitsDlg(const procrules::Records& records, const CCfgProcItem& item,
               QWidget* parent = nullptr);

    // Shows the values and runs the dialog; QDialog::Accepted on OK.
    int DoModal();
    void Init();
    // Writes what was changed into the records and closes the dialog.
    void OnOK();

    // Runs the filled dialog instead of the modal loop (tests).
    using ModalHook = std::function<int(CLimitsDlg&)>;
    static ModalHook SetModalHook(ModalHook hook);

  private:
    procrules::Records records_;
    const CCfgProcItem& item_;
    QLineEdit* alert_ = nullptr;
    QLineEdit* danger_ = nullptr;
    QComboBox* class_ = nullptr;
};
