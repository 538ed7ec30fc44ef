// The processing-item panels driven by control id: what they show for one
// or several records and what apply writes back.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <vector>

#include "config/cfgfile.h"
#include "platform/profile.h"
#include "ui/dialogs.h"
#include "ui/limitsdlg.h"
#include "ui/msgbox.h"
#include "ui/procitem.h"
#include "ui/repairdlg.h"
#include "ui/res/ids.h"
#include "ui_util.h"

using namespace res;

namespace {

struct Notify : IProcItemDlgNotify {
    int channels = 0;
    int processing = 0;
    void ChannelsChanged() override { ++channels; }
    void ItemProcessingChanged() override { ++processing; }
};

template <class T>
T* C(const QWidget* panel, int id) {
    T* w = ui::Ctl<T>(panel, id);
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

QString Entry(const QWidget* panel, int id) {
    return C<QComboBox>(panel, id)->currentText();
}

void Type(QWidget* panel, int id, const QString& text) {
    QLineEdit* e = C<QLineEdit>(panel, id);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
}

}  // namespace

TEST(ChannelPanel, SeveralRecordsShowOnlyWhatTheyShareAndApplyOnlyWhatIsDefinite) {
    Notify notify;
    CProcItemSignal panel;
    ASSERT_TRUE(panel.Create(nullptr, &notify));
    EXPECT_GT(panel.Height(), 0);
    EXPECT_FALSE(C<QComboBox>(&panel, IDC_TYPE)->isEnabled());
    EXPECT_FALSE(C<QCheckBox>(&panel, IDC_CHECK)->isEnabled());

    CfgChannel a, b;
    a.check = true;
    a.grNum = 3;
    b.grNum = 4;
    b.show = true;
    panel.SetChannels("", {&a, &b});
    auto* check = C<QCheckBox>(&panel, IDC_CHECK);
    EXPECT_EQ(check->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(Entry(&panel, IDC_TYPE), "Измерительный");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_GRNUM)->text(), "");
    EXPECT_EQ(C<QCheckBox>(&panel, IDC_SHOW)->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(C<QLineEdit>(&panel, IDC_GRNUM)->isEnabled());

    // Apply leaves the mixed fields alone.
    panel.Apply();
    EXPECT_TRUE(a.check);
    EXPECT_FALSE(b.check);
    EXPECT_EQ(a.grNum, 3);
    EXPECT_EQ(b.grNum, 4);

    // A click on the mixed box makes it a plain box and writes every record at once.
    check->click();
    EXPECT_FALSE(check->isTristate());
    EXPECT_TRUE(a.check && b.check);
    EXPECT_EQ(notify.channels, 1);

    C<QComboBox>(&panel, IDC_TYPE)->setCurrentIndex(1);
    EXPECT_EQ(a.type, CfgChannelTacho);
    EXPECT_EQ(b.type, CfgChannelTacho);
    EXPECT_EQ(notify.channels, 2);
}

TEST(ChannelPanel, GraphNumberFollowsTheGraphBoxAndAnEmptyNumberKeepsTheRecords) {
    CProcItemSignal panel;
    panel.Create(nullptr, nullptr);
    CfgChannel a;
    a.grNum = 3;
    panel.SetChannels("Acc1", {&a});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_NAME)->text(), "Acc1");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_GRNUM)->text(), "3");
    auto* show = C<QCheckBox>(&panel, IDC_SHOW);
    EXPECT_FALSE(C<QLineEdit>(&panel, IDC_GRNUM)->isEnabled());
    show->click();
    EXPECT_TRUE(C<QLineEdit>(&panel, IDC_GRNUM)->isEnabled());
    EXPECT_TRUE(C<ui::UpDown>(&panel, IDC_GRNUM_SPIN)->isEnabled());
    C<QLineEdit>(&panel, IDC_GRNUM)->clear();
    panel.Apply();
    EXPECT_TRUE(a.show);
    EXPECT_EQ(a.grNum, 3);

    // The up-down keeps the number within 1 to 4.
    auto* spin = C<ui::UpDown>(&panel, IDC_GRNUM_SPIN);
    spin->Step(1);
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_GRNUM)->text(), "1");
    Type(&panel, IDC_GRNUM, "9");
    panel.Apply();
    EXPECT_EQ(a.grNum, 4);
}

