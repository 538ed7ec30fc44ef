// The trigger levels of a tacho signal: its state levels, over the whole
// record and per window, found as order statistics in a few passes that
// threads can share.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "korvex/dsp/tacho_pulses.h"

namespace korvex::tacho {

namespace {

// Samples a thread takes at the least.
constexpr size_t kPartSamples = size_t{1} << 17;

}  // namespace

void RunParts(int parts, const std::function<void(int)>& part) {
    std::vector<std::thread> threads;
    for (int k = 1; k < parts; ++k) {
        try {
            threads.emplace_back(part, k);
        } catch (const std::system_error&) {
            part(k);  // no thread to be had: the part runs here
        }
    }
    part(0);
    for (std::thread& t : threads) t.join();
}

int WorthThreads(size_t samples, int threads) {
    return static_cast<int>(std::clamp<size_t>(static_cast<size_t>(std::max(threads, 1)), 1,
                                               1 + samples / kPartSamples));
}

namespace {

// Doubles as unsigned keys of the same order.
uint64_t OrderKey(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return (b >> 63) != 0 ? ~b : b | (uint64_t{1} << 63);
}
double FromOrderKey(uint64_t k) {
    const uint64_t b = (k >> 63) != 0 ? k & ~(uint64_t{1} << 63) : ~k;
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// The k-th smallest (from 0) of the values of x that keep keeps, the value
// nth_element gives, found 16 bits of its key at a time in passes over x:
// a whole recording is not copied to find its levels.
template <class Keep>
double SelectInPasses(std::span<const double> x, Keep keep, size_t k) {
    constexpr size_t kGather = size_t{1} << 20;
    std::vector<size_t> count(size_t{1} << 16);
    uint64_t prefix = 0;
    for (int known = 0; known < 64; known += 16) {
        auto inside = [&](uint64_t key) { return known == 0 || key >> (64 - known) == prefix; };
        const int shift = 48 - known;
        std::fill(count.begin(), count.end(), 0);
        for (double v : x) {
            const uint64_t key = OrderKey(v);
            if (keep(v) && inside(key)) ++count[(key >> shift) & 0xFFFF];
        }
        size_t bin = 0;
        while (bin + 1 < count.size() && k >= count[bin]) k -= count[bin++];
        prefix = prefix << 16 | bin;
        if (count[bin] > kGather || known == 48) continue;
        std::vector<double> v;
        v.reserve(count[bin]);
        const int bits = known + 16;
        for (double s : x)
            if (keep(s) && OrderKey(s) >> (64 - bits) == prefix) v.push_back(s);
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
        return v[k];
    }
    return FromOrderKey(prefix);
}

}  // namespace

namespace {

// Buckets of equal width from min on: bucket positions as indices no
// greater than the last bucket's (NaN in the last).
struct Grid {
    Grid(double min, double max, size_t count)
        : min{min},
          max{max},
          scale{static_cast<double>(count) / (max - min)},
          last{static_cast<double>(count - 1)} {
        if (!std::isfinite(scale)) scale = 0.0;
    }
    size_t Of(double v) const {
        const double p = (v - min) * scale;
        return static_cast<size_t>(static_cast<int64_t>(p < last ? p : last));
    }
    // Samples per bucket, counted in four interleaved tallies so that a run
    // of samples in one bucket does not wait on its own increments.
    // With `ends`, also the samples equal to min and to max.
    std::vector<size_t> Count(std::span<const double> x,
                              std::pair<size_t, size_t>* ends = nullptr) const {
        const auto count = static_cast<size_t>(last) + 1;
        std::vector<uint32_t> t(4 * count, 0);
        size_t atMin = 0, atMax = 0, i = 0;
        for (; i + 4 <= x.size(); i += 4)
            for (size_t l = 0; l < 4; ++l) {
                const double v = x[i + l];
                ++t[l * count + Of(v)];
                atMin += v == min;
                atMax += v == max;
            }
        for (; i < x.size(); ++i) {
            ++t[Of(x[i])];
            atMin += x[i] == min;
            atMax += x[i] == max;
        }
        if (ends) *ends = {atMin, atMax};
        std::vector<size_t> c(count);
        for (size_t b = 0; b < count; ++b)
            c[b] = size_t{t[b]} + t[count + b] + t[2 * count + b] + t[3 * count + b];
        return c;
    }
    double min, max, scale, last;
};

// The least and the greatest of x (not empty), four lanes at a time.
std::pair<double, double> MinMax(std::span<const double> x) {
    double mn[4] = {x[0], x[0], x[0], x[0]}, mx[4] = {x[0], x[0], x[0], x[0]};
    size_t i = 0;
    for (; i + 4 <= x.size(); i += 4)
        for (size_t l = 0; l < 4; ++l) {
            mn[l] = x[i + l] < mn[l] ? x[i + l] : mn[l];
            mx[l] = x[i + l] > mx[l] ? x[i + l] : mx[l];
        }
    for (; i < x.size(); ++i) {
        mn[0] = x[i] < mn[0] ? x[i] : mn[0];
        mx[0] = x[i] > mx[0] ? x[i] : mx[0];
    }
    return {std::min({mn[0], mn[1], mn[2], mn[3]}), std::max({mx[0], mx[1], mx[2], mx[3]})};
}

// A bucket of more samples than this is not copied out: its sample is
// sought in passes over the signal.
constexpr size_t kGatherMost = size_t{1} << 20;

// n items cut into `count` parts.
struct Parts {
    Parts(size_t n, int count) : n{n}, count{count} {}
    size_t From(int k) const { return n / static_cast<size_t>(count) * static_cast<size_t>(k); }
    size_t To(int k) const { return k + 1 == count ? n : From(k + 1); }
    size_t n;
    int count;
};

Grid MinMaxGrid(std::span<const double> x, const Parts& parts, size_t count) {
    std::vector<std::pair<double, double>> r(static_cast<size_t>(parts.count));
    RunParts(parts.count, [&](int k) {
        r[static_cast<size_t>(k)] = MinMax(x.subspan(parts.From(k), parts.To(k) - parts.From(k)));
    });
    double mn = r[0].first, mx = r[0].second;
    for (const auto& [a, b] : r) {
        mn = a < mn ? a : mn;
        mx = b > mx ? b : mx;
    }
    return Grid(mn, mx, count);
}

// Order statistics of a signal found through buckets of equal width: a
// sample's bucket never comes before a smaller sample's, so the k-th
// smallest lies in the bucket where the counts pass k, and only that
// bucket's samples are selected among (again in buckets). The values are
// the ones nth_element gives, in a few streaming passes instead of its
// shuffling of the whole signal; the passes are shared among threads.
class Buckets {
  public:
    Buckets(std::span<const double> x, int threads)
        : x_(x),
          parts_(x.size(), WorthThreads(x.size(), threads)),
          grid_(MinMaxGrid(x, parts_, std::clamp<size_t>(x.size() / 8, 16, 4096))) {
        std::vector<std::vector<size_t>> counts(static_cast<size_t>(parts_.count));
        std::vector<std::pair<size_t, size_t>> ends(counts.size(), {0, 0});
        RunParts(parts_.count, [&](int k) {
            const std::span<const double> part = Part(k);
            // A signal of two states holds many samples equal to its ends,
            // which no bucket would part: they are counted apart.
            counts[static_cast<size_t>(k)] = grid_.Count(part, &ends[static_cast<size_t>(k)]);
        });
        counts_ = counts[0];
        for (size_t k = 1; k < counts.size(); ++k)
            for (size_t b = 0; b < counts_.size(); ++b) counts_[b] += counts[k][b];
        for (const auto& [atMin, atMax] : ends) {
            atMin_ += atMin;
            atMax_ += atMax;
        }
        // counts_[b] becomes the samples before bucket b.
        size_t before = 0;
        for (size_t& c : counts_) before += std::exchange(c, before);
    }

