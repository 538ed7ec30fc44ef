#pragma once
// Screenshots of the main dialog on each of its pages and of the progress
// window during and after a calculation; returns the number of pictures
// written and counts failures.

#include <QDir>

#include "config/cfgproc.h"
#include "korvex/host.h"

int ShootMainWindows(const QDir& dir, int dpi, const CCfgProc& cfg,
                     const plat::ObjPtr<korvex::Host>& kh, int& failed);
