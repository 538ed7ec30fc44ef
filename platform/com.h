#pragma once
// Our stand-ins for the component-object services an in-process server and
// its host share: class ids, result codes, the reference-counted base
// interface, the class factory and the entry points a server library
// exports. Both sides are built by the same compiler, so the interfaces are
// plain C++ abstract classes whose slot order matches the usual one.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace plat {

using HRESULT = int32_t;

constexpr HRESULT MakeFailure(uint32_t code) {
    return static_cast<HRESULT>(code);
}
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeFailure(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeFailure(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeFailure(0x80004003u);
inline constexpr HRESULT E_FAIL = MakeFailure(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeFailure(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = MakeFailure(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeFailure(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeFailure(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeFailure(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = MakeFailure(0x80040201u);

constexpr bool Succeeded(HRESULT hr) {
    return hr >= 0;
}
constexpr bool Failed(HRESULT hr) {
    return hr < 0;
}
// "0x80004005" for messages.
std::string HResultText(HRESULT hr);

// A 128-bit class or interface id.
struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};

    friend bool operator==(const Guid& a, const Guid& b) {
        if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
        for (int i = 0; i < 8; ++i)
            if (a.data4[i] != b.data4[i]) return false;
        return true;
    }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
std::string GuidToString(const Guid& g);
// Reads that form, braces optional, hex digits of either case; false (out
// untouched) for anything else.
bool ParseGuid(std::string_view text, Guid& out);

inline constexpr Guid IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr Guid IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The base of every interface handed between a server and its host. The
// object deletes itself when the last reference is released.
class IUnknownBase {
  public:
    virtual HRESULT QueryInterface(const Guid& iid, void** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

  protected:
    ~IUnknownBase() = default;
};

// The four automation slots that follow the base ones in a dual interface.
// Callers here bind by slot, so a server may answer them with E_NOTIMPL.
class IDispatchBase : public IUnknownBase {
  public:
    virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(uint32_t index, uint32_t locale, void** info) = 0;
    virtual HRESULT GetIDsOfNames(const Guid& iid, const char* const* names, uint32_t count,
                                  uint32_t locale, int32_t* ids) = 0;
    virtual HRESULT InvokeSlot(int32_t dispId, const Guid& iid, uint32_t locale, uint16_t flags,
                               void* params, void* result, void* exception, uint32_t* argError) = 0;

  protected:
    ~IDispatchBase() = default;
};

class IClassFactoryBase : public IUnknownBase {
  public:
    virtual HRESULT CreateInstance(IUnknownBase* outer, const Guid& iid, void** out) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

  protected:
    ~IClassFactoryBase() = default;
};

// Owning handle of an interface pointer: destroying it is the release.
template <class T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference that was handed out (a QueryInterface or
    // CreateInstance result).
    static ComPtr Adopt(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // The slot an out-pointer call fills; the old reference is released.
    void** Out() noexcept {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

// Entry points of an in-process server library, looked up by these names.
extern "C" {
using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
// The command line is wide text (UTF-16) or null.
using DllInstallFn = HRESULT (*)(int32_t install, const char16_t* commandLine);
}
inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";
inline constexpr const char* kDllInstall = "DllInstall";

// Full path of the loaded library (or program) holding the address; empty
// when unknown. A server uses it to register itself.
std::string ModulePathOf(const void* address);

// UTF-8 to and from the wide text of DllInstall's command line.
std::u16string ToUtf16(std::string_view utf8);
std::string FromUtf16(const char16_t* text);

}  // namespace plat
