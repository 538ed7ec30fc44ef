// The map cache and the thread a long map runs on.

#include <exception>

#include "korvex/dsp/spectralmap.h"

namespace korvex {

namespace {

bool SameSpeed(const std::optional<SignalSnapshot>& kept, const SignalSnapshot* asked) {
    if (!kept || !asked) return !kept && !asked;
    return kept->SameAs(*asked);
}

size_t Bytes(const MapResult& m) {
    return m.cells.size() * sizeof(float) + m.x.size() * sizeof(double);
}

}  // namespace

std::shared_ptr<const MapResult> MapCache::Find(const SignalSnapshot& signal,
                                                const SignalSnapshot* speed,
                                                const MapParams& params) const {
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_)
        if (e.params == params && e.signal.SameAs(signal) && SameSpeed(e.speed, speed))
            return e.map;
    return nullptr;
}

void MapCache::Store(const SignalSnapshot& signal, const SignalSnapshot* speed,
                     const MapParams& params, std::shared_ptr<const MapResult> map) {
    if (!map || !map->error.empty() || maxEntries_ == 0) return;
    std::vector<Entry> dropped;  // their arrays are let go after unlocking
    std::lock_guard lock(mutex_);
    // Entries of the same signal and parameters whose samples have changed
    // since are of no further use.
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->signal.id == signal.id && it->params == params) {
            dropped.push_back(std::move(*it));
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    Entry e{signal, std::nullopt, params, std::move(map)};
    if (speed) e.speed = *speed;
    entries_.push_back(std::move(e));
    size_t bytes = 0;
    for (const Entry& k : entries_) bytes += Bytes(*k.map);
    while (entries_.size() > 1 && (entries_.size() > maxEntries_ || bytes > maxBytes_)) {
        bytes -= Bytes(*entries_.front().map);
        dropped.push_back(std::move(entries_.front()));
        entries_.erase(entries_.begin());
    }
}

void MapCache::Clear() {
    std::vector<Entry> dropped;
    std::lock_guard lock(mutex_);
    dropped.swap(entries_);
}

size_t MapCache::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void MapJob::Start(const SignalObj& signal, const SignalObj* speed, const MapParams& params,
                   std::function<void()> done) {
    Stop();
    SignalSnapshot s = SignalSnapshot::Of(signal);
    std::optional<SignalSnapshot> v;
    if (speed) v = SignalSnapshot::Of(*speed);
    {
        std::lock_guard lock(mutex_);
        result_.reset();
    }
    progress_.store(0.0, std::memory_order_relaxed);
    if (auto cached = cache_->Find(s, v ? &*v : nullptr, params)) {
        progress_.store(1.0, std::memory_order_relaxed);
        Finish(std::move(cached), done);
        return;
    }
    stop_.store(false, std::memory_order_relaxed);
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, s = std::move(s), v = std::move(v), params, done] {
            Run(s, v ? &*v : nullptr, params, done);
        });
    } catch (const std::exception&) {
        auto failed = std::make_shared<MapResult>();
        failed->error = "no thread could be started for the map";
        Finish(std::move(failed), done);
    }
}

void MapJob::Run(const SignalSnapshot& s, const SignalSnapshot* speed, const MapParams& params,
                 const std::function<void()>& done) {
    std::shared_ptr<MapResult> map;
    try {
        map = std::make_shared<MapResult>(ComputeMap(
            s, speed, params,
            [this](double part) { progress_.store(part, std::memory_order_relaxed); }, &stop_));
        if (map->error.empty()) {
            progress_.store(1.0, std::memory_order_relaxed);
            cache_->Store(s, speed, params, map);
        }
    } catch (const std::exception&) {
        map.reset();  // out of memory for the result's frame itself: no map
    }
    Finish(std::move(map), done);
}

void MapJob::Finish(std::shared_ptr<const MapResult> map, const std::function<void()>& done) {
    {
        std::lock_guard lock(mutex_);
        result_ = std::move(map);
    }
    running_.store(false, std::memory_order_release);
    if (done) done();
}

void MapJob::Stop() {
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const MapResult> MapJob::Result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

}  // namespace korvex
