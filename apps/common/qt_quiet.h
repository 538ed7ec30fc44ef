#pragma once
// The Qt side of the programs' common start: Qt's version for --version, and
// for programs that draw offscreen from a script, silence about the session
// having no runtime folder (a cron job, a container, ssh), which says nothing
// about the work and would read as a failure on stderr. Everything else Qt
// says is passed on.

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <string>

namespace appversion {

// "Qt 6.4.2", the library the program runs with.
inline std::string QtVersion() {
    return std::string("Qt ") + qVersion();
}

inline QtMessageHandler& PreviousQtHandler() {
    static QtMessageHandler previous = nullptr;
    return previous;
}

inline void QuietQtHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
    if (QtMessageHandler previous = PreviousQtHandler())
        previous(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// Call before the application object is made.
inline void QuietQtRuntimeNoise() {
    PreviousQtHandler() = qInstallMessageHandler(QuietQtHandler);
}

}  // namespace appversion
