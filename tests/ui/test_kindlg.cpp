// The bearing and gear-pair calculators opened from the frequency-base page,
// driven through their controls while their modal loop is replaced.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "ui/dialogs.h"
#include "ui/freqspage.h"
#include "ui/kindlg.h"
#include "ui/res/ids.h"
#include "ui_util.h"

using namespace res;
using uitest::Boxes;
using uitest::Settle;

namespace {

// Runs the shown dialog through fill instead of its loop.
class Modal {
  public:
    explicit Modal(std::function<void(CKinDlg&)> fill) {
        old_ = CKinDlg::SetModalHook([this, fill](CKinDlg& d) {
            ++runs;
            d.show();
            Settle();
            fill(d);
            return d.result();
        });
    }
    ~Modal() { CKinDlg::SetModalHook(old_); }
    int runs = 0;

  private:
    CKinDlg::ModalHook old_;
};

QLineEdit* Edit(CKinDlg& d, int id) {
    return ui::Ctl<QLineEdit>(&d, id);
}

void Type(CKinDlg& d, int id, const char* text) {
    Edit(d, id)->clear();
    QTest::keyClicks(Edit(d, id), text);
}

void Ok(CKinDlg& d) {
    ui::Ctl<QPushButton>(&d, IDOK)->click();
}

class Calculators : public ::testing::Test {
  protected:
    void SetUp() override {
        base = uitest::AddBase(cfg);
        page.SetConfig(&cfg);
        page.Activate();
        page.show();
        Settle();
    }
    void Select(const CCfgProcItem* node) {
        page.Tree()->setCurrentItem(page.ItemOf(node));
        Settle();
    }

    CCfgProc cfg;
    uitest::Base base;
    CVantrelFreqsPage page;
};

TEST_F(Calculators, OfferedForFoldersAndSectionsOnly) {
    for (const CCfgProcItem* node :
         std::initializer_list<const CCfgProcItem*>{base.mesh, base.tacho, base.gears, base.dead}) {
        Select(node);
        EXPECT_EQ(page.BearingButton()->isEnabled(), node->IsFolder()) << node->name;
        EXPECT_EQ(page.GearButton()->isEnabled(), node->IsFolder()) << node->name;
    }
}

TEST_F(Calculators, BearingPreviewsTheTableFactorsAndAddsThemToTheFolder) {
    Select(base.gears);
    cfg.frequencyBaseChanged = false;
    Modal modal([](CKinDlg& d) {
        EXPECT_EQ(ui::Ctl<QComboBox>(&d, IDC_KIN_TACHO)->currentText(), "Обороты");
        EXPECT_TRUE(ui::Ctl<QRadioButton>(&d, IDC_KIN_INNER)->isChecked());
        EXPECT_EQ(d.Preview()->rowCount(), 0);
        Type(d, IDC_KIN_BALLS, "9");
        Type(d, IDC_KIN_BALL_D, "7,94");  // a comma reads as the decimal point
        Type(d, IDC_KIN_PITCH_D, "39.04");
        Type(d, IDC_KIN_SIDEBANDS, "1");
        EXPECT_EQ(ui::Ctl<QLabel>(&d, IDC_KIN_STATUS)->text(), "");
        QTableWidget* list = d.Preview();
        ASSERT_EQ(list->rowCount(), 11);
        EXPECT_EQ(list->item(1, 0)->text(), "Подшипник BPFO");
        EXPECT_EQ(list->item(1, 1)->text(), "3.5848");
        EXPECT_EQ(list->item(2, 1)->text(), "5.4152");
        EXPECT_EQ(list->item(0, 1)->text(), "0.3983");
        EXPECT_EQ(list->item(5, 1)->text(), "2.3567");
        EXPECT_EQ(list->item(8, 0)->text(), "Подшипник 2xBSF");
        EXPECT_EQ(list->item(8, 1)->text(), "4.7135");
        EXPECT_TRUE(list->item(4, 2)->text().startsWith("BPFI + fr = 6.4152*Обороты; BPFI = "));
        Ok(d);
    });
    page.BearingButton()->click();
    ASSERT_EQ(modal.runs, 1);
    ASSERT_EQ(base.gears->children.size(), 13u);
    const auto* bpfo = static_cast<const CCfgProcBandTrack*>(base.gears->children[3].get());
    EXPECT_EQ(bpfo->name, "Подшипник BPFO");
    ASSERT_EQ(bpfo->components.size(), 1u);
    EXPECT_EQ(bpfo->components[0].tachoRefId, base.tacho->id);
    EXPECT_NEAR(bpfo->components[0].factor, 3.585, 5e-4);
    EXPECT_EQ(bpfo->bandWidth.percentValue, 3.0);
    EXPECT_EQ(bpfo->bandWidth.tachoRefId, base.tacho->id);
    EXPECT_TRUE(cfg.frequencyBaseChanged);
    QTreeWidgetItem* folder = page.ItemOf(base.gears);
    ASSERT_EQ(folder->childCount(), 13);
    EXPECT_EQ(folder->child(3)->text(0), "Подшипник BPFO");
    EXPECT_EQ(page.CurrentItem(), base.gears);  // the selection stays
    Select(bpfo);
    EXPECT_EQ(ui::Ctl<QLineEdit>(page.TrackPanel(), IDC_FI_FORMULA)->text(), "3.585*Обороты");
}

// For the envelope: the same bands, marked in name and description, so that
// the levels a channel with an envelope band gives are told from others.
TEST_F(Calculators, BearingBandsForTheEnvelopeCarryItsMark) {
    Select(base.gears);
    Modal modal([](CKinDlg& d) {
        EXPECT_EQ(ui::Ctl<QCheckBox>(&d, IDC_KIN_ENVELOPE)->isChecked(), false);
        Type(d, IDC_KIN_BALLS, "9");
        Type(d, IDC_KIN_BALL_D, "7.94");
        Type(d, IDC_KIN_PITCH_D, "39.04");
        QTest::mouseClick(ui::Ctl<QCheckBox>(&d, IDC_KIN_ENVELOPE), Qt::LeftButton);
        ASSERT_EQ(d.Preview()->rowCount(), 5);  // FTF, BPFO, BPFI, BSF, 2xBSF
        EXPECT_EQ(d.Preview()->item(1, 0)->text(), "Подшипник огиб. BPFO");
        Ok(d);
    });
    page.BearingButton()->click();
    ASSERT_EQ(base.gears->children.size(), 7u);
    const auto* bpfo = static_cast<const CCfgProcBandTrack*>(base.gears->children[3].get());
    EXPECT_EQ(bpfo->name, "Подшипник огиб. BPFO");
    EXPECT_NEAR(bpfo->components[0].factor, 3.585, 5e-4);
    EXPECT_TRUE(bpfo->info.ends_with("; в спектре огибающей: канал с полосой огибающей"))
        << bpfo->info;
}

TEST_F(Calculators, BadInputIsNamedAndNothingIsAdded) {
    Select(base.gears);
    cfg.frequencyBaseChanged = false;
    Boxes boxes;
    Modal modal([&](CKinDlg& d) {
        Type(d, IDC_KIN_BALLS, "9");
        Type(d, IDC_KIN_BALL_D, "40");
        Type(d, IDC_KIN_PITCH_D, "39.04");
        const QString why =
            "Поле 'Диаметр тела качения d, мм' должно быть меньше поля 'Средний диаметр D, мм'.";
        EXPECT_EQ(ui::Ctl<QLabel>(&d, IDC_KIN_STATUS)->text(), why);
        EXPECT_EQ(d.Preview()->rowCount(), 0);
        Ok(d);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, why.toStdString());
        EXPECT_EQ(boxes.seen[0].caption, "Ошибка!");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), Edit(d, IDC_KIN_BALL_D));
        Type(d, IDC_KIN_ANGLE, "-90");
        Type(d, IDC_KIN_BALL_D, "7.94");
        EXPECT_TRUE(ui::Ctl<QLabel>(&d, IDC_KIN_STATUS)->text().startsWith("Поле 'Угол"));
        ui::Ctl<QPushButton>(&d, IDCANCEL)->click();
    });
    page.BearingButton()->click();
    EXPECT_EQ(base.gears->children.size(), 2u);
    EXPECT_EQ(page.ItemOf(base.gears)->childCount(), 2);
    EXPECT_FALSE(cfg.frequencyBaseChanged);
}

