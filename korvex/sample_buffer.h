#pragma once
// The sample values of a signal. A signal cut from another (a block for the
// spectrum, a range copy) shares the other's array instead of copying it;
// whichever of them writes first gets an array of its own. A shared array is
// never written, so a block can be read on its holder's thread without the
// host lock while its filed source keeps changing under that lock.
//
// The values may also lie in a mapped file (a recording larger than the
// memory): they are then read where they lie, a write copies them first,
// and a reader walking forwards gives back what it has passed.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "platform/dispatch.h"
#include "platform/mapped_file.h"

namespace korvex {

class SampleBuffer {
  public:
    SampleBuffer() = default;
    explicit SampleBuffer(std::vector<double> values) { Assign(std::move(values)); }
    // A copy shares the array; a moved-from set is empty.
    SampleBuffer(const SampleBuffer&) = default;
    SampleBuffer& operator=(const SampleBuffer&) = default;
    SampleBuffer(SampleBuffer&& o) noexcept
        : store_(std::move(o.store_)),
          data_(std::exchange(o.data_, nullptr)),
          size_(std::exchange(o.size_, 0)) {}
    SampleBuffer& operator=(SampleBuffer&& o) noexcept {
        if (this != &o) {
            store_ = std::move(o.store_);
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
        }
        return *this;
    }

    size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    const double* data() const noexcept { return data_; }
    const double* begin() const noexcept { return data_; }
    const double* end() const noexcept { return data_ + size_; }
    double operator[](size_t i) const noexcept { return data_[i]; }
    std::span<const double> Span() const noexcept { return {data_, size_}; }
    operator std::span<const double>() const noexcept { return Span(); }

    void Assign(std::vector<double> values) {
        auto store = plat::MakeObj<Store>();
        store->values = std::move(values);
        data_ = store->values.data();
        size_ = store->values.size();
        store_ = std::move(store);
    }
    std::vector<double> ToVector() const { return std::vector<double>(begin(), end()); }

    // count little-endian doubles at byte offset of the file, which must be
    // a multiple of 8 and lie inside it.
    static SampleBuffer Mapped(plat::ObjPtr<plat::MappedFile> file, uint64_t offset, size_t count) {
        SampleBuffer b;
        auto store = plat::MakeObj<Store>();
        b.data_ = reinterpret_cast<const double*>(file->Data() + offset);
        b.size_ = count;
        store->file = std::move(file);
        store->start = offset;
        store->released.store(offset, std::memory_order_relaxed);
        b.store_ = std::move(store);
        return b;
    }
    bool IsMapped() const noexcept { return store_ && store_->file; }
    // The file the values lie in, or null.
    const plat::MappedFile* File() const noexcept { return store_ ? store_->file.get() : nullptr; }
    // A reader is done with the values before index: their pages go back
    // to the file (in steps, so a walk costs few calls). No effect in memory.
    void DoneBefore(size_t index) const {
        if (!IsMapped() || index > size_) return;
        const plat::MappedFile& f = *store_->file;
        const uint64_t to =
            static_cast<uint64_t>(reinterpret_cast<const unsigned char*>(data_ + index) - f.Data());
        uint64_t done = store_->released.load(std::memory_order_relaxed);
        if (to < done + kReleaseStep) return;
        if (store_->released.compare_exchange_strong(done, to, std::memory_order_relaxed))
            f.GiveBack(done, to);
    }
    // All of them: from the start of the signal again.
    void DoneWithAll() const {
        if (!IsMapped()) return;
        const plat::MappedFile& f = *store_->file;
        const auto* first = reinterpret_cast<const unsigned char*>(data_);
        f.GiveBack(static_cast<uint64_t>(first - f.Data()),
                   static_cast<uint64_t>(first - f.Data()) + size_ * sizeof(double));
        store_->released.store(store_->start, std::memory_order_relaxed);
    }

    // While the returned guard lives, a reader may walk all the values,
    // more than once, and only a few megabytes of a mapped signal stay
    // resident (plat::MappedFile::BeginWindow); no effect in memory. The
    // values must not be handed to the kernel meanwhile (a write() from them).
    class [[nodiscard]] WalkGuard {
      public:
        explicit WalkGuard(const plat::MappedFile* file) : file_(file) {}
        WalkGuard(const WalkGuard&) = delete;
        WalkGuard& operator=(const WalkGuard&) = delete;
        ~WalkGuard() {
            if (file_) file_->EndWindow();
        }

      private:
        const plat::MappedFile* file_;
    };
    WalkGuard WalkAll() const {
        if (!IsMapped()) return WalkGuard(nullptr);
        const plat::MappedFile& f = *store_->file;
        const auto from =
            static_cast<uint64_t>(reinterpret_cast<const unsigned char*>(data_) - f.Data());
        return WalkGuard(f.BeginWindow(from, from + size_ * sizeof(double)) ? &f : nullptr);
    }

    // Values [first, first + count), sharing this array; the range must lie
    // inside.
    SampleBuffer Slice(size_t first, size_t count) const {
        SampleBuffer s;
        s.store_ = store_;
        s.data_ = data_ + first;
        s.size_ = count;
        return s;
    }

    // Values that may be written: an array shared with another signal is
    // copied first.
    double* Mutable() {
        if (!OwnsWhole()) Assign(ToVector());
        return store_ ? store_->values.data() : nullptr;
    }
    // The values when they may be written in place (this is their only
    // holder), else null.
    double* OwnedData() noexcept { return OwnsWhole() ? store_->values.data() : nullptr; }
    // New values are 0.
    void Resize(size_t n) {
        if (n == size_) return;
        if (!OwnsWhole()) {
            std::vector<double> v;
            v.reserve(n);
            v.assign(begin(), begin() + std::min(n, size_));
            v.resize(n, 0.0);
            Assign(std::move(v));
            return;
        }
        store_->values.resize(n, 0.0);
        data_ = store_->values.data();
        size_ = n;
    }

  private:
    static constexpr uint64_t kReleaseStep = uint64_t{8} << 20;

    struct Store : plat::RefCounted {
        std::vector<double> values;
        plat::ObjPtr<plat::MappedFile> file;  // the values lie in it instead
        uint64_t start = 0;                   // file offset of the first value
        std::atomic<uint64_t> released{0};    // file offset up to which pages went back
    };

    // Whether this is the array's only holder and sees all of it. The count
    // is read with acquire: the reads of a holder that has just let go are
    // then finished before this one writes.
    bool OwnsWhole() const noexcept {
        return store_ && store_->Unique() && data_ == store_->values.data() &&
               size_ == store_->values.size();
    }

    plat::ObjPtr<Store> store_;
    const double* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace korvex
