// The resource module's tables looked up by number, and a second module answering first.

#include "ui/res/resources.h"

#include "ui/res/own_module.h"

namespace res {

const Control* DialogTemplate::Find(int controlId) const {
    for (const Control& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

const std::string* TableModule::String(int id) const {
    auto it = strings.find(id);
    return it == strings.end() ? nullptr : &it->second;
}

const DialogTemplate* TableModule::Dialog(int id) const {
    auto it = dialogs.find(id);
    return it == dialogs.end() ? nullptr : &it->second;
}

const Menu* TableModule::FindMenu(int id) const {
    auto it = menus.find(id);
    return it == menus.end() ? nullptr : &it->second;
}

namespace {
const Module* g_installed = nullptr;
}

const Module& OwnModule() {
    static const TableModule own = [] {
        TableModule m;
        m.strings = OwnStrings();
        for (DialogTemplate& d : OwnDialogs()) m.dialogs.emplace(d.id, std::move(d));
        for (DialogTemplate& d : FreqItemDialogs()) m.dialogs.emplace(d.id, std::move(d));
        for (DialogTemplate& d : KinDialogs()) m.dialogs.emplace(d.id, std::move(d));
        Menu menu = OwnMainMenu();
        m.menus.emplace(menu.id, std::move(menu));
        return m;
    }();
    return own;
}

void InstallModule(const Module* m) {
    g_installed = m;
}

std::string Str(int id) {
    if (g_installed)
        if (const std::string* s = g_installed->String(id)) return *s;
    const std::string* s = OwnModule().String(id);
    return s ? *s : std::string();
}

const DialogTemplate* Dialog(int id) {
    if (g_installed)
        if (const DialogTemplate* d = g_installed->Dialog(id)) return d;
    return OwnModule().Dialog(id);
}

const Menu* FindMenu(int id) {
    if (g_installed)
        if (const Menu* m = g_installed->FindMenu(id)) return m;
    return OwnModule().FindMenu(id);
}

std::string FormatText(const std::string& format, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // A conversion: optional precision ("%.1f"), then s, d or f.
        size_t k = i + 1;
        while (k < format.size() && (format[k] == '.' || (format[k] >= '0' && format[k] <= '9')))
            ++k;
        if (k < format.size() && (format[k] == 's' || format[k] == 'd' || format[k] == 'f')) {
            if (next < args.size()) out += args[next++];
            i = k;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Format(int id, const std::vector<std::string>& args) {
    return FormatText(Str(id), args);
}

}  // namespace res
