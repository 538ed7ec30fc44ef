// The report table at a moment: rows per channel and band, coinciding bands, entries.

#include "report/report_table.h"

#include <cmath>
#include <filesystem>

#include "platform/datefmt.h"
#include "platform/numtext.h"
#include "platform/text.h"
#include "processing/ordprocessing.h"
#include "report/rtf/rtf.h"
#include "report/strings.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Colours of the report's colour table for levels past a limit.
constexpr int32_t kRtfDarkYellow = 4;
constexpr int32_t kRtfRed = 10;
constexpr char kSignalsRoot[] = "/Signals/";
constexpr char kGradSuffix[] = ".grad";

// "%.2f" and friends without the C locale's say: a report reads the same
// whatever locale the process runs in.
std::string Fixed(double v, int decimals) {
    return plat::FixedText(v, decimals);
}

// A string-table pattern with one number in it ("%.1f" or "%.2f").
std::string WithNumber(std::string_view pattern, double v) {
    const size_t at = pattern.find('%');
    if (at == std::string_view::npos || at + 3 >= pattern.size() || pattern[at + 1] != '.')
        return std::string(pattern);
    const int decimals = pattern[at + 2] - '0';
    std::string out(pattern.substr(0, at));
    out += Fixed(v, decimals);
    out += pattern.substr(at + 4);
    return out;
}

// The tacho channel text without a trailing ".grad": cut at the last "."
// of the part after the last "\" when ".grad" starts there.
std::string WithoutGrad(const std::string& text) {
    const size_t slash = text.rfind('\\');
    const size_t from = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = text.rfind('.');
    if (dot == std::string::npos || dot < from) return text;
    if (text.find(kGradSuffix, dot) == std::string::npos) return text;
    return text.substr(0, dot);
}

std::string Lookup(const std::map<int32_t, std::string>& m, int32_t id) {
    auto it = m.find(id);
    return it == m.end() ? std::string() : it->second;
}

}  // namespace

CReportTable::CReportTable(const host::App& app, CCfgProc* cfg, IReportView* view)
    : app_(app), cfg_(cfg), view_(view) {
    if (app_) graphs_ = app_.GetGraphService();
}

CReportTable::~CReportTable() = default;

void CReportTable::ClearRows() {
    rows_.clear();
    headerSignals_.clear();
}

void CReportTable::RebuildRows() {
    ClearRows();
    if (view_) view_->DeleteAllRows();
    listRows_ = 0;
    if (!cfg_) return;
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* record = cfg_->Channel(name);
        if (!record || !record->check) continue;
        const int channelRow = InsertListRow(name);
        if (view_) view_->SetCellText(channelRow, 3, record->units);
        bool any = false;
        for (const auto& [id, opt] : record->signalOpts) {
            const CCfgProcItem* item = cfg_->FindItemById(id);
            if (!opt.bEnabled || !item || !item->enabled || item->type <= 3) continue;
            ReportRow row;
            row.channel = name;
            row.itemId = id;
            row.listIndex = InsertListRow({});
            if (view_) view_->SetCellText(row.listIndex, 1, item->name);
            rows_.push_back(std::move(row));
            any = true;
        }
        if (!any) {
            if (view_) view_->DeleteRow(channelRow);
            --listRows_;
        }
    }
}

int CReportTable::InsertListRow(const std::string& column0) {
    // Without a window the indices are those the list would give.
    const int index = view_ ? view_->InsertRow(column0) : listRows_;
    ++listRows_;
    return index;
}

host::Signal CReportTable::FindSignalByName(const host::Folder& folder,
                                            const std::string& name) const {
    if (!folder || name.empty()) return {};
    const int n = folder.ItemCount();
    for (int i = 0; i < n; ++i) {
        host::Item item = folder.GetItem(i);
        if (!item) continue;
        if (item.IsFolder()) {
            // A folder entry answers as the folder itself.
            host::Folder sub(item.GetItemObject());
            if (host::Signal s = FindSignalByName(sub, name)) return s;
            continue;
        }
        plat::DispPtr obj = item.GetItemObject();
        if (obj && app_.GetObjectKind(obj) == host::KindSignal &&
            plat::EqualNoCase(item.ItemName(), name))
            return host::Signal(std::move(obj));
    }
    return {};
}

