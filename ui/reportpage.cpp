// The report page: test programs with modes, entry layout options, header channels.

#include "ui/reportpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "ui/dialogs.h"
#include "ui/images.h"
#include "ui/msgbox.h"
#include "ui/quiet.h"
#include "ui/res/ids.h"
#include "ui/rules/procrules.h"
#include "ui/rules/reportrules.h"
#include "ui/values.h"

using namespace res;
using ui::Quiet;

namespace {

std::vector<int> Rows(const QItemSelection& s) {
    std::vector<int> rows;
    for (const QModelIndex& i : s.indexes())
        if (std::find(rows.begin(), rows.end(), i.row()) == rows.end()) rows.push_back(i.row());
    return rows;
}

void Fill(QComboBox* box, const std::vector<std::string>& names) {
    box->clear();
    for (const std::string& n : names) box->addItem(ui::QStr(n));
    box->setCurrentIndex(-1);
}

}  // namespace

CVantrelReportPage::CVantrelReportPage(QWidget* parent) : QWidget(parent) {}

QLineEdit* CVantrelReportPage::Edit(int id) const {
    return ui::Ctl<QLineEdit>(this, id);
}

bool CVantrelReportPage::Create() {
    if (created_) return true;
    if (!ui::BuildFromTemplate(this, IDD_REPORT_PAGE)) return false;
    modes_ = ui::Ctl<QTableWidget>(this, IDC_LIST);
    programs_ = ui::Ctl<QComboBox>(this, IDC_PROGRAMS);
    feature_ = ui::Ctl<QComboBox>(this, IDC_FEATURE_CHANNEL);
    channel_ = ui::Ctl<QComboBox>(this, IDC_HEADER_CHANNEL);
    if (!modes_ || !programs_ || !feature_ || !channel_) return false;
    created_ = true;

    modes_->setColumnCount(1);
    modes_->setHorizontalHeaderItem(0, new QTableWidgetItem(ui::Text(IDS_REPORT_COL_MODES)));
    modes_->setColumnWidth(0, modes_->width() - 2 * modes_->frameWidth() - 18);
    channel_->setInsertPolicy(QComboBox::NoInsert);
    const std::pair<int, int> icons[] = {{IDC_MODE_ADD, ui::kIconModeAdd},
                                         {IDC_MODE_DELETE, ui::kIconModeDelete},
                                         {IDC_MODE_UP, ui::kIconModeUp},
                                         {IDC_MODE_DOWN, ui::kIconModeDown}};
    for (auto [id, icon] : icons)
        if (auto* b = ui::Ctl<QPushButton>(this, id)) {
            b->setText({});
            b->setIcon(ui::ButtonIcon(icon));
        }

    const std::pair<int, void (CVantrelReportPage::*)()> buttons[] = {
        {IDC_MODE_ADD, &CVantrelReportPage::AddMode},
        {IDC_MODE_DELETE, &CVantrelReportPage::DeleteMode},
        {IDC_PROGRAM_ADD, &CVantrelReportPage::AddProgram},
        {IDC_PROGRAM_DELETE, &CVantrelReportPage::DeleteProgram},
        {IDC_PROGRAM_APPLY, &CVantrelReportPage::ApplyProgram},
        {IDC_HEADER_ADD, &CVantrelReportPage::AddHeaderChannel},
        {IDC_HEADER_ADD_ALL, &CVantrelReportPage::AddAllHeaderChannels}};
    for (auto [id, fn] : buttons)
        if (auto* b = ui::Ctl<QPushButton>(this, id))
            connect(b, &QPushButton::clicked, this, [this, fn = fn] { (this->*fn)(); });
    connect(ui::Ctl<QPushButton>(this, IDC_MODE_UP), &QPushButton::clicked, this,
            [this] { MoveMode(-1); });
    connect(ui::Ctl<QPushButton>(this, IDC_MODE_DOWN), &QPushButton::clicked, this,
            [this] { MoveMode(1); });
    connect(programs_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (notify_ && index != program_) {
            // What the page shows of the program left is kept, not dropped.
            ApplyProgram();
            {
                Quiet quiet(notify_);
                programs_->setCurrentIndex(index);
            }
            SelectProgram(index);
            UpdateEnabling();
        }
    });
    connect(modes_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (notify_) OnModeSelection(Rows(deselected), Rows(selected));
            });

    ui::Ctl<ui::UpDown>(this, IDC_FONT_SIZE_SPIN)->SetRange(6, 24);
    ShowConfig();
    return true;
}

