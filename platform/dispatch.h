#pragma once
// Late-bound dispatch: reference-counted objects invoked by dispatch id with
// a list of variants. This is how the plug-in talks to its host and how the
// host answers; neither side sees the other's classes.

#include <array>
#include <atomic>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace plat {

// Intrusive reference count. Objects are created with MakeObj and live as
// long as some ObjPtr holds them.
class RefCounted {
  public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    virtual ~RefCounted() = default;

    void AddRef() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void Release() const noexcept {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int RefCount() const noexcept { return refs_.load(std::memory_order_relaxed); }
    // Whether this handle's holder is the only one; the acquire pairs with
    // the release of the last other holder, so its reads are over.
    bool Unique() const noexcept { return refs_.load(std::memory_order_acquire) == 1; }

  private:
    mutable std::atomic<int> refs_{0};
};

// Owning handle: destroying (or resetting) the handle is the release.
template <class T>
class ObjPtr {
  public:
    ObjPtr() noexcept = default;
    ObjPtr(std::nullptr_t) noexcept {}
    explicit ObjPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ObjPtr(const ObjPtr& o) noexcept : ObjPtr(o.p_) {}
    ObjPtr(ObjPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ObjPtr(const ObjPtr<U>& o)
    noexcept : ObjPtr(static_cast<T*>(o.get())) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ObjPtr(ObjPtr<U>&& o)
    noexcept : p_(o.detach()) {}
    ~ObjPtr() { reset(); }

    ObjPtr& operator=(ObjPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    bool operator==(const ObjPtr& o) const noexcept { return p_ == o.p_; }

    // Hands the reference over to another handle (used by converting moves).
    T* detach() noexcept { return std::exchange(p_, nullptr); }

  private:
    T* p_ = nullptr;
};

template <class T, class... Args>
ObjPtr<T> MakeObj(Args&&... args) {
    return ObjPtr<T>(new T(std::forward<Args>(args)...));
}

template <class T, class U>
ObjPtr<T> DynamicCast(const ObjPtr<U>& p) {
    return ObjPtr<T>(dynamic_cast<T*>(p.get()));
}

class Variant;

enum class InvokeKind : uint8_t { Method, PropertyGet, PropertyPut };

// Outcome of a dispatch call. Ok is 0; everything else is a failure.
enum class DispResult : int {
    Ok = 0,
    MemberNotFound,  // no such dispatch id (or not with that kind)
    BadArgCount,
    TypeMismatch,  // an argument could not be converted
    Failed,        // the member ran and failed
};

class IDispatchObject : public RefCounted {
  public:
    // args are in natural order (first argument first). result may be null
    // when the caller does not want one. Arguments are the caller's: a
    // callee reads them and writes only through a Ref argument's target.
    virtual DispResult Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                              Variant* result) = 0;
};

using DispPtr = ObjPtr<IDispatchObject>;

enum class VarType : uint8_t { Empty, Bool, Int32, Int64, UInt64, Double, Text, Object, Ref };

// The value carried by a dispatch call: a tagged union. Scalars are stored
// inline and copied as plain bytes, so building, copying and destroying a
// numeric variant never allocates or branches into a visitor; only texts and
// objects take the out-of-line paths. Texts up to kInlineText bytes (names,
// numbers as text) are held in place too, so handing one over allocates
// nothing.
class Variant {
  public:
    Variant() noexcept : u_() {}
    // An empty variant for a callee to fill, as a per-line call's result:
    // only the tag is written, since an empty variant's value is never read.
    struct Slot {};
    explicit Variant(Slot) noexcept : u_(Storage::Unset{}) {}
    Variant(bool v) noexcept : type_(VarType::Bool) { u_.b = v; }
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Variant(T v)
    noexcept {
        if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) {
            type_ = VarType::Int32;
            // One 8-byte store; i32 reads the low half.
            u_.u64 = static_cast<uint32_t>(static_cast<int32_t>(v));
        } else if constexpr (std::is_signed_v<T>) {
            type_ = VarType::Int64;
            u_.i64 = static_cast<int64_t>(v);
        } else {
            type_ = VarType::UInt64;
            u_.u64 = static_cast<uint64_t>(v);
        }
    }
    Variant(double v) noexcept : type_(VarType::Double) { u_.d = v; }
    Variant(float v) noexcept : Variant(static_cast<double>(v)) {}
    Variant(std::string_view v) : type_(VarType::Text) {
        if (!HoldInPlace(v)) {
            new (&u_.text) std::string(v);
            heap_ = true;
        }
    }
    Variant(const std::string& v) : Variant(std::string_view(v)) {}
    Variant(std::string&& v) : type_(VarType::Text) {
        if (!HoldInPlace(v)) {
            new (&u_.text) std::string(std::move(v));
            heap_ = true;
        }
    }
    Variant(const char* v) : Variant(std::string_view(v ? v : "")) {}
    Variant(DispPtr v) noexcept : type_(VarType::Object), heap_(true) { u_.obj = v.detach(); }
    template <class T>
    requires std::is_base_of_v<IDispatchObject, T> Variant(ObjPtr<T> v)
    noexcept : Variant(DispPtr(std::move(v))) {}

