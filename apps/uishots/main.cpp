// Renders every window of the user interface built so far to PNG files, in
// the states a reviewer needs to see, filled from the demo configuration and
// a short demo data set. Usage: vantrel-shots OUTDIR [--dpi N]... [--english] (--help)

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QPainter>
#include <QTreeWidget>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "apps/common/qt_quiet.h"
#include "apps/common/version.h"
#include "apps/samplegen/gearbox.h"
#include "apps/uishots/freqshots.h"
#include "apps/uishots/mainshots.h"
#include "apps/uishots/reportshots.h"
#include "apps/vantrel/demo_files.h"
#include "config/cfgfile.h"
#include "korvex/host.h"
#include "platform/profile.h"
#include "shell/host.h"
#include "ui/defaultoptdlg.h"
#include "ui/dialogs.h"
#include "ui/images.h"
#include "ui/limitsdlg.h"
#include "ui/procitem.h"
#include "ui/procpage.h"
#include "ui/repairdlg.h"
#include "ui/res/en/english.h"
#include "ui/res/ids.h"

namespace fs = std::filesystem;

namespace {

struct Scene {
    plat::ObjPtr<korvex::Host> host;
    CCfgProc cfg;
};

// The demo configuration over a two-second gearbox sample.
bool LoadDemo(Scene& s, const fs::path& work, std::string& error) {
    fs::create_directories(work);
    for (const vantrel::DemoFile& f : vantrel::DemoFiles())
        if (!plat::WriteFileAtomic((work / std::string(f.name)).string(), f.bytes, &error))
            return false;
    samplegen::GearboxScheme scheme;
    scheme.duration = 2.0;
    const fs::path data = work / "gearbox.quor";
    const korvex::FileResult written = samplegen::WriteGearboxSample(scheme, data.string());
    if (!written.ok) {
        error = written.message;
        return false;
    }
    s.host = korvex::CreateHost();
    plat::ObjPtr<korvex::FolderObj> folder = s.host->LoadDataFile(data.string(), &error);
    if (!folder) return false;
    // The configuration names its sections relative to its own folder.
    if (!ReadConfig(s.cfg, (work / vantrel::kDemoConfigName).string(), &error)) return false;
    if (s.cfg.sections.empty()) {
        error = "the demo configuration has no frequency base";
        return false;
    }
    const host::App app{plat::DispPtr(s.host)};
    s.cfg.srcFileKorvex = folder->FolderName();
    if (!s.cfg.RefreshChannels(&app, s.cfg.srcFileKorvex)) {
        error = "the demo data set holds no signals";
        return false;
    }
    // Differing values on the two accelerometers, so that the panels show
    // their mixed states.
    CfgChannel* acc2 = s.cfg.Channel(samplegen::kAcc2Name);
    if (acc2) {
        acc2->grNum = 2;
        acc2->check = false;
        acc2->bDefOptFFT = false;
        acc2->fftOpt.nPoints = 4096;
        acc2->fftOpt.nOffset = 1024;
    }
    if (CfgChannel* acc1 = s.cfg.Channel(samplegen::kAcc1Name)) {
        acc1->bDefOptFFT = false;
    }
    if (CfgChannel* tacho = s.cfg.Channel(samplegen::kTachoName)) tacho->bDefOptTaho = false;
    return true;
}

class Shooter {
  public:
    Shooter(QDir dir, int dpi) : dir_(std::move(dir)), dpi_(dpi) {}

    void Shoot(QWidget* w, const QString& name) {
        w->show();
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        const QString file = dir_.filePath(QString("%1dpi-%2.png").arg(dpi_).arg(name));
        QPixmap pm = w->grab();
        if (!pm.save(file, "PNG")) {
            std::fprintf(stderr, "vantrel-shots: cannot write %s\n", file.toUtf8().constData());
            ++failed_;
        } else {
            ++written_;
        }
        w->hide();
    }

    int written_ = 0;
    int failed_ = 0;

