// CSV and text exports, NI LVM files among them: one signal per number
// column, the time column (seconds or date-times) giving the step and start,
// or the rate the user gave. The layout comes from text_sniff.cpp (or from
// the user); the data is then read in windows into columns sized by a count
// of the lines, so a file of gigabytes is not held.
//
// Damage is counted and reported by line number, never dropped unseen:
// short rows (the missing values read as NaN), long rows (the extra values
// ignored), text or nothing in a number column (NaN), rows without a time
// (dropped), and an incomplete last line (dropped). Time that goes backwards
// is refused; time that steps unevenly is refused unless resampling was
// asked for. Behaviour: docs/data-files.md.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "korvex/formats/file_source.h"
#include "korvex/formats/spool.h"
#include "korvex/formats/text_common.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex {

namespace {

using namespace text;

// A kind of damage: how often, and the first lines it was on.
struct Problem {
    size_t count = 0;
    std::vector<uint64_t> lines;
    void Add(uint64_t line) {
        if (count++ < 5) lines.push_back(line);
    }
    std::string Where() const {
        std::string s = count == 1 ? "line " : "lines ";
        for (size_t i = 0; i < lines.size(); ++i) s += (i ? ", " : "") + std::to_string(lines[i]);
        if (count > lines.size()) s += " and " + std::to_string(count - lines.size()) + " more";
        return s;
    }
};

struct Problems {
    Problem shortRows, longRows, text, empty, noTime, backwards, uneven, comments, blanks;
};

// The time column as it is read: first, last, and its steps checked on the
// way against their mean so far.
struct Clock {
    double first = 0, last = 0;
    uint64_t count = 0;
    bool Add(double t, uint64_t line, Problems& p) {
        if (count > 0) {
            const double step = t - last;
            if (!(step > 0)) {
                p.backwards.Add(line);
                return false;
            }
            if (count >= 2) {
                const double mean = (last - first) / static_cast<double>(count - 1);
                if (std::fabs(step - mean) > 0.25 * mean) p.uneven.Add(line);
            }
        } else {
            first = t;
        }
        last = t;
        ++count;
        return true;
    }
};

class TextReader {
  public:
    TextReader(const std::string& path, const Layout& layout, const ReadOptions& options,
               SampleSink* sink)
        : path_(path), L_(layout), options_(options), sink_(sink) {}
    bool Read(FileSource& file, DataSet& out, FileResult& result);

  private:
    bool Row(std::string_view line, uint64_t lineNo);
    bool Finish(DataSet& out, FileResult& result);
    void Resample();
    // The columns read so far to the spool, their arrays emptied.
    void Spool() {
        for (size_t k = 0; k < columns_.size(); ++k) {
            spool_.Add(k, columns_[k].data(), columns_[k].size());
            columns_[k].clear();
        }
    }
    bool ToSink(const DataSet& loaded, FileResult& result);
    std::string Fail(const std::string& why) const {
        return "Cannot read \"" + path_ + "\": " + why;
    }

    std::string path_;
    const Layout& L_;
    const ReadOptions& options_;
    SampleSink* sink_;
    bool spooling_ = false;  // with a sink, unless resampling needs the columns whole
    SampleSpool spool_;
    int time_ = -1;  // 0-based time column, -1 for none
    double timeScale_ = 1.0;
    int64_t firstDay_ = 0;  // of date-times
    std::vector<std::vector<double>> columns_;
    std::vector<double> times_;  // kept only to resample
    std::vector<std::string_view> fields_;
    Clock clock_;
    Problems problems_;
    uint64_t rows_ = 0;
};

bool TextReader::Row(std::string_view line, uint64_t lineNo) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        problems_.blanks.Add(lineNo);
        return true;
    }
    if (line.front() == '#') {
        problems_.comments.Add(lineNo);
        return true;
    }
    Split(line, L_.options.separator, fields_);
    const size_t columns = columns_.size();
    while (fields_.size() > columns && fields_.back().empty()) fields_.pop_back();
    if (fields_.size() < columns) {
        problems_.shortRows.Add(lineNo);
    } else if (fields_.size() > columns) {
        problems_.longRows.Add(lineNo);
    }
    if (time_ >= 0) {
        double t = 0;
        const std::string_view f =
            static_cast<size_t>(time_) < fields_.size() ? fields_[time_] : "";
        bool ok;
        if (L_.timeIsDate) {
            // Days from the first row's, so that milliseconds keep.
            int64_t day = 0;
            bool dated = false;
            ok = ParseDateTime(f, day, t, dated);
            if (ok && clock_.count == 0) firstDay_ = day;
            t += static_cast<double>(day - firstDay_) * 86400.0;
        } else {
            ok = ParseNumber(f, L_.options.decimal, t);
        }
        if (!ok || !std::isfinite(t)) {
            problems_.noTime.Add(lineNo);
            return true;
        }
        if (!clock_.Add(t * timeScale_, lineNo, problems_)) return true;
        if (options_.text.resample) times_.push_back(t * timeScale_);
    }
    for (size_t k = 0; k < columns; ++k) {
        if (static_cast<int>(k) == time_ || L_.skip[k]) continue;
        double v = std::nan("");
        if (k >= fields_.size()) {
            // counted with the short rows
        } else if (fields_[k].empty()) {
            problems_.empty.Add(lineNo);
        } else if (!ParseNumber(fields_[k], L_.options.decimal, v)) {
            problems_.text.Add(lineNo);
            v = std::nan("");
        }
        columns_[k].push_back(v);
    }
    ++rows_;
    return true;
}

