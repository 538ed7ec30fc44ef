// The autospectrum: window, real FFT and a power spectrum scaled so that a
// tone reads its mean square in its line and a band sum times rmscoef reads
// the band's RMS.

#include <fftw3.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

#include "korvex/dsp/bearing_envelope.h"
#include "korvex/dsp/dsp.h"

namespace korvex {

std::mutex& FftwPlannerMutex() {
    static std::mutex m;
    return m;
}

namespace {

// Beyond this many sizes (or size and window pairs) the caches start over;
// the engine uses one block length per channel, so this is never reached in
// practice but keeps odd callers from growing memory without bound.
constexpr size_t kMaxCached = 64;

struct Window {
    std::vector<double> w;
    double sum = 0.0;
    double sumSq = 0.0;
};

// Periodic (DFT-even) windows: the cosine sums then have exact zeros at the
// integer lines beyond their main lobe, so a tone on a line leaks nowhere.
void FillWindow(int type, size_t n, Window& out) {
    using std::numbers::pi;
    out.w.resize(n);
    const double dn = static_cast<double>(n);
    for (size_t i = 0; i < n; ++i) {
        const double x = 2.0 * pi * static_cast<double>(i) / dn;
        double v = 1.0;
        switch (type) {
            case 2:
                v = 1.0 - std::abs(2.0 * static_cast<double>(i) / dn - 1.0);
                break;
            case 3:
                v = 0.5 - 0.5 * std::cos(x);
                break;
            case 4:
                v = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
                break;
            case 5:  // five-term flat top, scalloping loss below 0.01 dB
                v = 0.21557895 - 0.41663158 * std::cos(x) + 0.277263158 * std::cos(2.0 * x) -
                    0.083578947 * std::cos(3.0 * x) + 0.006947368 * std::cos(4.0 * x);
                break;
            default:
                break;
        }
        out.w[i] = v;
        out.sum += v;
        out.sumSq += v * v;
    }
}

struct Plan {
    fftw_plan plan = nullptr;
    ~Plan() {
        if (!plan) return;
        std::lock_guard lock(FftwPlannerMutex());
        fftw_destroy_plan(plan);
    }
};

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

class Caches {
  public:
    // The planner lock is made first so that it outlives the cached plans,
    // which take it when they are destroyed at exit.
    Caches() { FftwPlannerMutex(); }

    std::shared_ptr<const Window> GetWindow(int type, size_t n) {
        std::map<std::pair<int, size_t>, std::shared_ptr<const Window>> dropped;
        {
            std::lock_guard lock(mutex_);
            auto it = windows_.find({type, n});
            if (it != windows_.end()) return it->second;
        }
        // Built outside the lock: a large window takes a while and another
        // thread may want a different one meanwhile.
        auto w = std::make_shared<Window>();
        FillWindow(type, n, *w);
        std::lock_guard lock(mutex_);
        if (windows_.size() >= kMaxCached) dropped.swap(windows_);
        return windows_.emplace(std::make_pair(type, n), std::move(w)).first->second;
    }

    std::shared_ptr<const Plan> GetPlan(size_t n) {
        std::map<size_t, std::shared_ptr<const Plan>> dropped;  // destroyed after unlocking
        std::lock_guard lock(mutex_);
        auto it = plans_.find(n);
        if (it != plans_.end()) return it->second;
        if (plans_.size() >= kMaxCached) dropped.swap(plans_);
        auto plan = std::make_shared<Plan>();
        {
            // Planning on scratch arrays of the same alignment as the
            // per-thread buffers the plan later runs on.
            std::unique_ptr<double, FftwFree> in(fftw_alloc_real(n));
            std::unique_ptr<fftw_complex, FftwFree> out(fftw_alloc_complex(n / 2 + 1));
            if (!in || !out) return nullptr;
            std::lock_guard plock(FftwPlannerMutex());
            plan->plan =
                fftw_plan_dft_r2c_1d(static_cast<int>(n), in.get(), out.get(), FFTW_ESTIMATE);
        }
        if (!plan->plan) return nullptr;
        plans_.emplace(n, plan);
        return plan;
    }

  private:
    std::mutex mutex_;
    std::map<std::pair<int, size_t>, std::shared_ptr<const Window>> windows_;
    std::map<size_t, std::shared_ptr<const Plan>> plans_;
};

Caches& TheCaches() {
    static Caches c;
    return c;
}

// The plan and window of the thread's last call, held by the thread: a run of
// equal blocks then takes neither the cache lock nor the shared counts that
// several job threads would pass between their cores.
struct LastUsed {
    size_t planSize = 0;
    std::shared_ptr<const Plan> plan;
    std::pair<int, size_t> windowKey{0, 0};
    std::shared_ptr<const Window> window;
};

const Plan* PlanFor(size_t n) {
    thread_local LastUsed last;
    if (!last.plan || last.planSize != n) {
        last.plan = TheCaches().GetPlan(n);
        last.planSize = n;
    }
    return last.plan.get();
}

const Window* WindowFor(int type, size_t n) {
    thread_local LastUsed last;
    if (!last.window || last.windowKey != std::make_pair(type, n)) {
        last.window = TheCaches().GetWindow(type, n);
        last.windowKey = {type, n};
    }
    return last.window.get();
}

// Each thread keeps its transform buffers for the largest size it has used,
// so a run of equal blocks allocates nothing after the first.
struct ThreadBuffers {
    size_t capacity = 0;
    std::unique_ptr<double, FftwFree> in;
    std::unique_ptr<fftw_complex, FftwFree> out;

