#pragma once
// Private-profile (INI) files with the semantics the configuration files were
// written under: section and key names compare case-insensitively, a write
// updates a key in place or appends it at the end of its section, a new
// section goes at the end of the file, and everything else in the file
// (other keys, comments, blank lines) stays as it was.
//
// On disk the files are code page 1251 with CR LF line ends (LF or a lone CR
// end a line too), or, when a text holds a character 1251 has not, UTF-8
// behind a byte-order mark; in memory and through this interface all text
// is UTF-8. A whole file
// is loaded, edited in memory and written back with one atomic replacement,
// so a crash or a full disk never leaves a half-written file.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat {

class ProfileFile {
  public:
    ProfileFile() = default;

    // Replaces the contents with the file at path. A missing file loads as an
    // empty profile and succeeds; a file that exists but can't be read fails
    // and leaves the profile empty (error gets a message).
    bool Load(const std::string& path, std::string* error = nullptr);
    // Replaces the contents with a file's bytes: UTF-8 after a byte-order
    // mark, code page 1251 otherwise.
    void Parse(std::string_view bytes);
    // The whole file with CR LF line ends: code page 1251 when it holds every
    // character (byte for byte what the files have always been), else UTF-8
    // with a byte-order mark.
    std::string ToBytes() const;

    // What the last Parse or Load found: a byte-order mark (UTF-8 text);
    // no mark but bytes that are well-formed UTF-8 with non-ASCII characters
    // in them, so probably a file saved as UTF-8 by an editor and read here
    // as 1251; and notes on lines read in a way the writer would not have
    // written them.
    bool HadUtf8Mark() const { return utf8_; }
    bool LooksUtf8WithoutMark() const { return looksUtf8_; }
    const std::vector<std::string>& Notes() const { return notes_; }
    // Writes the file atomically (temporary file in the same folder, then
    // rename). On failure the old file is untouched.
    bool Save(const std::string& path, std::string* error = nullptr) const;

    // The value of a key: surrounding blanks removed and one pair of
    // matching quotes (" or ') stripped. def when the key is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def = {},
                          bool* found = nullptr) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    // Sets a key, creating the section when needed. Values that would not read
    // back unchanged (surrounding blanks, enclosing quotes) are written quoted;
    // line breaks, which the format can't hold, become blanks. False (and
    // nothing changed) for names the format can't hold: an empty key, a key
    // with "=", a section name with "]", a line break in either.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Both return whether something was removed.
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);
    // Key names of a section in file order, as spelled in the file (first
    // occurrence of each name only).
    std::vector<std::string> GetSectionKeys(std::string_view section) const;
    std::vector<std::string> GetSectionNames() const;
    bool HasSection(std::string_view section) const;
    // A value that is present and not empty; false leaves the caller's field
    // as it was.
    bool GetNonEmpty(std::string_view section, std::string_view key, std::string& value) const;
    // The numbers n below limit for which the section has a key made of
    // prefix and the digits of n ("cnl" finds 12 in "cnl12_name"), ascending,
    // each once. A reader of numbered keys visits these only, so a damaged
    // count (nChannels=2000000000) costs no more than the keys present.
    std::vector<int> NumberedKeys(std::string_view section, std::string_view prefix,
                                  int limit) const;
    // NumberedKeys below the count stored under countKey (0 when missing).
    std::vector<int> CountedKeys(std::string_view section, std::string_view countKey,
                                 std::string_view prefix) const;

  private:
    struct Line {
        Line() = default;
        explicit Line(std::string t) : text(std::move(t)) {}
        std::string text;  // the line as read or written, UTF-8, without line end
        bool entry = false;
        std::string key;      // trimmed key of an entry line
        size_t valuePos = 0;  // start of the value in text
    };
    struct Section {
        std::string name;
        bool hasHeader = false;  // false only for lines before the first header
        std::vector<Line> lines;
        std::unordered_map<std::string, size_t> index;  // folded key -> first line
        // The folded keys in order, made when a reader of numbered keys first
        // asks; cleared by every change of the section's keys.
        mutable std::vector<std::string> sorted;
        mutable bool sortedValid = false;
    };

    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    static size_t AddLine(Section& sec, Line line);
    void RebuildIndex();
    static void IndexSection(Section& sec);

    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> first section
    std::vector<std::string> notes_;
    bool utf8_ = false;
    bool looksUtf8_ = false;
};

// Numbered key names: ProfileKey("cnl%d_name", 3) is "cnl3_name".
std::string ProfileKey(const char* format, int i);
std::string ProfileKey(const char* format, int i, int j);

// Single reads and writes in the manner of the platform's private-profile
// calls; each loads the file, and a write saves it back atomically.
std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def = {},
                             bool* found = nullptr);
bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Replaces path with bytes: a temporary file in the same folder is written,
// flushed and renamed over the target, keeping the target's permissions.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace plat
