// The frequency-base page with its tree and item panels, driven through its
// controls, with message boxes and file dialogs answered by hooks.

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "test_util.h"
#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/freqspage.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui_util.h"

using namespace res;
using uitest::Add;
using uitest::Boxes;
using uitest::Settle;

namespace {

// File dialogs answered with a path (none: cancelled) and remembered.
class Files {
  public:
    Files() {
        old_ = ui::SetFileDialogHook([this](const ui::FileRequest& r) {
            seen.push_back(r);
            return answer;
        });
    }
    ~Files() { ui::SetFileDialogHook(old_); }
    std::optional<std::string> answer;
    std::vector<ui::FileRequest> seen;

  private:
    ui::FileDialogHook old_;
};

std::string JsonOf(const CCfgProcItem& node) {
    json_object* obj = nullptr;
    node.ToJson(&obj);
    std::string s = obj ? json_object_to_json_string(obj) : "";
    json_object_put(obj);
    return s;
}

class FreqsPage : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::AddChannel(cfg, "Acc", CfgChannelMeasuring);
        uitest::AddChannel(cfg, "Pulse", CfgChannelTacho);
        uitest::AddChannel(cfg, "Rpm", CfgChannelRevolution);
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
    template <class T>
    T* In(QWidget* panel, int id) {
        return ui::Ctl<T>(panel, id);
    }

    CCfgProc cfg;
    uitest::Base base;
    CVantrelFreqsPage page;
};

TEST_F(FreqsPage, TreeShowsTheBaseWithImagesOverlaysAndExpandedFolders) {
    QTreeWidget* tree = page.Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(page.CurrentItem(), base.shaft);
    QTreeWidgetItem* gears = page.ItemOf(base.gears);
    ASSERT_TRUE(gears);
    EXPECT_TRUE(gears->isExpanded());
    EXPECT_EQ(gears->childCount(), 2);
    EXPECT_EQ(gears->child(0)->text(0), "Зуб 23x");
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.low)), 0);
    EXPECT_EQ(CVantrelFreqsPage::Overlay(tree->topLevelItem(1)->child(0)), 1);
    // Only leaves carry the mark; the band under a disabled folder is enabled.
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.third->children[0].get())), 0);
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.hidden)), 0);
    EXPECT_TRUE(page.ExportButton()->isEnabled());
}

TEST_F(FreqsPage, PanelsFollowTheKindStackedTopDown) {
    auto visible = [&] {
        return std::vector<bool>{
            page.BasePanel()->isVisibleTo(&page), page.TahoPanel()->isVisibleTo(&page),
            page.BandPanel()->isVisibleTo(&page), page.TrackPanel()->isVisibleTo(&page),
            page.BandwidthPanel()->isVisibleTo(&page)};
    };
    Select(base.gears);
    EXPECT_EQ(visible(), (std::vector<bool>{true, false, false, false, false}));
    Select(base.tacho);
    EXPECT_EQ(visible(), (std::vector<bool>{true, true, false, false, true}));
    const int x = page.BasePanel()->x();
    EXPECT_EQ(page.TahoPanel()->pos(),
              QPoint(x, page.BasePanel()->y() + page.BasePanel()->Height()));
    EXPECT_EQ(page.BandwidthPanel()->pos(),
              QPoint(x, page.TahoPanel()->y() + page.TahoPanel()->Height()));
    Select(base.mesh);
    EXPECT_EQ(visible(), (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(page.TrackPanel()->y(), page.BasePanel()->y() + page.BasePanel()->Height());
    Select(base.low);
    EXPECT_EQ(visible(), (std::vector<bool>{true, false, true, false, false}));
    EXPECT_EQ(In<QLineEdit>(page.BandPanel(), IDC_FI_BAND_HI)->text(), "100.000");
}

TEST_F(FreqsPage, LeavingAnItemWritesItsEditsBack) {
    Select(base.low);
    QLineEdit* name = In<QLineEdit>(page.BasePanel(), IDC_FI_NAME);
    name->setText("Низ");
    QLineEdit* lo = In<QLineEdit>(page.BandPanel(), IDC_FI_BAND_LO);
    QTest::keyClicks(lo, "x");  // modified by the user: read as 0
    lo->setText("12.5abc");
    lo->setModified(true);
    cfg.frequencyBaseChanged = false;
    Select(base.tacho);
    EXPECT_EQ(base.low->name, "Низ");
    EXPECT_EQ(base.low->bandStart, 12.5);
    EXPECT_EQ(base.low->bandStop, 100.0);  // untouched edit, value kept
    EXPECT_TRUE(cfg.frequencyBaseChanged);
    EXPECT_EQ(page.ItemOf(base.low)->text(0), "Низ");
}

TEST_F(FreqsPage, UntickingAFolderDisablesItsSubtreeAndTheMarksFollow) {
    Select(base.gears);
    QCheckBox* on = In<QCheckBox>(page.BasePanel(), IDC_FI_ENABLED);
    ASSERT_TRUE(on->isChecked());
    cfg.frequencyBaseChanged = false;
    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(4, on->height() / 2));
    EXPECT_FALSE(base.gears->enabled);
    EXPECT_FALSE(base.mesh->enabled);
    EXPECT_FALSE(base.low->enabled);
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.mesh)), 1);
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.low)), 1);
    EXPECT_TRUE(base.tacho->enabled);
    EXPECT_TRUE(cfg.frequencyBaseChanged);
}

