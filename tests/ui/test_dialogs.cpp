// Windows built from templates, the image list, message boxes, the file
// dialog and the default-settings dialog.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "config/cfgfile.h"
#include "platform/profile.h"
#include "test_util.h"
#include "ui/defaultoptdlg.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/images.h"
#include "ui/msgbox.h"
#include "ui/procitem.h"
#include "ui/res/ids.h"
#include "ui/values.h"

using namespace res;

namespace {

const int kAllTemplates[] = {IDD_MAIN,        IDD_SIGNALS,     IDD_GENERAL,     IDD_PROC,
                             IDD_ITEM_SIGNAL, IDD_ITEM_BASE,   IDD_ITEM_FFT,    IDD_ITEM_TAHO,
                             IDD_PROGRESS,    IDD_DEFAULTS,    IDD_FREQS,       IDD_REPORT,
                             IDD_REPORT_PAGE, IDD_REPORT_AUTO, IDD_KIN_BEARING, IDD_KIN_GEAR};

struct DpiGuard {
    ~DpiGuard() { ui::SetDialogDpi(96); }
};

// The default records are process-wide; each test leaves them as found.
struct DefaultsGuard {
    CfgFftOpt fft = DefaultFftOpt();
    CfgTahoOpt taho = DefaultTahoOpt();
    ~DefaultsGuard() {
        DefaultFftOpt() = fft;
        DefaultTahoOpt() = taho;
    }
};

}  // namespace

TEST(Templates, ControlsAreFoundByIdAtTheirDialogUnitRectangles) {
    QWidget host;
    ASSERT_TRUE(ui::BuildFromTemplate(&host, IDD_ITEM_TAHO));
    const DialogTemplate* t = Dialog(IDD_ITEM_TAHO);
    const ui::DialogUnits u = ui::UnitsFor(host.font());
    EXPECT_GT(u.cx, 3);
    EXPECT_GT(u.cy, 8);
    EXPECT_EQ(host.size(), QSize(t->width * u.cx / 4, t->height * u.cy / 8));
    QLineEdit* coef = ui::Ctl<QLineEdit>(&host, IDC_COEF);
    ASSERT_NE(coef, nullptr);
    EXPECT_EQ(coef->geometry(), ui::ToPixels(t->Find(IDC_COEF)->rect, u));
    EXPECT_EQ(ui::Ctl<QComboBox>(&host, IDC_COEF), nullptr);  // wrong kind
    EXPECT_EQ(ui::FindControl(&host, 4242), nullptr);
    EXPECT_FALSE(ui::BuildFromTemplate(&host, 9999));
}

TEST(Templates, ReadOnlyFieldsLookSoAndTextsShowTheirStart) {
    QWidget host;
    ASSERT_TRUE(ui::BuildFromTemplate(&host, IDD_GENERAL));
    const QLineEdit* source = ui::Ctl<QLineEdit>(&host, IDC_SRC_EDIT);
    QLineEdit* result = ui::Ctl<QLineEdit>(&host, IDC_RESULT_EDIT);
    EXPECT_TRUE(source->isReadOnly());
    EXPECT_EQ(source->palette().color(QPalette::Base), source->palette().color(QPalette::Window));
    EXPECT_NE(result->palette().color(QPalette::Base), result->palette().color(QPalette::Window));
    result->setText(QString(300, QChar('x')));
    EXPECT_EQ(result->cursorPosition(), 0);
    ui::ShowText(result, std::string(300, 'y'));
    EXPECT_EQ(result->cursorPosition(), 0);
}

TEST(Templates, TextsFitTheirControlsAt96And144Dpi) {
    DpiGuard guard;
    for (int dpi : {96, 144}) {
        ui::SetDialogDpi(dpi);
        for (int id : kAllTemplates) {
            QWidget host;
            ui::BuildFromTemplate(&host, id);
            for (QObject* o : host.children()) {
                auto* w = qobject_cast<QWidget*>(o);
                if (!w || w->isHidden()) continue;
                QString text;
                int need = 0;
                if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                    text = b->text();
                    need = b->sizeHint().width();
                    if (qobject_cast<QPushButton*>(w))
                        need = w->fontMetrics().horizontalAdvance(text) + 6;
                } else if (auto* l = qobject_cast<QLabel*>(w)) {
                    text = l->text();
                    need = l->fontMetrics().horizontalAdvance(text);
                } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                    text = g->title();
                    need = g->fontMetrics().horizontalAdvance(text) + 12;
                }
                if (text.isEmpty()) continue;
                EXPECT_LE(need, w->width())
                    << dpi << " dpi, template " << id << ": '" << text.toStdString() << "'";
                EXPECT_GE(w->height(), w->fontMetrics().height() - 2)
                    << dpi << " dpi, template " << id << ": '" << text.toStdString() << "'";
            }
        }
    }
}

