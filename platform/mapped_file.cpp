// Files mapped read-only, pages given back as passed, a cut file's bus error caught.

#include "platform/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace plat {

namespace {

// The mappings alive, for the bus-error handler: it may not lock, so the
// table is fixed and its fields atomic. A slot is taken by setting `end`
// last and given up by clearing it first.
struct Slot {
    std::atomic<uintptr_t> begin{0}, end{0};
    std::atomic<bool> damaged{false};
};
constexpr int kSlots = 256;
Slot g_slots[kSlots];
struct sigaction g_previous {};
uintptr_t g_page = 4096;  // set before the handler is installed: sysconf is no signal-safe call

// A read past the end of a file cut shorter on disk: the page is replaced
// by zeros and the mapping marked; any other bus error is left to the
// handler that was there before.
void OnBusError(int sig, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& slot : g_slots) {
        const uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (end == 0 || at < slot.begin.load(std::memory_order_relaxed) || at >= end) continue;
        void* base = reinterpret_cast<void*>(at / g_page * g_page);
        if (::mmap(base, g_page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        slot.damaged.store(true, std::memory_order_relaxed);
        return;
    }
    if (g_previous.sa_flags & SA_SIGINFO && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(sig, info, context);
        return;
    }
    ::sigaction(SIGBUS, &g_previous, nullptr);  // the fault comes again and ends the process
}

void InstallHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction a {};
        a.sa_sigaction = OnBusError;
        a.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&a.sa_mask);
        ::sigaction(SIGBUS, &a, &g_previous);
    });
}

int TakeSlot(const unsigned char* data, uint64_t size) {
    for (int i = 0; i < kSlots; ++i) {
        uintptr_t free = 0;
        if (g_slots[i].begin.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(data))) {
            g_slots[i].damaged.store(false, std::memory_order_relaxed);
            g_slots[i].end.store(reinterpret_cast<uintptr_t>(data) + size,
                                 std::memory_order_release);
            return i;
        }
    }
    return -1;
}

// The mappings alive, for the list of damaged ones.
std::mutex& LiveMutex() {
    static std::mutex m;
    return m;
}
std::vector<const MappedFile*>& Live() {
    static std::vector<const MappedFile*> v;
    return v;
}

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
            InstallHandler();
            m->slot_ = TakeSlot(m->data_, m->size_);
            if (m->slot_ < 0) {  // unguarded, a cut file could stop the process
                error = "Cannot map \"" + path + "\": too many files mapped at once.";
                m = nullptr;
            } else {
                std::lock_guard lock(LiveMutex());
                Live().push_back(m.get());
            }
        }
    }
    ::close(fd);  // the mapping keeps the file
    return m;
}

MappedFile::~MappedFile() {
    if (slot_ >= 0) {
        std::lock_guard lock(LiveMutex());
        std::erase(Live(), this);
        g_slots[slot_].end.store(0, std::memory_order_release);
        g_slots[slot_].begin.store(0, std::memory_order_release);
    }
    if (data_) ::munmap(const_cast<unsigned char*>(data_), static_cast<size_t>(size_));
}

bool MappedFile::Damaged() const {
    return slot_ >= 0 && g_slots[slot_].damaged.load(std::memory_order_relaxed);
}

std::vector<std::string> MappedFile::DamagedFiles() {
    std::lock_guard lock(LiveMutex());
    std::vector<std::string> out;
    for (const MappedFile* m : Live())
        if (m->Damaged()) out.push_back(m->path_);
    return out;
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
