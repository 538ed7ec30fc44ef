// MAT files written from a data set through libmatio: one 1x1 struct per
// signal with fields values (a column of doubles), step, start (the x of
// the first value), unit, name, folder and start_time (an automation date).
// The variable is the signal's name made a MATLAB identifier. Version 5,
// uncompressed; version 7.3 when a signal holds 2 GB or more, which
// version 5 cannot. Behaviour: docs/data-files.md.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "korvex/formats/file_io.h"
#include "korvex/formats/mat_common.h"
#include "korvex/formats/readers.h"
#include "platform/text.h"

namespace korvex {

namespace {

using namespace matfile;

// Letters, digits and "_", starting with a letter, at most 63 characters,
// unique in the file.
std::string VariableName(const std::string& name, std::set<std::string>& taken) {
    std::string base;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        base += ok ? c : '_';
    }
    if (base.empty() || !((base[0] >= 'a' && base[0] <= 'z') || (base[0] >= 'A' && base[0] <= 'Z')))
        base = "s_" + base;
    base = base.substr(0, 56);
    std::string v = base;
    for (int k = 2; taken.count(v); ++k) v = base + "_" + std::to_string(k);
    taken.insert(v);
    return v;
}

// Text as UTF-8: the dimensions count characters, libmatio the bytes.
matvar_t* CharVar(const char* field, const std::string& text) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++chars) plat::DecodeUtf8(text, i);
    size_t dims[2] = {chars == 0 ? 0u : 1u, chars};
    return Mat_VarCreate(field, MAT_C_CHAR, MAT_T_UTF8, 2, dims, const_cast<char*>(text.data()), 0);
}

matvar_t* DoubleVar(const char* field, double v) {
    size_t dims[2] = {1, 1};
    return Mat_VarCreate(field, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, &v, 0);
}

matvar_t* SignalVar(const std::string& variable, const SignalData& s) {
    size_t one[2] = {1, 1};
    matvar_t* var =
        Mat_VarCreateStruct(variable.c_str(), 2, one, const_cast<const char**>(kOwnFields),
                            static_cast<unsigned>(std::size(kOwnFields)));
    if (!var) return nullptr;
    const std::span<const double> values = Values(s);
    size_t dims[2] = {values.size(), 1};
    matvar_t* fields[] = {Mat_VarCreate("values", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims,
                                        const_cast<double*>(values.data()), MAT_F_DONT_COPY_DATA),
                          DoubleVar("step", s.stepX),
                          DoubleVar("start", s.startX),
                          CharVar("unit", s.unit),
                          CharVar("name", s.name),
                          CharVar("folder", s.folder),
                          DoubleVar("start_time", s.startTime)};
    bool ok = true;
    for (size_t i = 0; i < std::size(fields); ++i) {
        if (!fields[i]) {
            ok = false;
            continue;
        }
        Mat_VarSetStructFieldByName(var, kOwnFields[i], 0, fields[i]);
    }
    if (!ok) {
        Mat_VarFree(var);
        return nullptr;
    }
    return var;
}

std::string TempName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

FileResult WriteMat(const std::string& path, const DataSet& data) {
    FileResult result;
    LogCapture log;
    // Version 5 counts a variable's bytes in 32 bits.
    bool large = false;
    for (const SignalData& s : data.signals) {
        if (!(s.stepX > 0 && std::isfinite(s.stepX))) {
            result.message =
                "Cannot write \"" + path + "\": signal \"" + s.name + "\" has no positive step.";
            return result;
        }
        large = large || Values(s).size() >= (size_t{1} << 31) / sizeof(double) - 1024;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.message = WriteErrorMessage(path, EISDIR);
        return result;
    }
    const std::string temp = TempName(path);
    // Opened here first for the cause of a failure, which libmatio does not give.
    if (std::FILE* probe = std::fopen(temp.c_str(), "wbx")) {
        std::fclose(probe);
    } else {
        result.message = WriteErrorMessage(path, errno);
        return result;
    }
    auto fail = [&](int err) {
        std::filesystem::remove(temp, ec);
        result.message = WriteErrorMessage(path, err ? err : EIO);
        if (!log.Last().empty()) result.message += " (" + log.Last() + ")";
        return result;
    };
    // A fixed header: the same signals give the same bytes.
    MatPtr mat{Mat_CreateVer(temp.c_str(),
                             "MATLAB 5.0 MAT-file, written by the korvex host library",
                             large ? MAT_FT_MAT73 : MAT_FT_MAT5)};
    if (!mat) return fail(errno);
    std::set<std::string> taken;
    for (const SignalData& s : data.signals) {
        if (StopAsked()) return fail(ECANCELED);
        VarPtr var{SignalVar(VariableName(s.name, taken), s)};
        errno = 0;
        if (!var || Mat_VarWrite(mat.get(), var.get(), MAT_COMPRESSION_NONE) != 0)
            return fail(errno);
        s.mapped.DoneWithAll();  // a signal read from the disk gives its pages back
        g_bytesWritten.fetch_add(Values(s).size() * sizeof(double));
    }
    mat.reset();  // closes the file
    if (const int fd = ::open(temp.c_str(), O_RDONLY); fd >= 0) {
        const int synced = ::fsync(fd);
        ::close(fd);
        if (synced != 0) return fail(errno);
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) return fail(ec.value());
    result.ok = true;
    return result;
}

}  // namespace korvex
