// What the processing-item panels share: made from templates over the selected records.

#include "ui/procitem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/dialogs.h"
#include "ui/limitsdlg.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/values.h"

using namespace res;
using procrules::Common;

bool CProcItem::Create(QWidget* parent, IProcItemDlgNotify* target) {
    notify_ = target;
    if (parent) setParent(parent);
    hide();
    if (!ui::BuildFromTemplate(this, TemplateId())) return false;
    setFixedSize(size());
    created_ = true;
    OnCreated();
    SetChannels("", {});
    SetItem(0);
    return true;
}

int CProcItem::Height() const {
    return created_ ? height() : 0;
}

void CProcItem::SetChannels(const std::string& text, const procrules::Records& records) {
    text_ = text;
    records_ = records;
    if (created_) ShowRecords();
}

bool CProcItem::AllOfType(int type) const {
    for (const CfgChannel* r : records_)
        if (r->type != type) return false;
    return !records_.empty();
}

QCheckBox* CProcItem::Check(int id) const {
    return ui::Ctl<QCheckBox>(this, id);
}
QComboBox* CProcItem::List(int id) const {
    return ui::Ctl<QComboBox>(this, id);
}
QLineEdit* CProcItem::Edit(int id) const {
    return ui::Ctl<QLineEdit>(this, id);
}
QRadioButton* CProcItem::Radio(int id) const {
    return ui::Ctl<QRadioButton>(this, id);
}
ui::UpDown* CProcItem::Spin(int id) const {
    return ui::Ctl<ui::UpDown>(this, id);
}

namespace {

// The graph number edit and its up-down: a common number or empty.
void ShowGraphNumber(QLineEdit* edit, ui::UpDown* spin, std::optional<int> n) {
    if (n)
        spin->SetPos(*n);
    else
        ui::ShowText(edit, "");
}

void EnableGraphNumber(QLineEdit* edit, ui::UpDown* spin, bool on) {
    edit->setEnabled(on);
    spin->setEnabled(on);
}

}  // namespace

// ---- channel panel

int CProcItemSignal::TemplateId() const {
    return IDD_ITEM_SIGNAL;
}

void CProcItemSignal::OnCreated() {
    ui::FillEntries(List(IDC_TYPE), IDS_CHTYPE_FIRST, 3);
    Spin(IDC_GRNUM_SPIN)->SetRange(1, 4);
    connect(Check(IDC_CHECK), &QCheckBox::clicked, this, [this] {
        if (!HasRecords()) return;
        ui::MakeTwoState(Check(IDC_CHECK));
        const bool on = Check(IDC_CHECK)->isChecked();
        for (CfgChannel* r : records_) r->check = on;
        Notify(&IProcItemDlgNotify::ChannelsChanged);
    });
    connect(List(IDC_TYPE), &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (!HasRecords() || entry < 0) return;
        for (CfgChannel* r : records_) r->type = entry + 1;
        Notify(&IProcItemDlgNotify::ChannelsChanged);
    });
    connect(Check(IDC_SHOW), &QCheckBox::clicked, this, [this] {
        ui::MakeTwoState(Check(IDC_SHOW));
        Enable();
    });
}

void CProcItemSignal::ShowRecords() {
    ui::ShowText(Edit(IDC_NAME), text_);
    if (!HasRecords()) {
        ui::ShowEntry(List(IDC_TYPE), std::nullopt);
        ui::ShowCheck(Check(IDC_CHECK), false);
        ui::ShowCheck(Check(IDC_SHOW), false);
        ui::ShowText(Edit(IDC_GRNUM), "");
    } else {
        auto type = Common<int32_t>(records_, [](const CfgChannel& c) { return c.type; });
        ui::ShowEntry(List(IDC_TYPE), type ? std::optional<int>(*type - 1) : std::nullopt);
        ui::ShowCheck(Check(IDC_CHECK),
                      Common<bool>(records_, [](const CfgChannel& c) { return c.check; }));
        ui::ShowCheck(Check(IDC_SHOW),
                      Common<bool>(records_, [](const CfgChannel& c) { return c.show; }));
        ShowGraphNumber(Edit(IDC_GRNUM), Spin(IDC_GRNUM_SPIN),
                        Common<int32_t>(records_, [](const CfgChannel& c) { return c.grNum; }));
    }
    ShowEnvelopeBand();
    Enable();
}