// The envelope band, typed with a point or a comma whatever the locale, goes
// into every record and the configuration file as numbers; a band the
// configuration would not keep is refused with a message and left as it was.
TEST(ChannelPanel, EnvelopeBandIsTypedReadLocaleFreeAndRefusedWhenNoBand) {
    CCfgProc cfg;
    CfgChannel& a = uitest::AddChannel(cfg, "Acc1", CfgChannelMeasuring);
    CfgChannel& b = uitest::AddChannel(cfg, "Acc2", CfgChannelMeasuring);
    b.envLo = 1000;
    b.envHi = 4000;
    std::vector<std::string> messages;
    const auto old = ui::SetMessageBoxHook([&](const ui::MbRequest& r) {
        messages.push_back(r.text);
        return ui::MbOk;
    });
    CProcItemSignal panel;
    panel.Create(nullptr, nullptr);
    panel.SetChannels("", {&a, &b});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_ENV_LO)->text(), "");  // the records differ
    EXPECT_TRUE(C<QLineEdit>(&panel, IDC_ENV_LO)->isEnabled());
    Type(&panel, IDC_ENV_LO, "2000,5");
    Type(&panel, IDC_ENV_HI, " 6000.25 ");
    panel.Apply();
    EXPECT_TRUE(messages.empty());
    for (const CfgChannel* r : {&a, &b}) {
        EXPECT_EQ(r->envLo, 2000.5);
        EXPECT_EQ(r->envHi, 6000.25);
    }
    plat::ProfileFile ini;
    WriteConfig(cfg, ini);
    std::string v;
    ASSERT_TRUE(ini.GetNonEmpty("channels", "cnl1_envBand", v));
    EXPECT_EQ(v, "2000.5,6000.25");

    // Shown back with a point; refused: reversed, one border, not a number.
    panel.SetChannels("Acc1", {&a});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_ENV_LO)->text(), "2000.5");
    for (auto [lo, hi] : {std::pair{"6000", "2000"}, {"", "3000"}, {"1 kHz", "3000"}}) {
        Type(&panel, IDC_ENV_LO, lo);
        Type(&panel, IDC_ENV_HI, hi);
        panel.Apply();
        EXPECT_EQ(a.envLo, 2000.5) << lo << "," << hi;
        EXPECT_EQ(C<QLineEdit>(&panel, IDC_ENV_HI)->text(), "6000.25");
    }
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("Полоса огибающей"), std::string::npos);

    // Both borders emptied: no envelope band, and no key in the file.
    Type(&panel, IDC_ENV_LO, "");
    Type(&panel, IDC_ENV_HI, "");
    panel.Apply();
    EXPECT_EQ(a.envHi, 0.0);
    WriteConfig(cfg, ini);
    EXPECT_FALSE(ini.GetNonEmpty("channels", "cnl0_envBand", v));

    // Only measuring channels have the band.
    a.type = CfgChannelTacho;
    panel.SetChannels("Acc1", {&a});
    EXPECT_FALSE(C<QLineEdit>(&panel, IDC_ENV_LO)->isEnabled());
    ui::SetMessageBoxHook(old);
}