bool TextReader::Read(FileSource& file, DataSet& out, FileResult& result) {
    const uint64_t size = file.Size();
    // Lines of data at most: the line ends after the first one, plus one.
    uint64_t lines = 1;
    for (uint64_t pos = L_.dataOffset; pos < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(FileSource::kWindow, size - pos));
        const char* p = reinterpret_cast<const char*>(file.At(pos, n));
        if (!p) break;
        for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\n', p + n - q)));
             ++q)
            ++lines;
        pos += n;
    }
    time_ = L_.options.timeColumn > 0 && static_cast<size_t>(L_.options.timeColumn) <= L_.columns
                ? L_.options.timeColumn - 1
                : -1;
    if (time_ >= 0) {
        const std::string unit = plat::FoldCase(L_.units[time_]);
        timeScale_ = unit == "ms" ? 1e-3 : unit == "us" || unit == "µs" ? 1e-6 : 1.0;
    }
    columns_.resize(L_.columns);
    spooling_ = sink_ && !options_.text.resample;
    if (spooling_ && !spool_.Open(sink_->Folder(), L_.columns, result.message)) return false;
    for (size_t k = 0; k < L_.columns && !spooling_; ++k)
        if (static_cast<int>(k) != time_ && !L_.skip[k]) ReserveSamples(columns_[k], lines);
    if (options_.text.resample && time_ >= 0) times_.reserve(lines);
    file.ExpectSequential();
    uint64_t lineNo = static_cast<uint64_t>(L_.firstDataLine);
    for (uint64_t pos = L_.dataOffset; pos < size;) {
        if (sink_ && !sink_->Reading(static_cast<double>(pos) / static_cast<double>(size))) {
            result.message = Fail("its values could not be passed on.");
            return false;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(FileSource::kWindow, size - pos));
        const unsigned char* p = file.At(pos, n);
        if (!p) {
            result.message = Fail("it cannot be read at byte " + std::to_string(pos) + ".");
            return false;
        }
        const std::string_view window(reinterpret_cast<const char*>(p), n);
        const bool atEnd = pos + n == size;
        size_t start = 0;
        for (size_t end; (end = window.find('\n', start)) != std::string_view::npos;
             start = end + 1)
            Row(window.substr(start, end - start), lineNo++);
        if (atEnd && start < n) {
            // No line end: a logger stopped while writing the line, which
            // may have been cut inside a number, so none of it is taken.
            const std::string_view rest = window.substr(start);
            if (rest.find_first_not_of(" \t\r") != std::string_view::npos)
                result.notes.push_back("The last line (" + std::to_string(lineNo) +
                                       ") has no line end, so it may be cut short; it was "
                                       "dropped.");
            start = n;
        }
        if (spooling_) Spool();
        if (start == 0 && !atEnd) {
            result.message = Fail("line " + std::to_string(lineNo) + " is longer than " +
                                  std::to_string(FileSource::kWindow >> 20) + " MB.");
            return false;
        }
        pos += start;
    }
    return Finish(out, result);
}

void TextReader::Resample() {
    const size_t n = times_.size();
    const double step = (times_.back() - times_.front()) / static_cast<double>(n - 1);
    for (std::vector<double>& c : columns_) {
        if (c.empty()) continue;
        std::vector<double> even(n);
        size_t j = 0;
        for (size_t i = 0; i < n; ++i) {
            const double t = times_.front() + step * static_cast<double>(i);
            while (j + 2 < n && times_[j + 1] < t) ++j;
            const double span = times_[j + 1] - times_[j];
            const double w = std::clamp((t - times_[j]) / span, 0.0, 1.0);
            even[i] = c[j] + (c[j + 1] - c[j]) * w;
        }
        c.swap(even);
    }
}

