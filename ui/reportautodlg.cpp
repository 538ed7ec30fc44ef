// The automatic-report dialog: program, folders, report file, opening it afterwards.

#include "ui/reportautodlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/res/ids.h"
#include "ui/rules/reportrules.h"

using namespace res;

namespace {

CReportAutoDlg::ModalHook& Hook() {
    static CReportAutoDlg::ModalHook hook;
    return hook;
}

}  // namespace

CReportAutoDlg::ModalHook CReportAutoDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

CReportAutoDlg::CReportAutoDlg(CCfgProc* cfg, QWidget* parent) : QDialog(parent), cfg_(cfg) {
    ui::BuildFromTemplate(this, IDD_REPORT_AUTO);
    programs_ = ui::Ctl<QComboBox>(this, IDC_PROGRAMS);
    file_ = ui::Ctl<QLineEdit>(this, IDC_AUTO_FILE);
    open_ = ui::Ctl<QCheckBox>(this, IDC_OPEN_REPORT);
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK))
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* cancel = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    if (auto* browse = ui::Ctl<QPushButton>(this, IDC_BROWSE))
        connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
}

void CReportAutoDlg::Init() {
    if (!cfg_ || !programs_ || !file_ || !open_) return;
    const ReportSettings& rs = cfg_->report;
    std::vector<std::string> names;
    programs_->clear();
    for (const ReportProgram& p : rs.programs) {
        names.push_back(p.name);
        programs_->addItem(ui::QStr(p.name));
    }
    int selected = names.empty() ? -1 : 0;
    if (!rs.autoProgram.empty()) selected = reportrules::FindPrefix(names, rs.autoProgram);
    programs_->setCurrentIndex(selected);
    if (auto* e = ui::Ctl<QLineEdit>(this, IDC_AUTO_MEASUREMENT))
        e->setText(ui::QStr(cfg_->srcFileKorvex));
    if (auto* e = ui::Ctl<QLineEdit>(this, IDC_AUTO_RESULT))
        e->setText(ui::QStr(cfg_->lastResultFolder));
    file_->setText(ui::QStr(reportrules::AutoReportFile(rs)));
    open_->setChecked(rs.bOpenReport);
    if (auto* ok = ui::Ctl<QPushButton>(this, IDOK)) ok->setEnabled(!names.empty());
}

void CReportAutoDlg::OnOK() {
    if (cfg_ && programs_ && file_ && open_) {
        ReportSettings& rs = cfg_->report;
        const int i = programs_->currentIndex();
        rs.autoProgram = i >= 0 && i < static_cast<int>(rs.programs.size())
                             ? rs.programs[static_cast<size_t>(i)].name
                             : std::string();
        rs.autoFile = ui::StdStr(file_->text());
        rs.bOpenReport = open_->isChecked();
    }
    accept();
}

void CReportAutoDlg::OnBrowse() {
    if (!file_) return;
    ui::FileRequest request;
    request.filter = res::Str(IDS_FILTER_REPORT);
    request.defaultExt = "rtf";
    request.initial = ui::StdStr(file_->text());
    const std::optional<std::string> chosen = ui::AskFileName(this, request);
    if (!chosen) return;
    file_->setText(ui::QStr(*chosen));
    if (cfg_) cfg_->report.autoFile = *chosen;
}

int CReportAutoDlg::DoModal() {
    Init();
    if (Hook()) return Hook()(*this);
    return exec();
}
