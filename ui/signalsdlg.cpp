// The list of data sets under "/Signals" to choose the source from.

#include "ui/signalsdlg.h"

#include <QListWidget>
#include <QPushButton>

#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/res/ids.h"

using namespace res;

namespace {

CSignalsDlg::ModalHook& Hook() {
    static CSignalsDlg::ModalHook hook;
    return hook;
}

}  // namespace

CSignalsDlg::ModalHook CSignalsDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CSignalsDlg::CSignalsDlg(QWidget* parent) : QDialog(parent) {
    ui::BuildFromTemplate(this, IDD_SIGNALS);
    list_ = ui::Ctl<QListWidget>(this, IDC_LIST);
    if (list_) {
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setUniformItemSizes(true);
    }
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CSignalsDlg::Init() {
    if (!list_) return;
    list_->clear();
    if (!app_) return;
    const host::Folder signals = app_->GetFolder("/Signals");
    if (!signals) return;
    const int n = signals.ItemCount();
    for (int i = 0; i < n; ++i) {
        // Single signals and empty folders are no data sets.
        const host::Item entry = signals.GetItem(i);
        if (entry && entry.ItemCount() > 0) list_->addItem(ui::QStr(entry.ItemName()));
    }
}

void CSignalsDlg::OnOK() {
    const QList<QListWidgetItem*> rows = list_ ? list_->selectedItems() : QList<QListWidgetItem*>{};
    if (!rows.isEmpty()) selected_ = ui::StdStr(rows.first()->text());
    accept();
}

int CSignalsDlg::DoModal() {
    Init();
    if (Hook()) return Hook()(*this);
    return exec();
}
