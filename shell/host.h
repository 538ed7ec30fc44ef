#pragma once
// Typed access to the host application's automation objects. Every call is a
// late-bound dispatch call with the host's dispatch id; every wrapper owns one
// reference to its host object and releases it when destroyed.
//
// Failures come back as return values: an object call that fails yields a
// null wrapper, a value call yields 0 or an empty text, a command yields false.

#include <cstdint>
#include <string>

#include "platform/dispatch.h"

namespace host {

// Dispatch ids of the host's automation interface.
namespace id {
// Application
inline constexpr int OpenDataFile = 3;
inline constexpr int NewSignal = 7;
inline constexpr int UpdateViews = 9;
inline constexpr int AddSignal = 10;
inline constexpr int GetObject = 12;
inline constexpr int GetGraphService = 13;
inline constexpr int GetDataFolder = 14;
inline constexpr int NewCommandId = 43;
inline constexpr int AddCommandButton = 46;
inline constexpr int GetFolder = 52;
inline constexpr int PathExists = 59;
inline constexpr int ExtractBlock = 62;
inline constexpr int RegisterPlugin = 68;
inline constexpr int GetObjectKind = 77;
// Folder and folder item
inline constexpr int ItemName = 1;
inline constexpr int ItemCount = 2;
inline constexpr int GetItemObject = 4;
inline constexpr int GetPath = 12;
inline constexpr int IsFolder = 14;
inline constexpr int GetItem = 17;
inline constexpr int GetItemKind = 18;
// Signal
inline constexpr int PointCount = 1;
inline constexpr int StepX = 2;
inline constexpr int StartX = 3;
inline constexpr int Name = 4;
inline constexpr int Text5 = 5;
inline constexpr int Unit = 6;
inline constexpr int GetSignalId = 15;
inline constexpr int GetX = 16;
inline constexpr int GetY = 17;
inline constexpr int SetY = 19;
inline constexpr int ValueAt = 23;
inline constexpr int SetStartTime = 49;
inline constexpr int GetStartTime = 55;
inline constexpr int SetAxisCode = 58;
inline constexpr int GetAxisCode = 59;
inline constexpr int SetAttribute = 60;
inline constexpr int GetAttribute = 61;
inline constexpr int CopyRange = 62;
inline constexpr int GetYRange = 63;
// Operator
inline constexpr int GetOperatorState = 7;
inline constexpr int RunOperator = 10;
inline constexpr int SetParameter = 11;
inline constexpr int SetParameters = 14;
// Graph service
inline constexpr int NewGraphWindow = 2;
inline constexpr int AddGraph = 4;
inline constexpr int AddSignalToGraph = 7;
inline constexpr int GraphCount = 13;
inline constexpr int GraphSignalCount = 15;
inline constexpr int GetGraph = 17;
inline constexpr int GraphSignalId = 19;
inline constexpr int SignalById = 20;
inline constexpr int RefreshGraph = 26;
inline constexpr int ActiveWindow = 27;
inline constexpr int ActiveGraph = 28;
inline constexpr int GetCursorX = 46;
inline constexpr int WindowType = 60;
}  // namespace id

// Object kinds reported by GetObjectKind.
enum ObjectKind : int { KindNone = 0, KindFolder = 2, KindSignal = 3, KindOperator = 4 };
// GetItemKind of a folder entry that holds a signal.
inline constexpr int ItemKindSignal = 2;
// WindowType of a graph window.
inline constexpr int WindowTypeGraph = 1;

class Object {
  public:
    Object() = default;
    explicit Object(plat::DispPtr p) : p_(std::move(p)) {}
    explicit operator bool() const { return static_cast<bool>(p_); }
    const plat::DispPtr& Disp() const { return p_; }
    void Reset() { p_.reset(); }

  protected:
    // A value call; false when the host refused it.
    template <class... A>
    bool Call(int dispId, plat::InvokeKind kind, plat::Variant* result, A&&... a) const {
        return plat::Invoke(p_.get(), dispId, kind, result, std::forward<A>(a)...) ==
               plat::DispResult::Ok;
    }
    template <class... A>
    bool Method(int dispId, A&&... a) const {
        return Call(dispId, plat::InvokeKind::Method, nullptr, std::forward<A>(a)...);
    }
    template <class... A>
    plat::Variant MethodValue(int dispId, A&&... a) const {
        plat::Variant r;
        if (!Call(dispId, plat::InvokeKind::Method, &r, std::forward<A>(a)...)) return {};
        return r;
    }
    plat::Variant Get(int dispId) const {
        plat::Variant r;
        if (!Call(dispId, plat::InvokeKind::PropertyGet, &r)) return {};
        return r;
    }
    template <class T>
    bool Put(int dispId, T&& v) const {
        return Call(dispId, plat::InvokeKind::PropertyPut, nullptr, std::forward<T>(v));
    }

