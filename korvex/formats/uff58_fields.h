#pragma once
// Field-level pieces shared by the UFF dataset 58 reader and writer.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/dataset.h"

namespace korvex::uff {

// Units and labels of records 8 and 9.
int SpecificDataType(const SignalData& s);
const char* QuantityLabel(int type);
const char* FunctionTypeName(int type);

// Texts in fixed-width fields.
std::string DecodeField(std::string_view bytes);
std::string DecodeText(std::string_view bytes);
std::string_view Slice(std::string_view line, size_t begin, size_t width);
std::string PadField(std::string_view utf8, size_t width);
std::string IdLine(std::string_view utf8);
std::string TextOrNone(std::string_view s);
bool IsNone(std::string_view s);

// ID line 3 dates.
bool ParseUffDate(std::string_view text, double& date);
std::string FormatUffDate(double date);

// Numbers.
enum class Scan { kNumber, kEnd, kBad };
bool IsDigit(char c);
Scan NextNumber(std::string_view s, size_t& i, double& v, std::string_view* token = nullptr);
double SnapStep(double step, std::string_view token);
std::string FormatE(double value, int width, int digits);
bool ParseInt(std::string_view text, long long& v);
long long ToInteger(double v);
int ToInt(double v);
bool LineNumbers(std::string_view line, std::vector<double>& out,
                 std::vector<std::string_view>* tokens = nullptr);

// Lines.
bool IsDelimiter(std::string_view line);

// Walks the file line by line; lines end at '\n', a '\r' before it is
// dropped. Binary blocks are taken by byte count.
class LineReader {
  public:
    explicit LineReader(std::string_view data) : data_(data) {}
    bool AtEnd() const { return pos_ >= data_.size(); }
    size_t Remaining() const { return data_.size() - pos_; }
    int LineNo() const { return lineNo_; }
    size_t Pos() const { return pos_; }
    bool Next(std::string_view& line) {
        if (AtEnd()) return false;
        size_t nl = data_.find('\n', pos_);
        size_t end = nl == std::string_view::npos ? data_.size() : nl;
        line = data_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = nl == std::string_view::npos ? data_.size() : nl + 1;
        ++lineNo_;
        return true;
    }
    // Takes n bytes from the current position; false when fewer remain.
    bool Take(size_t n, std::string_view& bytes) {
        if (data_.size() - pos_ < n) return false;
        bytes = data_.substr(pos_, n);
        lineNo_ += static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
        pos_ += n;
        return true;
    }

  private:
    std::string_view data_;
    size_t pos_ = 0;
    int lineNo_ = 0;
};

}  // namespace korvex::uff
