// The spectrum phase and the band arithmetic: blocks of every measuring
// channel go through the host's autospectrum operator, and each selected
// frequency item's level in each spectrum becomes one point of its result
// signal.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "config/cfgproc.h"
#include "config/limits.h"
#include "platform/keyvalue.h"
#include "platform/numtext.h"
#include "processing/ordprocessing.h"

namespace {

constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kTwoSqrt2 = 2.8284271247461903;
constexpr double kGravity = 9.80665;
constexpr double kTwoPiSquared = 39.47841760435743;

// Quantity codes (axis code 1, 1) and unit codes (2, 1) touched by integration.
constexpr uint64_t kQuantityAcceleration = 80;
constexpr uint64_t kQuantityVelocity = 70;
constexpr uint64_t kQuantityDisplacement = 20;
constexpr uint64_t kUnitMillimetrePerSecond = 0x00000003FD001401ull;
constexpr uint64_t kUnitMicrometre = 0x0000000DFA000A01ull;
constexpr uint64_t kUnitGHigh = 1;
constexpr uint64_t kUnitGLow = 0x150F;
// Families (high half of a unit code) and the rotation speed in rpm.
constexpr uint64_t kFamilyAcceleration = 1;
constexpr uint64_t kFamilyVelocity = 3;
constexpr uint64_t kUnitRpm = 0x000000220000030Full;
// Band borders are frequencies in hertz.
constexpr uint64_t kQuantityFrequency = 2;
constexpr uint64_t kUnitHertz = 0x0000002100000201ull;

// Spectrum lines beyond this are never asked for; it keeps the line
// arithmetic of absurd borders inside the integers.
constexpr double kLineLimit = 1e15;

int64_t IntegerPart(double v) {
    return static_cast<int64_t>(std::clamp(v, -kLineLimit, kLineLimit));
}

// One enabled frequency item of a channel with the signal receiving its
// levels and, when asked for, those receiving its borders and centre.
struct BandJob {
    const CCfgProcItem* item;
    host::Signal signal;
    int valtype;
    int integr;
    host::Signal lower, upper, centre;
};

// What a point holds when no block measured it (a source shorter than one
// block, a failed spectrum, an item that is off): not a number, which no
// reader can take for a measured level.
constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();

// Fills every point of the channel's result signals that no block wrote.
void MarkUnmeasured(const COrdProcessing::ResultTable& results, const std::vector<BandJob>& jobs,
                    int blocks);

bool MovingCentre(const CCfgProcItem& item) {
    return item.type == CfgItemTrackingBand || item.type == CfgItemTacho;
}

}  // namespace

double COrdProcessing::IntegratePower(double y, double f, int integr, uint64_t unitCode) {
    if (integr <= 0 || !(f > 0.0)) return y;
    if ((unitCode >> 32) == kUnitGHigh && (unitCode & 0xFFFFFFFFull) == kUnitGLow)
        y *= kGravity * kGravity;
    const double w = f * f * kTwoPiSquared;
    return integr == 2 ? y / w / w : y / w;
}

double COrdProcessing::IntegrationScale(int integr, uint64_t unitCode) {
    if (integr != 1 && integr != 2) return 1.0;
    const uint64_t family = unitCode >> 32;
    // Byte 3 of the low half: the signed decimal exponent of the prefix.
    const int prefix = static_cast<int8_t>(static_cast<uint8_t>((unitCode >> 24) & 0xFF));
    // Exponent of the labelled unit relative to the source's base unit:
    // acceleration once gives mm/s (1e3), velocity once and acceleration
    // twice give um (1e6).
    int exponent = 0;
    if (family == kFamilyAcceleration)
        exponent = integr == 1 ? 3 : 6;
    else if (family == kFamilyVelocity && integr == 1)
        exponent = 6;
    else
        return integr == 1 ? 1000.0 : 1000000.0;
    return std::pow(10.0, exponent + prefix);
}

double COrdProcessing::HertzPerUnit(uint64_t unitCode) {
    return unitCode == kUnitRpm ? 1.0 / 60.0 : 1.0;
}