TEST(Templates, PanelsScaleWithTheDpi) {
    DpiGuard guard;
    CProcItemFFT small;
    small.Create(nullptr, nullptr);
    ui::SetDialogDpi(144);
    CProcItemFFT large;
    large.Create(nullptr, nullptr);
    EXPECT_NEAR(double(large.width()) / small.width(), 1.5, 0.2);
    EXPECT_NEAR(double(large.Height()) / small.Height(), 1.5, 0.2);
}

TEST(ImageList, TenImagesCrispAtTwiceTheSizeAndOverlaysDrawnOver) {
    for (int i = 0; i < ui::kImageCount; ++i) {
        const QImage one = ui::TreeImage(i, 1.0).toImage();
        const QImage two = ui::TreeImage(i, 2.0).toImage();
        EXPECT_EQ(one.size(), QSize(16, 16));
        EXPECT_EQ(two.size(), QSize(32, 32));
        bool painted = false;
        for (int y = 0; y < 16 && !painted; ++y)
            for (int x = 0; x < 16 && !painted; ++x) painted = qAlpha(one.pixel(x, y)) > 0;
        EXPECT_EQ(painted, i != 0) << i;
    }
    ui::ImageList list;
    const QImage plain = list.Icon(ui::kImageFixedBand, 0).pixmap(16, 16).toImage();
    const QImage marked = list.Icon(ui::kImageFixedBand, 1).pixmap(16, 16).toImage();
    EXPECT_NE(plain, marked);
    EXPECT_EQ(list.Strip().width(), 160);
    EXPECT_EQ(ui::ImageForKind(CfgItemTacho), ui::kImageTacho);
    EXPECT_EQ(ui::ImageForKind(3), 0);
}

TEST(MessageBoxes, TextsAndCaptionsComeFromTheStringTable) {
    ui::MbRequest seen;
    auto old = ui::SetMessageBoxHook([&](const ui::MbRequest& r) {
        seen = r;
        return int(ui::MbNo);
    });
    EXPECT_EQ(ui::MessageBox(nullptr, IDS_NEW_CONFIG, IDS_WARNING, ui::MbIcon::Warning,
                             ui::MbButtons::YesNo),
              ui::MbNo);
    EXPECT_EQ(seen.caption, "Внимание!");
    EXPECT_EQ(seen.text.rfind("Создать новую конфигурацию?", 0), 0u);
    EXPECT_EQ(seen.buttons, ui::MbButtons::YesNo);
    ui::MessageBoxText(nullptr, res::Format(IDS_REPORT_DELETE_MODE, {"Режим 1"}), IDS_WARNING,
                       ui::MbIcon::Warning);
    EXPECT_EQ(seen.text, "Удалить режим 'Режим 1'?");
    ui::SetMessageBoxHook(old);
}

// The real open dialog (no hook): it starts in the file's folder with the
// name filled in, and in a folder with no name.
TEST(FileDialogs, OpenStartsBesideTheInitialFileWithItsName) {
    testutil::TempDir dir("filedlg");
    testutil::WriteBytes(dir.Path("a.cfg"), "x");
    std::string folder, name;
    auto ask = [&](const std::string& initial) {
        folder = name = "?";
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dlg = qobject_cast<QFileDialog*>(w); dlg && dlg->isVisible()) {
                    folder = ui::StdStr(dlg->directory().absolutePath());
                    name = ui::StdStr(dlg->findChild<QLineEdit*>("fileNameEdit")->text());
                    dlg->reject();
                }
        });
        ui::FileRequest r;
        r.filter = Str(IDS_FILTER_CFG);
        r.initial = initial;
        EXPECT_FALSE(ui::AskFileName(nullptr, r));
    };
    ask(dir.Path("a.cfg"));
    EXPECT_EQ(folder, dir.path().string());
    EXPECT_EQ(name, "a.cfg");
    ask(dir.path().string() + "/");
    EXPECT_EQ(folder, dir.path().string());
    EXPECT_EQ(name, "");
}

