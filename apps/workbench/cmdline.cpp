// The workbench's option table and usage, and the graph window its view requests open.

#include "apps/workbench/cmdline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace workbench {

namespace {

using Apply = bool (*)(Options&, std::string_view value, std::string& why);

struct OptionRow {
    const char* name;
    const char* value;  // nullptr: a flag
    const char* help;
    Apply apply;
};

// A finite number with a point (never the locale's comma).
bool Number(std::string_view text, double& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && std::isfinite(out);
}

bool Time(std::string_view v, std::optional<double>& out, std::string& why) {
    double t;
    if (!Number(v, t)) {
        why = "not a number";
        return false;
    }
    out = t;
    return true;
}

bool Split(std::string_view v, char sep, std::string_view& a, std::string_view& b) {
    const size_t at = v.find(sep);
    if (at == std::string_view::npos) return false;
    a = v.substr(0, at);
    b = v.substr(at + 1);
    return true;
}

bool GraphOption(Options& o, std::string_view v, std::string& why) {
    GraphRequest g;
    while (!v.empty()) {
        const size_t comma = v.find(',');
        const std::string_view path = v.substr(0, comma);
        if (path.empty() || path.front() != '/') {
            why = "signal paths start with /";
            return false;
        }
        g.signalPaths.emplace_back(path);
        v = comma == std::string_view::npos ? std::string_view() : v.substr(comma + 1);
    }
    if (g.signalPaths.empty()) {
        why = "no signal path";
        return false;
    }
    o.graphs.push_back(std::move(g));
    return true;
}

bool RangeOption(Options& o, std::string_view v, std::string& why) {
    std::string_view a, b;
    double lo, hi;
    if (!Split(v, ',', a, b) || !Number(a, lo) || !Number(b, hi) || !(hi > lo)) {
        why = "expected LO,HI with LO < HI";
        return false;
    }
    o.rangeLo = lo;
    o.rangeHi = hi;
    return true;
}

bool SizeOption(Options& o, std::string_view v, std::string& why) {
    std::string_view a, b;
    double w, h;
    if (!Split(v, 'x', a, b) || !Number(a, w) || !Number(b, h) || w < 200 || h < 150 || w > 10000 ||
        h > 10000 || w != std::floor(w) || h != std::floor(h)) {
        why = "expected WIDTHxHEIGHT in pixels, 200x150 to 10000x10000";
        return false;
    }
    o.width = static_cast<int>(w);
    o.height = static_cast<int>(h);
    return true;
}

// "SIGNAL[,key=value...]" of --spectrum and --map.
bool SpectralOption(Options& o, std::string_view v, ViewKind kind, std::string& why) {
    const size_t comma = v.find(',');
    GraphRequest g;
    g.kind = kind;
    g.signalPaths.emplace_back(v.substr(0, comma));
    if (g.signalPaths[0].empty() || g.signalPaths[0].front() != '/') {
        why = "signal paths start with /";
        return false;
    }
    const std::string_view keys =
        comma == std::string_view::npos ? std::string_view() : v.substr(comma + 1);
    if (kind == ViewKind::Spectrum ? !ParseSpectrumKeys(keys, g.spectrum, why)
                                   : !ParseMapKeys(keys, g.map, why))
        return false;
    o.graphs.push_back(std::move(g));
    return true;
}

bool OverlayOption(Options& o, std::string_view v, std::string& why) {
    if (o.graphs.empty() || o.graphs.back().kind == ViewKind::Time) {
        why = "goes after a --spectrum or --map";
        return false;
    }
    if (v.empty() || v.front() != '/') {
        why = "paths start with /";
        return false;
    }
    o.graphs.back().overlays.emplace_back(v);
    return true;
}

// An order-cut graph of the map before it (or before the cuts after it): its
// signal, speed and parameters.
bool OrderCutOption(Options& o, std::string_view v, std::string& why) {
    if (o.graphs.empty() ||
        (o.graphs.back().kind != ViewKind::Map && o.graphs.back().kind != ViewKind::OrderCut) ||
        o.graphs.back().map.params.y != korvex::MapAxisY::Order) {
        why = "goes after a --map with y=order or y=angle";
        return false;
    }
    GraphRequest g = o.graphs.back();
    if (!Number(v, g.cutOrder) || !(g.cutOrder > 0)) {
        why = "an order above 0";
        return false;
    }
    g.kind = ViewKind::OrderCut;
    g.overlays.clear();
    o.graphs.push_back(std::move(g));
    return true;
}

const OptionRow kRows[] = {
    {"--registry", "FILE", "plug-in registry file (default: the data folder's)",
     [](Options& o, std::string_view v, std::string&) {
         o.registry = v;
         return true;
     }},
    {"--screenshot", "PNG", "save the main window as PNG and exit (works offscreen)",
     [](Options& o, std::string_view v, std::string&) {
         o.screenshot = v;
         return true;
     }},
    {"--graph", "PATH[,PATH...]",
     "a graph of these host signals; repeated: stacked graphs of one window", GraphOption},
    {"--spectrum", "PATH[,KEY=V...]",
     "a spectrum graph of a signal at the cursor; keys n, window, avg, overlap, amp, scale, ref, "
     "integrate=0|1|2, centre=on, speed, f, fmax, harmonics=on, sidebands, orders=R",
     [](Options& o, std::string_view v, std::string& why) {
         return SpectralOption(o, v, ViewKind::Spectrum, why);
     }},
    {"--map", "PATH[,KEY=V...]",
     "a spectral map graph; keys n, window, avg, overlap, amp, scale, ref, speed, x=time|speed, "
     "integrate, centre, y=freq|order|angle, db=LO:HI, bin, "
     "dir=up|down|both, from, to, maxorder, ymax, res=full",
     [](Options& o, std::string_view v, std::string& why) {
         return SpectralOption(o, v, ViewKind::Map, why);
     }},
    {"--order-cut", "K",
     "a graph of order K's RMS and phase against time, from the --map before it", OrderCutOption},
    {"--overlay", "PATH", "a signal or folder (its strips) drawn over the last spectrum or map",
     OverlayOption},
    {"--cursor", "T", "cursor A at time T (s)",
     [](Options& o, std::string_view v, std::string& why) { return Time(v, o.cursor, why); }},
    {"--cursor-b", "T", "cursor B at time T (s)",
     [](Options& o, std::string_view v, std::string& why) { return Time(v, o.cursorB, why); }},
    {"--range", "LO,HI", "the graph window's x range", RangeOption},
    {"--size", "WxH", "main window size in pixels (default 1400x900)", SizeOption},
    {"--lang", "ru|en", "the windows' language (default: the locale's, Russian or English)",
     [](Options& o, std::string_view v, std::string& why) {
         if (v != "ru" && v != "en") why = "is ru or en";
         if (why.empty()) o.lang = v;
         return why.empty();
     }},
    {"--help", nullptr, "this text",
     [](Options& o, std::string_view, std::string&) {
         o.help = true;
         return true;
     }},
    // Answered by main before the command line is read.
    {"--version", nullptr, "the version, the commit and the libraries' versions",
     [](Options&, std::string_view, std::string&) { return true; }},
};

const OptionRow* FindRow(std::string_view name) {
    for (const OptionRow& r : kRows)
        if (name == r.name) return &r;
    return nullptr;
}

}  // namespace