OrdBand COrdProcessing::BandBorders(const CCfgProcItem* item, double df) const {
    OrdBand band;
    if (!item) return band;
    const CfgBandWidth* rule = nullptr;
    if (item->type == CfgItemFixedBand) {
        const auto* fix = static_cast<const CCfgProcBandFix*>(item);
        band.lower = fix->bandStart;
        band.upper = fix->bandStop;
        band.centre = (band.lower + band.upper) * 0.5;
        return band;
    }
    if (item->type == CfgItemTrackingBand) {
        const auto* track = static_cast<const CCfgProcBandTrack*>(item);
        for (const CfgBandComponent& c : track->components) {
            double hz = 0.0;
            // Without a rotation frequency the factor is read as hertz.
            band.centre += TachoFrequency(c.tachoRefId, hz) ? c.factor * hz : c.factor;
        }
        rule = &track->bandWidth;
    } else if (item->type == CfgItemTacho) {
        rule = &static_cast<const CCfgProcTaho*>(item)->bandWidth;
        TachoFrequency(rule->tachoRefId, band.centre);
    } else {
        return band;
    }

    double w = 0.0;
    double f = 0.0;
    if (TachoFrequency(rule->tachoRefId, f)) {
        if (rule->relativeBorders) {
            w = f * rule->percentValue / 100.0;
            band.minLines = rule->inFftBins ? rule->fftBinsValue : 0;
        } else {
            w = rule->inFftBins ? rule->fftBinsValue * df : rule->physicalValue;
        }
    }
    band.lower = band.centre - w;
    band.upper = band.centre + w;
    return band;
}

bool COrdProcessing::BandLevel(const host::Signal& spectrum, const CCfgProcItem* item, int valtype,
                               int integr, uint64_t unitCode, double& level, OrdBand* summed,
                               const SpectrumLines* lines) const {
    level = 0.0;
    if (summed) *summed = OrdBand{kNotMeasured, kNotMeasured, kNotMeasured, 0};
    if (!spectrum || !item) return false;
    const bool bulk = lines && lines->valid;
    const double df = bulk ? lines->df : spectrum.StepX();
    // A spectrum without a line spacing has no line in any band.
    if (!(df > 0.0) || !std::isfinite(df)) return true;
    const OrdBand band = BandBorders(item, df);
    if (summed) summed->centre = band.centre;
    // An unknown border (a rotation frequency that is not a number) covers no line.
    if (std::isnan(band.lower) || std::isnan(band.upper)) return true;

    int64_t a = IntegerPart(band.lower / df + 0.5);
    if (static_cast<double>(a) * df > band.lower) --a;
    int64_t b = IntegerPart(band.upper / df + 0.5);
    if (band.upper > static_cast<double>(b) * df) ++b;
    if (band.minLines > 0 && b - a < band.minLines) {
        const int64_t h = (band.minLines - (b - a) + 1) / 2;
        a -= h;
        b += h;
    }
    const int64_t count = bulk ? static_cast<int64_t>(lines->y.size()) : spectrum.PointCount();
    if (!(a < count && b > 0)) return true;
    a = std::max<int64_t>(a, 1);  // line 0 holds the mean, never a band
    b = std::min<int64_t>(b, count - 1);
    if (summed && a <= b) {
        summed->lower = static_cast<double>(a) * df;
        summed->upper = static_cast<double>(b) * df;
    }

    static const std::string rmsCoefKey = ordstr::kRmsCoefAttr;
    const plat::Variant coefValue = bulk ? plat::Variant() : spectrum.GetAttributeValue(rmsCoefKey);
    std::string converted;
    std::string_view coefText = bulk ? std::string_view(lines->coefText) : coefValue.TextView();
    if (!bulk && coefValue.Type() != plat::VarType::Text) coefText = converted = coefValue.AsText();
    // The spectra of a channel carry one coefficient text: it is read as a
    // number once, not once per band and block.
    thread_local std::string lastCoefText;
    thread_local double lastCoef = 1.0;
    if (coefText != lastCoefText) {
        lastCoef = coefText.empty() ? 1.0 : plat::AtoF(coefText);
        lastCoefText = coefText;
    }
    double k = lastCoef;
    if (valtype == 1) k *= kSqrt2;
    if (valtype == 2) k *= kTwoSqrt2;

    double sum = 0.0;
    if (bulk) {
        // The same sum in the same order; a line's frequency as the host gives it.
        for (int64_t i = a; i <= b; ++i) {
            const double y = lines->y[static_cast<size_t>(i)];
            sum += integr <= 0 ? y
                               : IntegratePower(y, lines->x0 + lines->df * static_cast<int>(i),
                                                integr, unitCode);
        }
        level = std::sqrt(std::max(sum, 0.0)) * k * IntegrationScale(integr, unitCode);
        return true;
    }
    // Separate statements: the host is asked for the power, then the
    // frequency, which only an integrating band uses.
    for (int64_t i = a; i <= b; ++i) {
        const int line = static_cast<int>(i);
        const double y = spectrum.GetY(line);
        const double x = spectrum.GetX(line);
        sum += integr <= 0 ? y : IntegratePower(y, x, integr, unitCode);
    }
    level = std::sqrt(std::max(sum, 0.0)) * k * IntegrationScale(integr, unitCode);
    return true;
}

