// The host's object tree and signals, reached the way the plug-in reaches
// them: through the typed wrappers and dispatch ids of shell/host.h.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "korvex/host.h"
#include "korvex/units.h"
#include "shell/host.h"

namespace korvex {
namespace {

struct HostFixture : ::testing::Test {
    plat::ObjPtr<Host> h = CreateHost();
    host::App app{plat::DispPtr(h)};

    host::Signal MakeSignal(const std::string& name, std::vector<double> y, double startX = 0,
                            double stepX = 1) {
        host::Signal s = app.NewSignal();
        EXPECT_TRUE(s);
        s.SetName(name);
        s.SetPointCount(static_cast<int>(y.size()));
        s.SetStartX(startX);
        s.SetStepX(stepX);
        for (size_t i = 0; i < y.size(); ++i) s.SetY(static_cast<int>(i), y[i]);
        return s;
    }
};

using HostTree = HostFixture;
using HostSignal = HostFixture;

TEST_F(HostTree, StartsWithSignalsAndTheTwoOperators) {
    EXPECT_TRUE(app.PathExists("/Signals/"));
    EXPECT_TRUE(app.PathExists("/Signals"));
    EXPECT_FALSE(app.PathExists("/Nowhere"));

    EXPECT_EQ(app.GetObjectKind(app.GetObject("/Signals/")), host::KindFolder);
    EXPECT_EQ(app.GetObjectKind(app.GetObject("/Operators/АвтоСпектр")), host::KindOperator);
    EXPECT_EQ(app.GetObjectKind(app.GetObject("/VibroOpers/Тахо")), host::KindOperator);
    EXPECT_TRUE(app.GetOperator("/VibroOpers/Тахо"));
    EXPECT_FALSE(app.GetSignal("/VibroOpers/Тахо"));
    // A missing path is an empty answer, whose kind is none.
    EXPECT_FALSE(app.GetObject("/Signals/missing"));
    EXPECT_EQ(app.GetObjectKind(app.GetObject("/Signals/missing")), host::KindNone);
    EXPECT_EQ(app.GetObjectKind(plat::DispPtr()), host::KindNone);
    EXPECT_FALSE(app.GetFolder("/VibroOpers/Тахо"));  // not a folder

    host::Folder ops = app.GetFolder("/Operators");
    ASSERT_TRUE(ops);
    EXPECT_EQ(ops.GetPath(), "/Operators");
    ASSERT_EQ(ops.ItemCount(), 1);
    host::Item it = ops.GetItem(0);
    EXPECT_EQ(it.ItemName(), "АвтоСпектр");
    EXPECT_FALSE(it.IsFolder());
    EXPECT_NE(it.GetItemKind(), host::ItemKindSignal);
    EXPECT_EQ(app.GetObjectKind(it.GetItemObject()), host::KindOperator);
    EXPECT_FALSE(ops.GetItem(1));
    EXPECT_FALSE(ops.GetItem(-1));
}

TEST_F(HostTree, AddSignalCreatesFoldersAndSuffixesTakenNames) {
    const uint64_t changes = h->ChangeCount();
    host::Signal a = MakeSignal("a", {1, 2, 3});
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/test/", "x", a));
    EXPECT_GT(h->ChangeCount(), changes);
    EXPECT_EQ(a.Name(), "x");  // filed under that name

    host::Signal b = MakeSignal("b", {4});
    host::Signal c = MakeSignal("c", {5});
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/test", "x", b));
    // Names differing only in case are two entries: a configuration keeps
    // channels "x" and "X" apart, and so must the tree.
    ASSERT_TRUE(app.AddSignal("/Signals//Результаты/test/", "X", c));
    EXPECT_EQ(b.Name(), "x (2)");
    EXPECT_EQ(c.Name(), "X");
    EXPECT_EQ(app.GetSignal("/Signals/Результаты/test/X").GetY(0), 5);
    EXPECT_EQ(app.GetSignal("/Signals/Результаты/test/x").GetY(0), 1);
    EXPECT_FALSE(app.PathExists("/signals/Результаты/test/x"));

    host::Folder f = app.GetFolder("/Signals/Результаты/test/");
    ASSERT_TRUE(f);
    EXPECT_EQ(f.GetPath(), "/Signals/Результаты/test");
    ASSERT_EQ(f.ItemCount(), 3);
    EXPECT_EQ(f.GetItem(1).ItemName(), "x (2)");
    EXPECT_EQ(f.GetItem(1).GetItemKind(), host::ItemKindSignal);
    EXPECT_EQ(host::Signal(f.GetItem(2).GetItemObject()).GetY(0), 5);

    // The object at the path is the filed signal itself: writes through
    // either handle are the same.
    host::Signal found = app.GetSignal("/Signals/Результаты/test/x");
    ASSERT_TRUE(found);
    EXPECT_EQ(found.GetSignalId(), a.GetSignalId());
    a.SetY(1, 42);
    EXPECT_EQ(found.GetY(1), 42);
    // Lookups tolerate the doubled "/" of a result folder plus "/" + name.
    EXPECT_TRUE(app.GetSignal("/Signals/Результаты/test//x (2)"));

    // A "/" in the name files into a sub-folder; the folder entry is a folder.
    host::Signal d = MakeSignal("d", {6});
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/test/", "ch1/ch1.band", d));
    EXPECT_EQ(d.Name(), "ch1.band");
    EXPECT_TRUE(f.GetItem(3).IsFolder());
    EXPECT_EQ(f.GetItem(3).ItemCount(), 1);
    EXPECT_TRUE(app.GetSignal("/Signals/Результаты/test/ch1/ch1.band"));
    // As the engine files a result: named first, then filed under its name.
    // An item name with "/" must not leave the result unfiled.
    host::Signal half = MakeSignal("", {7});
    ASSERT_TRUE(half.SetName("ch1.1/2X"));
    ASSERT_TRUE(app.AddSignal("/Signals/Результаты/test/ch1", half.Name(), half));
    EXPECT_EQ(app.GetSignal("/Signals/Результаты/test/ch1/ch1.1/2X").GetY(0), 7);

    // A signal filed twice: the second filing is a copy with its own id.
    ASSERT_TRUE(app.AddSignal("/Signals/other", "", a));
    host::Signal copy = app.GetSignal("/Signals/other/x");
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.GetSignalId(), a.GetSignalId());
    EXPECT_EQ(copy.GetY(1), 42);

