// Spectral maps: which blocks make which column (time, speed, speed bins,
// run-up or run-down), the rows (lines or an order grid), the reduction to
// display resolution, then the spectra themselves.

#include "korvex/dsp/spectralmap.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <new>

#include "korvex/dsp/dsp.h"
#include "korvex/dsp/integration.h"
#include "korvex/dsp/order_map.h"
#include "platform/numtext.h"

namespace korvex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Seconds(double v) {
    return plat::GeneralText(v, 6) + " s";
}

// One averaged spectrum: `averages` blocks from `first` on.
struct Group {
    size_t first = 0;
    double middleX = 0.0;
    double speed = kNaN;  // the speed signal's value at the middle
    double hz = kNaN;     // the shaft frequency there
    int direction = 0;    // +1 the speed rises across the group, -1 it falls
};

// The speed signal read at any x: linear between its points, its end
// values held for half a step beyond its ends, where its first and last
// points (each the mean over a step, as a tacho curve gives it) still speak.
class SpeedCurve {
  public:
    explicit SpeedCurve(const SignalSnapshot& s) : s_(s) {
        const double last = s.XOf(static_cast<double>(s.samples.size() - 1));
        lo_ = s.startX - 0.5 * s.stepX;
        hi_ = last + 0.5 * s.stepX;
    }
    bool Covers(double x) const { return x >= lo_ && x <= hi_; }
    double At(double x) const {
        const size_t n = s_.samples.size();
        const double pos = (x - s_.startX) / s_.stepX;
        if (!(pos > 0.0)) return s_.samples[0];
        if (pos >= static_cast<double>(n - 1)) return s_.samples[n - 1];
        const auto i = static_cast<size_t>(pos);
        const double f = pos - static_cast<double>(i);
        return s_.samples[i] + f * (s_.samples[i + 1] - s_.samples[i]);
    }
    double Lo() const { return lo_; }
    double Hi() const { return hi_; }

  private:
    const SignalSnapshot& s_;
    double lo_ = 0.0;
    double hi_ = 0.0;
};

// Which groups make each column: members[starts[c] .. starts[c + 1]).
struct Plan {
    std::vector<Group> groups;
    std::vector<double> x;
    std::vector<size_t> starts{0};
    std::vector<size_t> members;
    size_t rows = 0;
    double y0 = 0.0;
    double dy = 0.0;
    size_t columnMerge = 1;
    size_t rowMerge = 1;

    void AddColumn(double at) {
        x.push_back(at);
        starts.push_back(members.size());
    }
    size_t Columns() const { return x.size(); }
};

// The sample range [first, end) of the time range.
std::string SampleRange(const SignalSnapshot& s, const MapParams& p, size_t& first, size_t& end) {
    if (std::isnan(p.from) || std::isnan(p.to) || !(p.from < p.to))
        return "the time range is empty or not a number";
    const auto size = static_cast<double>(s.samples.size());
    const double a = std::ceil((p.from - s.startX) / s.stepX - 1e-9);
    const double b = std::floor((p.to - s.startX) / s.stepX + 1e-9) + 1.0;
    first = static_cast<size_t>(std::clamp(a, 0.0, size));
    end = static_cast<size_t>(std::clamp(b, 0.0, size));
    if (end < first) end = first;
    return {};
}

std::string MakeGroups(const SignalSnapshot& s, const MapParams& p, Plan& plan) {
    size_t first = 0, end = 0;
    if (std::string e = SampleRange(s, p, first, end); !e.empty()) return e;
    const size_t span = GroupSpan(p.spectrum);
    const size_t have = end - first;
    if (have < span) {
        std::string m = (first == 0 && end == s.samples.size() ? "the signal" : "the time range") +
                        std::string(" holds ") + std::to_string(have) + " samples, fewer than ";
        if (p.spectrum.averages == 1) return m + "one block of N = " + std::to_string(p.spectrum.n);
        return m + "the " + std::to_string(span) + " of one spectrum of " +
               std::to_string(p.spectrum.averages) + " averaged blocks";
    }
    const size_t advance =
        static_cast<size_t>(p.spectrum.averages) * static_cast<size_t>(BlockStep(p.spectrum));
    const size_t count = (have - span) / advance + 1;
    // The plan's own memory, a few words a spectrum, counts against the
    // limit too: tiny blocks at a tiny step could need more than the cells.
    if (count > p.memoryLimit / (sizeof(Group) + 3 * sizeof(size_t)))
        return std::to_string(count) + " spectra are too many for the memory limit: take a " +
               "longer block, less overlap or a shorter time range";
    plan.groups.resize(count);
    for (size_t g = 0; g < count; ++g) {
        plan.groups[g].first = first + g * advance;
        plan.groups[g].middleX = s.XOf(static_cast<double>(plan.groups[g].first + span / 2));
    }
    return {};
}

