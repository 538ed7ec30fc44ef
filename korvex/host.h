#pragma once
// The stand-in host application: the object tree of folders, signals and
// operators, data files, the graph service and the plug-in buttons, answering
// the host's automation calls by dispatch id. docs/korvex.md describes it.
//
// Besides Invoke it offers C++ calls for tests, tools and the workbench; they
// take the same host lock as the dispatch calls. Calls into a plug-in
// (PressButton, MoveCursor) are made without the lock held, because a
// plug-in command may wait for a worker thread that calls the host.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/graphs.h"
#include "korvex/objects.h"
#include "korvex/operators.h"
#include "platform/dispatch.h"

namespace korvex {

struct ReadOptions;  // korvex/formats/readers.h

enum class ExportFormat { Quor, Uff58, Uff58Binary, Csv, Mat };

// Paths the host creates at start.
inline constexpr const char* kSignalsPath = "/Signals";
inline constexpr const char* kAutoSpectrumPath = "/Operators/АвтоСпектр";
inline constexpr const char* kTachoPath = "/VibroOpers/Тахо";
inline constexpr const char* kSpeedFromSpectrumPath = "/VibroOpers/Обороты по спектру";

// Command codes sent to a plug-in's Execute.
inline constexpr uint32_t kCursorEvent = 0x2FFFF;
constexpr uint32_t CommandCode(int command) {
    return static_cast<uint32_t>(command) << 16;
}

class Host final : public plat::IDispatchObject {
  public:
    Host();
    ~Host() override;

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    // Holds the host lock for a series of reads that must agree.
    Lock LockTree() const { return Lock(core_->mutex); }
    const CorePtr& Core() const { return core_; }
    plat::ObjPtr<FolderObj> Root() const { return root_; }

    // --- Tree ---
    plat::DispPtr FindObject(std::string_view path) const;
    plat::ObjPtr<SignalObj> FindSignal(std::string_view path) const;
    plat::ObjPtr<FolderObj> FindFolder(std::string_view path) const;
    plat::ObjPtr<SignalObj> NewSignal();
    // Files s at folderPath + "/" + name (a "/" inside name goes down into
    // sub-folders); missing folders are created. A name already present in
    // the folder gets " (2)", " (3)", ... and the signal's Name becomes the
    // name it was filed under. A signal already filed somewhere, or one of
    // another host, is filed as a copy. False when a signal or operator is in
    // the way of the folder path or the name is empty.
    bool AddSignal(std::string_view folderPath, std::string_view name,
                   const plat::ObjPtr<SignalObj>& s, std::string* filedPath = nullptr);
    // Tree shape changes so far (entries added, replaced, renamed).
    uint64_t ChangeCount() const { return core_->treeChanges.load(std::memory_order_relaxed); }
    // UpdateViews calls so far; a view repaints when it moves.
    uint64_t UpdateCount() const { return updates_.load(std::memory_order_relaxed); }

    // --- Data files ---
    // Reads a data file into "/Signals/<file name without extension>" and
    // returns that folder, or null with a message naming the file and the
    // fault (the tree is then unchanged). Reloading replaces the signals of
    // the same name and keeps the others.
    plat::ObjPtr<FolderObj> LoadDataFile(const std::string& path, std::string* message = nullptr);
    // The same with what the file may need from the user: a sample rate,
    // the choices for a CSV or text file.
    plat::ObjPtr<FolderObj> LoadDataFile(const std::string& path, const ReadOptions& options,
                                         std::string* message = nullptr);
    // The message of the last failed load ("" after a success).
    std::string LastLoadMessage() const;
    // Notes of the last load: what the reader skipped or the host adjusted.
    std::vector<std::string> LastLoadNotes() const;
    // Remarks of operator runs since the last call ("Tacho \"X\": 3 missing
    // pulses filled"), oldest first, for a log; each is handed out once.
    std::vector<std::string> TakeOperatorNotes();
    // Whether the last load failed for want of a sample rate only.
    bool LastLoadNeedsRate() const;
    // Writes a host folder and its sub-folders: one ".quor", UFF58 or MAT
    // file, or for Csv one file per signal below the directory outPath.
    bool ExportFolder(std::string_view folderPath, ExportFormat format, const std::string& outPath,
                      std::string* message = nullptr) const;

    // --- Graphs ---
    GraphService& Graphs() const { return *graphs_; }

    // --- Plug-ins ---
    using PluginExecute = std::function<void(uint32_t code, plat::Variant* data)>;
    struct PluginInfo {
        int id = 0;
        std::string name;
        bool attached = false;
    };
    struct ButtonInfo {
        int pluginId = 0;
        int command = 0;
        int64_t bitmap = 0;
        std::string text;  // caption "\n" tooltip
    };
    // Connects a registered plug-in to its Execute; false for an unknown id.
    bool AttachPlugin(int pluginId, PluginExecute execute);
    // Presses the button of a command: Execute(command << 16) of its
    // plug-in. False when no attached plug-in owns that button.
    bool PressButton(int command);
    // Moves the cursor of a graph (making it the active graph of the active
    // window) and sends the cursor event to every attached plug-in.
    bool MoveCursor(int graph, double x);
    // Sends code to every attached plug-in.
    void NotifyPlugins(uint32_t code);
    std::vector<PluginInfo> Plugins() const;
    std::vector<ButtonInfo> Buttons() const;

  private:
    struct Plugin {
        int id = 0;
        std::string name;
        PluginExecute execute;
    };

    plat::DispPtr ResolveLocked(std::string_view path) const;
    bool AddSignalLocked(std::string_view folderPath, std::string_view name,
                         plat::ObjPtr<SignalObj> s, std::string* filedPath);
    plat::DispResult CallLocked(int dispId, std::span<plat::Variant> args, plat::Variant* result);
    void SetLoadOutcome(std::string message, std::vector<std::string> notes);

    const CorePtr core_;
    plat::ObjPtr<FolderObj> root_;
    plat::ObjPtr<GraphService> graphs_;
    std::atomic<uint64_t> updates_{0};
    std::vector<Plugin> plugins_;
    std::vector<ButtonInfo> buttons_;
    int nextPlugin_ = 1;
    int nextCommand_ = 1000;
    std::string lastLoadMessage_;
    std::vector<std::string> lastLoadNotes_;
    bool lastLoadNeedsRate_ = false;
};

plat::ObjPtr<Host> CreateHost();

}  // namespace korvex
