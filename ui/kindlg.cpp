// The bearing and gear-pair calculators: input, what to add, and the bands' preview.

#include "ui/kindlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "platform/text.h"
#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/rules/procrules.h"
#include "ui/values.h"

using namespace res;

namespace {

CKinDlg::ModalHook& Hook() {
    static CKinDlg::ModalHook hook;
    return hook;
}

int ControlOf(kinrules::Field f) {
    using kinrules::Field;
    switch (f) {
        case Field::kBalls:
            return IDC_KIN_BALLS;
        case Field::kBallDiameter:
            return IDC_KIN_BALL_D;
        case Field::kPitchDiameter:
            return IDC_KIN_PITCH_D;
        case Field::kAngle:
            return IDC_KIN_ANGLE;
        case Field::kTeeth1:
            return IDC_KIN_Z1;
        case Field::kTeeth2:
            return IDC_KIN_Z2;
        case Field::kTacho:
            return IDC_KIN_TACHO;
        case Field::kHarmonics:
            return IDC_KIN_HARMONICS;
        case Field::kSidebands:
            return IDC_KIN_SIDEBANDS;
        case Field::kWidth:
            return IDC_FI_BW_VALUE;
        case Field::kMinWidth:
            return IDC_FI_BW_MIN_VALUE;
    }
    return 0;
}

bool Checked(const QWidget* dlg, int id) {
    const auto* b = ui::Ctl<QRadioButton>(dlg, id);
    return b && b->isChecked();
}

}  // namespace

CKinDlg::ModalHook CKinDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CKinDlg::CKinDlg(Kind kind, CCfgProc* cfg, CCfgProcFolder* folder, QWidget* parent)
    : QDialog(parent), kind_(kind), cfg_(cfg), folder_(folder) {
    ui::BuildFromTemplate(this, kind == kBearing ? IDD_KIN_BEARING : IDD_KIN_GEAR);
    preview_ = ui::Ctl<QTableWidget>(this, IDC_KIN_PREVIEW);
    if (preview_) {
        preview_->setColumnCount(3);
        preview_->setHorizontalHeaderLabels(
            {ui::Text(IDS_KIN_COL_BAND), ui::Text(IDS_KIN_COL_FACTOR), ui::Text(IDS_KIN_COL_INFO)});
        preview_->horizontalHeader()->setStretchLastSection(true);
    }
    ui::FillEntries(ui::Ctl<QComboBox>(this, IDC_FI_BW_MODE), IDS_BW_MODE_FIRST, 3);
    ui::FillEntries(ui::Ctl<QComboBox>(this, IDC_FI_BW_MIN_MODE), IDS_BW_MIN_FIRST, 2);
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnAdd(); });
    if (auto* cancel = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    ConnectInput();
}

