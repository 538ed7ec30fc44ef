#pragma once
// The English resource set: the same string, template and menu ids as the
// own module. The plgVantrel_ENU library carries it; the tests check it
// against the own module.

#include <map>
#include <string>

#include "ui/res/resources.h"

namespace res {

// The string table in English. Host object names (the result root, the
// tacho folder, the operator names) stay as the host knows them.
std::map<int, std::string> EnglishStrings();
// Captions, control texts and menu texts of the own templates, by their
// own text.
const std::map<std::string, std::string>& EnglishTemplateTexts();
// The whole module: the English strings, and the own templates and menu
// with their texts translated (same geometry, same ids).
TableModule EnglishModule();

}  // namespace res
