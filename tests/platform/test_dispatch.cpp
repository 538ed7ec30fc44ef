// Dispatch calls: one reference per handle, no allocation for scalars, by-reference slots.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/dispatch.h"

using namespace plat;

namespace {

// Counts heap allocations so the hot-path guarantee can be checked.
thread_local long g_allocs = 0;
thread_local bool g_counting = false;

}  // namespace

void* operator new(std::size_t n) {
    if (g_counting) ++g_allocs;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class Probe : public IDispatchObject {
  public:
    explicit Probe(int* destroyed = nullptr) : destroyed_(destroyed) {}
    ~Probe() override {
        if (destroyed_) ++*destroyed_;
    }
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant> args, Variant* result) override {
        lastId = id;
        lastKind = kind;
        lastCount = args.size();
        if (id == 17) {  // GetY-like: int in, double out
            int32_t i = 0;
            if (args.size() != 1 || !args[0].ToInt32(i)) return DispResult::TypeMismatch;
            if (result) *result = Variant(i * 0.5);
            return DispResult::Ok;
        }
        if (id == 46) {  // writes through a by-reference slot
            if (args.size() != 2 || !args[1].SetRef(Variant(12.25)))
                return DispResult::TypeMismatch;
            return DispResult::Ok;
        }
        return DispResult::MemberNotFound;
    }
    int lastId = 0;
    InvokeKind lastKind = InvokeKind::Method;
    size_t lastCount = 0;

  private:
    int* destroyed_;
};

TEST(Dispatch, HandleLifetimeIsTheReference) {
    int destroyed = 0;
    {
        ObjPtr<Probe> a = MakeObj<Probe>(&destroyed);
        EXPECT_EQ(a->RefCount(), 1);
        DispPtr b = a;  // converting copy adds a reference
        EXPECT_EQ(a->RefCount(), 2);
        DispPtr c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(a->RefCount(), 2);
        Variant v(c);  // a variant holding the object keeps it alive
        c.reset();
        a.reset();
        EXPECT_EQ(destroyed, 0);
        EXPECT_TRUE(v.AsObject());
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(Dispatch, ScalarCallsDoNotAllocate) {
    ObjPtr<Probe> p = MakeObj<Probe>();
    Variant r;
    g_allocs = 0;
    g_counting = true;
    double sum = 0;
    for (int i = 0; i < 1000; ++i) {
        Invoke(p.get(), 17, InvokeKind::Method, &r, i);
        sum += r.AsDouble();
    }
    g_counting = false;
    EXPECT_EQ(g_allocs, 0);
    EXPECT_DOUBLE_EQ(sum, 0.5 * 999 * 1000 / 2);
    EXPECT_EQ(p->lastId, 17);
    EXPECT_EQ(p->lastCount, 1u);
}

TEST(Dispatch, ByReferenceSlotReceivesOutValue) {
    ObjPtr<Probe> p = MakeObj<Probe>();
    Variant slot;
    EXPECT_EQ(Invoke(p.get(), 46, InvokeKind::Method, nullptr, 3, Variant::ByRef(slot)),
              DispResult::Ok);
    EXPECT_DOUBLE_EQ(slot.AsDouble(), 12.25);
    EXPECT_EQ(Invoke(p.get(), 99, InvokeKind::PropertyGet, nullptr), DispResult::MemberNotFound);
    EXPECT_EQ(Invoke(nullptr, 17, InvokeKind::Method, nullptr, 1), DispResult::Failed);
    // Writing through a value that is no reference fails instead of overwriting it.
    Variant plain(5);
    EXPECT_FALSE(plain.SetRef(Variant(1)));
    EXPECT_EQ(plain.AsInt32(), 5);
}

TEST(Variant, TypesOfConstruction) {
    EXPECT_EQ(Variant().Type(), VarType::Empty);
    EXPECT_EQ(Variant(true).Type(), VarType::Bool);
    EXPECT_EQ(Variant(5).Type(), VarType::Int32);
    EXPECT_EQ(Variant(int64_t{5}).Type(), VarType::Int64);
    EXPECT_EQ(Variant(uint64_t{5}).Type(), VarType::UInt64);
    EXPECT_EQ(Variant(1.5).Type(), VarType::Double);
    EXPECT_EQ(Variant("x").Type(), VarType::Text);
    EXPECT_EQ(Variant(std::string("x")).Type(), VarType::Text);
}

// A result slot starts empty and takes any value a callee writes, a long
// text included, which it then releases.
TEST(Variant, ResultSlotIsEmptyAndTakesAnyValue) {
    Variant slot{Variant::Slot{}};
    EXPECT_TRUE(slot.IsEmpty());
    EXPECT_TRUE(slot.IsPlain());
    EXPECT_EQ(slot.AsDouble(-1.0), -1.0);
    Variant copy = slot;
    EXPECT_TRUE(copy.IsEmpty());
    slot = Variant(std::string(100, 'x'));
    EXPECT_EQ(slot.AsText(), std::string(100, 'x'));
}

TEST(Variant, PlainArgumentIsOneInt32) {
    PlainArg a(-42);
    std::span<Variant> args = a.Span();
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].Type(), VarType::Int32);
    EXPECT_TRUE(args[0].IsPlain());
    EXPECT_EQ(args[0].AsInt32(), -42);
    EXPECT_EQ(args[0].AsDouble(), -42.0);
}

