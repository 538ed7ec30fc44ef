// The JSON form of the frequency base: one exchange file per section.

#include <fcntl.h>
#include <json-c/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/cfgitem.h"
#include "platform/fileread.h"

namespace {

constexpr int kWriteFlags = JSON_C_TO_STRING_PRETTY | JSON_C_TO_STRING_SPACED;
// json-c's own limit is 32 levels, which a deep folder tree written by us
// could exceed; we must always be able to read what we wrote.
constexpr int kReadDepth = 1000;

// json-c takes ownership of the added value.
void AddString(json_object* obj, const char* key, const std::string& v) {
    json_object_object_add(obj, key,
                           json_object_new_string_len(v.data(), static_cast<int>(v.size())));
}
void AddBool(json_object* obj, const char* key, bool v) {
    json_object_object_add(obj, key, json_object_new_boolean(v ? 1 : 0));
}
void AddInt(json_object* obj, const char* key, int32_t v) {
    json_object_object_add(obj, key, json_object_new_int(v));
}
void AddDouble(json_object* obj, const char* key, double v) {
    json_object_object_add(obj, key, json_object_new_double(v));
}

// Readers: absent members leave the field as it is; other JSON types are
// converted by json-c's getters.
void ReadString(json_object* obj, const char* key, std::string& out) {
    json_object* v = nullptr;
    if (!json_object_object_get_ex(obj, key, &v)) return;
    const char* s = json_object_get_string(v);
    out = s ? s : "";
}
void ReadBool(json_object* obj, const char* key, bool& out) {
    json_object* v = nullptr;
    if (json_object_object_get_ex(obj, key, &v)) out = json_object_get_boolean(v) != 0;
}
void ReadInt(json_object* obj, const char* key, int32_t& out) {
    json_object* v = nullptr;
    if (json_object_object_get_ex(obj, key, &v)) out = json_object_get_int(v);
}
void ReadDouble(json_object* obj, const char* key, double& out) {
    json_object* v = nullptr;
    if (json_object_object_get_ex(obj, key, &v)) out = json_object_get_double(v);
}

json_object* BandWidthToJson(const CfgBandWidth& bw) {
    json_object* obj = json_object_new_object();
    AddString(obj, "Tacho Ref.", bw.tachoRef);
    AddBool(obj, "Relative Borders", bw.relativeBorders);
    AddBool(obj, "In FFT Bins", bw.inFftBins);
    AddDouble(obj, "Physical Value", bw.physicalValue);
    AddDouble(obj, "Percent Value", bw.percentValue);
    AddInt(obj, "FFT Bins Value", bw.fftBinsValue);
    return obj;
}

// The resolved id is left alone: references are bound after the whole
// configuration has been read.
void BandWidthFromJson(json_object* obj, CfgBandWidth& bw) {
    ReadString(obj, "Tacho Ref.", bw.tachoRef);
    ReadBool(obj, "Relative Borders", bw.relativeBorders);
    ReadBool(obj, "In FFT Bins", bw.inFftBins);
    ReadDouble(obj, "Physical Value", bw.physicalValue);
    ReadDouble(obj, "Percent Value", bw.percentValue);
    ReadInt(obj, "FFT Bins Value", bw.fftBinsValue);
}

// Creates the object in an empty slot; false when the slot can't hold members.
json_object* PrepareSlot(json_object** slot) {
    if (!slot) return nullptr;
    if (!*slot) *slot = json_object_new_object();
    if (!*slot || !json_object_is_type(*slot, json_type_object)) return nullptr;
    return *slot;
}

// Parses a whole file; null when it can't be read or is not JSON.
json_object* ParseFile(const std::string& path) {
    std::string text, why;
    plat::ReadFault fault;
    if (!plat::ReadWholeFile(path, plat::kMaxSettingsFileBytes, text, fault, why)) return nullptr;
    size_t start = 0;
    // Editors on Windows like to put a byte-order mark in front.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    json_tokener* tok = json_tokener_new_ex(kReadDepth);
    if (!tok) return nullptr;
    json_object* obj =
        json_tokener_parse_ex(tok, text.data() + start, static_cast<int>(text.size() - start));
    if (json_tokener_get_error(tok) != json_tokener_success) {
        json_object_put(obj);
        obj = nullptr;
    }
    json_tokener_free(tok);
    return obj;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Replaces the file in one step: a failed write never damages the old file.
bool WriteFileAtomic(const std::string& given, const char* data, size_t size) {
    // Replace the file a symbolic link leads to, not the link itself.
    char real[PATH_MAX];
    const std::string path = ::realpath(given.c_str(), real) ? std::string(real) : given;
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    struct stat st;
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    bool ok = WriteAll(fd, data, size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(name.data(), path.c_str()) == 0;
    if (!ok) ::unlink(name.data());
    return ok;
}

}  // namespace

// ---------------------------------------------------------------- common part

bool CCfgProcItem::CommonToJson(json_object* obj) const {
    if (!obj) return false;
    json_object_object_add(obj, "strType", json_object_new_string(CfgItemTypeText(type)));
    AddInt(obj, "Type", type);
    AddBool(obj, "On", enabled);
    if (!info.empty()) AddString(obj, "Info", info);
    return true;
}

bool CCfgProcItem::CommonFromJson(json_object* obj) {
    json_object* t = nullptr;
    if (!obj || !json_object_object_get_ex(obj, "Type", &t)) return false;
    if (json_object_get_int(t) != type) return false;
    ReadString(obj, "Info", info);
    ReadBool(obj, "On", enabled);
    return true;
}

bool CCfgProcItem::FromJson(json_object* obj) {
    return CommonFromJson(obj);
}

bool CCfgProcItem::ToJson(json_object** slot) const {
    return CommonToJson(PrepareSlot(slot));
}

// ---------------------------------------------------------------- folder

bool CCfgProcFolder::ToJson(json_object** slot) const {
    json_object* obj = PrepareSlot(slot);
    if (!CommonToJson(obj)) return false;
    for (const auto& child : children) {
        json_object* c = nullptr;
        if (!child->ToJson(&c)) {
            json_object_put(c);
            return false;
        }
        // A later child of the same name replaces the earlier member in place.
        if (json_object_object_add(obj, child->name.c_str(), c) != 0) {
            json_object_put(c);
            return false;
        }
    }
    return true;
}

bool CCfgProcFolder::FromJson(json_object* obj) {
    // A failed read leaves the folder empty rather than half old, half new.
    Clear();
    if (!CommonFromJson(obj)) return false;
    json_object_iterator it = json_object_iter_begin(obj);
    json_object_iterator end = json_object_iter_end(obj);
    for (; !json_object_iter_equal(&it, &end); json_object_iter_next(&it)) {
        json_object* value = json_object_iter_peek_value(&it);
        json_object* kind = nullptr;
        if (!json_object_is_type(value, json_type_object) ||
            !json_object_object_get_ex(value, "Type", &kind))
            continue;
        std::unique_ptr<CCfgProcItem> item = CreateItem(json_object_get_int(kind));
        if (!item) continue;
        item->name = json_object_iter_peek_name(&it);
        item->parent = this;
        item->FromJson(value);
        Append(std::move(item));
    }
    return true;
}

// ---------------------------------------------------------------- leaves

bool CCfgProcBandFix::ToJson(json_object** slot) const {
    json_object* obj = PrepareSlot(slot);
    if (!CommonToJson(obj)) return false;
    AddBool(obj, "Show By Default", showByDefault);
    AddDouble(obj, "BandStart", bandStart);
    AddDouble(obj, "BandStop", bandStop);
    return true;
}

bool CCfgProcBandFix::FromJson(json_object* obj) {
    if (!CommonFromJson(obj)) return false;
    ReadBool(obj, "Show By Default", showByDefault);
    ReadDouble(obj, "BandStart", bandStart);
    ReadDouble(obj, "BandStop", bandStop);
    return true;
}

bool CCfgProcTaho::ToJson(json_object** slot) const {
    json_object* obj = PrepareSlot(slot);
    if (!CommonToJson(obj)) return false;
    AddString(obj, "Tacho Channel Name", tachoChannel);
    AddInt(obj, "Tacho Pin", tachoPin);
    AddBool(obj, "Show By Default", showByDefault);
    json_object_object_add(obj, "BandWidth", BandWidthToJson(bandWidth));
    return true;
}

bool CCfgProcTaho::FromJson(json_object* obj) {
    if (!CommonFromJson(obj)) return false;
    ReadString(obj, "Tacho Channel Name", tachoChannel);
    ReadInt(obj, "Tacho Pin", tachoPin);
    ReadBool(obj, "Show By Default", showByDefault);
    json_object* bw = nullptr;
    if (json_object_object_get_ex(obj, "BandWidth", &bw)) BandWidthFromJson(bw, bandWidth);
    return true;
}

bool CCfgProcBandTrack::ToJson(json_object** slot) const {
    json_object* obj = PrepareSlot(slot);
    if (!CommonToJson(obj)) return false;
    AddBool(obj, "Show By Default", showByDefault);
    json_object* list = json_object_new_array();
    for (const auto& c : components) {
        json_object* item = json_object_new_object();
        AddString(item, "Tacho Ref.", c.tachoRef);
        AddDouble(item, "Factor", c.factor);
        json_object_array_add(list, item);
    }
    json_object_object_add(obj, "Components", list);
    json_object_object_add(obj, "BandWidth", BandWidthToJson(bandWidth));
    return true;
}

bool CCfgProcBandTrack::FromJson(json_object* obj) {
    if (!CommonFromJson(obj)) return false;
    ReadBool(obj, "Show By Default", showByDefault);
    json_object* v = nullptr;
    if (json_object_object_get_ex(obj, "BandWidth", &v)) BandWidthFromJson(v, bandWidth);
    components.clear();
    if (json_object_object_get_ex(obj, "Components", &v) &&
        json_object_is_type(v, json_type_array)) {
        const size_t n = json_object_array_length(v);
        for (size_t i = 0; i < n; ++i) {
            json_object* e = json_object_array_get_idx(v, i);
            if (!e) continue;
            CfgBandComponent c;
            ReadString(e, "Tacho Ref.", c.tachoRef);
            ReadDouble(e, "Factor", c.factor);
            components.push_back(std::move(c));
        }
    }
    return true;
}

// ---------------------------------------------------------------- section file

namespace {

bool IsMemberKey(const std::string& name, bool inSection) {
    return name == "strType" || name == "Type" || name == "On" || name == "Info" ||
           (inSection && name == "Name");
}

const CCfgProcItem* FindReservedIn(const CCfgProcFolder& folder, bool inSection) {
    for (const auto& child : folder.children) {
        if (IsMemberKey(child->name, inSection)) return child.get();
        if (const auto* sub = dynamic_cast<const CCfgProcFolder*>(child.get()))
            if (const CCfgProcItem* hit = FindReservedIn(*sub, false)) return hit;
    }
    return nullptr;
}

}  // namespace

const CCfgProcItem* FindReservedName(const CCfgProcFolder& folder) {
    return FindReservedIn(folder, folder.type == CfgItemRoot);
}

bool CCfgProcSection::SaveToFile(const std::string& newPath, std::string* error) {
    if (!newPath.empty()) path = newPath;
    if (path.empty()) return false;
    if (const CCfgProcItem* item = FindReservedName(*this)) {
        if (error) {
            const std::string where = item->parent ? item->parent->name : name;
            *error = "the item \"" + item->name + "\" in \"" + where +
                     "\" has a name the exchange file uses for its folder's own data; rename "
                     "it before saving";
        }
        return false;
    }
    json_object* obj = json_object_new_object();
    if (!obj) return false;
    AddString(obj, "Name", name);
    bool ok = ToJson(&obj);
    if (ok) {
        size_t len = 0;
        const char* text = json_object_to_json_string_length(obj, kWriteFlags, &len);
        ok = text && WriteFileAtomic(path, text, len);
        if (!ok && error) *error = "cannot write " + path;
    }
    json_object_put(obj);
    return ok;
}

bool CCfgProcSection::LoadFromFile(const std::string& newPath) {
    if (!newPath.empty()) path = newPath;
    if (path.empty()) return false;
    json_object* obj = ParseFile(path);
    if (!obj) return false;
    // A file that holds anything but an object has no section in it.
    if (!json_object_is_type(obj, json_type_object)) {
        json_object_put(obj);
        return false;
    }
    ReadString(obj, "Name", name);
    // A top object of another kind still loads, as an empty section.
    FromJson(obj);
    json_object_put(obj);
    return true;
}