    bool Reserve(size_t n) {
        if (n <= capacity) return true;
        in.reset(fftw_alloc_real(n));
        out.reset(fftw_alloc_complex(n / 2 + 1));
        capacity = in && out ? n : 0;
        return capacity != 0;
    }
};

// Four running sums keep the additions independent, so the pass runs at
// memory speed rather than at the latency of one chain of additions.
double Sum(std::span<const double> x) {
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
    size_t i = 0;
    for (; i + 4 <= x.size(); i += 4) {
        a += x[i];
        b += x[i + 1];
        c += x[i + 2];
        d += x[i + 3];
    }
    for (; i < x.size(); ++i) a += x[i];
    return (a + b) + (c + d);
}

double WeightedSum(std::span<const double> x, const double* w) {
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
    size_t i = 0;
    for (; i + 4 <= x.size(); i += 4) {
        a += x[i] * w[i];
        b += x[i + 1] * w[i + 1];
        c += x[i + 2] * w[i + 2];
        d += x[i + 3] * w[i + 3];
    }
    for (; i < x.size(); ++i) a += x[i] * w[i];
    return (a + b) + (c + d);
}

}  // namespace

double WindowEnbw(int type, size_t n) {
    if (type < 1 || type > 5 || n < 2) return 0.0;
    if (type == 1) return 1.0;
    const Window* window = WindowFor(type, n);
    return static_cast<double>(n) * window->sumSq * (1.0 / (window->sum * window->sum));
}

int AutoSpectrum(std::span<const double> x, double dt, const OperatorParams& params,
                 SpectrumResult& out) {
    const double typeValue = params.Number("typeWindow", 1.0);
    // Out-of-range values must not reach the int conversion.
    const int type = typeValue >= 1.0 && typeValue <= 5.0 && typeValue == std::floor(typeValue)
                         ? static_cast<int>(typeValue)
                         : 0;
    const double envHi = params.Number("envHi", 0.0);
    if (!(envHi > 0.0)) return PowerSpectrum(x, dt, type, params.Number("isMO", 0.0) != 0.0, out);
    // The envelope's own spectrum: its mean is always removed, or line 0
    // would dwarf everything.
    thread_local std::vector<double> envelope;
    const int code = BlockEnvelope(x, dt, params.Number("envLo", 0.0), envHi, envelope);
    if (code != kDspOk) {
        out.power.clear();
        out.state = code;
        return code;
    }
    return PowerSpectrum(envelope, dt, type, true, out);
}

int PowerSpectrum(std::span<const double> x, double dt, int type, bool removeMean,
                  SpectrumResult& out) {
    out.power.clear();
    out.df = 0.0;
    out.rmscoef = 1.0;
    out.enbw = 1.0;
    const size_t n = x.size();
    auto fail = [&out](int code) {
        out.state = code;
        return code;
    };
    if (n < 2) return fail(kDspTooShort);
    if (n > static_cast<size_t>(std::numeric_limits<int>::max())) return fail(kDspFftFailed);
    if (!(dt > 0.0) || !std::isfinite(dt)) return fail(kDspBadStep);
    if (type < 1 || type > 5) return fail(kDspBadWindow);

    const Plan* plan = PlanFor(n);
    thread_local ThreadBuffers buffers;
    if (!plan || !buffers.Reserve(n)) return fail(kDspFftFailed);
    double* in = buffers.in.get();
    fftw_complex* spec = buffers.out.get();

    double sum = static_cast<double>(n), sumSq = static_cast<double>(n);
    const Window* window = nullptr;
    // Centring removes the mean as the window weighs it (sum x*w / sum w):
    // the windowed block then has no DC at all, whereas the plain mean
    // times the window would leak into the lines next to line 0, which
    // integration then blows up.
    if (type == 1) {
        const double mean = removeMean ? Sum(x) / static_cast<double>(n) : 0.0;
        for (size_t i = 0; i < n; ++i) in[i] = x[i] - mean;
    } else {
        window = WindowFor(type, n);
        const double* w = window->w.data();
        sum = window->sum;
        sumSq = window->sumSq;
        const double mean = removeMean ? WeightedSum(x, w) / sum : 0.0;
        for (size_t i = 0; i < n; ++i) in[i] = (x[i] - mean) * w[i];
    }
    fftw_execute_dft_r2c(plan->plan, in, spec);
    // The DC line is the plain sum of the windowed samples, and a NaN or an
    // infinity stays non-finite through the window (even where it is zero)
    // and the sum: one test instead of a pass over the samples.
    if (!std::isfinite(spec[0][0])) return fail(kDspBadSample);

    // Coherent-gain correction, one-sided: the lines between DC and Nyquist
    // carry the power of their negative-frequency twins as well.
    const size_t lines = n / 2 + 1;
    out.power.resize(lines);
    double* p = out.power.data();
    const double scale = 1.0 / (sum * sum);
    const double scale2 = 2.0 * scale;
    p[0] = (spec[0][0] * spec[0][0] + spec[0][1] * spec[0][1]) * scale;
    for (size_t k = 1; k < lines; ++k)
        p[k] = (spec[k][0] * spec[k][0] + spec[k][1] * spec[k][1]) * scale2;
    if (n % 2 == 0) p[lines - 1] *= 0.5;

    out.df = 1.0 / (static_cast<double>(n) * dt);
    // ENBW in lines = N * sum(w^2) / (sum w)^2.
    out.enbw = static_cast<double>(n) * sumSq * scale;
    out.rmscoef = 1.0 / std::sqrt(out.enbw);
    out.state = kDspOk;
    return kDspOk;
}

}  // namespace korvex