    Variant(const Variant& o) {
        if (o.IsPlain())
            CopyPlain(o);
        else
            CopySlow(o);
    }
    Variant(Variant&& o) noexcept {
        if (o.IsPlain())
            CopyPlain(o);
        else
            MoveSlow(o);
    }
    Variant& operator=(const Variant& o) {
        if (this == &o) return *this;
        if (IsPlain() && o.IsPlain()) {
            CopyPlain(o);
            return *this;
        }
        Variant copy(o);
        Reset();
        if (copy.IsPlain())
            CopyPlain(copy);
        else
            MoveSlow(copy);
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept {
        if (this == &o) return *this;
        if (!IsPlain()) Reset();
        if (o.IsPlain())
            CopyPlain(o);
        else
            MoveSlow(o);
        return *this;
    }
    ~Variant() {
        if (!IsPlain()) [[unlikely]]
            DestroySlow();
    }

    // Whether the value is plain bytes: anything but a long text or an object.
    bool IsPlain() const noexcept { return !heap_; }
    // Store a number in place, for results written many times a second.
    void SetDouble(double v) noexcept {
        if (!IsPlain()) DestroySlow();
        SetPlainDouble(v);
    }
    // The same on a variant that IsPlain, so there is nothing to release.
    void SetPlainDouble(double v) noexcept {
        type_ = VarType::Double;
        u_.d = v;
    }
    void SetPlainInt32(int32_t v) noexcept {
        type_ = VarType::Int32;
        u_.u64 = static_cast<uint32_t>(v);  // as the constructor leaves it
    }

    // A by-reference slot: the callee writes its out value into *slot.
    static Variant ByRef(Variant& slot) noexcept {
        Variant v;
        v.type_ = VarType::Ref;
        v.u_.ref = &slot;
        return v;
    }

    VarType Type() const noexcept { return type_; }
    bool IsEmpty() const noexcept { return type_ == VarType::Empty; }
    bool IsNumeric() const noexcept;

    // Conversions in the manner of automation coercion: numbers convert
    // between each other, texts parse as numbers, bools are 0 and 1. They
    // return false and leave out untouched when the value does not convert.
    // The common exact cases are answered inline.
    bool ToBool(bool& out) const;
    bool ToInt32(int32_t& out) const {
        if (type_ == VarType::Int32) {
            out = u_.i32;
            return true;
        }
        return ToInt32Slow(out);
    }
    bool ToInt64(int64_t& out) const;
    bool ToUInt64(uint64_t& out) const;
    bool ToDouble(double& out) const {
        if (type_ == VarType::Double) [[likely]] {
            out = u_.d;
            return true;
        }
        return ToDoubleSlow(out);
    }
    bool ToText(std::string& out) const;
    bool ToObject(DispPtr& out) const;

    // Convenience forms with a fallback.
    bool AsBool(bool def = false) const {
        ToBool(def);
        return def;
    }
    int32_t AsInt32(int32_t def = 0) const {
        if (type_ == VarType::Int32) [[likely]]
            return u_.i32;
        ToInt32Slow(def);
        return def;
    }
    int64_t AsInt64(int64_t def = 0) const {
        ToInt64(def);
        return def;
    }
    uint64_t AsUInt64(uint64_t def = 0) const {
        ToUInt64(def);
        return def;
    }
    // The exact case returns straight from the register, so a caller's
    // fallback is not written to memory on every call.
    double AsDouble(double def = 0.0) const {
        if (type_ == VarType::Double) [[likely]] {
            // A number never holds storage; said so that a caller's release
            // test on a result just read folds away.
            if (heap_) __builtin_unreachable();
            return u_.d;
        }
        return AsDoubleSlow(def);
    }
    std::string AsText() const& {
        std::string s;
        ToText(s);
        return s;
    }
    // A long text result handed on without a copy.
    std::string AsText() && {
        if (type_ == VarType::Text && heap_) return std::move(u_.text);
        return static_cast<const Variant&>(*this).AsText();
    }
    DispPtr AsObject() const {
        DispPtr p;
        ToObject(p);
        return p;
    }

    // The slot of a by-reference variant, or null.
    Variant* RefTarget() const noexcept { return type_ == VarType::Ref ? u_.ref : nullptr; }
    // Writes through a by-reference variant; false when this is not one.
    bool SetRef(Variant value) {
        Variant* t = RefTarget();
        if (!t) return false;
        *t = std::move(value);
        return true;
    }

    // The stored number of an Int32 or Double variant; check Type first.
    int32_t Int32Value() const noexcept { return u_.i32; }
    double DoubleValue() const noexcept { return u_.d; }
    // The stored text; empty when the type is not Text.
    std::string_view TextView() const noexcept {
        if (type_ != VarType::Text) return {};
        return small_ ? std::string_view(u_.chars, small_ - 1u) : std::string_view(u_.text);
    }
    // The stored object when that is the type, else null.
    IDispatchObject* ObjectIf() const noexcept {
        return type_ == VarType::Object ? u_.obj : nullptr;
    }

  private:
    void CopyPlain(const Variant& o) noexcept {
        type_ = o.type_;
        small_ = o.small_;
        // A number is copied as the 8 bytes it was written as: a wider read
        // of a value just stored would wait for the store to retire.
        if (o.type_ == VarType::Text)
            std::memcpy(static_cast<void*>(&u_), &o.u_, sizeof u_);
        else
            std::memcpy(static_cast<void*>(&u_), &o.u_, sizeof(double));
    }
    void Reset() noexcept {
        if (!IsPlain()) DestroySlow();
        type_ = VarType::Empty;
    }
    // Keeps a short text in u_.chars; false when it is too long for that.
    bool HoldInPlace(std::string_view v) noexcept {
        if (v.size() > kInlineText) return false;
        small_ = static_cast<uint8_t>(v.size() + 1);
        if (!v.empty()) std::memcpy(u_.chars, v.data(), v.size());
        return true;
    }
    void CopySlow(const Variant& o);
    void MoveSlow(Variant& o) noexcept;
    void DestroySlow() noexcept;
    bool ToInt32Slow(int32_t& out) const;
    bool ToDoubleSlow(double& out) const;
    double AsDoubleSlow(double def) const;

  public:
    static constexpr size_t kInlineText = sizeof(std::string);

  private:
    VarType type_ = VarType::Empty;
    uint8_t small_ = 0;  // Text: its length + 1 when held in u_.chars, else 0
    bool heap_ = false;  // u_ holds a std::string or an object reference
    union Storage {
        struct Unset {};
        Storage() noexcept : u64(0) {}
        explicit Storage(Unset) noexcept {}
        ~Storage() {}
        bool b;
        int32_t i32;
        int64_t i64;
        uint64_t u64;
        double d;
        Variant* ref;
        IDispatchObject* obj;  // holds one reference
        std::string text;
        char chars[sizeof(std::string)];
    } u_;
};

// A number argument with no destructor: the callee only reads its arguments
// and a number holds no storage, so there is nothing to release after the
// call. For calls made once per spectrum line.
class PlainArg {
  public:
    explicit PlainArg(int32_t v) noexcept : v_(v) {}
    ~PlainArg() {}
    PlainArg(const PlainArg&) = delete;
    PlainArg& operator=(const PlainArg&) = delete;
    std::span<Variant> Span() noexcept { return std::span<Variant>(&v_, 1); }

  private:
    union {
        Variant v_;
    };
};

// Calls obj with the given arguments laid out on the stack.
template <class... A>
DispResult Invoke(IDispatchObject* obj, int dispId, InvokeKind kind, Variant* result, A&&... a) {
    if (!obj) return DispResult::Failed;
    std::array<Variant, sizeof...(A)> args{Variant(std::forward<A>(a))...};
    return obj->Invoke(dispId, kind, std::span<Variant>(args.data(), args.size()), result);
}

// For implementers: stores a call's result when the caller asked for one.
template <class T>
void SetResult(Variant* result, T&& v) {
    if (result) *result = Variant(std::forward<T>(v));
}

const char* DispResultText(DispResult r);

}  // namespace plat