TEST_F(FreqsPage, SpaceTogglesTheSelectedNode) {
    Select(base.low);
    QTest::keyClick(page.Tree(), Qt::Key_Space);
    EXPECT_FALSE(base.low->enabled);
    EXPECT_EQ(CVantrelFreqsPage::Overlay(page.ItemOf(base.low)), 1);
    EXPECT_FALSE(In<QCheckBox>(page.BasePanel(), IDC_FI_ENABLED)->isChecked());
    // Storing now must not switch it back on.
    page.Store();
    EXPECT_FALSE(base.low->enabled);
    QTest::keyClick(page.Tree(), Qt::Key_Space);
    EXPECT_TRUE(base.low->enabled);
}

TEST_F(FreqsPage, DeleteAsksAndSelectsNextThenPreviousThenParent) {
    {
        Boxes no(ui::MbNo);
        Select(base.mesh);
        QTest::keyClick(page.Tree(), Qt::Key_Delete);
        ASSERT_EQ(no.seen.size(), 1u);
        EXPECT_EQ(no.seen[0].text, "Удалить элемент 'Зуб 23x'?");
        EXPECT_EQ(no.seen[0].caption, "Внимание!");
        EXPECT_EQ(no.seen[0].buttons, ui::MbButtons::YesNo);
        EXPECT_EQ(no.seen[0].icon, ui::MbIcon::Question);
        EXPECT_EQ(base.gears->children.size(), 2u);
    }
    Boxes yes;
    CCfgProcItem* low = base.low;
    QTest::keyClick(page.Tree(), Qt::Key_Delete);  // the first child: next sibling
    EXPECT_EQ(page.CurrentItem(), low);
    EXPECT_EQ(page.BandPanel()->Item(), low);
    QTest::keyClick(page.Tree(), Qt::Key_Delete);  // the last child: the folder
    EXPECT_TRUE(base.gears->children.empty());
    EXPECT_EQ(page.CurrentItem(), base.gears);
    EXPECT_EQ(page.Tree()->currentItem(), page.ItemOf(base.gears));
    EXPECT_EQ(page.ItemOf(base.gears)->childCount(), 0);
}

TEST_F(FreqsPage, DeletingASectionTakesItOutOfTheConfiguration) {
    Boxes yes;
    base.dead->path = "/tmp/dead.json";
    Select(base.dead);
    cfg.frequencyBaseChanged = false;
    QTest::keyClick(page.Tree(), Qt::Key_Delete);
    ASSERT_EQ(cfg.sections.size(), 2u);
    EXPECT_EQ(cfg.sections[1].get(), base.third);
    EXPECT_EQ(page.CurrentItem(), base.third);
    EXPECT_EQ(page.Tree()->topLevelItemCount(), 2);
    EXPECT_TRUE(cfg.frequencyBaseChanged);
    // The last section, alone: nothing is left to select.
    Select(base.third);
    QTest::keyClick(page.Tree(), Qt::Key_Delete);
    Select(base.shaft);
    QTest::keyClick(page.Tree(), Qt::Key_Delete);
    EXPECT_TRUE(cfg.sections.empty());
    EXPECT_EQ(page.CurrentItem(), nullptr);
    EXPECT_FALSE(page.ExportButton()->isEnabled());
}

