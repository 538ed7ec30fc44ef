// The default-settings dialog: the spectrum or tacho panel on the default record.

#include "ui/defaultoptdlg.h"

#include <QPushButton>

#include "ui/dialogs.h"
#include "ui/procitem.h"
#include "ui/res/ids.h"

using namespace res;

CDefaultOptDlg::CDefaultOptDlg(int mode, QWidget* parent) : QDialog(parent), mode_(mode) {
    ui::BuildFromTemplate(this, IDD_DEFAULTS);
    connect(ui::Ctl<QPushButton>(this, IDOK), &QPushButton::clicked, this, &QDialog::accept);
    connect(ui::Ctl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    int nameId = 0;
    if (mode == kSpectrum) {
        panel_ = new CProcItemFFT(true);
        nameId = IDS_ALG_SPECTRUM;
    } else if (mode == kTacho) {
        panel_ = new CProcItemTaho(true);
        nameId = IDS_ALG_TACHO;
    }
    if (!panel_) return;
    panel_->Create(this, nullptr);
    QWidget* frame = ui::FindControl(this, IDC_PLACEHOLDER);
    panel_->move(frame->pos());
    panel_->show();
    const int dx = panel_->width() - frame->width();
    const int dy = panel_->height() - frame->height();
    if (dx != 0 || dy != 0) {
        for (int id : {IDOK, IDCANCEL})
            if (QWidget* b = ui::FindControl(this, id)) b->move(b->pos() + QPoint(dx / 2, dy));
        resize(width() + dx, height() + dy);
    }
    setWindowTitle(ui::QStr(res::Format(IDS_DEFAULTS_TITLE, {res::Str(nameId)})));
}

CDefaultOptDlg::~CDefaultOptDlg() = default;

void CDefaultOptDlg::DestroyPanel() {
    delete panel_;
    panel_ = nullptr;
}

void CDefaultOptDlg::accept() {
    if (panel_) panel_->Apply();
    DestroyPanel();
    QDialog::accept();
}

void CDefaultOptDlg::reject() {
    DestroyPanel();
    QDialog::reject();
}
