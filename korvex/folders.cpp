// The folders of the host tree and their entries: a folder's children by
// name, unique names, filing and replacing signals, and the items a plug-in
// walks the tree with.

#include <exception>

#include "korvex/objects.h"

namespace korvex {

using plat::DispResult;
using plat::InvokeKind;
using plat::SetResult;
using plat::Variant;

FolderObj::FolderObj(CorePtr core, std::string name, std::string path)
    : core_(std::move(core)), name_(std::move(name)), path_(std::move(path)) {}

FolderObj::~FolderObj() {
    // Signals that outlive the folder (held by the plug-in) are filed nowhere.
    Lock lock(core_->mutex);
    for (const Child& c : children_)
        if (c.kind == ItemSignal) static_cast<SignalObj*>(c.object.get())->parent_ = nullptr;
}

const std::string& FolderObj::ChildName(const Child& c) {
    switch (c.kind) {
        case ItemFolder:
            return static_cast<const FolderObj*>(c.object.get())->name_;
        case ItemSignal:
            return static_cast<const SignalObj*>(c.object.get())->name_;
        case ItemOperator:
            break;
    }
    return static_cast<const OperatorObj*>(c.object.get())->OperatorName();
}

DispResult FolderObj::Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                             Variant* result) {
    try {
        Lock lock(core_->mutex);
        if (dispId == 2 && kind == InvokeKind::PropertyGet) {  // ItemCount
            if (!args.empty()) return DispResult::BadArgCount;
            SetResult(result, static_cast<int32_t>(children_.size()));
            return DispResult::Ok;
        }
        if (kind != InvokeKind::Method) return DispResult::MemberNotFound;
        switch (dispId) {
            case 17: {  // GetItem(index)
                if (args.size() != 1) return DispResult::BadArgCount;
                int32_t i = 0;
                if (!args[0].ToInt32(i)) return DispResult::TypeMismatch;
                if (i < 0 || static_cast<size_t>(i) >= children_.size()) return DispResult::Failed;
                const Child& c = children_[static_cast<size_t>(i)];
                SetResult(result, plat::MakeObj<ItemObj>(core_, c.kind, c.object));
                return DispResult::Ok;
            }
            case 12:  // GetPath
                if (!args.empty()) return DispResult::BadArgCount;
                SetResult(result, path_);
                return DispResult::Ok;
            default:
                return DispResult::MemberNotFound;
        }
    } catch (const std::exception&) {
        return DispResult::Failed;
    }
}

std::vector<FolderObj::Entry> FolderObj::Entries() const {
    Lock lock(core_->mutex);
    std::vector<Entry> out;
    out.reserve(children_.size());
    for (size_t i = 0; i < children_.size(); ++i) out.push_back(EntryLocked(i));
    return out;
}

FolderObj::Entry FolderObj::EntryLocked(size_t index) const {
    const Child& c = children_.at(index);
    return Entry{ChildName(c), c.kind, c.object};
}

plat::DispPtr FolderObj::FindLocked(std::string_view name) const {
    for (const Child& c : children_)
        if (ChildName(c) == name) return c.object;
    return {};
}

plat::ObjPtr<FolderObj> FolderObj::FindFolderLocked(std::string_view name) const {
    for (const Child& c : children_)
        if (c.kind == ItemFolder && ChildName(c) == name)
            return plat::ObjPtr<FolderObj>(static_cast<FolderObj*>(c.object.get()));
    return {};
}

plat::ObjPtr<FolderObj> FolderObj::SubFolderLocked(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return {};
    if (plat::DispPtr existing = FindLocked(name)) {
        return plat::DynamicCast<FolderObj>(existing);
    }
    auto f = plat::MakeObj<FolderObj>(core_, std::string(name), JoinPath(path_, name));
    children_.push_back(Child{ItemFolder, f});
    Changed();
    return f;
}

std::string FolderObj::UniqueNameLocked(std::string_view name) const {
    if (!FindLocked(name)) return std::string(name);
    for (int k = 2;; ++k) {
        std::string candidate = std::string(name) + " (" + std::to_string(k) + ")";
        if (!FindLocked(candidate)) return candidate;
    }
}

void FolderObj::AddSignalLocked(const plat::ObjPtr<SignalObj>& s) {
    children_.push_back(Child{ItemSignal, s});
    s->FiledIn(this);
    Changed();
}

void FolderObj::ReplaceSignalLocked(SignalObj* old, const plat::ObjPtr<SignalObj>& s) {
    for (Child& c : children_)
        if (c.object.get() == old) {
            old->parent_ = nullptr;
            s->FiledIn(this);
            c.object = s;  // may release old
            Changed();
            return;
        }
    AddSignalLocked(s);
}

void FolderObj::AddOperatorLocked(const plat::ObjPtr<OperatorObj>& op) {
    children_.push_back(Child{ItemOperator, op});
    Changed();
}

bool FolderObj::CanRenameLocked(const SignalObj* s, std::string_view name) const {
    for (const Child& c : children_)
        if (c.object.get() != s && ChildName(c) == name) return false;
    return true;
}

plat::ObjPtr<SignalObj> FolderObj::FindSignalByIdLocked(int id) const {
    for (const Child& c : children_) {
        if (c.kind == ItemSignal) {
            auto* s = static_cast<SignalObj*>(c.object.get());
            if (s->id_ == id) return plat::ObjPtr<SignalObj>(s);
        } else if (c.kind == ItemFolder) {
            if (auto s = static_cast<const FolderObj*>(c.object.get())->FindSignalByIdLocked(id))
                return s;
        }
    }
    return {};
}

// ---------------------------------------------------------------------------
// Folder entry

DispResult ItemObj::Invoke(int dispId, InvokeKind kind, std::span<Variant> args, Variant* result) {
    try {
        Lock lock(core_->mutex);
        if (!args.empty()) return DispResult::BadArgCount;
        if (kind == InvokeKind::PropertyGet) {
            switch (dispId) {
                case 1:  // ItemName
                    switch (kind_) {
                        case ItemFolder:
                            SetResult(result,
                                      static_cast<const FolderObj*>(object_.get())->FolderName());
                            break;
                        case ItemSignal:
                            SetResult(result,
                                      static_cast<const SignalObj*>(object_.get())->NameLocked());
                            break;
                        case ItemOperator:
                            SetResult(
                                result,
                                static_cast<const OperatorObj*>(object_.get())->OperatorName());
                            break;
                    }
                    return DispResult::Ok;
                case 2:  // ItemCount: entries of a folder, 0 for anything else
                    SetResult(result,
                              kind_ == ItemFolder
                                  ? static_cast<int32_t>(
                                        static_cast<const FolderObj*>(object_.get())->CountLocked())
                                  : 0);
                    return DispResult::Ok;
                default:
                    return DispResult::MemberNotFound;
            }
        }
        if (kind != InvokeKind::Method) return DispResult::MemberNotFound;
        switch (dispId) {
            case 18:  // GetItemKind
                SetResult(result, static_cast<int32_t>(kind_));
                return DispResult::Ok;
            case 14:  // IsFolder
                SetResult(result, kind_ == ItemFolder ? 1 : 0);
                return DispResult::Ok;
            case 4:  // GetItemObject
                SetResult(result, object_);
                return DispResult::Ok;
            default:
                return DispResult::MemberNotFound;
        }
    } catch (const std::exception&) {
        return DispResult::Failed;
    }
}

}  // namespace korvex
