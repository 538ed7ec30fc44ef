// The registry file: keys and values under three roots, parsed and written with a lock.

#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/datafolder.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace plat::reg {

namespace {

constexpr std::string_view kHeader = "Korvex registry 1";
constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                      "HKEY_LOCAL_MACHINE"};

std::vector<std::string_view> SplitKey(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('\\', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

// Line breaks would end the line of the file, so they never enter a key name.
std::string CleanPart(std::string_view part) {
    std::string s(part);
    for (char& c : s)
        if (c == '\n' || c == '\r') c = '_';
    return s;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out + '"';
}

// Reads a quoted text at s[i]; i ends after the closing quote.
bool Unquote(std::string_view s, size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c == '\\') {
            if (++i >= s.size()) return false;
            switch (s[i]) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case '\\':
                case '"':
                    c = s[i];
                    break;
                default:
                    return false;
            }
        }
        out += c;
    }
    return false;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string ClassesKey(Scope scope, std::string_view rest) {
    std::string k = scope == Scope::User ? "Software\\Classes\\" : "";
    return k + std::string(rest);
}
Root ClassesRoot(Scope scope) {
    return scope == Scope::User ? Root::CurrentUser : Root::ClassesRoot;
}

}  // namespace

const char* RootName(Root root) {
    return kRootNames[static_cast<int>(root)];
}

std::string Registry::KeyId(Root root, std::string_view path, std::string* display) {
    std::string id(1, static_cast<char>('0' + static_cast<int>(root)));
    if (display) *display = RootName(root);
    for (std::string_view part : SplitKey(path)) {
        const std::string clean = CleanPart(part);
        id += '\\';
        id += FoldCase(clean);
        if (display) *display += '\\' + clean;
    }
    return id;
}

Registry::Key* Registry::FindKey(Root root, std::string_view path) {
    auto it = keys_.find(KeyId(root, path));
    return it == keys_.end() ? nullptr : &it->second;
}
const Registry::Key* Registry::FindKey(Root root, std::string_view path) const {
    return const_cast<Registry*>(this)->FindKey(root, path);
}

Registry::Key& Registry::MakeKey(Root root, std::string_view path) {
    std::string prefix;
    for (std::string_view part : SplitKey(path)) {
        prefix += '\\';
        prefix += part;
        std::string display;
        std::string id = KeyId(root, prefix, &display);
        auto [it, added] = keys_.try_emplace(std::move(id));
        if (added) it->second.path = std::move(display);
    }
    std::string display;
    std::string id = KeyId(root, path, &display);
    auto [it, added] = keys_.try_emplace(std::move(id));
    if (added) it->second.path = std::move(display);
    return it->second;
}

Value& Registry::MakeValue(Key& key, std::string_view name) {
    for (Value& v : key.values)
        if (EqualNoCase(v.name, name)) return v;
    key.values.push_back(Value{std::string(name), Value::Type::String, {}, 0});
    return key.values.back();
}

void Registry::CreateKey(Root root, std::string_view path) {
    MakeKey(root, path);
}

bool Registry::KeyExists(Root root, std::string_view path) const {
    return SplitKey(path).empty() || FindKey(root, path) != nullptr;
}

bool Registry::DeleteTree(Root root, std::string_view path) {
    const std::string id = KeyId(root, path);
    auto it = keys_.find(id);
    if (it == keys_.end()) return false;
    it = keys_.erase(it);
    const std::string below = id + '\\';
    while (it != keys_.end() && StartsWith(it->first, below)) it = keys_.erase(it);
    return true;
}

std::vector<std::string> Registry::SubKeys(Root root, std::string_view path) const {
    const std::string below = KeyId(root, path) + '\\';
    std::vector<std::string> out;
    for (auto it = keys_.lower_bound(below); it != keys_.end() && StartsWith(it->first, below);
         ++it) {
        if (it->first.find('\\', below.size()) != std::string::npos) continue;
        const std::string& p = it->second.path;
        out.push_back(p.substr(p.rfind('\\') + 1));
    }
    return out;
}

void Registry::SetString(Root root, std::string_view path, std::string_view name,
                         std::string_view text) {
    Value& v = MakeValue(MakeKey(root, path), name);
    v.type = Value::Type::String;
    v.text = std::string(text);
    v.number = 0;
}

