// The plug-in object: its interfaces, buttons and host events, and the commands they start.

#include "shell/plugin/vantrel.h"

#include <cstdlib>

#include "config/cfgfile.h"
#include "platform/datafolder.h"
#include "shell/plugin/commands.h"
#include "shell/plugin/module.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"

namespace vantrel {

namespace {

std::unique_ptr<host::App> g_host;

// The button images (ids 201, 220, 221): a filled square, a sheet and a
// plus, 16 x 16 ARGB; then the trend's rising line over a base line.
struct Bitmaps {
    uint32_t pixels[kButtons][16 * 16] = {};
    korvex::ButtonBitmap bitmaps[kButtons];
    Bitmaps() {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inner = x >= 2 && x < 14 && y >= 2 && y < 14;
                pixels[0][y * 16 + x] = inner ? 0xFF1F5FAFu : 0u;
                pixels[1][y * 16 + x] = (x >= 3 && x < 13 && y >= 1 && y < 15)
                                            ? (y % 3 ? 0xFFF0F0F0u : 0xFF404040u)
                                            : 0u;
                pixels[2][y * 16 + x] =
                    ((x >= 7 && x < 9 && inner) || (y >= 7 && y < 9 && inner)) ? 0xFF2C8C2Cu : 0u;
                const bool rise = x >= 1 && x < 15 && std::abs((13 - y) * 2 - x) <= 1;
                pixels[3][y * 16 + x] = rise ? 0xFFC83C14u : (y == 14 ? 0xFF404040u : 0u);
            }
        for (int i = 0; i < kButtons; ++i) bitmaps[i] = {16, 16, pixels[i]};
    }
};
const korvex::ButtonBitmap& ButtonBitmap(int index) {
    static const Bitmaps b;
    return b.bitmaps[index];
}

constexpr int kButtonStrings[kButtons] = {res::IDS_BUTTON_MAIN, res::IDS_BUTTON_REPORT,
                                          res::IDS_BUTTON_ADDPOINT, res::IDS_BUTTON_TREND};

}  // namespace

host::App* HostConnection() {
    return g_host.get();
}

Command Classify(uint32_t code, const int (&commandIds)[kButtons]) {
    const int command = static_cast<int>(code >> 16);
    constexpr Command byButton[kButtons] = {Command::Main, Command::Report, Command::AddPoint,
                                            Command::Trend};
    for (int i = 0; i < kButtons; ++i)
        if (commandIds[i] != 0 && command == commandIds[i]) return byButton[i];
    if (code == kCursorEvent) return Command::Cursor;
    if (code == kSelectionEvent) return Command::Selection;
    return Command::None;
}

CVantrel::CVantrel(std::unique_ptr<IPluginWindows> windows)
    : settingsPath_(plat::SettingsFilePath()), windows_(std::move(windows)) {
    Module().Lock();
    // A missing or unreadable settings file leaves the defaults.
    if (!settingsPath_.empty()) LoadSettings(cfg_, settingsPath_);
}

CVantrel::~CVantrel() {
    report_.reset();
    windows_.reset();
    Module().Unlock();
}

plat::HRESULT CVantrel::QueryInterface(const plat::Guid& iid, void** out) {
    if (!out) return plat::E_POINTER;
    if (iid == plat::IID_IUnknown || iid == plat::IID_IDispatch ||
        iid == korvex::IID_IKorvexPlugin) {
        *out = static_cast<korvex::IKorvexPlugin*>(this);
        AddRef();
        return plat::S_OK;
    }
    *out = nullptr;
    return plat::E_NOINTERFACE;
}

uint32_t CVantrel::Release() {
    const uint32_t n = --refs_;
    if (n == 0) delete this;
    return n;
}

plat::HRESULT CVantrel::GetTypeInfoCount(uint32_t* count) {
    if (count) *count = 0;
    return plat::S_OK;
}

plat::HRESULT CVantrel::Initialize(plat::IDispatchObject* application, int32_t) {
    g_host = std::make_unique<host::App>(korvex::AdoptHost(application));
    pluginId_ = g_host->RegisterPlugin("Vantrel");
    // The host's answers are not examined: a host that refuses a button
    // simply shows none.
    for (int i = 0; i < kButtons; ++i) {
        commandIds_[i] = g_host->NewCommandId();
        const auto bitmap = static_cast<int64_t>(reinterpret_cast<intptr_t>(&ButtonBitmap(i)));
        g_host->AddCommandButton(pluginId_, commandIds_[i], bitmap, res::Str(kButtonStrings[i]));
    }
    return plat::S_OK;
}

plat::HRESULT CVantrel::Shutdown(int32_t) {
    // Closing the report window only hides it; shut-down destroys it.
    if (report_ && report_->IsWindow()) report_->Destroy();
    if (windows_) windows_->DestroyWindows();
    Save();
    g_host.reset();
    return plat::S_OK;
}

plat::HRESULT CVantrel::Execute(uint32_t code, plat::Variant*, int32_t) {
    switch (Classify(code, commandIds_)) {
        case Command::Main:
            MainCommand();
            break;
        case Command::Report:
            ReportCommand();
            break;
        case Command::AddPoint:
            AddPointCommand();
            break;
        case Command::Trend:
            TrendCommand();
            break;
        case Command::Cursor:
            if (report_ && report_->IsWindow() && report_->IsVisible()) report_->RefreshAtCursor();
            break;
        case Command::Selection:  // the plug-in takes no action on it
        case Command::None:
            break;
    }
    return plat::S_OK;
}

bool CVantrel::Save() {
    // The data folder may not exist yet on a first run.
    if (settingsPath_.empty() || !plat::EnsureDataFolder()) return false;
    return SaveSettings(cfg_, settingsPath_);
}

int CVantrel::MainCommand() {
    if (!g_host || !windows_) return 0;
    EnsureSourceLoaded(*g_host, cfg_);
    CCfgProc copy(cfg_);
    const MainDialogEnd end = windows_->RunMainDialog(*g_host, copy);
    if (!end.ok) return 1;
    cfg_ = copy;
    Save();
    if (!end.calculate) return 1;
    if (!windows_->RunProgress(*g_host, cfg_)) return 0;
    Save();
    BuildResultGraphs(*g_host, cfg_);
    return 1;
}

int CVantrel::ReportCommand() {
    if (!g_host || !windows_) return 0;
    EnsureSourceLoaded(*g_host, cfg_);
    if (!report_) {
        report_ = windows_->CreateReportWindow(*g_host, cfg_);
        if (report_) report_->Show(true);
    } else if (report_->IsWindow()) {
        report_->Show(!report_->IsVisible());
    }
    return 1;
}

int CVantrel::AddPointCommand() {
    if (!g_host || !windows_) return 0;
    return windows_->AddPoint(*g_host, cfg_, settingsPath_, report_);
}

int CVantrel::TrendCommand() {
    if (!g_host || !windows_) return 0;
    windows_->ShowTrend();
    return 1;
}

}  // namespace vantrel
