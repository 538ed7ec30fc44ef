#pragma once
// Lays out on the main window the views the command line asks for.

#include <string>

#include "apps/workbench/cmdline.h"

namespace workbench {

class MainWindow;

// The requested graph window with its range and cursors; "" when done, else
// what could not be shown. Without a requested graph the cursor options go
// to the active graph window.
std::string ShowRequestedViews(MainWindow& w, const Options& o);

// Lets the maps being computed and the overviews being read finish (for a
// screenshot), at most timeoutSeconds; false when one was still running then.
bool WaitForViews(MainWindow& w, double timeoutSeconds);

// Why the spectrum and map graphs shown say a message instead of their data
// (a signal too short for a block, bad parameters, a map stopped), one
// line each; "" when every one was made.
std::string ViewFailures(MainWindow& w);

// The picture of the workbench without requested views: the first data set
// in two graphs (its second signal, or the first, and its last one), the
// cursor at 40 % of the time span.
void ShowFirstDataSet(MainWindow& w);

}  // namespace workbench
