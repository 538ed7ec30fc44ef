// "vantrel speed": a shaft's speed from a vibration spectrum, written as a data file.

#include "apps/vantrel/speed_cmd.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>

#include "apps/vantrel/channel.h"
#include "apps/vantrel/interrupt.h"
#include "apps/vantrel/options.h"
#include "apps/vantrel/read_options.h"
#include "korvex/dsp/speedtrack.h"
#include "korvex/formats/formats.h"
#include "korvex/operators.h"
#include "korvex/stop.h"
#include "platform/numtext.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace vantrel {

namespace {

int Message(Console& c, int code, const std::string& text) {
    return Fail(c, code, text);
}

// "A,B" as two numbers.
bool Pair(const std::string& text, double& a, double& b) {
    const size_t comma = text.find(',');
    return comma != std::string::npos && Number(text.substr(0, comma), a) &&
           Number(text.substr(comma + 1), b);
}

struct SpeedArgs {
    std::map<std::string, std::string> values;
    korvex::ReadOptions read;
    bool quiet = false;
    bool help = false;
};

bool Parse(const std::vector<std::string>& args, SpeedArgs& a, std::string& error) {
    DataCommandLine line;
    line.valued = {"--data", "--channel", "--order",   "--start",   "--range",
                   "--out",  "--block",   "--overlap", "--max-rate"};
    line.take = [&a](const std::string& name, const std::string& value, std::string&) {
        a.values[name] = value;
        return true;
    };
    return ParseDataCommand(args, line, a.read, a.help, a.quiet, error);
}

// The search's parameters from the options; "" or what is wrong.
std::string Params(const SpeedArgs& a, korvex::SpeedTrackParams& p) {
    auto get = [&a](const char* k) {
        auto it = a.values.find(k);
        return it == a.values.end() ? std::string() : it->second;
    };
    if (get("--data").empty()) return "speed needs --data FILE";
    if (get("--channel").empty()) return "speed needs --channel NAME";
    if (get("--out").empty()) return "speed needs --out FILE";
    if (!Number(get("--order"), p.order) || !(p.order > 0.0))
        return "speed needs --order K, a positive number";
    if (const std::string s = get("--start"); !s.empty()) {
        if (!Pair(s, p.startX, p.startHz)) return "--start takes T,HZ (seconds, hertz), not " + s;
        p.hasStart = true;
    }
    if (const std::string r = get("--range"); !r.empty()) {
        if (!Pair(r, p.lo, p.hi)) return "--range takes LO,HI in hertz, not " + r;
        p.hasRange = true;
    }
    if (!p.hasStart && !p.hasRange) return "speed needs --start T,HZ or --range LO,HI";
    double v = 0;
    if (const std::string n = get("--block"); !n.empty()) {
        if (!Number(n, v) || v < korvex::kMinBlock || v > korvex::kMaxBlock ||
            (static_cast<int>(v) & (static_cast<int>(v) - 1)) != 0 || v != static_cast<int>(v))
            return "--block takes a power of two from 8, not " + n;
        p.spectrum.n = static_cast<int>(v);
    }
    if (const std::string o = get("--overlap"); !o.empty()) {
        if (!Number(o, v)) return "--overlap takes a per cent from 0 to 99, not " + o;
        p.spectrum.overlap = v;
    }
    if (const std::string m = get("--max-rate"); !m.empty()) {
        if (!Number(m, v) || !(v > 0.0)) return "--max-rate takes a positive share, not " + m;
        p.maxRate = v;
    }
    if (std::string e = korvex::CheckSpectrumParams(p.spectrum); !e.empty()) return e;
    const std::string ext = plat::FoldCase(fs::path(get("--out")).extension().string());
    if (ext != ".quor" && ext != ".uff" && ext != ".unv" && ext != ".mat" && ext != ".csv")
        return "--out must name a .quor, .uff, .unv, .mat or .csv file, not " + get("--out");
    return {};
}

// A CSV file of the one signal: the CSV writer's file, made in a folder
// beside the target and moved into place.
korvex::FileResult WriteOneCsv(const std::string& out, const korvex::DataSet& d) {
    const fs::path target(out);
    const fs::path dir = target.parent_path() / (target.filename().string() + ".tmp");
    std::error_code ec;
    fs::remove_all(dir, ec);
    korvex::FileResult r = korvex::WriteCsv(dir.string(), d);
    if (r.ok) {
        r.ok = false;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir, ec))
            if (e.is_regular_file()) {
                fs::rename(e.path(), target, ec);
                r.ok = !ec;
                break;
            }
        if (!r.ok) r.message = "cannot write \"" + out + "\"";
    }
    fs::remove_all(dir, ec);
    return r;
}

