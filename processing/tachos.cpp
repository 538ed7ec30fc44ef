// The tacho phase: rotation-frequency signals from tacho and revolution
// channels, and the tacho table that binds tacho items to them.

#include <climits>
#include <cmath>
#include <set>
#include <vector>

#include "config/cfgproc.h"
#include "processing/ordprocessing.h"

namespace {

// Samples per tacho analysis block, 0 when the options give none (a
// resolution coarser than the sampling, or a non-finite one).
int64_t TachoBlockPoints(double dt, double deltaF) {
    const double points = 1.0 / (dt * deltaF) + 0.5;
    if (!(points >= 1.0)) return 0;
    if (points >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int64_t>(points);
}

}  // namespace

void COrdProcessing::StripSuffix(std::string& name, std::string_view suffix) {
    if (name.empty() || suffix.empty()) return;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return;
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos && dot < slash) return;
    const size_t found = name.find(suffix, dot);
    if (found == std::string::npos) return;
    long long p = static_cast<long long>(found);
    if (suffix.front() != '.') --p;
    if (p < 0) return;
    name.resize(static_cast<size_t>(p));
}

bool COrdProcessing::ComputeTachos() {
    host::Operator op = app_.GetOperator(std::string(ordstr::kVibroOpersRoot) + ordstr::kTacho);
    if (!op) {
        SetCode(OrdResultNoTacho);
        return false;
    }
    op.SetParameters(ordstr::kTachoParams);
    CopyRevolutionSignals();

    const std::string tachoFolder = resultFolder_ + ordstr::kTachoFolder;
    bool stopped = false;
    for (const std::string& name : cfg_->channelNames) {
        if (StopSeen()) {
            stopped = true;
            break;
        }
        const CfgChannel* ch = cfg_->Channel(name);
        if (!ch || ch->type != CfgChannelTacho) continue;
        auto it = signals_.find(name);
        if (it == signals_.end()) continue;
        const host::Signal src = it->second;
        const double dt = src.StepX();
        if (!(dt > 0.0)) continue;

        const CfgTahoOpt& opt = ch->EffectiveTahoOpt();
        op.SetParameter("typeAxesX", static_cast<double>(opt.typeAxY));
        op.SetParameter("deltaF", opt.deltaF);
        op.SetParameter("LevelLo", opt.levelLo);
        op.SetParameter("LevelHi", opt.levelHi);
        op.SetParameter("coefTaho", opt.coefTaho);
        op.SetParameter("flagFront", static_cast<double>(opt.flagFront));
        op.SetParameter("flagAbsOtn", static_cast<double>(opt.flagAbsOtn));
        // The repair keys on every channel: the operator keeps the last ones set.
        op.SetParameter("flagRepair", static_cast<double>(opt.flagRepair));
        op.SetParameter("dPNTwide", opt.dPNTwide);
        op.SetParameter("fracDouble", opt.fracDouble);
        op.SetParameter("fracExtra", opt.fracExtra);
        op.SetParameter("fracMissing", opt.fracMissing);
        op.SetParameter("nRevSmooth", opt.nRevSmooth);

        if (notify_) {
            const int64_t blockPoints = TachoBlockPoints(dt, opt.deltaF);
            notify_->BeginChannel(name, CfgChannelTacho);
            notify_->SetStepCount(blockPoints > 0 ? static_cast<int>(src.PointCount() / blockPoints)
                                                  : 0);
        }

        // On a cut of the whole channel, as the blocks of the spectra are:
        // the host then runs the operator without its lock, and a long
        // channel's curve no longer holds up every other caller of the host.
        const host::Signal whole = src.CopyRange(0, src.PointCount());
        plat::DispPtr out;
        op.RunOperator(whole ? whole.Disp() : src.Disp(), out);
        if (out) {
            host::Signal taho(std::move(out));
            const std::string tahoName = src.Name() + ordstr::kTachoSuffix;
            taho.SetName(tahoName);
            signals_[tahoName] = taho;
            app_.AddSignal(tachoFolder, tahoName, taho);
            app_.UpdateViews();
        } else {
            op.GetOperatorState();
        }
        if (notify_) notify_->ChannelDone();
    }

    std::vector<CCfgProcItem*> items;
    cfg_->CollectByType(items, CfgItemTacho);
    for (const CCfgProcItem* item : items) {
        std::string name = static_cast<const CCfgProcTaho*>(item)->tachoChannel;
        StripSuffix(name, ordstr::kGradSuffix);
        if (signals_.count(name)) tachos_[item->id] = TachoEntry{name, 0.0};
    }
    // A stopped run goes no further: the caller skips the spectrum phase.
    return !stopped;
}

void COrdProcessing::CopyRevolutionSignals() {
    std::vector<CCfgProcItem*> items;
    cfg_->CollectByType(items, CfgItemTacho);
    const std::string tachoFolder = resultFolder_ + ordstr::kTachoFolder;
    // Several tacho items may name one channel; it is filed once.
    std::set<std::string> copied;
    for (const CCfgProcItem* item : items) {
        std::string name = static_cast<const CCfgProcTaho*>(item)->tachoChannel;
        StripSuffix(name, ordstr::kGradSuffix);
        auto it = signals_.find(name);
        if (it == signals_.end() || !copied.insert(name).second) continue;
        host::Signal copy = it->second.CopyRange(0, it->second.PointCount());
        if (copy) app_.AddSignal(tachoFolder, name, copy);
    }
    app_.UpdateViews();
}