void CProcItemSignal::ShowEnvelopeBand() {
    // Both borders empty unless every record has the same band.
    const auto band = Common<std::pair<double, double>>(
        records_, [](const CfgChannel& c) { return std::pair(c.envLo, c.envHi); });
    const CfgChannel* first = band ? records_.front() : nullptr;
    ui::ShowText(Edit(IDC_ENV_LO), first ? procrules::EnvelopeBorderText(*first, false) : "");
    ui::ShowText(Edit(IDC_ENV_HI), first ? procrules::EnvelopeBorderText(*first, true) : "");
}

void CProcItemSignal::ApplyEnvelopeBand() {
    QLineEdit* lo = Edit(IDC_ENV_LO);
    QLineEdit* hi = Edit(IDC_ENV_HI);
    if (!ui::Edited(lo) && !ui::Edited(hi)) return;
    const auto band = procrules::ReadEnvelopeBand(ui::StdStr(lo->text()), ui::StdStr(hi->text()));
    if (!band) {
        ui::MessageBox(this, IDS_ENV_BAND_BAD, IDS_ERROR, ui::MbIcon::Warning);
        ShowEnvelopeBand();
        return;
    }
    for (CfgChannel* r : records_) {
        r->envLo = band->lo;
        r->envHi = band->hi;
    }
    ShowEnvelopeBand();
}

void CProcItemSignal::Enable() {
    const bool has = HasRecords();
    List(IDC_TYPE)->setEnabled(has);
    Check(IDC_CHECK)->setEnabled(has);
    Check(IDC_SHOW)->setEnabled(has);
    EnableGraphNumber(Edit(IDC_GRNUM), Spin(IDC_GRNUM_SPIN),
                      has && Check(IDC_SHOW)->checkState() == Qt::Checked);
    const bool measuring = AllOfType(CfgChannelMeasuring);
    Edit(IDC_ENV_LO)->setEnabled(measuring);
    Edit(IDC_ENV_HI)->setEnabled(measuring);
}

void CProcItemSignal::RefreshCheck() {
    // No records: an empty box, not the mixed state of records that differ.
    ui::ShowCheck(Check(IDC_CHECK),
                  HasRecords() ? Common<bool>(records_, [](const CfgChannel& c) { return c.check; })
                               : std::optional<bool>(false));
}

void CProcItemSignal::Apply() {
    if (!HasRecords()) return;
    const auto type = ui::EntryValue(List(IDC_TYPE));
    const auto check = ui::CheckValue(Check(IDC_CHECK));
    const auto show = ui::CheckValue(Check(IDC_SHOW));
    const bool number = ui::TextValue(Edit(IDC_GRNUM)).has_value();
    for (CfgChannel* r : records_) {
        if (type) r->type = *type + 1;
        if (check) r->check = *check;
        if (show) r->show = *show;
        if (number) r->grNum = Spin(IDC_GRNUM_SPIN)->Pos();
    }
    if (AllOfType(CfgChannelMeasuring)) ApplyEnvelopeBand();
}

// ---- band panel

int CProcItemBase::TemplateId() const {
    return IDD_ITEM_BASE;
}

void CProcItemBase::OnCreated() {
    ui::FillEntries(List(IDC_INTEGR), IDS_INTEGR_FIRST, 3);
    ui::FillEntries(List(IDC_VALTYPE), IDS_VALTYPE_FIRST, 3);
    Spin(IDC_GRNUM_SPIN)->SetRange(1, 4);
    connect(Check(IDC_PROCESSED), &QCheckBox::clicked, this, [this] {
        CCfgProcItem* item = Item();
        if (!HasRecords() || !item) return;
        ui::MakeTwoState(Check(IDC_PROCESSED));
        item->SetSelected(Check(IDC_PROCESSED)->isChecked());
        Notify(&IProcItemDlgNotify::ItemProcessingChanged);
    });
    connect(Check(IDC_SHOW), &QCheckBox::clicked, this, [this] {
        ui::MakeTwoState(Check(IDC_SHOW));
        Enable();
    });
    connect(ui::Ctl<QPushButton>(this, IDC_LIMITS), &QPushButton::clicked, this, [this] {
        const CCfgProcItem* item = Item();
        if (!HasRecords() || !item) return;
        CLimitsDlg dlg(records_, *item, this);
        dlg.DoModal();
    });
}

