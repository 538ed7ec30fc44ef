// A recording's summary per channel, band and mode as CSV, read back and merged.

#include "report/summary.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <system_error>
#include <tuple>
#include <unordered_map>

#include "platform/numtext.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kColumns[] = {"file", "data_set", "start_time", "channel", "item",  "folder",
                                    "unit", "mode",     "from_s",     "to_s",    "min",   "mean",
                                    "max",  "last",     "alert",      "danger",  "class", "limits",
                                    "zone", "state",    "error"};
constexpr size_t kColumnCount = std::size(kColumns);

void AppendText(std::string& out, const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) {
        out += s;
        return;
    }
    out += '"';
    for (char ch : s) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

void AppendNumber(std::string& out, double v) {
    if (!std::isnan(v)) out += plat::ShortestText(v);
}

void AppendRow(std::string& out, const SummaryRow& r) {
    const std::string* texts[] = {&r.file, &r.dataSet, &r.startTime, &r.channel,
                                  &r.item, &r.folder,  &r.unit,      &r.mode};
    for (const std::string* t : texts) {
        AppendText(out, *t);
        out += ',';
    }
    for (double v : {r.from, r.to, r.min, r.mean, r.max, r.last, r.alert, r.danger}) {
        AppendNumber(out, v);
        out += ',';
    }
    out += MachineClassText(r.machineClass);
    out += ',';
    out += LimitStateText(r.limits);
    out += ',';
    out += ZoneLetter(r.zone);
    out += ',';
    out += LimitStateText(r.state);
    out += ',';
    AppendText(out, r.error);
    out += '\n';
}

// One CSV record from pos; false at the end of the text or on an
// unterminated quote.
bool NextRecord(const std::string& text, size_t& pos, std::vector<std::string>& fields,
                bool& broken) {
    fields.clear();
    broken = false;
    if (pos >= text.size()) return false;
    std::string field;
    for (;;) {
        if (pos < text.size() && text[pos] == '"') {
            for (++pos;; ++pos) {
                if (pos >= text.size()) {
                    broken = true;
                    return true;
                }
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        field += '"';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                field += text[pos];
            }
        }
        const size_t end = text.find_first_of(",\n", pos);
        const size_t stop = end == std::string::npos ? text.size() : end;
        field.append(text, pos, stop - pos);
        if (!field.empty() && field.back() == '\r') field.pop_back();
        fields.push_back(std::move(field));
        field.clear();
        pos = stop + 1;
        if (end == std::string::npos || text[end] == '\n') return true;
    }
}

bool ReadNumber(const std::string& s, double& v) {
    v = SummaryRow::kNaN;
    if (s.empty()) return true;
    return plat::ReadDecimal(s.data(), s.data() + s.size(), v) == s.data() + s.size();
}

bool RowFromFields(std::vector<std::string>& f, SummaryRow& r) {
    if (f.size() != kColumnCount) return false;
    r.file = std::move(f[0]);
    r.dataSet = std::move(f[1]);
    r.startTime = std::move(f[2]);
    r.channel = std::move(f[3]);
    r.item = std::move(f[4]);
    r.folder = std::move(f[5]);
    r.unit = std::move(f[6]);
    r.mode = std::move(f[7]);
    double* numbers[] = {&r.from, &r.to, &r.min, &r.mean, &r.max, &r.last, &r.alert, &r.danger};
    for (size_t i = 0; i < std::size(numbers); ++i)
        if (!ReadNumber(f[8 + i], *numbers[i])) return false;
    r.machineClass = MachineClassFromText(f[16]);
    r.limits = LimitStateFromText(f[17]);
    r.zone = ZoneFromLetter(f[18]);
    r.state = LimitStateFromText(f[19]);
    r.error = std::move(f[20]);
    return true;
}

bool StartsWithHeader(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::string header = SummaryHeader();
    std::string start(header.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    return in && start == header;
}

}  // namespace

void SummariseSpan(const std::vector<double>& y, double start, double step, SummaryRow& row) {
    double sum = 0.0;
    size_t n = 0;
    row.min = row.max = row.last = row.mean = SummaryRow::kNaN;
    for (size_t i = 0; i < y.size(); ++i) {
        const double t = start + static_cast<double>(i) * step;
        const double v = y[i];
        if (t < row.from || t > row.to || std::isnan(v)) continue;
        if (!(v >= row.min)) row.min = v;  // also the first measured point
        if (!(v <= row.max)) row.max = v;
        row.last = v;
        sum += v;
        ++n;
    }
    if (n > 0) row.mean = sum / static_cast<double>(n);
}

