// The resource module: texts in UTF-8, argument formatting, a second module, geometries.

#include <gtest/gtest.h>

#include <set>

#include "platform/text.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"

using namespace res;

namespace {

// Restores the own module whatever a test installed.
struct ModuleGuard {
    ~ModuleGuard() { InstallModule(nullptr); }
};

bool Overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

}  // namespace

TEST(StringTable, CarriesTheNumberedTextsInUtf8ThatFitCp1251) {
    EXPECT_EQ(Str(IDS_CALC_DONE), "Расчет закончен");
    EXPECT_EQ(Str(IDS_ERROR), "Ошибка!");
    EXPECT_EQ(Str(IDS_WARNING), "Внимание!");
    EXPECT_EQ(Str(IDS_APP), "Vantrel");
    EXPECT_EQ(Str(IDS_UNIT_POINTS), "тчк.");
    EXPECT_EQ(Str(IDS_UNIT_SECONDS), "сек.");
    EXPECT_EQ(Str(IDS_BUTTON_REPORT), "Отчет\nПоказать таблицу с отчетом");
    for (int id : {110,  111,  200,  201,  202,  210,  211,  300,  301,  310,
                   311,  500,  501,  1000, 1001, 1002, 2000, 2010, 2012, 2300,
                   3000, 3001, 3002, 3010, 3011, 3012, 3020, 3022, 3026, 3027}) {
        const std::string s = Str(id);
        EXPECT_FALSE(s.empty()) << id;
        EXPECT_TRUE(plat::IsValidUtf8(s)) << id;
        EXPECT_TRUE(plat::FitsCp1251(s)) << id;
    }
    EXPECT_EQ(Str(99999), "");
}

TEST(StringTable, FormatsOnlyItsOwnArgumentsInOrder) {
    EXPECT_EQ(Format(IDS_MAIN_TITLE, {"a.cfg"}), "Vantrel. Файл конфигурации: a.cfg");
    EXPECT_EQ(Format(IDS_DEFAULTS_TITLE, {Str(IDS_ALG_TACHO)}), "Настройки по умолчанию: Тахо");
    // A translated format with more conversions than arguments cannot read past them.
    EXPECT_EQ(FormatText("%s/%d/%s %% %x", {"a", "1"}), "a/1/ % %x");
    EXPECT_EQ(FormatText("100%", {}), "100%");
    EXPECT_EQ(Format(IDS_REPORT_CAPTION_TIME, {"12.5"}), "Отчет, время: 12.5 сек.");
    EXPECT_EQ(FormatText("%.2f%%|%q", {"1.50"}), "1.50%|%q");
}

TEST(ResourceModule, ASecondModuleReplacesWhatItCarriesAndFallsBackForTheRest) {
    ModuleGuard guard;
    TableModule english;
    english.strings[IDS_CALC_DONE] = "Calculation finished";
    DialogTemplate d;
    d.id = IDD_ITEM_SIGNAL;
    d.caption = "Channel";
    english.dialogs[d.id] = d;
    InstallModule(&english);
    EXPECT_EQ(Str(IDS_CALC_DONE), "Calculation finished");
    EXPECT_EQ(Str(IDS_ERROR), "Ошибка!");
    EXPECT_EQ(Dialog(IDD_ITEM_SIGNAL)->caption, "Channel");
    EXPECT_EQ(Dialog(IDD_ITEM_TAHO), OwnModule().Dialog(IDD_ITEM_TAHO));
    InstallModule(nullptr);
    EXPECT_EQ(Str(IDS_CALC_DONE), "Расчет закончен");
}

TEST(DialogTemplates, GivenGeometriesAndControlsStayInsideWithoutOverlap) {
    const Control* list = Dialog(IDD_PROC)->Find(IDC_CHANNELS);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->rect.x, 7);
    EXPECT_EQ(list->rect.h, 204);
    const Control* area = Dialog(IDD_PROC)->Find(IDC_PLACEHOLDER);
    EXPECT_EQ(area->rect.w, 165);
    EXPECT_EQ(area->rect.h, 231);
    EXPECT_EQ(Dialog(IDD_MAIN)->Find(IDC_CALC)->rect.w, 68);
    EXPECT_EQ(Dialog(IDD_SIGNALS)->width, 316);

    // The stacked panels fill the panel area of the setup page.
    auto h = [](int id) { return Dialog(id)->height; };
    EXPECT_EQ(h(IDD_ITEM_SIGNAL) + h(IDD_ITEM_BASE) + h(IDD_ITEM_FFT), area->rect.h);
    EXPECT_EQ(h(IDD_ITEM_SIGNAL) + h(IDD_ITEM_TAHO), area->rect.h);

    for (int id : {IDD_MAIN, IDD_SIGNALS, IDD_GENERAL, IDD_PROC, IDD_ITEM_SIGNAL, IDD_ITEM_BASE,
                   IDD_ITEM_FFT, IDD_ITEM_TAHO, IDD_PROGRESS, IDD_DEFAULTS, IDD_FREQS, IDD_REPORT,
                   IDD_REPORT_PAGE, IDD_REPORT_AUTO, IDD_KIN_BEARING, IDD_KIN_GEAR}) {
        const DialogTemplate* t = Dialog(id);
        ASSERT_NE(t, nullptr) << id;
        std::set<int> ids;
        for (const Control& c : t->controls) {
            EXPECT_GE(c.rect.x, 0) << id;
            EXPECT_LE(c.rect.x + c.rect.w, t->width) << id << " " << c.text;
            EXPECT_LE(c.rect.y + c.rect.h, t->height) << id << " " << c.text;
            if (c.id != kStatic) {
                EXPECT_TRUE(ids.insert(c.id).second) << id << " duplicate " << c.id;
            }
        }
        // Controls other than group boxes and the frame never overlap; a check
        // box may sit on a group box's edge.
        for (size_t i = 0; i < t->controls.size(); ++i)
            for (size_t j = i + 1; j < t->controls.size(); ++j) {
                const Control& a = t->controls[i];
                const Control& b = t->controls[j];
                if (a.kind == Kind::GroupBox || b.kind == Kind::GroupBox || a.kind == Kind::Frame ||
                    b.kind == Kind::Frame)
                    continue;
                EXPECT_FALSE(Overlap(a.rect, b.rect))
                    << id << ": '" << a.text << "' (" << a.id << ") and '" << b.text << "' ("
                    << b.id << ")";
            }
    }
}

TEST(MainMenu, HasTheCommandsAndSeparators) {
    const Menu* m = FindMenu(IDR_MAIN_MENU);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->items.size(), 2u);
    const auto& file = m->items[0].items;
    ASSERT_EQ(file.size(), 8u);
    EXPECT_EQ(file[0].id, ID_LOAD_DATA);
    EXPECT_TRUE(file[1].IsSeparator());
    EXPECT_EQ(file[5].text, "Сохранить конфигурацию как ...");
    EXPECT_TRUE(file[6].IsSeparator());
    EXPECT_EQ(file[7].id, ID_ABOUT);
    EXPECT_EQ(m->items[1].text, "Настройки по умолчанию");
    EXPECT_EQ(m->items[1].items[0].id, ID_DEFAULTS_FFT);
    EXPECT_EQ(m->items[1].items[1].text, "Тахо");
}
