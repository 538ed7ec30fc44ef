#pragma once
// A file-backed registry in place of the system one: keys under three roots,
// each key with named string or 32-bit values (the name "" is the key's
// default value). Key and value names compare without regard to case, as the
// system registry does; they keep the spelling they were created with.
//
// The file lives in the host's data folder and is a text file in the manner
// of a registry export (docs/workbench.md). Changes are made in memory and
// written back with Save, or in one step with Update, which holds an
// exclusive lock on the file for the load-change-save so that two programs
// registering at once do not lose each other's entries.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com.h"

namespace plat::reg {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE".
const char* RootName(Root root);

struct Value {
    enum class Type { String, Dword };
    std::string name;
    Type type = Type::String;
    std::string text;
    uint32_t number = 0;
};

class Registry {
  public:
    Registry() = default;

    // Reads a registry file. A missing file is an empty registry; a file
    // that does not parse leaves this registry empty and fails with a
    // message naming the file and line.
    bool Load(const std::string& path, std::string* message = nullptr);
    // Writes the whole registry (temporary file renamed over the old one).
    bool Save(const std::string& path, std::string* message = nullptr) const;
    std::string ToText() const;
    bool FromText(std::string_view text, std::string* message = nullptr);

    // Key paths are "\"-separated below a root; empty parts are ignored.
    // Creating a key creates its missing parents.
    void CreateKey(Root root, std::string_view path);
    bool KeyExists(Root root, std::string_view path) const;
    // Removes the key with everything below it; false when it was absent.
    bool DeleteTree(Root root, std::string_view path);
    std::vector<std::string> SubKeys(Root root, std::string_view path) const;

    // Setting a value creates the key.
    void SetString(Root root, std::string_view path, std::string_view name, std::string_view text);
    void SetDword(Root root, std::string_view path, std::string_view name, uint32_t number);
    // The value's text when it is a string value.
    std::optional<std::string> GetString(Root root, std::string_view path,
                                         std::string_view name) const;
    std::optional<Value> GetValue(Root root, std::string_view path, std::string_view name) const;
    bool DeleteValue(Root root, std::string_view path, std::string_view name);
    std::vector<Value> Values(Root root, std::string_view path) const;

    bool Empty() const { return keys_.empty(); }

  private:
    struct Key {
        std::string path;  // as created: root name + "\" + parts
        std::vector<Value> values;
    };
    static std::string KeyId(Root root, std::string_view path, std::string* display = nullptr);
    Key* FindKey(Root root, std::string_view path);
    const Key* FindKey(Root root, std::string_view path) const;
    Key& MakeKey(Root root, std::string_view path);
    Value& MakeValue(Key& key, std::string_view name);

    // Keyed by the folded full path, so a key's sub-keys follow it.
    std::map<std::string, Key> keys_;
};

// The registry file of the host's data folder ("korvex.reg"); empty when the
// data folder is unknown.
std::string DefaultRegistryPath();

// Loads the file, applies change and saves it, all under an exclusive lock
// of the file. change returns false to abandon the update (nothing written).
// A file that does not parse is left as it is and the update fails.
bool Update(const std::string& path, const std::function<bool(Registry&)>& change,
            std::string* message = nullptr);

// Where the class registrations of a server go: the machine's classes, or
// the current user's ("Software\Classes" below HKEY_CURRENT_USER).
enum class Scope { Machine, User };

// The entries of one in-process class.
struct ClassRegistration {
    Guid classId;
    std::string progId;                    // "name.Class.1"
    std::string versionIndependentProgId;  // "name.Class"
    std::string description;               // default value of the class keys
    std::string libraryPath;               // InprocServer32
    std::string threadingModel = "Apartment";
    std::optional<Guid> typeLibId;
};
void RegisterClass(Registry& reg, Scope scope, const ClassRegistration& c);
// Removes the ProgID keys and the class key; the CLSID root key stays.
void UnregisterClass(Registry& reg, Scope scope, const ClassRegistration& c);

// Looks a ProgID up as the host does: the user's classes first, then the
// machine's; a version-independent ProgID without its own CLSID follows
// CurVer.
std::optional<Guid> ClassIdOfProgId(const Registry& reg, std::string_view progId);
// InprocServer32 of a class id, looked up the same way.
std::optional<std::string> InprocServerOf(const Registry& reg, const Guid& classId);

}  // namespace plat::reg
