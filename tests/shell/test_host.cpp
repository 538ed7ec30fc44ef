// The host wrappers must make exactly the host's calls: dispatch id, kind and
// argument types. A recording fake answers them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/host.h"

using namespace plat;

namespace {

struct Call {
    int id;
    InvokeKind kind;
    std::vector<VarType> types;
    std::vector<Variant> args;
};

class Recorder : public IDispatchObject {
  public:
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant> args, Variant* result) override {
        Call c{id, kind, {}, {}};
        for (auto& a : args) {
            c.types.push_back(a.Type());
            c.args.push_back(a);
        }
        calls.push_back(c);
        if (answer) return answer(id, kind, args, result);
        return DispResult::Ok;
    }
    std::vector<Call> calls;
    std::function<DispResult(int, InvokeKind, std::span<Variant>, Variant*)> answer;

    const Call& Last() const { return calls.back(); }
};

using K = InvokeKind;
using T = VarType;

void Expect(const Call& c, int id, K kind, std::vector<T> types) {
    EXPECT_EQ(c.id, id);
    EXPECT_EQ(c.kind, kind) << "id " << id;
    EXPECT_EQ(c.types, types) << "id " << id;
}

TEST(HostWrappers, ApplicationCalls) {
    auto rec = MakeObj<Recorder>();
    host::App app{DispPtr(rec)};
    host::Signal sig{DispPtr(MakeObj<Recorder>())};

    app.OpenDataFile("/data/a.quor");
    Expect(rec->Last(), 3, K::Method, {T::Text});
    app.GetDataFolder(sig.Disp());
    Expect(rec->Last(), 14, K::Method, {T::Object});
    app.GetObject("/Signals/a/x");
    Expect(rec->Last(), 12, K::Method, {T::Text});
    app.GetFolder("/Signals/a");
    Expect(rec->Last(), 52, K::Method, {T::Text});
    app.GetObjectKind(sig.Disp());
    Expect(rec->Last(), 77, K::Method, {T::Object});
    app.PathExists("/Signals/");
    Expect(rec->Last(), 59, K::Method, {T::Text});
    app.NewSignal();
    Expect(rec->Last(), 7, K::Method, {T::Int32});
    EXPECT_EQ(rec->Last().args[0].AsInt32(), 5);
    app.ExtractBlock(sig, 10, 4096);
    Expect(rec->Last(), 62, K::Method, {T::Object, T::Int32, T::Int32});
    app.AddSignal("/Signals/r/", "x.y", sig);
    Expect(rec->Last(), 10, K::Method, {T::Text, T::Text, T::Object});
    app.UpdateViews();
    Expect(rec->Last(), 9, K::Method, {});
    app.GetGraphService();
    Expect(rec->Last(), 13, K::Method, {});
    app.RegisterPlugin("Vantrel");
    Expect(rec->Last(), 68, K::Method, {T::Text});
    app.NewCommandId();
    Expect(rec->Last(), 43, K::Method, {});
    app.AddCommandButton(1, 2, 3, "Vantrel\nVantrel");
    Expect(rec->Last(), 46, K::Method, {T::Int32, T::Int32, T::Int64, T::Text});
}

