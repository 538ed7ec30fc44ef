// The stand-in host: object tree, data files, graph service and buttons behind its calls.

#include "korvex/host.h"

#include <algorithm>
#include <exception>
#include <unordered_set>
#include <utility>

#include "korvex/formats/formats.h"
#include "korvex/units.h"

namespace korvex {

using plat::DispResult;
using plat::InvokeKind;
using plat::SetResult;
using plat::Variant;

namespace {

void SetEmpty(Variant* result) {
    if (result) *result = Variant();
}

bool ArgText(const Variant& v, std::string& out) {
    if (v.Type() == plat::VarType::Object || v.Type() == plat::VarType::Empty) return false;
    return v.ToText(out);
}

// The file name without folder and extension: the name of its host folder.
std::string FileStem(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

// Codes a loaded signal gets where its file gave none: the y axis from its
// unit text, the x axis as time in seconds.
void FillLoadedCodes(SignalData& d) {
    auto& c = d.axisCodes;
    const std::pair<int, int> qy{units::kPartQuantity, units::kAxisY};
    const std::pair<int, int> uy{units::kPartUnit, units::kAxisY};
    if (const units::UnitInfo* u = units::FindUnitByText(d.unit)) {
        if (!c.count(uy)) c[uy] = u->code;
        if (!c.count(qy)) c[qy] = u->quantity;
    }
    c.try_emplace({units::kPartQuantity, units::kAxisX}, units::kQuantityTime);
    c.try_emplace({units::kPartUnit, units::kAxisX}, units::kUnitSecond);
}

void CollectSignals(const FolderObj& f, const std::string& rel, DataSet& out) {
    for (size_t i = 0; i < f.CountLocked(); ++i) {
        FolderObj::Entry e = f.EntryLocked(i);
        if (e.kind == ItemSignal) {
            SignalData d = static_cast<const SignalObj*>(e.object.get())->ToDataLocked();
            d.folder = rel;
            out.signals.push_back(std::move(d));
        } else if (e.kind == ItemFolder) {
            CollectSignals(*static_cast<const FolderObj*>(e.object.get()),
                           rel.empty() ? e.name : rel + "/" + e.name, out);
        }
    }
}

}  // namespace

Host::Host()
    : core_(std::make_shared<HostCore>()),
      root_(plat::MakeObj<FolderObj>(core_, std::string(), "/")),
      graphs_(plat::MakeObj<GraphService>(core_)) {
    Lock lock(core_->mutex);
    core_->root = root_.get();
    root_->SubFolderLocked("Signals");
    root_->SubFolderLocked("Operators")
        ->AddOperatorLocked(plat::MakeObj<AutoSpectrumOperator>(core_));
    root_->SubFolderLocked("VibroOpers")->AddOperatorLocked(plat::MakeObj<TachoOperator>(core_));
    root_->SubFolderLocked("VibroOpers")
        ->AddOperatorLocked(plat::MakeObj<SpeedFromSpectrumOperator>(core_));
}

Host::~Host() {
    Lock lock(core_->mutex);
    core_->root = nullptr;
}

plat::ObjPtr<Host> CreateHost() {
    return plat::MakeObj<Host>();
}

// ---------------------------------------------------------------------------
// Tree

plat::DispPtr Host::ResolveLocked(std::string_view path) const {
    plat::DispPtr cur = root_;
    for (std::string_view part : SplitPath(path)) {
        auto* f = dynamic_cast<FolderObj*>(cur.get());
        if (!f) return {};
        cur = f->FindLocked(part);
        if (!cur) return {};
    }
    return cur;
}

plat::DispPtr Host::FindObject(std::string_view path) const {
    Lock lock(core_->mutex);
    return ResolveLocked(path);
}

plat::ObjPtr<SignalObj> Host::FindSignal(std::string_view path) const {
    return plat::DynamicCast<SignalObj>(FindObject(path));
}

plat::ObjPtr<FolderObj> Host::FindFolder(std::string_view path) const {
    return plat::DynamicCast<FolderObj>(FindObject(path));
}

plat::ObjPtr<SignalObj> Host::NewSignal() {
    return plat::MakeObj<SignalObj>(core_);
}

bool Host::AddSignal(std::string_view folderPath, std::string_view name,
                     const plat::ObjPtr<SignalObj>& s, std::string* filedPath) {
    if (!s) return false;
    plat::ObjPtr<SignalObj> own = s;
    if (s->Core() != core_) {
        // Read the other host's signal before taking our lock: one lock at a time.
        own = NewSignal();
        own->Assign(s->ToData());
        own->SetName(s->Name());
    }
    Lock lock(core_->mutex);
    return AddSignalLocked(folderPath, name, std::move(own), filedPath);
}

bool Host::AddSignalLocked(std::string_view folderPath, std::string_view name,
                           plat::ObjPtr<SignalObj> s, std::string* filedPath) {
    std::string fallback;
    if (name.empty()) {
        fallback = s->NameLocked();
        name = fallback;
    }
    std::vector<std::string_view> parts = SplitPath(folderPath);
    std::vector<std::string_view> nameParts = SplitPath(name);
    if (nameParts.empty() || name.back() == '/') return false;
    const std::string_view leaf = nameParts.back();
    parts.insert(parts.end(), nameParts.begin(), nameParts.end() - 1);

    // Check the whole way first so that a failure creates no folder.
    {
        plat::ObjPtr<FolderObj> f = root_;
        for (std::string_view p : parts) {
            plat::DispPtr next = f->FindLocked(p);
            if (!next) break;
            f = plat::DynamicCast<FolderObj>(next);
            if (!f) return false;
        }
    }
    plat::ObjPtr<FolderObj> folder = root_;
    for (std::string_view p : parts) folder = folder->SubFolderLocked(p);

    if (s->ParentLocked())
        s = s->CopyRangeLocked(0, static_cast<int64_t>(s->SamplesLocked().size()));
    s->SetName(folder->UniqueNameLocked(leaf));
    folder->AddSignalLocked(s);
    if (filedPath) *filedPath = JoinPath(folder->Path(), s->NameLocked());
    return true;
}

// ---------------------------------------------------------------------------
// Data files

void Host::SetLoadOutcome(std::string message, std::vector<std::string> notes) {
    Lock lock(core_->mutex);
    lastLoadMessage_ = std::move(message);
    lastLoadNotes_ = std::move(notes);
}

std::string Host::LastLoadMessage() const {
    Lock lock(core_->mutex);
    return lastLoadMessage_;
}

std::vector<std::string> Host::TakeOperatorNotes() {
    std::lock_guard lock(core_->notesMutex);
    return std::exchange(core_->operatorNotes, {});
}

std::vector<std::string> Host::LastLoadNotes() const {
    Lock lock(core_->mutex);
    return lastLoadNotes_;
}

bool Host::LastLoadNeedsRate() const {
    Lock lock(core_->mutex);
    return lastLoadNeedsRate_;
}

plat::ObjPtr<FolderObj> Host::LoadDataFile(const std::string& path, std::string* message) {
    return LoadDataFile(path, ReadOptions{}, message);
}

plat::ObjPtr<FolderObj> Host::LoadDataFile(const std::string& path, const ReadOptions& options,
                                           std::string* message) {
    auto fail = [&](std::string text, std::vector<std::string> notes) {
        if (message) *message = text;
        SetLoadOutcome(std::move(text), std::move(notes));
        return plat::ObjPtr<FolderObj>();
    };

    // The file is read without the lock: the tree stays usable meanwhile.
    DataSet ds;
    FileResult fr = ReadDataFile(path, ds, options);
    {
        Lock lock(core_->mutex);
        lastLoadNeedsRate_ = !fr.ok && fr.needsRate;
    }
    if (!fr.ok)
        return fail(fr.message.empty() ? path + ": the file could not be read" : fr.message,
                    std::move(fr.notes));
    if (ds.signals.empty()) return fail(path + ": the file holds no signals", std::move(fr.notes));
    const std::string stem = FileStem(path);
    if (stem.empty()) return fail(path + ": the file name is empty", std::move(fr.notes));

    // Build every signal before touching the tree.
    std::vector<std::string> notes = std::move(fr.notes);
    struct Loaded {
        std::vector<std::string> folder;  // below the data folder
        plat::ObjPtr<SignalObj> signal;
    };
    std::vector<Loaded> loaded;
    loaded.reserve(ds.signals.size());
    for (size_t k = 0; k < ds.signals.size(); ++k) {
        SignalData& d = ds.signals[k];
        std::string name = d.name;
        if (name.find('/') != std::string::npos) {
            std::replace(name.begin(), name.end(), '/', '_');
            notes.push_back("signal \"" + d.name + "\" is named \"" + name +
                            "\": \"/\" separates host folders");
        }
        if (name.empty()) name = "Signal " + std::to_string(k + 1);
        Loaded l;
        for (std::string_view p : SplitPath(d.folder)) l.folder.emplace_back(p);
        FillLoadedCodes(d);
        l.signal = NewSignal();
        l.signal->Assign(std::move(d));
        l.signal->SetName(name);
        loaded.push_back(std::move(l));
    }

    Lock lock(core_->mutex);
    const std::string dataPath = JoinPath(kSignalsPath, stem);
    // Nothing but folders may stand in the way of the folders to fill.
    for (const Loaded& l : loaded) {
        plat::DispPtr cur = ResolveLocked(kSignalsPath);
        std::vector<std::string_view> way{stem};
        way.insert(way.end(), l.folder.begin(), l.folder.end());
        for (std::string_view p : way) {
            auto* f = dynamic_cast<FolderObj*>(cur.get());
            if (!f) break;
            cur = f->FindLocked(p);
            if (!cur) break;
            if (!dynamic_cast<FolderObj*>(cur.get()))
                return fail(path + ": cannot be loaded into " + dataPath + ": \"" + std::string(p) +
                                "\" there is not a folder",
                            std::move(notes));
        }
    }

    plat::ObjPtr<FolderObj> signalsFolder = root_->SubFolderLocked("Signals");
    if (!signalsFolder) return fail(path + ": the host has no folder /Signals", std::move(notes));
    plat::ObjPtr<FolderObj> data = signalsFolder->SubFolderLocked(stem);
    // Every folder first: a signal of the file named like one of its
    // folders then takes a " (k)" name instead of standing in the folder's way.
    std::vector<plat::ObjPtr<FolderObj>> targets;
    targets.reserve(loaded.size());
    for (const Loaded& l : loaded) {
        plat::ObjPtr<FolderObj> f = data;
        for (const std::string& p : l.folder) f = f->SubFolderLocked(p);
        targets.push_back(std::move(f));
    }
    // Loading a file again is idempotent: each name (and each " (k)" form a
    // repeated name took) replaces the signal of the earlier load.
    std::unordered_set<const SignalObj*> fresh;
    for (size_t i = 0; i < loaded.size(); ++i) {
        Loaded& l = loaded[i];
        const plat::ObjPtr<FolderObj>& f = targets[i];
        const std::string base = l.signal->NameLocked();
        std::string name = base;
        for (int k = 2;; ++k) {
            plat::DispPtr existing = f->FindLocked(name);
            auto* old = dynamic_cast<SignalObj*>(existing.get());
            if (!existing || (old && !fresh.count(old))) {
                l.signal->SetName(name);
                if (old)
                    f->ReplaceSignalLocked(old, l.signal);
                else
                    f->AddSignalLocked(l.signal);
                break;
            }
            name = base + " (" + std::to_string(k) + ")";
        }
        fresh.insert(l.signal.get());
    }
    if (message) message->clear();
    lastLoadMessage_.clear();
    lastLoadNotes_ = std::move(notes);
    return data;
}

bool Host::ExportFolder(std::string_view folderPath, ExportFormat format,
                        const std::string& outPath, std::string* message) const {
    DataSet ds;
    {
        Lock lock(core_->mutex);
        auto folder = plat::DynamicCast<FolderObj>(ResolveLocked(folderPath));
        if (!folder) {
            if (message) *message = std::string(folderPath) + ": no such host folder";
            return false;
        }
        CollectSignals(*folder, std::string(), ds);
    }
    if (ds.signals.empty()) {
        if (message) *message = std::string(folderPath) + ": the folder holds no signals";
        return false;
    }
    FileResult fr;
    switch (format) {
        case ExportFormat::Quor:
            fr = WriteQuor(outPath, ds);
            break;
        case ExportFormat::Uff58:
            fr = WriteUff58(outPath, ds, false);
            break;
        case ExportFormat::Uff58Binary:
            fr = WriteUff58(outPath, ds, true);
            break;
        case ExportFormat::Csv:
            fr = WriteCsv(outPath, ds);
            break;
        case ExportFormat::Mat:
            fr = WriteMat(outPath, ds);
            break;
    }
    if (message) *message = fr.message;
    return fr.ok;
}

// ---------------------------------------------------------------------------
// Plug-ins

bool Host::AttachPlugin(int pluginId, PluginExecute execute) {
    Lock lock(core_->mutex);
    for (Plugin& p : plugins_)
        if (p.id == pluginId) {
            p.execute = std::move(execute);
            return true;
        }
    return false;
}

bool Host::PressButton(int command) {
    PluginExecute execute;
    {
        Lock lock(core_->mutex);
        for (const ButtonInfo& b : buttons_) {
            if (b.command != command) continue;
            for (const Plugin& p : plugins_)
                if (p.id == b.pluginId) execute = p.execute;
            break;
        }
    }
    if (!execute) return false;
    Variant data;
    execute(CommandCode(command), &data);
    return true;
}

bool Host::MoveCursor(int graph, double x) {
    const int window = graphs_->WindowOfGraph(graph);
    if (!window || !graphs_->SetCursor(graph, x) || !graphs_->SetActive(window, graph))
        return false;
    NotifyPlugins(kCursorEvent);
    return true;
}

void Host::NotifyPlugins(uint32_t code) {
    std::vector<PluginExecute> targets;
    {
        Lock lock(core_->mutex);
        for (const Plugin& p : plugins_)
            if (p.execute) targets.push_back(p.execute);
    }
    for (const PluginExecute& execute : targets) {
        Variant data;
        execute(code, &data);
    }
}

std::vector<Host::PluginInfo> Host::Plugins() const {
    Lock lock(core_->mutex);
    std::vector<PluginInfo> out;
    for (const Plugin& p : plugins_) out.push_back({p.id, p.name, static_cast<bool>(p.execute)});
    return out;
}

std::vector<Host::ButtonInfo> Host::Buttons() const {
    Lock lock(core_->mutex);
    return buttons_;
}

// ---------------------------------------------------------------------------
// Dispatch

DispResult Host::Invoke(int dispId, InvokeKind kind, std::span<Variant> args, Variant* result) {
    if (kind != InvokeKind::Method) return DispResult::MemberNotFound;
    try {
        if (dispId == 3) {  // OpenDataFile(path): the file is read outside the lock
            if (args.size() != 1) return DispResult::BadArgCount;
            std::string path;
            if (!ArgText(args[0], path)) return DispResult::TypeMismatch;
            plat::ObjPtr<FolderObj> folder = LoadDataFile(path);
            if (!folder) return DispResult::Failed;
            SetResult(result, plat::MakeObj<DataFileObj>(path, std::move(folder)));
            return DispResult::Ok;
        }
        // A signal of another host is copied in first, before our lock is taken.
        const size_t signalArg = dispId == 10 ? 2 : dispId == 62 ? 0 : args.size();
        if (signalArg < args.size()) {
            plat::DispPtr obj;
            args[signalArg].ToObject(obj);
            auto s = plat::DynamicCast<SignalObj>(obj);
            if (s && s->Core() != core_) {
                auto own = NewSignal();
                own->Assign(s->ToData());
                own->SetName(s->Name());
                args[signalArg] = Variant(std::move(own));
            }
        }
        Lock lock(core_->mutex);
        return CallLocked(dispId, args, result);
    } catch (const std::exception&) {
        return DispResult::Failed;
    }
}

DispResult Host::CallLocked(int dispId, std::span<Variant> args, Variant* result) {
    auto need = [&](size_t n) { return args.size() == n; };
    switch (dispId) {
        case 14: {  // GetDataFolder(data file)
            if (!need(1)) return DispResult::BadArgCount;
            plat::DispPtr obj;
            if (!args[0].ToObject(obj)) return DispResult::TypeMismatch;
            if (auto* file = dynamic_cast<DataFileObj*>(obj.get()))
                SetResult(result, file->Folder());
            else if (dynamic_cast<FolderObj*>(obj.get()))
                SetResult(result, obj);
            else
                SetEmpty(result);
            return DispResult::Ok;
        }
        case 12:    // GetObject(path)
        case 52:    // GetFolder(path)
        case 59: {  // PathExists(path)
            if (!need(1)) return DispResult::BadArgCount;
            std::string path;
            if (!ArgText(args[0], path)) return DispResult::TypeMismatch;
            plat::DispPtr obj = ResolveLocked(path);
            if (dispId == 59)
                SetResult(result, static_cast<bool>(obj));
            else if (obj && (dispId == 12 || dynamic_cast<FolderObj*>(obj.get())))
                SetResult(result, std::move(obj));
            else
                SetEmpty(result);  // nothing there: an empty result, not a failure
            return DispResult::Ok;
        }
        case 77: {  // GetObjectKind(object)
            if (!need(1)) return DispResult::BadArgCount;
            plat::DispPtr obj;
            if (!args[0].ToObject(obj)) return DispResult::TypeMismatch;
            SetResult(result, KindOf(obj.get()));
            return DispResult::Ok;
        }
        case 7: {  // NewSignal(5): 5 is the one object type the host creates
            if (!need(1)) return DispResult::BadArgCount;
            int32_t type = 0;
            if (!args[0].ToInt32(type)) return DispResult::TypeMismatch;
            if (type != 5) return DispResult::Failed;
            SetResult(result, NewSignal());
            return DispResult::Ok;
        }
        case 62: {  // ExtractBlock(signal, first, count)
            if (!need(3)) return DispResult::BadArgCount;
            plat::DispPtr obj;
            int32_t first = 0, count = 0;
            if (!args[0].ToObject(obj) || !args[1].ToInt32(first) || !args[2].ToInt32(count))
                return DispResult::TypeMismatch;
            auto* s = dynamic_cast<SignalObj*>(obj.get());
            if (!s) return DispResult::TypeMismatch;
            plat::ObjPtr<SignalObj> block = s->CopyRangeLocked(first, count);
            if (!block) return DispResult::Failed;
            SetResult(result, std::move(block));
            return DispResult::Ok;
        }
        case 10: {  // AddSignal(folder path, name, signal)
            if (!need(3)) return DispResult::BadArgCount;
            std::string folder, name;
            plat::DispPtr obj;
            if (!ArgText(args[0], folder) || !args[1].ToText(name) || !args[2].ToObject(obj))
                return DispResult::TypeMismatch;
            auto s = plat::DynamicCast<SignalObj>(obj);
            if (!s) return DispResult::TypeMismatch;
            std::string filed;
            if (!AddSignalLocked(folder, name, std::move(s), &filed)) return DispResult::Failed;
            SetResult(result, std::move(filed));
            return DispResult::Ok;
        }
        case 9:  // UpdateViews()
            if (!need(0)) return DispResult::BadArgCount;
            updates_.fetch_add(1, std::memory_order_relaxed);
            return DispResult::Ok;
        case 13:  // GetGraphService()
            if (!need(0)) return DispResult::BadArgCount;
            SetResult(result, graphs_);
            return DispResult::Ok;
        case 68: {  // RegisterPlugin(name)
            if (!need(1)) return DispResult::BadArgCount;
            std::string name;
            if (!ArgText(args[0], name)) return DispResult::TypeMismatch;
            plugins_.push_back(Plugin{nextPlugin_++, std::move(name), {}});
            SetResult(result, plugins_.back().id);
            return DispResult::Ok;
        }
        case 43:  // NewCommandId(): ids fit the high 16 bits of a command code
            if (!need(0)) return DispResult::BadArgCount;
            // Never the high word of a host event (0x2FFFF, 0x10210001): a
            // plug-in tests its command ids first and would take the event
            // for a button press.
            if (nextCommand_ == 0x1021) ++nextCommand_;
            if (nextCommand_ > 0xFFFF) return DispResult::Failed;
            SetResult(result, nextCommand_++);
            return DispResult::Ok;
        case 46: {  // AddCommandButton(plug-in id, command, bitmap, text)
            if (!need(4)) return DispResult::BadArgCount;
            ButtonInfo b;
            int32_t plugin = 0, command = 0;
            if (!args[0].ToInt32(plugin) || !args[1].ToInt32(command) ||
                !args[2].ToInt64(b.bitmap) || !args[3].ToText(b.text))
                return DispResult::TypeMismatch;
            const bool known = std::any_of(plugins_.begin(), plugins_.end(),
                                           [&](const Plugin& p) { return p.id == plugin; });
            if (!known || command <= 0 || command > 0xFFFF) return DispResult::Failed;
            b.pluginId = plugin;
            b.command = command;
            buttons_.push_back(std::move(b));
            SetResult(result, static_cast<int32_t>(buttons_.size()));
            return DispResult::Ok;
        }
        default:
            return DispResult::MemberNotFound;
    }
}

}  // namespace korvex
