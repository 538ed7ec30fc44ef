#pragma once
// The list of data sets: the folders directly under "/Signals" that hold
// something, in the host's order. OK takes the selected row.

#include <QDialog>
#include <functional>
#include <string>

class QListWidget;

namespace host {
class App;
}

class CSignalsDlg : public QDialog {
  public:
    explicit CSignalsDlg(QWidget* parent = nullptr);

    void SetHost(const host::App* app) { app_ = app; }
    void SetSelectedName(const std::string& name) { selected_ = name; }
    const std::string& SelectedName() const { return selected_; }

    // Fills the list and runs the dialog; QDialog::Accepted on OK.
    int DoModal();
    // Fills the list from the host (DoModal does it first).
    void Init();
    // What OK does: the selected row, if any, becomes the name.
    void OnOK();

    QListWidget* List() const { return list_; }

    // Runs the filled dialog instead of the modal loop (tests); an empty hook
    // brings the loop back. Returns the previous hook.
    using ModalHook = std::function<int(CSignalsDlg&)>;
    static ModalHook SetModalHook(ModalHook hook);

  private:
    const host::App* app_ = nullptr;
    std::string selected_;
    QListWidget* list_ = nullptr;
};
