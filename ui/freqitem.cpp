// The frequency-base item panels: made from templates, editing the selected node.

#include "ui/freqitem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <optional>

#include "platform/numtext.h"
#include "platform/text.h"
#include "ui/dialogs.h"
#include "ui/res/ids.h"
#include "ui/rules/procrules.h"
#include "ui/values.h"

using namespace res;

namespace ui {

int PrefixIndex(const QComboBox* list, const std::string& text) {
    const QString t = QStr(text);
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).startsWith(t, Qt::CaseInsensitive)) return i;
    return -1;
}

}  // namespace ui

bool CFreqItem::Create(QWidget* parent, IFreqItemDlgNotify* target) {
    notify_ = target;
    if (parent) setParent(parent);
    hide();
    if (!ui::BuildFromTemplate(this, TemplateId())) return false;
    setFixedSize(size());
    created_ = true;
    OnCreated();
    SetItem(nullptr);
    return true;
}

int CFreqItem::Height() const {
    return created_ ? height() : 0;
}

void CFreqItem::SetItem(CCfgProcItem* node) {
    item_ = node;
    if (!created_) return;
    Fill();
    EnableControls();
}

QLineEdit* CFreqItem::Edit(int id) const {
    return ui::Ctl<QLineEdit>(this, id);
}
QComboBox* CFreqItem::List(int id) const {
    return ui::Ctl<QComboBox>(this, id);
}

// --- base panel ---

int CFreqItemBase::TemplateId() const {
    return IDD_FREQ_BASE;
}

void CFreqItemBase::OnCreated() {
    connect(ui::Ctl<QCheckBox>(this, IDC_FI_ENABLED), &QCheckBox::clicked, this, [this](bool on) {
        if (!item_) return;
        item_->SetEnabled(on);
        if (notify_) notify_->ItemChanged();
    });
}

void CFreqItemBase::Fill() {
    Edit(IDC_FI_NAME)->setText(item_ ? ui::QStr(item_->name) : QString());
    Edit(IDC_FI_INFO)->setText(item_ ? ui::QStr(item_->info) : QString());
    RefreshCheck();
}

void CFreqItemBase::RefreshCheck() {
    if (!created_) return;
    ui::Ctl<QCheckBox>(this, IDC_FI_ENABLED)->setChecked(item_ && item_->enabled);
}

void CFreqItemBase::EnableControls() {
    for (int id : {IDC_FI_NAME, IDC_FI_INFO, IDC_FI_ENABLED})
        ui::FindControl(this, id)->setEnabled(item_ != nullptr);
}

void CFreqItemBase::Apply() {
    if (!item_ || !created_) return;
    item_->name = ui::StdStr(Edit(IDC_FI_NAME)->text());
    item_->info = ui::StdStr(Edit(IDC_FI_INFO)->text());
    // This node only: a folder's subtree follows the box when it is clicked.
    item_->enabled = ui::Ctl<QCheckBox>(this, IDC_FI_ENABLED)->isChecked();
}

// --- tacho panel ---

namespace {
CCfgProcTaho* AsTaho(CCfgProcItem* node) {
    return node && node->GetType() == CfgItemTacho ? static_cast<CCfgProcTaho*>(node) : nullptr;
}
CCfgProcBandFix* AsBand(CCfgProcItem* node) {
    return node && node->GetType() == CfgItemFixedBand ? static_cast<CCfgProcBandFix*>(node)
                                                       : nullptr;
}
CCfgProcBandTrack* AsTrack(CCfgProcItem* node) {
    return node && node->GetType() == CfgItemTrackingBand ? static_cast<CCfgProcBandTrack*>(node)
                                                          : nullptr;
}
}  // namespace

int CFreqItemTaho::TemplateId() const {
    return IDD_FREQ_TAHO;
}

void CFreqItemTaho::SetCandidates(const std::vector<std::string>& candidates) {
    candidates_ = candidates;
    if (!created_) return;
    QComboBox* list = List(IDC_FI_TAHO_CHANNEL);
    list->clear();
    for (const std::string& c : candidates_) list->addItem(ui::QStr(c));
    Fill();
}

void CFreqItemTaho::Fill() {
    QComboBox* list = List(IDC_FI_TAHO_CHANNEL);
    const CCfgProcTaho* t = AsTaho(item_);
    if (!t) {
        list->setCurrentIndex(-1);
        return;
    }
    const std::string text = freqrules::TachoLookupText(t->tachoChannel, candidates_);
    list->setCurrentIndex(ui::PrefixIndex(list, text));
}

