#pragma once
// The general page: the source data set, chosen from the host's folders,
// and the result text.

#include <QWidget>
#include <string>

#include "config/cfgproc.h"

namespace host {
class App;
}

class CVantrelGeneralPage : public QWidget {
  public:
    explicit CVantrelGeneralPage(QWidget* parent = nullptr);

    void SetHost(const host::App* app) { app_ = app; }
    void SetConfig(CCfgProc* cfg) { cfg_ = cfg; }
    // Builds the page window (once) and shows the configuration's texts.
    bool Create();
    // Writes the two edits into the configuration.
    void Apply();
    // A data file was loaded: a non-empty name goes into the source edit.
    void ShowSourceName(const std::string& name);
    // The "..." button: choose the data set in the signals dialog.
    void Browse();

  private:
    CCfgProc* cfg_ = nullptr;
    const host::App* app_ = nullptr;
    bool created_ = false;
};