void CReportTable::BindSignals() {
    if (!cfg_ || !app_) return;
    const std::string& folderPath = cfg_->lastResultFolder;
    if (folderPath.empty() || !app_.PathExists(folderPath)) return;
    const host::Folder folder = app_.GetFolder(folderPath);

    for (ReportRow& row : rows_) {
        const CCfgProcItem* item = cfg_->FindItemById(row.itemId);
        if (!item) continue;
        const std::string name = row.channel + "." + item->name;
        row.signal.Reset();
        plat::DispPtr direct = app_.GetObject(folderPath + "/" + name);
        if (direct && app_.GetObjectKind(direct) == host::KindSignal)
            row.signal = host::Signal(std::move(direct));
        else
            row.signal = FindSignalByName(folder, name);
    }

    std::vector<CCfgProcItem*> tachoItems;
    cfg_->CollectByType(tachoItems, CfgItemTacho);
    for (const CCfgProcItem* item : tachoItems) {
        const auto* tacho = static_cast<const CCfgProcTaho*>(item);
        const std::string name = WithoutGrad(tacho->tachoChannel);
        if (host::Signal s = FindSignalByName(folder, name))
            tachos_[tacho->id] = TachoValue{name, std::move(s), 0.0};
    }

    channelValues_.clear();
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* record = cfg_->Channel(name);
        if (record && record->check && record->type == CfgChannelMeasuring)
            channelValues_[name] = ChannelValues{};
    }

    headerSignals_.clear();
    if (!cfg_->srcFileKorvex.empty()) {
        for (const std::string& channel : cfg_->report.headerChannels) {
            plat::DispPtr obj = app_.GetObject(kSignalsRoot + cfg_->srcFileKorvex + "/" + channel);
            if (obj && app_.GetObjectKind(obj) == host::KindSignal)
                headerSignals_[channel] = host::Signal(std::move(obj));
        }
    }
}

std::string CReportTable::FrequencyText(const CCfgProcItem* item) const {
    if (!item) return {};
    switch (item->type) {
        case CfgItemTacho: {
            const auto* tacho = static_cast<const CCfgProcTaho*>(item);
            auto it = tachos_.find(tacho->bandWidth.tachoRefId);
            return it == tachos_.end() ? std::string() : Fixed(it->second.value, 2);
        }
        case CfgItemTrackingBand: {
            const auto* band = static_cast<const CCfgProcBandTrack*>(item);
            double f = 0.0;
            for (const CfgBandComponent& c : band->components) {
                auto it = tachos_.find(c.tachoRefId);
                f += it == tachos_.end() ? c.factor : c.factor * it->second.value;
            }
            return Fixed(f, 2);
        }
        case CfgItemFixedBand: {
            const auto* band = static_cast<const CCfgProcBandFix*>(item);
            return Fixed(band->bandStart, 2) + "..." + Fixed(band->bandStop, 2);
        }
        default:
            return {};
    }
}

double CReportTable::FirstStartIn(const host::Folder& folder) const {
    if (!folder) return 0.0;
    const int n = folder.ItemCount();
    for (int i = 0; i < n; ++i) {
        host::Item item = folder.GetItem(i);
        if (!item) continue;
        plat::DispPtr obj = item.GetItemObject();
        double start = 0.0;
        if (item.IsFolder())
            start = FirstStartIn(host::Folder(std::move(obj)));
        else if (obj && app_.GetObjectKind(obj) == host::KindSignal)
            start = host::Signal(std::move(obj)).GetStartTime();
        if (start != 0.0) return start;
    }
    return 0.0;
}

double CReportTable::RecordingStart() const {
    // The rotation curves first, then the levels; a run without a tacho has
    // neither curve, and a file may date some signals only, so the data set's
    // own signals answer last.
    for (const auto& [id, tv] : tachos_)
        if (tv.signal && tv.signal.GetStartTime() != 0.0) return tv.signal.GetStartTime();
    for (const ReportRow& row : rows_)
        if (row.signal && row.signal.GetStartTime() != 0.0) return row.signal.GetStartTime();
    if (!cfg_ || !app_ || cfg_->srcFileKorvex.empty()) return 0.0;
    const std::string dataSet = "/Signals/" + cfg_->srcFileKorvex;
    return app_.PathExists(dataSet) ? FirstStartIn(app_.GetFolder(dataSet)) : 0.0;
}