TEST(BandPanel, ShowsTheCurrentItemOnTheRecordsAndSwitchesItsProcessing) {
    CCfgProc cfg;
    uitest::Base base = uitest::AddBase(cfg);
    Notify notify;
    CProcItemBase panel;
    panel.SetBase(&cfg);
    panel.Create(nullptr, &notify);
    CfgChannel a, b;
    a.signalOpts[base.mesh->id] = CfgSignalOpt{"", base.mesh->id, 1, 2, 3, true, true};
    panel.SetChannels("", {&a, &b});
    panel.SetItem(base.mesh->id);
    // A record without an option for the item gets one with the defaults.
    ASSERT_EQ(b.signalOpts.count(base.mesh->id), 1u);
    EXPECT_EQ(b.signalOpts[base.mesh->id].grNum, 2);
    EXPECT_EQ(b.signalOpts[base.mesh->id].name, "");
    EXPECT_EQ(C<QCheckBox>(&panel, IDC_PROCESSED)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(C<QComboBox>(&panel, IDC_INTEGR)->currentIndex(), -1);
    EXPECT_TRUE(C<QComboBox>(&panel, IDC_INTEGR)->isEnabled());

    b.signalOpts[base.mesh->id].valtype = 2;
    panel.SetItem(base.mesh->id);
    EXPECT_EQ(Entry(&panel, IDC_VALTYPE), "Размах");
    C<QComboBox>(&panel, IDC_INTEGR)->setCurrentIndex(2);
    panel.Apply();
    EXPECT_EQ(a.signalOpts[base.mesh->id].integr, 2);
    EXPECT_EQ(b.signalOpts[base.mesh->id].integr, 2);
    EXPECT_TRUE(a.signalOpts[base.mesh->id].bEnabled);  // mixed box left alone
    EXPECT_FALSE(b.signalOpts[base.mesh->id].bEnabled);

    base.mesh->selected = false;
    C<QCheckBox>(&panel, IDC_PROCESSED)->click();
    EXPECT_TRUE(base.mesh->selected);
    EXPECT_EQ(notify.processing, 1);

    // A tacho channel among the records disables and clears the lists.
    b.type = CfgChannelTacho;
    panel.SetItem(base.mesh->id);
    EXPECT_FALSE(C<QComboBox>(&panel, IDC_INTEGR)->isEnabled());
    EXPECT_EQ(C<QComboBox>(&panel, IDC_VALTYPE)->currentIndex(), -1);
    // A folder is no band to evaluate.
    b.type = CfgChannelMeasuring;
    panel.SetItem(base.gears->id);
    EXPECT_FALSE(C<QComboBox>(&panel, IDC_INTEGR)->isEnabled());
    EXPECT_TRUE(C<QCheckBox>(&panel, IDC_PROCESSED)->isEnabled());
}

// The band panel's limits dialog edits several channels at once: a shared
// value is shown, and only what the user changed is written.
TEST(BandPanel, LimitsDialogWritesOnlyWhatWasChanged) {
    CCfgProc cfg;
    uitest::Base base = uitest::AddBase(cfg);
    CProcItemBase panel;
    panel.SetBase(&cfg);
    panel.Create(nullptr, nullptr);
    CfgChannel a, b;
    a.signalOpts[base.mesh->id].alert = 2.5;
    b.signalOpts[base.mesh->id].alert = 3.0;
    a.signalOpts[base.mesh->id].danger = b.signalOpts[base.mesh->id].danger = 4.5;
    a.machineClass = MachineClass::Group2Rigid;
    panel.SetChannels("", {&a, &b});
    panel.SetItem(base.mesh->id);

    std::vector<QString> shown;
    auto previous = CLimitsDlg::SetModalHook([&](CLimitsDlg& dlg) {
        shown = {C<QLineEdit>(&dlg, IDC_ALERT)->text(), C<QLineEdit>(&dlg, IDC_DANGER)->text(),
                 QString::number(C<QComboBox>(&dlg, IDC_MACHINE_CLASS)->currentIndex())};
        Type(&dlg, IDC_DANGER, "");
        C<QComboBox>(&dlg, IDC_MACHINE_CLASS)->setCurrentIndex(2);
        dlg.OnOK();
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_TRUE(C<QPushButton>(&panel, IDC_LIMITS)->isEnabled());
    C<QPushButton>(&panel, IDC_LIMITS)->click();
    CLimitsDlg::SetModalHook(previous);
    EXPECT_EQ(shown, (std::vector<QString>{"", "4.5", "-1"}));
    EXPECT_EQ(a.signalOpts[base.mesh->id].alert, 2.5);  // untouched: each keeps its own
    EXPECT_EQ(b.signalOpts[base.mesh->id].alert, 3.0);
    for (CfgChannel* r : {&a, &b}) {
        EXPECT_TRUE(std::isnan(r->signalOpts[base.mesh->id].danger));
        EXPECT_EQ(r->machineClass, MachineClass::Group1Flexible);
    }
}

TEST(BandPanel, LimitsDialogRefusesAnAlertAboveTheDanger) {
    CCfgProc cfg;
    uitest::Base base = uitest::AddBase(cfg);
    CProcItemBase panel;
    panel.SetBase(&cfg);
    panel.Create(nullptr, nullptr);
    CfgChannel a;
    a.signalOpts[base.mesh->id].danger = 4.5;
    panel.SetChannels("", {&a});
    panel.SetItem(base.mesh->id);

    uitest::Boxes boxes;
    int result = -1;
    auto previous = CLimitsDlg::SetModalHook([&](CLimitsDlg& dlg) {
        Type(&dlg, IDC_ALERT, "5");
        dlg.OnOK();
        result = dlg.result();
        return result;
    });
    C<QPushButton>(&panel, IDC_LIMITS)->click();
    CLimitsDlg::SetModalHook(previous);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "Поле 'Предупреждение' не может быть больше поля 'Авария'.");
    EXPECT_NE(result, static_cast<int>(QDialog::Accepted));
    EXPECT_TRUE(std::isnan(a.signalOpts[base.mesh->id].alert));
}

TEST(SpectrumPanel, BlockAndOffsetEntriesFromTheRecords) {
    CProcItemFFT panel;
    panel.Create(nullptr, nullptr);
    ASSERT_EQ(C<QComboBox>(&panel, IDC_BLOCK)->count(), 16);
    EXPECT_EQ(C<QComboBox>(&panel, IDC_BLOCK)->itemText(15), "1048576");
    EXPECT_FALSE(C<QCheckBox>(&panel, IDC_DEF_FFT)->isVisibleTo(&panel));

    CfgChannel a, b;
    a.bDefOptFFT = b.bDefOptFFT = false;
    a.fftOpt.nPoints = 4096;
    b.fftOpt.nPoints = 8192;
    panel.SetChannels("", {&a, &b});
    EXPECT_EQ(C<QComboBox>(&panel, IDC_BLOCK)->currentIndex(), -1);
    EXPECT_TRUE(C<QComboBox>(&panel, IDC_BLOCK)->isEnabled());
    panel.Apply();
    EXPECT_EQ(a.fftOpt.nPoints, 4096);
    EXPECT_EQ(b.fftOpt.nPoints, 8192);

    for (auto [n, shown] : {std::pair{256, "256"}, {2097152, "1048576"}}) {
        a.fftOpt.nPoints = n;
        panel.SetChannels("", {&a});
        EXPECT_EQ(Entry(&panel, IDC_BLOCK), shown);
    }
    a.fftOpt.nPoints = 4096;
    for (auto [offset, shown] : {std::pair{1024, "1/4"}, {4096, "1"}, {12288, "3"}}) {
        a.fftOpt.nOffset = offset;
        panel.SetChannels("", {&a});
        EXPECT_EQ(Entry(&panel, IDC_OFFSET), shown);
    }
    C<QComboBox>(&panel, IDC_BLOCK)->setCurrentIndex(5);   // 1024
    C<QComboBox>(&panel, IDC_OFFSET)->setCurrentIndex(4);  // "2"
    panel.Apply();
    EXPECT_EQ(a.fftOpt.nPoints, 1024);
    EXPECT_EQ(a.fftOpt.nOffset, 2048);
}

TEST(SpectrumPanel, ShowsTheFrequencyResolutionOfTheChosenBlockSize) {
    CProcItemFFT panel;
    panel.Create(nullptr, nullptr);
    CfgChannel a, b;
    a.sampleStep = b.sampleStep = 1.0 / 25600;
    a.fftOpt.nPoints = 8192;
    b.fftOpt.nPoints = 4096;
    panel.SetChannels("", {&a});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_RESOLUTION)->text(), "3.1250 Гц");
    C<QComboBox>(&panel, IDC_BLOCK)->setCurrentIndex(9);  // 16384
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_RESOLUTION)->text(), "1.5625 Гц");
    panel.SetChannels("", {&a, &b});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_RESOLUTION)->text(), "");
    C<QComboBox>(&panel, IDC_BLOCK)->setCurrentIndex(7);  // 4096 on both
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_RESOLUTION)->text(), "6.2500 Гц");
    EXPECT_EQ(a.fftOpt.nPoints, 8192);  // shown, not yet applied
    panel.SetChannels("", {});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_RESOLUTION)->text(), "");
}

