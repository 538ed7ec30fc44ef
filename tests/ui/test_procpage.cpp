// The processing-setup page with its list, tree and panels, driven through
// its controls.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include "ui/dialogs.h"
#include "ui/freqspage.h"
#include "ui/images.h"
#include "ui/procpage.h"
#include "ui/res/ids.h"
#include "ui_util.h"

using namespace res;
using uitest::Settle;

namespace {

class ProcPage : public ::testing::Test {
  protected:
    void SetUp() override {
        acc1 = &uitest::AddChannel(cfg, "Acc1", CfgChannelMeasuring, true);
        acc2 = &uitest::AddChannel(cfg, "Acc2", CfgChannelMeasuring);
        tacho = &uitest::AddChannel(cfg, "Tacho", CfgChannelTacho);
        speed = &uitest::AddChannel(cfg, "Speed", CfgChannelRevolution);
        base = uitest::AddBase(cfg);
        cfg.channelsChanged = cfg.frequencyBaseChanged = true;
        page.SetConfig(&cfg);
        page.SetImageList(&images);
        page.Activate();
        page.show();
        Settle();
    }

    QListWidget* List() { return page.Channels(); }
    QTreeWidget* Tree() { return page.Tree(); }

    void Select(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int r : rows) List()->item(r)->setSelected(true);
        Settle();
    }

