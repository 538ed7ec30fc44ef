// The plotter programs' common start, help and PNG writing.

#include "apps/common/plotter_main.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "apps/common/qt_quiet.h"
#include "apps/common/version.h"
#include "apps/vantrel/commands.h"
#include "apps/vantrel/job.h"
#include "apps/vantrel/plotter.h"

namespace plotmain {

namespace {

std::string Program(const char* command) {
    return std::string("vantrel-") + command;
}

}  // namespace

std::vector<std::string> Start(const char* command, int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    appversion::QuietQtRuntimeNoise();
    std::vector<std::string> args{command};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

bool AnswerHelp(const char* command, bool help, int argc, char** argv) {
    if (!help && !appversion::AsksVersion(argc, argv)) return false;
    std::cout << appversion::VersionText(
        Program(command),
        {appversion::FftwVersion(), appversion::MatioVersion(), appversion::QtVersion()});
    if (help)
        std::cout << "\nDraws the PNG of \"vantrel " << command
                  << "\", which starts it; the same options:\n\n"
                  << vantrel::CommandHelp(*vantrel::FindCommand(command));
    return true;
}

int UsageError(const char* command, const std::string& error) {
    std::cerr << Program(command) << ": " << (error.empty() ? "--png OUT.png is needed" : error)
              << " (see " << Program(command) << " --help)\n";
    return vantrel::kExitUsage;
}

bool SavePng(const char* command, const QImage& image, const std::string& png) {
    const std::string temp = vantrel::PlotterTempPng(png);
    if (image.save(QString::fromStdString(temp), "PNG") &&
        std::rename(temp.c_str(), png.c_str()) == 0)
        return true;
    std::remove(temp.c_str());
    std::cerr << Program(command) << ": cannot write \"" << png << "\"\n";
    return false;
}

}  // namespace plotmain
