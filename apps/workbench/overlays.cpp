// Strips of a folder, overlay curves in a map's axes, a time at a speed, label placement.

#include "apps/workbench/overlays.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "korvex/dsp/envelope.h"

namespace workbench {

double HertzPerUnit(const std::string& unit) {
    if (unit == "rpm" || unit == "1/min") return 1.0 / 60.0;
    if (unit == "kHz") return 1000.0;
    return 1.0;
}

std::vector<Strip> PairStrips(std::span<const NamedSignal> signals) {
    std::map<std::string, int> byName;
    for (const NamedSignal& s : signals) byName.emplace(s.name, s.id);
    std::vector<Strip> out;
    for (const NamedSignal& s : signals) {
        const std::string suffix = ".lo";
        if (s.name.size() <= suffix.size() ||
            s.name.compare(s.name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        Strip st;
        st.label = s.name.substr(0, s.name.size() - suffix.size());
        st.lo = s.id;
        auto hi = byName.find(st.label + ".hi");
        if (hi == byName.end()) continue;
        st.hi = hi->second;
        if (auto mid = byName.find(st.label + ".mid"); mid != byName.end()) st.mid = mid->second;
        out.push_back(std::move(st));
    }
    return out;
}

std::vector<Strip> FindStrips(const korvex::Host& host, const std::string& folderPath) {
    std::vector<Strip> out;
    auto root = host.FindFolder(folderPath);
    if (!root) return out;
    korvex::Lock lock = host.LockTree();
    std::function<void(const korvex::FolderObj&)> walk = [&](const korvex::FolderObj& f) {
        std::vector<NamedSignal> here;
        std::vector<plat::ObjPtr<korvex::FolderObj>> subs;
        for (size_t i = 0; i < f.CountLocked(); ++i) {
            const korvex::FolderObj::Entry e = f.EntryLocked(i);
            if (auto s = plat::DynamicCast<korvex::SignalObj>(e.object))
                here.push_back({e.name, s->Id()});
            else if (auto sub = plat::DynamicCast<korvex::FolderObj>(e.object))
                subs.push_back(sub);
        }
        for (Strip& s : PairStrips(here)) out.push_back(std::move(s));
        for (const auto& sub : subs) walk(*sub);
    };
    walk(*root);
    return out;
}

double Series::At(double t) const {
    return korvex::SampleAt(y, x0, dx, t) * toHz;
}

std::vector<MapPoint> MapCurve(const Series& f, const MapAxes& axes, int points) {
    std::vector<MapPoint> out;
    if (points < 2 || !(axes.t1 > axes.t0) || f.y.empty()) return out;
    const bool needSpeed = axes.x == korvex::MapAxisX::Speed || axes.y == korvex::MapAxisY::Order;
    if (needSpeed && (!axes.speed || axes.speed->y.empty())) return out;
    out.reserve(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        const double t = axes.t0 + (axes.t1 - axes.t0) * i / (points - 1);
        MapPoint p;
        const double hz = f.At(t);
        const double raw =
            needSpeed ? korvex::SampleAt(axes.speed->y, axes.speed->x0, axes.speed->dx, t) : 0.0;
        p.x = axes.x == korvex::MapAxisX::Time ? t : raw;
        if (axes.y == korvex::MapAxisY::Frequency) {
            p.y = hz;
        } else {
            const double shaft = raw * axes.speed->toHz;
            p.y = shaft > 0 ? hz / shaft : NAN;
        }
        out.push_back(p);
    }
    return out;
}

double TimeOfSpeed(const Series& speed, double value, double t0, double t1,
                   korvex::SpeedDirection direction) {
    const auto& y = speed.y;
    if (y.empty() || !(speed.dx > 0)) return NAN;
    const double last = static_cast<double>(y.size() - 1);
    const size_t a =
        static_cast<size_t>(std::clamp(std::floor((t0 - speed.x0) / speed.dx), 0.0, last));
    const size_t b =
        static_cast<size_t>(std::clamp(std::ceil((t1 - speed.x0) / speed.dx), 0.0, last));
    double best = NAN, bestDist = INFINITY;
    for (size_t i = a; i <= b; ++i) {
        const double rise = y[std::min(i + 1, y.size() - 1)] - y[i > 0 ? i - 1 : 0];
        if ((direction == korvex::SpeedDirection::Rising && rise < 0) ||
            (direction == korvex::SpeedDirection::Falling && rise > 0))
            continue;
        const double d = std::fabs(y[i] - value);
        if (d < bestDist) {
            bestDist = d;
            best = speed.x0 + speed.dx * static_cast<double>(i);
        }
    }
    return std::isfinite(best) ? std::clamp(best, t0, t1) : best;
}

std::vector<std::vector<MapPoint>> BandPolygons(std::span<const MapPoint> lo,
                                                std::span<const MapPoint> hi) {
    std::vector<std::vector<MapPoint>> out;
    const size_t n = std::min(lo.size(), hi.size());
    auto ok = [&](size_t i) {
        return std::isfinite(lo[i].x) && std::isfinite(lo[i].y) && std::isfinite(hi[i].x) &&
               std::isfinite(hi[i].y);
    };
    size_t i = 0;
    while (i < n) {
        while (i < n && !ok(i)) ++i;
        const size_t start = i;
        while (i < n && ok(i)) ++i;
        if (i - start < 2) continue;
        std::vector<MapPoint> poly(lo.begin() + static_cast<std::ptrdiff_t>(start),
                                   lo.begin() + static_cast<std::ptrdiff_t>(i));
        for (size_t k = i; k-- > start;) poly.push_back(hi[k]);
        out.push_back(std::move(poly));
    }
    return out;
}

namespace {

bool Overlaps(const Box& a, const Box& b) {
    return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

}  // namespace

LabelPlacement PlaceLabels(std::span<const LabelWish> wishes, double height, const Box& area,
                           std::span<const Box> obstacles, int maxRows) {
    LabelPlacement out;
    out.labels.resize(wishes.size());
    std::vector<size_t> order(wishes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return wishes[a].x < wishes[b].x; });
    std::vector<Box> taken(obstacles.begin(), obstacles.end());
    auto free = [&](const Box& b) {
        for (const Box& t : taken)
            if (Overlaps(b, t)) return false;
        return true;
    };
    const double top = area.y, bottom = std::max(area.y, area.Bottom() - height);
    for (size_t i : order) {
        const LabelWish& w = wishes[i];
        PlacedLabel& p = out.labels[i];
        const double y0 = std::clamp(w.y, top, bottom);
        for (int pass = 0; pass < 2 && !p.shown; ++pass) {
            const double width = pass == 0 ? w.width : w.shortWidth;
            if (!(width > 0) || width > area.w) continue;
            const double x = std::clamp(w.x, area.x, area.Right() - width);
            // Rows below the wish, then above it when the bottom is reached.
            int down = 0, up = 1;
            for (int k = 0; k < maxRows && !p.shown; ++k) {
                double y = y0 + down * height;
                if (y > bottom)
                    y = y0 - up++ * height;
                else
                    ++down;
                if (y < top) break;
                const Box b{x, y, width, height};
                if (!free(b)) continue;
                p = {true, pass == 1, b};
                taken.push_back(b);
            }
        }
        if (!p.shown) ++out.omitted;
    }
    return out;
}

}  // namespace workbench