TEST_F(Calculators, TruncatedWholeNumbersAreRefusedNotRounded) {
    Select(base.gears);
    Boxes boxes;
    Modal modal([&](CKinDlg& d) {
        Type(d, IDC_KIN_Z1, "23.7");
        Type(d, IDC_KIN_Z2, "47");
        const QString why = "Поле 'Число зубьев z1': нужно целое число.";
        EXPECT_EQ(ui::Ctl<QLabel>(&d, IDC_KIN_STATUS)->text(), why);
        EXPECT_EQ(d.Preview()->rowCount(), 0);
        Ok(d);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, why.toStdString());
        EXPECT_EQ(d.focusWidget(), Edit(d, IDC_KIN_Z1));
        ui::Ctl<QPushButton>(&d, IDCANCEL)->click();
    });
    page.GearButton()->click();
    EXPECT_EQ(modal.runs, 1);
    EXPECT_EQ(base.gears->children.size(), 2u);
}

TEST_F(Calculators, GearFromTheSecondShaftWithAWidthInHertzGoesIntoTheSection) {
    Select(base.shaft);
    Modal modal([](CKinDlg& d) {
        EXPECT_EQ(d.windowTitle(), "Зубчатая передача");
        Type(d, IDC_KIN_PREFIX, "");
        Type(d, IDC_KIN_Z1, "23");
        Type(d, IDC_KIN_Z2, "47");
        QTest::mouseClick(ui::Ctl<QRadioButton>(&d, IDC_KIN_SHAFT2), Qt::LeftButton);
        QComboBox* mode = ui::Ctl<QComboBox>(&d, IDC_FI_BW_MODE);
        mode->setCurrentIndex(1);
        mode->activated(1);  // "Частота в Гц"
        EXPECT_FALSE(ui::FindControl(&d, IDC_FI_BW_MIN_VALUE)->isEnabled());
        Type(d, IDC_FI_BW_VALUE, "2,5");
        ASSERT_EQ(d.Preview()->rowCount(), 3);
        EXPECT_EQ(d.Preview()->item(1, 0)->text(), "f1");
        EXPECT_EQ(d.Preview()->item(2, 1)->text(), "0.0435");  // 1/23
        Ok(d);
    });
    page.GearButton()->click();
    ASSERT_EQ(base.shaft->children.size(), 5u);
    const auto* mesh = static_cast<const CCfgProcBandTrack*>(base.shaft->children[2].get());
    EXPECT_EQ(mesh->name, "GMF");
    EXPECT_DOUBLE_EQ(mesh->components.at(0).factor, 47.0);
    EXPECT_FALSE(mesh->bandWidth.relativeBorders);
    EXPECT_FALSE(mesh->bandWidth.inFftBins);
    EXPECT_EQ(mesh->bandWidth.physicalValue, 2.5);
    EXPECT_EQ(page.ItemOf(base.shaft)->child(4)->text(0), "HTF");
}

}  // namespace
