// Operator parameter sets and the outcome texts of the processing code.

#include <charconv>
#include <cmath>

#include "korvex/dsp/dsp.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace korvex {

bool OperatorParams::Parse(std::string_view text) {
    std::map<std::string, std::string> parsed;
    std::string* last = nullptr;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos) comma = text.size();
        std::string_view piece = plat::Trim(text.substr(pos, comma - pos));
        pos = comma + 1;
        if (piece.empty()) continue;
        size_t eq = piece.find('=');
        if (eq == std::string_view::npos) {
            // A comma inside a value (a list such as "10,20,30").
            if (!last) return false;
            last->append(",").append(piece);
            continue;
        }
        std::string_view key = plat::Trim(piece.substr(0, eq));
        if (key.empty()) return false;
        std::string& slot = parsed[std::string(key)];
        slot = std::string(plat::Trim(piece.substr(eq + 1)));
        last = &slot;
    }
    values_ = std::move(parsed);
    return true;
}

void OperatorParams::Set(const std::string& key, double value) {
    values_[key] = plat::ShortestText(value);
}

void OperatorParams::SetText(const std::string& key, std::string value) {
    values_[key] = std::move(value);
}

double OperatorParams::Number(const std::string& key, double def) const {
    auto it = values_.find(key);
    if (it == values_.end()) return def;
    std::string_view v = plat::Trim(it->second);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return def;
    double d = 0.0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
    if (ec != std::errc() || end != v.data() + v.size()) return def;
    return d;
}

std::string OperatorParams::Text(const std::string& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
}

bool OperatorParams::Has(const std::string& key) const {
    return values_.count(key) != 0;
}

std::string OperatorParams::Format() const {
    std::string s;
    for (const auto& [k, v] : values_) {
        if (!s.empty()) s += ", ";
        s += k;
        s += '=';
        s += v;
    }
    return s;
}

const char* DspCodeText(int code) {
    switch (code) {
        case kDspOk:
            return "ok";
        case kDspTooShort:
            return "fewer than 2 samples";
        case kDspBadStep:
            return "sample step is not a positive number";
        case kDspBadSample:
            return "the signal holds a value that is not a number";
        case kDspBadWindow:
            return "unknown window type";
        case kDspBadLevels:
            return "trigger levels are invalid (low above high)";
        case kDspBadDeltaF:
            return "frequency resolution is not a positive number";
        case kDspBadCoef:
            return "multiplier is not a number";
        case kDspBadRepair:
            return "a pulse-repair setting is out of its range";
        case kDspBadEnvelopeBand:
            return "envelope band not within 0 .. Nyquist";
        case kDspStopped:
            return "stopped";
        case kDspNoEdges:
            return "no pulse found: the speed reads 0";
        case kDspOneEdge:
            return "a single pulse gives no speed: the speed reads 0";
        case kDspShortRecord:
            return "record shorter than one block: one value for all of it";
        case kDspPulsesRepaired:
            return "missing, extra or broken pulses were repaired";
        case kDspNoUsablePulses:
            return "no usable pulses (the edges follow no period): the speed reads 0";
        case kDspPulsesTooFast:
            return "pulses too fast for the sample rate: the speed reads 0";
        default:
            return "unknown state";
    }
}

}  // namespace korvex
