#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plat {

namespace {

int64_t MtimeNs(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

ObjPtr<MappedFile> MappedFile::Open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
        return nullptr;
    }
    struct stat st {};
    ObjPtr<MappedFile> m;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        error = "Cannot map \"" + path + "\": not a regular file with data.";
    } else {
        void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            error = "Cannot map \"" + path + "\": " + std::strerror(errno) + ".";
        } else {
            m = ObjPtr<MappedFile>(new MappedFile);
            m->path_ = path;
            m->data_ = static_cast<const unsigned char*>(p);
            m->size_ = static_cast<uint64_t>(st.st_size);
            m->mtimeNs_ = MtimeNs(st);
            m->inode_ = st.st_ino;
        }
    }
    ::close(fd);  // the mapping keeps the file
    return m;
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(const_cast<unsigned char*>(data_), static_cast<size_t>(size_));
}

void MappedFile::GiveBack(uint64_t from, uint64_t to) const {
    const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    to = to < size_ ? to : size_;
    from = (from + page - 1) / page * page;
    to = to / page * page;
    if (from >= to) return;
    ::madvise(const_cast<unsigned char*>(data_) + from, static_cast<size_t>(to - from),
              MADV_DONTNEED);
}

bool MappedFile::Unchanged() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && st.st_ino == inode_ &&
           static_cast<uint64_t>(st.st_size) == size_ && MtimeNs(st) == mtimeNs_;
}

}  // namespace plat