    // A signal in the way of the folder path, or no name at all: refused and
    // nothing created.
    const uint64_t before = h->ChangeCount();
    host::Signal e = app.NewSignal();
    EXPECT_FALSE(app.AddSignal("/Signals/Результаты/test/x/deeper", "e", e));
    EXPECT_FALSE(app.AddSignal("/Signals/new", "", e));
    EXPECT_EQ(h->ChangeCount(), before);
    EXPECT_FALSE(app.PathExists("/Signals/new"));

    // Renaming a filed signal onto a sibling's name is refused.
    EXPECT_FALSE(b.SetName("X"));
    EXPECT_FALSE(b.SetName("a/b"));
    EXPECT_TRUE(b.SetName("renamed"));
    EXPECT_TRUE(app.GetSignal("/Signals/Результаты/test/renamed"));

    const uint64_t updates = h->UpdateCount();
    EXPECT_TRUE(app.UpdateViews());
    EXPECT_EQ(h->UpdateCount(), updates + 1);
}

// GetY on a signal no folder holds reads without the lock, bounded by a
// count of its own: it must follow every change of the points and stop at
// filing.
TEST_F(HostSignal, LineReadsFollowThePointCount) {
    auto sig = h->NewSignal();
    SignalData d;
    d.name = "s";
    d.samples = {1, 2, 3, 4, 5};
    sig->Assign(d);
    host::Signal s{plat::DispPtr(sig)};
    EXPECT_EQ(s.GetY(4), 5);
    ASSERT_TRUE(s.SetPointCount(3));
    EXPECT_EQ(s.GetY(2), 3);
    EXPECT_EQ(s.GetY(4), 0);  // gone, though the array may still hold it
    ASSERT_TRUE(s.SetPointCount(6));
    EXPECT_EQ(s.GetY(5), 0);
    host::Signal part = s.CopyRange(1, 2);
    EXPECT_EQ(part.GetY(1), 3);
    EXPECT_EQ(part.GetY(2), 0);
    // A range read in one call: inside only, into a real array.
    double got[3] = {-1, -1, -1};
    ASSERT_TRUE(s.GetYRange(1, 3, got));
    EXPECT_EQ(got[0], 2);
    EXPECT_EQ(got[2], 0);
    EXPECT_FALSE(s.GetYRange(4, 3, got));
    EXPECT_FALSE(s.GetYRange(-1, 1, got));
    EXPECT_FALSE(s.GetYRange(0, 1, nullptr));
    EXPECT_TRUE(s.GetYRange(6, 0, nullptr));
    d.samples = {7};
    sig->Assign(d);
    EXPECT_EQ(s.GetY(0), 7);
    EXPECT_EQ(s.GetY(1), 0);
    ASSERT_TRUE(h->AddSignal("/Signals", "s", sig));
    EXPECT_EQ(s.GetY(0), 7);  // now under the lock
    EXPECT_EQ(s.GetY(1), 0);
}

TEST_F(HostSignal, PropertiesAndValueAt) {
    host::Signal s = app.NewSignal();
    ASSERT_TRUE(s);
    EXPECT_EQ(s.PointCount(), 0);
    EXPECT_EQ(s.StepX(), 1.0);
    EXPECT_EQ(s.GetAttribute("rmscoef"), "");

    s.SetPointCount(3);
    s.SetY(0, 1);
    s.SetY(1, 3);
    s.SetY(2, 7);
    s.SetPointCount(5);  // grows with zeros, keeps the values
    EXPECT_EQ(s.PointCount(), 5);
    EXPECT_EQ(s.GetY(2), 7);
    EXPECT_EQ(s.GetY(4), 0);
    s.SetPointCount(3);
    EXPECT_EQ(s.GetY(2), 7);
    EXPECT_FALSE(s.SetPointCount(-1));
    EXPECT_EQ(s.PointCount(), 3);

    EXPECT_TRUE(s.SetStartX(10));
    EXPECT_TRUE(s.SetStepX(0.5));
    EXPECT_TRUE(s.SetName("Канал 1"));
    EXPECT_TRUE(s.SetText5("note"));
    EXPECT_EQ(s.Name(), "Канал 1");
    EXPECT_EQ(s.Text5(), "note");
    EXPECT_EQ(s.GetX(2), 11.0);

    // Linear between points, the end values outside.
    EXPECT_DOUBLE_EQ(s.ValueAt(10.25), 2.0);
    EXPECT_DOUBLE_EQ(s.ValueAt(10.75), 5.0);
    EXPECT_DOUBLE_EQ(s.ValueAt(11.0), 7.0);
    EXPECT_DOUBLE_EQ(s.ValueAt(-100), 1.0);
    EXPECT_DOUBLE_EQ(s.ValueAt(1e9), 7.0);

    EXPECT_TRUE(s.SetStartTime(45000.5));
    EXPECT_EQ(s.GetStartTime(), 45000.5);

    EXPECT_TRUE(s.SetAttribute("source", "A"));
    EXPECT_TRUE(s.SetAttribute("source", "B"));  // replaces
    EXPECT_EQ(s.GetAttribute("source"), "B");
    EXPECT_EQ(s.GetAttribute("Source"), "");
    const std::string longValue(100, 'v');  // beyond the in-place text of a variant
    EXPECT_TRUE(s.SetAttribute("long", longValue));
    EXPECT_EQ(s.GetAttribute("long"), longValue);
    EXPECT_EQ(s.GetAttributeValue("source").TextView(), "B");
    EXPECT_EQ(plat::Invoke(s.Disp().get(), host::id::GetAttribute, plat::InvokeKind::Method,
                           nullptr, "source"),
              plat::DispResult::Ok);

    // Ids stay unique across every way a signal is made.
    host::Signal t = app.NewSignal();
    host::Signal u = s.CopyRange(0, 1);
    EXPECT_NE(s.GetSignalId(), t.GetSignalId());
    EXPECT_NE(u.GetSignalId(), t.GetSignalId());
    EXPECT_NE(u.GetSignalId(), s.GetSignalId());
}

TEST_F(HostSignal, OutOfRangeCallsFailCleanly) {
    // The same answers from a signal no folder holds (no lock) and a filed one.
    host::Signal unfiled = MakeSignal("s", {1, 2, 3});
    host::Signal filed = MakeSignal("s", {1, 2, 3});
    ASSERT_TRUE(app.AddSignal("/Signals/f", "s", filed));
    for (const host::Signal& s : {unfiled, filed}) {
        SCOPED_TRACE(&s == &unfiled ? "unfiled" : "filed");
        plat::IDispatchObject* d = s.Disp().get();
        plat::Variant r;
        using plat::DispResult;
        using plat::InvokeKind;
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, 2), DispResult::Ok);
        EXPECT_EQ(r.AsDouble(), 3);
        // Indices of other types convert as automation converts them.
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, 1.0), DispResult::Ok);
        EXPECT_EQ(r.AsDouble(), 2);
        EXPECT_EQ(plat::Invoke(d, host::id::GetX, InvokeKind::Method, &r, " 2 "), DispResult::Ok);
        EXPECT_EQ(r.AsDouble(), 2);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, nullptr, 0), DispResult::Ok);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, 3), DispResult::Failed);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, -1), DispResult::Failed);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, INT32_MIN),
                  DispResult::Failed);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, int64_t{1} << 40),
                  DispResult::TypeMismatch);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, "one"),
                  DispResult::TypeMismatch);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r), DispResult::BadArgCount);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, 1, 2),
                  DispResult::BadArgCount);
        EXPECT_EQ(plat::Invoke(d, host::id::SetY, InvokeKind::Method, nullptr, 3, 1.0),
                  DispResult::Failed);
        EXPECT_EQ(plat::Invoke(d, host::id::SetY, InvokeKind::Method, nullptr, 0, "x"),
                  DispResult::TypeMismatch);
        EXPECT_EQ(plat::Invoke(d, host::id::GetX, InvokeKind::Method, &r, 3), DispResult::Failed);
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::PropertyGet, &r, 0),
                  DispResult::BadArgCount);
        EXPECT_EQ(plat::Invoke(d, 999, InvokeKind::Method, &r), DispResult::MemberNotFound);
        EXPECT_EQ(plat::Invoke(d, host::id::Unit, InvokeKind::PropertyPut, nullptr, "g"),
                  DispResult::MemberNotFound);  // Unit is read-only
        EXPECT_EQ(s.GetY(0), 1);                // nothing changed
        // A result variant holding an object or a long text is released
        // when a number is written into it.
        r = plat::Variant(std::string(100, 'x'));
        EXPECT_EQ(plat::Invoke(d, host::id::GetY, InvokeKind::Method, &r, 1), DispResult::Ok);
        EXPECT_EQ(r.Type(), plat::VarType::Double);
        r = plat::Variant(s.Disp());
        EXPECT_EQ(plat::Invoke(d, host::id::PointCount, InvokeKind::PropertyGet, &r),
                  DispResult::Ok);
        EXPECT_EQ(r.AsInt32(), 3);
        EXPECT_EQ(plat::Invoke(d, host::id::PointCount, InvokeKind::PropertyGet, &r, 1),
                  DispResult::BadArgCount);
    }
    {
        // A block shares its source's values: writing it leaves the source as it was.
        host::Signal src = MakeSignal("src", {1, 2, 3, 4});
        host::Signal block = src.CopyRange(1, 2);
        EXPECT_TRUE(block.SetY(0, 9));
        EXPECT_EQ(block.GetY(0), 9);
        EXPECT_EQ(src.GetY(1), 2);
        EXPECT_TRUE(block.SetY(1, 8));  // now its own array, written in place
        EXPECT_EQ(block.GetY(1), 8);
        EXPECT_EQ(src.GetY(2), 3);
    }
    // ValueAt of an empty signal has no value to give.
    host::Signal empty = app.NewSignal();
    plat::Variant r;
    EXPECT_EQ(
        plat::Invoke(empty.Disp().get(), host::id::ValueAt, plat::InvokeKind::Method, &r, 0.0, 1),
        plat::DispResult::Failed);
}

