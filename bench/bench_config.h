#pragma once
// The benchmarks' frequency base: one shaft tacho item and 40 bands (20
// tracking orders, 20 fixed bands of 250 Hz from 10 Hz to 5 kHz, the lowest
// four optionally integrated), evaluated on measuring channels "Ch1".."ChN"
// beside the tacho channel "Tacho".

#include <memory>
#include <string>
#include <vector>

#include "config/cfgproc.h"

namespace bench {

struct BandDef {
    bool tracking;
    double a, b;  // order (tracking) or borders in Hz (fixed)
    int integr;
};

inline std::vector<BandDef> Bands(bool integrateLowest) {
    std::vector<BandDef> bands;
    const double orders[20] = {0.5, 1,    1.5,  2,    2.5, 3,  4,  5,  6,  8,
                               10,  2.32, 3.57, 5.43, 21,  22, 23, 24, 25, 46};
    for (double k : orders) bands.push_back({true, k, 0, 0});
    for (int i = 0; i < 20; ++i)
        bands.push_back(
            {false, i == 0 ? 10.0 : 250.0 * i, 250.0 * (i + 1), integrateLowest && i < 4 ? 1 : 0});
    return bands;
}

inline void Configure(CCfgProc& cfg, const std::vector<BandDef>& bands, const char* shaft,
                      const CfgFftOpt& fft, int channels) {
    cfg.Reset();
    auto section = std::make_unique<CCfgProcSection>();
    section->name = "Bench";
    auto tacho = std::make_unique<CCfgProcTaho>();
    tacho->name = shaft;
    tacho->tachoChannel = "Tacho.taho";
    tacho->bandWidth.tachoRef = shaft;
    section->Append(std::move(tacho));
    std::vector<int32_t> ids;
    for (size_t i = 0; i < bands.size(); ++i) {
        std::unique_ptr<CCfgProcItem> item;
        if (bands[i].tracking) {
            auto t = std::make_unique<CCfgProcBandTrack>();
            t->components.push_back({shaft, -1, bands[i].a});
            t->bandWidth.tachoRef = shaft;
            item = std::move(t);
        } else {
            auto f = std::make_unique<CCfgProcBandFix>();
            f->bandStart = bands[i].a;
            f->bandStop = bands[i].b;
            item = std::move(f);
        }
        item->name = "B" + std::to_string(i);
        ids.push_back(section->Append(std::move(item))->id);
    }
    cfg.sections.push_back(std::move(section));
    cfg.ResolveRefs(nullptr);

    DefaultFftOpt() = fft;
    auto tachoChannel = std::make_unique<CfgChannel>();
    tachoChannel->type = CfgChannelTacho;
    cfg.channels["Tacho"] = std::move(tachoChannel);
    for (int c = 0; c < channels; ++c) {
        auto ch = std::make_unique<CfgChannel>();
        ch->check = true;
        for (size_t i = 0; i < bands.size(); ++i) {
            CfgSignalOpt o;
            o.name = "B" + std::to_string(i);
            o.itemId = ids[i];
            o.integr = bands[i].integr;
            o.bEnabled = true;
            ch->signalOpts[ids[i]] = o;
        }
        cfg.channels["Ch" + std::to_string(c + 1)] = std::move(ch);
    }
}

}  // namespace bench