TEST_F(FreqsPage, TachoChannelCandidatesAndTheGradRule) {
    QComboBox* list = In<QComboBox>(page.TahoPanel(), IDC_FI_TAHO_CHANNEL);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "Pulse.taho");
    EXPECT_EQ(list->itemText(1), "Rpm");
    base.tacho->tachoChannel = "Rpm.grad";
    Select(base.tacho);
    EXPECT_EQ(list->currentText(), "Rpm");
    page.Store();
    EXPECT_EQ(base.tacho->tachoChannel, "Rpm");
    // A text no entry begins with: no selection, the stored text stays.
    // Set while another item is shown: leaving the tacho item stores its list.
    Select(base.low);
    base.tacho->tachoChannel = "Other";
    Select(base.tacho);
    EXPECT_EQ(list->currentIndex(), -1);
    page.Store();
    EXPECT_EQ(base.tacho->tachoChannel, "Other");
    // Case does not matter to the prefix search.
    Select(base.low);
    base.tacho->tachoChannel = "pulse";
    Select(base.tacho);
    EXPECT_EQ(list->currentText(), "Pulse.taho");
}

class TrackPanel : public FreqsPage {
  protected:
    void SetUp() override {
        FreqsPage::SetUp();
        t2 = Add<CCfgProcTaho>(*base.shaft, "T2");
        t3 = Add<CCfgProcTaho>(*base.shaft, "T3");
        t4 = Add<CCfgProcTaho>(*base.shaft, "T4");
        page.Reload();
    }
    QLineEdit* E(int id) { return In<QLineEdit>(page.TrackPanel(), id); }
    CCfgProcTaho *t2 = nullptr, *t3 = nullptr, *t4 = nullptr;
};

TEST_F(TrackPanel, RowsConstantAndFormula) {
    base.mesh->components = {{"T2", t2->id, 2.5}, {"", -1, 3.0}};
    Select(base.mesh);
    EXPECT_EQ(E(IDC_FI_TRACK_TAHO1)->text(), "Обороты");
    EXPECT_EQ(E(IDC_FI_TRACK_TAHO1 + 1)->text(), "T2");
    EXPECT_EQ(E(IDC_FI_TRACK_TAHO1 + 2)->text(), "T3");
    EXPECT_EQ(E(IDC_FI_TRACK_COEF1)->text(), "");
    EXPECT_EQ(E(IDC_FI_TRACK_COEF1 + 1)->text(), "2.500");
    EXPECT_EQ(E(IDC_FI_TRACK_CONST)->text(), "3.000");
    EXPECT_EQ(E(IDC_FI_FORMULA)->text(), "2.5*T2 + 3");
    EXPECT_TRUE(E(IDC_FI_FORMULA)->isReadOnly());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(E(IDC_FI_TRACK_COEF1 + i)->isEnabled());

    E(IDC_FI_TRACK_COEF1)->setText("1");
    E(IDC_FI_TRACK_COEF1 + 1)->setText("-0.5");
    EXPECT_EQ(E(IDC_FI_FORMULA)->text(), "2.5*T2 + 3");  // until shown again
    Select(base.low);
    ASSERT_EQ(base.mesh->components.size(), 3u);
    EXPECT_EQ(base.mesh->components[0], (CfgBandComponent{"Обороты", base.tacho->id, 1.0}));
    EXPECT_EQ(base.mesh->components[1], (CfgBandComponent{"T2", t2->id, -0.5}));
    EXPECT_EQ(base.mesh->components[2], (CfgBandComponent{"", -1, 3.0}));
    Select(base.mesh);
    EXPECT_EQ(E(IDC_FI_FORMULA)->text(), "1*Обороты - 0.5*T2 + 3");
}

TEST_F(TrackPanel, LeavingKeepsTheFactorsTheRowsShowRounded) {
    base.mesh->components = {{"T2", t2->id, 1.0 / 3.0}, {"", -1, 2.0 / 3.0}};
    const auto stored = base.mesh->components;
    Select(base.mesh);
    EXPECT_EQ(E(IDC_FI_TRACK_COEF1 + 1)->text(), "0.333");
    Select(base.low);
    EXPECT_EQ(base.mesh->components, stored);
    // A typed row is taken as typed; the others keep their values.
    Select(base.mesh);
    QTest::keyClicks(E(IDC_FI_TRACK_COEF1), "2");
    Select(base.low);
    ASSERT_EQ(base.mesh->components.size(), 3u);
    EXPECT_EQ(base.mesh->components[0], (CfgBandComponent{"Обороты", base.tacho->id, 2.0}));
    EXPECT_EQ(base.mesh->components[1], stored[0]);
    EXPECT_EQ(base.mesh->components[2], stored[1]);
}