korvex::FileResult Write(const std::string& out, const korvex::DataSet& d) {
    const std::string ext = plat::FoldCase(fs::path(out).extension().string());
    if (ext == ".quor") return korvex::WriteQuor(out, d);
    if (ext == ".mat") return korvex::WriteMat(out, d);
    if (ext == ".csv") return WriteOneCsv(out, d);
    return korvex::WriteUff58(out, d);
}

// Arguments that do not fit the record: a start or band outside it, or a
// start whose line is another order than the one given.
bool ArgumentFault(int status) {
    return status == korvex::kSpeedBadStart || status == korvex::kSpeedBadRange ||
           status == korvex::kSpeedWrongOrder;
}

}  // namespace

int CommandSpeed(const std::vector<std::string>& args, const char* usage, Console& c) {
    SpeedArgs a;
    std::string error;
    if (!Parse(args, a, error))
        return Message(c, kExitUsage, error + " (see vantrel speed --help)");
    if (a.help) {
        c.out << usage;
        return kExitOk;
    }
    korvex::SpeedTrackParams p;
    if (error = Params(a, p); !error.empty())
        return Message(c, kExitUsage, error + " (see vantrel speed --help)");
    const std::string data = a.values["--data"], name = a.values["--channel"],
                      out = a.values["--out"];

    korvex::DataSet d;
    if (!a.quiet) a.read.progress = CopyProgress(c.err, data);
    const korvex::SignalData* ch = ReadChannel(data, a.read, name, d, error);
    if (!ch) return Message(c, kExitInput, error);

    korvex::SignalSnapshot snap;
    snap.samples = ch->mapped.empty() ? korvex::SampleBuffer(ch->samples) : ch->mapped;
    snap.startX = ch->startX;
    snap.stepX = ch->stepX;
    snap.unit = ch->unit;
    int quarter = 0;
    const bool show = !a.quiet;
    const korvex::SpeedTrackResult r = korvex::TrackSpeed(
        snap, p,
        [&c, &quarter, show](double part) {
            for (; show && quarter < 4 && part >= 0.25 * (quarter + 1); ++quarter)
                c.err << "spectral map " << 25 * (quarter + 1) << " %\n" << std::flush;
        },
        &korvex::g_stop);
    if (Interrupted()) return StoppedByUser(c);
    if (r.status != 0)
        return Message(c, ArgumentFault(r.status) ? kExitUsage : kExitCalcFailed,
                       data + ", channel \"" + name + "\": no speed: " + r.error);
    for (const std::string& n : r.notes) Warn(c, "channel \"" + name + "\": " + n);

    korvex::DataSet result;
    result.signals.push_back(korvex::SpeedSignalData(r, *ch, false));
    result.signals.back().folder.clear();
    result.signals.back().name = ch->name + ".speed";
    const korvex::FileResult w = Write(out, result);
    if (!w.ok) return Message(c, kExitOutput, w.message);
    c.out << "Written: " << out << " (\"" << result.signals.back().name << "\", " << r.hz.size()
          << " points every " << plat::GeneralText(r.stepX, 6) << " s, order "
          << plat::GeneralText(p.order, 6) << " seen in "
          << plat::GeneralText(r.seenShare * 100.0, 3) << " % of the spectra)\n"
          << std::flush;
    return kExitOk;
}

}  // namespace vantrel