void CKinDlg::ConnectInput() {
    for (QLineEdit* e : findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        connect(e, &QLineEdit::textChanged, this, [this] { Refresh(); });
    for (QRadioButton* b : findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        connect(b, &QRadioButton::toggled, this, [this] { Refresh(); });
    if (auto* envelope = ui::Ctl<QCheckBox>(this, IDC_KIN_ENVELOPE))
        connect(envelope, &QCheckBox::toggled, this, [this] { Refresh(); });
    if (auto* list = ui::Ctl<QComboBox>(this, IDC_KIN_TACHO))
        connect(list, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    // The width rule acts on its record as the band-width panel does.
    connect(ui::Ctl<QComboBox>(this, IDC_FI_BW_MODE), &QComboBox::activated, this, [this](int m) {
        freqrules::SetWidthMode(width_, m);
        ShowWidth();
    });
    connect(ui::Ctl<QComboBox>(this, IDC_FI_BW_MIN_MODE), &QComboBox::activated, this,
            [this](int m) {
                freqrules::SetMinMode(width_, m);
                ShowWidth();
            });
    connect(ui::Ctl<QLineEdit>(this, IDC_FI_BW_VALUE), &QLineEdit::textEdited, this,
            [this](const QString& t) {
                freqrules::TypeWidth(width_, ui::StdStr(t));
                Refresh();
            });
    connect(ui::Ctl<QLineEdit>(this, IDC_FI_BW_MIN_VALUE), &QLineEdit::textEdited, this,
            [this](const QString& t) {
                freqrules::TypeMin(width_, ui::StdStr(t));
                Refresh();
            });
}

void CKinDlg::Init() {
    filling_ = true;
    tacho_ = cfg_ ? freqrules::CollectTachoList(*cfg_) : freqrules::TachoList{};
    QComboBox* list = ui::Ctl<QComboBox>(this, IDC_KIN_TACHO);
    list->clear();
    for (const auto& [id, name] : tacho_) list->addItem(ui::QStr(name));
    list->setCurrentIndex(cfg_ ? kinrules::DefaultTacho(tacho_, *cfg_, folder_) : -1);
    const bool bearing = kind_ == kBearing;
    ui::Ctl<QLineEdit>(this, IDC_KIN_PREFIX)
        ->setText(ui::Text(bearing ? IDS_KIN_PREFIX_BEARING : IDS_KIN_PREFIX_GEAR));
    if (bearing) ui::Ctl<QLineEdit>(this, IDC_KIN_ANGLE)->setText("0");
    ui::Ctl<QRadioButton>(this, bearing ? IDC_KIN_INNER : IDC_KIN_SHAFT1)->setChecked(true);
    ui::Ctl<QLineEdit>(this, IDC_KIN_HARMONICS)->setText("1");
    ui::Ctl<QLineEdit>(this, IDC_KIN_SIDEBANDS)->setText("0");
    width_ = CfgBandWidth{};
    filling_ = false;
    ShowWidth();
}

void CKinDlg::ShowWidth() {
    filling_ = true;
    ui::ShowEntry(ui::Ctl<QComboBox>(this, IDC_FI_BW_MODE), freqrules::WidthModeOf(width_));
    ui::ShowEntry(
        ui::Ctl<QComboBox>(this, IDC_FI_BW_MIN_MODE),
        width_.relativeBorders ? std::optional(freqrules::MinModeOf(width_)) : std::nullopt);
    ui::Ctl<QLineEdit>(this, IDC_FI_BW_VALUE)->setText(ui::QStr(freqrules::WidthText(width_)));
    ui::Ctl<QLineEdit>(this, IDC_FI_BW_MIN_VALUE)->setText(ui::QStr(freqrules::MinText(width_)));
    // The minimum applies to a width in percent only.
    for (int id : {IDC_FI_BW_MIN_MODE, IDC_FI_BW_MIN_VALUE})
        ui::FindControl(this, id)->setEnabled(width_.relativeBorders);
    filling_ = false;
    Refresh();
}

std::string CKinDlg::Text(int id) const {
    const auto* e = ui::Ctl<QLineEdit>(this, id);
    return e ? ui::StdStr(e->text()) : std::string();
}

kinrules::Target CKinDlg::CurrentTarget() const {
    kinrules::Target t;
    const int i = ui::Ctl<QComboBox>(this, IDC_KIN_TACHO)->currentIndex();
    if (i >= 0 && i < static_cast<int>(tacho_.size())) {
        t.tachoId = tacho_[i].first;
        t.tachoName = tacho_[i].second;
    }
    t.prefix = std::string(plat::Trim(Text(IDC_KIN_PREFIX)));
    const auto* envelope = ui::Ctl<QCheckBox>(this, IDC_KIN_ENVELOPE);
    t.envelope = envelope && envelope->isChecked();
    return t;
}

kinrules::Plan CKinDlg::CurrentPlan() const {
    kinrules::Plan p;
    kinrules::Series s;
    p.fault = kinrules::Read({Text(IDC_KIN_HARMONICS), Text(IDC_KIN_SIDEBANDS)}, s);
    if (kind_ == kBearing) {
        kinrules::Bearing b;
        const kinrules::BearingText text{Text(IDC_KIN_BALLS), Text(IDC_KIN_BALL_D),
                                         Text(IDC_KIN_PITCH_D), Text(IDC_KIN_ANGLE),
                                         Checked(this, IDC_KIN_OUTER)};
        // The fields in the order the dialog shows them.
        if (auto f = kinrules::Read(text, b))
            p.fault = f;
        else if (!p.fault)
            p = kinrules::PlanBearing(b, s, CurrentTarget());
    } else {
        kinrules::Gear g;
        const kinrules::GearText text{Text(IDC_KIN_Z1), Text(IDC_KIN_Z2),
                                      Checked(this, IDC_KIN_SHAFT2)};
        if (auto f = kinrules::Read(text, g))
            p.fault = f;
        else if (!p.fault)
            p = kinrules::PlanGear(g, s, CurrentTarget());
    }
    if (!p.fault)
        p.fault = kinrules::ReadWidth(width_, Text(IDC_FI_BW_VALUE), Text(IDC_FI_BW_MIN_VALUE));
    if (!p.fault) p.fault = kinrules::Check(width_);
    if (p.fault) p.bands.clear();
    return p;
}

void CKinDlg::Refresh() {
    if (filling_ || !preview_) return;
    const kinrules::Plan p = CurrentPlan();
    ui::Ctl<QLabel>(this, IDC_KIN_STATUS)->setText(p.fault ? ui::QStr(p.fault->text) : QString());
    preview_->setRowCount(static_cast<int>(p.bands.size()));
    for (int row = 0; row < preview_->rowCount(); ++row) {
        const kinrules::PlannedBand& b = p.bands[row];
        auto* factor = new QTableWidgetItem(ui::QStr(procrules::Fixed(b.factor, 4)));
        factor->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* info = new QTableWidgetItem(ui::QStr(b.info));
        info->setToolTip(info->text());
        preview_->setItem(row, 0, new QTableWidgetItem(ui::QStr(b.name)));
        preview_->setItem(row, 1, factor);
        preview_->setItem(row, 2, info);
    }
    preview_->resizeColumnToContents(0);
    preview_->resizeColumnToContents(1);
}

void CKinDlg::OnAdd() {
    const kinrules::Plan p = CurrentPlan();
    if (p.fault) {
        ui::MessageBoxText(this, p.fault->text, IDS_ERROR, ui::MbIcon::Warning);
        if (QWidget* w = ui::FindControl(this, ControlOf(p.fault->field))) w->setFocus();
        return;
    }
    if (!folder_) return;
    added_ = kinrules::AddBands(*folder_, p.bands, CurrentTarget(), width_);
    accept();
}

int CKinDlg::DoModal() {
    Init();
    if (Hook()) return Hook()(*this);
    return exec();
}