    // Samples below v.
    size_t Below(double v) const {
        std::vector<size_t> below(static_cast<size_t>(parts_.count), 0);
        RunParts(parts_.count, [&](int k) {
            size_t c = 0;
            for (double s : Part(k)) c += s < v;
            below[static_cast<size_t>(k)] = c;
        });
        size_t sum = 0;
        for (size_t c : below) sum += c;
        return sum;
    }

    // The k-th smallest sample (from 0) for each k of ks.
    std::vector<double> Select(const std::vector<size_t>& ks) const {
        const size_t n = x_.size();
        std::vector<size_t> bucket(ks.size());
        std::vector<int> slot(counts_.size(), -1);
        int wanted = 0;
        std::vector<double> out(ks.size());
        for (size_t j = 0; j < ks.size(); ++j) {
            if (ks[j] < atMin_ || ks[j] >= n - atMax_) continue;
            bucket[j] =
                static_cast<size_t>(std::upper_bound(counts_.begin(), counts_.end(), ks[j]) -
                                    counts_.begin()) -
                1;
            if (Size(bucket[j]) > kGatherMost) continue;
            if (slot[bucket[j]] < 0) slot[bucket[j]] = wanted++;
        }
        // Per part, the members of each wanted bucket.
        std::vector<std::vector<std::vector<double>>> members(
            static_cast<size_t>(parts_.count),
            std::vector<std::vector<double>>(static_cast<size_t>(wanted)));
        if (wanted > 0) {
            RunParts(parts_.count, [&](int k) {
                auto& m = members[static_cast<size_t>(k)];
                for (double v : Part(k))
                    if (const int w = slot[grid_.Of(v)]; w >= 0)
                        m[static_cast<size_t>(w)].push_back(v);
            });
        }
        for (size_t j = 0; j < ks.size(); ++j) {
            if (ks[j] < atMin_) {
                out[j] = grid_.min;
            } else if (ks[j] >= n - atMax_) {
                out[j] = grid_.max;
            } else if (slot[bucket[j]] < 0) {
                out[j] = SelectInPasses(
                    x_, [](double) { return true; }, ks[j]);
            } else {
                std::vector<double> v;
                for (const auto& m : members) {
                    const auto& b = m[static_cast<size_t>(slot[bucket[j]])];
                    v.insert(v.end(), b.begin(), b.end());
                }
                out[j] = Nth(v, ks[j] - counts_[bucket[j]]);
            }
        }
        return out;
    }

