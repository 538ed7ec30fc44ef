#pragma once
// The plug-in's windows as Qt shows them: the main dialog, the progress
// window, the report window and the add-point command.

#include <memory>

#include "shell/plugin/windows.h"

namespace vantrel {

// Without a Qt application in the process (a host without a desktop) the
// commands that need a window do nothing.
std::unique_ptr<IPluginWindows> MakeQtWindows();

}  // namespace vantrel
