// Texts of the main dialog and the progress window, and the data-set name of
// a loaded file's folder.

#include <gtest/gtest.h>

#include "processing/strings.h"
#include "ui/rules/mainrules.h"

namespace {

TEST(MainRules, OutcomeTextPerResultCode) {
    EXPECT_EQ(mainrules::OutcomeText(OrdResultOk), "Расчет закончен");
    EXPECT_EQ(mainrules::OutcomeText(OrdResultStopped), "Расчет прерван пользователем");
    EXPECT_EQ(mainrules::OutcomeText(OrdResultNoSource), "Не найдены сигналы с исходными данными");
    EXPECT_EQ(mainrules::OutcomeText(OrdResultNoAutoSpectrum), "Не найден алгоритм АвтоСпектр");
    EXPECT_EQ(mainrules::OutcomeText(OrdResultNoTacho), "Не найден алгоритм Тахо");
    for (int other : {2, 4, 5, 6, 9, -1})
        EXPECT_EQ(mainrules::OutcomeText(other), "Расчет остановлен: неизвестная ошибка") << other;
}

TEST(MainRules, ChannelTextByType) {
    EXPECT_EQ(mainrules::ChannelText("T1", 2), "Канал: T1, расчет тахо.");
    EXPECT_EQ(mainrules::ChannelText("A1", 1), "Канал: A1, расчет частотных диапазонов.");
    EXPECT_EQ(mainrules::ChannelText("%s", 3), "Канал: %s, расчет частотных диапазонов.");
}

TEST(MainRules, TitleAndAbout) {
    EXPECT_EQ(mainrules::MainTitle(""), "Vantrel. Файл конфигурации: ---");
    EXPECT_EQ(mainrules::MainTitle("/d/a.cfg"), "Vantrel. Файл конфигурации: /d/a.cfg");
    const std::string about = mainrules::AboutText("1.2.3.4");
    EXPECT_EQ(about.rfind("Плагин \"Vantrel\", вер. 1.2.3.4\n", 0), 0u) << about;
}

TEST(MainRules, DataSetNameOnlyBelowTheSignalsRoot) {
    EXPECT_EQ(mainrules::DataSetName("/Signals/gearbox"), "gearbox");
    EXPECT_EQ(mainrules::DataSetName("/Signals/gearbox/"), "gearbox");
    EXPECT_EQ(mainrules::DataSetName("/Signals/a/b"), "a/b");
    for (const char* outside : {"", "/Signals/", "/Signals", "/Sig", "/Operators/x"})
        EXPECT_EQ(mainrules::DataSetName(outside), "") << outside;
}

TEST(MainRules, GrowthOnlyWhenTheChildDiffers) {
    EXPECT_FALSE(mainrules::GrowthFor(400, 200, 400, 200).Any());
    const mainrules::Growth g = mainrules::GrowthFor(450, 190, 400, 200);
    EXPECT_EQ(g.dx, 50);
    EXPECT_EQ(g.dy, -10);
    EXPECT_TRUE(g.Any());
}

}  // namespace
