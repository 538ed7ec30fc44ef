// The limits dialog: an item's alert and danger limits and the channels' machine class.

#include "ui/limitsdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/numtext.h"
#include "ui/dialogs.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/values.h"

using namespace res;
using procrules::Common;

namespace {

CLimitsDlg::ModalHook& Hook() {
    static CLimitsDlg::ModalHook hook;
    return hook;
}

// A limit the user changed: NaN (none) for an emptied edit; nothing when
// untouched, so channels that differ keep their own.
std::optional<double> EditedLimit(const QLineEdit* edit) {
    if (!ui::Edited(edit)) return std::nullopt;
    const auto text = ui::TextValue(edit);
    return text ? procrules::LeadingNumber(*text) : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

CLimitsDlg::ModalHook CLimitsDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CLimitsDlg::CLimitsDlg(const procrules::Records& records, const CCfgProcItem& item, QWidget* parent)
    : QDialog(parent), records_(records), item_(item) {
    ui::BuildFromTemplate(this, IDD_LIMITS);
    alert_ = ui::Ctl<QLineEdit>(this, IDC_ALERT);
    danger_ = ui::Ctl<QLineEdit>(this, IDC_DANGER);
    class_ = ui::Ctl<QComboBox>(this, IDC_MACHINE_CLASS);
    if (class_) ui::FillEntries(class_, IDS_CLASS_FIRST, 5);
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CLimitsDlg::Init() {
    if (!alert_ || !danger_ || !class_) return;
    auto show = [this](QLineEdit* edit, double CfgSignalOpt::*limit) {
        const auto common = Common<std::string>(records_, [&](CfgChannel& c) {
            const double v = procrules::SignalOpt(c, item_).*limit;
            return std::isnan(v) ? std::string() : plat::ShortestText(v);
        });
        ui::ShowText(edit, common.value_or(""));
    };
    show(alert_, &CfgSignalOpt::alert);
    show(danger_, &CfgSignalOpt::danger);
    // The list's entries follow the class's values, none first.
    ui::ShowEntry(class_, Common<int32_t>(records_, [](const CfgChannel& c) {
                      return static_cast<int32_t>(c.machineClass);
                  }));
}

void CLimitsDlg::OnOK() {
    if (alert_ && danger_ && class_) {
        auto typed = [](const QLineEdit* e) {
            return procrules::TypedLimit{ui::Edited(e), ui::StdStr(e->text())};
        };
        if (const auto fault =
                procrules::LimitsFault(records_, item_, typed(alert_), typed(danger_))) {
            ui::MessageBoxText(this, *fault, IDS_ERROR, ui::MbIcon::Warning);
            return;  // the dialog stays open with what was typed
        }
        const auto alert = EditedLimit(alert_);
        const auto danger = EditedLimit(danger_);
        const auto machineClass = ui::EntryValue(class_);
        for (CfgChannel* r : records_) {
            CfgSignalOpt& o = procrules::SignalOpt(*r, item_);
            if (alert) o.alert = *alert;
            if (danger) o.danger = *danger;
            if (machineClass) r->machineClass = static_cast<MachineClass>(*machineClass);
        }
    }
    accept();
}

int CLimitsDlg::DoModal() {
    Init();
    if (Hook()) return Hook()(*this);
    return exec();
}
