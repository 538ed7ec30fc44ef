#pragma once
// Timing helpers and the hand-written spectrum the benchmarks compare with.

#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

#include "korvex/dsp/dsp.h"

namespace bench {

using Clock = std::chrono::steady_clock;

// The middle value; the vector must not be empty.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double Micros(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

inline double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Hanning window, FFTW real transform and one-sided power of one block, with
// nothing else around it.
struct Direct {
    int n;
    std::vector<double> window;
    double scale;  // power of a line: |X|^2 * scale
    double* in;
    fftw_complex* out;
    fftw_plan plan;
    std::vector<double> power;

    explicit Direct(int size) : n(size), window(size), power(size / 2 + 1) {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            window[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n);
            sum += window[i];
        }
        scale = 2.0 / (sum * sum);
        in = fftw_alloc_real(n);
        out = fftw_alloc_complex(n / 2 + 1);
        std::lock_guard lock(korvex::FftwPlannerMutex());
        plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    }
    ~Direct() {
        {
            std::lock_guard lock(korvex::FftwPlannerMutex());
            fftw_destroy_plan(plan);
        }
        fftw_free(in);
        fftw_free(out);
    }
    Direct(const Direct&) = delete;
    Direct& operator=(const Direct&) = delete;

    // x holds at least n values.
    void Run(const double* x) {
        for (int i = 0; i < n; ++i) in[i] = x[i] * window[i];
        fftw_execute(plan);
        for (int k = 0; k <= n / 2; ++k)
            power[k] = (out[k][0] * out[k][0] + out[k][1] * out[k][1]) * scale;
    }
};

}  // namespace bench
