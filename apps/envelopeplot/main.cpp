// vantrel-envelope: the PNG of "vantrel envelope" (same arguments). It draws
// without a display: the offscreen platform is used unless another is set.

#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "apps/common/plotter_main.h"
#include "apps/envelopeplot/draw.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = plotmain::Start("envelope", argc, argv);
    vantrel::EnvelopeArgs a;
    std::string error;
    const bool parsed = vantrel::ParseEnvelopeArgs(args, a, error);
    if (plotmain::AnswerHelp("envelope", a.help, argc, argv)) return vantrel::kExitOk;
    if (!parsed || a.png.empty()) return plotmain::UsageError("envelope", error);
    vantrel::EnvelopeAnalysis r;
    if (const int code = vantrel::AnalyseEnvelope(a, r, error); code != vantrel::kExitOk) {
        std::cerr << "vantrel-envelope: " << error << '\n';
        return code;
    }
    QGuiApplication app(argc, argv);
    if (!plotmain::SavePng("envelope", envelopeplot::DrawEnvelope(r), a.png))
        return vantrel::kExitOutput;
    std::cout << "Written: " << a.png << '\n';
    return vantrel::kExitOk;
}
