#pragma once
// For programs that draw offscreen from a script: Qt's complaint that the
// session has no runtime folder (a cron job, a container, ssh) says nothing
// about the work and would read as a failure on stderr. Everything else Qt
// says is passed on.

#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace appversion {

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