  private:
    QDir dir_;
    int dpi_;
};

procrules::Records Records(CCfgProc& cfg, std::initializer_list<const char*> names) {
    procrules::Records r;
    for (const char* n : names)
        if (CfgChannel* ch = cfg.Channel(n)) r.push_back(ch);
    return r;
}

CCfgProcItem* FirstLeaf(CCfgProc& cfg, int kind) {
    std::vector<CCfgProcItem*> list;
    cfg.CollectByType(list, kind);
    return list.empty() ? nullptr : list.front();
}

void ShootPanels(Shooter& shot, Scene& s) {
    using namespace samplegen;
    CProcItemSignal signal;
    signal.Create(nullptr, nullptr);
    shot.Shoot(&signal, "panel-channel-none");
    signal.SetChannels(kAcc1Name, Records(s.cfg, {kAcc1Name}));
    shot.Shoot(&signal, "panel-channel-one");
    // A channel read in the envelope of its resonance band, on a copy.
    CfgChannel envelope = *Records(s.cfg, {kAcc1Name}).front();
    envelope.envLo = 2000;
    envelope.envHi = 4500.5;
    signal.SetChannels(kAcc1Name, {&envelope});
    shot.Shoot(&signal, "panel-channel-envelope");
    signal.SetChannels("", Records(s.cfg, {kAcc1Name, kAcc2Name}));
    shot.Shoot(&signal, "panel-channel-several");

    CProcItemBase band;
    band.SetBase(&s.cfg);
    band.Create(nullptr, nullptr);
    CCfgProcItem* mesh = FirstLeaf(s.cfg, CfgItemTrackingBand);
    band.SetChannels(kAcc1Name, Records(s.cfg, {kAcc1Name}));
    band.SetItem(mesh ? mesh->id : 0);
    shot.Shoot(&band, "panel-band-one");
    if (mesh) {
        CLimitsDlg limits(Records(s.cfg, {kAcc1Name}), *mesh);
        limits.Init();
        shot.Shoot(&limits, "dialog-limits");
    }
    if (CfgChannel* acc2 = s.cfg.Channel(kAcc2Name); acc2 && mesh) {
        procrules::SignalOpt(*acc2, *mesh).valtype = 2;
        procrules::SignalOpt(*acc2, *mesh).bEnabled = false;
    }
    band.SetChannels("", Records(s.cfg, {kAcc1Name, kAcc2Name}));
    band.SetItem(mesh ? mesh->id : 0);
    shot.Shoot(&band, "panel-band-several");

    CProcItemFFT fft;
    fft.Create(nullptr, nullptr);
    shot.Shoot(&fft, "panel-spectrum-none");
    fft.SetChannels(kAcc1Name, Records(s.cfg, {kAcc1Name}));
    shot.Shoot(&fft, "panel-spectrum-one");
    fft.SetChannels("", Records(s.cfg, {kAcc1Name, kAcc2Name}));
    shot.Shoot(&fft, "panel-spectrum-several");

    CProcItemTaho taho;
    taho.Create(nullptr, nullptr);
    shot.Shoot(&taho, "panel-tacho-none");
    CfgChannel* tacho = s.cfg.Channel(kTachoName);
    if (tacho) {
        taho.SetChannels(kTachoName, {tacho});
        shot.Shoot(&taho, "panel-tacho-one");
        CfgChannel other = *tacho;  // a second tacho channel in relative mode
        other.tahoOpt.flagAbsOtn = 1 - tacho->tahoOpt.flagAbsOtn;
        other.tahoOpt.deltaF = 2;
        taho.SetChannels("", {tacho, &other});
        shot.Shoot(&taho, "panel-tacho-several");
        other.tahoOpt.nRevSmooth = 8;
        CTahoRepairDlg repair({&tacho->tahoOpt, &other.tahoOpt});
        repair.Init();
        shot.Shoot(&repair, "dialog-tacho-repair");
    }
}

void ShootPage(Shooter& shot, Scene& s) {
    ui::ImageList images;
    CVantrelProcPage page;
    s.cfg.channelsChanged = s.cfg.frequencyBaseChanged = true;
    page.SetConfig(&s.cfg);
    page.SetImageList(&images);
    page.Activate();
    auto select = [&](std::initializer_list<int> rows) {
        page.Channels()->clearSelection();
        for (int r : rows)
            if (r < page.Channels()->count()) page.Channels()->item(r)->setSelected(true);
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    };
    auto row = [&](const char* name) {
        const auto& n = s.cfg.channelNames;
        return int(std::find(n.begin(), n.end(), name) - n.begin());
    };
    using namespace samplegen;
    const int acc1 = row(kAcc1Name), acc2 = row(kAcc2Name), tacho = row(kTachoName),
              speed = row(kSpeedName);
    select({acc1});
    if (CCfgProcItem* leaf = FirstLeaf(s.cfg, CfgItemFixedBand)) {
        auto found =
            page.Tree()->findItems(ui::QStr(leaf->name), Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty()) page.Tree()->setCurrentItem(found.front());
    }
    shot.Shoot(&page, "page-setup-one-channel");
    select({acc1, acc2});
    shot.Shoot(&page, "page-setup-measuring-channels");
    select({acc1, tacho});
    shot.Shoot(&page, "page-setup-mixed-types");
    select({tacho});
    shot.Shoot(&page, "page-setup-tacho-channel");
    select({speed});
    shot.Shoot(&page, "page-setup-revolution-channel");
    select({});
    shot.Shoot(&page, "page-setup-no-selection");
}

void ShootDialogs(Shooter& shot) {
    CDefaultOptDlg fft(CDefaultOptDlg::kSpectrum);
    shot.Shoot(&fft, "dialog-defaults-spectrum");
    CDefaultOptDlg taho(CDefaultOptDlg::kTacho);
    shot.Shoot(&taho, "dialog-defaults-tacho");
}

// Templates of windows still to come, as laid out, so their geometry can be
// reviewed before their code exists.
void ShootTemplates(Shooter& shot) {
    const std::pair<int, const char*> templates[] = {{res::IDD_MAIN, "main"},
                                                     {res::IDD_SIGNALS, "signals"},
                                                     {res::IDD_GENERAL, "general-page"},
                                                     {res::IDD_FREQS, "frequency-page"},
                                                     {res::IDD_PROGRESS, "progress"},
                                                     {res::IDD_REPORT, "report-window"},
                                                     {res::IDD_REPORT_PAGE, "report-page"},
                                                     {res::IDD_REPORT_AUTO, "report-auto"}};
    for (auto [id, name] : templates) {
        QWidget w;
        ui::BuildFromTemplate(&w, id);
        if (auto* frame = ui::Ctl<QFrame>(&w, res::IDC_PLACEHOLDER)) {
            frame->setFrameShape(QFrame::Box);  // show where the placeholder is
            frame->show();
        }
        shot.Shoot(&w, QString("template-%1-%2").arg(id).arg(name));
    }
}

void ShootImages(const QDir& dir, int& written) {
    ui::ImageList images;
    for (qreal dpr : {1.0, 2.0}) {
        // Drawn large on a white ground, so the 16 x 16 images can be judged.
        const QPixmap strip = images.Strip(dpr);
        QPixmap big(strip.size() * 4 / dpr * dpr);
        big.fill(Qt::white);
        QPainter p(&big);
        p.drawPixmap(big.rect(), strip);
        p.end();
        if (big.save(dir.filePath(QString("imagelist-%1x.png").arg(int(dpr))), "PNG")) ++written;
    }
}

constexpr char kUsage[] =
    "Usage: vantrel-shots OUTDIR [--dpi N]... [--english]\n"
    "Renders every window of the user interface to PNG files below OUTDIR (created\n"
    "when missing), from the demo configuration and a short demo data set.\n"
    "\n"
    "  --dpi N            the screen resolution drawn for, repeatable (default 96 and 144)\n"
    "  --english          with the English resource set instead of the own texts\n"
    "  --help, --version  this text; the version alone\n";

// The command line before Qt starts: --help and --version need no display.
// Returns an exit code, or -1 to go on.
int ReadArguments(int argc, char** argv, QString& out, std::vector<int>& dpis, bool& english) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h" || a == "--version") {
            std::fputs(appversion::VersionText(
                           "vantrel-shots", {appversion::FftwVersion(), appversion::MatioVersion(),
                                             appversion::QtVersion()})
                           .c_str(),
                       stdout);
            if (a != "--version") std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--dpi" && i + 1 < argc) {
            char* end = nullptr;
            const long dpi = std::strtol(argv[++i], &end, 10);
            if (*end || dpi < 48 || dpi > 960) {
                std::fprintf(stderr, "vantrel-shots: --dpi takes 48 to 960, not %s\n", argv[i]);
                return 2;
            }
            dpis.push_back(static_cast<int>(dpi));
        } else if (a == "--english") {
            english = true;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "vantrel-shots: unknown option %s (see vantrel-shots --help)\n",
                         a.c_str());
            return 2;
        } else if (out.isEmpty()) {
            out = QString::fromLocal8Bit(argv[i]);
        } else {
            std::fprintf(stderr, "vantrel-shots: one OUTDIR only (see vantrel-shots --help)\n");
            return 2;
        }
    }
    if (!out.isEmpty()) return -1;
    std::fprintf(stderr, "vantrel-shots: OUTDIR is needed (see vantrel-shots --help)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> dpis;
    QString out;
    bool english = false;
    if (const int code = ReadArguments(argc, argv, out, dpis, english); code >= 0) return code;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    appversion::QuietQtRuntimeNoise();
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    static const res::TableModule englishModule = res::EnglishModule();
    if (english) res::InstallModule(&englishModule);
    if (dpis.empty()) dpis = {96, 144};
    QDir dir;
    if (!dir.mkpath(out)) {
        std::fprintf(stderr, "vantrel-shots: cannot create %s\n", out.toUtf8().constData());
        return 4;
    }
    dir.setPath(out);
    Scene scene;
    std::string error;
    if (!LoadDemo(scene, fs::path(dir.absolutePath().toStdString()) / ".demo", error)) {
        std::fprintf(stderr, "vantrel-shots: demo data: %s\n", error.c_str());
        return 3;
    }
    int written = 0, failed = 0;
    ShootImages(dir, written);
    for (int dpi : dpis) {
        ui::SetDialogDpi(dpi);
        Shooter shot(dir, dpi);
        ShootPanels(shot, scene);
        ShootPage(shot, scene);
        ShootDialogs(shot);
        ShootTemplates(shot);
        written += ShootFreqWindows(dir, dpi, scene.cfg, scene.host, failed);
        written += ShootMainWindows(dir, dpi, scene.cfg, scene.host, failed);
        written += ShootReportWindows(dir, dpi, scene.cfg, scene.host, failed);
        written += shot.written_;
        failed += shot.failed_;
    }
    std::error_code ec;
    fs::remove_all(fs::path(dir.absolutePath().toStdString()) / ".demo", ec);
    std::printf("%d pictures in %s\n", written, dir.absolutePath().toUtf8().constData());
    return failed == 0 && written > 0 ? 0 : 1;
}