    QTreeWidgetItem* Find(const char* name) {
        auto found =
            Tree()->findItems(QString::fromUtf8(name), Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    void PressSpace() { QTest::keyClick(Tree(), Qt::Key_Space); }

    bool Shown(QWidget* panel) { return panel->isVisibleTo(&page); }

    CCfgProc cfg;
    CfgChannel *acc1, *acc2, *tacho, *speed;
    uitest::Base base;
    ui::ImageList images;
    CVantrelProcPage page;
};

}  // namespace

TEST_F(ProcPage, ActivationFillsTheListAndTheTreeAndSelectsTheFirstOfEach) {
    ASSERT_EQ(List()->count(), 4);
    EXPECT_EQ(List()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(List()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(page.Selection(), std::vector<int>{0});
    EXPECT_EQ(ui::Ctl<QLineEdit>(page.SignalPanel(), IDC_NAME)->text(), "Acc1");
    EXPECT_FALSE(cfg.channelsChanged || cfg.frequencyBaseChanged);

    // A section whose leaves are all off is left out; a switched-off folder
    // holding switched-on leaves stays.
    ASSERT_EQ(Tree()->topLevelItemCount(), 2);
    EXPECT_EQ(Tree()->topLevelItem(1)->text(0), "Третий");
    EXPECT_NE(Find("1-10 кГц"), nullptr);
    EXPECT_EQ(Find("Пусто"), nullptr);
    EXPECT_EQ(Tree()->currentItem(), Tree()->topLevelItem(0));
    EXPECT_EQ(page.CurrentItem(), base.shaft);
    EXPECT_FALSE(Find("Обороты")->icon(0).isNull());
    // Acc1 has no options yet: every leaf is off on it.
    EXPECT_EQ(CVantrelProcPage::Mark(Find("Зуб 23x")), 1);
}

TEST_F(ProcPage, TickingABoxOfTheSelectionTicksAllSelectedOnlyThenAlone) {
    Select({1, 2});
    List()->item(2)->setCheckState(Qt::Checked);
    EXPECT_TRUE(acc2->check && tacho->check);
    EXPECT_EQ(List()->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(ui::Ctl<QCheckBox>(page.SignalPanel(), IDC_CHECK)->checkState(), Qt::Checked);

    // The channel panel's box writes the records and the list follows.
    ui::Ctl<QCheckBox>(page.SignalPanel(), IDC_CHECK)->click();
    EXPECT_FALSE(acc2->check || tacho->check);
    EXPECT_EQ(List()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(List()->item(2)->checkState(), Qt::Unchecked);

    List()->item(3)->setCheckState(Qt::Checked);
    Settle();
    EXPECT_TRUE(speed->check);
    EXPECT_EQ(page.Selection(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(acc1->check);
}

TEST_F(ProcPage, ClickingACheckBoxKeepsTheSelection) {
    Select({0, 1});
    const QRect r = List()->visualItemRect(List()->item(3));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 6, r.center().y()));
    Settle();
    EXPECT_TRUE(speed->check);
    EXPECT_EQ(List()->item(3)->checkState(), Qt::Checked);
    EXPECT_EQ(page.Selection(), (std::vector<int>{0, 1}));
    // A click on the name selects as usual.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                      QPoint(r.right() - 10, r.center().y()));
    Settle();
    EXPECT_EQ(page.Selection(), std::vector<int>{3});
    EXPECT_TRUE(speed->check);
    // The box of the item just clicked toggles once, not twice.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 6, r.center().y()));
    Settle();
    EXPECT_FALSE(speed->check);
    EXPECT_EQ(List()->item(3)->checkState(), Qt::Unchecked);
}

TEST_F(ProcPage, WithNoChannelSelectedTheBoxesAreEmptyNotMixed) {
    Select({});
    Tree()->setCurrentItem(Find("10-100 Гц"));
    const QRect r = List()->visualItemRect(List()->item(3));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 6, r.center().y()));
    PressSpace();
    Settle();
    EXPECT_EQ(ui::Ctl<QCheckBox>(page.SignalPanel(), IDC_CHECK)->checkState(), Qt::Unchecked);
    EXPECT_EQ(ui::Ctl<QCheckBox>(page.BandPanel(), IDC_PROCESSED)->checkState(), Qt::Unchecked);
}

TEST_F(ProcPage, PanelsFollowTheCommonChannelType) {
    CProcItem* band = page.BandPanel();
    Select({0, 1});
    EXPECT_TRUE(Shown(band) && Shown(page.FftPanel()) && !Shown(page.TahoPanel()));
    const QPoint area = ui::FindControl(&page, IDC_PLACEHOLDER)->pos();
    EXPECT_EQ(band->pos(), area + QPoint(0, page.SignalPanel()->Height()));
    EXPECT_EQ(page.FftPanel()->y(), band->y() + band->Height());
    EXPECT_EQ(ui::Ctl<QLineEdit>(page.SignalPanel(), IDC_NAME)->text(), "");

    Select({0, 2});
    EXPECT_FALSE(Shown(band) || Shown(page.FftPanel()) || Shown(page.TahoPanel()));
    EXPECT_TRUE(Shown(page.SignalPanel()));
    Select({3});
    EXPECT_FALSE(Shown(band) || Shown(page.FftPanel()) || Shown(page.TahoPanel()));
    Select({2});
    EXPECT_TRUE(Shown(page.TahoPanel()) && !Shown(band));
    EXPECT_EQ(page.TahoPanel()->pos(), band->pos());

    // Changing the type in the channel panel lays the panels out at once.
    ui::Ctl<QComboBox>(page.SignalPanel(), IDC_TYPE)->setCurrentIndex(0);
    EXPECT_EQ(tacho->type, CfgChannelMeasuring);
    EXPECT_TRUE(Shown(band) && !Shown(page.TahoPanel()));
}

TEST_F(ProcPage, SpaceOnABandSwitchesItOnEverySelectedChannel) {
    Select({0, 1});
    QTreeWidgetItem* mesh = Find("Зуб 23x");
    Tree()->setCurrentItem(mesh);
    ASSERT_TRUE(base.mesh->selected);
    PressSpace();
    EXPECT_FALSE(base.mesh->selected);
    EXPECT_FALSE(acc1->signalOpts[base.mesh->id].bEnabled);
    EXPECT_EQ(CVantrelProcPage::Mark(mesh), 1);
    PressSpace();
    EXPECT_TRUE(base.mesh->selected);
    EXPECT_TRUE(acc1->signalOpts[base.mesh->id].bEnabled);
    EXPECT_TRUE(acc2->signalOpts[base.mesh->id].bEnabled);
    EXPECT_EQ(CVantrelProcPage::Mark(mesh), 0);
    EXPECT_EQ(ui::Ctl<QCheckBox>(page.BandPanel(), IDC_PROCESSED)->checkState(), Qt::Checked);
}

TEST_F(ProcPage, SpaceOnASectionClearsTheWholeBranch) {
    Select({0, 1});
    for (CCfgProcItem* leaf : std::initializer_list<CCfgProcItem*>{base.tacho, base.mesh, base.low})
        for (CfgChannel* ch : {acc1, acc2}) procrules::SignalOpt(*ch, *leaf).bEnabled = true;
    Tree()->setCurrentItem(Find("Вал"));
    PressSpace();
    for (CCfgProcItem* leaf :
         std::initializer_list<CCfgProcItem*>{base.tacho, base.mesh, base.low}) {
        EXPECT_FALSE(leaf->selected);
        EXPECT_FALSE(acc1->signalOpts[leaf->id].bEnabled);
        EXPECT_FALSE(acc2->signalOpts[leaf->id].bEnabled);
        EXPECT_EQ(CVantrelProcPage::Mark(Find(leaf->name.c_str())), 1);
    }
}

TEST_F(ProcPage, MarksFollowTheSelectionAndTheSameSelectionIsNotReread) {
    procrules::SignalOpt(*acc1, *base.low).bEnabled = true;
    Select({1});
    Select({0, 1});
    EXPECT_EQ(CVantrelProcPage::Mark(Find("10-100 Гц")), 4);
    Select({0});
    EXPECT_EQ(CVantrelProcPage::Mark(Find("10-100 Гц")), 0);

    // A burst that ends on the same selection reads nothing again.
    acc1->signalOpts[base.low->id].bEnabled = false;
    List()->item(1)->setSelected(true);
    List()->item(1)->setSelected(false);
    Settle();
    EXPECT_EQ(CVantrelProcPage::Mark(Find("10-100 Гц")), 0);

    Select({});
    EXPECT_TRUE(page.Selection().empty());
    EXPECT_EQ(CVantrelProcPage::Mark(Find("10-100 Гц")), 1);
    EXPECT_EQ(CVantrelProcPage::Mark(Find("Зуб 23x")), 1);
}

TEST_F(ProcPage, PanelEditsReachTheRecordsWhenTheTreeSelectionMoves) {
    Select({0});
    Tree()->setCurrentItem(Find("10-100 Гц"));
    EXPECT_EQ(page.CurrentItem(), base.low);
    ui::Ctl<QComboBox>(page.BandPanel(), IDC_INTEGR)->setCurrentIndex(2);
    EXPECT_EQ(acc1->signalOpts[base.low->id].integr, 0);
    Tree()->setCurrentItem(Find("Зуб 23x"));
    EXPECT_EQ(acc1->signalOpts[base.low->id].integr, 2);
}

TEST_F(ProcPage, TheBandPanelsProcessingBoxUpdatesTheMarks) {
    Select({0, 1});
    QTreeWidgetItem* low = Find("10-100 Гц");
    Tree()->setCurrentItem(low);
    auto* box = ui::Ctl<QCheckBox>(page.BandPanel(), IDC_PROCESSED);
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    base.low->selected = false;
    box->click();
    EXPECT_TRUE(base.low->selected);
    EXPECT_TRUE(acc1->signalOpts[base.low->id].bEnabled);
    EXPECT_TRUE(acc2->signalOpts[base.low->id].bEnabled);
    EXPECT_EQ(CVantrelProcPage::Mark(low), 0);
}

TEST_F(ProcPage, AResetConfigurationShowsTheSameChannelsUnticked) {
    cfg.Reset();
    page.Reload();
    Settle();
    ASSERT_EQ(List()->count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(List()->item(i)->checkState(), Qt::Unchecked);
    EXPECT_EQ(Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(page.CurrentItem(), nullptr);
    EXPECT_EQ(page.Selection(), std::vector<int>{0});
    EXPECT_NE(cfg.Channel("Acc1"), nullptr);  // the first channel got a fresh record
}

TEST_F(ProcPage, PagesSwitchingKeepsSelectionAndCurrentItem) {
    Select({1});
    Tree()->setCurrentItem(Find("Зуб 23x"));
    page.Deactivate();
    page.Activate();
    Settle();
    EXPECT_EQ(page.Selection(), std::vector<int>{1});
    EXPECT_EQ(page.CurrentItem(), base.mesh);
}

// The frequency page deletes the current band, then the current band's
// folder, then the current item's whole section while this page is away:
// coming back reads no freed item (AddressSanitizer) and files nothing under
// the dead ids.
TEST_F(ProcPage, ItemsDeletedOnTheFrequencyPageAreLetGo) {
    CVantrelFreqsPage freqs;
    freqs.SetConfig(&cfg);
    freqs.SetImageList(&images);
    uitest::Boxes yes(ui::MbYes);
    Select({0, 1});
    const int32_t low = base.low->id, mesh = base.mesh->id;
    auto deleteAway = [&](const char* current, const char* doomed) {
        Tree()->setCurrentItem(Find(current));
        ui::Ctl<QComboBox>(page.BandPanel(), IDC_INTEGR)->setCurrentIndex(2);
        page.Apply();
        page.Deactivate();
        freqs.Activate();
        const auto found = freqs.Tree()->findItems(QString::fromUtf8(doomed),
                                                   Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        freqs.Tree()->setCurrentItem(found.front());
        freqs.DeleteSelected();
        freqs.Deactivate();
        for (CfgChannel* ch : {acc1, acc2}) ch->signalOpts.clear();
        page.Activate();
        Settle();
        ui::Ctl<QComboBox>(page.BandPanel(), IDC_INTEGR)->setCurrentIndex(1);
        page.Apply();
        Tree()->setCurrentItem(Tree()->topLevelItem(Tree()->topLevelItemCount() - 1));
    };
    deleteAway("10-100 Гц", "10-100 Гц");
    EXPECT_EQ(Find("10-100 Гц"), nullptr);
    deleteAway("Зуб 23x", "Зацепление");
    EXPECT_EQ(Find("Зуб 23x"), nullptr);
    deleteAway("Обороты", "Вал");
    EXPECT_EQ(Find("Обороты"), nullptr);
    for (const CfgChannel* ch : {acc1, acc2}) {
        EXPECT_EQ(ch->signalOpts.count(low), 0u);
        EXPECT_EQ(ch->signalOpts.count(mesh), 0u);
    }
}

TEST_F(ProcPage, TheBandFrequencyBoxShowsAndSetsTheOption) {
    auto* box = ui::Ctl<QCheckBox>(&page, IDC_BAND_FREQUENCIES);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(cfg.bandFrequencies);
    cfg.bandFrequencies = false;  // another configuration's settings
    page.Reload();
    EXPECT_FALSE(box->isChecked());
}
