// The tacho panel: trigger levels, edge, coefficient and resolution of tacho channels.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/dialogs.h"
#include "ui/procitem.h"
#include "ui/repairdlg.h"
#include "ui/res/ids.h"
#include "ui/values.h"

using namespace res;
using procrules::Common;

namespace {

const CfgTahoOpt& Taho(const CfgChannel& c) {
    return c.tahoOpt;
}

}  // namespace

void CProcItemTaho::OpenRepair() {
    std::vector<CfgTahoOpt*> opts;
    for (CfgChannel* r : records_) opts.push_back(&r->tahoOpt);
    if (opts.empty() && defaultsMode_) opts.push_back(&DefaultTahoOpt());
    if (opts.empty()) return;
    CTahoRepairDlg dlg(std::move(opts), this);
    dlg.DoModal();
}

int CProcItemTaho::TemplateId() const {
    return IDD_ITEM_TAHO;
}

void CProcItemTaho::SetEditText(int id, const std::string& text) {
    const bool was = editHandlers_;
    editHandlers_ = false;
    ui::ShowText(Edit(id), text);
    editHandlers_ = was;
}

void CProcItemTaho::OnCreated() {
    ui::FillEntries(List(IDC_UNITS), IDS_UNITS_FIRST, 2);
    connect(Check(IDC_DEF_TAHO), &QCheckBox::clicked, this, [this] {
        if (!HasRecords()) return;
        ui::MakeTwoState(Check(IDC_DEF_TAHO));
        for (CfgChannel* r : records_) r->bDefOptTaho = Check(IDC_DEF_TAHO)->isChecked();
        Enable();
    });
    connect(Edit(IDC_POINTS), &QLineEdit::textChanged, this, [this] { PointsEdited(); });
    connect(Edit(IDC_SECONDS), &QLineEdit::textChanged, this, [this] { SecondsEdited(); });
    connect(Radio(IDC_ABS), &QRadioButton::clicked, this, [this] { LevelMode(0); });
    connect(Radio(IDC_REL), &QRadioButton::clicked, this, [this] { LevelMode(1); });
    connect(ui::Ctl<QPushButton>(this, IDC_REPAIR_OPEN), &QPushButton::clicked, this,
            [this] { OpenRepair(); });
}

void CProcItemTaho::ShowRecords() {
    editHandlers_ = false;
    if (HasRecords() || defaultsMode_) {
        procrules::Records src = records_;
        CfgChannel defaults;
        if (src.empty()) {
            defaults.tahoOpt = DefaultTahoOpt();
            defaults.sampleStep = 0;  // no points text without a channel
            src.push_back(&defaults);
        }
        const bool points = HasRecords() && records_.front()->sampleStep > 0;
        SetEditText(IDC_POINTS, points
                                    ? procrules::CommonText(src,
                                                            [](const CfgChannel& c) {
                                                                return procrules::PointsText(
                                                                    c.sampleStep, Taho(c).deltaF);
                                                            })
                                    : "");
        SetEditText(IDC_SECONDS, procrules::CommonText(src, [](const CfgChannel& c) {
                        return procrules::SecondsText(Taho(c).deltaF);
                    }));
        SetEditText(IDC_LEVEL_HI, procrules::CommonText(src, [](const CfgChannel& c) {
                        return procrules::LevelText(Taho(c).levelHi, Taho(c).flagAbsOtn);
                    }));
        SetEditText(IDC_LEVEL_LO, procrules::CommonText(src, [](const CfgChannel& c) {
                        return procrules::LevelText(Taho(c).levelLo, Taho(c).flagAbsOtn);
                    }));
        SetEditText(IDC_COEF, procrules::CommonText(src, [](const CfgChannel& c) {
                        return procrules::CoefText(Taho(c).coefTaho);
                    }));
        ui::ShowCheck(Check(IDC_DEF_TAHO),
                      HasRecords()
                          ? Common<bool>(src, [](const CfgChannel& c) { return c.bDefOptTaho; })
                          : std::optional<bool>(false));
        // The stored values are compared, so 1 and 3 show no entry; a shared
        // value other than rpm reads as Hz.
        const auto axis = Common<int>(src, [](const CfgChannel& c) { return Taho(c).typeAxY; });
        unitsShown_ = axis ? std::optional<int>(*axis == 2 ? 1 : 0) : std::nullopt;
        ui::ShowEntry(List(IDC_UNITS), unitsShown_);
        auto absOtn = Common<int>(src, [](const CfgChannel& c) { return Taho(c).flagAbsOtn; });
        ui::ShowPair(Radio(IDC_ABS), Radio(IDC_REL), absOtn);
        levelMode_ = absOtn && (*absOtn == 0 || *absOtn == 1) ? *absOtn : -1;
        ui::ShowPair(Radio(IDC_FRONT_POS), Radio(IDC_FRONT_NEG),
                     Common<int>(src, [](const CfgChannel& c) { return Taho(c).flagFront; }));
    } else {
        for (int id : {IDC_POINTS, IDC_SECONDS, IDC_LEVEL_HI, IDC_LEVEL_LO, IDC_COEF})
            SetEditText(id, "");
        unitsShown_.reset();
        ui::ShowEntry(List(IDC_UNITS), std::nullopt);
        ui::ShowPair(Radio(IDC_ABS), Radio(IDC_REL), std::nullopt);
        ui::ShowPair(Radio(IDC_FRONT_POS), Radio(IDC_FRONT_NEG), std::nullopt);
        ui::ShowCheck(Check(IDC_DEF_TAHO), false);
        levelMode_ = -1;
    }
    editHandlers_ = true;
    Enable();
}

