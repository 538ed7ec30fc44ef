#pragma once
// A language library: a shared library beside the plug-in that carries a
// resource module with the plug-in's ids. It exports one C function, which
// hands out the module for the interface version the caller was built with
// (null for another version). The module lives as long as the library stays
// loaded.

#include "ui/res/resources.h"

namespace res {

inline constexpr int kResourceAbi = 1;
inline constexpr const char* kResourceEntry = "VantrelResourceModule";
using ResourceEntry = const Module* (*)(int abi);

}  // namespace res
