// vantrel-trend: the PNG of "vantrel trend" (same arguments). It draws
// without a display: the offscreen platform is used unless another is set.
// Its words are the plug-in's (Russian) or English, by --lang or the locale.

#include <QGuiApplication>
#include <QLocale>
#include <QStringList>
#include <iostream>
#include <string>
#include <vector>

#include "apps/common/plotter_main.h"
#include "apps/vantrel/trend_cmd.h"
#include "ui/res/en/english.h"
#include "ui/res/resources.h"
#include "ui/trendplot.h"

namespace {

// The language asked (--lang), else the locale's: Russian for a Russian
// one, English for any other, as the workbench chooses.
bool Russian(const std::string& lang) {
    if (!lang.empty()) return lang == "ru";
    const QStringList ui = QLocale::system().uiLanguages();
    return !ui.isEmpty() && QLocale(ui.front()).language() == QLocale::Russian;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = plotmain::Start("trend", argc, argv);
    vantrel::TrendArgs a;
    std::string error;
    const bool parsed = vantrel::ParseTrendArgs(args, a, error);
    if (plotmain::AnswerHelp("trend", a.help, argc, argv)) return vantrel::kExitOk;
    if (!parsed || a.png.empty()) return plotmain::UsageError("trend", error);
    Trend trend;
    if (!vantrel::LoadTrend(a, trend, error)) {
        std::cerr << "vantrel-trend: " << error << '\n';
        return vantrel::kExitInput;
    }
    QGuiApplication app(argc, argv);
    static const res::TableModule english = res::EnglishModule();
    const res::Module& words = Russian(a.lang) ? res::OwnModule() : english;
    const QImage image =
        trendplot::DrawTrend(trend, 1100, 620, trendplot::ModuleTexts(words, trend.query));
    if (!plotmain::SavePng("trend", image, a.png)) return vantrel::kExitOutput;
    std::cout << "Written: " << a.png << " (" << trend.points.size() << " points)\n";
    return vantrel::kExitOk;
}