TEST_F(HostSignal, CopyRangeAndExtractBlock) {
    host::Signal s = MakeSignal("src", {0, 1, 2, 3, 4, 5}, 2.0, 0.5);
    s.SetText5("t5");
    s.SetStartTime(44000);
    s.SetAxisCode(1, 1, units::kQuantityAcceleration);
    s.SetAxisCode(2, 1, units::kUnitG);
    s.SetAttribute("k", "v");

    for (host::Signal b : {app.ExtractBlock(s, 2, 3), s.CopyRange(2, 3)}) {
        ASSERT_TRUE(b);
        EXPECT_EQ(b.PointCount(), 3);
        EXPECT_EQ(b.GetY(0), 2);
        EXPECT_EQ(b.GetY(2), 4);
        EXPECT_EQ(b.StartX(), 3.0);
        EXPECT_EQ(b.StepX(), 0.5);
        EXPECT_EQ(b.Name(), "src");
        EXPECT_EQ(b.Text5(), "t5");
        EXPECT_EQ(b.GetStartTime(), 44000);
        EXPECT_EQ(b.GetAxisCode(2, 1), units::kUnitG);
        EXPECT_EQ(b.Unit(), "g");
        EXPECT_EQ(b.GetAttribute("k"), "v");
        b.SetY(0, -1);  // a copy: the source keeps its values
    }
    EXPECT_EQ(s.GetY(2), 2);
    EXPECT_EQ(s.CopyRange(0, 6).PointCount(), 6);
    EXPECT_EQ(s.CopyRange(6, 0).PointCount(), 0);
    EXPECT_FALSE(s.CopyRange(4, 3));
    EXPECT_FALSE(s.CopyRange(-1, 2));
    EXPECT_FALSE(s.CopyRange(0, -1));
    EXPECT_FALSE(s.CopyRange(int64_t{1} << 62, int64_t{1} << 62));
    EXPECT_FALSE(app.ExtractBlock(s, 5, 2));
    EXPECT_FALSE(app.ExtractBlock(host::Signal(), 0, 1));
}