TEST_F(TrackPanel, TheFormulaFollowsARenamedTachoItem) {
    base.mesh->components = {{"T2", t2->id, 2.5}};
    Select(t2);
    In<QLineEdit>(page.BasePanel(), IDC_FI_NAME)->setText("Вторичный");
    Select(base.mesh);
    EXPECT_EQ(E(IDC_FI_TRACK_TAHO1 + 1)->text(), "Вторичный");
    EXPECT_EQ(E(IDC_FI_FORMULA)->text(), "2.5*Вторичный");
    // A reference of an item not shown since is saved under the new name too.
    t4->bandWidth.tachoRef = "T2";
    t4->bandWidth.tachoRefId = t2->id;
    page.Store();
    EXPECT_EQ(t4->bandWidth.tachoRef, "Вторичный");
}

TEST_F(TrackPanel, AComponentOfTheFourthTachoIsLostOnApply) {
    base.mesh->components = {{"T2", t2->id, 2.0}, {"T4", t4->id, 4.0}};
    Select(base.mesh);
    EXPECT_EQ(E(IDC_FI_FORMULA)->text(), "2*T2 + 4*T4");
    EXPECT_EQ(E(IDC_FI_TRACK_CONST)->text(), "");
    page.Store();
    ASSERT_EQ(base.mesh->components.size(), 1u);
    EXPECT_EQ(base.mesh->components[0].tachoRef, "T2");
}

TEST_F(FreqsPage, TrackRowsWithoutTachoItemsAreDisabled) {
    base.mesh->components = {{"Обороты", base.tacho->id, 1.0}};
    Select(base.mesh);
    EXPECT_TRUE(In<QLineEdit>(page.TrackPanel(), IDC_FI_TRACK_COEF1)->isEnabled());
    EXPECT_FALSE(In<QLineEdit>(page.TrackPanel(), IDC_FI_TRACK_COEF1 + 1)->isEnabled());
    EXPECT_TRUE(In<QLineEdit>(page.TrackPanel(), IDC_FI_TRACK_CONST)->isEnabled());
    EXPECT_EQ(In<QLineEdit>(page.TrackPanel(), IDC_FI_FORMULA)->text(), "1*Обороты");
}

TEST_F(FreqsPage, BandwidthModesActAtOnce) {
    CfgBandWidth& bw = base.mesh->bandWidth;
    bw = {};
    bw.tachoRef = "Обороты";
    Select(base.mesh);
    QWidget* p = page.BandwidthPanel();
    QComboBox* mode = In<QComboBox>(p, IDC_FI_BW_MODE);
    QComboBox* minMode = In<QComboBox>(p, IDC_FI_BW_MIN_MODE);
    QComboBox* channel = In<QComboBox>(p, IDC_FI_BW_CHANNEL);
    QLineEdit* value = In<QLineEdit>(p, IDC_FI_BW_VALUE);
    QLineEdit* minValue = In<QLineEdit>(p, IDC_FI_BW_MIN_VALUE);
    EXPECT_EQ(mode->currentText(), "% от частоты");
    EXPECT_EQ(value->text(), "3.000");
    EXPECT_EQ(minMode->currentText(), "Линии спектра");
    EXPECT_EQ(minValue->text(), "3");
    EXPECT_EQ(channel->currentText(), "Обороты");
    EXPECT_TRUE(channel->isEnabled());

    value->end(false);             // a click behind the text shown from its start
    QTest::keyClicks(value, "5");  // "3.0005"
    EXPECT_DOUBLE_EQ(bw.percentValue, 3.0005);
    minMode->activated(0);  // "Частота в Гц"
    EXPECT_FALSE(bw.inFftBins);
    EXPECT_EQ(minValue->text(), "10.000");

    mode->setCurrentIndex(2);
    mode->activated(2);  // "Линии спектра"
    EXPECT_FALSE(bw.relativeBorders);
    EXPECT_TRUE(bw.inFftBins);
    EXPECT_EQ(channel->currentIndex(), -1);
    EXPECT_EQ(minMode->currentIndex(), -1);
    EXPECT_FALSE(channel->isEnabled());
    EXPECT_FALSE(minValue->isEnabled());
    value->clear();
    QTest::keyClicks(value, "4.7");
    EXPECT_EQ(bw.fftBinsValue, 4);
    // The reference is kept while the borders are not relative.
    page.Store();
    EXPECT_EQ(bw.tachoRef, "Обороты");

    mode->activated(0);
    channel->setCurrentIndex(-1);
    page.Store();
    EXPECT_EQ(bw.tachoRef, "");
    EXPECT_EQ(bw.tachoRefId, -1);
    channel->setCurrentIndex(0);
    page.Store();
    EXPECT_EQ(bw.tachoRefId, base.tacho->id);
}