std::string CheckSpeedSignal(const SignalSnapshot& v, const MapParams& p, double& toHz) {
    if (!(v.stepX > 0.0) || !std::isfinite(v.stepX) || !std::isfinite(v.startX))
        return "the speed signal's sample step is not a positive number";
    if (v.samples.empty()) return "the speed signal holds no values";
    if (!(p.speedToHertz >= 0.0) || !std::isfinite(p.speedToHertz))
        return "the speed factor is not a positive number";
    toHz = p.speedToHertz > 0.0 ? p.speedToHertz : v.unit == "rpm" ? 1.0 / 60.0 : 1.0;
    bool turns = false;
    for (double value : v.samples) {
        if (!std::isfinite(value)) return "the speed signal holds a value that is not a number";
        turns = turns || value > 0.0;
    }
    if (!turns) return "the speed signal never rises above zero";
    return {};
}

// Speeds of the groups; those outside the speed signal's reach are dropped.
std::string AddSpeeds(const SignalSnapshot& v, double toHz, const SignalSnapshot& s,
                      const MapParams& p, Plan& plan, std::vector<std::string>& notes) {
    const SpeedCurve curve(v);
    const double firstMiddle = plan.groups.front().middleX;
    const double lastMiddle = plan.groups.back().middleX;
    const double half = static_cast<double>(GroupSpan(p.spectrum) - 1) / 2.0 * s.stepX;
    std::vector<Group> kept;
    kept.reserve(plan.groups.size());
    for (Group g : plan.groups) {
        if (!curve.Covers(g.middleX)) continue;
        g.speed = curve.At(g.middleX);
        g.hz = g.speed * toHz;
        const double before = curve.At(g.middleX - half), after = curve.At(g.middleX + half);
        g.direction = after > before ? 1 : after < before ? -1 : 0;
        kept.push_back(g);
    }
    if (kept.empty())
        return "the speed signal covers " + Seconds(curve.Lo()) + " to " + Seconds(curve.Hi()) +
               ", the blocks' middles lie from " + Seconds(firstMiddle) + " to " +
               Seconds(lastMiddle);
    if (kept.size() < plan.groups.size())
        notes.push_back(std::to_string(plan.groups.size() - kept.size()) +
                        " spectra outside the speed signal's " + Seconds(curve.Lo()) + " to " +
                        Seconds(curve.Hi()) + " are left out");
    plan.groups = std::move(kept);
    return {};
}

bool Wanted(const Group& g, SpeedDirection d) {
    return d == SpeedDirection::Both || (d == SpeedDirection::Rising && g.direction > 0) ||
           (d == SpeedDirection::Falling && g.direction < 0);
}

