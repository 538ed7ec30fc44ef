#pragma once
// Screenshots of the frequency-base page, the general page and the signals
// dialog; returns the number of pictures written and counts failures.

#include <QDir>

#include "config/cfgproc.h"
#include "korvex/host.h"

int ShootFreqWindows(const QDir& dir, int dpi, CCfgProc& cfg, const plat::ObjPtr<korvex::Host>& kh,
                     int& failed);