TEST(SpectrumPanel, UseDefaultBoxLocksTheOwnSettings) {
    CProcItemFFT panel;
    panel.Create(nullptr, nullptr);
    CfgChannel a;
    a.bDefOptFFT = true;
    panel.SetChannels("", {&a});
    EXPECT_TRUE(C<QCheckBox>(&panel, IDC_DEF_FFT)->isVisibleTo(&panel));
    EXPECT_FALSE(C<QComboBox>(&panel, IDC_WINDOW)->isEnabled());
    C<QCheckBox>(&panel, IDC_DEF_FFT)->click();
    EXPECT_FALSE(a.bDefOptFFT);
    EXPECT_TRUE(C<QComboBox>(&panel, IDC_WINDOW)->isEnabled());
    EXPECT_TRUE(C<QCheckBox>(&panel, IDC_CENTRE)->isEnabled());
    // A tacho channel among them: nothing to edit here.
    CfgChannel t;
    t.type = CfgChannelTacho;
    panel.SetChannels("", {&a, &t});
    EXPECT_FALSE(C<QCheckBox>(&panel, IDC_DEF_FFT)->isEnabled());
    EXPECT_FALSE(C<QComboBox>(&panel, IDC_BLOCK)->isEnabled());
}

TEST(TachoPanel, BlockLengthInPointsAndSecondsFollowEachOther) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel t;
    t.type = CfgChannelTacho;
    t.bDefOptTaho = false;
    t.sampleStep = 0.001;
    t.tahoOpt.deltaF = 1.0;
    panel.SetChannels("", {&t});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_POINTS)->text(), "1000 тчк.");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_SECONDS)->text(), "1.0000 сек.");
    EXPECT_TRUE(C<QLineEdit>(&panel, IDC_POINTS)->isEnabled());
    Type(&panel, IDC_POINTS, "2048");
    EXPECT_DOUBLE_EQ(t.tahoOpt.deltaF, 1.0 / 2.048);
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_SECONDS)->text(), "2.0480 сек.");
    Type(&panel, IDC_SECONDS, "0.5");
    EXPECT_DOUBLE_EQ(t.tahoOpt.deltaF, 2.0);
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_POINTS)->text(), "500 тчк.");
    Type(&panel, IDC_SECONDS, "0");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_POINTS)->text(), "");
    EXPECT_DOUBLE_EQ(t.tahoOpt.deltaF, 2.0);

    // A record without a sampling step blanks the text and stops there.
    CfgChannel u = t;
    u.sampleStep = 0;
    u.tahoOpt.deltaF = 5;
    panel.SetChannels("", {&t, &u});
    Type(&panel, IDC_POINTS, "100");
    EXPECT_DOUBLE_EQ(t.tahoOpt.deltaF, 10.0);
    EXPECT_DOUBLE_EQ(u.tahoOpt.deltaF, 5.0);
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_SECONDS)->text(), "");
}

