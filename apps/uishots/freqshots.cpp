// Screenshots of the frequency-base page in the states a reviewer needs to
// see, of its bearing and gear-pair calculators, of the general page and of
// the signals dialog.

#include "apps/uishots/freqshots.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <filesystem>

#include "apps/samplegen/gearbox.h"
#include "korvex/formats/formats.h"
#include "shell/host.h"
#include "ui/dialogs.h"
#include "ui/freqspage.h"
#include "ui/generalpage.h"
#include "ui/images.h"
#include "ui/kindlg.h"
#include "ui/res/ids.h"
#include "ui/signalsdlg.h"

namespace fs = std::filesystem;

namespace {

class Grabber {
  public:
    Grabber(const QDir& dir, int dpi) : dir_(dir), dpi_(dpi) {}
    void Shoot(QWidget* w, const QString& name) {
        w->show();
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        const QString file = dir_.filePath(QString("%1dpi-%2.png").arg(dpi_).arg(name));
        if (w->grab().save(file, "PNG"))
            ++written;
        else
            ++failed;
        w->hide();
    }
    int written = 0;
    int failed = 0;

  private:
    QDir dir_;
    int dpi_;
};

template <class T>
T* Add(CCfgProcFolder& parent, const std::string& name) {
    auto node = std::make_unique<T>();
    node->name = name;
    return static_cast<T*>(parent.Append(std::move(node)));
}

struct Drive {
    CCfgProcSection* section = nullptr;
    CCfgProcTaho* shaft1 = nullptr;
    CCfgProcFolder* gears = nullptr;
    CCfgProcBandTrack* mesh = nullptr;
    CCfgProcBandFix* low = nullptr;
    CCfgProcBandFix* off = nullptr;
};

// A section with three shafts, a tracking band on all three plus a constant,
// a fixed band and a switched-off band, put first.
Drive AddDrive(CCfgProc& cfg) {
    Drive d;
    auto s = std::make_unique<CCfgProcSection>();
    s->name = "Привод";
    d.section = s.get();
    cfg.sections.insert(cfg.sections.begin(), std::move(s));
    d.shaft1 = Add<CCfgProcTaho>(*d.section, "Вал 1");
    d.shaft1->tachoChannel = std::string(samplegen::kTachoName) + ".taho";
    d.shaft1->info = "Входной вал";
    auto* shaft2 = Add<CCfgProcTaho>(*d.section, "Вал 2");
    shaft2->tachoChannel = samplegen::kSpeedName;
    auto* shaft3 = Add<CCfgProcTaho>(*d.section, "Вал 3");
    d.gears = Add<CCfgProcFolder>(*d.section, "Зубцовые");
    d.mesh = Add<CCfgProcBandTrack>(*d.gears, "Зацепление 1-2");
    d.mesh->components = {{d.shaft1->name, d.shaft1->id, 23.0},
                          {shaft2->name, shaft2->id, -17.0},
                          {shaft3->name, shaft3->id, 0.5},
                          {"", -1, 3.0}};
    d.mesh->bandWidth.tachoRef = d.shaft1->name;
    d.mesh->bandWidth.tachoRefId = d.shaft1->id;
    d.low = Add<CCfgProcBandFix>(*d.gears, "Низ 10-100 Гц");
    d.low->bandStart = 10.0;
    d.low->bandStop = 100.0;
    d.off = Add<CCfgProcBandFix>(*d.section, "Резонанс");
    d.off->bandStart = 850.0;
    d.off->bandStop = 910.0;
    d.off->enabled = false;
    return d;
}

void ShootFreqsPage(Grabber& g, const CCfgProc& demo) {
    CCfgProc cfg(demo);
    const Drive d = AddDrive(cfg);
    ui::ImageList images;
    CVantrelFreqsPage page;
    page.SetConfig(&cfg);
    page.SetImageList(&images);
    page.Activate();
    auto select = [&](const CCfgProcItem* node, const char* name) {
        page.Tree()->setCurrentItem(page.ItemOf(node));
        g.Shoot(&page, name);
    };
    select(d.shaft1, "page-freqs-tacho");
    select(d.mesh, "page-freqs-tracking-band");
    select(d.low, "page-freqs-fixed-band");
    select(d.gears, "page-freqs-folder");
    select(d.off, "page-freqs-disabled-item");
}

void Fill(CKinDlg& dlg, std::initializer_list<std::pair<int, const char*>> texts) {
    dlg.Init();
    for (auto [id, text] : texts)
        if (auto* e = ui::Ctl<QLineEdit>(&dlg, id)) e->setText(text);
}

// The calculators over the drive's gear folder: a deep-groove bearing and a
// pair of 23 and 47 teeth with harmonics and sidebands, and a bearing whose
// balls do not fit.
void ShootCalculators(Grabber& g, const CCfgProc& demo) {
    using namespace res;
    CCfgProc cfg(demo);
    const Drive d = AddDrive(cfg);
    CKinDlg bearing(CKinDlg::kBearing, &cfg, d.gears);
    Fill(bearing, {{IDC_KIN_PREFIX, "6205"},
                   {IDC_KIN_BALLS, "9"},
                   {IDC_KIN_BALL_D, "7.94"},
                   {IDC_KIN_PITCH_D, "39.04"},
                   {IDC_KIN_HARMONICS, "2"},
                   {IDC_KIN_SIDEBANDS, "1"}});
    g.Shoot(&bearing, "dialog-bearing");
    ui::Ctl<QCheckBox>(&bearing, IDC_KIN_ENVELOPE)->setChecked(true);
    g.Shoot(&bearing, "dialog-bearing-envelope");
    ui::Ctl<QCheckBox>(&bearing, IDC_KIN_ENVELOPE)->setChecked(false);
    Fill(bearing, {{IDC_KIN_BALLS, "9"}, {IDC_KIN_BALL_D, "40"}, {IDC_KIN_PITCH_D, "39.04"}});
    g.Shoot(&bearing, "dialog-bearing-bad-input");
    CKinDlg gear(CKinDlg::kGear, &cfg, d.gears);
    Fill(gear, {{IDC_KIN_Z1, "23"},
                {IDC_KIN_Z2, "47"},
                {IDC_KIN_HARMONICS, "2"},
                {IDC_KIN_SIDEBANDS, "1"}});
    g.Shoot(&gear, "dialog-gear");
}

void ShootGeneral(Grabber& g, CCfgProc& cfg, const plat::ObjPtr<korvex::Host>& kh,
                  const fs::path& work) {
    // A second data set beside the demo, so the list has more than one row.
    korvex::DataSet ds;
    korvex::SignalData sig;
    sig.name = "Vib";
    sig.stepX = 0.001;
    sig.samples = {0.0, 1.0, 0.0, -1.0};
    ds.signals.push_back(sig);
    fs::create_directories(work);
    const fs::path file = work / "stand-test-2.quor";
    if (korvex::WriteQuor(file.string(), ds).ok) kh->LoadDataFile(file.string());
    const host::App app{plat::DispPtr(kh)};

    CVantrelGeneralPage page;
    page.SetHost(&app);
    page.SetConfig(&cfg);
    page.Create();
    g.Shoot(&page, "page-general");

    CSignalsDlg dlg;
    dlg.SetHost(&app);
    dlg.SetSelectedName(cfg.srcFileKorvex);
    dlg.Init();
    if (dlg.List()->count() > 0) dlg.List()->item(0)->setSelected(true);
    g.Shoot(&dlg, "dialog-signals");
}

}  // namespace

int ShootFreqWindows(const QDir& dir, int dpi, CCfgProc& cfg, const plat::ObjPtr<korvex::Host>& kh,
                     int& failed) {
    Grabber g(dir, dpi);
    ShootFreqsPage(g, cfg);
    ShootCalculators(g, cfg);
    const fs::path work = fs::path(dir.absolutePath().toStdString()) / ".freqshots";
    ShootGeneral(g, cfg, kh, work);
    std::error_code ec;
    fs::remove_all(work, ec);
    failed += g.failed;
    return g.written;
}