void Registry::SetDword(Root root, std::string_view path, std::string_view name, uint32_t number) {
    Value& v = MakeValue(MakeKey(root, path), name);
    v.type = Value::Type::Dword;
    v.text.clear();
    v.number = number;
}

std::optional<Value> Registry::GetValue(Root root, std::string_view path,
                                        std::string_view name) const {
    const Key* k = FindKey(root, path);
    if (!k) return std::nullopt;
    for (const Value& v : k->values)
        if (EqualNoCase(v.name, name)) return v;
    return std::nullopt;
}

std::optional<std::string> Registry::GetString(Root root, std::string_view path,
                                               std::string_view name) const {
    auto v = GetValue(root, path, name);
    if (!v || v->type != Value::Type::String) return std::nullopt;
    return v->text;
}

bool Registry::DeleteValue(Root root, std::string_view path, std::string_view name) {
    Key* k = FindKey(root, path);
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it)
        if (EqualNoCase(it->name, name)) {
            k->values.erase(it);
            return true;
        }
    return false;
}

std::vector<Value> Registry::Values(Root root, std::string_view path) const {
    const Key* k = FindKey(root, path);
    return k ? k->values : std::vector<Value>{};
}

// ---------------------------------------------------------------------------
// The file

std::string Registry::ToText() const {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [id, key] : keys_) {
        out += "\n[" + key.path + "]\n";
        for (const Value& v : key.values) {
            out += v.name.empty() ? std::string("@") : Quote(v.name);
            if (v.type == Value::Type::Dword) {
                char buf[24];
                std::snprintf(buf, sizeof buf, "=dword:%08x\n", static_cast<unsigned>(v.number));
                out += buf;
            } else {
                out += '=' + Quote(v.text) + '\n';
            }
        }
    }
    return out;
}

bool Registry::FromText(std::string_view text, std::string* message) {
    keys_.clear();
    Key* current = nullptr;
    size_t lineNo = 0, pos = 0;
    bool headerSeen = false;
    auto fail = [&](const std::string& why) {
        keys_.clear();
        if (message) *message = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!headerSeen) {
            if (line != kHeader) return fail("not a registry file");
            headerSeen = true;
            continue;
        }
        if (Trim(line).empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("key line without ']'");
            std::string_view full = line.substr(1, line.size() - 2);
            const size_t cut = full.find('\\');
            std::string_view rootText = full.substr(0, cut);
            int root = -1;
            for (int r = 0; r < 3; ++r)
                if (EqualNoCase(rootText, kRootNames[r])) root = r;
            if (root < 0) return fail("unknown root key");
            std::string_view rest = cut == std::string_view::npos ? "" : full.substr(cut + 1);
            current = &MakeKey(static_cast<Root>(root), rest);
            continue;
        }
        if (!current) return fail("value outside a key");
        Value v;
        size_t i = 0;
        if (line.front() == '@') {
            i = 1;
        } else if (!Unquote(line, i, v.name)) {
            return fail("bad value name");
        }
        if (i >= line.size() || line[i] != '=') return fail("'=' expected");
        ++i;
        std::string_view rest = line.substr(i);
        if (StartsWith(rest, "dword:")) {
            rest.remove_prefix(6);
            if (rest.size() != 8) return fail("bad dword");
            unsigned n = 0;
            for (char c : rest) {
                int d = (c >= '0' && c <= '9')   ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
                if (d < 0) return fail("bad dword");
                n = n << 4 | static_cast<unsigned>(d);
            }
            v.type = Value::Type::Dword;
            v.number = n;
        } else {
            if (!Unquote(line, i, v.text) || i != line.size()) return fail("bad string value");
        }
        Value& slot = MakeValue(*current, v.name);
        slot = std::move(v);
    }
    return true;
}

bool Registry::Load(const std::string& path, std::string* message) {
    keys_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return true;  // no file yet: nothing registered
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        if (message) *message = path + ": cannot be read";
        return false;
    }
    std::string why;
    if (!FromText(ss.str(), &why)) {
        keys_.clear();
        if (message) *message = path + ": " + why;
        return false;
    }
    return true;
}

