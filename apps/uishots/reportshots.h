#pragma once
// Screenshots of the report page, the report window following a graph
// cursor over a finished calculation, and the automatic-report dialog;
// returns the number of pictures written and counts failures.

#include <QDir>

#include "config/cfgproc.h"
#include "korvex/host.h"

int ShootReportWindows(const QDir& dir, int dpi, const CCfgProc& demo,
                       const plat::ObjPtr<korvex::Host>& kh, int& failed);