void CProcItemBase::SetChannels(const std::string& text, const procrules::Records& records) {
    text_ = text;
    records_ = records;
}

void CProcItemBase::SetItem(int32_t itemId) {
    itemId_ = itemId;
    if (!created_) return;
    CCfgProcItem* node = Item();
    if (HasRecords() && node) {
        auto opt = [node](CfgChannel& c) -> CfgSignalOpt& {
            return procrules::SignalOpt(c, *node);
        };
        for (CfgChannel* r : records_) opt(*r);
        ui::ShowCheck(Check(IDC_PROCESSED),
                      Common<bool>(records_, [&](CfgChannel& c) { return opt(c).bEnabled; }));
        ui::ShowCheck(Check(IDC_SHOW),
                      Common<bool>(records_, [&](CfgChannel& c) { return opt(c).bShow; }));
        ShowGraphNumber(Edit(IDC_GRNUM), Spin(IDC_GRNUM_SPIN),
                        Common<int32_t>(records_, [&](CfgChannel& c) { return opt(c).grNum; }));
    } else {
        ui::ShowCheck(Check(IDC_PROCESSED), false);
        ui::ShowCheck(Check(IDC_SHOW), false);
        ui::ShowText(Edit(IDC_GRNUM), "");
    }
    RefreshLists();
    Enable();
}

void CProcItemBase::RefreshLists() {
    std::optional<int> integr, valtype;
    const CCfgProcItem* item = Item();
    const bool measured = HasRecords() && item && procrules::IsLeafKind(item->GetType()) &&
                          records_.front()->type == CfgChannelMeasuring;
    if (measured && AllOfType(CfgChannelMeasuring)) {
        auto opt = [item](CfgChannel& c) -> CfgSignalOpt& {
            return procrules::SignalOpt(c, *item);
        };
        integr = Common<int32_t>(records_, [&](CfgChannel& c) { return opt(c).integr; });
        valtype = Common<int32_t>(records_, [&](CfgChannel& c) { return opt(c).valtype; });
    } else {
        ui::ShowText(Edit(IDC_GRNUM), "");
    }
    ui::ShowEntry(List(IDC_INTEGR), integr);
    ui::ShowEntry(List(IDC_VALTYPE), valtype);
}

void CProcItemBase::RefreshProcessed() {
    const CCfgProcItem* node = Item();
    if (!node || !created_) return;
    if (!HasRecords()) {
        ui::ShowCheck(Check(IDC_PROCESSED), false);
        return;
    }
    ui::ShowCheck(Check(IDC_PROCESSED), Common<bool>(records_, [node](CfgChannel& c) {
                      return procrules::SignalOpt(c, *node).bEnabled;
                  }));
}

void CProcItemBase::Enable() {
    const bool has = HasRecords();
    const CCfgProcItem* item = Item();
    const bool lists =
        has && item && procrules::IsLeafKind(item->GetType()) && AllOfType(CfgChannelMeasuring);
    List(IDC_INTEGR)->setEnabled(lists);
    List(IDC_VALTYPE)->setEnabled(lists);
    ui::Ctl<QPushButton>(this, IDC_LIMITS)->setEnabled(lists);
    Check(IDC_PROCESSED)->setEnabled(has);
    Check(IDC_SHOW)->setEnabled(has);
    EnableGraphNumber(Edit(IDC_GRNUM), Spin(IDC_GRNUM_SPIN),
                      has && Check(IDC_SHOW)->checkState() == Qt::Checked);
}

void CProcItemBase::Apply() {
    const CCfgProcItem* item = Item();
    if (!HasRecords() || !item) return;
    const auto integr = ui::EntryValue(List(IDC_INTEGR));
    const auto valtype = ui::EntryValue(List(IDC_VALTYPE));
    const auto enabled = ui::CheckValue(Check(IDC_PROCESSED));
    const auto show = ui::CheckValue(Check(IDC_SHOW));
    const bool number = ui::TextValue(Edit(IDC_GRNUM)).has_value();
    for (CfgChannel* r : records_) {
        CfgSignalOpt& o = procrules::SignalOpt(*r, *item);
        if (integr) o.integr = *integr;
        if (valtype) o.valtype = *valtype;
        if (enabled) o.bEnabled = *enabled;
        if (show) o.bShow = *show;
        if (number) o.grNum = Spin(IDC_GRNUM_SPIN)->Pos();
    }
}
