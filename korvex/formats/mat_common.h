#pragma once
// What the MAT reader and writer share around libmatio. Internal to
// korvex/formats/mat*.cpp.

#include <matio.h>

#include <memory>
#include <string>

namespace korvex::matfile {

// While one lives, what libmatio reports on this thread is kept here
// instead of being printed, so that it can go into a message.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    // The last error or warning, "" when there was none.
    const std::string& Last() const { return last_; }

  private:
    friend void Log(int level, char* message);
    std::string last_;
    LogCapture* outer_;
};

struct VarFree {
    void operator()(matvar_t* v) const { Mat_VarFree(v); }
};
using VarPtr = std::unique_ptr<matvar_t, VarFree>;

struct MatClose {
    void operator()(mat_t* m) const { Mat_Close(m); }
};
using MatPtr = std::unique_ptr<mat_t, MatClose>;

// The field names the writer gives each signal's struct; the reader takes
// a struct with them back as the signal it was.
inline constexpr const char* kOwnFields[] = {"values", "step",   "start",     "unit",
                                             "name",   "folder", "start_time"};

}  // namespace korvex::matfile