// Blocks cost no copy: they read their source's array until one side writes,
// and a writer never changes what the other sees, on any thread.
TEST_F(HostSignal, BlocksShareTheSourceUntilEitherWrites) {
    const int n = 4096;
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) y[i] = i;
    ASSERT_TRUE(app.AddSignal("/Signals/cow", "src", MakeSignal("src", y)));
    host::Signal s = app.GetSignal("/Signals/cow/src");
    auto obj = [](const host::Signal& x) { return plat::DynamicCast<SignalObj>(x.Disp()); };

    host::Signal b = app.ExtractBlock(s, 100, 8);
    host::Signal bb = b.CopyRange(2, 4);  // a block of a block
    ASSERT_TRUE(b && bb);
    {
        Lock lock = h->LockTree();
        EXPECT_EQ(obj(b)->SamplesLocked().data(), obj(s)->SamplesLocked().data() + 100);
        EXPECT_EQ(obj(bb)->SamplesLocked().data(), obj(s)->SamplesLocked().data() + 102);
    }
    s.SetY(100, -1);
    s.SetY(102, -2);
    EXPECT_EQ(b.GetY(0), 100);
    EXPECT_EQ(bb.GetY(0), 102);
    EXPECT_EQ(s.GetY(100), -1);
    b.SetY(2, -3);
    EXPECT_EQ(bb.GetY(0), 102);
    EXPECT_EQ(b.GetY(2), -3);
    EXPECT_EQ(b.GetY(3), 103);
    ASSERT_TRUE(bb.SetPointCount(6));  // grows a view: kept values, then zeros
    EXPECT_EQ(bb.GetY(3), 105);
    EXPECT_EQ(bb.GetY(5), 0);
    ASSERT_TRUE(s.SetPointCount(10));  // the source shrinks under a block
    EXPECT_EQ(b.PointCount(), 8);
    EXPECT_EQ(b.GetY(7), 107);

    // A block outlives its unfiled source.
    host::Signal u = MakeSignal("u", {1, 2, 3, 4});
    host::Signal ub = u.CopyRange(1, 2);
    u.Reset();
    EXPECT_EQ(ub.GetY(1), 3);

    // Blocks read on a worker without the host lock while the source is
    // written under it.
    ASSERT_TRUE(s.SetPointCount(n));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 0; !done.load(); ++k) s.SetY(k % n, -k);
    });
    bool same = true;
    for (int k = 0; k < 200; ++k) {
        host::Signal blk = app.ExtractBlock(s, 0, n);
        const double first = blk.GetY(n - 1);
        for (int r = 0; r < 3; ++r) same = same && blk.GetY(n - 1) == first;
    }
    done = true;
    writer.join();
    EXPECT_TRUE(same);
}

