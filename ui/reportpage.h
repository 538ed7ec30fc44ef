#pragma once
// The report page of the main dialog: test programs with their feature
// channel and steady modes, the layout options of a report entry and the
// header channels. It edits the main dialog's working copy of the
// configuration; Apply writes what the controls hold back into it.

#include <QWidget>
#include <string>

#include "config/cfgproc.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

class CVantrelReportPage : public QWidget {
  public:
    explicit CVantrelReportPage(QWidget* parent = nullptr);

    void SetConfig(CCfgProc* cfg) { cfg_ = cfg; }
    // Builds the page window (once) and shows the configuration.
    bool Create();
    bool IsCreated() const { return created_; }
    // Each time the page becomes the active page: the channel lists again
    // from the channel names (a data set may have been loaded since).
    void Activate();
    // Stores the current program and mode, the options and the header
    // channels into the configuration.
    void Apply();
    // The configuration was replaced under the page (new, open): show it anew.
    void Reload();

    // The page's operations, as its buttons and lists call them.
    void SelectProgram(int index);
    void ShowMode(int index);
    void ApplyMode();
    void ApplyProgram();
    void AddProgram();
    void DeleteProgram();
    void AddMode();
    void DeleteMode();
    void MoveMode(int step);  // -1 up, +1 down
    void AddHeaderChannel();
    void AddAllHeaderChannels();
    void UpdateEnabling();

    int CurrentProgram() const { return program_; }
    int CurrentMode() const { return mode_; }
    QTableWidget* Modes() const { return modes_; }

  private:
    void ShowConfig();
    ReportProgram* Program() const;
    ReportMode* Mode() const;
    void FillChannelLists();  // the feature and header channel lists
    void SelectFeatureChannel(const std::string& channel);
    void SetModeText(int row, const std::string& name);
    void SelectModeRow(int row);
    void OnModeSelection(const std::vector<int>& deselected, const std::vector<int>& selected);
    QLineEdit* Edit(int id) const;

    CCfgProc* cfg_ = nullptr;
    QTableWidget* modes_ = nullptr;
    QComboBox* programs_ = nullptr;
    QComboBox* feature_ = nullptr;
    QComboBox* channel_ = nullptr;
    int program_ = -1;
    int mode_ = -1;
    bool notify_ = true;
    bool created_ = false;
};
