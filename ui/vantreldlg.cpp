// The main dialog: four pages over a working copy, its file menu, OK, cancel, calculate.

#include "ui/vantreldlg.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "config/cfgfile.h"
#include "shell/host.h"
#include "ui/defaultoptdlg.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/freqspage.h"
#include "ui/generalpage.h"
#include "ui/msgbox.h"
#include "ui/procpage.h"
#include "ui/reportpage.h"
#include "ui/res/ids.h"
#include "ui/rules/mainrules.h"

#ifndef VANTREL_VERSION_TEXT
#define VANTREL_VERSION_TEXT "0.0.0.0"
#endif

using namespace res;

namespace {

const char kCommandProperty[] = "commandId";
// The tabs in their order; the report page is the last.
enum Tab { kGeneral = 0, kFreqs = 1, kProc = 2, kReport = 3 };

CVantrelDlg::PageFactory& Factory() {
    static CVantrelDlg::PageFactory factory;
    return factory;
}

CVantrelDlg::ModalHook& Modal() {
    static CVantrelDlg::ModalHook hook;
    return hook;
}

// A page template's caption and size, for the tab text and for pages that
// build their controls only when first shown.
QSize TemplateSize(int templateId) {
    const res::DialogTemplate* t = res::Dialog(templateId);
    if (!t) return {};
    return ui::ToPixels({0, 0, t->width, t->height}, ui::UnitsFor(ui::TemplateFont(*t))).size();
}
QString TemplateCaption(int templateId) {
    const res::DialogTemplate* t = res::Dialog(templateId);
    return t ? ui::QStr(t->caption) : QString();
}

}  // namespace

CVantrelDlg::PageFactory CVantrelDlg::SetReportPageFactory(PageFactory factory) {
    PageFactory old = std::move(Factory());
    Factory() = std::move(factory);
    return old;
}

CVantrelDlg::ModalHook CVantrelDlg::SetModalHook(ModalHook hook) {
    ModalHook old = std::move(Modal());
    Modal() = std::move(hook);
    return old;
}

CVantrelDlg::CVantrelDlg(QWidget* parent) : QDialog(parent), version_(VANTREL_VERSION_TEXT) {
    ui::BuildFromTemplate(this, IDD_MAIN);
    connect(ui::Ctl<QPushButton>(this, IDOK), &QPushButton::clicked, this, [this] { OnOK(); });
    connect(ui::Ctl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this,
            [this] { reject(); });
    connect(ui::Ctl<QPushButton>(this, IDC_CALC), &QPushButton::clicked, this,
            [this] { OnCommand(IDC_CALC); });
    BuildMenu();
}

// The pages are children of the tab control and go with it; the tab control
// must not activate pages on the way.
CVantrelDlg::~CVantrelDlg() {
    if (tabs_) tabs_->blockSignals(true);
}

// The menu sits above the template's controls, as a window menu sits above
// the client area: everything moves down by its height.
void CVantrelDlg::BuildMenu() {
    const res::Menu* m = res::FindMenu(IDR_MAIN_MENU);
    if (!m) return;
    menu_ = new QMenuBar(this);
    for (const res::MenuItem& popup : m->items) {
        QMenu* sub = menu_->addMenu(ui::QStr(popup.text));
        for (const res::MenuItem& item : popup.items) {
            if (item.IsSeparator()) {
                sub->addSeparator();
                continue;
            }
            QAction* a = sub->addAction(ui::QStr(item.text));
            a->setProperty(kCommandProperty, item.id);
            a->setObjectName(QString("m%1").arg(item.id));
            const int id = item.id;
            connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
    }
    const int h = menu_->sizeHint().height();
    for (QObject* o : children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w != menu_) w->move(w->pos() + QPoint(0, h));
    }
    resize(width(), height() + h);
    menu_->setGeometry(0, 0, width(), h);
}

QAction* CVantrelDlg::Action(int commandId) const {
    return menu_ ? menu_->findChild<QAction*>(QString("m%1").arg(commandId)) : nullptr;
}