TEST_F(HostSignal, UnitFollowsTheUnitCode) {
    host::Signal s = app.NewSignal();
    EXPECT_EQ(s.Unit(), "");
    plat::ObjPtr<SignalObj> obj = plat::DynamicCast<SignalObj>(s.Disp());
    ASSERT_TRUE(obj);
    obj->SetUnit("g");
    EXPECT_EQ(s.Unit(), "g");
    EXPECT_EQ(s.GetAxisCode(1, 1), units::kQuantityAcceleration);
    EXPECT_EQ(s.GetAxisCode(2, 1), 0x000000010000150Full);

    // What the engine writes after one integration of an acceleration.
    s.SetAxisCode(1, 1, 70);
    s.SetAxisCode(2, 1, 0x00000003FD001401ull);
    EXPECT_EQ(s.Unit(), "mm/s");
    s.SetAxisCode(2, 1, 0x0000000DFA000A01ull);
    EXPECT_EQ(s.Unit(), "µm");
    // A code the table does not know: the unit text kept with the signal.
    s.SetAxisCode(2, 1, 0xFFFFFFFF12345678ull);
    EXPECT_EQ(s.GetAxisCode(2, 1), 0xFFFFFFFF12345678ull);  // all 64 bits survive
    EXPECT_EQ(s.Unit(), "g");
    obj->SetUnit("bar");
    EXPECT_EQ(s.Unit(), "bar");
    EXPECT_EQ(s.GetAxisCode(2, 1), 0u);
    EXPECT_EQ(s.GetAxisCode(7, 3), 0u);  // unset codes read 0
}

