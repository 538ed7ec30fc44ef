// The whole configuration: items by id or name, references resolved and renamed, channels.

#include "config/cfgproc.h"

#include <functional>

#include "shell/host.h"

CCfgProc& CCfgProc::operator=(const CCfgProc& other) {
    if (this == &other) return *this;
    Reset();

    srcFileKorvex = other.srcFileKorvex;
    srcFileDir = other.srcFileDir;
    dstDir = other.dstDir;
    lastResultFolder = other.lastResultFolder;
    lastJsonFolder = other.lastJsonFolder;
    settingsPath = other.settingsPath;
    cfgFile = other.cfgFile;
    channelsChanged = other.channelsChanged;
    frequencyBaseChanged = other.frequencyBaseChanged;
    bCloseProgrDlg = other.bCloseProgrDlg;
    bandFrequencies = other.bandFrequencies;
    channelNames = other.channelNames;
    report = other.report;

    sections.reserve(other.sections.size());
    for (const auto& src : other.sections) {
        auto section = std::make_unique<CCfgProcSection>();
        section->CopyFrom(src.get());
        sections.push_back(std::move(section));
    }
    for (const auto& [channelName, record] : other.channels)
        if (record) channels[channelName] = std::make_unique<CfgChannel>(*record);
    return *this;
}

CCfgProcItem* CCfgProc::FindItemById(int32_t id) const {
    if (id <= 0) return nullptr;
    for (const auto& section : sections)
        if (CCfgProcItem* hit = section->FindById(id)) return hit;
    return nullptr;
}

CCfgProcItem* CCfgProc::FindItemByName(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (const auto& section : sections)
        if (CCfgProcItem* hit = section->FindByName(name)) return hit;
    return nullptr;
}

namespace {

void CollectChildren(std::vector<CCfgProcItem*>& list, int32_t kind, const CCfgProcItem* start) {
    if (!start->IsFolder()) return;
    for (const auto& child : static_cast<const CCfgProcFolder*>(start)->children) {
        if (child->type == kind) list.push_back(child.get());
        CollectChildren(list, kind, child.get());
    }
}

}  // namespace

int CCfgProc::CollectByType(std::vector<CCfgProcItem*>& list, int32_t kind,
                            const CCfgProcItem* start) const {
    if (start) {
        CollectChildren(list, kind, start);
    } else {
        list.clear();
        for (const auto& section : sections) {
            if (section->type == kind) list.push_back(section.get());
            CollectChildren(list, kind, section.get());
        }
    }
    return static_cast<int>(list.size());
}

namespace {

// Every reference to a tacho item below node: the width rule's and, for a
// tracking band, each component's.
void VisitRefs(CCfgProcItem* node, const std::function<void(std::string&, int32_t&)>& visit) {
    switch (node->type) {
        case CfgItemTacho: {
            auto* tacho = static_cast<CCfgProcTaho*>(node);
            visit(tacho->bandWidth.tachoRef, tacho->bandWidth.tachoRefId);
            break;
        }
        case CfgItemTrackingBand: {
            auto* band = static_cast<CCfgProcBandTrack*>(node);
            visit(band->bandWidth.tachoRef, band->bandWidth.tachoRefId);
            for (auto& c : band->components) visit(c.tachoRef, c.tachoRefId);
            break;
        }
        case CfgItemFolder:
        case CfgItemRoot:
            for (auto& child : static_cast<CCfgProcFolder*>(node)->children)
                VisitRefs(child.get(), visit);
            break;
        default:
            break;
    }
}

}  // namespace

void CCfgProc::ResolveRefs(CCfgProcItem* node) const {
    auto resolve = [this](std::string& ref, int32_t& id) {
        const CCfgProcItem* item = FindItemByName(ref);
        id = item ? item->id : -1;
    };
    if (node) {
        VisitRefs(node, resolve);
        return;
    }
    for (const auto& section : sections) VisitRefs(section.get(), resolve);
}

void CCfgProc::RenameRefs() const {
    for (const auto& section : sections)
        VisitRefs(section.get(), [this](std::string& ref, int32_t& id) {
            if (const CCfgProcItem* item = FindItemById(id)) ref = item->name;
        });
}

bool CCfgProc::RefreshChannels(const host::App* app, const std::string& folderName) {
    channelNames.clear();
    channelsChanged = true;
    if (!app || !*app || folderName.empty()) return false;

    host::Folder folder = app->GetFolder("/Signals/" + folderName);
    if (!folder || app->GetObjectKind(folder.Disp()) != host::KindFolder) return false;
    const int count = folder.ItemCount();
    if (count <= 0) return false;

    for (int i = 0; i < count; ++i) {
        host::Item item = folder.GetItem(i);
        if (!item || item.GetItemKind() != host::ItemKindSignal) continue;
        host::Signal signal(item.GetItemObject());
        // A signal the host can't hand out, or one without a name, can't be
        // kept as a channel: the name is its only key.
        if (!signal) continue;
        std::string name = signal.Name();
        if (name.empty()) continue;
        channelNames.push_back(name);
        std::unique_ptr<CfgChannel>& record = channels[name];
        if (!record) record = std::make_unique<CfgChannel>();
        record->units = signal.Unit();
        record->sampleStep = signal.StepX();
    }
    return true;
}

void CCfgProc::Reset() {
    sections.clear();
    channels.clear();
    channelsChanged = true;
    frequencyBaseChanged = true;
}

CfgChannel* CCfgProc::Channel(const std::string& name) const {
    auto it = channels.find(name);
    return it == channels.end() ? nullptr : it->second.get();
}