void CVantrelDlg::showEvent(QShowEvent* e) {
    Init();
    QDialog::showEvent(e);
}

bool CVantrelDlg::Init() {
    if (ready_) return true;
    ready_ = true;
    cfg_.channelsChanged = true;
    cfg_.frequencyBaseChanged = true;
    AddPages();
    FitTabs();
    UpdateTitle();
    ActivatePage(tabs_->currentIndex());
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) { OnTabChanged(i); });
    return true;
}

void CVantrelDlg::AddPages() {
    general_ = new CVantrelGeneralPage;
    freqs_ = new CVantrelFreqsPage;
    proc_ = new CVantrelProcPage;
    general_->SetHost(app_);
    freqs_->SetHost(app_);
    proc_->SetHost(app_);
    general_->SetConfig(&cfg_);
    freqs_->SetConfig(&cfg_);
    proc_->SetConfig(&cfg_);
    freqs_->SetImageList(&images_);
    proc_->SetImageList(&images_);
    // Controls made after the tab control is visible would stay hidden, so
    // the page windows are built here; they read the copy when first shown.
    general_->Create();
    freqs_->Create();
    proc_->Create();
    if (Factory()) report_ = Factory()(app_, &cfg_);
    if (!report_.widget) {
        auto* page = new CVantrelReportPage;
        page->SetConfig(&cfg_);
        page->Create();
        report_ = ExtraPage{page, [page] { page->Activate(); }, [page] { page->Apply(); },
                            [page] { page->Reload(); }};
    }

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("tabs");
    tabs_->setFocusPolicy(Qt::TabFocus);
    const std::pair<QWidget*, int> pages[] = {{general_, IDD_GENERAL},
                                              {freqs_, IDD_FREQS},
                                              {proc_, IDD_PROC},
                                              {report_.widget, IDD_REPORT_PAGE}};
    for (auto [page, id] : pages) {
        page->setMinimumSize(TemplateSize(id));
        tabs_->addTab(page, TemplateCaption(id));
    }
}

// The tab control goes where the placeholder is; when it is larger, the
// buttons move and the dialog grows by the difference.
void CVantrelDlg::FitTabs() {
    QWidget* frame = ui::FindControl(this, IDC_PLACEHOLDER);
    if (!frame) return;
    tabs_->move(frame->pos());
    tabs_->resize(tabs_->minimumSizeHint().expandedTo(tabs_->sizeHint()));
    tabs_->show();
    const mainrules::Growth g =
        mainrules::GrowthFor(tabs_->width(), tabs_->height(), frame->width(), frame->height());
    if (!g.Any()) return;
    for (int id : {IDOK, IDCANCEL})
        if (QWidget* b = ui::FindControl(this, id)) b->move(b->pos() + QPoint(g.dx, g.dy));
    if (QWidget* calc = ui::FindControl(this, IDC_CALC)) calc->move(calc->pos() + QPoint(0, g.dy));
    resize(width() + g.dx, height() + g.dy);
    if (menu_) menu_->resize(width(), menu_->height());
}

void CVantrelDlg::UpdateTitle() {
    setWindowTitle(ui::QStr(mainrules::MainTitle(cfg_.cfgFile)));
}

void CVantrelDlg::OnTabChanged(int index) {
    if (shown_ == kFreqs) freqs_->Deactivate();
    if (shown_ == kProc) proc_->Deactivate();
    ActivatePage(index);
}

void CVantrelDlg::ActivatePage(int index) {
    shown_ = index;
    switch (index) {
        case kGeneral:
            general_->Create();
            break;
        case kFreqs:
            freqs_->Activate();
            break;
        case kProc:
            proc_->Activate();
            break;
        case kReport:
            if (report_.activate) report_.activate();
            break;
        default:
            break;
    }
}

void CVantrelDlg::ReloadPages() {
    freqs_->Reload();
    proc_->Reload();
    if (report_.reload) report_.reload();
}

