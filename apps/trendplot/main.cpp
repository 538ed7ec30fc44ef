// vantrel-trend: the PNG of "vantrel trend" (same arguments). It draws
// without a display: the offscreen platform is used unless another is set.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "apps/vantrel/trend_cmd.h"
#include "ui/trendplot.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> args{"trend"};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    vantrel::TrendArgs a;
    std::string error;
    if (!vantrel::ParseTrendArgs(args, a, error) || a.png.empty()) {
        std::cerr << "vantrel-trend: " << (error.empty() ? "--png OUT.png is needed" : error)
                  << " (see vantrel --help)\n";
        return vantrel::kExitUsage;
    }
    Trend trend;
    if (!vantrel::LoadTrend(a, trend, error)) {
        std::cerr << "vantrel-trend: " << error << '\n';
        return vantrel::kExitInput;
    }
    QGuiApplication app(argc, argv);
    const QImage image = trendplot::DrawTrend(trend);
    // Written beside the target and renamed, so a failed write leaves no half file.
    const std::string temp = a.png + ".tmp.png";
    if (!image.save(QString::fromStdString(temp), "PNG") ||
        std::rename(temp.c_str(), a.png.c_str()) != 0) {
        std::remove(temp.c_str());
        std::cerr << "vantrel-trend: cannot write " << a.png << '\n';
        return vantrel::kExitOutput;
    }
    std::cout << "Written: " << a.png << " (" << trend.points.size() << " points)\n";
    return vantrel::kExitOk;
}