TEST(Variant, CoercionLikeAutomation) {
    int32_t i = -7;
    EXPECT_TRUE(Variant(2.5).ToInt32(i));  // banker's rounding of .5
    EXPECT_EQ(i, 2);
    EXPECT_TRUE(Variant(3.5).ToInt32(i));
    EXPECT_EQ(i, 4);
    EXPECT_TRUE(Variant(" 42 ").ToInt32(i));
    EXPECT_EQ(i, 42);
    EXPECT_FALSE(Variant("4x").ToInt32(i));
    EXPECT_EQ(i, 42) << "a failed conversion leaves the target alone";
    EXPECT_FALSE(Variant(int64_t{1} << 40).ToInt32(i));
    EXPECT_FALSE(Variant(1e300).ToInt32(i));

    uint64_t u = 0;
    EXPECT_TRUE(Variant(uint64_t{0x00000003FD001401}).ToUInt64(u));
    EXPECT_EQ(u, 0x00000003FD001401u);
    EXPECT_FALSE(Variant(-1).ToUInt64(u));
    EXPECT_TRUE(Variant("0x0000000DFA000A01").ToUInt64(u));
    EXPECT_EQ(u, 0x0000000DFA000A01u);

    double d = 0;
    EXPECT_TRUE(Variant("1e-3").ToDouble(d));
    EXPECT_DOUBLE_EQ(d, 1e-3);
    EXPECT_FALSE(Variant().ToDouble(d));
    EXPECT_EQ(Variant(0.1).AsText(), "0.10000000000000001");
    EXPECT_EQ(Variant(true).AsText(), "1");
    EXPECT_TRUE(Variant("True").AsBool());
    EXPECT_FALSE(Variant(0.0).AsBool(true));
    EXPECT_EQ(Variant("x").AsObject(), DispPtr());
}

