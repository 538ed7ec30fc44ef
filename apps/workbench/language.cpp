// Picks and installs the workbench's translation tables.

#include "apps/workbench/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <memory>

// The tables are a resource of a static library: it is initialised by name,
// from the global namespace.
static void InitTables() {
    Q_INIT_RESOURCE(workbench_i18n);
}

namespace workbench {

namespace {

// Qt's own texts the workbench shows (dialog buttons, a graph window's
// menu, the log's and the number boxes' menus), in the workbench's tables: Qt's are used too when
// installed, but they are not always there.
[[maybe_unused]] const char* const kQtTexts[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Close"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "&Restore"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "&Move"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "&Size"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "Mi&nimize"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "Ma&ximize"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "Stay on &Top"),
    QT_TRANSLATE_NOOP("QMdiSubWindow", "&Close"),
    QT_TRANSLATE_NOOP("QWidgetTextControl", "&Copy"),
    QT_TRANSLATE_NOOP("QWidgetTextControl", "Copy &Link Location"),
    QT_TRANSLATE_NOOP("QWidgetTextControl", "Select All"),
    QT_TRANSLATE_NOOP("QLineEdit", "&Undo"),
    QT_TRANSLATE_NOOP("QLineEdit", "&Redo"),
    QT_TRANSLATE_NOOP("QLineEdit", "Cu&t"),
    QT_TRANSLATE_NOOP("QLineEdit", "&Copy"),
    QT_TRANSLATE_NOOP("QLineEdit", "&Paste"),
    QT_TRANSLATE_NOOP("QLineEdit", "Delete"),
    QT_TRANSLATE_NOOP("QLineEdit", "Select All"),
};

std::unique_ptr<QTranslator>& Own() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

std::unique_ptr<QTranslator>& Qts() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

void Drop(std::unique_ptr<QTranslator>& t) {
    if (!t) return;
    QCoreApplication::removeTranslator(t.get());
    t.reset();
}

}  // namespace

QString ChooseLanguage(const QString& asked) {
    if (asked == "ru" || asked == "en") return asked;
    // The first of the user's interface languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
    const QStringList ui = QLocale::system().uiLanguages();
    return !ui.isEmpty() && QLocale(ui.front()).language() == QLocale::Russian ? "ru" : "en";
}

bool InstallLanguage(const QString& lang) {
    static const bool tables = (InitTables(), true);
    (void)tables;
    Drop(Own());
    Drop(Qts());
    // Qt's table first: the workbench's own, installed last, answers first.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load("qtbase_" + lang, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(qt.get()))
        Qts() = std::move(qt);
    auto own = std::make_unique<QTranslator>();
    if (!own->load(":/i18n/workbench_" + lang + ".qm") ||
        !QCoreApplication::installTranslator(own.get()))
        return false;
    Own() = std::move(own);
    return true;
}

}  // namespace workbench