    plat::DispPtr p_;
};

class Signal : public Object {
  public:
    using Object::Object;
    int PointCount() const { return Get(id::PointCount).AsInt32(); }
    bool SetPointCount(int n) const { return Put(id::PointCount, n); }
    double StepX() const { return Get(id::StepX).AsDouble(); }
    bool SetStepX(double v) const { return Put(id::StepX, v); }
    double StartX() const { return Get(id::StartX).AsDouble(); }
    bool SetStartX(double v) const { return Put(id::StartX, v); }
    std::string Name() const { return Get(id::Name).AsText(); }
    bool SetName(const std::string& v) const { return Put(id::Name, v); }
    std::string Text5() const { return Get(id::Text5).AsText(); }
    bool SetText5(const std::string& v) const { return Put(id::Text5, v); }
    std::string Unit() const { return Get(id::Unit).AsText(); }
    // The per-line calls read the result where it was written.
    double GetX(int index) const { return LineValue(id::GetX, index); }
    double GetY(int index) const { return LineValue(id::GetY, index); }
    bool SetY(int index, double v) const { return Method(id::SetY, index, v); }
    // Linear interpolation at x; outside the signal the end values hold.
    double ValueAt(double x) const { return MethodValue(id::ValueAt, x, 1).AsDouble(); }
    double GetStartTime() const { return MethodValue(id::GetStartTime).AsDouble(); }
    bool SetStartTime(double date) const { return Method(id::SetStartTime, date); }
    uint64_t GetAxisCode(int part, int axis) const {
        return MethodValue(id::GetAxisCode, part, axis).AsUInt64();
    }
    bool SetAxisCode(int part, int axis, uint64_t code) const {
        return Method(id::SetAxisCode, part, axis, code);
    }
    bool SetAttribute(const std::string& name, const std::string& value) const {
        return Method(id::SetAttribute, name, value);
    }
    std::string GetAttribute(const std::string& name) const {
        return MethodValue(id::GetAttribute, name).AsText();
    }
    // The same as the host's own value: a short text inside it is read in
    // place, with no copy.
    plat::Variant GetAttributeValue(const std::string& name) const {
        return MethodValue(id::GetAttribute, name);
    }
    // Values [first, first + count) into out in one call; false when the
    // host offers no such call or the range does not lie inside.
    bool GetYRange(int first, int count, double* out) const {
        return Method(id::GetYRange, first, count,
                      static_cast<uint64_t>(reinterpret_cast<uintptr_t>(out)));
    }
    Signal CopyRange(int64_t first, int64_t count) const {
        return Signal(MethodValue(id::CopyRange, first, count).AsObject());
    }
    int GetSignalId() const { return MethodValue(id::GetSignalId).AsInt32(); }

