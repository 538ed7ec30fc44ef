// The warning for tacho channels whose pulses never cross the trigger levels.

#include "apps/vantrel/tacho_check.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "korvex/dsp/dsp.h"
#include "korvex/host.h"
#include "korvex/objects.h"
#include "processing/strings.h"

namespace vantrel {

namespace {

std::string Num(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("?");
}

// The operator's keys as the engine sets them for the channel.
korvex::OperatorParams TachoParams(const CfgTahoOpt& o) {
    korvex::OperatorParams p;
    p.Parse(ordstr::kTachoParams);
    p.Set("typeAxesX", o.typeAxY);
    p.Set("deltaF", o.deltaF);
    p.Set("LevelLo", o.levelLo);
    p.Set("LevelHi", o.levelHi);
    p.Set("coefTaho", o.coefTaho);
    p.Set("flagFront", o.flagFront);
    p.Set("flagAbsOtn", o.flagAbsOtn);
    p.Set("flagRepair", o.flagRepair);
    p.Set("dPNTwide", o.dPNTwide);
    p.Set("fracDouble", o.fracDouble);
    p.Set("fracExtra", o.fracExtra);
    p.Set("fracMissing", o.fracMissing);
    p.Set("nRevSmooth", o.nRevSmooth);
    return p;
}

std::string LevelsText(const CfgTahoOpt& o, std::span<const double> y) {
    const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
    std::string text = "levels " + Num(o.levelLo) + " and " + Num(o.levelHi);
    text += o.flagAbsOtn != 0 ? " % of the signal's range " : " (absolute), the signal spanning ";
    text += Num(*lo) + " to " + Num(*hi);
    return text;
}

}  // namespace

int WarnTachoWithoutEdges(const korvex::Host& host, const CCfgProc& cfg, std::ostream& err) {
    int warnings = 0;
    const std::string folder = std::string(ordstr::kSignalsRoot) + cfg.srcFileKorvex + "/";
    for (const std::string& name : cfg.channelNames) {
        const CfgChannel* ch = cfg.Channel(name);
        if (!ch || ch->type != CfgChannelTacho) continue;
        const plat::ObjPtr<korvex::SignalObj> sig = host.FindSignal(folder + name);
        if (!sig) continue;
        // Read where they lie: a long recording is not copied for a check.
        const korvex::Lock lock = host.LockTree();
        const korvex::SampleBuffer& y = sig->SamplesLocked();
        const CfgTahoOpt& opt = ch->EffectiveTahoOpt();
        korvex::TachoResult r;
        int status;
        {
            const korvex::SampleBuffer::WalkGuard walk = y.WalkAll();  // megabytes at a time
            status = korvex::Tacho(y, sig->StartXLocked(), sig->StepXLocked(), TachoParams(opt), r);
        }
        y.DoneWithAll();
        // Failures (bad options or samples) are the engine's to report.
        if (status != 0) continue;
        if (r.state == korvex::kDspNoUsablePulses || r.state == korvex::kDspPulsesTooFast) {
            err << "vantrel: warning: tacho channel \"" << name << "\": " << r.note << "\n";
            ++warnings;
            continue;
        }
        if (r.state != korvex::kDspNoEdges && r.state != korvex::kDspOneEdge) continue;
        err << "vantrel: warning: tacho channel \"" << name
            << "\": " << (r.state == korvex::kDspNoEdges ? "no edges found" : "a single edge found")
            << " between the " << LevelsText(opt, y) << "; its rotation frequency reads 0\n";
        ++warnings;
    }
    return warnings;
}

}  // namespace vantrel
