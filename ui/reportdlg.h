#pragma once
// The report window: modeless and resizable, it follows the host's graph
// cursor with the band table of that moment and appends report entries to
// the report file. The table itself (rows, values, entries) is the Qt-free
// CReportTable; this window only shows it and forwards the buttons.

#include <QDialog>
#include <QSize>
#include <string>

#include "config/cfgproc.h"
#include "report/report_table.h"
#include "shell/host.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

class CReportDlg : public QDialog, public IReportView {
  public:
    // cfg is the plug-in's own configuration; the window keeps its layout
    // (rectangle, column widths, report file) in cfg->report.
    CReportDlg(const host::App& app, CCfgProc* cfg, QWidget* parent = nullptr);
    ~CReportDlg() override;

    // Follows the host's cursor; true when the values changed.
    bool RefreshAtCursor() { return table_.RefreshAtCursor(); }
    bool FillAutomatically(const std::string& program) { return table_.FillAutomatically(program); }

    // The buttons: the report button appends an entry at the last cursor time, "..."
    // chooses the report file.
    void OnReport();
    void OnBrowse();

    CReportTable& Table() { return table_; }
    QTableWidget* List() const { return list_; }
    bool IsInitialised() const { return initialised_; }

    // IReportView
    int InsertRow(const std::string& column0) override;
    void SetCellText(int row, int column, const std::string& text) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    void EnableReportButton(bool enable) override;
    void SetCaption(const std::string& text) override;
    void SetRowState(int row, LimitState state) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Init();
    void MoveControl(int id, int dx, int dy, int dw, int dh);
    void StoreRect();
    void StoreColumnWidths();

    CCfgProc* cfg_;
    CReportTable table_;
    QTableWidget* list_ = nullptr;
    QPushButton* report_ = nullptr;
    QLineEdit* file_ = nullptr;
    QSize lastSize_;  // client size at the last resize
    bool initialised_ = false;
};