namespace {

// The border signals of an item, in the band-frequency folder mirroring the
// item's own folder.
template <class Make>
COrdProcessing::BorderSignals BorderSignalsOf(const CCfgProcItem& item, Make& make) {
    COrdProcessing::BorderSignals b;
    b.folder = ordstr::kBandFrequencyFolder;
    if (item.parent && item.parent->type == CfgItemFolder) b.folder += item.parent->name + "/";
    auto hertz = [&](const char* suffix) {
        host::Signal sig = make(item.name + suffix);
        if (sig) {
            sig.SetAxisCode(1, 1, kQuantityFrequency);
            sig.SetAxisCode(2, 1, kUnitHertz);
        }
        return sig;
    };
    b.lower = hertz(".lo");
    b.upper = hertz(".hi");
    if (MovingCentre(item)) b.centre = hertz(".mid");
    return b;
}

// The limits and zone boundaries the graphs of a level draw; empty when
// the channel sets none for the item, so such a level has no attribute.
std::string LimitLines(const CCfgProcItem& item, const CfgSignalOpt& opt, MachineClass cls,
                       const std::string& unit) {
    std::string text;
    auto line = [&](double y, const char* colour, const char* style, const char* label) {
        if (std::isfinite(y))
            text += plat::ShortestText(y) + ";" + colour + ";" + style + ";" + label + "\n";
    };
    if (cls != MachineClass::None && ZonesApply(item, opt, unit)) {
        const ZoneBounds b = ZoneBoundsOf(cls);
        line(b.ab, "#6a9a6a", "dash", "A/B");
        line(b.bc, "#a09a40", "dash", "B/C");
        line(b.cd, "#c07040", "dash", "C/D");
    }
    line(opt.alert, "#c87800", "solid", ordstr::kAlertLine);
    line(opt.danger, "#c80000", "solid", ordstr::kDangerLine);
    return text;
}

}  // namespace

void COrdProcessing::CreateResultSignals(ResultTable& table, const host::Signal& src,
                                         const CfgChannel& channel, int n, int s) const {
    if (n <= 0 || s <= 0) return;
    const std::string srcName = src.Name();
    const double startTime = src.GetStartTime();
    const double startX = src.StartX();
    const double stepX = src.StepX();
    const int points = src.PointCount();
    const uint64_t codeX0 = src.GetAxisCode(1, 0);
    const uint64_t unitX0 = src.GetAxisCode(2, 0);
    const uint64_t quantity = src.GetAxisCode(1, 1);
    const uint64_t unit = src.GetAxisCode(2, 1);
    const std::string text5 = src.Text5();

    // A source shorter than one block by s or more has no point to give.
    const int64_t resultPoints = (static_cast<int64_t>(points) - n) / s + 1;
    if (resultPoints < 1) return;

    // A result signal on the blocks' time axis.
    auto make = [&](const std::string& name) {
        host::Signal sig = app_.NewSignal();
        if (!sig) return sig;
        sig.SetStartTime(startTime);
        sig.SetStartX(startX + n * stepX * 0.5);
        sig.SetStepX(s * stepX);
        sig.SetPointCount(static_cast<int>(resultPoints));
        sig.SetName(name);
        sig.SetText5(text5);
        sig.SetAttribute(ordstr::kSourceAttr, srcName);
        sig.SetAxisCode(1, 0, codeX0);
        sig.SetAxisCode(2, 0, unitX0);
        return sig;
    };
    for (const auto& [itemId, opt] : channel.signalOpts) {
        if (!opt.bEnabled) continue;
        const CCfgProcItem* item = cfg_->FindItemById(itemId);
        if (!item || item->type < CfgItemTacho) continue;

        host::Signal sig = make(srcName + "." + item->name);
        if (!sig) continue;
        uint64_t newQuantity = quantity;
        uint64_t newUnit = unit;
        if (opt.integr == 1 && quantity == kQuantityAcceleration) {
            newQuantity = kQuantityVelocity;
            newUnit = kUnitMillimetrePerSecond;
        } else if (opt.integr == 1 && quantity == kQuantityVelocity) {
            newQuantity = kQuantityDisplacement;
            newUnit = kUnitMicrometre;
        } else if (opt.integr == 2 && quantity == kQuantityAcceleration) {
            newQuantity = kQuantityDisplacement;
            newUnit = kUnitMicrometre;
        }
        sig.SetAxisCode(1, 1, newQuantity);
        sig.SetAxisCode(2, 1, newUnit);
        const std::string lines = LimitLines(*item, opt, channel.machineClass, sig.Unit());
        if (!lines.empty()) sig.SetAttribute(ordstr::kYLinesAttr, lines);
        table.levels[itemId] = sig;
        if (cfg_->bandFrequencies && item->enabled)
            table.borders[itemId] = BorderSignalsOf(*item, make);
    }
}

