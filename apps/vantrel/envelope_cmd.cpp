#include "apps/vantrel/envelope_cmd.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "apps/vantrel/channel.h"
#include "apps/vantrel/options.h"
#include "apps/vantrel/plotter.h"
#include "apps/vantrel/read_options.h"
#include "korvex/formats/formats.h"
#include "platform/numtext.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace vantrel {

const char kEnvelopeUsage[] =
    "Usage: vantrel envelope --data FILE [--rate HZ] --channel NAME (--shaft HZ | --speed NAME)\n"
    "                        [--bearing "
    "balls=N,ball=MM,pitch=MM,angle=DEG[,rotating=inner|outer]]\n"
    "                        [--line NAME=ORDER ...] [--band auto|LO,HI] [--from T --to T]\n"
    "                        [--resolution HZ] [--json FILE] [--csv FILE] [--png FILE] [--quiet]\n"
    "                        [READING]\n";

namespace {

const char kEnvelopeHelp[] =
    "\n"
    "The envelope spectrum of one channel: the band LO-HI (or the fast kurtogram's\n"
    "band of the largest kurtosis) is cut from the record's spectrum, its envelope\n"
    "(the magnitude of the band's analytic signal, mean removed) averaged into a\n"
    "spectrum of RMS amplitudes in the signal's unit, and read at the bearing's fault\n"
    "lines (FTF, BPFO, BPFI, BSF at 2 x BSF) and the named orders; the verdict names\n"
    "the fault whose lines stand out clearly (docs/spectral.md), or none.\n"
    "\n"
    "  --data FILE        the data file (any the host reads)\n"
    "  --rate HZ          the sample rate, for files that do not hold it\n"
    "  --channel NAME     the channel as vantrel info lists it (name or folder/name)\n"
    "  --shaft HZ         the shaft frequency\n"
    "  --speed NAME       instead of --shaft: a speed channel (Hz or rpm) whose mean\n"
    "                     over the range serves\n"
    "  --bearing ...      balls, ball and pitch diameter (one unit), contact angle in\n"
    "                     degrees (default 0), which ring turns (default inner)\n"
    "  --line NAME=ORDER  a further line at ORDER x the shaft frequency (repeatable)\n"
    "  --band auto|LO,HI  the band in Hz (default auto: the kurtogram's)\n"
    "  --from T, --to T   the time range in seconds (default: the whole record)\n"
    "  --resolution HZ    line spacing of the envelope spectrum (default 0.5 Hz, finer\n"
    "                     down to 0.125 Hz for records of 32 s and more, coarser for\n"
    "                     records under 4.4 s)\n"
    "  --json FILE        band, lines and verdict\n"
    "  --csv FILE         the envelope spectrum (frequency, amplitude)\n"
    "  --png FILE         the kurtogram above the envelope spectrum\n"
    "  -q, --quiet        no progress output\n"
    "\n"
    "Exit codes: 0 success, 2 bad arguments (no shaft speed, a geometry that is no\n"
    "bearing, a band above the Nyquist frequency, a record too short for the\n"
    "resolution), 3 unreadable input or missing channel, 4 outputs not written.\n";

constexpr char kPlotter[] = "vantrel-envelope";

// "balls=N,ball=MM,pitch=MM,angle=DEG[,rotating=inner|outer]"; angle 0 and
// the inner ring turning when not given.
bool ParseBearing(const std::string& text, korvex::BearingGeometry& g, std::string& error) {
    std::map<std::string, std::string> keys;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        const size_t eq = item.find('=');
        if (eq == std::string::npos ||
            !keys.emplace(item.substr(0, eq), item.substr(eq + 1)).second) {
            error =
                "--bearing takes balls=N,ball=MM,pitch=MM,angle=DEG[,rotating=inner|outer], "
                "not " +
                text;
            return false;
        }
        at = comma + 1;
    }
    double balls = 0;
    const auto need = [&](const char* key, double& v) {
        auto it = keys.find(key);
        if (it != keys.end() && Number(it->second, v)) return true;
        error = std::string("--bearing needs ") + key + "= with a number";
        return false;
    };
    if (!need("balls", balls) || !need("ball", g.ballDiameter) || !need("pitch", g.pitchDiameter))
        return false;
    if (keys.count("angle") && !need("angle", g.angleDeg)) return false;
    if (balls != std::floor(balls) || balls < 1 || balls > 1000) {
        error = "--bearing: balls= takes a count of rolling elements";
        return false;
    }
    g.balls = static_cast<int>(balls);
    if (auto it = keys.find("rotating"); it != keys.end()) {
        if (it->second != "inner" && it->second != "outer") {
            error = "--bearing: rotating= takes inner or outer, not " + it->second;
            return false;
        }
        g.outerRotates = it->second == "outer";
    }
    for (const auto& [key, value] : keys)
        if (key != "balls" && key != "ball" && key != "pitch" && key != "angle" &&
            key != "rotating") {
            error = "--bearing: unknown key " + key;
            return false;
        }
    error = korvex::CheckBearing(g);
    if (!error.empty()) error = "--bearing: " + error;
    return error.empty();
}