  private:
    // Called for every spectrum line, so it calls the object straight
    // rather than through the general argument packing.
    [[gnu::always_inline]] double LineValue(int dispId, int index) const {
        if (!p_) [[unlikely]]
            return 0.0;
        plat::PlainArg arg(index);
        plat::Variant r{plat::Variant::Slot{}};
        if (p_->Invoke(dispId, plat::InvokeKind::Method, arg.Span(), &r) == plat::DispResult::Ok)
            [[likely]]
            return r.AsDouble();
        return 0.0;
    }
};

class Item : public Object {
  public:
    using Object::Object;
    int ItemCount() const { return Get(id::ItemCount).AsInt32(); }
    int GetItemKind() const { return MethodValue(id::GetItemKind).AsInt32(); }
    bool IsFolder() const { return MethodValue(id::IsFolder).AsInt32() != 0; }
    plat::DispPtr GetItemObject() const { return MethodValue(id::GetItemObject).AsObject(); }
    std::string ItemName() const { return Get(id::ItemName).AsText(); }
};

class Folder : public Object {
  public:
    using Object::Object;
    int ItemCount() const { return Get(id::ItemCount).AsInt32(); }
    Item GetItem(int index) const { return Item(MethodValue(id::GetItem, index).AsObject()); }
    std::string GetPath() const { return MethodValue(id::GetPath).AsText(); }
};

class Operator : public Object {
  public:
    using Object::Object;
    bool SetParameters(const std::string& params) const {
        return Method(id::SetParameters, params);
    }
    bool SetParameter(const std::string& key, double value) const {
        return Method(id::SetParameter, key, value);
    }
    // Runs the operator on one input; returns the host's status (0 = success,
    // -1 when the call itself failed) and the first output in out.
    int RunOperator(const plat::DispPtr& input, plat::DispPtr& out) const;
    int GetOperatorState() const { return MethodValue(id::GetOperatorState).AsInt32(); }
};

class GraphService : public Object {
  public:
    using Object::Object;
    int NewGraphWindow() const { return MethodValue(id::NewGraphWindow).AsInt32(); }
    int GraphCount(int window) const { return MethodValue(id::GraphCount, window).AsInt32(); }
    bool AddGraph(int window) const { return Method(id::AddGraph, window); }
    int GetGraph(int window, int index) const {
        return MethodValue(id::GetGraph, window, index).AsInt32();
    }
    bool AddSignalToGraph(int graph, int signalId) const {
        return Method(id::AddSignalToGraph, graph, -1, signalId);
    }
    bool RefreshGraph(int graph) const { return Method(id::RefreshGraph, graph); }
    // What the report window asks to follow the cursor.
    int ActiveWindow() const { return MethodValue(id::ActiveWindow).AsInt32(); }
    bool IsGraphWindow(int window) const {
        return MethodValue(id::WindowType, window).AsInt32() == WindowTypeGraph;
    }
    int ActiveGraph(int window) const { return MethodValue(id::ActiveGraph, window).AsInt32(); }
    int GraphSignalCount(int graph) const {
        return MethodValue(id::GraphSignalCount, graph).AsInt32();
    }
    int GraphSignalId(int graph, int index) const {
        return MethodValue(id::GraphSignalId, graph, index).AsInt32();
    }
    Signal SignalById(int signalId) const {
        return Signal(MethodValue(id::SignalById, signalId).AsObject());
    }
    // The cursor abscissa of a graph; false when the host has none.
    bool GetCursorX(int graph, double& x) const;
};

// The host application: the one connection the plug-in holds.
class App : public Object {
  public:
    using Object::Object;
    plat::DispPtr OpenDataFile(const std::string& path) const {
        return MethodValue(id::OpenDataFile, path).AsObject();
    }
    Folder GetDataFolder(const plat::DispPtr& dataFile) const {
        return Folder(MethodValue(id::GetDataFolder, dataFile).AsObject());
    }
    plat::DispPtr GetObject(const std::string& path) const {
        return MethodValue(id::GetObject, path).AsObject();
    }
    Folder GetFolder(const std::string& path) const {
        return Folder(MethodValue(id::GetFolder, path).AsObject());
    }
    int GetObjectKind(const plat::DispPtr& obj) const {
        return MethodValue(id::GetObjectKind, obj).AsInt32();
    }
    bool PathExists(const std::string& path) const {
        return MethodValue(id::PathExists, path).AsBool();
    }
    Signal NewSignal() const { return Signal(MethodValue(id::NewSignal, 5).AsObject()); }
    Signal ExtractBlock(const Signal& s, int first, int count) const {
        return Signal(MethodValue(id::ExtractBlock, s.Disp(), first, count).AsObject());
    }
    bool AddSignal(const std::string& folderPath, const std::string& name, const Signal& s) const {
        return Method(id::AddSignal, folderPath, name, s.Disp());
    }
    bool UpdateViews() const { return Method(id::UpdateViews); }
    GraphService GetGraphService() const {
        return GraphService(MethodValue(id::GetGraphService).AsObject());
    }
    int RegisterPlugin(const std::string& name) const {
        return MethodValue(id::RegisterPlugin, name).AsInt32();
    }
    int NewCommandId() const { return MethodValue(id::NewCommandId).AsInt32(); }
    int AddCommandButton(int pluginId, int command, int64_t bitmap, const std::string& text) const {
        return MethodValue(id::AddCommandButton, pluginId, command, bitmap, text).AsInt32();
    }
    // The object at path as a signal, or a null signal when it is none.
    Signal GetSignal(const std::string& path) const;
    // The object at path as an operator, or a null operator when it is none.
    Operator GetOperator(const std::string& path) const;
};

}  // namespace host
