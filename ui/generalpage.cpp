// The general page: the source data set chosen from the host's folders, the result text.

#include "ui/generalpage.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/dialogs.h"
#include "ui/res/ids.h"
#include "ui/signalsdlg.h"

using namespace res;

CVantrelGeneralPage::CVantrelGeneralPage(QWidget* parent) : QWidget(parent) {}

bool CVantrelGeneralPage::Create() {
    if (created_) return true;
    if (!ui::BuildFromTemplate(this, IDD_GENERAL)) return false;
    connect(ui::Ctl<QPushButton>(this, IDC_BROWSE), &QPushButton::clicked, this,
            [this] { Browse(); });
    created_ = true;
    if (cfg_) {
        ui::Ctl<QLineEdit>(this, IDC_SRC_EDIT)->setText(ui::QStr(cfg_->srcFileKorvex));
        ui::Ctl<QLineEdit>(this, IDC_RESULT_EDIT)->setText(ui::QStr(cfg_->dstDir));
    }
    return true;
}

void CVantrelGeneralPage::Apply() {
    if (!cfg_ || !created_) return;
    cfg_->srcFileKorvex = ui::StdStr(ui::Ctl<QLineEdit>(this, IDC_SRC_EDIT)->text());
    cfg_->dstDir = ui::StdStr(ui::Ctl<QLineEdit>(this, IDC_RESULT_EDIT)->text());
}

void CVantrelGeneralPage::ShowSourceName(const std::string& name) {
    if (name.empty() || !created_) return;
    ui::Ctl<QLineEdit>(this, IDC_SRC_EDIT)->setText(ui::QStr(name));
}

void CVantrelGeneralPage::Browse() {
    if (!cfg_) return;
    CSignalsDlg dlg;
    dlg.SetHost(app_);
    dlg.SetSelectedName(cfg_->srcFileKorvex);
    if (dlg.DoModal() != QDialog::Accepted) return;
    cfg_->srcFileKorvex = dlg.SelectedName();
    if (created_) ui::Ctl<QLineEdit>(this, IDC_SRC_EDIT)->setText(ui::QStr(cfg_->srcFileKorvex));
    cfg_->RefreshChannels(app_, cfg_->srcFileKorvex);
}
