// Universal File Format, dataset 58 ("function at nodal DOF"), ASCII and
// binary 58b. Only evenly spaced real time histories become signals; the
// rest of a file is skipped with a note. Behaviour: docs/data-files.md.

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "korvex/formats/file_io.h"
#include "korvex/formats/formats.h"
#include "korvex/formats/uff58_fields.h"
#include "korvex/units.h"
#include "platform/mapped_file.h"
#include "platform/text.h"

namespace korvex {

namespace {

using namespace uff;

// ---------------------------------------------------------------- reading

struct Header58 {
    std::string id[5];
    int functionType = 0;
    std::string responseEntity;
    int ordinateType = 0;
    long long declaredPoints = 0;
    int spacing = 1;
    double start = 0.0;
    double step = 0.0;
    int ordinateDataType = 0;  // specific data type of record 9
    std::string unit;
};

class UffReader {
  public:
    UffReader(const std::string& path, std::string_view data, SampleSink* sink = nullptr,
              const plat::MappedFile* map = nullptr)
        : path_(path), in_(data), sink_(sink), map_(map), base_(map ? data.data() : nullptr) {}

    bool Read(DataSet& out, FileResult& result);
    const std::string& Message() const { return message_; }

  private:
    bool Fail(const std::string& fault) {
        message_ = "Cannot read \"" + path_ + "\": " + fault;
        return false;
    }
    bool FailAt(int line, const std::string& fault) {
        return Fail("line " + std::to_string(line) + ": " + fault);
    }
    std::string RecordLabel(const Header58& h) const {
        std::string label = "record " + std::to_string(record_);
        if (!IsNone(h.id[0])) label += " (\"" + h.id[0] + "\")";
        return label;
    }
    // afterNumber: the rest of the dataset-number line after "58".
    bool ReadDataset58(std::string_view afterNumber, int startLine);
    bool ReadHeader(Header58& h);
    bool SkipToDelimiter(int startLine, const std::string& what);
    void AddSignal(const Header58& h, std::vector<double>&& values);
    void Skip(const Header58& h, const std::string& why) {
        notes_.push_back("Skipped " + RecordLabel(h) + ": " + why + ".");
    }