TEST(Variant, CopiesMovesAndReassignmentKeepTextsAndReferencesRight) {
    int destroyed = 0;
    {
        ObjPtr<Probe> p = MakeObj<Probe>(&destroyed);
        const std::string longText(100, 'x');  // beyond any small-string buffer
        Variant obj(p);
        Variant text(longText);
        EXPECT_EQ(p->RefCount(), 2);

        Variant copy = obj;  // a copy holds its own reference
        EXPECT_EQ(p->RefCount(), 3);
        Variant moved = std::move(copy);
        EXPECT_EQ(p->RefCount(), 3);
        EXPECT_TRUE(copy.IsEmpty());

        // Every change of kind releases what was held before.
        moved = text;
        EXPECT_EQ(p->RefCount(), 2);
        EXPECT_EQ(moved.AsText(), longText);
        moved = 7;
        EXPECT_EQ(moved.AsInt32(), 7);
        moved = obj;
        EXPECT_EQ(p->RefCount(), 3);
        moved.SetDouble(0.5);
        EXPECT_EQ(p->RefCount(), 2);
        EXPECT_EQ(moved.AsDouble(), 0.5);
        text = std::move(obj);
        EXPECT_EQ(p->RefCount(), 2);
        EXPECT_TRUE(obj.IsEmpty());
        EXPECT_EQ(text.ObjectIf(), p.get());
        text = text;  // self-assignment keeps the value
        EXPECT_EQ(text.ObjectIf(), p.get());

        std::vector<Variant> many(50, Variant(longText));
        many.push_back(Variant(p));
        many.insert(many.begin(), Variant(1.5));  // moves every element
        EXPECT_EQ(many[1].AsText(), longText);
        EXPECT_EQ(many.back().ObjectIf(), p.get());
        EXPECT_EQ(p->RefCount(), 3);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(Variant, ShortTextsAreHeldInPlaceAndSurviveEveryCopy) {
    const std::string atLimit(Variant::kInlineText, 'a');
    const std::string overLimit(Variant::kInlineText + 1, 'b');
    const std::string withNul("x\0y", 3);
    g_allocs = 0;
    g_counting = true;
    {
        Variant a(atLimit), b(std::string_view("1.6329931618554518")), c(withNul), e("");
        Variant copy = a;
        Variant moved = std::move(b);
        copy = c;
        EXPECT_EQ(copy.TextView(), withNul);
        EXPECT_EQ(moved.TextView(), "1.6329931618554518");
        EXPECT_EQ(a.TextView(), atLimit);
        EXPECT_EQ(e.Type(), VarType::Text);
        EXPECT_TRUE(e.TextView().empty());
        double d = 0;
        EXPECT_TRUE(moved.ToDouble(d));
        EXPECT_EQ(d, 1.6329931618554518);
    }
    g_counting = false;
    EXPECT_EQ(g_allocs, 0);

    // Short and long texts, numbers and objects replace one another in
    // every order and keep their values.
    ObjPtr<Probe> p = MakeObj<Probe>();
    std::vector<Variant> kinds{Variant(atLimit), Variant(overLimit), Variant(2.5), Variant(p),
                               Variant(withNul)};
    for (const Variant& from : kinds)
        for (const Variant& to : kinds) {
            Variant x = from;
            x = to;
            EXPECT_EQ(x.Type(), to.Type());
            EXPECT_EQ(x.TextView(), to.TextView());
            EXPECT_EQ(x.AsText(), to.AsText());
            Variant y = from;
            y = Variant(to);
            EXPECT_EQ(y.AsText(), to.AsText());
        }
    EXPECT_EQ(p->RefCount(), 2);
    EXPECT_EQ(Variant(overLimit).TextView(), overLimit);
    EXPECT_EQ(std::move(kinds[1]).AsText(), overLimit);
    EXPECT_EQ(std::move(kinds[0]).AsText(), atLimit);
    EXPECT_EQ(Variant(3).TextView(), "");  // only texts have a view
}

TEST(Variant, ByReferenceSlotTakesAnyKind) {
    int destroyed = 0;
    Variant slot("old text that is long enough to live on the heap");
    {
        ObjPtr<Probe> p = MakeObj<Probe>(&destroyed);
        Variant ref = Variant::ByRef(slot);
        Variant copy = ref;  // copies of a reference point at the same slot
        EXPECT_TRUE(copy.SetRef(Variant(p)));
        EXPECT_EQ(slot.ObjectIf(), p.get());
        EXPECT_TRUE(ref.SetRef(Variant(3)));
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(slot.AsInt32(), 3);
}

}  // namespace