bool ParseLine(const std::string& text, korvex::FaultLine& line, std::string& error) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || !Number(text.substr(eq + 1), line.order) ||
        !(line.order > 0.0)) {
        error = "--line takes NAME=ORDER with a positive order, not " + text;
        return false;
    }
    line.name = text.substr(0, eq);
    return true;
}

bool ParseValue(const std::string& name, const std::string& value, EnvelopeArgs& a,
                std::string& error) {
    double v = 0;
    if (name == "--shaft") {
        if (Number(value, v) && v > 0) return a.shaft = v, true;
        error = "--shaft takes the shaft frequency in Hz, a positive number, not " + value;
        return false;
    }
    if (name == "--band") {
        if (value == "auto") return true;
        const size_t comma = value.find(',');
        a.autoBand = false;
        if (comma != std::string::npos && Number(value.substr(0, comma), a.lo) &&
            Number(value.substr(comma + 1), a.hi) && a.lo >= 0 && a.hi > a.lo)
            return true;
        error = "--band takes auto or LO,HI in Hz with 0 <= LO < HI, not " + value;
        return false;
    }
    if (name == "--from" || name == "--to") {
        if (!Number(value, v)) {
            error = name + " takes a time in seconds, not " + value;
            return false;
        }
        (name == "--from" ? a.from : a.to) = v;
        return true;
    }
    if (name == "--resolution") {
        if (Number(value, v) && v > 0) return a.resolution = v, true;
        error = "--resolution takes a line spacing in Hz, a positive number, not " + value;
        return false;
    }
    if (name == "--bearing") {
        korvex::BearingGeometry g;
        if (!ParseBearing(value, g, error)) return false;
        a.bearing = g;
        return true;
    }
    std::string* slot = name == "--data"      ? &a.data
                        : name == "--channel" ? &a.channel
                        : name == "--speed"   ? &a.speed
                        : name == "--json"    ? &a.json
                        : name == "--csv"     ? &a.csv
                                              : &a.png;
    *slot = value;
    return true;
}

}  // namespace

bool ParseEnvelopeArgs(const std::vector<std::string>& args, EnvelopeArgs& a, std::string& error) {
    DataCommandLine line;
    line.valued = {"--data", "--channel", "--shaft", "--speed", "--bearing",
                   "--line", "--band",    "--from",  "--to",    "--resolution",
                   "--json", "--csv",     "--png"};
    line.repeatable = {"--line"};
    line.take = [&a](const std::string& name, const std::string& value, std::string& error) {
        if (name != "--line") return ParseValue(name, value, a, error);
        korvex::FaultLine l;
        if (!ParseLine(value, l, error)) return false;
        a.lines.push_back(l);
        return true;
    };
    if (!ParseDataCommand(args, line, a.read, a.help, a.quiet, error)) return false;
    if (a.help) return true;
    if (a.data.empty() || a.channel.empty()) {
        error = "envelope needs --data FILE and --channel NAME";
    } else if (a.shaft <= 0.0 && a.speed.empty()) {
        error = "envelope needs the shaft speed: --shaft HZ or --speed NAME";
    } else if (a.shaft > 0.0 && !a.speed.empty()) {
        error = "give either --shaft or --speed, not both";
    } else if (a.from && a.to && !(*a.to > *a.from)) {
        error = "--to must lie after --from";
    }
    return error.empty();
}

namespace {

// The samples of s from `from` to `to` seconds (the whole when not given).
std::span<const double> Range(const korvex::SignalData& s, const EnvelopeArgs& a) {
    const std::span<const double> v = korvex::Values(s);
    const double n = static_cast<double>(v.size());
    const auto index = [&](double t) {
        return static_cast<size_t>(std::clamp(std::round((t - s.startX) / s.stepX), 0.0, n));
    };
    const size_t first = a.from ? index(*a.from) : 0;
    const size_t last = a.to ? index(*a.to) : v.size();
    return last > first ? v.subspan(first, last - first) : std::span<const double>();
}

// The mean of a speed channel over the range, in Hz.
bool ShaftFromSpeed(const korvex::DataSet& d, const EnvelopeArgs& a, double& hz,
                    std::string& error) {
    const korvex::SignalData* s = FindChannel(d, a.speed, error);
    if (!s) return false;
    const std::span<const double> v = Range(*s, a);
    double sum = 0;
    for (double x : v) sum += x;
    hz = v.empty() ? 0.0 : sum / static_cast<double>(v.size());
    const std::string unit = plat::FoldCase(s->unit);
    if (unit.find("rpm") != std::string::npos || unit.find("/min") != std::string::npos ||
        unit.find("мин") != std::string::npos)
        hz /= 60.0;
    if (hz > 0.0 && std::isfinite(hz)) return true;
    error = "speed channel \"" + a.speed + "\" gives no shaft speed over the range";
    return false;
}

// The envelope needs a band some times wider than the fastest line it is
// read at (its harmonics and sidebands lie beyond): the bearing's lines, or
// the named ones when no bearing is given.
double HighestLineHz(const std::vector<korvex::FaultLine>& lines, double shaft) {
    double top = 0, named = 0;
    for (const korvex::FaultLine& l : lines)
        (l.kind == korvex::FaultKind::None ? named : top) = std::max(
            l.kind == korvex::FaultKind::None ? named : top, (l.order + l.sidebandOrder) * shaft);
    return top > 0 ? top : named;
}

}  // namespace