void CVantrelReportPage::ShowConfig() {
    program_ = mode_ = -1;
    {
        Quiet quiet(notify_);
        programs_->clear();
    }
    if (cfg_) {
        Quiet quiet(notify_);
        const ReportSettings& rs = cfg_->report;
        for (const ReportProgram& p : rs.programs) programs_->addItem(ui::QStr(p.name));
        FillChannelLists();
        const int first = rs.programs.empty() ? -1 : 0;
        programs_->setCurrentIndex(first);
        SelectProgram(first);
        ui::Ctl<QCheckBox>(this, IDC_NEW_PAGE)->setChecked(rs.bNewPage);
        ui::Ctl<QCheckBox>(this, IDC_LANDSCAPE)->setChecked(rs.bLandscape);
        auto* spin = ui::Ctl<ui::UpDown>(this, IDC_FONT_SIZE_SPIN);
        spin->SetPos(rs.fontSize);
        Edit(IDC_HEADER_CHANNELS)->setText(ui::QStr(HeaderChannelsToText(rs.headerChannels)));
    }
    UpdateEnabling();
}

void CVantrelReportPage::Reload() {
    if (created_) ShowConfig();
}

void CVantrelReportPage::Activate() {
    if (!Create() || !cfg_) return;
    Quiet quiet(notify_);
    FillChannelLists();
    const ReportProgram* p = Program();
    SelectFeatureChannel(p ? p->featureChannel : std::string());
}

void CVantrelReportPage::Apply() {
    if (!created_ || !cfg_) return;
    ApplyProgram();
    ReportSettings& rs = cfg_->report;
    rs.bNewPage = ui::Ctl<QCheckBox>(this, IDC_NEW_PAGE)->isChecked();
    rs.bLandscape = ui::Ctl<QCheckBox>(this, IDC_LANDSCAPE)->isChecked();
    rs.fontSize = ui::Ctl<ui::UpDown>(this, IDC_FONT_SIZE_SPIN)->Pos();
    rs.headerChannels = HeaderChannelsFromText(ui::StdStr(Edit(IDC_HEADER_CHANNELS)->text()));
}

ReportProgram* CVantrelReportPage::Program() const {
    if (!cfg_ || program_ < 0 || program_ >= static_cast<int>(cfg_->report.programs.size()))
        return nullptr;
    return &cfg_->report.programs[static_cast<size_t>(program_)];
}

ReportMode* CVantrelReportPage::Mode() const {
    ReportProgram* p = Program();
    if (!p || mode_ < 0 || mode_ >= static_cast<int>(p->modes.size())) return nullptr;
    return &p->modes[static_cast<size_t>(mode_)];
}

void CVantrelReportPage::FillChannelLists() {
    const std::vector<std::string> none;
    Fill(feature_, cfg_ ? cfg_->channelNames : none);
    Fill(channel_, cfg_ ? cfg_->channelNames : none);
}

void CVantrelReportPage::SelectFeatureChannel(const std::string& channel) {
    const int i = cfg_ ? reportrules::FindPrefix(cfg_->channelNames, channel) : -1;
    feature_->setCurrentIndex(i < feature_->count() ? i : -1);
}

void CVantrelReportPage::SetModeText(int row, const std::string& name) {
    QTableWidgetItem* item = modes_->item(row, 0);
    if (!item) {
        item = new QTableWidgetItem;
        modes_->setItem(row, 0, item);
    }
    item->setText(ui::QStr(name));
}

void CVantrelReportPage::SelectModeRow(int row) {
    Quiet quiet(notify_);
    modes_->clearSelection();
    if (row < 0 || row >= modes_->rowCount()) return;
    modes_->selectRow(row);
    modes_->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
}

void CVantrelReportPage::SelectProgram(int index) {
    if (!created_) return;
    Quiet quiet(notify_);
    program_ = index;
    const ReportProgram* p = Program();
    modes_->clearSelection();
    modes_->setRowCount(0);
    if (!p) {
        program_ = -1;
        Edit(IDC_PROGRAM_NAME)->clear();
        feature_->setCurrentIndex(-1);
        ShowMode(-1);
        return;
    }
    Edit(IDC_PROGRAM_NAME)->setText(ui::QStr(p->name));
    SelectFeatureChannel(p->featureChannel);
    modes_->setRowCount(static_cast<int>(p->modes.size()));
    for (size_t j = 0; j < p->modes.size(); ++j) SetModeText(static_cast<int>(j), p->modes[j].name);
    if (p->modes.empty()) {
        ShowMode(-1);
        return;
    }
    SelectModeRow(0);
    modes_->setFocus();
    ShowMode(0);
}

