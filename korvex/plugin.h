#pragma once
// The host's plug-in interface. A plug-in library is an in-process server
// (platform/com.h) whose class, created through its class factory, answers
// IKorvexPlugin. The host calls Initialize once with its application object,
// Execute for every button press (command id in the high 16 bits) and host
// event, and Shutdown before it releases the object.
//
// Initialize hands the plug-in one reference to the application object,
// which the plug-in releases when it lets the host go (AdoptHost does both).

#include <cstdint>

#include "platform/com.h"
#include "platform/dispatch.h"

namespace korvex {

class IKorvexPlugin : public plat::IDispatchBase {
  public:
    virtual plat::HRESULT Initialize(plat::IDispatchObject* application, int32_t reserved) = 0;
    virtual plat::HRESULT Shutdown(int32_t reserved) = 0;
    virtual plat::HRESULT Execute(uint32_t code, plat::Variant* data, int32_t reserved) = 0;

  protected:
    ~IKorvexPlugin() = default;
};

inline constexpr plat::Guid IID_IKorvexPlugin = {
    0x5B0E6A31, 0x9C47, 0x4D1E, {0x8F, 0x2A, 0x61, 0x3C, 0x7D, 0x90, 0xB4, 0x15}};

// Where host discovers plug-ins: string values below HKEY_LOCAL_MACHINE, each
// named by a library's full path with the ProgID of its class as data.
inline constexpr const char* kPluginsKey = "Software\\QUOR\\Korvex\\COMPlugins";

// The bitmap handle of AddCommandButton: the address of one of these, owned
// by the plug-in and valid while its library stays loaded, or 0 for none.
struct ButtonBitmap {
    int32_t width = 0;
    int32_t height = 0;
    const uint32_t* argb = nullptr;  // width * height pixels, rows top down
};

// Takes over the reference Initialize passed.
inline plat::DispPtr AdoptHost(plat::IDispatchObject* application) {
    plat::DispPtr p(application);
    if (application) application->Release();
    return p;
}

}  // namespace korvex
