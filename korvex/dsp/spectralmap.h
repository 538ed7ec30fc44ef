#pragma once
// Spectral maps: the spectra of successive blocks of a signal side by side,
// against time, or against the speed of a shaft at each block (a Campbell
// diagram), with frequency or order (frequency / shaft frequency) up the
// columns. Every spectrum is the autospectrum operator's (spectral.h), so a
// column reads what the engine measured at that block.
//
// Cells are floats, 4 bytes each, in the chosen amplitude and scale: a float
// keeps 7 digits, far finer than a colour scale can show, and dB values in
// floats keep 0.00001 dB steps. NaN marks a cell nothing was measured for
// (an order above a column's Nyquist frequency, a speed bin without enough
// blocks, a block holding a value that is not a number).
//
// MapJob runs a map on a thread of its own with progress and a stop, and
// MapCache keeps finished maps until the signal or a parameter changes.

#include <atomic>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "korvex/dsp/spectral.h"

namespace korvex {

enum class MapAxisX { Time, Speed };
enum class MapAxisY { Frequency, Order };
// Which blocks fill a column against speed: where the speed rises (a
// run-up), falls (a run-down), or all of them.
enum class SpeedDirection { Both, Rising, Falling };
// What fills a speed bin: the average of its blocks' powers, or the block
// whose speed lies nearest the bin's centre.
enum class BinFill { Average, Centre };

struct MapParams {
    // N, window, mean removal, overlap, amplitude and scale. Against time,
    // each column averages `averages` successive blocks and the next column
    // starts with the next block after them.
    SpectrumParams spectrum;
    // Time range (x of the signal); blocks lying wholly inside it are used.
    double from = -std::numeric_limits<double>::infinity();
    double to = std::numeric_limits<double>::infinity();
    MapAxisX x = MapAxisX::Time;
    MapAxisY y = MapAxisY::Frequency;
    // Factor from the speed signal's values to hertz; 0 reads it from its
    // unit (1/60 for "rpm", else 1). Speeds on the x axis keep the signal's
    // own unit.
    double speedToHertz = 0.0;
    // Against speed: bins of this width in the speed signal's unit, centred
    // on whole multiples of it; 0 gives one column per spectrum.
    double binStep = 0.0;
    BinFill binFill = BinFill::Average;
    int minBlocksPerBin = 1;  // a bin with fewer blocks stays empty (NaN)
    SpeedDirection direction = SpeedDirection::Both;
    // Order axis from 0 to maxOrder by orderStep; 0 picks them so that the
    // grid has a row per spectrum line at the highest shaft speed in the map.
    double maxOrder = 0.0;
    double orderStep = 0.0;
    // Orders in the angle domain (order_map.h): the signal resampled at equal
    // shaft angles from the speed signal; one order spectrum per column.
    bool angleDomain = false;
    // Display resolution: when not 0, neighbouring columns are merged
    // (powers averaged) and neighbouring rows merged (the highest power
    // kept, so a narrow tone stays visible) down to at most these counts.
    int maxColumns = 0;
    int maxRows = 0;
    // A map whose cells would need more bytes fails with a message instead.
    size_t memoryLimit = size_t{512} << 20;

