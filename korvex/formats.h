#pragma once
// The data files' declarations moved to korvex/formats/formats.h; this
// path keeps working for code that includes it.

#include "korvex/formats/formats.h"