bool CReportTable::ValuesAtTime(double t) {
    // The moment as a date: the recording's start plus t.
    const double date = RecordingStart() + t / kSecondsPerDay;
    plat::DateTime dt;
    if (!plat::FromAutomationDate(date, dt)) dt = plat::DateTime{};
    dt.millisecond = 0;
    valuesDate_ = dt;

    // In hertz, as the frequency column says, also for a rotation curve the
    // user keeps in rpm.
    for (auto& [id, tv] : tachos_)
        if (tv.signal)
            tv.value =
                tv.signal.ValueAt(t) * COrdProcessing::HertzPerUnit(tv.signal.GetAxisCode(2, 1));
    if (!cfg_) return true;

    for (int32_t kind : {CfgItemTacho, CfgItemTrackingBand, CfgItemFixedBand}) {
        std::vector<CCfgProcItem*> items;  // CollectByType starts the list afresh
        cfg_->CollectByType(items, kind);
        for (const CCfgProcItem* item : items)
            if (item->enabled) freqTexts_[item->id] = FrequencyText(item);
    }

    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* record = cfg_->Channel(name);
        auto cv = channelValues_.find(name);
        if (!record || cv == channelValues_.end()) continue;
        std::map<int32_t, std::string>& coin = cv->second.coincidences;
        coin.clear();
        for (auto a = record->signalOpts.begin(); a != record->signalOpts.end(); ++a) {
            if (!a->second.bEnabled) continue;
            const std::string fa = Lookup(freqTexts_, a->first);
            if (fa.empty()) continue;
            for (auto b = std::next(a); b != record->signalOpts.end(); ++b) {
                if (!b->second.bEnabled || Lookup(freqTexts_, b->first) != fa) continue;
                std::string& ca = coin[a->first];
                if (ca.empty()) ca = a->second.name;
                ca += ",";
                ca += b->second.name;
                coin[b->first] = ca;
            }
        }
    }

    for (const ReportRow& row : rows_) {
        auto cv = channelValues_.find(row.channel);
        if (cv == channelValues_.end() || !row.signal) continue;
        cv->second.levels[row.itemId] = Fixed(row.signal.ValueAt(t), 2);
    }
    JudgeLevels(t);
    return true;
}

void CReportTable::JudgeLevels(double t) {
    for (auto& [name, cv] : channelValues_) {
        cv.states.clear();
        cv.zones.clear();
    }
    for (const ReportRow& row : rows_) {
        auto cv = channelValues_.find(row.channel);
        const CfgChannel* record = cfg_->Channel(row.channel);
        if (cv == channelValues_.end() || !row.signal || !record) continue;
        auto opt = record->signalOpts.find(row.itemId);
        if (opt == record->signalOpts.end()) continue;
        const double v = row.signal.ValueAt(t);
        const CCfgProcItem* item = cfg_->FindItemById(row.itemId);
        Zone zone = Zone::None;
        if (record->machineClass != MachineClass::None && item &&
            ZonesApply(*item, opt->second, row.signal.Unit()))
            zone = ZoneOf(record->machineClass, v);
        const LimitState state =
            CombinedState(LimitStateOf(v, opt->second.alert, opt->second.danger), zone);
        if (state == LimitState::None) continue;
        cv->second.states[row.itemId] = state;
        if (zone != Zone::None) cv->second.zones[row.itemId] = zone;
    }
}

std::string CReportTable::LevelText(const ChannelValues& values, int32_t itemId) const {
    std::string text = Lookup(values.levels, itemId);
    auto zone = values.zones.find(itemId);
    if (zone != values.zones.end() && !text.empty())
        text += std::string(" ") + ZoneLetter(zone->second);
    return text;
}

void CReportTable::ShowValues() {
    if (!view_) return;
    for (const ReportRow& row : rows_) {
        auto cv = channelValues_.find(row.channel);
        if (cv == channelValues_.end()) continue;
        view_->SetCellText(row.listIndex, 2, FrequencyTextOf(row.itemId));
        view_->SetCellText(row.listIndex, 3, LevelText(cv->second, row.itemId));
        view_->SetCellText(row.listIndex, 4, Lookup(cv->second.coincidences, row.itemId));
        auto state = cv->second.states.find(row.itemId);
        view_->SetRowState(row.listIndex,
                           state == cv->second.states.end() ? LimitState::None : state->second);
    }
}

