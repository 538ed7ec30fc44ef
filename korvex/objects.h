#pragma once
// The objects of the host's tree: folders, their entries, signals, operators
// and loaded data files. Each is a dispatch object; the plug-in reaches them
// only through Invoke by dispatch id.
//
// Threads: every object of one host shares one recursive mutex (HostCore).
// Every Invoke and every C++ accessor below takes it, so a worker thread may
// write signals while the user-interface thread reads the tree. Members
// marked "Locked" expect the caller to hold it already.
//
// A signal that has never been filed in the tree is the exception: only the
// holders of its handle can reach it, so its calls skip the host lock, and
// holders that share one across threads order their calls themselves. Once
// filed, a signal is shared for the rest of its life and always locks.
// Signals cut from another (blocks, range copies) share its sample array
// until one side writes, so a block read without the lock never sees a write
// its filed source takes under the lock.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "korvex/dataset.h"
#include "korvex/sample_buffer.h"
#include "platform/dispatch.h"

namespace korvex {

class FolderObj;
class SignalObj;

// Object kinds answered by GetObjectKind. A loaded data file is not one of
// the listed kinds but must not read as "none", so it gets 1.
enum ObjectKind : int {
    KindNone = 0,
    KindDataFile = 1,
    KindFolder = 2,
    KindSignal = 3,
    KindOperator = 4
};
// GetItemKind of a folder entry.
enum ItemKind : int { ItemFolder = 1, ItemSignal = 2, ItemOperator = 3 };

// State shared by all objects of one host.
struct HostCore {
    mutable std::recursive_mutex mutex;
    std::atomic<int> nextSignalId{1};
    // Bumped on every change of the tree's shape (entries added, replaced,
    // renamed) so that a view can tell when to rebuild.
    std::atomic<uint64_t> treeChanges{0};
    // The tree's root while the host lives (for lookups by signal id);
    // guarded by mutex, cleared when the host is destroyed.
    FolderObj* root = nullptr;
    // Remarks of operator runs (repaired pulses, ...) for the host's log,
    // oldest first; the host hands them out and forgets them.
    std::mutex notesMutex;
    std::vector<std::string> operatorNotes;
};
using CorePtr = std::shared_ptr<HostCore>;
using Lock = std::unique_lock<std::recursive_mutex>;

int KindOf(const plat::IDispatchObject* obj);

// Operators are named tree entries; operators.h defines the real ones.
class OperatorObj : public plat::IDispatchObject {
  public:
    OperatorObj(CorePtr core, std::string name) : core_(std::move(core)), name_(std::move(name)) {}
    const std::string& OperatorName() const { return name_; }

  protected:
    CorePtr core_;

  private:
    const std::string name_;
};

class SignalObj final : public plat::IDispatchObject {
  public:
    explicit SignalObj(CorePtr core);
    ~SignalObj() override;

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    // Unique among all signals of the host for its whole life.
    int Id() const { return id_; }
    // Whether the signal has ever been filed in the tree (it then locks).
    bool Shared() const { return shared_.load(std::memory_order_acquire); }
    const CorePtr& Core() const { return core_; }

    // C++ access (each call takes the host lock).
    std::string Name() const;
    std::string Unit() const;  // follows the unit code where the table knows it
    size_t PointCount() const;
    double StartX() const;
    double StepX() const;
    std::vector<double> Samples() const;
    // Everything the signal holds, in the plain form the data files use
    // (folder left empty).
    SignalData ToData() const;
    // Replaces everything but the name and the place in the tree.
    void Assign(SignalData data);
    // Same rules as putting Name: a filed signal is renamed in its folder,
    // which fails when a sibling has that name or the name holds a "/".
    bool SetName(const std::string& name);
    // Sets the unit text and the y axis quantity and unit codes from the
    // table; a text the table does not know clears those codes.
    void SetUnit(const std::string& text);
    // A new signal of points [first, first + count), sharing this one's
    // values until either writes; null when the range does not lie inside
    // the signal.
    plat::ObjPtr<SignalObj> CopyRange(int64_t first, int64_t count) const;

