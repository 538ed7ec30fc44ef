// Frequency-base page rules: tacho lists, tracking rows and formula, widths, filters.

#include "ui/rules/freqrules.h"

#include "platform/text.h"
#include "ui/rules/procrules.h"

namespace freqrules {

TachoList CollectTachoList(const CCfgProc& cfg) {
    std::vector<CCfgProcItem*> items;
    cfg.CollectByType(items, CfgItemTacho);
    TachoList list;
    for (const CCfgProcItem* t : items)
        if (!t->name.empty()) list.emplace_back(t->id, t->name);
    return list;
}

std::vector<std::string> TachoCandidates(const CCfgProc& cfg) {
    std::vector<std::string> out;
    for (const std::string& name : cfg.channelNames) {
        const CfgChannel* ch = cfg.Channel(name);
        if (!ch) continue;
        if (ch->type == 3) out.push_back(name);
        if (ch->type == 2) out.push_back(name + ".taho");
    }
    return out;
}

std::string TachoLookupText(const std::string& stored, const std::vector<std::string>& candidates) {
    for (const std::string& c : candidates)
        if (c == stored) return stored;
    const size_t pos = stored.find(".grad", 1);
    return pos == std::string::npos ? stored : stored.substr(0, pos);
}

std::string FactorText(double factor) {
    std::string s = procrules::Fixed(factor, 3);
    const size_t dot = s.find('.');
    if (dot == std::string::npos) return s;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string Formula(const std::vector<CfgBandComponent>& components, const TachoList& names) {
    std::string out;
    for (const CfgBandComponent& c : components) {
        if (c.factor == 0.0) continue;
        if (out.empty())
            out = FactorText(c.factor);
        else
            out += (c.factor < 0 ? " - " : " + ") + FactorText(c.factor < 0 ? -c.factor : c.factor);
        // The stored name is the one at the last apply; the item may have been renamed since.
        std::string name = c.tachoRef;
        for (const auto& [id, present] : names)
            if (id == c.tachoRefId) name = present;
        if (!name.empty()) out += "*" + name;
    }
    return out;
}

TrackRows PlaceComponents(const std::vector<CfgBandComponent>& components, const TachoList& list) {
    TrackRows rows;
    for (const CfgBandComponent& c : components) {
        size_t pos = 0;
        while (pos < list.size() && list[pos].first != c.tachoRefId) ++pos;
        if (pos == list.size())
            rows.constant = c.factor;
        else if (pos < rows.factors.size())
            rows.factors[pos] = c.factor;
        // Components of a fourth or later tacho item have no row.
    }
    return rows;
}

std::vector<CfgBandComponent> BuildComponents(const TachoList& list,
                                              const std::array<std::string, 3>& factors,
                                              const std::string& constant) {
    std::vector<CfgBandComponent> out;
    for (size_t i = 0; i < factors.size() && i < list.size(); ++i) {
        if (factors[i].empty()) continue;
        out.push_back({list[i].second, list[i].first, procrules::LeadingNumber(factors[i])});
    }
    if (!constant.empty()) out.push_back({"", -1, procrules::LeadingNumber(constant)});
    return out;
}

int WidthModeOf(const CfgBandWidth& bw) {
    if (bw.relativeBorders) return kWidthPercent;
    return bw.inFftBins ? kWidthBins : kWidthHz;
}

int MinModeOf(const CfgBandWidth& bw) {
    return bw.inFftBins ? kMinBins : kMinHz;
}

void SetWidthMode(CfgBandWidth& bw, int mode) {
    bw.relativeBorders = mode == kWidthPercent;
    bw.inFftBins = mode == kWidthBins;
}

void SetMinMode(CfgBandWidth& bw, int mode) {
    bw.inFftBins = mode == kMinBins;
}

std::string WidthText(const CfgBandWidth& bw) {
    if (bw.relativeBorders) return procrules::Fixed(bw.percentValue, 3);
    if (bw.inFftBins) return std::to_string(bw.fftBinsValue);
    return procrules::Fixed(bw.physicalValue, 3);
}

std::string MinText(const CfgBandWidth& bw) {
    if (!bw.relativeBorders) return {};
    if (bw.inFftBins) return std::to_string(bw.fftBinsValue);
    return procrules::Fixed(bw.physicalValue, 3);
}

void TypeWidth(CfgBandWidth& bw, const std::string& text) {
    const double v = procrules::LeadingNumber(text);
    if (bw.relativeBorders)
        bw.percentValue = v;
    else if (bw.inFftBins)
        bw.fftBinsValue = static_cast<int32_t>(v);
    else
        bw.physicalValue = v;
}

void TypeMin(CfgBandWidth& bw, const std::string& text) {
    const double v = procrules::LeadingNumber(text);
    if (bw.inFftBins)
        bw.fftBinsValue = static_cast<int32_t>(v);
    else
        bw.physicalValue = v;
}

std::vector<std::string> DialogFilters(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    if (start < filter.size()) parts.push_back(filter.substr(start));
    std::vector<std::string> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        out.push_back(parts[i] + " (" + patterns + ")");
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

CCfgProcSection* SectionOf(CCfgProcItem* node) {
    while (node && node->GetType() != CfgItemRoot) node = node->parent;
    return static_cast<CCfgProcSection*>(node);
}

bool IsLoaded(const CCfgProc& cfg, const std::string& path) {
    for (const auto& s : cfg.sections)
        if (s && plat::EqualNoCase(s->path, path)) return true;
    return false;
}

}  // namespace freqrules
