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

// A window (below) keeps at most kRing chunks of its range readable; the
// rest is made inaccessible, and a read there faults in its chunk in place
// of the oldest one.
constexpr uintptr_t kChunk = uintptr_t{4} << 20;
constexpr int kRing = 8;

// The mappings alive, for the fault handlers: they may not lock, so the
// table is fixed and its fields atomic. A slot is taken by setting `end`
// last and given up by clearing it first.
struct Slot {
    std::atomic<uintptr_t> begin{0}, end{0};
    std::atomic<bool> damaged{false};
    // The window's range, 0 when none; the rest is guarded by `busy`,
    // which the fault handler and the calls that open and close a window
    // take without ever touching the mapping while holding it.
    std::atomic<uintptr_t> windowBegin{0}, windowEnd{0};
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
    std::atomic<uint64_t> generation{0};
    uintptr_t ring[kRing] = {};
    int ringCount = 0, ringNext = 0;
};
constexpr int kSlots = 256;
Slot g_slots[kSlots];
struct sigaction g_previous {};
struct sigaction g_previousSegv {};
// Whether the fault handler for windows took its place (a sanitizer may
// keep SIGSEGV to itself): without it no window is opened.
std::atomic<bool> g_windows{false};
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

void Take(Slot& slot) {
    while (slot.busy.test_and_set(std::memory_order_acquire)) {
    }
}
void Give(Slot& slot) {
    slot.busy.clear(std::memory_order_release);
}

// The chunk at `chunk` of a window readable again, the oldest one given
// back when the ring is full. Under the slot's lock.
void ReadableChunk(Slot& slot, uintptr_t chunk, uintptr_t end) {
    if (slot.ringCount == kRing) {
        const uintptr_t old = slot.ring[slot.ringNext];
        const size_t n = static_cast<size_t>(std::min(kChunk, end - old));
        ::madvise(reinterpret_cast<void*>(old), n, MADV_DONTNEED);
        ::mprotect(reinterpret_cast<void*>(old), n, PROT_NONE);
        slot.ring[slot.ringNext] = chunk;
        slot.ringNext = (slot.ringNext + 1) % kRing;
    } else {
        slot.ring[slot.ringCount++] = chunk;
    }
    ::mprotect(reinterpret_cast<void*>(chunk), static_cast<size_t>(std::min(kChunk, end - chunk)),
               PROT_READ);
    slot.generation.fetch_add(1, std::memory_order_relaxed);
}

// Where this thread last faulted on a chunk already readable, and when:
// the same address twice with nothing done between is a true fault (a
// write, say), left to the handler that was there before.
thread_local uintptr_t t_lastAt = 0;
thread_local uint64_t t_lastGeneration = 0;

// A read in a window outside its readable chunks: the chunk is made
// readable (its pages come from the file as they are touched).
void OnSegv(int sig, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& slot : g_slots) {
        const uintptr_t begin = slot.windowBegin.load(std::memory_order_acquire);
        const uintptr_t end = slot.windowEnd.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= end) continue;
        Take(slot);
        if (slot.windowBegin.load(std::memory_order_relaxed) != begin) {
            Give(slot);  // closed meanwhile: all of it is readable again
            return;
        }
        const uintptr_t chunk = begin + (at - begin) / kChunk * kChunk;
        if (std::find(slot.ring, slot.ring + slot.ringCount, chunk) == slot.ring + slot.ringCount) {
            ReadableChunk(slot, chunk, end);
            Give(slot);
            return;
        }
        const uint64_t generation = slot.generation.load(std::memory_order_relaxed);
        Give(slot);
        if (t_lastAt != at || t_lastGeneration != generation) {
            t_lastAt = at;  // made readable by another thread meanwhile
            t_lastGeneration = generation;
            return;
        }
        break;
    }
    if (g_previousSegv.sa_flags & SA_SIGINFO && g_previousSegv.sa_sigaction) {
        g_previousSegv.sa_sigaction(sig, info, context);
        return;
    }
    ::sigaction(SIGSEGV, &g_previousSegv, nullptr);  // the fault comes again and ends the process
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
        a.sa_sigaction = OnSegv;
        struct sigaction now {};
        g_windows = ::sigaction(SIGSEGV, &a, &g_previousSegv) == 0 &&
                    ::sigaction(SIGSEGV, nullptr, &now) == 0 && now.sa_sigaction == OnSegv;
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
    EndWindow();
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

bool MappedFile::BeginWindow(uint64_t from, uint64_t to) const {
    to = std::min(to, size_);
    if (slot_ < 0 || !g_windows || from >= to || to - from < uint64_t{kChunk} * kRing * 2)
        return false;
    Slot& slot = g_slots[slot_];
    const uintptr_t base = reinterpret_cast<uintptr_t>(data_);
    const uintptr_t begin = (base + from) / g_page * g_page;
    const uintptr_t end = std::min((base + to + g_page - 1) / g_page * g_page,
                                   (base + size_ + g_page - 1) / g_page * g_page);
    Take(slot);
    if (slot.windowBegin.load(std::memory_order_relaxed) != 0) {
        Give(slot);
        return false;  // one window a file
    }
    // Marked before it is closed off, so a read meanwhile finds its chunk.
    slot.ringCount = slot.ringNext = 0;
    slot.windowEnd.store(end, std::memory_order_release);
    slot.windowBegin.store(begin, std::memory_order_release);
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
    const bool ok = ::mprotect(reinterpret_cast<void*>(begin), end - begin, PROT_NONE) == 0;
    if (!ok) slot.windowBegin.store(0, std::memory_order_release);
    Give(slot);
    return ok;
}

void MappedFile::EndWindow() const {
    if (slot_ < 0) return;
    Slot& slot = g_slots[slot_];
    Take(slot);
    const uintptr_t begin = slot.windowBegin.load(std::memory_order_relaxed);
    if (begin != 0) {
        const uintptr_t end = slot.windowEnd.load(std::memory_order_relaxed);
        // Readable before it is unmarked, so no read meets it closed unmarked.
        ::mprotect(reinterpret_cast<void*>(begin), end - begin, PROT_READ);
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
        slot.windowBegin.store(0, std::memory_order_release);
        slot.ringCount = slot.ringNext = 0;
    }
    Give(slot);
}

bool MappedFile::Unchanged() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && st.st_ino == inode_ &&
           static_cast<uint64_t>(st.st_size) == size_ && MtimeNs(st) == mtimeNs_;
}

}  // namespace plat
