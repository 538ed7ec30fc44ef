// vantrel-trend: the PNG of "vantrel trend" (same arguments). It draws
// without a display: the offscreen platform is used unless another is set.
// Its words are the plug-in's (Russian) or English, by --lang or the locale.

#include <QGuiApplication>
#include <QLocale>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "apps/common/qt_quiet.h"
#include "apps/common/version.h"
#include "apps/vantrel/commands.h"
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
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    appversion::QuietQtRuntimeNoise();
    std::vector<std::string> args{"trend"};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    vantrel::TrendArgs a;
    std::string error;
    const bool parsed = vantrel::ParseTrendArgs(args, a, error);
    if (a.help || appversion::AsksVersion(argc, argv)) {
        std::cout << appversion::VersionText(
            "vantrel-trend",
            {appversion::FftwVersion(), appversion::MatioVersion(), appversion::QtVersion()});
        if (a.help)
            std::cout
                << "\nDraws the PNG of \"vantrel trend\", which starts it; the same options:\n\n"
                << vantrel::CommandHelp(*vantrel::FindCommand("trend"));
        return vantrel::kExitOk;
    }
    if (!parsed || a.png.empty()) {
        std::cerr << "vantrel-trend: " << (error.empty() ? "--png OUT.png is needed" : error)
                  << " (see vantrel-trend --help)\n";
        return vantrel::kExitUsage;
    }
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
    // Written beside the target and renamed, so a failed write leaves no half file.
    const std::string temp = a.png + ".tmp.png";
    if (!image.save(QString::fromStdString(temp), "PNG") ||
        std::rename(temp.c_str(), a.png.c_str()) != 0) {
        std::remove(temp.c_str());
        std::cerr << "vantrel-trend: cannot write \"" << a.png << "\"\n";
        return vantrel::kExitOutput;
    }
    std::cout << "Written: " << a.png << " (" << trend.points.size() << " points)\n";
    return vantrel::kExitOk;
}
