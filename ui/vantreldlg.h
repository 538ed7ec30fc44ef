#pragma once
// The main dialog: the four pages over one working copy of the
// configuration, the configuration-file commands of its menu and the
// buttons OK, cancel and calculate. The caller fills the copy, shows the
// dialog and takes the copy back only when it ended with OK.

#include <QDialog>
#include <functional>
#include <string>

#include "config/cfgproc.h"
#include "ui/images.h"

class QAction;
class QMenuBar;
class QTabWidget;
class CVantrelFreqsPage;
class CVantrelGeneralPage;
class CVantrelProcPage;

namespace host {
class App;
}

class CVantrelDlg : public QDialog {
  public:
    // A page another module provides (the report page): its widget, with its
    // controls already built, which the tab control takes over, and what
    // showing it, OK and a configuration replaced under it (new, open) do to
    // it. Empty functions do nothing.
    struct ExtraPage {
        QWidget* widget = nullptr;
        std::function<void()> activate;
        std::function<void()> store;
        std::function<void()> reload;
    };
    using PageFactory = std::function<ExtraPage(const host::App* app, CCfgProc* cfg)>;
    // Whoever links the report page sets its factory; without one the dialog
    // shows an empty page under the report tab. Returns the previous one.
    static PageFactory SetReportPageFactory(PageFactory factory);

    // Runs a modal dialog the menu opens (the defaults dialog) instead of its
    // loop (tests); an empty hook brings the loop back.
    using ModalHook = std::function<int(QDialog&)>;
    static ModalHook SetModalHook(ModalHook hook);

    explicit CVantrelDlg(QWidget* parent = nullptr);
    ~CVantrelDlg() override;

    void SetHost(const host::App* app) { app_ = app; }
    // The working copy; edit it through Config() before Init.
    CCfgProc& Config() { return cfg_; }
    const CCfgProc& Config() const { return cfg_; }
    bool CalculationRequested() const { return calc_; }
    // The version text of the about box ("0.1.0.0" from the build).
    void SetVersionText(std::string v) { version_ = std::move(v); }

    // Builds the pages and the tab control (once); showing the dialog does it.
    bool Init();
    // A menu command or the calculate button by id; false for an unknown id.
    bool OnCommand(int id);
    void OnOK();

    QTabWidget* Tabs() const { return tabs_; }
    QMenuBar* MenuBar() const { return menu_; }
    QAction* Action(int commandId) const;
    CVantrelGeneralPage* GeneralPage() const { return general_; }
    CVantrelFreqsPage* FreqsPage() const { return freqs_; }
    CVantrelProcPage* ProcPage() const { return proc_; }
    QWidget* ReportPage() const { return report_.widget; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void BuildMenu();
    void AddPages();
    void FitTabs();
    void UpdateTitle();
    void OnTabChanged(int index);
    void ActivatePage(int index);
    void ReloadPages();
    void LoadDataFile();
    void NewConfig();
    void OpenConfig();
    void SaveConfig();
    void SaveConfigAs();
    void About();
    void Defaults(int mode);

    const host::App* app_ = nullptr;
    CCfgProc cfg_;
    ui::ImageList images_;
    std::string version_;
    QMenuBar* menu_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CVantrelGeneralPage* general_ = nullptr;
    CVantrelFreqsPage* freqs_ = nullptr;
    CVantrelProcPage* proc_ = nullptr;
    ExtraPage report_;
    int shown_ = -1;  // the page last activated
    bool calc_ = false;
    bool ready_ = false;
};