void CProcItemTaho::Enable() {
    const bool tacho = AllOfType(CfgChannelTacho);
    bool own = tacho;
    for (const CfgChannel* r : records_) own = own && !r->bDefOptTaho;
    Check(IDC_DEF_TAHO)->setEnabled(tacho);
    const bool edit = own || defaultsMode_;
    List(IDC_UNITS)->setEnabled(edit);
    for (int id : {IDC_SECONDS, IDC_LEVEL_HI, IDC_LEVEL_LO, IDC_COEF}) Edit(id)->setEnabled(edit);
    for (int id : {IDC_ABS, IDC_REL, IDC_FRONT_POS, IDC_FRONT_NEG}) Radio(id)->setEnabled(edit);
    Edit(IDC_POINTS)->setEnabled(own);
    ui::Ctl<QPushButton>(this, IDC_REPAIR_OPEN)->setEnabled(edit);
}

void CProcItemTaho::PointsEdited() {
    if (!editHandlers_ || !HasRecords()) return;
    const std::string text = ui::StdStr(Edit(IDC_POINTS)->text());
    const int n = procrules::LeadingInt(text);
    if (text.empty() || n <= 0) {
        SetEditText(IDC_SECONDS, "");
        return;
    }
    std::string result;
    for (size_t i = 0; i < records_.size(); ++i) {
        CfgChannel& r = *records_[i];
        if (!(r.sampleStep > 0)) {
            result.clear();
            break;
        }
        r.tahoOpt.deltaF = 1.0 / (r.sampleStep * n);
        const std::string s = procrules::SecondsText(r.tahoOpt.deltaF);
        if (i == 0)
            result = s;
        else if (s != result)
            result.clear();
    }
    SetEditText(IDC_SECONDS, result);
}

void CProcItemTaho::SecondsEdited() {
    if (!editHandlers_ || !HasRecords()) return;
    const std::string text = ui::StdStr(Edit(IDC_SECONDS)->text());
    const double t = procrules::LeadingNumber(text);
    if (text.empty() || !(t > 0)) {
        SetEditText(IDC_POINTS, "");
        return;
    }
    const double deltaF = 1.0 / t;
    std::string result;
    for (size_t i = 0; i < records_.size(); ++i) {
        CfgChannel& r = *records_[i];
        if (!(r.sampleStep > 0)) {
            result.clear();
            break;
        }
        const std::string s = procrules::PointsText(r.sampleStep, deltaF);
        if (i == 0)
            result = s;
        else if (s != result)
            result.clear();
        r.tahoOpt.deltaF = deltaF;
    }
    SetEditText(IDC_POINTS, result);
}

void CProcItemTaho::LevelMode(int mode) {
    if (!HasRecords() && !defaultsMode_) return;
    if (levelMode_ != mode) {
        for (int id : {IDC_LEVEL_HI, IDC_LEVEL_LO})
            SetEditText(id, procrules::ConvertLevelText(ui::StdStr(Edit(id)->text()), mode));
    }
    levelMode_ = mode;
}

void CProcItemTaho::Apply() {
    // Units only once the user picked another entry: the hertz entry also
    // stands for stored values other than 1, which it must not overwrite.
    auto units = ui::EntryValue(List(IDC_UNITS));
    if (units == unitsShown_) units.reset();
    const auto hi = ui::EditedText(Edit(IDC_LEVEL_HI));
    const auto lo = ui::EditedText(Edit(IDC_LEVEL_LO));
    const auto coef = ui::EditedText(Edit(IDC_COEF));
    const auto mode = ui::PairValue(Radio(IDC_ABS), Radio(IDC_REL));
    const auto front = ui::PairValue(Radio(IDC_FRONT_POS), Radio(IDC_FRONT_NEG));
    if (HasRecords()) {
        const auto useDefault = ui::CheckValue(Check(IDC_DEF_TAHO));
        for (CfgChannel* r : records_) {
            CfgTahoOpt& o = r->tahoOpt;
            if (useDefault) r->bDefOptTaho = *useDefault;
            if (units) o.typeAxY = *units + 1;
            // A level edit left empty or as shown keeps the record's value,
            // converted when the chosen mode differs from the record's.
            if (hi)
                o.levelHi = procrules::LeadingNumber(*hi);
            else if (mode)
                o.levelHi = procrules::ConvertLevel(o.levelHi, o.flagAbsOtn, *mode);
            if (lo)
                o.levelLo = procrules::LeadingNumber(*lo);
            else if (mode)
                o.levelLo = procrules::ConvertLevel(o.levelLo, o.flagAbsOtn, *mode);
            if (coef) o.coefTaho = procrules::LeadingNumber(*coef);
            if (mode) o.flagAbsOtn = *mode;
            if (front) o.flagFront = *front;
        }
    } else if (defaultsMode_) {
        CfgTahoOpt& d = DefaultTahoOpt();
        if (units) d.typeAxY = *units + 1;
        if (mode) d.flagAbsOtn = *mode;
        if (front) d.flagFront = *front;
        if (hi) d.levelHi = procrules::LeadingNumber(*hi);
        if (lo) d.levelLo = procrules::LeadingNumber(*lo);
        if (coef) d.coefTaho = procrules::LeadingNumber(*coef);
    }
    if (units) unitsShown_ = units;
}
