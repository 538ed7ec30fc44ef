#pragma once
// The bearing and gear-pair calculators of the frequency-base page: the
// input, what to add (harmonics, sidebands, the width rule) and a read-only
// preview of the bands with their factors. The add button appends the bands to
// the folder, or names the wrong field and adds nothing. The formulas and
// checks are in ui/rules/kinrules.h.

#include <QDialog>
#include <functional>
#include <vector>

#include "config/cfgproc.h"
#include "ui/rules/kinrules.h"

class QTableWidget;

class CKinDlg : public QDialog {
  public:
    enum Kind { kBearing, kGear };
    CKinDlg(Kind kind, CCfgProc* cfg, CCfgProcFolder* folder, QWidget* parent = nullptr);

    // Shows the defaults and runs the dialog; QDialog::Accepted once bands
    // were added.
    int DoModal();
    // Shows the defaults and the preview (DoModal does it first).
    void Init();
    // Adds the bands and closes, or tells what is wrong and stays open.
    void OnAdd();

    // The bands the controls describe now, or the first fault.
    kinrules::Plan CurrentPlan() const;
    const std::vector<CCfgProcBandTrack*>& Added() const { return added_; }
    QTableWidget* Preview() const { return preview_; }
    Kind DialogKind() const { return kind_; }

    // Runs the initialised dialog instead of the modal loop (tests); an empty
    // hook brings the loop back. Returns the previous hook.
    using ModalHook = std::function<int(CKinDlg&)>;
    static ModalHook SetModalHook(ModalHook hook);

  private:
    void ConnectInput();
    void ShowWidth();
    void Refresh();
    kinrules::Target CurrentTarget() const;
    std::string Text(int id) const;

    const Kind kind_;
    CCfgProc* cfg_;
    CCfgProcFolder* folder_;
    freqrules::TachoList tacho_;
    CfgBandWidth width_;
    QTableWidget* preview_ = nullptr;
    std::vector<CCfgProcBandTrack*> added_;
    bool filling_ = false;
};