    // Under the lock.
    const SampleBuffer& SamplesLocked() const { return y_; }
    FolderObj* ParentLocked() const { return parent_; }
    const std::string& NameLocked() const { return name_; }
    const std::string& Text5Locked() const { return text5_; }
    double StartXLocked() const { return startX_; }
    double StepXLocked() const { return stepX_; }
    double StartTimeLocked() const { return startTime_; }
    std::string UnitLocked() const;
    // The value filed under key; empty when unset.
    std::string AttributeLocked(std::string_view key) const;
    plat::ObjPtr<SignalObj> CopyRangeLocked(int64_t first, int64_t count) const;
    void AssignLocked(SignalData data);
    SignalData ToDataLocked() const;

  private:
    friend class FolderObj;

    // Holds the host lock while the signal is shared.
    class Guard {
      public:
        explicit Guard(const SignalObj& s) {
            if (s.Shared()) lock_ = Lock(s.core_->mutex);
        }

      private:
        Lock lock_;
    };

    uint64_t CodeLocked(int part, int axis) const;
    bool SetNameLocked(std::string name);
    // The value filed under key, or null.
    std::string* FindAttribute(std::string_view key);
    [[gnu::noinline]] plat::DispResult AttributeCall(std::span<plat::Variant> args,
                                                     plat::Variant* result);
    // Whether i indexes a point: a negative index widens to a size no
    // buffer has, so one compare bounds it.
    bool InRange(int32_t i) const { return static_cast<size_t>(int64_t{i}) < y_.size(); }
    // The same for a signal only its holder reaches, false on a filed one:
    // GetY's fast path bounds the index and tests for the lock in one compare.
    bool HolderInRange(int32_t i) const {
        return static_cast<size_t>(int64_t{i}) < holderPoints_.load(std::memory_order_relaxed);
    }
    // After every change of the point count.
    void PointsChanged() {
        holderPoints_.store(Shared() ? 0 : y_.size(), std::memory_order_relaxed);
    }
    // Under the lock, as a folder takes the signal: from now on other
    // threads reach it, so every call goes the locked way.
    void FiledIn(FolderObj* parent) {
        parent_ = parent;
        shared_.store(true, std::memory_order_release);
        PointsChanged();
    }
    [[gnu::noinline]] plat::DispResult InvokeNear(int dispId, plat::InvokeKind kind,
                                                  std::span<plat::Variant> args,
                                                  plat::Variant* result);
    [[gnu::noinline]] plat::DispResult InvokeRest(int dispId, plat::InvokeKind kind,
                                                  std::span<plat::Variant> args,
                                                  plat::Variant* result);
    // The per-line calls and SetY; other calls take the general path.
    [[gnu::always_inline]] inline plat::DispResult LineCall(int dispId,
                                                            std::span<plat::Variant> args,
                                                            plat::Variant* result);
    [[gnu::noinline]] plat::DispResult LockedLineCall(int dispId, std::span<plat::Variant> args,
                                                      plat::Variant* result);
    plat::DispResult InvokeGeneral(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                                   plat::Variant* result);
    plat::DispResult Get(int dispId, plat::Variant* result);
    plat::DispResult Put(int dispId, std::span<plat::Variant> args);
    plat::DispResult Call(int dispId, std::span<plat::Variant> args, plat::Variant* result);