TEST(HostWrappers, SignalCalls) {
    auto rec = MakeObj<Recorder>();
    host::Signal s{DispPtr(rec)};
    s.PointCount();
    Expect(rec->Last(), 1, K::PropertyGet, {});
    s.SetPointCount(10);
    Expect(rec->Last(), 1, K::PropertyPut, {T::Int32});
    s.SetStepX(0.5);
    Expect(rec->Last(), 2, K::PropertyPut, {T::Double});
    s.StartX();
    Expect(rec->Last(), 3, K::PropertyGet, {});
    s.SetName("n");
    Expect(rec->Last(), 4, K::PropertyPut, {T::Text});
    s.Text5();
    Expect(rec->Last(), 5, K::PropertyGet, {});
    s.Unit();
    Expect(rec->Last(), 6, K::PropertyGet, {});
    s.GetX(3);
    Expect(rec->Last(), 16, K::Method, {T::Int32});
    s.GetY(3);
    Expect(rec->Last(), 17, K::Method, {T::Int32});
    s.SetY(3, 1.0);
    Expect(rec->Last(), 19, K::Method, {T::Int32, T::Double});
    s.ValueAt(2.5);
    Expect(rec->Last(), 23, K::Method, {T::Double, T::Int32});
    EXPECT_EQ(rec->Last().args[1].AsInt32(), 1);
    s.GetStartTime();
    Expect(rec->Last(), 55, K::Method, {});
    s.SetStartTime(45000.5);
    Expect(rec->Last(), 49, K::Method, {T::Double});
    s.GetAxisCode(2, 1);
    Expect(rec->Last(), 59, K::Method, {T::Int32, T::Int32});
    s.SetAxisCode(2, 1, 0x00000003FD001401ull);
    Expect(rec->Last(), 58, K::Method, {T::Int32, T::Int32, T::UInt64});
    s.SetAttribute("source", "Acc1");
    Expect(rec->Last(), 60, K::Method, {T::Text, T::Text});
    s.GetAttribute("rmscoef");
    Expect(rec->Last(), 61, K::Method, {T::Text});
    s.CopyRange(0, 100);
    Expect(rec->Last(), 62, K::Method, {T::Int64, T::Int64});
    s.GetSignalId();
    Expect(rec->Last(), 15, K::Method, {});
}

// The per-line reads take their own fast path: a callee that answers with a
// long text, or fills the result and then fails, must still have its value
// released (the sanitizer job sees a leak) and give the number or 0.
TEST(HostWrappers, PerLineValuesOfEveryKindAreReadAndReleased) {
    auto rec = MakeObj<Recorder>();
    host::Signal s{DispPtr(rec)};
    const std::string longNumber = "2.5" + std::string(40, ' ');
    int step = 0;
    rec->answer = [&](int, InvokeKind, std::span<Variant> args, Variant* r) {
        EXPECT_EQ(args.size(), 1u);
        EXPECT_EQ(args[0].Type(), T::Int32);
        switch (step++) {
            case 0:
                *r = Variant(args[0].AsInt32() * 0.5);
                return DispResult::Ok;
            case 1:
                *r = Variant(std::string(longNumber));
                return DispResult::Ok;
            default:
                *r = Variant(std::string(longNumber));
                return DispResult::Failed;
        }
    };
    EXPECT_EQ(s.GetY(7), 3.5);
    EXPECT_EQ(s.GetX(7), 2.5);
    EXPECT_EQ(s.GetY(7), 0.0);
    EXPECT_EQ(host::Signal().GetY(1), 0.0);
}