    bool operator==(const MapParams&) const = default;
};

// Large arrays of cells start on a 2 MB boundary with the kernel asked for
// huge pages there (where it has them): the first touch of a full map's
// cells then takes a few hundred page faults instead of tens of thousands,
// which on some virtual machines cost more than the spectra themselves.
void* AllocateCells(size_t bytes);  // throws std::bad_alloc
void FreeCells(void* p, size_t bytes) noexcept;

template <class T>
struct CellAllocator {
    using value_type = T;
    CellAllocator() = default;
    template <class U>
    CellAllocator(const CellAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateCells(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { FreeCells(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const CellAllocator<U>&) const noexcept {
        return true;
    }
};
using MapCells = std::vector<float, CellAllocator<float>>;

struct MapResult {
    std::string error;               // empty on success, else nothing below is filled
    bool stopped = false;            // the error is a stop that was asked for
    std::vector<std::string> notes;  // what was left out or adjusted, and why
    std::vector<double> x;           // per column: time of its middle (s of the signal's x),
                                     // or speed (bin centre when binned)
    std::string xUnit;               // "s", or the speed signal's unit
    double y0 = 0.0;                 // row r lies at y0 + r * dy
    double dy = 0.0;
    size_t rows = 0;
    std::string yUnit;        // "Hz" or "order"
    MapCells cells;           // column after column: cells[c * rows + r]
    std::vector<int> blocks;  // per column: blocks that went into it
    std::string unit;         // of the cells
    SpectralResolution resolution;

    size_t Columns() const { return x.size(); }
    float Cell(size_t column, size_t row) const { return cells[column * rows + row]; }
};

// Called now and then with the part done, 0 to 1.
using MapProgress = std::function<void(double)>;

// The map of a signal; speed is needed against speed or for orders, and
// ignored otherwise. Never throws: out of memory and bad input give a
// message. A stop seen in *stop ends the map early with stopped set.
MapResult ComputeMap(const SignalSnapshot& signal, const SignalSnapshot* speed,
                     const MapParams& params, const MapProgress& progress = {},
                     const std::atomic<bool>* stop = nullptr);

// Finished maps by the samples they came from and their parameters. A map is
// found only while both signals still hold the same arrays (SignalSnapshot::
// SameAs): any write to a signal gives it a new array first. An entry keeps
// its signals' arrays alive, so a changed signal's old samples stay in
// memory until the entry goes; Clear drops them all. Thread-safe.
class MapCache {
  public:
    explicit MapCache(size_t maxEntries = 4, size_t maxBytes = size_t{768} << 20)
        : maxEntries_(maxEntries), maxBytes_(maxBytes) {}

    std::shared_ptr<const MapResult> Find(const SignalSnapshot& signal, const SignalSnapshot* speed,
                                          const MapParams& params) const;
    // Keeps a successful map; the oldest entries go when over the limits.
    void Store(const SignalSnapshot& signal, const SignalSnapshot* speed, const MapParams& params,
               std::shared_ptr<const MapResult> map);
    void Clear();
    size_t Size() const;

  private:
    struct Entry {
        SignalSnapshot signal;
        std::optional<SignalSnapshot> speed;
        MapParams params;
        std::shared_ptr<const MapResult> map;
    };
    const size_t maxEntries_;
    const size_t maxBytes_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;  // oldest first
};

// One map at a time on a thread of its own. Start notes the signals'
// samples on the calling thread (under the host lock), so the job reads
// arrays nobody writes. Progress, Running and Result may be polled from any
// thread; done, when given, is called once the result is in (also after a
// stop or a failure): on the job's thread, or within Start for a cached map.
// Start and Stop are called from one thread (the view's); done must not
// call them (they wait for the job's thread).
class MapJob {
  public:
    explicit MapJob(std::shared_ptr<MapCache> cache = std::make_shared<MapCache>())
        : cache_(std::move(cache)) {}
    ~MapJob() { Stop(); }
    MapJob(const MapJob&) = delete;
    MapJob& operator=(const MapJob&) = delete;

    // Stops a job still running, then starts this one; a map the cache holds
    // for these samples and parameters is the result at once.
    void Start(const SignalObj& signal, const SignalObj* speed, const MapParams& params,
               std::function<void()> done = {});
    // Asks the running job to stop and waits for it.
    void Stop();
    bool Running() const { return running_.load(std::memory_order_acquire); }
    double Progress() const { return progress_.load(std::memory_order_relaxed); }
    // The last finished job's map (null before any, while one runs, and when
    // even a failure could not be reported for want of memory).
    std::shared_ptr<const MapResult> Result() const;
    MapCache& Cache() const { return *cache_; }

  private:
    void Run(const SignalSnapshot& s, const SignalSnapshot* speed, const MapParams& params,
             const std::function<void()>& done);
    void Finish(std::shared_ptr<const MapResult> map, const std::function<void()>& done);

    const std::shared_ptr<MapCache> cache_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<double> progress_{0.0};
    mutable std::mutex mutex_;  // guards result_
    std::shared_ptr<const MapResult> result_;
};

}  // namespace korvex