void CVantrelReportPage::ShowMode(int index) {
    mode_ = index;
    const ReportMode* m = Mode();
    if (!m) mode_ = -1;
    ui::ShowText(Edit(IDC_MODE_NAME), m ? m->name : std::string());
    ui::ShowText(Edit(IDC_MODE_VALUE), m ? procrules::Fixed(m->value, 6) : std::string());
    ui::ShowText(Edit(IDC_MODE_RANGE), m ? procrules::Fixed(m->range, 6) : std::string());
    ui::ShowText(Edit(IDC_MODE_DURATION), m ? procrules::Fixed(m->duration, 1) : std::string());
}

void CVantrelReportPage::ApplyMode() {
    ReportMode* m = Mode();
    if (!m) return;
    const std::string name = ui::StdStr(Edit(IDC_MODE_NAME)->text());
    if (!name.empty()) {
        m->name = name;
        SetModeText(mode_, name);
    }
    // Numbers are shown rounded: only a changed text is read back.
    auto read = [this](int id, double& v, bool nonNegative) {
        const QLineEdit* e = Edit(id);
        if (!ui::Edited(e)) return;
        const double typed = reportrules::Number(ui::StdStr(e->text()));
        v = nonNegative ? reportrules::NonNegative(typed) : typed;
    };
    read(IDC_MODE_VALUE, m->value, false);
    read(IDC_MODE_RANGE, m->range, true);
    read(IDC_MODE_DURATION, m->duration, true);
}

void CVantrelReportPage::ApplyProgram() {
    ReportProgram* p = Program();
    if (!p) return;
    const std::string name = ui::StdStr(Edit(IDC_PROGRAM_NAME)->text());
    if (!name.empty() && name != p->name) {
        p->name = name;
        Quiet quiet(notify_);
        programs_->setItemText(program_, ui::QStr(name));
    }
    // By name: the list may still hold the channels of a data set replaced
    // since. With nothing selected (no data set, or one without the channel)
    // the stored channel stays.
    if (feature_->currentIndex() >= 0) p->featureChannel = ui::StdStr(feature_->currentText());
    ApplyMode();
}

void CVantrelReportPage::AddProgram() {
    if (!created_ || !cfg_) return;
    std::vector<ReportProgram>& programs = cfg_->report.programs;
    std::vector<std::string> names;
    for (const ReportProgram& p : programs) names.push_back(p.name);
    ReportProgram added;
    added.name = reportrules::FreeName(res::Str(IDS_REPORT_PROGRAM_NAME), names);
    programs.push_back(added);
    {
        Quiet quiet(notify_);
        programs_->addItem(ui::QStr(added.name));
        programs_->setCurrentIndex(program_);
    }
    ApplyProgram();
    const int index = static_cast<int>(programs.size()) - 1;
    {
        Quiet quiet(notify_);
        programs_->setCurrentIndex(index);
    }
    SelectProgram(index);
    UpdateEnabling();
}

void CVantrelReportPage::DeleteProgram() {
    const ReportProgram* p = Program();
    if (!p) return;
    const std::string text = res::Format(IDS_REPORT_DELETE_PROGRAM, {p->name});
    if (ui::MessageBoxText(this, text, IDS_WARNING, ui::MbIcon::Warning, ui::MbButtons::YesNo) !=
        ui::MbYes)
        return;
    std::vector<ReportProgram>& programs = cfg_->report.programs;
    programs.erase(programs.begin() + program_);
    int next = std::min(program_, static_cast<int>(programs.size()) - 1);
    {
        Quiet quiet(notify_);
        programs_->removeItem(program_);
        programs_->setCurrentIndex(next);
    }
    program_ = -1;
    SelectProgram(next);
    UpdateEnabling();
}

void CVantrelReportPage::AddMode() {
    ReportProgram* p = Program();
    if (!p) return;
    std::vector<std::string> names;
    for (const ReportMode& m : p->modes) names.push_back(m.name);
    ReportMode added;
    added.name = reportrules::FreeName(res::Str(IDS_REPORT_MODE_NAME), names);
    p->modes.push_back(added);
    const int row = static_cast<int>(p->modes.size()) - 1;
    {
        Quiet quiet(notify_);
        modes_->setRowCount(row + 1);
        SetModeText(row, added.name);
    }
    ApplyMode();
    SelectModeRow(row);
    ShowMode(row);
    UpdateEnabling();
}

