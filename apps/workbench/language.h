#pragma once
// The workbench's language: Russian or English, from --lang or else the
// locale, through Qt's translators (the tables are built into the program).

#include <QString>

namespace workbench {

// "ru" or "en": asked when it is one of them, else Russian for a Russian
// locale (LC_ALL, LC_MESSAGES, LANG) and English for any other.
QString ChooseLanguage(const QString& asked = {});

// Makes lang ("ru" or "en") the language of every window made from now on,
// replacing the one installed before; false when its table is missing.
bool InstallLanguage(const QString& lang);

}  // namespace workbench
