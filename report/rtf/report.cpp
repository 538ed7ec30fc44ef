// The report document: its header and saving it to a file.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <sstream>
#include <string>

#include "report/rtf/rtf.h"

namespace rtf {

namespace {

constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
    "{\\fonttbl"
    "{\\f0\\fswiss\\fcharset204{\\*\\fname Arial;}Arial CYR;}"
    "{\\f1\\fswiss\\fprq2\\fcharset204 Tahoma;}"
    "{\\f2\\froman\\fprq2\\fcharset204{\\*\\fname Times New Roman;}Times New Roman CYR;}"
    "{\\f3\\froman\\fprq2\\fcharset204 Book Antiqua;}"
    "{\\f4\\fmodern\\fprq1\\fcharset204{\\*\\fname Courier New;}Courier New CYR;}"
    "{\\f5\\fmodern\\fprq1\\fcharset204 Lucida Console;}"
    "{\\f6\\fswiss\\fprq2\\fcharset204 Arial Narrow;}"
    "{\\f7\\fswiss\\fprq2\\fcharset204 Haettenschweiler;}"
    "{\\f8\\fscript\\fprq2\\fcharset204 Monotype Corsiva;}"
    "{\\f9\\froman\\fprq2\\fcharset2 Symbol;}"
    "{\\f10\\fnil\\fprq2\\fcharset2 Wingdings;}"
    "{\\f11\\froman\\fprq2\\fcharset2 Wingdings 2;}"
    "{\\f12\\froman\\fprq2\\fcharset2 Wingdings 3;}}"
    "{\\colortbl ;"
    "\\red0\\green0\\blue0;\\red128\\green0\\blue0;\\red0\\green128\\blue0;"
    "\\red128\\green128\\blue0;\\red0\\green0\\blue128;\\red128\\green0\\blue128;"
    "\\red0\\green128\\blue128;\\red128\\green128\\blue128;\\red192\\green192\\blue192;"
    "\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red255\\green255\\blue0;"
    "\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red255\\green255\\blue255;}"
    "\\paperw11907\\paperh16840\\psz9\\margl1134\\margr567\\margt567\\margb567";

// A report shorter than this cannot hold a header and is not appended to.
constexpr off_t kMinReportSize = 13;
// The closing brace must lie within this many bytes of the end.
constexpr size_t kTailWindow = 8;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes and reports whether closing succeeded.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool ReadAll(int fd, std::string& out, size_t size) {
    out.resize(size);
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::pread(fd, out.data() + got, size - got, static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    // The file changed under us: treat as unreadable rather than guess.
    return got == size;
}

// Position of the closing brace: the last byte above the blank range
// (space and control characters), which must be "}" and lie within the
// last kTailWindow bytes.
bool FindClosingBrace(std::string_view doc, size_t& pos) {
    size_t stop = doc.size() > kTailWindow ? doc.size() - kTailWindow : 0;
    for (size_t i = doc.size(); i > stop; --i) {
        unsigned char c = static_cast<unsigned char>(doc[i - 1]);
        if (c < '!') continue;
        if (c != '}') return false;
        pos = i - 1;
        return true;
    }
    return false;
}

// Replaces (or creates) target with content in one step: the bytes go to a
// new file in the same folder, which is renamed over the target only once
// it is completely written and flushed. On failure the target is untouched.
bool ReplaceFile(const std::filesystem::path& target, std::string_view content,
                 const struct stat* like) {
    // A fresh name beside the target; created with mode 0666 so that the
    // umask gives a new report its usual permissions.
    std::string tmp;
    Fd fd;
    for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
        tmp = target.string() + ".tmp" + std::to_string(::getpid()) + "_" +
              std::to_string(std::random_device{}() % 1000000);
        fd.reset(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() < 0 && errno != EEXIST) return false;
    }
    if (fd.get() < 0) return false;

    bool ok = true;
    if (like) {
        // Keep the report's permissions and, where we may, its owner.
        ok = ::fchmod(fd.get(), like->st_mode & 07777) == 0;
        if (ok && (like->st_uid != ::geteuid() || like->st_gid != ::getegid()))
            (void)!::fchown(fd.get(), like->st_uid, like->st_gid);
    }
    ok = ok && WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; the file is already in place, so a
    // failure here does not undo the save.
    std::filesystem::path dir = target.parent_path();
    Fd dfd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dfd.get() >= 0) ::fsync(dfd.get());
    return true;
}

}  // namespace

bool report::write(std::ostream& os) const {
    os.write(kHeader.data(), static_cast<std::streamsize>(kHeader.size()));
    if (!itemslist::write(os)) return false;
    os.write("\\par}", 5);
    return os.good();
}

bool report::save(const std::filesystem::path& path) const {
    if (path.empty()) return false;
    // Read and write access, as an in-place append would need: a report the
    // user made read-only is not replaced.
    Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno != ENOENT) return false;
        std::ostringstream doc;
        if (!write(doc)) return false;
        return ReplaceFile(path, doc.view(), nullptr);
    }

    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_size < kMinReportSize) return false;

    std::string old;
    if (!ReadAll(fd.get(), old, static_cast<size_t>(st.st_size))) return false;
    size_t brace = 0;
    if (!FindClosingBrace(old, brace)) return false;

    std::ostringstream entry;
    if (!itemslist::write(entry)) return false;
    std::string_view add = entry.view();

    // The entry and a new "}" take the place of the old brace. Old tail bytes
    // beyond what they cover stay, exactly as writing in place would leave
    // them: appending never shortens the file.
    std::string doc;
    doc.reserve(old.size() + add.size() + 1);
    doc.append(old, 0, brace);
    doc.append(add);
    doc += '}';
    if (doc.size() < old.size()) doc.append(old, doc.size());
    if (!fd.close()) return false;

    // Replace the file the path leads to, not a symbolic link on the way.
    char real[PATH_MAX];
    if (!::realpath(path.c_str(), real)) return false;
    return ReplaceFile(real, doc, &st);
}

}  // namespace rtf