TEST_F(FreqsPage, ExportWritesTheWholeSectionAndReimportsToTheSameTree) {
    testutil::TempDir dir("freqs");
    Boxes boxes;
    Files files;
    base.mesh->components = {{"Обороты", base.tacho->id, 23.0}, {"", -1, 1.5}};
    base.tacho->tachoChannel = "Rpm";
    base.low->info = "низ";
    Select(base.low);  // a band inside a folder
    files.answer = dir.Path("shaft.json");
    page.ExportButton()->click();
    ASSERT_EQ(files.seen.size(), 1u);
    EXPECT_TRUE(files.seen[0].save);
    EXPECT_EQ(files.seen[0].filter, "Файлы JSON|*.json||");
    EXPECT_EQ(files.seen[0].defaultExt, "json");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "Элемент 'Вал' успешно сохранен в файл '" + *files.answer + "'.");
    EXPECT_EQ(boxes.seen[0].icon, ui::MbIcon::Information);
    EXPECT_EQ(base.shaft->path, *files.answer);
    EXPECT_EQ(cfg.lastJsonFolder, dir.path().string() + "/");

    // Into a configuration of its own: the same tree, references bound.
    CCfgProc other;
    CVantrelFreqsPage second;
    second.SetConfig(&other);
    second.Activate();
    second.Import();
    ASSERT_EQ(other.sections.size(), 1u);
    const CCfgProcSection& back = *other.sections[0];
    EXPECT_EQ(back.name, "Вал");
    EXPECT_EQ(JsonOf(back), JsonOf(*base.shaft));
    EXPECT_EQ(second.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(second.Tree()->topLevelItem(0)->child(1)->childCount(), 2);
    const auto* mesh = static_cast<const CCfgProcBandTrack*>(
        static_cast<const CCfgProcFolder&>(*back.children[1]).children[0].get());
    EXPECT_EQ(mesh->components[0].tachoRefId, back.children[0]->id);
    EXPECT_TRUE(other.frequencyBaseChanged);
}

TEST_F(FreqsPage, ImportRefusesALoadedPathInAnyCaseAndIgnoresBadFiles) {
    testutil::TempDir dir("freqs");
    Boxes boxes;
    Files files;
    ASSERT_TRUE(base.dead->SaveToFile(dir.Path("Dead.json")));
    files.answer = dir.Path("DEAD.JSON");
    page.ImportButton()->click();
    EXPECT_EQ(files.seen.back().save, false);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "Файл '" + *files.answer + "' уже загружен!");
    EXPECT_EQ(boxes.seen[0].caption, "Ошибка!");
    EXPECT_EQ(cfg.sections.size(), 3u);

    testutil::WriteBytes(dir.Path("bad.json"), "{ not json");
    files.answer = dir.Path("bad.json");
    cfg.frequencyBaseChanged = false;
    page.ImportButton()->click();
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(cfg.sections.size(), 3u);
    EXPECT_FALSE(cfg.frequencyBaseChanged);
    EXPECT_EQ(files.seen.back().initial, dir.path().string() + "/");

    // A cancelled dialog changes nothing either.
    files.answer.reset();
    page.ImportButton()->click();
    EXPECT_EQ(cfg.sections.size(), 3u);
}

TEST_F(FreqsPage, ExportFailureIsReportedAndKeepsTheNewPath) {
    Boxes boxes;
    Files files;
    files.answer = "/nonexistent-folder/x.json";
    page.ExportButton()->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text,
              "Ошибка при сохранении элемента 'Вал' в файл '/nonexistent-folder/x.json'.");
    EXPECT_EQ(boxes.seen[0].icon, ui::MbIcon::Error);
    EXPECT_EQ(base.shaft->path, "/nonexistent-folder/x.json");
}

TEST_F(FreqsPage, ReloadRebuildsTheTreeFromTheConfiguration) {
    Select(base.low);
    cfg.sections.erase(cfg.sections.begin());  // the main dialog replaced the base
    page.Reload();
    EXPECT_EQ(page.Tree()->topLevelItemCount(), 2);
    EXPECT_EQ(page.CurrentItem(), base.dead);
    EXPECT_EQ(page.BasePanel()->Item(), base.dead);
    // Inactive: the rebuild waits for the next activation.
    page.Deactivate();
    cfg.sections.erase(cfg.sections.begin());
    page.Reload();
    EXPECT_EQ(page.BasePanel()->Item(), nullptr);
    page.Activate();
    EXPECT_EQ(page.Tree()->topLevelItemCount(), 1);
}

}  // namespace