TEST(Units, TableTextsCodesAndUffTypes) {
    for (const units::UnitInfo& u : units::UnitTable()) {
        EXPECT_EQ(units::FindUnitByCode(u.code), &u) << u.text;
        EXPECT_EQ(units::FindUnitByText(u.text), &u) << u.text;
    }
    auto code = [](const char* t) {
        const units::UnitInfo* u = units::FindUnitByText(t);
        return u ? u->code : 0;
    };
    EXPECT_EQ(code("m/s^2"), units::kUnitMeterPerSecond2);
    EXPECT_EQ(code(" м/с2 "), units::kUnitMeterPerSecond2);
    EXPECT_EQ(code("g"), 0x000000010000150Full);
    EXPECT_EQ(code("mm/s"), 0x00000003FD001401ull);
    EXPECT_EQ(code("um"), 0x0000000DFA000A01ull);
    EXPECT_EQ(code("мкм"), 0x0000000DFA000A01ull);
    EXPECT_EQ(code("Гц"), units::kUnitHertz);
    EXPECT_EQ(code("об/мин"), units::kUnitRpm);
    EXPECT_EQ(code("Mm"), 0u);
    EXPECT_EQ(code(""), 0u);
    EXPECT_EQ(units::FormatCode(units::kUnitMillimeterPerSecond), "00000003:FD001401");

    EXPECT_EQ(units::UffDataType(units::kQuantityAcceleration), 12);
    EXPECT_EQ(units::UffDataType(units::kQuantityVelocity), 11);
    EXPECT_EQ(units::UffDataType(units::kQuantityDisplacement), 8);
    for (int t : {8, 11, 12, 15, 17, 18, 19})
        EXPECT_EQ(units::UffDataType(units::QuantityFromUff(t)), t);
    EXPECT_EQ(units::QuantityFromUff(1), units::kQuantityNone);
}

}  // namespace
}  // namespace korvex
