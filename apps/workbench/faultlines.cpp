#include "apps/workbench/faultlines.h"

#include <cmath>
#include <map>

namespace workbench {
namespace {

std::map<int, FaultBearing>& Store() {
    static std::map<int, FaultBearing> store;
    return store;
}

}  // namespace

const FaultBearing* BearingOf(int signalId) {
    const auto it = Store().find(signalId);
    return it == Store().end() ? nullptr : &it->second;
}

void SetBearingOf(int signalId, const std::optional<FaultBearing>& b) {
    if (b)
        Store()[signalId] = *b;
    else
        Store().erase(signalId);
}

std::vector<FaultMark> FaultMarks(const FaultBearing& b, double shaftHz, double maxHz) {
    std::vector<FaultMark> out;
    if (!(shaftHz > 0) || !std::isfinite(shaftHz) || !korvex::CheckBearing(b.geometry).empty())
        return out;
    // The host's own reading order and sidebands: FTF, BPFO, BPFI, BSF read at 2 x BSF.
    const FaultFamily families[] = {FaultFamily::Ftf, FaultFamily::Bpfo, FaultFamily::Bpfi,
                                    FaultFamily::Bsf};
    const std::vector<korvex::FaultLine> lines = korvex::BearingLines(b.geometry);
    for (size_t i = 0; i < lines.size() && i < 4; ++i) {
        const korvex::FaultLine& line = lines[i];
        for (int h = 1; h <= b.harmonics; ++h) {
            const double centre = h * line.order * shaftHz;
            if (centre > maxHz) break;
            const int sidebands = line.sidebandOrder > 0 ? b.sidebands : 0;
            for (int s = -sidebands; s <= sidebands; ++s) {
                const double hz = centre + s * line.sidebandOrder * shaftHz;
                if (!(hz > 0) || hz > maxHz) continue;
                FaultMark m;
                m.family = families[i];
                m.harmonic = h;
                m.sideband = s;
                m.hz = hz;
                // The element's line is 2 x BSF: its harmonics are the even multiples.
                const int times = families[i] == FaultFamily::Bsf ? 2 * h : h;
                if (s == 0)
                    m.label = (times > 1 ? std::to_string(times) + "\u00d7" : "") + line.name;
                out.push_back(std::move(m));
            }
        }
    }
    return out;
}

}  // namespace workbench
