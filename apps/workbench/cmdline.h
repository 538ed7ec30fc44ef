#pragma once
// The workbench's command line, without Qt: data files to open, plug-in
// registry, and the views to lay out, so that a test, a document or an
// outside check can render any view without a display (--screenshot).
//
// Each option is one row of the table in cmdline.cpp; a new kind of view
// adds its row there and its request here.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "korvex/host.h"
#include "apps/workbench/viewparams.h"

namespace workbench {

// One graph of the requested graph window: host paths of its signals; for
// a spectrum or map graph (--spectrum, --map) its one signal, parameters
// and overlays (--overlay: signals or folders).
struct GraphRequest {
    std::vector<std::string> signalPaths;
    ViewKind kind = ViewKind::Time;
    SpectrumSettings spectrum{};
    MapSettings map{};
    std::vector<std::string> overlays{};
    double cutOrder = 0.0;  // an order-cut graph (--order-cut)
};

struct Options {
    std::string registry;    // empty: the data folder's registry file
    std::string screenshot;  // PNG to save; the program then exits
    std::vector<std::string> files;
    // Stacked graphs of one graph window, top to bottom (--graph, repeated).
    std::vector<GraphRequest> graphs;
    std::optional<double> cursor;   // cursor A, a time in s
    std::optional<double> cursorB;  // turns cursor B on there
    std::optional<double> rangeLo, rangeHi;
    int width = 1400, height = 900;
    std::string lang;  // "ru", "en"; empty: the locale's
    bool help = false;
};

struct ParseResult {
    Options options;
    std::string error;  // empty when the line was understood
    bool Ok() const { return error.empty(); }
};

// args without the program name. The error names the bad option.
ParseResult ParseCommandLine(std::span<const std::string> args);
// The usage text, one option a line.
std::string Usage();

// Opens a graph service window with one graph per request and the signals
// named there. Every path is checked first: on an unknown one nothing is
// opened, 0 comes back, error names the path and *failed (when given) is
// the request it stood in. The spectrum and map graphs' specs, by graph id,
// go to *specs.
int OpenGraphWindow(korvex::Host& host, std::span<const GraphRequest> graphs, std::string& error,
                    std::map<int, ViewSpec>* specs = nullptr, size_t* failed = nullptr);
// "--graph", "--spectrum" or "--map": the option that asks for a view.
const char* ViewOption(ViewKind kind);

}  // namespace workbench