    const CorePtr core_;
    const int id_;
    std::string name_;
    std::string text5_;
    std::string unit_;
    double startX_ = 0.0;
    double stepX_ = 1.0;
    double startTime_ = 0.0;
    std::map<std::pair<int, int>, uint64_t> codes_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    SampleBuffer y_;               // shared with the signals cut from this one until either writes
    FolderObj* parent_ = nullptr;  // the folder that files it (it owns us), or null
    std::atomic<bool> shared_{false};      // set under the lock when first filed
    std::atomic<size_t> holderPoints_{0};  // y_.size() until filed, then 0
};

// A folder of the tree. Entries keep their insertion order; names are unique
// within a folder and compared exactly: channels "b" and "B" are two signals.
class FolderObj final : public plat::IDispatchObject {
  public:
    FolderObj(CorePtr core, std::string name, std::string path);
    ~FolderObj() override;

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    const std::string& FolderName() const { return name_; }
    // "/Signals/test" (no trailing "/"); "/" for the root.
    const std::string& Path() const { return path_; }

    struct Entry {
        std::string name;
        ItemKind kind;
        plat::DispPtr object;
    };
    std::vector<Entry> Entries() const;  // takes the lock

    // --- Under the lock ---
    size_t CountLocked() const { return children_.size(); }
    Entry EntryLocked(size_t index) const;
    // The entry of that name, or null.
    plat::DispPtr FindLocked(std::string_view name) const;
    plat::ObjPtr<FolderObj> FindFolderLocked(std::string_view name) const;
    // The sub-folder of that name, created when missing; null when an entry
    // of that name is not a folder.
    plat::ObjPtr<FolderObj> SubFolderLocked(std::string_view name);
    // The name itself when free, else name + " (2)", " (3)", ...
    std::string UniqueNameLocked(std::string_view name) const;
    // Files a signal that no folder holds yet under its Name, which must be
    // free here.
    void AddSignalLocked(const plat::ObjPtr<SignalObj>& s);
    // Puts s in place of the signal old (which leaves the tree).
    void ReplaceSignalLocked(SignalObj* old, const plat::ObjPtr<SignalObj>& s);
    void AddOperatorLocked(const plat::ObjPtr<OperatorObj>& op);
    // Whether the signal s may take that name here.
    bool CanRenameLocked(const SignalObj* s, std::string_view name) const;
    // Depth-first search of this folder and those below it.
    plat::ObjPtr<SignalObj> FindSignalByIdLocked(int id) const;

  private:
    struct Child {
        ItemKind kind;
        plat::DispPtr object;
    };
    static const std::string& ChildName(const Child& c);
    void Changed() { core_->treeChanges.fetch_add(1, std::memory_order_relaxed); }

    const CorePtr core_;
    const std::string name_;
    const std::string path_;
    std::vector<Child> children_;
};

// One entry of a folder as GetItem hands it out.
class ItemObj final : public plat::IDispatchObject {
  public:
    ItemObj(CorePtr core, ItemKind kind, plat::DispPtr object)
        : core_(std::move(core)), kind_(kind), object_(std::move(object)) {}
    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

  private:
    const CorePtr core_;
    const ItemKind kind_;
    const plat::DispPtr object_;
};

// What OpenDataFile returns: the file and the folder its signals went to.
class DataFileObj final : public plat::IDispatchObject {
  public:
    DataFileObj(std::string path, plat::ObjPtr<FolderObj> folder)
        : path_(std::move(path)), folder_(std::move(folder)) {}
    // Answers nothing by itself; the host's GetDataFolder reads it.
    plat::DispResult Invoke(int, plat::InvokeKind, std::span<plat::Variant>,
                            plat::Variant*) override {
        return plat::DispResult::MemberNotFound;
    }
    const std::string& FilePath() const { return path_; }
    const plat::ObjPtr<FolderObj>& Folder() const { return folder_; }

  private:
    const std::string path_;
    const plat::ObjPtr<FolderObj> folder_;
};

// Path helpers. Host paths are "/"-separated; empty components (doubled or
// trailing "/") are ignored, so "/Signals/a/" and "/Signals//a" name the same
// folder as "/Signals/a".
std::vector<std::string_view> SplitPath(std::string_view path);
std::string JoinPath(std::string_view folderPath, std::string_view name);

}  // namespace korvex