int32_t CReportTable::ColumnWidth() const {
    const bool landscape = cfg_ && cfg_->report.bLandscape;
    // A quarter of the text width, at 57.6 twips per millimetre.
    const double textWidthMm = landscape ? 260.0 : 180.0;
    return static_cast<int32_t>(textWidthMm / 4.0 * 57.6 + 0.5);
}

rtf::table CReportTable::ChannelTable(const CfgChannel& record, const ChannelValues& values) const {
    const int32_t w = ColumnWidth();
    const auto n = static_cast<int32_t>(values.levels.size());
    rtf::table table(n + 1, 4);
    for (int32_t j = 0; j < 4; ++j) {
        table.setColumnWidth(j, w);
        for (int32_t r = 0; r <= n; ++r) table.rowAt(r)->cellAt(j)->apply(rtf::alignCenter);
    }
    const char* heading[4] = {repstr::kColumnItem, repstr::kColumnFrequency, repstr::kColumnLevel,
                              repstr::kColumnCoincidences};
    for (int32_t j = 0; j < 4; ++j) {
        rtf::cell& c = *table.rowAt(0)->cellAt(j);
        c.apply(rtf::bold);
        c << heading[j];
    }
    int32_t r = 1;
    for (const auto& [id, opt] : record.signalOpts) {
        auto level = values.levels.find(id);
        if (level == values.levels.end() || r > n) continue;
        const std::string texts[4] = {opt.name, FrequencyTextOf(id), LevelText(values, id),
                                      Lookup(values.coincidences, id)};
        // Only a level past a limit or in zone C or D changes the entry.
        auto state = values.states.find(id);
        const bool alert = state != values.states.end() && state->second == LimitState::Alert;
        const bool danger = state != values.states.end() && state->second == LimitState::Danger;
        for (int32_t j = 0; j < 4; ++j) {
            rtf::cell& c = *table.rowAt(r)->cellAt(j);
            c.apply(rtf::italic).apply(rtf::colorBlue);
            if (j == 2 && (alert || danger))
                c.apply(rtf::bold).add(rtf::fontcolor(danger ? kRtfRed : kRtfDarkYellow));
            c << texts[j];
        }
        ++r;
    }
    return table;
}

bool CReportTable::AppendEntry(double t, const std::string& givenPath, const std::string& mode) {
    if (!cfg_) return false;
    const ReportSettings& rs = cfg_->report;
    const std::string path = givenPath.empty() ? rs.ReportFilePath() : givenPath;

    // One table per measuring channel with levels, in channel order.
    std::vector<std::pair<const std::string*, rtf::table>> tables;
    for (const std::string& name : cfg_->channelNames) {
        const CfgChannel* record = cfg_->Channel(name);
        auto cv = channelValues_.find(name);
        if (!record || cv == channelValues_.end() || cv->second.levels.empty()) continue;
        tables.emplace_back(&name, ChannelTable(*record, cv->second));
    }

    const std::string seconds = WithNumber(repstr::kSeconds, t);
    const char* locale = dateLocale_.empty() ? nullptr : dateLocale_.c_str();
    const std::string date = plat::LocaleDateText(valuesDate_, locale);
    const std::string time = plat::LocaleTimeText(valuesDate_, locale);

    rtf::report doc;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        if (rs.bNewPage)
            doc.add(rtf::term(repstr::kNewSection));
        else
            doc << rtf::par << rtf::par;
    }
    if (rs.bLandscape) doc.add(rtf::landscape());
    doc.add(rtf::fontsize(rs.fontSize));
    doc << rtf::colorAuto << rtf::font0 << rtf::alignLeft;
    doc << repstr::kDate << " " << date << "\t" << repstr::kTime << " " << time << " " << seconds
        << rtf::par;
    doc << repstr::kMeasurement << repstr::kLineLabelGap << cfg_->srcFileKorvex << rtf::par;
    if (!mode.empty()) doc << repstr::kMode << repstr::kLineLabelGap << mode << rtf::par;
    if (!rs.headerChannels.empty()) {
        doc << rtf::par;
        for (size_t i = 0; i < rs.headerChannels.size(); ++i) {
            const std::string& channel = rs.headerChannels[i];
            if (i > 0) doc << repstr::kHeaderSeparator;
            doc << channel;
            auto it = headerSignals_.find(channel);
            if (it != headerSignals_.end() && it->second) {
                std::string text = WithNumber(repstr::kHeaderValue, it->second.ValueAt(t));
                if (const size_t at = text.find("%s"); at != std::string::npos)
                    text.replace(at, 2, it->second.Unit());
                doc << text;
            } else {
                doc << repstr::kHeaderNoValue;
            }
        }
        doc << rtf::par;
    }
    for (auto& [channel, table] : tables) {
        doc << rtf::par << *channel;
        doc.add(std::move(table));
    }
    return doc.save(path);
}