void COrdProcessing::PublishResultSignals(ResultTable& table,
                                          const std::string& channelFolder) const {
    for (const auto& [itemId, sig] : table.levels) {
        if (!sig) continue;
        std::string folder = channelFolder;
        const CCfgProcItem* item = cfg_->FindItemById(itemId);
        if (item && item->parent && item->parent->type == CfgItemFolder)
            folder += item->parent->name;
        app_.AddSignal(folder, sig.Name(), sig);
    }
    for (const auto& [itemId, b] : table.borders)
        for (const host::Signal& sig : {b.lower, b.upper, b.centre})
            if (sig) app_.AddSignal(channelFolder + b.folder, sig.Name(), sig);
}

bool COrdProcessing::ComputeBands() {
    host::Operator op =
        app_.GetOperator(std::string(ordstr::kOperatorsRoot) + ordstr::kAutoSpectrum);
    if (!op) {
        SetCode(OrdResultNoAutoSpectrum);
        return false;
    }
    op.SetParameters(ordstr::kSpectrumParams);
    if (jobs_ > 1) {
        ComputeChannelsOnThreads(op);
    } else {
        for (const std::string& name : cfg_->channelNames) {
            if (StopSeen()) break;
            const CfgChannel* ch = cfg_->Channel(name);
            if (!ch || ch->type != CfgChannelMeasuring || !ch->check) continue;
            auto it = signals_.find(name);
            if (it == signals_.end()) continue;
            ResultTable results;
            if (ProcessMeasuringChannel(name, *ch, it->second, op, results))
                FinishChannel(name, results);
        }
    }
    app_.UpdateViews();
    return ResultCode() == OrdResultOk;
}

void COrdProcessing::FinishChannel(const std::string& name, ResultTable& results) {
    PublishResultSignals(results, resultFolder_ + name + "/");
    if (notify_) notify_->ChannelDone();
}

