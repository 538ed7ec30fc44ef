// The frequency base's folders, bands and tacho items: copies, selection and lookups.

#include "config/cfgitem.h"

#include <algorithm>
#include <atomic>

#include "platform/text.h"

namespace {

// Ids only grow and are never reused; the worker thread may build nodes while
// the user-interface thread does too, so the counter is atomic.
std::atomic<int32_t> g_lastItemId{0};

}  // namespace

const char* CfgItemTypeText(int32_t type) {
    switch (type) {
        case CfgItemRoot:
            return "Root";
        case CfgItemFolder:
            return "Folder";
        case CfgItemTacho:
            return "Tacho";
        case CfgItemTrackingBand:
            return "Tracking Band";
        case CfgItemFixedBand:
            return "Fixed Band";
        default:
            return "Unknown";
    }
}

int32_t CfgLastItemId() {
    return g_lastItemId.load(std::memory_order_relaxed);
}

CCfgProcItem::CCfgProcItem(int32_t kind)
    : id(g_lastItemId.fetch_add(1, std::memory_order_relaxed) + 1), type(kind) {}

void CCfgProcItem::CopyCommon(const CCfgProcItem& other) {
    name = other.name;
    info = other.info;
    id = other.id;
    enabled = other.enabled;
    selected = other.selected;
}

std::unique_ptr<CCfgProcItem> CreateItem(int32_t kind) {
    switch (kind) {
        case CfgItemRoot:
            return std::make_unique<CCfgProcSection>();
        case CfgItemFolder:
            return std::make_unique<CCfgProcFolder>();
        case CfgItemTacho:
            return std::make_unique<CCfgProcTaho>();
        case CfgItemTrackingBand:
            return std::make_unique<CCfgProcBandTrack>();
        case CfgItemFixedBand:
            return std::make_unique<CCfgProcBandFix>();
        default:
            return nullptr;
    }
}

// ---------------------------------------------------------------- folder

void CCfgProcFolder::CopyFrom(const CCfgProcItem* other) {
    if (!other || other->type != type) return;
    auto* src = dynamic_cast<const CCfgProcFolder*>(other);
    if (!src) return;
    // Build the new children before dropping the old ones: other may be this
    // folder or lie inside it.
    std::vector<std::unique_ptr<CCfgProcItem>> copies;
    copies.reserve(src->children.size());
    for (const auto& child : src->children) {
        std::unique_ptr<CCfgProcItem> copy = CreateItem(child->type);
        if (!copy) continue;
        copy->CopyFrom(child.get());
        copy->parent = this;
        copies.push_back(std::move(copy));
    }
    if (src != this) CopyCommon(*src);
    children = std::move(copies);
}

void CCfgProcFolder::SetEnabled(bool flag) {
    enabled = flag;
    for (auto& child : children) child->SetEnabled(flag);
}

void CCfgProcFolder::SetSelected(bool flag) {
    selected = flag;
    // Disabled children keep their choice, so enabling them later restores it.
    for (auto& child : children)
        if (child->enabled) child->SetSelected(flag);
}

CCfgProcItem* CCfgProcFolder::FindById(int32_t wanted) {
    if (id == wanted) return this;
    for (auto& child : children) {
        if (child->IsFolder()) {
            if (CCfgProcItem* hit = static_cast<CCfgProcFolder*>(child.get())->FindById(wanted))
                return hit;
        } else if (child->id == wanted) {
            return child.get();
        }
    }
    return nullptr;
}

CCfgProcItem* CCfgProcFolder::FindByName(const std::string& wanted) {
    if (plat::EqualNoCase(name, wanted)) return this;
    for (auto& child : children) {
        if (child->IsFolder()) {
            if (CCfgProcItem* hit = static_cast<CCfgProcFolder*>(child.get())->FindByName(wanted))
                return hit;
        } else if (plat::EqualNoCase(child->name, wanted)) {
            return child.get();
        }
    }
    return nullptr;
}

bool CCfgProcFolder::Remove(const CCfgProcItem* child) {
    if (!child) return false;
    auto it = std::find_if(children.begin(), children.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it == children.end()) return false;
    children.erase(it);
    return true;
}

CCfgProcItem* CCfgProcFolder::Append(std::unique_ptr<CCfgProcItem> child) {
    if (!child) return nullptr;
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

// ---------------------------------------------------------------- leaves

void CCfgProcSection::CopyFrom(const CCfgProcItem* other) {
    auto* src = dynamic_cast<const CCfgProcSection*>(other);
    if (!src) return;
    // Taken first: src may be a section nested below this one, which the
    // folder copy destroys.
    std::string srcPath = src->path;
    CCfgProcFolder::CopyFrom(src);
    path = std::move(srcPath);
}

void CCfgProcBandFix::CopyFrom(const CCfgProcItem* other) {
    auto* src = dynamic_cast<const CCfgProcBandFix*>(other);
    if (!src || src->type != type) return;
    CopyCommon(*src);
    showByDefault = src->showByDefault;
    bandStart = src->bandStart;
    bandStop = src->bandStop;
}

void CCfgProcTaho::CopyFrom(const CCfgProcItem* other) {
    auto* src = dynamic_cast<const CCfgProcTaho*>(other);
    if (!src || src->type != type) return;
    CopyCommon(*src);
    showByDefault = src->showByDefault;
    tachoPin = src->tachoPin;
    tachoChannel = src->tachoChannel;
    bandWidth = src->bandWidth;
}

void CCfgProcBandTrack::CopyFrom(const CCfgProcItem* other) {
    auto* src = dynamic_cast<const CCfgProcBandTrack*>(other);
    if (!src || src->type != type) return;
    CopyCommon(*src);
    showByDefault = src->showByDefault;
    components = src->components;
    bandWidth = src->bandWidth;
}