TEST(DefaultsDialog, TitleAndPlacementByMode) {
    DefaultsGuard guard;
    const QSize plain = [] {
        QWidget w;
        ui::BuildFromTemplate(&w, IDD_DEFAULTS);
        return w.size();
    }();
    CDefaultOptDlg fft(CDefaultOptDlg::kSpectrum);
    EXPECT_EQ(fft.windowTitle(), "Настройки по умолчанию: АвтоСпектр");
    ASSERT_NE(fft.Panel(), nullptr);
    QWidget* frame = ui::FindControl(&fft, IDC_PLACEHOLDER);
    EXPECT_EQ(fft.Panel()->pos(), frame->pos());
    // The spectrum panel is exactly as large as the placeholder: nothing moves.
    EXPECT_EQ(fft.Panel()->size(), frame->size());
    EXPECT_EQ(fft.size(), plain);
    const QPoint okAt = ui::FindControl(&fft, IDOK)->pos();

    CDefaultOptDlg taho(CDefaultOptDlg::kTacho);
    EXPECT_EQ(taho.windowTitle(), "Настройки по умолчанию: Тахо");
    const int dy = taho.Panel()->height() - ui::FindControl(&taho, IDC_PLACEHOLDER)->height();
    EXPECT_GT(dy, 0);
    EXPECT_EQ(ui::FindControl(&taho, IDOK)->pos(), okAt + QPoint(0, dy));
    EXPECT_EQ(taho.height(), plain.height() + dy);
    EXPECT_GT(ui::FindControl(&taho, IDOK)->y(), taho.Panel()->geometry().bottom());

    CDefaultOptDlg none(7);
    EXPECT_EQ(none.Panel(), nullptr);
    EXPECT_EQ(none.windowTitle(), "Настройки по умолчанию");
}

TEST(DefaultsDialog, CancelKeepsTheTachoDefaults) {
    DefaultsGuard guard;
    DefaultTahoOpt().levelHi = 70;
    DefaultTahoOpt().flagAbsOtn = 0;
    CDefaultOptDlg dlg(CDefaultOptDlg::kTacho);
    auto* hi = ui::Ctl<QLineEdit>(dlg.Panel(), IDC_LEVEL_HI);
    EXPECT_EQ(hi->text(), "70.0000");
    EXPECT_TRUE(hi->isEnabled());
    hi->setText("55");
    ui::Ctl<QPushButton>(&dlg, IDCANCEL)->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.Panel(), nullptr);
    EXPECT_DOUBLE_EQ(DefaultTahoOpt().levelHi, 70);
}

TEST(DefaultsDialog, OkStoresTheSpectrumDefaultsForTheNextConfigurationWrite) {
    DefaultsGuard guard;
    DefaultFftOpt() = CfgFftOpt{};
    CDefaultOptDlg dlg(CDefaultOptDlg::kSpectrum);
    auto* block = ui::Ctl<QComboBox>(dlg.Panel(), IDC_BLOCK);
    EXPECT_EQ(block->currentText(), "4096");
    EXPECT_TRUE(block->isEnabled());
    block->setCurrentIndex(8);                                        // 8192
    ui::Ctl<QComboBox>(dlg.Panel(), IDC_OFFSET)->setCurrentIndex(1);  // 2/4
    ui::Ctl<QPushButton>(&dlg, IDOK)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(DefaultFftOpt().nPoints, 8192);
    EXPECT_EQ(DefaultFftOpt().nOffset, 4096);
    EXPECT_EQ(DefaultFftOpt().iWindow, 1);

    CCfgProc cfg;  // a main-dialog copy that is never accepted
    plat::ProfileFile ini;
    WriteConfig(cfg, ini);
    EXPECT_NE(ini.GetString("channels", "defOptFFT").find("nPoints=8192"), std::string::npos);
}
