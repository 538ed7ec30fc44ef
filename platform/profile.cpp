// INI profile files with case-insensitive names, written in place, replaced atomically.

#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "platform/fileread.h"
#include "platform/keyvalue.h"
#include "platform/text.h"

namespace plat {

namespace fs = std::filesystem;

namespace {

bool IsBlankLine(std::string_view s) {
    return Trim(s).empty();
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// Name of a "[section]" header line, or false when the line is none.
bool HeaderName(std::string_view line, std::string& name) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return false;
    t.remove_prefix(1);
    size_t close = t.find(']');
    if (close != std::string_view::npos) t = t.substr(0, close);
    name = std::string(Trim(t));
    return true;
}

bool IsComment(std::string_view line) {
    std::string_view t = Trim(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool ValidKey(std::string_view key) {
    if (key.empty()) return false;
    if (key.front() == '[' || key.front() == ';' || key.front() == '#') return false;
    return key.find_first_of("=\r\n") == std::string_view::npos;
}

bool ValidSectionName(std::string_view name) {
    return name.find_first_of("]\r\n") == std::string_view::npos;
}

// The value as it must stand in the file to read back as value.
std::string EncodeValue(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    bool quote = Trim(v).size() != v.size() ||
                 (v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back());
    return quote ? "\"" + v + "\"" : v;
}

std::string DecodeValue(std::string_view raw) {
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back()) v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// UTF-8 text as it is, with any byte that is not part of a well-formed
// sequence taken as code page 1251: a damaged file loses nothing more.
std::string LenientUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t before = i;
        const char32_t c = DecodeUtf8(s, i);
        if (c == 0xFFFD && i - before != 3)
            out += Cp1251ToUtf8(s.substr(before, 1));
        else
            out.append(s.substr(before, i - before));
    }
    return out;
}

bool HasHighBytes(std::string_view s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

void ProfileFile::Parse(std::string_view bytes) {
    sections_.clear();
    sectionIndex_.clear();
    notes_.clear();
    utf8_ = bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark;
    looksUtf8_ = !utf8_ && HasHighBytes(bytes) && IsValidUtf8(bytes);
    std::string text = utf8_ ? LenientUtf8(bytes.substr(kUtf8Mark.size())) : Cp1251ToUtf8(bytes);
    std::string_view rest(text);
    sections_.emplace_back();  // lines before the first header
    int lineNo = 0;
    while (!rest.empty()) {
        // CR LF, LF or a lone CR end a line: a CR can never stand inside a
        // value, since no writer could put it back.
        size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        size_t next = end == std::string_view::npos ? rest.size() : end + 1;
        if (end != std::string_view::npos && rest[end] == '\r') {
            if (next < rest.size() && rest[next] == '\n')
                ++next;
            else
                notes_.push_back("line " + std::to_string(lineNo + 1) +
                                 ": a lone CR is taken as the end of the line");
        }
        rest.remove_prefix(next);
        ++lineNo;

        std::string name;
        if (HeaderName(line, name)) {
            Section sec;
            sec.name = std::move(name);
            sec.hasHeader = true;
            sec.lines.push_back(Line(std::string(line)));
            sections_.push_back(std::move(sec));
            continue;
        }
        Line l{std::string(line)};
        size_t eq = line.find('=');
        if (!IsComment(line) && eq != std::string_view::npos) {
            std::string_view key = Trim(line.substr(0, eq));
            if (!key.empty()) {
                l.entry = true;
                l.key = std::string(key);
                l.valuePos = eq + 1;
            }
        }
        sections_.back().lines.push_back(std::move(l));
    }
    RebuildIndex();
}

void ProfileFile::IndexSection(Section& sec) {
    sec.sortedValid = false;
    sec.index.clear();
    for (size_t i = 0; i < sec.lines.size(); ++i)
        if (sec.lines[i].entry) sec.index.emplace(FoldCase(sec.lines[i].key), i);
}

void ProfileFile::RebuildIndex() {
    sectionIndex_.clear();
    for (size_t s = 0; s < sections_.size(); ++s) {
        IndexSection(sections_[s]);
        if (sections_[s].hasHeader) sectionIndex_.emplace(FoldCase(sections_[s].name), s);
    }
}

bool ProfileFile::Load(const std::string& path, std::string* error) {
    Parse({});
    std::string bytes, why;
    ReadFault fault = ReadFault::kNone;
    if (!ReadWholeFile(path, kMaxSettingsFileBytes, bytes, fault, why)) {
        if (fault == ReadFault::kMissing) return true;
        SetError(error, "cannot read " + path + ": " + why);
        return false;
    }
    Parse(bytes);
    return true;
}

std::string ProfileFile::ToBytes() const {
    bool fits = true;
    for (const Section& sec : sections_)
        for (const Line& l : sec.lines) fits = fits && FitsCp1251(l.text);
    // Code page 1251 whenever it holds every character, as the files have
    // always been; else UTF-8 behind a byte-order mark, which the reader
    // recognises, so that no character turns into "?".
    std::string out = fits ? std::string() : std::string(kUtf8Mark);
    for (const Section& sec : sections_)
        for (const Line& l : sec.lines) {
            out += fits ? Utf8ToCp1251(l.text) : l.text;
            out += "\r\n";
        }
    return out;
}

bool ProfileFile::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomic(path, ToBytes(), error);
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view name) {
    auto it = sectionIndex_.find(FoldCase(Trim(name)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
    auto it = sectionIndex_.find(FoldCase(Trim(name)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const ProfileFile::Line* ProfileFile::FindLine(std::string_view section,
                                               std::string_view key) const {
    const Section* sec = FindSection(section);
    if (!sec) return nullptr;
    auto it = sec->index.find(FoldCase(Trim(key)));
    return it == sec->index.end() ? nullptr : &sec->lines[it->second];
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view def, bool* found) const {
    const Line* l = FindLine(section, key);
    if (found) *found = l != nullptr;
    if (!l) return std::string(def);
    return DecodeValue(std::string_view(l->text).substr(l->valuePos));
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

bool ProfileFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

size_t ProfileFile::AddLine(Section& sec, Line line) {
    // After the last line that is not blank, so blank lines that separate
    // this section from the next stay where they are.
    size_t pos = sec.lines.size();
    while (pos > (sec.hasHeader ? 1u : 0u) && IsBlankLine(sec.lines[pos - 1].text)) --pos;
    sec.lines.insert(sec.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
    return pos;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!ValidKey(key) || !ValidSectionName(section)) return false;

    Section* sec = FindSection(section);
    if (!sec) {
        // A blank line keeps the new section apart from the one before it.
        if (!sections_.empty()) {
            Section& last = sections_.back();
            if (!last.lines.empty() && !IsBlankLine(last.lines.back().text))
                last.lines.push_back(Line{});
        }
        Section fresh;
        fresh.name = std::string(section);
        fresh.hasHeader = true;
        fresh.lines.push_back(Line("[" + fresh.name + "]"));
        sections_.push_back(std::move(fresh));
        sectionIndex_.emplace(FoldCase(section), sections_.size() - 1);
        sec = &sections_.back();
    }

    std::string folded = FoldCase(key);
    auto it = sec->index.find(folded);
    if (it != sec->index.end()) {
        Line& l = sec->lines[it->second];
        l.text = l.text.substr(0, l.valuePos) + EncodeValue(value);
        return true;
    }
    Line added(std::string(key) + "=" + EncodeValue(value));
    added.entry = true;
    added.key = std::string(key);
    added.valuePos = key.size() + 1;
    // Only blank lines can follow the insertion point, so the indices of the
    // entries already in the section stay valid.
    sec->sortedValid = false;
    sec->index.emplace(std::move(folded), AddLine(*sec, std::move(added)));
    return true;
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* sec = FindSection(section);
    if (!sec) return false;
    auto it = sec->index.find(FoldCase(Trim(key)));
    if (it == sec->index.end()) return false;
    sec->lines.erase(sec->lines.begin() + static_cast<std::ptrdiff_t>(it->second));
    IndexSection(*sec);
    return true;
}

bool ProfileFile::DeleteSection(std::string_view section) {
    std::string folded = FoldCase(Trim(section));
    size_t before = sections_.size();
    std::erase_if(sections_,
                  [&](const Section& s) { return s.hasHeader && FoldCase(s.name) == folded; });
    if (sections_.size() == before) return false;
    RebuildIndex();
    return true;
}

std::vector<std::string> ProfileFile::GetSectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    const Section* sec = FindSection(section);
    if (!sec) return keys;
    for (size_t i = 0; i < sec->lines.size(); ++i) {
        const Line& l = sec->lines[i];
        if (!l.entry) continue;
        auto it = sec->index.find(FoldCase(l.key));
        if (it != sec->index.end() && it->second == i) keys.push_back(l.key);
    }
    return keys;
}

std::vector<std::string> ProfileFile::GetSectionNames() const {
    std::vector<std::string> names;
    for (size_t s = 0; s < sections_.size(); ++s) {
        if (!sections_[s].hasHeader) continue;
        auto it = sectionIndex_.find(FoldCase(sections_[s].name));
        if (it != sectionIndex_.end() && it->second == s) names.push_back(sections_[s].name);
    }
    return names;
}

std::string ProfileGetString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view def, bool* found) {
    ProfileFile f;
    if (!f.Load(path)) {
        if (found) *found = false;
        return std::string(def);
    }
    return f.GetString(section, key, def, found);
}

bool ProfileWriteString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    ProfileFile f;
    return f.Load(path) && f.WriteString(section, key, value) && f.Save(path);
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error) {
    fs::path target(path);
    std::error_code ec;
    // Writing through a link replaces the file it points to, not the link.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    fs::path dir = target.parent_path();
    if (target.filename().empty()) {
        SetError(error, "not a file name: " + path);
        return false;
    }

    static std::atomic<unsigned> counter{0};
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                           "_" + std::to_string(counter++);
        tmp = (dir.empty() ? fs::path(name) : dir / name).string();
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetError(error, ErrnoText("cannot create a file next to", target.string()));
        return false;
    }

    auto fail = [&](const std::string& what) {
        SetError(error, ErrnoText(what, target.string()));
        ::close(fd);
        ::unlink(tmp.c_str());
        return false;
    };
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("cannot write");
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) return fail("cannot flush");
    if (::close(fd) != 0) {
        SetError(error, ErrnoText("cannot write", target.string()));
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        SetError(error, ErrnoText("cannot replace", target.string()));
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer risks the data.
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool ProfileFile::GetNonEmpty(std::string_view section, std::string_view key,
                              std::string& value) const {
    value = GetString(section, key);
    return !value.empty();
}

std::vector<int> ProfileFile::NumberedKeys(std::string_view section, std::string_view prefix,
                                           int limit) const {
    std::vector<int> numbers;
    const Section* sec = FindSection(section);
    if (!sec || limit <= 0) return numbers;
    if (!sec->sortedValid) {
        sec->sorted.clear();
        sec->sorted.reserve(sec->index.size());
        for (const auto& entry : sec->index) sec->sorted.push_back(entry.first);
        std::sort(sec->sorted.begin(), sec->sorted.end());
        sec->sortedValid = true;
    }
    const std::string folded = FoldCase(prefix);
    for (auto it = std::lower_bound(sec->sorted.begin(), sec->sorted.end(), folded);
         it != sec->sorted.end() && it->compare(0, folded.size(), folded) == 0; ++it) {
        long long n = -1;
        for (size_t i = folded.size(); i < it->size() && (*it)[i] >= '0' && (*it)[i] <= '9'; ++i)
            n = std::min((n < 0 ? 0 : n) * 10 + ((*it)[i] - '0'), static_cast<long long>(limit));
        if (n >= 0 && n < limit) numbers.push_back(static_cast<int>(n));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<int> ProfileFile::CountedKeys(std::string_view section, std::string_view countKey,
                                          std::string_view prefix) const {
    return NumberedKeys(section, prefix, AtoI(GetString(section, countKey)));
}

std::string ProfileKey(const char* format, int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, i);
    return buf;
}

std::string ProfileKey(const char* format, int i, int j) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, i, j);
    return buf;
}

}  // namespace plat