TEST(TachoPanel, LevelsConvertBetweenAbsoluteAndRelative) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel t;
    t.type = CfgChannelTacho;
    t.bDefOptTaho = false;
    t.tahoOpt.flagAbsOtn = 0;
    t.tahoOpt.levelLo = 0.3;
    t.tahoOpt.levelHi = 0.7;
    panel.SetChannels("", {&t});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_LO)->text(), "0.3000");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_HI)->text(), "0.7000");
    EXPECT_TRUE(C<QRadioButton>(&panel, IDC_ABS)->isChecked());
    C<QRadioButton>(&panel, IDC_REL)->click();
    EXPECT_FALSE(C<QRadioButton>(&panel, IDC_ABS)->isChecked());
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_LO)->text(), "30.00%");
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_HI)->text(), "70.00%");
    C<QRadioButton>(&panel, IDC_REL)->click();  // already relative: no second conversion
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_HI)->text(), "70.00%");
    panel.Apply();
    EXPECT_DOUBLE_EQ(t.tahoOpt.levelLo, 30);
    EXPECT_DOUBLE_EQ(t.tahoOpt.levelHi, 70);
    EXPECT_EQ(t.tahoOpt.flagAbsOtn, 1);
}

TEST(TachoPanel, PulseRepairKeysAreShownAndEditedInTheirDialog) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel a, b;
    for (CfgChannel* c : {&a, &b}) {
        c->type = CfgChannelTacho;
        c->bDefOptTaho = false;
    }
    b.tahoOpt.fracExtra = 0.6;
    panel.SetChannels("", {&a, &b});
    std::vector<std::string> messages;
    const ui::MessageBoxHook oldBox = ui::SetMessageBoxHook([&](const ui::MbRequest& r) {
        messages.push_back(r.text);
        return ui::MbOk;
    });
    const CTahoRepairDlg::ModalHook old = CTahoRepairDlg::SetModalHook([&](CTahoRepairDlg& d) {
        EXPECT_TRUE(C<QCheckBox>(&d, IDC_REPAIR)->isChecked());
        EXPECT_EQ(C<QLineEdit>(&d, IDC_REPAIR_WIDTH)->text(), "0.5");
        EXPECT_EQ(C<QLineEdit>(&d, IDC_REPAIR_EXTRA)->text(), "");  // the records differ
        Type(&d, IDC_REPAIR_SMOOTH, "8");
        Type(&d, IDC_REPAIR_MISSING, "0.7");  // out of its range: refused, named
        d.OnOK();
        EXPECT_EQ(d.result(), 0);
        Type(&d, IDC_REPAIR_MISSING, "0.1");
        C<QCheckBox>(&d, IDC_REPAIR)->click();
        d.OnOK();
        return d.result();
    });
    C<QPushButton>(&panel, IDC_REPAIR_OPEN)->click();
    CTahoRepairDlg::SetModalHook(old);
    ui::SetMessageBoxHook(oldBox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Пропуск, допуск периода"), std::string::npos) << messages[0];
    for (const CfgChannel* c : {&a, &b}) {
        EXPECT_EQ(c->tahoOpt.nRevSmooth, 8.0);
        EXPECT_EQ(c->tahoOpt.fracMissing, 0.1);
        EXPECT_EQ(c->tahoOpt.flagRepair, 0);
    }
    EXPECT_EQ(a.tahoOpt.fracExtra, 0.7);
    EXPECT_EQ(b.tahoOpt.fracExtra, 0.6);
}