bool CVantrelDlg::OnCommand(int id) {
    Init();
    switch (id) {
        case ID_LOAD_DATA:
            LoadDataFile();
            return true;
        case ID_NEW_CONFIG:
            NewConfig();
            return true;
        case ID_OPEN_CONFIG:
            OpenConfig();
            return true;
        case ID_SAVE_CONFIG:
            SaveConfig();
            return true;
        case ID_SAVE_CONFIG_AS:
            SaveConfigAs();
            return true;
        case ID_ABOUT:
            About();
            return true;
        case ID_DEFAULTS_FFT:
            Defaults(CDefaultOptDlg::kSpectrum);
            return true;
        case ID_DEFAULTS_TAHO:
            Defaults(CDefaultOptDlg::kTacho);
            return true;
        case IDC_CALC:
            calc_ = true;
            OnOK();
            return true;
        default:
            return false;
    }
}

// Pages store in a fixed order.
void CVantrelDlg::OnOK() {
    if (ready_) {
        general_->Apply();
        freqs_->Store();
        proc_->Apply();
        if (report_.store) report_.store();
    }
    accept();
}

void CVantrelDlg::LoadDataFile() {
    ui::FileRequest r;
    r.filter = Str(IDS_FILTER_QUOR);
    r.defaultExt = "quor";
    r.initial = cfg_.srcFileDir;
    const std::optional<std::string> path = ui::AskFileName(this, r);
    if (!path || !app_) return;
    const plat::DispPtr file = app_->OpenDataFile(*path);
    if (!file || app_->GetObjectKind(file) == host::KindNone) return;
    const host::Folder folder = app_->GetDataFolder(file);
    if (!folder || app_->GetObjectKind(folder.Disp()) != host::KindFolder) return;
    // A folder outside "/Signals/" names no data set the engine could find.
    const std::string name = mainrules::DataSetName(folder.GetPath());
    if (name.empty()) return;
    cfg_.srcFileDir = *path;
    cfg_.srcFileKorvex = name;
    cfg_.RefreshChannels(app_, name);
    general_->ShowSourceName(name);
}

void CVantrelDlg::NewConfig() {
    if (ui::MessageBox(this, IDS_NEW_CONFIG, IDS_WARNING, ui::MbIcon::Warning,
                       ui::MbButtons::YesNo) != ui::MbYes)
        return;
    cfg_.Reset();
    cfg_.cfgFile.clear();
    UpdateTitle();
    ReloadPages();
}

void CVantrelDlg::OpenConfig() {
    ui::FileRequest r;
    r.filter = Str(IDS_FILTER_CFG);
    r.defaultExt = "cfg";
    r.initial = cfg_.cfgFile;
    const std::optional<std::string> path = ui::AskFileName(this, r);
    if (!path || !ReadConfig(cfg_, *path)) return;
    cfg_.cfgFile = *path;
    UpdateTitle();
    ReloadPages();
    ActivatePage(tabs_->currentIndex());
}

void CVantrelDlg::SaveConfig() {
    WriteConfig(cfg_, cfg_.cfgFile.empty() ? cfg_.settingsPath : cfg_.cfgFile);
}

void CVantrelDlg::SaveConfigAs() {
    ui::FileRequest r;
    r.save = true;
    r.confirmOverwrite = false;
    r.filter = Str(IDS_FILTER_CFG);
    r.defaultExt = "cfg";
    r.initial = cfg_.cfgFile;
    const std::optional<std::string> path = ui::AskFileName(this, r);
    if (!path || !WriteConfig(cfg_, *path)) return;
    cfg_.cfgFile = *path;
    UpdateTitle();
}

void CVantrelDlg::About() {
    ui::MessageBoxText(this, mainrules::AboutText(version_), IDS_ABOUT_CAPTION,
                       ui::MbIcon::Information);
}

void CVantrelDlg::Defaults(int mode) {
    CDefaultOptDlg dlg(mode, this);
    if (Modal())
        Modal()(dlg);
    else
        dlg.exec();
}