  private:
    // The k-th smallest of v (v is reordered), a bucket deeper at a time.
    static double Nth(std::vector<double>& v, size_t k) {
        for (int depth = 0; v.size() > 256 && depth < 8; ++depth) {
            const auto [lo, hi] = MinMax(v);
            if (lo == hi) return lo;
            const Grid grid(lo, hi, std::clamp<size_t>(v.size() / 8, 16, 4096));
            if (grid.scale == 0.0) break;
            const std::vector<size_t> counts = grid.Count(v);
            size_t b = 0;
            while (k >= counts[b]) k -= counts[b++];
            v.erase(std::remove_if(v.begin(), v.end(), [&](double s) { return grid.Of(s) != b; }),
                    v.end());
        }
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
        return v[k];
    }

    std::span<const double> Part(int k) const {
        return x_.subspan(parts_.From(k), parts_.To(k) - parts_.From(k));
    }
    size_t Size(size_t b) const {
        return (b + 1 < counts_.size() ? counts_[b + 1] : x_.size()) - counts_[b];
    }

    std::span<const double> x_;
    Parts parts_;
    Grid grid_;
    size_t atMin_ = 0, atMax_ = 0;  // samples equal to the least and to the greatest
    std::vector<size_t> counts_;
};

}  // namespace

std::pair<double, double> StateLevels(std::span<const double> x, int threads) {
    if (x.empty()) return {0.0, 0.0};
    const size_t n = x.size();
    const Buckets buckets(x, threads);
    const std::vector<double> p = buckets.Select({n / 1000, n - 1 - n / 1000});
    const double pa = p[0], pb = p[1];
    if (!(pb > pa)) return {pa, pa};
    const double mid = 0.5 * (pa + pb);
    const size_t lows = buckets.Below(mid);
    // The samples below mid are the lows smallest: the medians of both
    // halves are order statistics of the whole.
    std::vector<size_t> ks;
    auto median = [&ks](size_t from, size_t m) {
        if (m == 0) return;
        ks.push_back(from + m / 2);
        if (m % 2 == 0) ks.push_back(from + m / 2 - 1);
    };
    median(0, lows);
    median(lows, n - lows);
    const std::vector<double> v = buckets.Select(ks);
    auto value = [&v](size_t m, size_t& j) {
        if (m == 0) return 0.0;
        const double upper = v[j++];
        return m % 2 != 0 ? upper : 0.5 * (upper + v[j++]);
    };
    size_t j = 0;
    const double low = value(lows, j);
    return {low, value(n - lows, j)};
}

TriggerLevels LocalLevels(std::span<const double> x, double loPct, double hiPct,
                          double periodSamples, std::pair<double, double> whole, int threads) {
    const double l0 = whole.first, h0 = whole.second;
    const size_t n = x.size();
    const size_t w = std::clamp<size_t>(static_cast<size_t>(10.0 * periodSamples), 64, n);
    const size_t windows = std::max<size_t>(1, n / w);
    std::vector<double> lo(windows), hi(windows);
    std::vector<char> ok(windows, 0);
    const Parts parts(windows, WorthThreads(n, threads));
    RunParts(parts.count, [&](int part) {
        for (size_t k = parts.From(part); k < parts.To(part); ++k) {
            const size_t end = k + 1 == windows ? n : (k + 1) * w;
            const auto [l, h] = StateLevels(x.subspan(k * w, end - k * w));
            lo[k] = l;
            hi[k] = h;
            ok[k] = h - l >= 0.5 * (h0 - l0) && h > l;
        }
    });
    // Windows without pulses borrow the levels of the nearest one with.
    std::vector<long> prev(windows, -1), next(windows, -1);
    for (size_t k = 0; k < windows; ++k)
        prev[k] = ok[k] ? static_cast<long>(k) : k > 0 ? prev[k - 1] : -1;
    for (size_t k = windows; k-- > 0;)
        next[k] = ok[k] ? static_cast<long>(k) : k + 1 < windows ? next[k + 1] : -1;
    for (size_t k = 0; k < windows; ++k) {
        if (ok[k]) continue;
        const long kk = static_cast<long>(k);
        long from = prev[k];
        if (from < 0 || (next[k] >= 0 && next[k] - kk < kk - from)) from = next[k];
        lo[k] = from < 0 ? l0 : lo[static_cast<size_t>(from)];
        hi[k] = from < 0 ? h0 : hi[static_cast<size_t>(from)];
    }
    for (size_t k = 0; k < windows; ++k) {
        const double span = hi[k] - lo[k];
        const double base = lo[k];
        lo[k] = base + span * loPct / 100.0;
        hi[k] = base + span * hiPct / 100.0;
    }
    return TriggerLevels(std::move(lo), std::move(hi), w);
}

}  // namespace korvex::tacho