bool CReportTable::RefreshAtCursor() {
    if (!graphs_ || !cfg_) return false;
    const int window = graphs_.ActiveWindow();
    int graph = 0, signalId = 0;
    bool ok = window != 0 && graphs_.IsGraphWindow(window);
    if (ok) {
        graph = graphs_.ActiveGraph(window);
        ok = graph != 0 && graphs_.GraphSignalCount(graph) != 0;
    }
    if (ok) {
        signalId = graphs_.GraphSignalId(graph, 0);
        host::Signal s = graphs_.SignalById(signalId);
        ok = s && app_.GetObjectKind(s.Disp()) != host::KindNone;
    }
    if (!ok) {
        if (view_) view_->EnableReportButton(false);
        return false;
    }
    if (view_) view_->EnableReportButton(true);
    double t = 0.0;
    if (!graphs_.GetCursorX(graph, t)) t = 0.0;
    if (t == lastCursorTime_ && !cursorStale_) return false;
    if (cursorStale_ || window != lastWindow_ || graph != lastGraph_ || signalId != lastSignal_) {
        cursorStale_ = false;
        BindSignals();
        lastWindow_ = window;
        lastGraph_ = graph;
        lastSignal_ = signalId;
    }
    lastCursorTime_ = t;
    ValuesAtTime(t);
    ShowValues();
    if (view_) view_->SetCaption(WithNumber(repstr::kCursorCaption, t));
    return true;
}

std::string CReportTable::AutoReportFile() const {
    if (!cfg_) return {};
    const ReportSettings& rs = cfg_->report;
    if (!rs.autoFile.empty()) return rs.autoFile;
    return rs.ReportFilePath();
}

bool CReportTable::FillAutomatically(const std::string& programName,
                                     const ReportEntryObserver& observer) {
    if (!app_ || !cfg_) return false;
    const ReportProgram* program = cfg_->report.FindProgram(programName);
    if (!program) return false;
    const std::string target = AutoReportFile();
    const host::Signal feature =
        app_.GetSignal(kSignalsRoot + cfg_->srcFileKorvex + "/" + program->featureChannel);
    if (!feature) return false;

    RebuildRows();
    BindSignals();

    // The program may be edited while entries are written; scan a copy.
    const std::vector<ReportMode> modes = program->modes;
    const int n = feature.PointCount();
    int i = 0;
    const bool stopped = ScanModes(
        modes,
        [&](double& t, double& v) {
            if (i >= n) return false;
            t = feature.GetX(i);
            v = feature.GetY(i);
            ++i;
            return true;
        },
        [&](const ModeEvent& e) {
            ValuesAtTime(e.start);
            const bool ok = AppendEntry(e.at, target, e.mode->name);
            if (observer) observer(e, ok);
            return ok;
        });
    // The rows were rebuilt and hold a mode's values: show the cursor's again.
    ForgetCursor();
    RefreshAtCursor();
    return !stopped;
}

std::string CReportTable::FrequencyTextOf(int32_t itemId) const {
    return Lookup(freqTexts_, itemId);
}

const ChannelValues* CReportTable::ValuesOf(const std::string& channel) const {
    auto it = channelValues_.find(channel);
    return it == channelValues_.end() ? nullptr : &it->second;
}