    std::string path_;
    LineReader in_;
    SampleSink* sink_;             // takes each record's values as it is read
    const plat::MappedFile* map_;  // the file, when read where it lies
    const char* base_;
    std::string message_;
    std::vector<std::string> notes_;
    int record_ = 0;  // dataset 58 records seen, counting from 1
    DataSet loaded_;
    std::map<std::string, std::set<std::string>> names_;  // folder -> names taken
    std::vector<long long> otherDatasets_;
};

bool UffReader::ReadHeader(Header58& h) {
    std::string_view line;
    for (int k = 0; k < 5; ++k) {
        if (!in_.Next(line))
            return Fail("the file is truncated inside the header of record " +
                        std::to_string(record_) + ".");
        h.id[k] = k == 3 ? DecodeField(line) : DecodeText(line);
    }
    // Record 6: Format(2(I5,I10),2(1X,10A1,I10,I4))
    if (!in_.Next(line))
        return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
    long long type;
    if (!ParseInt(Slice(line, 0, 5), type)) {
        std::vector<double> v;
        if (!LineNumbers(Slice(line, 0, 5), v) || v.empty())
            return FailAt(in_.LineNo(), "the function type of record " + std::to_string(record_) +
                                            " is not a number.");
        type = ToInteger(v[0]);
    }
    h.functionType = type >= -1e9 && type <= 1e9 ? static_cast<int>(type) : -1;
    h.responseEntity = DecodeText(Slice(line, 31, 10));
    // Record 7: Format(3I10,3E13.5)
    if (!in_.Next(line))
        return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
    std::vector<double> v;
    std::vector<std::string_view> tokens;
    if (!LineNumbers(line, v, &tokens) || v.size() < 5)
        return FailAt(in_.LineNo(),
                      "record " + std::to_string(record_) + ": the data form line is malformed.");
    h.ordinateType = ToInt(v[0]);
    h.declaredPoints = ToInteger(v[1]);
    h.spacing = ToInt(v[2]);
    h.start = v[3];
    h.step = SnapStep(v[4], tokens[4]);
    // Records 8 to 11: Format(I10,3I5,2(1X,20A1)); record 9 is the ordinate.
    for (int k = 8; k <= 11; ++k) {
        if (!in_.Next(line))
            return Fail("the file is truncated inside record " + std::to_string(record_) + ".");
        if (k == 9) {
            long long dataType = 0;
            if (ParseInt(Slice(line, 0, 10), dataType) && dataType > 0 && dataType < 1000)
                h.ordinateDataType = static_cast<int>(dataType);
            h.unit = DecodeText(Slice(line, 47, 20));
            if (h.unit == "NONE") h.unit.clear();
        }
    }
    return true;
}

bool UffReader::SkipToDelimiter(int startLine, const std::string& what) {
    std::string_view line;
    while (in_.Next(line))
        if (IsDelimiter(line)) return true;
    return Fail("the file is truncated: " + what + " opened on line " + std::to_string(startLine) +
                " has no closing \"-1\" line.");
}

void UffReader::AddSignal(const Header58& h, std::vector<double>&& values) {
    SignalData s;
    // Our own files keep the sub-folder in ID line 4.
    const std::string kFolderTag = "Folder: ";
    if (h.id[3].rfind(kFolderTag, 0) == 0) {
        std::string folder = h.id[3].substr(kFolderTag.size());
        bool valid = !folder.empty() && folder.front() != '/' && folder.back() != '/' &&
                     folder.find("//") == std::string::npos;
        for (size_t b = 0; valid && b <= folder.size();) {
            size_t e = folder.find('/', b);
            if (e == std::string::npos) e = folder.size();
            std::string_view part(folder.data() + b, e - b);
            valid = part != "." && part != "..";
            b = e + 1;
        }
        const bool control = std::any_of(folder.begin(), folder.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        if (valid && !control)
            s.folder = folder;
        else
            notes_.push_back("R" + RecordLabel(h).substr(1) + ": its folder text is not a folder" +
                             (control ? " (it holds control characters)" : "") +
                             "; the signal is loaded at the top level.");
    }
    std::string name = h.id[0];
    if (IsNone(name)) name = h.responseEntity;
    if (IsNone(name)) name = "Record " + std::to_string(record_);
    // Names compare exactly, as the host's do: "b" and "B" are two channels.
    std::set<std::string>& taken = names_[s.folder];
    std::string unique = name;
    for (int n = 2; taken.count(unique); ++n) unique = name + " (" + std::to_string(n) + ")";
    taken.insert(unique);
    s.name = unique;
    s.unit = h.unit;
    // The quantity comes from the unit text when the host knows it (the host
    // fills that in); else from the record's data type, so that an
    // acceleration with an unfamiliar unit label still integrates.
    if (!units::FindUnitByText(s.unit))
        if (uint64_t q = units::QuantityFromUff(h.ordinateDataType))
            s.axisCodes[{units::kPartQuantity, units::kAxisY}] = q;
    if (!IsNone(h.id[1])) s.text5 = h.id[1];
    double date;
    if (ParseUffDate(h.id[2], date)) s.startTime = date;
    s.startX = h.start;
    s.stepX = h.step;
    if (sink_) {
        sink_->Put(sink_->Declare(s, values.size()), values.data(), values.size());
        values = {};
    }
    if (map_)  // the records passed go back to the file
        map_->GiveBack(0, static_cast<uint64_t>(base_ + in_.Pos() -
                                                reinterpret_cast<const char*>(map_->Data())));
    s.samples = std::move(values);
    loaded_.signals.push_back(std::move(s));
}

bool UffReader::ReadDataset58(std::string_view afterNumber, int startLine) {
    ++record_;
    Header58 h;
    // "    58b" marks the binary form; its fields follow the "b".
    bool binary = !afterNumber.empty() && (afterNumber[0] == 'b' || afterNumber[0] == 'B');
    long long byteOrder = 1, fpFormat = 2, asciiLines = 11, byteCount = 0;
    if (binary) {
        std::vector<double> f;
        if (!LineNumbers(afterNumber.substr(1), f) || f.size() < 4)
            return FailAt(startLine + 1, "record " + std::to_string(record_) +
                                             ": the binary header line is malformed.");
        byteOrder = ToInteger(f[0]);
        fpFormat = ToInteger(f[1]);
        asciiLines = f[2] == 0 ? 11 : ToInteger(f[2]);
        byteCount = ToInteger(f[3]);
        if (byteOrder != 1 && byteOrder != 2)
            return FailAt(startLine + 1, "record " + std::to_string(record_) + ": byte order " +
                                             std::to_string(byteOrder) +
                                             " is neither 1 (little-endian) nor 2 (big-endian).");
        if (asciiLines < 11 || asciiLines > 1000 || byteCount < 0)
            return FailAt(startLine + 1, "record " + std::to_string(record_) +
                                             ": the binary header line is malformed.");
    }
    if (!ReadHeader(h)) return false;
    std::string_view line;
    for (long long k = 11; k < asciiLines; ++k)
        if (!in_.Next(line))
            return Fail("the file is truncated inside record " + std::to_string(record_) + ".");

    const bool real = h.ordinateType == 2 || h.ordinateType == 4;
    const bool complex = h.ordinateType == 5 || h.ordinateType == 6;
    std::string skipWhy;
    if (h.functionType != 1)
        skipWhy = "function type " + std::to_string(h.functionType) + " (" +
                  FunctionTypeName(h.functionType) + ") is not a time history";
    else if (h.spacing != 1)
        skipWhy =
            "its abscissa is unevenly spaced (x, y pairs), not an evenly sampled time history";
    else if (complex)
        skipWhy = "its values are complex";
    else if (!real)
        skipWhy = "ordinate data type " + std::to_string(h.ordinateType) + " is unknown";
    else if (!(h.step > 0.0) || !std::isfinite(h.step) || !std::isfinite(h.start))
        skipWhy = "its abscissa increment is not a positive number";
    else if (binary && fpFormat != 2 && fpFormat != 0)
        skipWhy = "its binary values are not IEEE 754 (floating-point format " +
                  std::to_string(fpFormat) + ")";

    std::vector<double> values;
    if (binary) {
        const size_t size = h.ordinateType == 2 || h.ordinateType == 5 ? 4 : 8;
        if (byteCount == 0 && h.declaredPoints > 0 && real && h.spacing == 1)
            byteCount = h.declaredPoints * static_cast<long long>(size);
        std::string_view bytes;
        if (!in_.Take(static_cast<size_t>(byteCount), bytes))
            return Fail("the file is truncated: " + RecordLabel(h) + " declares " +
                        std::to_string(byteCount) + " bytes of binary data, fewer remain.");
        // The closing "-1" follows the data, on the same line or the next.
        int dataLine = in_.LineNo();
        if (!in_.Next(line) || (plat::Trim(line).empty() && !in_.Next(line)) || !IsDelimiter(line))
            return FailAt(dataLine, RecordLabel(h) +
                                        ": no closing \"-1\" line after the binary data (the byte "
                                        "count in its header does not match the data).");
        if (skipWhy.empty()) {
            if (bytes.size() % size != 0)
                return FailAt(startLine + 1, RecordLabel(h) + ": " + std::to_string(bytes.size()) +
                                                 " bytes of data are not whole " +
                                                 std::to_string(size) + "-byte values.");
            const bool swap = (byteOrder == 2) != (std::endian::native == std::endian::big);
            values.resize(bytes.size() / size);
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
            for (size_t k = 0; k < values.size(); ++k, p += size) {
                unsigned char b[8];
                for (size_t j = 0; j < size; ++j) b[j] = swap ? p[size - 1 - j] : p[j];
                if (size == 4) {
                    float f;
                    std::memcpy(&f, b, 4);
                    values[k] = f;
                } else {
                    std::memcpy(&values[k], b, 8);
                }
            }
        }
    } else if (!skipWhy.empty()) {
        if (!SkipToDelimiter(startLine, RecordLabel(h))) return false;
    } else {
        // Never trust the declared count for the allocation: bound it by
        // what the rest of the file can hold.
        const long long bound = static_cast<long long>(in_.Remaining() / 2);
        values.reserve(static_cast<size_t>(std::clamp<long long>(h.declaredPoints, 0, bound)));
        bool closed = false;
        while (in_.Next(line)) {
            if (IsDelimiter(line)) {
                closed = true;
                break;
            }
            size_t i = 0;
            double v;
            Scan r;
            while ((r = NextNumber(line, i, v)) == Scan::kNumber) values.push_back(v);
            if (r == Scan::kBad) {
                std::string text(plat::Trim(line.substr(std::min(i, line.size()), 20)));
                return FailAt(in_.LineNo(),
                              RecordLabel(h) + ": \"" + DecodeField(text) + "\" is not a number.");
            }
        }
        if (!closed)
            return Fail("the file is truncated: " + RecordLabel(h) + " opened on line " +
                        std::to_string(startLine) + " has no closing \"-1\" line.");
        // A record that declares more than it holds must not keep the room
        // reserved for it: thousands of them would hold gigabytes.
        if (values.capacity() > values.size() + values.size() / 8) values.shrink_to_fit();
    }
    if (!skipWhy.empty()) {
        Skip(h, skipWhy);
        return true;
    }
    if (values.empty()) {
        Skip(h, "it holds no values");
        return true;
    }
    if (static_cast<long long>(values.size()) != h.declaredPoints)
        notes_.push_back("R" + RecordLabel(h).substr(1) + " declares " +
                         std::to_string(h.declaredPoints) + " points but holds " +
                         std::to_string(values.size()) + "; the " + std::to_string(values.size()) +
                         " values present were read.");
    AddSignal(h, std::move(values));
    return true;
}

bool UffReader::Read(DataSet& out, FileResult& result) {
    std::string_view line;
    bool any = false;
    // Blank lines between datasets are tolerated.
    auto nextNonBlank = [&] {
        while (in_.Next(line))
            if (!plat::Trim(line).empty()) return true;
        return false;
    };
    while (nextNonBlank()) {
        if (sink_ && sink_->Failed()) return Fail("its values could not be passed on.");
        int startLine = in_.LineNo();
        if (!IsDelimiter(line)) {
            if (!any)
                return Fail(
                    "not a Universal File (it does not start with the \"-1\" line that "
                    "opens each dataset).");
            return FailAt(startLine, "expected the \"-1\" line that opens a dataset.");
        }
        any = true;
        std::string_view numberLine;
        if (!in_.Next(numberLine))
            return Fail("the file is truncated after the \"-1\" line " + std::to_string(startLine) +
                        ".");
        std::string_view trimmed = plat::Trim(numberLine);
        size_t digits = 0;
        while (digits < trimmed.size() && IsDigit(trimmed[digits])) ++digits;
        long long number = 0;
        if (digits == 0 || !ParseInt(trimmed.substr(0, digits), number))
            return FailAt(startLine + 1, "expected a dataset number.");
        if (number == 58) {
            if (!ReadDataset58(trimmed.substr(digits), startLine)) return false;
        } else {
            otherDatasets_.push_back(number);
            if (!SkipToDelimiter(startLine, "dataset " + std::to_string(number))) return false;
        }
    }
    if (!any) return Fail("the file is empty.");
    if (!otherDatasets_.empty()) {
        std::map<long long, int> counts;
        std::vector<long long> order;
        for (long long n : otherDatasets_)
            if (counts[n]++ == 0) order.push_back(n);
        std::string list;
        for (long long n : order) {
            if (!list.empty()) list += ", ";
            list += std::to_string(n);
            if (counts[n] > 1) list += " (" + std::to_string(counts[n]) + " times)";
        }
        notes_.push_back("Skipped datasets that hold no time histories: " + list + ".");
    }
    result.notes = notes_;
    if (loaded_.signals.empty()) {
        if (record_ == 0)
            return Fail("it holds no dataset 58 records, so no time history to load.");
        std::string why = notes_.front();
        why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        if (why.back() == '.') why.pop_back();
        return Fail("it holds no evenly sampled time history to load (" + why + ").");
    }
    out.signals.swap(loaded_.signals);
    return true;
}

// ---------------------------------------------------------------- writing

std::string Record8(int type, std::string_view label, std::string_view unit) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%10d%5d%5d%5d", type, 0, 0, 0);
    return std::string(buf) + " " + PadField(label, 20) + " " + PadField(TextOrNone(unit), 20) +
           "\n";
}

}  // namespace

FileResult ReadUff58(const std::string& path, DataSet& out, SampleSink* sink) {
    FileResult result;
    std::string bytes;
    std::string_view data;
    plat::ObjPtr<plat::MappedFile> map;  // with a sink: read where it lies
    if (sink) {
        map = plat::MappedFile::Open(path, result.message);
        if (!map) return result;
        data = std::string_view(reinterpret_cast<const char*>(map->Data()),
                                static_cast<size_t>(map->Size()));
    } else {
        if (!ReadFileBytes(path, bytes, result.message)) return result;
        data = bytes;
    }
    if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);  // a UTF-8 mark
    UffReader reader(path, data, sink, map.get());
    DataSet loaded;
    if (!reader.Read(loaded, result)) {
        result.message = reader.Message();
        return result;
    }
    if (map && map->Damaged()) {
        result.message =
            "Cannot read \"" + path + "\": the file changed on disk while it was read.";
        return result;
    }
    if (sink) loaded.signals.clear();
    out.signals.swap(loaded.signals);
    result.ok = true;
    return result;
}

