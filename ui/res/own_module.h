#pragma once
// The contents of the plug-in's own (Russian) resource module.

#include <map>
#include <string>
#include <vector>

#include "ui/res/resources.h"

namespace res {

std::map<int, std::string> OwnStrings();
std::vector<DialogTemplate> OwnDialogs();
// The frequency-base page's item panels.
std::vector<DialogTemplate> FreqItemDialogs();
// The page's bearing and gear-pair calculators.
std::vector<DialogTemplate> KinDialogs();
Menu OwnMainMenu();

}  // namespace res