TEST(TachoPanel, ValuesShownRoundedAreKeptUnlessEdited) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel t;
    t.type = CfgChannelTacho;
    t.bDefOptTaho = false;
    t.tahoOpt.coefTaho = 1e-200;
    t.tahoOpt.levelHi = 1.0 / 3;
    panel.SetChannels("", {&t});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_COEF)->text(), "0.00000000");
    panel.Apply();
    EXPECT_EQ(t.tahoOpt.coefTaho, 1e-200);
    EXPECT_EQ(t.tahoOpt.levelHi, 1.0 / 3);
    Type(&panel, IDC_COEF, "2");
    panel.Apply();
    EXPECT_EQ(t.tahoOpt.coefTaho, 2.0);
}

TEST(TachoPanel, MixedModesWithEmptyLevelsConvertOnlyTheOtherRecords) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel a, r;
    for (CfgChannel* c : {&a, &r}) {
        c->type = CfgChannelTacho;
        c->bDefOptTaho = false;
    }
    a.tahoOpt.flagAbsOtn = 0;
    a.tahoOpt.levelLo = 0.3;
    a.tahoOpt.levelHi = 0.7;
    r.tahoOpt.flagAbsOtn = 1;
    r.tahoOpt.levelLo = 20;
    r.tahoOpt.levelHi = 80;
    r.tahoOpt.flagFront = 1;
    panel.SetChannels("", {&a, &r});
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_LEVEL_HI)->text(), "");
    EXPECT_FALSE(C<QRadioButton>(&panel, IDC_ABS)->isChecked());
    EXPECT_FALSE(C<QRadioButton>(&panel, IDC_REL)->isChecked());
    EXPECT_FALSE(C<QRadioButton>(&panel, IDC_FRONT_POS)->isChecked());
    EXPECT_FALSE(C<QRadioButton>(&panel, IDC_FRONT_NEG)->isChecked());
    C<QRadioButton>(&panel, IDC_REL)->click();
    panel.Apply();
    EXPECT_DOUBLE_EQ(a.tahoOpt.levelLo, 30);
    EXPECT_DOUBLE_EQ(a.tahoOpt.levelHi, 70);
    EXPECT_DOUBLE_EQ(r.tahoOpt.levelLo, 20);
    EXPECT_DOUBLE_EQ(r.tahoOpt.levelHi, 80);
    EXPECT_EQ(a.tahoOpt.flagAbsOtn, 1);
    EXPECT_EQ(a.tahoOpt.flagFront, 0);  // the edge stays mixed
    EXPECT_EQ(r.tahoOpt.flagFront, 1);
}