TEST(HostWrappers, FolderItemOperatorAndGraphCalls) {
    auto rec = MakeObj<Recorder>();
    DispPtr d(rec);
    host::Folder f{d};
    f.ItemCount();
    Expect(rec->Last(), 2, K::PropertyGet, {});
    f.GetItem(0);
    Expect(rec->Last(), 17, K::Method, {T::Int32});
    f.GetPath();
    Expect(rec->Last(), 12, K::Method, {});
    host::Item it{d};
    it.GetItemKind();
    Expect(rec->Last(), 18, K::Method, {});
    it.IsFolder();
    Expect(rec->Last(), 14, K::Method, {});
    it.GetItemObject();
    Expect(rec->Last(), 4, K::Method, {});
    it.ItemName();
    Expect(rec->Last(), 1, K::PropertyGet, {});

    host::Operator op{d};
    op.SetParameters("a=1, b=2");
    Expect(rec->Last(), 14, K::Method, {T::Text});
    op.SetParameter("numPoints", 4096);
    Expect(rec->Last(), 11, K::Method, {T::Text, T::Double});
    op.GetOperatorState();
    Expect(rec->Last(), 7, K::Method, {});

    host::GraphService g{d};
    g.NewGraphWindow();
    Expect(rec->Last(), 2, K::Method, {});
    g.GraphCount(1);
    Expect(rec->Last(), 13, K::Method, {T::Int32});
    g.AddGraph(1);
    Expect(rec->Last(), 4, K::Method, {T::Int32});
    g.GetGraph(1, 0);
    Expect(rec->Last(), 17, K::Method, {T::Int32, T::Int32});
    g.AddSignalToGraph(7, 99);
    Expect(rec->Last(), 7, K::Method, {T::Int32, T::Int32, T::Int32});
    EXPECT_EQ(rec->Last().args[1].AsInt32(), -1);
    g.RefreshGraph(7);
    Expect(rec->Last(), 26, K::Method, {T::Int32});
    g.ActiveWindow();
    Expect(rec->Last(), 27, K::Method, {});
    g.IsGraphWindow(1);
    Expect(rec->Last(), 60, K::Method, {T::Int32});
    g.ActiveGraph(1);
    Expect(rec->Last(), 28, K::Method, {T::Int32});
    g.GraphSignalCount(7);
    Expect(rec->Last(), 15, K::Method, {T::Int32});
    g.GraphSignalId(7, 0);
    Expect(rec->Last(), 19, K::Method, {T::Int32, T::Int32});
    g.SignalById(99);
    Expect(rec->Last(), 20, K::Method, {T::Int32});
}

TEST(HostWrappers, OutParametersAndFailures) {
    auto rec = MakeObj<Recorder>();
    auto result = MakeObj<Recorder>();
    rec->answer = [&](int id, K, std::span<Variant> args, Variant* r) {
        if (id == 10) {  // RunOperator: status 0, result in out 1
            args[2].SetRef(Variant(DispPtr(result)));
            if (r) *r = Variant(0);
            return DispResult::Ok;
        }
        if (id == 46) {  // cursor abscissa through the reference
            args[1].SetRef(Variant(2.75));
            return DispResult::Ok;
        }
        return DispResult::MemberNotFound;
    };
    DispPtr d(rec);
    host::Operator op{d};
    DispPtr in(MakeObj<Recorder>());
    DispPtr out;
    EXPECT_EQ(op.RunOperator(in, out), 0);
    EXPECT_EQ(out.get(), result.get());
    Expect(rec->Last(), 10, K::Method, {T::Object, T::Object, T::Ref, T::Ref});
    EXPECT_EQ(rec->Last().args[0].AsObject(), in);
    EXPECT_EQ(rec->Last().args[1].AsObject(), in);

    host::GraphService g{d};
    double x = 0;
    EXPECT_TRUE(g.GetCursorX(4, x));
    EXPECT_DOUBLE_EQ(x, 2.75);
    Expect(rec->Last(), 46, K::Method, {T::Int32, T::Ref, T::Bool});

    // A refused call reads as 0 / empty / null; a null connection as well.
    host::Signal s{d};
    EXPECT_EQ(s.PointCount(), 0);
    EXPECT_EQ(s.Name(), "");
    EXPECT_FALSE(s.CopyRange(0, 1));
    host::App none;
    EXPECT_FALSE(none.UpdateViews());
    EXPECT_FALSE(none.GetSignal("/Signals/x"));
    DispPtr o2;
    EXPECT_EQ(host::Operator().RunOperator(in, o2), -1);
}

TEST(HostWrappers, TypedLookupsCheckTheKind) {
    auto rec = MakeObj<Recorder>();
    auto obj = MakeObj<Recorder>();
    int kind = 4;
    rec->answer = [&](int id, K, std::span<Variant>, Variant* r) {
        if (id == 12) *r = Variant(DispPtr(obj));
        if (id == 77) *r = Variant(kind);
        return DispResult::Ok;
    };
    host::App app{DispPtr(rec)};
    EXPECT_TRUE(app.GetOperator("/Operators/x"));
    EXPECT_FALSE(app.GetSignal("/Operators/x"));
    kind = 3;
    EXPECT_TRUE(app.GetSignal("/Signals/x"));
}

}  // namespace