void CFreqItemTaho::EnableControls() {
    List(IDC_FI_TAHO_CHANNEL)->setEnabled(item_ != nullptr);
}

void CFreqItemTaho::Apply() {
    CCfgProcTaho* t = AsTaho(item_);
    if (!t || !created_) return;
    const QComboBox* list = List(IDC_FI_TAHO_CHANNEL);
    if (list->currentIndex() >= 0) t->tachoChannel = ui::StdStr(list->currentText());
}

// --- band panel ---

int CFreqItemBand::TemplateId() const {
    return IDD_FREQ_BAND;
}

void CFreqItemBand::Fill() {
    const CCfgProcBandFix* b = AsBand(item_);
    Edit(IDC_FI_BAND_LO)->setText(b ? ui::QStr(procrules::Fixed(b->bandStart, 3)) : QString());
    Edit(IDC_FI_BAND_HI)->setText(b ? ui::QStr(procrules::Fixed(b->bandStop, 3)) : QString());
}

void CFreqItemBand::EnableControls() {
    Edit(IDC_FI_BAND_LO)->setEnabled(item_ != nullptr);
    Edit(IDC_FI_BAND_HI)->setEnabled(item_ != nullptr);
}

void CFreqItemBand::Apply() {
    CCfgProcBandFix* b = AsBand(item_);
    if (!b || !created_) return;
    // Only what the user changed, so a shown value never rounds the stored one.
    for (auto [id, field] :
         {std::pair{IDC_FI_BAND_LO, &b->bandStart}, std::pair{IDC_FI_BAND_HI, &b->bandStop}}) {
        QLineEdit* e = Edit(id);
        if (!e->isModified()) continue;
        *field = procrules::LeadingNumber(ui::StdStr(e->text()));
        e->setModified(false);
    }
}

// --- track panel ---

namespace {
// The three factor rows, then the constant.
constexpr int kValueIds[4] = {IDC_FI_TRACK_COEF1, IDC_FI_TRACK_COEF1 + 1, IDC_FI_TRACK_COEF1 + 2,
                              IDC_FI_TRACK_CONST};
}  // namespace

int CFreqItemTrack::TemplateId() const {
    return IDD_FREQ_TRACK;
}

void CFreqItemTrack::Fill() {
    for (int i = 0; i < 3; ++i) {
        const bool has = i < static_cast<int>(tacho_.size());
        Edit(IDC_FI_TRACK_TAHO1 + i)->setText(has ? ui::QStr(tacho_[i].second) : QString());
        Edit(IDC_FI_TRACK_COEF1 + i)->clear();
    }
    Edit(IDC_FI_TRACK_CONST)->clear();
    Edit(IDC_FI_FORMULA)->clear();
    const CCfgProcBandTrack* t = AsTrack(item_);
    if (!t) return;
    const freqrules::TrackRows rows = freqrules::PlaceComponents(t->components, tacho_);
    for (int i = 0; i < 3; ++i)
        if (rows.factors[i])
            Edit(IDC_FI_TRACK_COEF1 + i)->setText(ui::QStr(procrules::Fixed(*rows.factors[i], 3)));
    if (rows.constant)
        Edit(IDC_FI_TRACK_CONST)->setText(ui::QStr(procrules::Fixed(*rows.constant, 3)));
    for (int i = 0; i < 4; ++i) shown_[i] = Edit(kValueIds[i])->text();
    Edit(IDC_FI_FORMULA)->setText(ui::QStr(freqrules::Formula(t->components, tacho_)));
}

void CFreqItemTrack::EnableControls() {
    for (int i = 0; i < 3; ++i)
        Edit(IDC_FI_TRACK_COEF1 + i)->setEnabled(item_ && static_cast<int>(tacho_.size()) > i);
    Edit(IDC_FI_TRACK_CONST)->setEnabled(item_ != nullptr);
}

void CFreqItemTrack::Apply() {
    CCfgProcBandTrack* t = AsTrack(item_);
    if (!t || !created_) return;
    // A row still showing what Fill put there keeps its stored value, not
    // the rounded text.
    const freqrules::TrackRows rows = freqrules::PlaceComponents(t->components, tacho_);
    auto text = [this](int row, const std::optional<double>& stored) {
        const QString typed = Edit(kValueIds[row])->text();
        if (typed == shown_[row]) return stored ? plat::ShortestText(*stored) : std::string();
        return std::string(plat::Trim(ui::StdStr(typed)));
    };
    std::array<std::string, 3> factors;
    for (int i = 0; i < 3; ++i) factors[i] = text(i, rows.factors[i]);
    t->components = freqrules::BuildComponents(tacho_, factors, text(3, rows.constant));
}

