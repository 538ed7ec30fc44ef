#pragma once
// Late-bound dispatch: reference-counted objects invoked by dispatch id with
// a list of variants. This is how the plug-in talks to its host and how the
// host answers; neither side sees the other's classes.

#include <array>
#include <atomic>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

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
    // when the caller does not want one.
    virtual DispResult Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                              Variant* result) = 0;
};

using DispPtr = ObjPtr<IDispatchObject>;

enum class VarType : uint8_t { Empty, Bool, Int32, Int64, UInt64, Double, Text, Object, Ref };

// The value carried by a dispatch call. Scalars are stored inline: building a
// variant from a number never allocates.
class Variant {
  public:
    Variant() noexcept = default;
    Variant(bool v) noexcept : v_(v) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Variant(T v)
    noexcept {
        if constexpr (std::is_signed_v<T> && sizeof(T) <= 4)
            v_ = static_cast<int32_t>(v);
        else if constexpr (std::is_signed_v<T>)
            v_ = static_cast<int64_t>(v);
        else
            v_ = static_cast<uint64_t>(v);
    }
    Variant(double v) noexcept : v_(v) {}
    Variant(float v) noexcept : v_(static_cast<double>(v)) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(std::string_view v) : v_(std::string(v)) {}
    Variant(const char* v) : v_(std::string(v ? v : "")) {}
    Variant(DispPtr v) noexcept : v_(std::move(v)) {}
    template <class T>
    requires std::is_base_of_v<IDispatchObject, T> Variant(ObjPtr<T> v)
    noexcept : v_(DispPtr(std::move(v))) {}

    // A by-reference slot: the callee writes its out value into *slot.
    static Variant ByRef(Variant& slot) noexcept {
        Variant v;
        v.v_ = &slot;
        return v;
    }

    VarType Type() const noexcept { return static_cast<VarType>(v_.index()); }
    bool IsEmpty() const noexcept { return Type() == VarType::Empty; }
    bool IsNumeric() const noexcept;

    // Conversions in the manner of automation coercion: numbers convert
    // between each other, texts parse as numbers, bools are 0 and 1. They
    // return false and leave out untouched when the value does not convert.
    bool ToBool(bool& out) const;
    bool ToInt32(int32_t& out) const;
    bool ToInt64(int64_t& out) const;
    bool ToUInt64(uint64_t& out) const;
    bool ToDouble(double& out) const;
    bool ToText(std::string& out) const;
    bool ToObject(DispPtr& out) const;

    // Convenience forms with a fallback.
    bool AsBool(bool def = false) const {
        ToBool(def);
        return def;
    }
    int32_t AsInt32(int32_t def = 0) const {
        ToInt32(def);
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
    double AsDouble(double def = 0.0) const {
        ToDouble(def);
        return def;
    }
    std::string AsText() const {
        std::string s;
        ToText(s);
        return s;
    }
    DispPtr AsObject() const {
        DispPtr p;
        ToObject(p);
        return p;
    }

    // The slot of a by-reference variant, or null.
    Variant* RefTarget() const noexcept {
        auto p = std::get_if<Variant*>(&v_);
        return p ? *p : nullptr;
    }
    // Writes through a by-reference variant; false when this is not one.
    bool SetRef(Variant value) {
        Variant* t = RefTarget();
        if (!t) return false;
        *t = std::move(value);
        return true;
    }

    // Direct access for callers that know the stored type.
    template <class T>
    const T* Get() const noexcept {
        return std::get_if<T>(&v_);
    }

  private:
    // Order matches VarType.
    std::variant<std::monostate, bool, int32_t, int64_t, uint64_t, double, std::string, DispPtr,
                 Variant*>
        v_;
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