bool COrdProcessing::ProcessMeasuringChannel(const std::string& name, const CfgChannel& channel,
                                             const host::Signal& src, const host::Operator& op,
                                             ResultTable& results) {
    CfgFftOpt opt = channel.EffectiveFftOpt();
    // Sizes that are not positive would never advance the block loop; they
    // get the defaults a configuration file would give them.
    if (opt.nPoints <= 0) opt.nPoints = CfgFftOpt().nPoints;
    if (opt.nOffset <= 0) opt.nOffset = opt.nPoints;
    const int n = opt.nPoints;
    const int s = opt.nOffset;
    op.SetParameter("numPoints", static_cast<double>(n));
    op.SetParameter("ofsNextBlock", static_cast<double>(s));
    op.SetParameter("typeWindow", static_cast<double>(opt.iWindow));
    op.SetParameter("isMO", opt.bMO ? 1.0 : 0.0);
    // A channel with an envelope band is measured in its envelope's spectrum;
    // the band is taken off again for the next channel without one.
    if (channel.envHi > 0.0 || envelopeSet_) {
        op.SetParameter("envLo", channel.envLo);
        op.SetParameter("envHi", channel.envHi);
        envelopeSet_ = channel.envHi > 0.0;
    }

    const int64_t total = src.PointCount();
    if (notify_) {
        notify_->BeginChannel(name, CfgChannelMeasuring);
        notify_->SetStepCount(static_cast<int>(std::max<int64_t>((total - n) / s + 1, 0)));
    }

    CreateResultSignals(results, src, channel, n, s);
    const uint64_t unitCode = src.GetAxisCode(2, 1);

    // The items measured in every block, fixed for the whole channel.
    std::vector<BandJob> jobs;
    for (const auto& [itemId, sopt] : channel.signalOpts) {
        if (!sopt.bEnabled) continue;
        const CCfgProcItem* item = cfg_->FindItemById(itemId);
        if (!item || !item->enabled || item->type < CfgItemTacho) continue;
        auto r = results.levels.find(itemId);
        if (r == results.levels.end()) continue;
        BandJob job{item, r->second, sopt.valtype, sopt.integr, {}, {}, {}};
        if (auto b = results.borders.find(itemId); b != results.borders.end()) {
            job.lower = b->second.lower;
            job.upper = b->second.upper;
            job.centre = b->second.centre;
        }
        jobs.push_back(std::move(job));
    }
    // Tacho signals sampled per block, in ascending item id, each with the
    // factor that gives hertz: bands are placed in hertz whatever unit the
    // user chose for the rotation curve.
    struct TachoSource {
        TachoEntry* entry;
        host::Signal signal;
        double toHertz;
    };
    std::vector<TachoSource> tachoSignals;
    for (auto& [itemId, entry] : tachos_) {
        auto sig = signals_.find(entry.signalName);
        if (sig != signals_.end())
            tachoSignals.push_back(
                {&entry, sig->second, HertzPerUnit(sig->second.GetAxisCode(2, 1))});
    }

    bool stopped = false;
    bool bulk = bulkReads_;  // until the host turns out not to offer it
    SpectrumLines lines;
    int k = 0;
    for (int64_t o = 0; o + n <= total; o += s, ++k) {
        if (StopSeen()) {
            stopped = true;
            break;
        }
        const int first = static_cast<int>(o);
        for (TachoSource& tacho : tachoSignals) {
            const double t = src.GetX(n / 2 + first);
            tacho.entry->frequency = tacho.signal.ValueAt(t) * tacho.toHertz;
        }
        {  // the block and its spectrum are released before the step is reported
            const host::Signal block = app_.ExtractBlock(src, first, n);
            plat::DispPtr out;
            const bool measured = block && op.RunOperator(block.Disp(), out) == 0 && out;
            const host::Signal spectrum(measured ? std::move(out) : plat::DispPtr());
            lines.valid = false;
            if (measured && bulk) {
                lines.y.resize(static_cast<size_t>(std::max(spectrum.PointCount(), 0)));
                bulk = spectrum.GetYRange(0, static_cast<int>(lines.y.size()), lines.y.data());
                if (bulk) {
                    lines.x0 = spectrum.StartX();
                    lines.df = spectrum.StepX();
                    const plat::Variant coef = spectrum.GetAttributeValue(ordstr::kRmsCoefAttr);
                    lines.coefText = coef.AsText();
                    lines.valid = true;
                }
            }
            for (const BandJob& job : jobs) {
                double level = kNotMeasured;
                OrdBand summed{kNotMeasured, kNotMeasured, kNotMeasured, 0};
                OrdBand* borders = job.lower ? &summed : nullptr;
                if (measured && !BandLevel(spectrum, job.item, job.valtype, job.integr, unitCode,
                                           level, borders, &lines))
                    level = kNotMeasured;
                job.signal.SetY(k, level);
                if (!borders) continue;
                job.lower.SetY(k, summed.lower);
                job.upper.SetY(k, summed.upper);
                if (job.centre) job.centre.SetY(k, summed.centre);
            }
        }
        if (notify_) notify_->StepDone();
    }
    // Nothing of a stopped channel reaches the host.
    if (stopped || StopSeen()) return false;
    MarkUnmeasured(results, jobs, k);
    return true;
}

namespace {

void MarkUnmeasured(const COrdProcessing::ResultTable& results, const std::vector<BandJob>& jobs,
                    int blocks) {
    for (const auto& [itemId, b] : results.borders)
        for (const host::Signal& sig : {b.lower, b.upper, b.centre})
            for (int i = blocks; sig && i < sig.PointCount(); ++i) sig.SetY(i, kNotMeasured);
    for (const auto& entry : results.levels) {
        const host::Signal& sig = entry.second;
        const auto itemId = entry.first;
        if (!sig) continue;
        // Items measured per block have their first `blocks` points written;
        // items that are off have none.
        const bool measured = std::any_of(jobs.begin(), jobs.end(),
                                          [&](const BandJob& j) { return j.item->id == itemId; });
        const int count = sig.PointCount();
        for (int i = measured ? blocks : 0; i < count; ++i) sig.SetY(i, kNotMeasured);
    }
}

}  // namespace