// --- band-width panel ---

int CFreqItemBandwidth::TemplateId() const {
    return IDD_FREQ_BANDWIDTH;
}

CfgBandWidth* CFreqItemBandwidth::Record() const {
    if (CCfgProcTaho* t = AsTaho(item_)) return &t->bandWidth;
    if (CCfgProcBandTrack* t = AsTrack(item_)) return &t->bandWidth;
    return nullptr;
}

void CFreqItemBandwidth::OnCreated() {
    ui::FillEntries(List(IDC_FI_BW_MODE), IDS_BW_MODE_FIRST, 3);
    ui::FillEntries(List(IDC_FI_BW_MIN_MODE), IDS_BW_MIN_FIRST, 2);
    connect(List(IDC_FI_BW_MODE), &QComboBox::activated, this, [this](int mode) {
        if (CfgBandWidth* bw = Record(); bw && !filling_) {
            freqrules::SetWidthMode(*bw, mode);
            ShowRecord();
            EnableControls();
        }
    });
    connect(List(IDC_FI_BW_MIN_MODE), &QComboBox::activated, this, [this](int mode) {
        if (CfgBandWidth* bw = Record(); bw && !filling_) {
            freqrules::SetMinMode(*bw, mode);
            ShowRecord();
            EnableControls();
        }
    });
    connect(Edit(IDC_FI_BW_VALUE), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CfgBandWidth* bw = Record(); bw && !filling_)
            freqrules::TypeWidth(*bw, ui::StdStr(text));
    });
    connect(Edit(IDC_FI_BW_MIN_VALUE), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CfgBandWidth* bw = Record(); bw && !filling_) freqrules::TypeMin(*bw, ui::StdStr(text));
    });
}

void CFreqItemBandwidth::Fill() {
    filling_ = true;
    QComboBox* channel = List(IDC_FI_BW_CHANNEL);
    channel->clear();
    for (const auto& [id, name] : tacho_) channel->addItem(ui::QStr(name));
    filling_ = false;
    ShowRecord();
}

void CFreqItemBandwidth::ShowRecord() {
    filling_ = true;
    const CfgBandWidth* bw = Record();
    QComboBox* channel = List(IDC_FI_BW_CHANNEL);
    QComboBox* mode = List(IDC_FI_BW_MODE);
    QComboBox* minMode = List(IDC_FI_BW_MIN_MODE);
    if (!bw) {
        channel->setCurrentIndex(-1);
        mode->setCurrentIndex(-1);
        minMode->setCurrentIndex(-1);
        Edit(IDC_FI_BW_VALUE)->clear();
        Edit(IDC_FI_BW_MIN_VALUE)->clear();
    } else {
        channel->setCurrentIndex(bw->relativeBorders ? ui::PrefixIndex(channel, bw->tachoRef) : -1);
        mode->setCurrentIndex(freqrules::WidthModeOf(*bw));
        minMode->setCurrentIndex(bw->relativeBorders ? freqrules::MinModeOf(*bw) : -1);
        Edit(IDC_FI_BW_VALUE)->setText(ui::QStr(freqrules::WidthText(*bw)));
        Edit(IDC_FI_BW_MIN_VALUE)->setText(ui::QStr(freqrules::MinText(*bw)));
    }
    filling_ = false;
}

void CFreqItemBandwidth::EnableControls() {
    const CfgBandWidth* bw = Record();
    List(IDC_FI_BW_MODE)->setEnabled(bw != nullptr);
    Edit(IDC_FI_BW_VALUE)->setEnabled(bw != nullptr);
    const bool relative = bw && bw->relativeBorders;
    List(IDC_FI_BW_CHANNEL)->setEnabled(relative);
    List(IDC_FI_BW_MIN_MODE)->setEnabled(relative);
    Edit(IDC_FI_BW_MIN_VALUE)->setEnabled(relative);
}

void CFreqItemBandwidth::Apply() {
    CfgBandWidth* bw = Record();
    if (!bw || !created_ || !bw->relativeBorders) return;
    const int i = List(IDC_FI_BW_CHANNEL)->currentIndex();
    const bool has = i >= 0 && i < static_cast<int>(tacho_.size());
    bw->tachoRef = has ? tacho_[i].second : std::string();
    bw->tachoRefId = has ? tacho_[i].first : -1;
}