bool TextReader::Finish(DataSet& out, FileResult& result) {
    const Problems& p = problems_;
    const std::string timeName = time_ >= 0 ? "the time (column " + std::to_string(time_ + 1) +
                                                  ", \"" + L_.names[time_] + "\")"
                                            : "";
    if (p.backwards.count > 0) {
        result.message = Fail(timeName + " does not increase at " + p.backwards.Where() + ".");
        return false;
    }
    if (rows_ < 2) {
        result.message = Fail("it holds fewer than two rows of data.");
        return false;
    }
    if (p.uneven.count > 0 && !options_.text.resample) {
        result.message = Fail(timeName + " steps unevenly at " + p.uneven.Where() +
                              "; ask for resampling to read it on an even step.");
        return false;
    }
    auto note = [&](const Problem& q, const std::string& what) {
        if (q.count == 0) return;
        std::string text = q.Where() + ": " + what + ".";
        text[0] = 'L';
        result.notes.push_back(text);
    };
    note(p.shortRows, "fewer values than columns; the missing ones read as NaN");
    note(p.longRows, "more values than columns; the extra ones were ignored");
    note(p.text, "text where a number belongs; it reads as NaN");
    note(p.empty, "empty cells; they read as NaN");
    note(p.noTime, "no time; the rows were dropped");
    note(p.comments, "comments, skipped");
    if (p.blanks.count > 0 && p.blanks.count < 1000) note(p.blanks, "empty, skipped");
    if (L_.metadataLines > 0)
        result.notes.push_back("Lines 1 to " + std::to_string(L_.metadataLines) +
                               " before the column names were skipped.");
    double step = 0, startX = 0, startTime = 0;
    if (time_ >= 0) {
        if (p.uneven.count > 0) {
            Resample();
            result.notes.push_back(timeName + " steps unevenly at " + p.uneven.Where() +
                                   "; the values were resampled to its mean step.");
        }
        step = (clock_.last - clock_.first) / static_cast<double>(clock_.count - 1);
        // Times printed in decimals rarely give 1/rate exactly; a whole rate does.
        if (const double rate = std::round(1.0 / step);
            rate >= 1 && std::fabs(1.0 / step - rate) <= 1e-7 * rate)
            step = 1.0 / rate;
        if (L_.timeIsDate) {
            // 25569 is 1 January 1970 as an automation date.
            startTime = 25569.0 + static_cast<double>(firstDay_) + clock_.first / 86400.0;
        } else {
            startX = clock_.first;
        }
    } else if (options_.rate > 0 && std::isfinite(options_.rate)) {
        step = 1.0 / options_.rate;
    } else if (!L_.lvm || L_.lvmSteps.empty()) {
        result.needsRate = true;
        result.message = Fail("it has no time column, so it needs a sample rate.");
        return false;
    }
    DataSet loaded;
    for (size_t k = 0; k < columns_.size(); ++k) {
        if (static_cast<int>(k) == time_ || L_.skip[k]) continue;
        SignalData s;
        s.name = L_.names[k];
        s.unit = L_.units[k];
        s.stepX = step;
        s.startX = startX;
        s.startTime = startTime;
        if (time_ < 0 && L_.lvm && k < L_.lvmSteps.size() && L_.lvmSteps[k] > 0) {
            s.stepX = L_.lvmSteps[k];
            s.startX = L_.lvmStarts[k];
        }
        if (!(s.stepX > 0 && std::isfinite(s.stepX))) {
            result.message = Fail("the step of \"" + s.name + "\" is not a positive number.");
            return false;
        }
        s.samples.swap(columns_[k]);
        loaded.signals.push_back(std::move(s));
    }
    if (loaded.signals.empty()) {
        result.message = Fail("it holds no column of numbers besides the time.");
        return false;
    }
    if (sink_) return ToSink(loaded, result);
    out.signals.swap(loaded.signals);
    return true;
}

bool TextReader::ToSink(const DataSet& loaded, FileResult& result) {
    size_t next = 0;
    for (size_t k = 0; k < columns_.size(); ++k) {
        if (static_cast<int>(k) == time_ || L_.skip[k]) continue;
        const SignalData& s = loaded.signals[next++];
        if (!spooling_) {
            sink_->Put(sink_->Declare(s, s.samples.size()), s.samples.data(), s.samples.size());
            continue;
        }
        std::string why;
        if (!spool_.Replay(k, *sink_, sink_->Declare(s, spool_.Count(k)), why)) {
            result.message = Fail(why + ".");
            return false;
        }
    }
    return true;
}

}  // namespace

FileResult ReadTextFile(const std::string& path, DataSet& out, const ReadOptions& options,
                        SampleSink* sink) {
    FileResult result;
    FileSource file;
    if (!file.Open(path, result.message)) return result;
    constexpr size_t kHead = size_t{256} << 10;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(file.Size(), kHead));
    const unsigned char* p = file.At(0, n);
    if (!p && n > 0) {
        result.message = "Cannot read \"" + path + "\": " + file.ReadError() + ".";
        return result;
    }
    // The layout is copied: the head's window is reused by the reading.
    const Layout layout = Sniff(std::string_view(reinterpret_cast<const char*>(p), n),
                                n == file.Size(), options.text);
    if (!layout.message.empty()) {
        result.message = "Cannot read \"" + path + "\" as text: " + layout.message + ".";
        return result;
    }
    TextReader reader(path, layout, options, sink);
    result.ok = reader.Read(file, out, result);
    return result;
}

}  // namespace korvex