void JudgeRow(SummaryRow& row, bool zonesApply) {
    row.limits = LimitStateOf(row.max, row.alert, row.danger);
    row.zone = zonesApply ? ZoneOf(row.machineClass, row.max) : Zone::None;
    row.state = CombinedState(row.limits, row.zone);
}

std::string SummaryHeader() {
    std::string h;
    for (const char* c : kColumns) {
        if (!h.empty()) h += ',';
        h += c;
    }
    return h;
}

std::string SummaryText(const std::vector<SummaryRow>& rows) {
    std::string out = SummaryHeader() + '\n';
    out.reserve(out.size() + rows.size() * 160);
    for (const SummaryRow& r : rows) AppendRow(out, r);
    return out;
}

// Whether the text starts with the summary's header line; pos is then the
// start of the first record.
static bool SkipHeader(std::string_view text, const std::string& label, size_t& pos,
                       std::string& error) {
    const std::string header = SummaryHeader();
    if (text.compare(0, header.size(), header) != 0 ||
        (text.size() > header.size() && text[header.size()] != '\n' &&
         text[header.size()] != '\r')) {
        error = label + ": not a summary table (the first line is not its header)";
        return false;
    }
    pos = text.find('\n');
    pos = pos == std::string_view::npos ? text.size() : pos + 1;
    return true;
}

bool WriteSummary(const std::string& path, const std::vector<SummaryRow>& rows,
                  std::string& error) {
    return plat::WriteFileAtomic(path, SummaryText(rows), &error);
}

bool ParseSummary(const std::string& text, const std::string& label, std::vector<SummaryRow>& rows,
                  std::string& error) {
    size_t pos = 0;
    if (!SkipHeader(text, label, pos, error)) return false;
    std::vector<std::string> fields;
    bool broken = false;
    for (size_t line = 2; NextRecord(text, pos, fields, broken); ++line) {
        if (fields.size() == 1 && fields[0].empty() && !broken) continue;  // a blank line
        SummaryRow r;
        if (broken || !RowFromFields(fields, r)) {
            error = label + ", line " + std::to_string(line) + ": not a summary row";
            return false;
        }
        rows.push_back(std::move(r));
    }
    return true;
}

bool ReadSummary(const std::string& path, std::vector<SummaryRow>& rows, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": cannot be read";
        return false;
    }
    return ParseSummary(text, path, rows, error);
}

