// vantrel-envelope: the PNG of "vantrel envelope" (same arguments). It draws
// without a display: the offscreen platform is used unless another is set.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "apps/envelopeplot/draw.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> args{"envelope"};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    vantrel::EnvelopeArgs a;
    std::string error;
    if (!vantrel::ParseEnvelopeArgs(args, a, error) || a.png.empty()) {
        std::cerr << "vantrel-envelope: " << (error.empty() ? "--png OUT.png is needed" : error)
                  << " (see vantrel envelope --help)\n";
        return vantrel::kExitUsage;
    }
    vantrel::EnvelopeAnalysis r;
    if (const int code = vantrel::AnalyseEnvelope(a, r, error); code != vantrel::kExitOk) {
        std::cerr << "vantrel-envelope: " << error << '\n';
        return code;
    }
    QGuiApplication app(argc, argv);
    const QImage image = envelopeplot::DrawEnvelope(r);
    // Written beside the target and renamed, so a failed write leaves no half file.
    const std::string temp = a.png + ".tmp.png";
    if (!image.save(QString::fromStdString(temp), "PNG") ||
        std::rename(temp.c_str(), a.png.c_str()) != 0) {
        std::remove(temp.c_str());
        std::cerr << "vantrel-envelope: cannot write " << a.png << '\n';
        return vantrel::kExitOutput;
    }
    std::cout << "Written: " << a.png << '\n';
    return vantrel::kExitOk;
}