std::string MakeSpeedBins(const MapParams& p, Plan& plan, std::vector<std::string>& notes) {
    if (!(p.binStep > 0.0) || !std::isfinite(p.binStep))
        return "the speed bin width is not a positive number";
    if (p.minBlocksPerBin < 1) return "the least number of blocks per bin is below 1";
    std::vector<std::pair<double, size_t>> byBin;  // (bin index, group)
    for (size_t g = 0; g < plan.groups.size(); ++g)
        if (Wanted(plan.groups[g], p.direction))
            byBin.emplace_back(std::floor(plan.groups[g].speed / p.binStep + 0.5), g);
    if (byBin.empty()) return "no block lies on a speed run of the chosen direction";
    std::stable_sort(byBin.begin(), byBin.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const double lo = byBin.front().first, hi = byBin.back().first;
    if (hi - lo >= 1e7) return "the speed bins are too narrow for the speed range";
    const auto perSpectrum = static_cast<size_t>(p.spectrum.averages);
    size_t i = 0, empty = 0;
    for (double bin = lo; bin <= hi; bin += 1.0) {
        size_t j = i;
        while (j < byBin.size() && byBin[j].first == bin) ++j;
        const double centre = bin * p.binStep;
        if ((j - i) * perSpectrum >= static_cast<size_t>(p.minBlocksPerBin)) {
            if (p.binFill == BinFill::Centre) {
                const auto nearest =
                    std::min_element(byBin.begin() + static_cast<std::ptrdiff_t>(i),
                                     byBin.begin() + static_cast<std::ptrdiff_t>(j),
                                     [&](const auto& a, const auto& b) {
                                         return std::fabs(plan.groups[a.second].speed - centre) <
                                                std::fabs(plan.groups[b.second].speed - centre);
                                     });
                plan.members.push_back(nearest->second);
            } else {
                for (size_t k = i; k < j; ++k) plan.members.push_back(byBin[k].second);
            }
        } else {
            ++empty;
        }
        plan.AddColumn(centre);
        i = j;
    }
    if (empty > 0)
        notes.push_back(std::to_string(empty) + " speed bins hold fewer than " +
                        std::to_string(p.minBlocksPerBin) + " blocks and stay empty");
    return {};
}

std::string MakeColumns(const MapParams& p, Plan& plan, std::vector<std::string>& notes) {
    if (p.x == MapAxisX::Speed && p.binStep != 0.0) return MakeSpeedBins(p, plan, notes);
    for (size_t g = 0; g < plan.groups.size(); ++g) {
        if (p.x == MapAxisX::Speed && !Wanted(plan.groups[g], p.direction)) continue;
        plan.members.push_back(g);
        plan.AddColumn(p.x == MapAxisX::Speed ? plan.groups[g].speed : plan.groups[g].middleX);
    }
    if (plan.Columns() == 0) return "no block lies on a speed run of the chosen direction";
    return {};
}

std::string MakeRows(const MapParams& p, double dt, Plan& plan) {
    const double df = 1.0 / (static_cast<double>(p.spectrum.n) * dt);
    const auto lines = static_cast<size_t>(p.spectrum.n / 2 + 1);
    if (p.y == MapAxisY::Frequency) {
        plan.rows = lines;
        plan.dy = df;
        return {};
    }
    if (!(p.maxOrder >= 0.0) || !std::isfinite(p.maxOrder) || !(p.orderStep >= 0.0) ||
        !std::isfinite(p.orderStep))
        return "the order range or step is not a positive number";
    double fastest = 0.0;
    for (const Group& g : plan.groups) fastest = std::max(fastest, g.hz);
    if (!(fastest > 0.0)) return "the shaft does not turn in any block of the time range";
    plan.dy = p.orderStep > 0.0 ? p.orderStep : df / fastest;
    const double top =
        p.maxOrder > 0.0 ? p.maxOrder : static_cast<double>(lines - 1) * df / fastest;
    const double rows = std::floor(top / plan.dy + 1e-9) + 1.0;
    if (!(rows < 1e12)) return "the order grid has too many rows";
    plan.rows = static_cast<size_t>(rows);
    return {};
}

std::string Reduce(const MapParams& p, Plan& plan) {
    if (p.maxColumns < 0 || p.maxRows < 0) return "the display resolution is negative";
    const size_t cols = plan.Columns();
    if (p.maxColumns > 0) plan.columnMerge = (cols + p.maxColumns - 1) / p.maxColumns;
    if (p.maxRows > 0) plan.rowMerge = (plan.rows + p.maxRows - 1) / p.maxRows;
    const double outCols = std::ceil(static_cast<double>(cols) / plan.columnMerge);
    const double outRows = std::ceil(static_cast<double>(plan.rows) / plan.rowMerge);
    const double bytes = outCols * outRows * sizeof(float);
    if (bytes > static_cast<double>(p.memoryLimit)) {
        auto mb = [](double b) { return plat::FixedText(b / (1024.0 * 1024.0), 0) + " MB"; };
        return "the map needs " + mb(bytes) + " (" + plat::FixedText(outCols, 0) + " columns x " +
               plat::FixedText(outRows, 0) + " rows), above the limit of " +
               mb(static_cast<double>(p.memoryLimit)) +
               ": take less overlap, more averages or a shorter time range, or reduce the map "
               "to display resolution";
    }
    return {};
}

// Adds the power of one block to the rows of a column: line for line, or
// read off the lines at each order's frequency (linear between lines).
// False when the block has no orders (the shaft stands).
bool Accumulate(const std::vector<double>& power, const Plan& plan, bool orders, double df,
                double hz, std::vector<double>& sum, std::vector<double>& weight) {
    if (!orders) {
        for (size_t r = 0; r < plan.rows; ++r) sum[r] += power[r];
        for (double& w : weight) w += 1.0;
        return true;
    }
    if (!(hz > 0.0)) return false;
    const size_t last = power.size() - 1;
    for (size_t r = 0; r < plan.rows; ++r) {
        const double q = (plan.y0 + static_cast<double>(r) * plan.dy) * hz / df;
        if (q > static_cast<double>(last)) break;  // above Nyquist: not measured
        const auto i = static_cast<size_t>(q);
        const double f = q - static_cast<double>(i);
        sum[r] += i == last ? power[i] : power[i] + f * (power[i + 1] - power[i]);
        weight[r] += 1.0;
    }
    return true;
}

// Reports the part done when it has moved by half a per cent.
class Progress {
  public:
    Progress(const MapProgress& f, size_t total) : f_(f), total_(std::max<size_t>(total, 1)) {}
    void Step() {
        ++done_;
        if (f_ && done_ * 200 / total_ != last_) {
            last_ = done_ * 200 / total_;
            f_(static_cast<double>(done_) / static_cast<double>(total_));
        }
    }

  private:
    const MapProgress& f_;
    size_t total_;
    size_t done_ = 0;
    size_t last_ = 0;
};

// Runs the spectra of the plan into the cells, column after column.
class Filler {
  public:
    Filler(const SignalSnapshot& s, const MapParams& p, const Plan& plan,
           const MapProgress& progress, const std::atomic<bool>* stop, MapResult& out,
           std::vector<double> integration)
        : integration_(std::move(integration)),
          s_(s),
          sp_(p.spectrum),
          plan_(plan),
          orders_(p.y == MapAxisY::Order),
          stop_(stop),
          out_(out),
          scale_(p.spectrum, out.resolution.df, out.resolution.enbwLines),
          report_(progress, plan.members.size()),
          sum_(plan.rows),
          weight_(plan.rows) {}

    // False when it was stopped or a spectrum could not be made (out.error
    // then says which).
    bool Run() {
        const size_t cols = plan_.Columns();
        const size_t outCols = (cols + plan_.columnMerge - 1) / plan_.columnMerge;
        const size_t outRows = (plan_.rows + plan_.rowMerge - 1) / plan_.rowMerge;
        out_.cells.assign(outCols * outRows, std::numeric_limits<float>::quiet_NaN());
        out_.blocks.assign(outCols, 0);
        out_.x.resize(outCols);
        out_.rows = outRows;
        out_.dy = plan_.dy * static_cast<double>(plan_.rowMerge);
        out_.y0 = plan_.y0 + plan_.dy * static_cast<double>(plan_.rowMerge - 1) / 2.0;
        column_.resize(outRows);
        for (size_t oc = 0; oc < outCols; ++oc) {
            const size_t c0 = oc * plan_.columnMerge, c1 = std::min(cols, c0 + plan_.columnMerge);
            double xs = 0.0;
            for (size_t c = c0; c < c1; ++c) xs += plan_.x[c];
            out_.x[oc] = xs / static_cast<double>(c1 - c0);
            float* cell = out_.cells.data() + oc * outRows;
            // The common case, a column of one block on the lines: scaled
            // straight from the spectrum.
            const bool single = c1 - c0 == 1 && plan_.starts[c1] - plan_.starts[c0] == 1 &&
                                sp_.averages == 1 && !orders_ && plan_.rowMerge == 1;
            if (!(single ? OneBlock(plan_.members[plan_.starts[c0]], cell, out_.blocks[oc])
                         : Merged(c0, c1, cell, out_.blocks[oc])))
                return false;
        }
        if (bad_ > 0)
            out_.notes.push_back(std::to_string(bad_) +
                                 " blocks hold a value that is not a number and are left out");
        return true;
    }

  private:
    // The spectrum of block b of group g into r_: false when it could not be
    // made (a bad sample only skips the block).
    bool Spectrum(const Group& g, size_t b, bool& made) {
        made = false;
        if (stop_ && stop_->load(std::memory_order_relaxed)) return Fail("", true);
        const size_t first = g.first + b * static_cast<size_t>(BlockStep(sp_));
        const int code = PowerSpectrum({s_.samples.data() + first, static_cast<size_t>(sp_.n)},
                                       s_.stepX, sp_.window, sp_.removeMean, r_);
        if (code == kDspBadSample) {
            ++bad_;
            return true;
        }
        if (code != kDspOk) return Fail(DspCodeText(code), false);
        if (!integration_.empty())
            for (size_t k = 0; k < r_.power.size(); ++k) r_.power[k] *= integration_[k];
        made = true;
        return true;
    }

    bool OneBlock(size_t group, float* cell, int& blocks) {
        bool made = false;
        if (!Spectrum(plan_.groups[group], 0, made)) return false;
        if (made) {
            scale_.Scale(r_.power, cell);
            blocks = 1;
        }
        report_.Step();
        return true;
    }

    bool Merged(size_t c0, size_t c1, float* cell, int& blocks) {
        std::fill(sum_.begin(), sum_.end(), 0.0);
        std::fill(weight_.begin(), weight_.end(), 0.0);
        for (size_t m = plan_.starts[c0]; m < plan_.starts[c1]; ++m) {
            const Group& g = plan_.groups[plan_.members[m]];
            for (size_t b = 0; b < static_cast<size_t>(sp_.averages); ++b) {
                bool made = false;
                if (!Spectrum(g, b, made)) return false;
                if (made && Accumulate(r_.power, plan_, orders_, r_.df, g.hz, sum_, weight_))
                    ++blocks;
            }
            report_.Step();
        }
        if (blocks == 0) return true;
        // Mean power of each row; merged rows keep their highest.
        for (size_t row = 0; row < column_.size(); ++row) {
            double best = kNaN;
            const size_t r1 = std::min(plan_.rows, (row + 1) * plan_.rowMerge);
            for (size_t k = row * plan_.rowMerge; k < r1; ++k)
                if (weight_[k] > 0.0 && !(best >= sum_[k] / weight_[k]))
                    best = sum_[k] / weight_[k];
            column_[row] = best;
        }
        scale_.Scale(column_, cell);
        return true;
    }

    bool Fail(std::string message, bool stopped) {
        out_ = MapResult{};
        out_.error = stopped ? "the map was stopped" : std::move(message);
        out_.stopped = stopped;
        return false;
    }

    const std::vector<double> integration_;  // weight per line, empty when not integrated
    const SignalSnapshot& s_;
    const SpectrumParams& sp_;
    const Plan& plan_;
    const bool orders_;
    const std::atomic<bool>* stop_;
    MapResult& out_;
    const AmplitudeScaler scale_;
    Progress report_;
    std::vector<double> sum_, weight_, column_;
    SpectrumResult r_;
    size_t bad_ = 0;
};

void Describe(const SignalSnapshot& s, const SignalSnapshot* speed, const MapParams& p,
              const std::string& unit, MapResult& out) {
    const SpectrumParams& sp = p.spectrum;
    SpectralResolution& res = out.resolution;
    res.n = sp.n;
    res.step = BlockStep(sp);
    res.averages = sp.averages;
    res.df = 1.0 / (static_cast<double>(sp.n) * s.stepX);
    res.enbwLines = WindowEnbw(sp.window, static_cast<size_t>(sp.n));
    res.rbw = res.enbwLines * res.df;
    res.rmscoef = 1.0 / std::sqrt(res.enbwLines);
    res.blockSeconds = static_cast<double>(sp.n) * s.stepX;
    out.unit = AmplitudeScaler(sp, res.df, res.enbwLines).Unit(unit);
    out.xUnit = p.x == MapAxisX::Time ? "s" : speed ? speed->unit : "";
    out.yUnit = p.y == MapAxisY::Frequency ? "Hz" : "order";
}

MapResult Compute(const SignalSnapshot& s, const SignalSnapshot* speed, const MapParams& p,
                  const MapProgress& progress, const std::atomic<bool>* stop) {
    MapResult out;
    std::string e = CheckSpectrumParams(p.spectrum);
    if (e.empty() && (!(s.stepX > 0.0) || !std::isfinite(s.stepX) || !std::isfinite(s.startX)))
        e = DspCodeText(kDspBadStep);
    Plan plan;
    if (e.empty()) e = MakeGroups(s, p, plan);
    const bool needSpeed = p.x == MapAxisX::Speed || p.y == MapAxisY::Order;
    if (e.empty() && needSpeed) {
        double toHz = 1.0;
        if (!speed)
            e = "a map against speed or in orders needs a speed signal";
        else if (e = CheckSpeedSignal(*speed, p, toHz); e.empty())
            e = AddSpeeds(*speed, toHz, s, p, plan, out.notes);
    }
    if (e.empty()) e = MakeColumns(p, plan, out.notes);
    if (e.empty()) e = MakeRows(p, s.stepX, plan);
    if (e.empty()) e = Reduce(p, plan);
    if (!e.empty()) {
        out = MapResult{};
        out.error = std::move(e);
        return out;
    }
    Integration in;
    in.unit = s.unit;
    if (p.spectrum.integrate > 0) {
        const double df = 1.0 / (static_cast<double>(p.spectrum.n) * s.stepX);
        in = IntegrationOf(s.unit, p.spectrum.integrate, static_cast<size_t>(p.spectrum.n / 2 + 1),
                           df);
        if (!in.error.empty()) {
            out = MapResult{};
            out.error = in.error;
            return out;
        }
    }
    Describe(s, speed, p, in.unit, out);
    Filler(s, p, plan, progress, stop, out, std::move(in.weight)).Run();
    return out;
}

}  // namespace