FileResult WriteUff58(const std::string& path, const DataSet& data, bool binary) {
    return WriteUff58(path, data, Uff58Options{binary});
}

FileResult WriteUff58(const std::string& path, const DataSet& data, const Uff58Options& options) {
    FileResult result;
    const std::string prefix = "Cannot write \"" + path + "\": ";
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const SignalData& s = data.signals[i];
        if (!(s.stepX > 0.0) || !std::isfinite(s.stepX) || !std::isfinite(s.startX)) {
            result.message = prefix + "signal " + std::to_string(i + 1) + " (\"" + s.name +
                             "\") has no valid time step.";
            return result;
        }
    }
    AtomicFile file;
    if (!file.Open(path, result.message)) return result;
    const bool dbl = options.doublePrecision;
    const int ordinateType = dbl ? 4 : 2;
    const size_t valueSize = dbl ? 8 : 4;
    const bool swap = options.bigEndian != (std::endian::native == std::endian::big);
    char buf[160];
    for (size_t i = 0; i < data.signals.size(); ++i) {
        const SignalData& s = data.signals[i];
        const std::span<const double> values = Values(s);
        const size_t n = values.size();
        const int index = static_cast<int>(i + 1);
        std::string head = "    -1\n";
        if (options.binary) {
            std::snprintf(buf, sizeof buf, "%6d%c%6d%6d%12d%12lld%6d%6d%12d%12d\n", 58, 'b',
                          options.bigEndian ? 2 : 1, 2, 11, static_cast<long long>(n * valueSize),
                          0, 0, 0, 0);
            head += buf;
        } else {
            head += "    58\n";
        }
        // ID lines: name, free text, date, sub-folder, unused.
        head += IdLine(TextOrNone(s.name));
        head += IdLine(TextOrNone(s.text5));
        head += IdLine(FormatUffDate(s.startTime));
        head += IdLine(s.folder.empty() ? "NONE" : "Folder: " + s.folder);
        head += IdLine("NONE");
        // Record 6: a time response of a scalar point numbered after the signal.
        std::snprintf(buf, sizeof buf, "%5d%10d%5d%10d", 1, index, 0, 0);
        head += buf;
        head += " " + PadField(TextOrNone(s.name), 10);
        std::snprintf(buf, sizeof buf, "%10d%4d", index, 0);
        head += buf;
        head += " " + PadField("NONE", 10);
        std::snprintf(buf, sizeof buf, "%10d%4d\n", 0, 0);
        head += buf;
        // Record 7: real values, even spacing.
        std::snprintf(buf, sizeof buf, "%10d%10lld%10d", ordinateType, static_cast<long long>(n),
                      1);
        head +=
            buf + FormatE(s.startX, 13, 5) + FormatE(s.stepX, 13, 5) + FormatE(0.0, 13, 5) + "\n";
        const int type = SpecificDataType(s);
        head += Record8(17, "Time", "s");
        head += Record8(type, QuantityLabel(type), s.unit);
        head += Record8(0, "NONE", "NONE");
        head += Record8(0, "NONE", "NONE");
        file.Write(head);

        std::string body;
        constexpr size_t kBlock = 4096;
        if (options.binary) {
            for (size_t k = 0; k < n && !file.Failed(); k += kBlock) {
                body.clear();
                for (size_t j = k; j < std::min(n, k + kBlock); ++j) {
                    unsigned char b[8];
                    if (dbl) {
                        std::memcpy(b, &values[j], 8);
                    } else {
                        float f = static_cast<float>(values[j]);
                        std::memcpy(b, &f, 4);
                    }
                    if (swap) std::reverse(b, b + valueSize);
                    body.append(reinterpret_cast<const char*>(b), valueSize);
                }
                file.Write(body);
                s.mapped.DoneBefore(std::min(n, k + kBlock));
            }
        } else {
            // 4E20.12 for double, 6E13.5 for single precision.
            const size_t perLine = dbl ? 4 : 6;
            for (size_t k = 0; k < n && !file.Failed(); k += kBlock) {
                body.clear();
                for (size_t j = k; j < std::min(n, k + kBlock); ++j) {
                    body += dbl ? FormatE(values[j], 20, 12) : FormatE(values[j], 13, 5);
                    if ((j + 1) % perLine == 0 || j + 1 == n) body += '\n';
                }
                file.Write(body);
                s.mapped.DoneBefore(std::min(n, k + kBlock));
            }
        }
        file.Write("    -1\n", 7);
        s.mapped.DoneWithAll();
    }
    if (!file.Commit(result.message)) return result;
    result.ok = true;
    return result;
}

}  // namespace korvex
