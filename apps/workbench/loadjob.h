#pragma once
// A data file opened on a worker thread, so the window keeps drawing while
// a long recording is copied for reading from the disk (the first opening of
// a long TDMS, MAT, CSV ... file); a progress window with a stop button
// shows once the copy takes longer than half a second.

#include <QString>
#include <string>

#include "korvex/formats/readers.h"
#include "korvex/host.h"

class QWidget;

namespace workbench {

struct Loaded {
    plat::ObjPtr<korvex::FolderObj> folder;  // null when the file was not opened
    std::string message;                     // why not
    bool stopped = false;                    // the user stopped it
};

Loaded LoadWithProgress(QWidget* parent, korvex::Host& host, const QString& path,
                        korvex::ReadOptions options);

}  // namespace workbench