#if defined(__linux__)
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Below this the usual heap serves: huge pages would only waste memory.
constexpr size_t kHugeFrom = 2 * kHugePage;

}  // namespace
#endif

void* AllocateCells(size_t bytes) {
#if defined(__linux__)
    if (bytes >= kHugeFrom) {
        if (bytes > std::numeric_limits<size_t>::max() - kHugePage) throw std::bad_alloc();
        const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = std::aligned_alloc(kHugePage, rounded);
        if (!p) throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE);  // only advice: without it, small pages serve
        return p;
    }
#endif
    return ::operator new(bytes);
}

void FreeCells(void* p, size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= kHugeFrom) {
        std::free(p);
        return;
    }
#endif
    (void)bytes;
    ::operator delete(p);
}

MapResult ComputeMap(const SignalSnapshot& signal, const SignalSnapshot* speed,
                     const MapParams& params, const MapProgress& progress,
                     const std::atomic<bool>* stop) {
    try {
        if (params.angleDomain) return ComputeAngleOrderMap(signal, speed, params, progress, stop);
        return Compute(signal, speed, params, progress, stop);
    } catch (const std::bad_alloc&) {
        MapResult r;
        r.error = "not enough memory for the map";
        return r;
    } catch (const std::exception& e) {
        MapResult r;
        r.error = std::string("the map failed: ") + e.what();
        return r;
    }
}

}  // namespace korvex