TEST(TachoPanel, UnitsCompareTheStoredValuesAndApplyOnlyAChoice) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    CfgChannel hz, other;
    for (CfgChannel* c : {&hz, &other}) {
        c->type = CfgChannelTacho;
        c->bDefOptTaho = false;
    }
    hz.tahoOpt.typeAxY = 1;
    other.tahoOpt.typeAxY = 3;
    QComboBox* units = C<QComboBox>(&panel, IDC_UNITS);
    panel.SetChannels("", {&hz, &other});
    EXPECT_EQ(units->currentIndex(), -1);
    panel.Apply();
    EXPECT_EQ(hz.tahoOpt.typeAxY, 1);
    EXPECT_EQ(other.tahoOpt.typeAxY, 3);
    // Alone it reads as hertz, and stays as stored until the user picks an entry.
    panel.SetChannels("", {&other});
    EXPECT_EQ(units->currentIndex(), 0);
    panel.Apply();
    EXPECT_EQ(other.tahoOpt.typeAxY, 3);
    panel.SetChannels("", {&hz, &other});
    units->setCurrentIndex(1);
    panel.Apply();
    EXPECT_EQ(hz.tahoOpt.typeAxY, 2);
    EXPECT_EQ(other.tahoOpt.typeAxY, 2);
}

TEST(TachoPanel, NoRecordsShowsNothingAndDisablesAll) {
    CProcItemTaho panel;
    panel.Create(nullptr, nullptr);
    EXPECT_EQ(C<QLineEdit>(&panel, IDC_COEF)->text(), "");
    EXPECT_EQ(C<QComboBox>(&panel, IDC_UNITS)->currentIndex(), -1);
    EXPECT_FALSE(C<QLineEdit>(&panel, IDC_SECONDS)->isEnabled());
    EXPECT_FALSE(C<QCheckBox>(&panel, IDC_DEF_TAHO)->isEnabled());
    EXPECT_TRUE(C<QCheckBox>(&panel, IDC_DEF_TAHO)->isVisibleTo(&panel));
    panel.Apply();  // nothing to write, nothing breaks
}
