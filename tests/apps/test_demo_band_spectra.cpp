// The spectrum the workbench shows at a block of the demo run, integrated
// and centred as the engine was asked to, summed over each band's borders:
// the level the engine filed for that band and block, for every band.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "apps/vantrel/job.h"
#include "config/cfgproc.h"
#include "korvex/dsp/spectral.h"
#include "korvex/host.h"
#include "run_vantrel.h"
#include "test_util.h"

namespace {

// Every signal below a folder, by name.
void Collect(const korvex::FolderObj& folder,
             std::map<std::string, plat::ObjPtr<korvex::SignalObj>>& out) {
    for (const auto& e : folder.Entries()) {
        if (auto f = plat::DynamicCast<korvex::FolderObj>(e.object))
            Collect(*f, out);
        else if (auto s = plat::DynamicCast<korvex::SignalObj>(e.object))
            out[e.name] = s;
    }
}

TEST(DemoBandSpectra, ShadedBandOfTheSpectrumIsTheLevelOfEveryBand) {
    testutil::TempDir dir("demo-bands");
    ASSERT_EQ(testutil::Vantrel({"demo", "--out", dir.path(), "--quiet"}).code, 0);
    vantrel::JobOptions o;
    o.dataPath = dir.Path("sample/gearbox.quor");
    o.configPath = dir.Path("config/gearbox.cfg");
    o.bandFrequencies = true;
    int checked = 0, integrated = 0;
    o.afterCalculation = [&](korvex::Host& host, CCfgProc& cfg, vantrel::Console&) {
        for (const std::string& name : {std::string("Acc1"), std::string("Acc2")}) {
            const CfgChannel& ch = *cfg.channels.at(name);
            const CfgFftOpt& fft = ch.EffectiveFftOpt();
            korvex::SpectrumParams p;
            p.n = fft.nPoints;
            p.window = fft.iWindow;
            p.removeMean = fft.bMO;
            p.overlap = 100.0 * (fft.nPoints - fft.nOffset) / fft.nPoints;
            const auto src = host.FindSignal("/Signals/gearbox/" + name);
            const auto folder = host.FindFolder("/Signals/Результаты/gearbox/" + name);
            EXPECT_TRUE(src && folder);
            if (!src || !folder) return 3;
            std::map<std::string, plat::ObjPtr<korvex::SignalObj>> sigs;
            Collect(*folder, sigs);
            for (const auto& [id, opt] : ch.signalOpts) {
                const CCfgProcItem* item = cfg.FindItemById(id);
                if (!opt.bEnabled || !item || item->type < CfgItemTacho) continue;
                // An amplitude or peak-to-peak level is the RMS times sqrt 2 or 2 sqrt 2.
                const double factor = opt.valtype == 1   ? std::sqrt(2.0)
                                      : opt.valtype == 2 ? 2 * std::sqrt(2.0)
                                                         : 1.0;
                const auto level = sigs[name + "." + item->name];
                const auto lo = sigs[item->name + ".lo"], hi = sigs[item->name + ".hi"];
                EXPECT_TRUE(level && lo && hi) << item->name;
                if (!level || !lo || !hi) continue;
                p.integrate = opt.integr;
                integrated += opt.integr > 0;
                const auto v = level->Samples(), a = lo->Samples(), b = hi->Samples();
                for (size_t k = 5; k < v.size(); k += 97) {
                    const double t = level->StartX() + level->StepX() * static_cast<double>(k);
                    const korvex::Spectrum s = korvex::SpectrumAt(*src, t, p);
                    EXPECT_EQ(s.error, "");
                    EXPECT_NEAR(korvex::BandRms(s, a[k], b[k]) * factor, v[k],
                                std::fabs(v[k]) * 1e-9)
                        << name << " " << item->name << " at " << t;
                    ++checked;
                }
            }
        }
        return 0;
    };
    std::ostringstream out, err;
    vantrel::Console console{out, err, false, false};
    ASSERT_EQ(vantrel::RunJob(o, console), 0) << err.str();
    EXPECT_GT(checked, 100);
    EXPECT_GT(integrated, 4);  // the bands in mm/s and um
}

}  // namespace
