#pragma once
// The sample values of a signal. A signal cut from another (a block for the
// spectrum, a range copy) shares the other's array instead of copying it;
// whichever of them writes first gets an array of its own. A shared array is
// never written, so a block can be read on its holder's thread without the
// host lock while its filed source keeps changing under that lock.

#include <algorithm>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "platform/dispatch.h"

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
    struct Store : plat::RefCounted {
        std::vector<double> values;
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