namespace {

// A row of a file being merged: its record as written and its sort keys.
struct Keyed {
    std::string_view record;  // without the line end
    std::string_view dataSet, channel, item, startTime;
    double from;
};

// The raw fields of the record at pos (quotes kept) and the record's end;
// false at the end of the text, broken on an unterminated quote.
bool RawRecord(std::string_view text, size_t& pos, std::vector<std::string_view>& fields,
               size_t& end, bool& broken) {
    fields.clear();
    broken = false;
    if (pos >= text.size()) return false;
    size_t begin = pos;
    for (size_t i = pos;; ++i) {
        if (i < text.size() && text[i] == '"') {
            const size_t close = text.find("\"", i + 1);
            // A doubled quote inside is skipped by the next turn of this loop.
            if (close == std::string_view::npos) {
                broken = true;
                pos = text.size();
                return true;
            }
            i = close;
            continue;
        }
        if (i < text.size() && text[i] != ',' && text[i] != '\n') continue;
        std::string_view f = text.substr(begin, i - begin);
        const bool last = i >= text.size() || text[i] == '\n';
        if (last && !f.empty() && f.back() == '\r') f.remove_suffix(1);
        fields.push_back(f);
        begin = i + 1;
        if (last) {
            end = f.data() + f.size() - text.data();
            pos = std::min(text.size(), i + 1);
            return true;
        }
    }
}

// A quoted field's text; the unquoted ones are their own.
std::string_view Unquoted(std::string_view f, std::vector<std::unique_ptr<std::string>>& store) {
    if (f.empty() || f.front() != '"') return f;
    auto s = std::make_unique<std::string>();
    for (size_t i = 1; i + 1 < f.size(); ++i) {
        if (f[i] == '"') ++i;  // the second of a doubled quote
        *s += f[i];
    }
    store.push_back(std::move(s));
    return *store.back();
}

bool ReadKeyed(std::string_view text, const std::string& label, std::vector<Keyed>& rows,
               std::vector<std::unique_ptr<std::string>>& store, MergeResult& m,
               std::string& error) {
    size_t pos = 0;
    if (!SkipHeader(text, label, pos, error)) return false;
    std::vector<std::string_view> f;
    bool broken = false;
    size_t end = 0;
    const size_t before = rows.size();
    std::vector<std::string> failures;
    for (size_t line = 2; RawRecord(text, pos, f, end, broken); ++line) {
        if (f.size() == 1 && f[0].empty() && !broken) continue;  // a blank line
        bool ok = !broken && f.size() == kColumnCount;
        for (size_t i = 8; ok && i < 16; ++i) {
            double v = 0.0;
            ok = f[i].empty() || plat::ReadDecimal(f[i].data(), f[i].data() + f[i].size(), v) ==
                                     f[i].data() + f[i].size();
        }
        if (!ok) {
            rows.resize(before);
            error = label + ", line " + std::to_string(line) + ": not a summary row";
            return false;
        }
        if (!f[20].empty()) {
            // A failed recording's row says why; it is logged, not merged.
            failures.push_back("failed: " + std::string(Unquoted(f[0], store)) + ": " +
                               std::string(Unquoted(f[20], store)) + " (" + label + ")");
            continue;
        }
        double from = -INFINITY;  // none sorts first
        if (!f[8].empty()) plat::ReadDecimal(f[8].data(), f[8].data() + f[8].size(), from);
        const size_t start = f[0].data() - text.data();
        rows.push_back({std::string_view(text).substr(start, end - start), Unquoted(f[1], store),
                        Unquoted(f[3], store), Unquoted(f[4], store), Unquoted(f[2], store), from});
    }
    m.failed += failures.size();
    m.log.insert(m.log.end(), failures.begin(), failures.end());
    return true;
}

// An earlier merge written among the summaries is not merged into the new one.
std::vector<std::string> FindSummaryFiles(const std::vector<std::string>& paths,
                                          const std::string& out, std::vector<std::string>& log) {
    std::vector<std::string> files;
    for (const std::string& p : paths) {
        std::error_code ec;
        if (!fs::is_directory(p, ec)) {
            files.push_back(p);
            continue;
        }
        std::vector<std::string> found;
        for (auto it = fs::recursive_directory_iterator(
                 p, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code same;
            if (it->is_regular_file(ec) && it->path().extension() == ".csv" &&
                !fs::equivalent(it->path(), out, same) && StartsWithHeader(it->path()))
                found.push_back(it->path().string());
        }
        if (ec) log.push_back(p + ": " + ec.message());
        std::sort(found.begin(), found.end());  // the same log order on every machine
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

// A summary file mapped read-only: a survey's files are read once, and
// copying them into fresh memory would cost more than the merge itself.
class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() {
        if (data_) ::munmap(data_, size_);
    }
    bool Open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        size_ = ok ? static_cast<size_t>(st.st_size) : 0;
        if (ok && size_ > 0) {
            void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            ok = p != MAP_FAILED;
            data_ = ok ? p : nullptr;
        }
        ::close(fd);
        return ok;
    }
    std::string_view Text() const {
        return data_ ? std::string_view(static_cast<const char*>(data_), size_)
                     : std::string_view();
    }

  private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

// The merged file, written through a temporary file renamed over out.
class OutFile {
  public:
    explicit OutFile(const std::string& path)
        : path_(path), temp_(path + ".tmp-" + std::to_string(::getpid())) {}
    ~OutFile() {
        if (file_) std::fclose(file_);
        if (!done_) ::unlink(temp_.c_str());
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    bool Open() {
        file_ = std::fopen(temp_.c_str(), "wb");
        if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
        return file_ != nullptr;
    }
    void Write(std::string_view s) {
        if (!failed_ && std::fwrite(s.data(), 1, s.size(), file_) != s.size()) failed_ = errno;
    }
    bool Commit(std::string& error) {
        if (!failed_ && std::fflush(file_) != 0) failed_ = errno;
        if (!failed_ && ::fsync(fileno(file_)) != 0) failed_ = errno;
        if (std::fclose(file_) != 0 && !failed_) failed_ = errno;
        file_ = nullptr;
        if (!failed_ && std::rename(temp_.c_str(), path_.c_str()) != 0) failed_ = errno;
        if (failed_) {
            error = "cannot write " + path_ + ": " + std::strerror(failed_);
            return false;
        }
        done_ = true;
        return true;
    }
    std::string OpenError() const { return "cannot write " + path_ + ": " + std::strerror(errno); }

  private:
    std::string path_, temp_;
    std::FILE* file_ = nullptr;
    int failed_ = 0;
    bool done_ = false;
};

// Ranks of the distinct texts of one key, in their sorted order: a survey
// repeats a few channels and items and one start time per recording, so
// the rows then sort on small numbers instead of texts.
class Ranks {
  public:
    uint32_t Id(std::string_view s) {
        auto [it, added] = ids_.try_emplace(s, static_cast<uint32_t>(texts_.size()));
        if (added) texts_.push_back(s);
        return it->second;
    }
    std::vector<uint32_t> RankOfId() const {
        std::vector<uint32_t> order(texts_.size()), rank(texts_.size());
        for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [this](uint32_t a, uint32_t b) { return texts_[a] < texts_[b]; });
        for (uint32_t r = 0; r < order.size(); ++r) rank[order[r]] = r;
        return rank;
    }

  private:
    std::unordered_map<std::string_view, uint32_t> ids_;
    std::vector<std::string_view> texts_;
};

// The rows' order.
std::vector<uint32_t> SortKeyed(const std::vector<Keyed>& rows) {
    Ranks keys[4];
    std::vector<std::array<uint32_t, 4>> ids(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const Keyed& k = rows[i];
        ids[i] = {keys[0].Id(k.dataSet), keys[1].Id(k.channel), keys[2].Id(k.item),
                  keys[3].Id(k.startTime)};
    }
    std::vector<uint32_t> rank[4];
    for (int j = 0; j < 4; ++j) rank[j] = keys[j].RankOfId();
    struct Sortable {
        std::array<uint32_t, 4> key;
        double from;
        uint32_t row;
    };
    std::vector<Sortable> order(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        std::array<uint32_t, 4> key{};
        for (int j = 0; j < 4; ++j) key[j] = rank[j][ids[i][j]];
        order[i] = {key, rows[i].from, static_cast<uint32_t>(i)};
    }
    std::stable_sort(order.begin(), order.end(), [](const Sortable& a, const Sortable& b) {
        return std::tie(a.key, a.from) < std::tie(b.key, b.from);
    });
    std::vector<uint32_t> result(order.size());
    for (size_t i = 0; i < order.size(); ++i) result[i] = order[i].row;
    return result;
}

}  // namespace

bool MergeSummaries(const std::vector<std::string>& paths, const std::string& out, MergeResult& m,
                    std::string& error) {
    m = MergeResult{};
    const std::vector<std::string> files = FindSummaryFiles(paths, out, m.log);
    std::vector<MappedFile> texts(files.size());
    std::vector<std::unique_ptr<std::string>> store;
    std::vector<Keyed> rows;
    size_t bytes = 0;
    for (const std::string& f : files) {
        std::error_code ec;
        const uintmax_t size = fs::file_size(f, ec);
        if (!ec) bytes += static_cast<size_t>(size);
    }
    rows.reserve(bytes / 100);  // rows run longer than that
    for (size_t i = 0; i < files.size(); ++i) {
        std::string why;
        if (!texts[i].Open(files[i]))
            why = files[i] + ": cannot be read";
        else if (ReadKeyed(texts[i].Text(), files[i], rows, store, m, why))
            ++m.files;
        if (!why.empty()) {
            m.log.push_back("unreadable: " + why);
            ++m.failed;
        }
    }
    const std::vector<uint32_t> order = SortKeyed(rows);
    OutFile file(out);
    if (!file.Open()) {
        error = file.OpenError();
        return false;
    }
    file.Write(SummaryHeader() + '\n');
    for (uint32_t i : order) {
        file.Write(rows[i].record);
        file.Write("\n");
    }
    m.rows = rows.size();
    return file.Commit(error);
}
