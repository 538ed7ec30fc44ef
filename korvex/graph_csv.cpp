// A graph's signals as one CSV table, later signals interpolated at the first one's x.

#include "korvex/graph_csv.h"

#include "korvex/dsp/envelope.h"
#include "korvex/formats/file_io.h"
#include "platform/numtext.h"

namespace korvex {

namespace {

std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

void AppendNumber(std::string& out, double v) {
    plat::AppendGeneral(out, v, 17);
}

}  // namespace

bool WriteGraphCsv(const Host& host, int graph, const std::string& path, std::string& message) {
    std::vector<plat::ObjPtr<SignalObj>> signals;
    for (const auto& w : host.Graphs().Windows())
        for (const auto& g : w.graphs)
            if (g.id == graph)
                for (int id : g.signalIds)
                    if (auto s = host.Graphs().SignalById(id)) signals.push_back(s);
    if (signals.empty()) {
        message = "The graph shows no signal.";
        return false;
    }
    std::string text;
    {
        Lock lock = host.LockTree();
        text = "x";
        for (const auto& s : signals) {
            std::string head = s->NameLocked();
            if (const std::string unit = s->UnitLocked(); !unit.empty()) head += " [" + unit + "]";
            text += ',' + CsvField(head);
        }
        text += '\n';
        const SignalObj& first = *signals.front();
        const size_t n = first.SamplesLocked().size();
        for (size_t i = 0; i < n; ++i) {
            const double x = first.StartXLocked() + static_cast<double>(i) * first.StepXLocked();
            AppendNumber(text, x);
            for (size_t k = 0; k < signals.size(); ++k) {
                text += ',';
                const SignalObj& s = *signals[k];
                AppendNumber(text, k == 0 ? s.SamplesLocked()[i]
                                          : SampleAt(s.SamplesLocked(), s.StartXLocked(),
                                                     s.StepXLocked(), x));
            }
            text += '\n';
        }
    }
    AtomicFile file;
    if (!file.Open(path, message)) return false;
    file.Write(text);
    return file.Commit(message);
}

}  // namespace korvex