ParseResult ParseCommandLine(std::span<const std::string> args) {
    ParseResult res;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg.size() < 2 || arg.substr(0, 2) != "--") {
            res.options.files.push_back(args[i]);
            continue;
        }
        // "--name value" or "--name=value".
        const size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        const OptionRow* row = FindRow(name);
        if (!row) {
            res.error = "unknown option " + std::string(name);
            return res;
        }
        std::string_view value;
        if (row->value && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
        } else if (row->value) {
            if (i + 1 >= args.size()) {
                res.error = std::string(name) + " needs " + row->value;
                return res;
            }
            value = args[++i];
        } else if (eq != std::string_view::npos) {
            res.error = std::string(name) + " takes no value";
            return res;
        }
        std::string why;
        if (!row->apply(res.options, value, why)) {
            res.error = std::string(name) + " " + std::string(value) + ": " + why;
            return res;
        }
    }
    return res;
}

std::string Usage() {
    std::string u = "usage: korvex-workbench [OPTION...] [DATAFILE...]\n";
    for (const OptionRow& r : kRows) {
        std::string left = std::string("  ") + r.name + (r.value ? std::string(" ") + r.value : "");
        left.resize(std::max<size_t>(left.size() + 1, 28), ' ');
        u += left + r.help + "\n";
    }
    return u;
}

namespace {

// The spec of a spectrum or map request with its paths resolved.
bool ResolveSpec(korvex::Host& host, const GraphRequest& g, ViewSpec& spec, std::string& error) {
    spec.kind = g.kind;
    spec.spectrum = g.spectrum;
    spec.map = g.map;
    spec.cutOrder = g.cutOrder;
    const std::string& speed =
        g.kind == ViewKind::Spectrum ? g.spectrum.speedPath : g.map.speedPath;
    if (!speed.empty()) {
        auto s = host.FindSignal(speed);
        if (!s) {
            error = "no signal " + speed;
            return false;
        }
        spec.speedId = s->Id();
    }
    for (const std::string& path : g.overlays) {
        if (auto s = host.FindSignal(path))
            spec.overlaySignals.push_back(s->Id());
        else if (host.FindFolder(path))
            spec.overlayFolders.push_back(path);
        else {
            error = "no signal or folder " + path;
            return false;
        }
    }
    return true;
}

}  // namespace

const char* ViewOption(ViewKind kind) {
    return kind == ViewKind::Map        ? "--map"
           : kind == ViewKind::Spectrum ? "--spectrum"
           : kind == ViewKind::OrderCut ? "--order-cut"
                                        : "--graph";
}

int OpenGraphWindow(korvex::Host& host, std::span<const GraphRequest> graphs, std::string& error,
                    std::map<int, ViewSpec>* specs, size_t* failed) {
    std::vector<std::vector<int>> ids;
    std::vector<ViewSpec> resolved(graphs.size());
    for (size_t i = 0; i < graphs.size(); ++i) {
        const GraphRequest& g = graphs[i];
        if (failed) *failed = i;
        ids.emplace_back();
        for (const std::string& path : g.signalPaths) {
            auto s = host.FindSignal(path);
            if (!s) {
                error = "no signal " + path;
                return 0;
            }
            ids.back().push_back(s->Id());
        }
        if (g.kind != ViewKind::Time && !ResolveSpec(host, g, resolved[i], error)) return 0;
    }
    if (ids.empty()) {
        error = "no graph requested";
        return 0;
    }
    korvex::GraphService& service = host.Graphs();
    const int window = service.NewWindow();
    for (size_t i = 0; i < ids.size(); ++i) {
        const int g = service.AddGraph(window);
        for (int id : ids[i]) service.AddSignal(g, id);
        if (specs && resolved[i].kind != ViewKind::Time) (*specs)[g] = resolved[i];
    }
    return window;
}

}  // namespace workbench