int AnalyseEnvelope(const EnvelopeArgs& a, EnvelopeAnalysis& out, std::string& error) {
    korvex::DataSet d;
    const korvex::SignalData* ch = ReadChannel(a.data, a.read, a.channel, d, error);
    if (!ch) return kExitInput;
    out.file = a.data;
    out.channel = a.channel;
    out.unit = ch->unit;
    out.rate = 1.0 / ch->stepX;
    const double dt = ch->stepX;
    const std::span<const double> x = Range(*ch, a);
    if (x.empty()) {
        error = "the range --from/--to holds no sample of \"" + a.channel + "\"";
        return kExitUsage;
    }
    out.shaftHz = a.shaft;
    if (!a.speed.empty() && !ShaftFromSpeed(d, a, out.shaftHz, error)) return kExitInput;

    std::vector<korvex::FaultLine> lines;
    if (a.bearing) lines = korvex::BearingLines(*a.bearing);
    lines.insert(lines.end(), a.lines.begin(), a.lines.end());

    korvex::RecordSpectrum record;
    if (error = record.Make(x, dt); !error.empty()) {
        error = "channel \"" + a.channel + "\": " + error;
        return kExitInput;
    }
    if (!a.autoBand && a.hi > record.nyquist()) {
        error = "--band: " + plat::GeneralText(a.hi, 8) + " Hz lies above the Nyquist frequency (" +
                plat::GeneralText(record.nyquist(), 8) + " Hz)";
        return kExitUsage;
    }
    korvex::KurtogramParams kp;
    kp.minWidth = 3.0 * HighestLineHz(lines, out.shaftHz);
    out.kurtogram = korvex::FastKurtogram(record, kp);
    out.byKurtogram = a.autoBand;
    const double lo = a.autoBand ? out.kurtogram.best.lo : a.lo;
    const double hi = a.autoBand ? out.kurtogram.best.hi : a.hi;
    out.envelope = korvex::EnvelopeSpectrumOf(record, {lo, hi, a.resolution});
    if (!out.envelope.error.empty()) {
        error = out.envelope.error;
        return kExitUsage;
    }
    // What the verdict compares with: the record's own spectrum and the
    // envelope of a quiet band elsewhere, at the same resolution.
    const double res = out.envelope.df;
    const korvex::AveragedSpectrum raw =
        korvex::AveragedSpectrumOf(x, dt, res, out.envelope.hi - out.envelope.lo);
    const korvex::KurtogramBand q =
        korvex::QuietestBandElsewhere(out.kurtogram, out.envelope.lo, out.envelope.hi);
    korvex::EnvelopeSpectrum other;
    if (q.level >= 0.0) other = korvex::EnvelopeSpectrumOf(record, {q.lo, q.hi, res});
    out.reading = korvex::ReadFaultLines(out.envelope, out.shaftHz, lines, {&raw, &other});
    return kExitOk;
}

namespace {

int EnvelopeFail(Console& c, int code, const std::string& text) {
    return Fail(c, code, code == kExitUsage ? text + " (see vantrel envelope --help)" : text);
}

}  // namespace

const char* EnvelopeHelp() {
    static const std::string text = std::string(kEnvelopeUsage) + kEnvelopeHelp;
    return text.c_str();
}

int CommandEnvelope(const std::vector<std::string>& args, const char* usage, Console& c) {
    EnvelopeArgs a;
    std::string error;
    if (!ParseEnvelopeArgs(args, a, error)) return EnvelopeFail(c, kExitUsage, error);
    if (a.help) {
        c.out << usage;
        return kExitOk;
    }
    std::string plotter;
    if (!a.png.empty() && (plotter = FindPlotter(kPlotter, error)).empty())
        return EnvelopeFail(c, kExitOutput, error);
    if (!a.quiet) a.read.progress = CopyProgress(c.err, a.data);
    EnvelopeAnalysis r;
    if (const int code = AnalyseEnvelope(a, r, error); code != kExitOk)
        return EnvelopeFail(c, code, error);
    c.out << EnvelopeTable(r) << std::flush;
    for (const auto& [path, text] : {std::pair{a.json, EnvelopeJson(r)}, {a.csv, EnvelopeCsv(r)}}) {
        if (path.empty()) continue;
        if (!plat::WriteFileAtomic(path, text, &error))
            return EnvelopeFail(c, kExitOutput, "cannot write " + path + ": " + error);
        c.out << "Written: " << path << '\n';
    }
    return a.png.empty() ? kExitOk : RunPlotter(plotter, args, a.png, c);
}

}  // namespace vantrel