bool Registry::Save(const std::string& path, std::string* message) const {
    std::string why;
    if (WriteFileAtomic(path, ToText(), &why)) return true;
    if (message) *message = path + ": " + why;
    return false;
}

std::string DefaultRegistryPath() {
    const std::string dir = DataFolder();
    return dir.empty() ? dir : dir + "korvex.reg";
}

bool Update(const std::string& path, const std::function<bool(Registry&)>& change,
            std::string* message) {
    if (path.empty()) {
        if (message) *message = "no registry file";
        return false;
    }
    // A fresh machine has no data folder yet; the first registration makes it.
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    const std::string lockPath = path + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (message) *message = lockPath + ": cannot be opened";
        return false;
    }
    ::flock(fd, LOCK_EX);
    Registry reg;
    bool ok = reg.Load(path, message) && change(reg) && reg.Save(path, message);
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok;
}

// ---------------------------------------------------------------------------
// Class registrations

void RegisterClass(Registry& reg, Scope scope, const ClassRegistration& c) {
    const Root root = ClassesRoot(scope);
    const std::string id = GuidToString(c.classId);
    const std::string clsidKey = ClassesKey(scope, "CLSID\\" + id);
    // The class key is replaced as a whole, so no stale sub-key survives.
    reg.DeleteTree(root, clsidKey);
    reg.SetString(root, clsidKey, "", c.description);
    reg.SetString(root, clsidKey + "\\ProgID", "", c.progId);
    reg.SetString(root, clsidKey + "\\VersionIndependentProgID", "", c.versionIndependentProgId);
    reg.CreateKey(root, clsidKey + "\\Programmable");
    reg.SetString(root, clsidKey + "\\InprocServer32", "", c.libraryPath);
    reg.SetString(root, clsidKey + "\\InprocServer32", "ThreadingModel", c.threadingModel);
    if (c.typeLibId) reg.SetString(root, clsidKey + "\\TypeLib", "", GuidToString(*c.typeLibId));

    const std::string prog = ClassesKey(scope, c.progId);
    reg.SetString(root, prog, "", c.description);
    reg.SetString(root, prog + "\\CLSID", "", id);
    if (!c.versionIndependentProgId.empty()) {
        const std::string vi = ClassesKey(scope, c.versionIndependentProgId);
        reg.SetString(root, vi, "", c.description);
        reg.SetString(root, vi + "\\CLSID", "", id);
        reg.SetString(root, vi + "\\CurVer", "", c.progId);
    }
}

void UnregisterClass(Registry& reg, Scope scope, const ClassRegistration& c) {
    const Root root = ClassesRoot(scope);
    reg.DeleteTree(root, ClassesKey(scope, "CLSID\\" + GuidToString(c.classId)));
    if (!c.progId.empty()) reg.DeleteTree(root, ClassesKey(scope, c.progId));
    if (!c.versionIndependentProgId.empty())
        reg.DeleteTree(root, ClassesKey(scope, c.versionIndependentProgId));
}

namespace {

// A classes value: the user's registration first, then the machine's.
std::optional<std::string> ClassesString(const Registry& reg, const std::string& key,
                                         std::string_view name) {
    if (auto v = reg.GetString(Root::CurrentUser, ClassesKey(Scope::User, key), name)) return v;
    return reg.GetString(Root::ClassesRoot, key, name);
}

}  // namespace

std::optional<Guid> ClassIdOfProgId(const Registry& reg, std::string_view progId) {
    std::string name(progId);
    // CurVer is followed a few times at most: a loop of CurVer keys ends.
    for (int hop = 0; hop < 4 && !name.empty(); ++hop) {
        if (auto text = ClassesString(reg, name + "\\CLSID", "")) {
            Guid g;
            if (ParseGuid(*text, g)) return g;
            return std::nullopt;
        }
        auto next = ClassesString(reg, name + "\\CurVer", "");
        if (!next) break;
        name = *next;
    }
    return std::nullopt;
}

std::optional<std::string> InprocServerOf(const Registry& reg, const Guid& classId) {
    return ClassesString(reg, "CLSID\\" + GuidToString(classId) + "\\InprocServer32", "");
}

}  // namespace plat::reg
