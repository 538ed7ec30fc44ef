#pragma once
// The whole processing configuration: source data, channels with their
// settings, the frequency base and the report settings.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/cfgchannel.h"
#include "config/cfgitem.h"
#include "config/report_settings.h"

namespace host {
class App;
}

class CCfgProc {
  public:
    CCfgProc() = default;
    CCfgProc(const CCfgProc& other) { *this = other; }
    // Deep copy: sections keep their ids and paths, channel records are copied.
    CCfgProc& operator=(const CCfgProc& other);

    // Lookups over all sections in list order.
    CCfgProcItem* FindItemById(int32_t id) const;
    CCfgProcItem* FindItemByName(const std::string& name) const;
    // Pre-order list of the nodes of a kind below start (all sections when
    // start is null); returns the list's length.
    int CollectByType(std::vector<CCfgProcItem*>& list, int32_t kind,
                      const CCfgProcItem* start = nullptr) const;
    // Binds tacho references by name below node (every section when null).
    void ResolveRefs(CCfgProcItem* node = nullptr) const;
    // The other way: every bound reference takes its tacho item's present
    // name, so a renamed item is saved under the name it now has.
    void RenameRefs() const;

    // Rebuilds channelNames from the host folder "/Signals/" + folderName and
    // makes sure every signal has a channel record.
    bool RefreshChannels(const host::App* app, const std::string& folderName);
    // Destroys every section and channel record.
    void Reset();

    // The record of a channel, or null when it has none.
    CfgChannel* Channel(const std::string& name) const;

    std::string srcFileKorvex;
    std::string srcFileDir;
    std::string dstDir;
    std::string lastResultFolder;
    std::string lastJsonFolder;
    std::string settingsPath;
    std::string cfgFile;
    bool channelsChanged = false;
    bool frequencyBaseChanged = false;
    bool bCloseProgrDlg = false;
    // The engine also files every evaluated band's borders (and a moving
    // band's centre) as result signals; a settings key only when on.
    bool bandFrequencies = false;
    std::vector<std::string> channelNames;
    // An entry may exist without a record (null pointer).
    std::map<std::string, std::unique_ptr<CfgChannel>> channels;
    std::vector<std::unique_ptr<CCfgProcSection>> sections;
    ReportSettings report;
};
