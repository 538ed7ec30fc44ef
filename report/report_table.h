#pragma once
// The report table at one moment of a measurement: one block per processed
// channel, one row per frequency item measured on it, with the item's
// frequency, its band level and the bands of the same channel that lie on
// the same frequency. The window that shows it is reached through
// IReportView, so the same code runs headless; the table follows the host's
// graph cursor and writes report entries into an RTF file.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "config/limits.h"
#include "platform/autodate.h"
#include "report/modes.h"
#include "report/rtf/rtf.h"
#include "shell/host.h"

// What the table needs of the window's list and controls. Rows are
// appended; a row index stays valid until the rows are deleted.
class IReportView {
  public:
    virtual ~IReportView() = default;
    // Appends a row with column 0 set; returns its index.
    virtual int InsertRow(const std::string& column0) = 0;
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void EnableReportButton(bool enable) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    // Marks a row by the state of its level (LimitState: alert amber,
    // danger red, anything else unmarked).
    virtual void SetRowState(int /*row*/, LimitState /*state*/) {}
};

struct ReportRow {
    std::string channel;
    int32_t itemId = 0;
    int32_t listIndex = 0;  // row of the window's list
    host::Signal signal;    // the result signal, once bound
};

struct ChannelValues {
    std::map<int32_t, std::string> coincidences;  // by item id
    std::map<int32_t, std::string> levels;        // by item id
    // Only items with limits, or judged by the channel's zones.
    std::map<int32_t, LimitState> states;  // by item id
    std::map<int32_t, Zone> zones;         // by item id
};

struct TachoValue {
    std::string signalName;
    host::Signal signal;
    double value = 0.0;  // the rotation frequency at the current time, in hertz
};

// One entry written by an automatic fill (ok) or the one that failed.
using ReportEntryObserver = std::function<void(const ModeEvent& event, bool ok)>;

class CReportTable {
  public:
    // cfg is the plug-in's own configuration, not a copy; view may be null.
    CReportTable(const host::App& app, CCfgProc* cfg, IReportView* view = nullptr);
    virtual ~CReportTable();
    CReportTable(const CReportTable&) = delete;
    CReportTable& operator=(const CReportTable&) = delete;

    virtual void ClearRows();
    virtual void RebuildRows();
    virtual void BindSignals();
    // The first signal named name (case-insensitive) in folder or below it,
    // depth first; a null signal when there is none.
    virtual host::Signal FindSignalByName(const host::Folder& folder,
                                          const std::string& name) const;
    virtual std::string FrequencyText(const CCfgProcItem* item) const;
    // t in seconds from the start of the measurement.
    virtual bool ValuesAtTime(double t);
    virtual void ShowValues();
    // Appends an entry with the values last computed. An empty path means
    // the report file of the settings, an empty mode leaves out the mode
    // line. False when the file could not be written; it is then unchanged.
    virtual bool AppendEntry(double t, const std::string& path, const std::string& mode);

    // Follows the host's graph cursor; true when the values changed.
    bool RefreshAtCursor();
    // The next refresh binds the rows again and recomputes the values even at
    // the same cursor time (rows just rebuilt have no signals).
    void ForgetCursor() { cursorStale_ = true; }
    // One entry per steady mode of the program found on its feature channel.
    // False for an unknown program, a feature channel that is not a signal,
    // or a failed append (the entries before it stay).
    bool FillAutomatically(const std::string& program,
                           const ReportEntryObserver& observer = nullptr);

    // The file an automatic fill writes to.
    std::string AutoReportFile() const;
    // The locale of the date and time texts; empty (the default) is the
    // environment's.
    void SetDateLocale(std::string name) { dateLocale_ = std::move(name); }

    // What the table holds, for the window and for checks.
    const std::vector<ReportRow>& Rows() const { return rows_; }
    std::string FrequencyTextOf(int32_t itemId) const;
    const ChannelValues* ValuesOf(const std::string& channel) const;
    const std::map<int32_t, TachoValue>& TachoValues() const { return tachos_; }
    const plat::DateTime& ValuesDate() const { return valuesDate_; }
    double LastCursorTime() const { return lastCursorTime_; }
    bool HasChannelValues() const { return !channelValues_.empty(); }

  private:
    int32_t ColumnWidth() const;
    // The states of the levels at t, from the limits and the zones.
    void JudgeLevels(double t);
    // The level with the zone letter after it when zones judge the item.
    std::string LevelText(const ChannelValues& values, int32_t itemId) const;
    int InsertListRow(const std::string& column0);
    // The recording's start as an automation date, 0 when no signal holds one.
    double RecordingStart() const;
    double FirstStartIn(const host::Folder& folder) const;
    rtf::table ChannelTable(const CfgChannel& record, const ChannelValues& values) const;

    host::App app_;
    host::GraphService graphs_;
    CCfgProc* cfg_;
    IReportView* view_;
    std::vector<ReportRow> rows_;
    std::map<int32_t, std::string> freqTexts_;
    std::map<int32_t, TachoValue> tachos_;
    std::map<std::string, ChannelValues> channelValues_;
    std::map<std::string, host::Signal> headerSignals_;
    int32_t lastWindow_ = 0, lastGraph_ = 0, lastSignal_ = 0;
    double lastCursorTime_ = 0.0;
    bool cursorStale_ = false;
    plat::DateTime valuesDate_;
    std::string dateLocale_;
    int listRows_ = 0;  // rows of the window's list
};
