#include "ui/repairdlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <optional>

#include "platform/numtext.h"
#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"
#include "ui/values.h"

using namespace res;

namespace {

CTahoRepairDlg::ModalHook& Hook() {
    static CTahoRepairDlg::ModalHook hook;
    return hook;
}

// A repair number: its edit, the record's field, and the range the tacho
// operator takes (from lo, below hi).
struct RepairField {
    int id;
    double CfgTahoOpt::*field;
    double lo, hi;
};
constexpr RepairField kFields[] = {
    {IDC_REPAIR_WIDTH, &CfgTahoOpt::dPNTwide, 0.0, 100.0},
    {IDC_REPAIR_DOUBLE, &CfgTahoOpt::fracDouble, 0.0, 1.0},
    {IDC_REPAIR_EXTRA, &CfgTahoOpt::fracExtra, 0.0, 1.0},
    {IDC_REPAIR_MISSING, &CfgTahoOpt::fracMissing, 0.0, 0.5},
    {IDC_REPAIR_SMOOTH, &CfgTahoOpt::nRevSmooth, 0.0, 1e6},
};

// The text of the label before a control in the dialog's template.
std::string LabelOf(int id) {
    const DialogTemplate* t = Dialog(IDD_TAHO_REPAIR);
    if (!t) return {};
    for (size_t k = 1; k < t->controls.size(); ++k)
        if (t->controls[k].id == id) return t->controls[k - 1].text;
    return {};
}

}  // namespace

CTahoRepairDlg::ModalHook CTahoRepairDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CTahoRepairDlg::CTahoRepairDlg(std::vector<CfgTahoOpt*> records, QWidget* parent)
    : QDialog(parent), records_(std::move(records)) {
    ui::BuildFromTemplate(this, IDD_TAHO_REPAIR);
    repair_ = ui::Ctl<QCheckBox>(this, IDC_REPAIR);
    if (repair_) connect(repair_, &QCheckBox::clicked, this, [this] { ui::MakeTwoState(repair_); });
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CTahoRepairDlg::Init() {
    auto common = [this](auto get) {
        std::optional<decltype(get(*records_.front()))> v;
        for (const CfgTahoOpt* r : records_) {
            const auto x = get(*r);
            if (v && *v != x) return decltype(v){};
            v = x;
        }
        return v;
    };
    if (records_.empty()) return;
    if (repair_)
        ui::ShowCheck(repair_, common([](const CfgTahoOpt& o) { return o.flagRepair != 0; }));
    for (const RepairField& f : kFields)
        if (auto* edit = ui::Ctl<QLineEdit>(this, f.id)) {
            const auto v = common([&f](const CfgTahoOpt& o) { return o.*f.field; });
            ui::ShowText(edit, v ? plat::ShortestText(*v) : std::string());
        }
}

void CTahoRepairDlg::OnOK() {
    std::vector<std::pair<const RepairField*, double>> edited;
    for (const RepairField& f : kFields) {
        const auto text = ui::EditedText(ui::Ctl<QLineEdit>(this, f.id));
        if (!text) continue;
        double v = 0.0;
        const char* first = text->data();
        const char* last = first + text->size();
        if (text->empty() || plat::ReadDecimal(first, last, v) != last ||
            !(v >= f.lo && v < f.hi)) {
            ui::MessageBoxText(this,
                               Format(IDS_REPAIR_RANGE, {LabelOf(f.id), plat::ShortestText(f.lo),
                                                         plat::ShortestText(f.hi)}),
                               IDS_WARNING, ui::MbIcon::Warning);
            return;
        }
        edited.emplace_back(&f, v);
    }
    const auto on = repair_ ? ui::CheckValue(repair_) : std::nullopt;
    for (CfgTahoOpt* r : records_) {
        if (on) r->flagRepair = *on ? 1 : 0;
        for (const auto& [f, v] : edited) r->*(f->field) = v;
        // The doubled-edge share may not pass the extra-pulse share.
        r->fracDouble = std::min(r->fracDouble, r->fracExtra);
    }
    accept();
}

int CTahoRepairDlg::DoModal() {
    Init();
    if (Hook()) return Hook()(*this);
    return exec();
}