void CVantrelReportPage::DeleteMode() {
    ReportProgram* p = Program();
    const ReportMode* m = Mode();
    if (!p || !m) return;
    const std::string text = res::Format(IDS_REPORT_DELETE_MODE, {m->name});
    if (ui::MessageBoxText(this, text, IDS_WARNING, ui::MbIcon::Warning, ui::MbButtons::YesNo) !=
        ui::MbYes)
        return;
    const int removed = mode_;
    p->modes.erase(p->modes.begin() + removed);
    {
        Quiet quiet(notify_);
        modes_->removeRow(removed);
    }
    const int next = std::min(removed, static_cast<int>(p->modes.size()) - 1);
    SelectModeRow(next);
    ShowMode(next);
    UpdateEnabling();
}

void CVantrelReportPage::MoveMode(int step) {
    ReportProgram* p = Program();
    if (!Mode()) return;
    const int to = mode_ + step;
    if (to < 0 || to >= static_cast<int>(p->modes.size())) return;
    std::swap(p->modes[static_cast<size_t>(mode_)], p->modes[static_cast<size_t>(to)]);
    {
        Quiet quiet(notify_);
        SetModeText(mode_, p->modes[static_cast<size_t>(mode_)].name);
        SetModeText(to, p->modes[static_cast<size_t>(to)].name);
    }
    mode_ = to;  // the edits keep showing the moved mode
    SelectModeRow(to);
    UpdateEnabling();
}

void CVantrelReportPage::AddHeaderChannel() {
    if (!cfg_) return;
    if (channel_->currentIndex() < 0) return;
    QLineEdit* edit = Edit(IDC_HEADER_CHANNELS);
    std::vector<std::string> list = HeaderChannelsFromText(ui::StdStr(edit->text()));
    if (reportrules::AddHeaderChannel(list, ui::StdStr(channel_->currentText())))
        edit->setText(ui::QStr(HeaderChannelsToText(list)));
}

void CVantrelReportPage::AddAllHeaderChannels() {
    if (!cfg_) return;
    QLineEdit* edit = Edit(IDC_HEADER_CHANNELS);
    std::vector<std::string> list = HeaderChannelsFromText(ui::StdStr(edit->text()));
    reportrules::AddAllHeaderChannels(list, cfg_->channelNames);
    edit->setText(ui::QStr(HeaderChannelsToText(list)));
}

void CVantrelReportPage::OnModeSelection(const std::vector<int>& deselected,
                                         const std::vector<int>& selected) {
    if (!deselected.empty() && Mode()) {
        ApplyMode();
        ShowMode(-1);
    }
    if (!selected.empty()) ShowMode(selected.front());
    UpdateEnabling();
}

void CVantrelReportPage::UpdateEnabling() {
    if (!created_) return;
    const bool config = cfg_ != nullptr;
    const bool program = Program() != nullptr;
    const int count = program ? static_cast<int>(Program()->modes.size()) : 0;
    const reportrules::ModeButtons modeButtons = reportrules::ModeButtonsFor(mode_, count);
    const std::pair<int, bool> states[] = {
        {IDC_PROGRAMS, config},
        {IDC_PROGRAM_ADD, config},
        {IDC_HEADER_CHANNELS, config},
        {IDC_HEADER_CHANNEL, config},
        {IDC_PROGRAM_DELETE, program},
        {IDC_PROGRAM_APPLY, program},
        {IDC_PROGRAM_NAME, program},
        {IDC_FEATURE_CHANNEL, program},
        {IDC_MODE_ADD, program},
        {IDC_MODE_NAME, modeButtons.remove},
        {IDC_MODE_VALUE, modeButtons.remove},
        {IDC_MODE_RANGE, modeButtons.remove},
        {IDC_MODE_DURATION, modeButtons.remove},
        {IDC_MODE_DELETE, modeButtons.remove},
        {IDC_MODE_UP, modeButtons.up},
        {IDC_MODE_DOWN, modeButtons.down},
    };
    for (auto [id, on] : states)
        if (QWidget* w = ui::FindControl(this, id)) w->setEnabled(on);
}
