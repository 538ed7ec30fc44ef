#include "apps/vantrel/orders_cmd.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>

#include "apps/vantrel/options.h"
#include "apps/vantrel/read_options.h"
#include "korvex/formats/formats.h"
#include "platform/numtext.h"
#include "platform/profile.h"
#include "platform/text.h"

extern char** environ;

namespace fs = std::filesystem;

namespace vantrel {

const char kOrdersUsage[] =
    "Usage: vantrel orders --data FILE [--rate HZ] --channel NAME (--tacho NAME [--pulses K] |\n"
    "                      --speed NAME) [--orders K1,K2,...] [--max-order M] [--revs R]\n"
    "                      [--overlap PCT] [--window W] [--width ORDERS] [--out CUTS.csv]\n"
    "                      [--map MAP.csv] [--tsa FILE.csv [--shaft-ratio X]] [--png FILE]\n"
    "                      [--quiet] [READING]\n"
    "\n"
    "Resamples the channel at equal angles of the shaft (from the tacho's pulses or by\n"
    "integrating the speed signal, Hz or rpm), makes order spectra over R whole\n"
    "revolutions (resolution 1/R orders, RMS in the channel's unit) and writes:\n"
    "  --out CUTS.csv     a header line, then per order spectrum: time [s], speed [Hz],\n"
    "                     the RMS of each chosen order, then each one's phase [deg]\n"
    "                     against the tacho's first pulse, or the record's start when a\n"
    "                     pulse is up there (from a speed signal: its start),\n"
    "                     phi of a cos(2 pi K theta + phi)\n"
    "  --map MAP.csv      the order map: time [s], speed [Hz], one column per order line\n"
    "  --tsa FILE.csv     the synchronous average of the shaft: angle [deg], average,\n"
    "                     and the RMS per angle of the revolutions less the average\n"
    "  --shaft-ratio X    that shaft turns X times as fast as the tacho's (default 1)\n"
    "  --png FILE         the order map with the cuts beneath it\n"
    "Options:\n"
    "  --data FILE        the data file (any the host reads)\n"
    "  --rate HZ          the sample rate, for files that do not hold it\n"
    "  --channel NAME     the vibration channel (folder/name where names repeat)\n"
    "  --tacho NAME       the tacho channel\n"
    "  --speed NAME       or a speed channel (Hz or rpm), integrated to the angle\n"
    "  --orders K1,K2,... the orders cut into --out\n"
    "  --pulses K         tacho pulses per revolution (default 1)\n"
    "  --max-order M      highest order (default from --orders, at most what the sample\n"
    "                     rate holds at the top speed: 0.4 x rate / speed)\n"
    "  --revs R           revolutions per spectrum (default 16)\n"
    "  --overlap PCT      share of a spectrum's revolutions in the next (default 50)\n"
    "  --window W         1 rectangular, 2 triangular, 3 Hanning (default), 4 Blackman,\n"
    "                     5 flat top\n"
    "  --width ORDERS     band of each cut in orders (default one line, 1/R)\n"
    "  -q, --quiet        no progress output\n"
    "\n"
    "Exit codes: 0 success, 2 bad arguments (a --max-order or order above what the\n"
    "sample rate holds), 3 unreadable data, no pulses, or fewer revolutions than R,\n"
    "4 results could not be written.\n";

namespace {

int Message(Console& c, int code, const std::string& text) {
    c.err << "vantrel: " << text << '\n' << std::flush;
    return code;
}

bool Number(const std::string& text, double& v) {
    const char* first = text.c_str();
    const char* last = first + text.size();
    return !text.empty() && plat::ReadDecimal(first, last, v) == last && std::isfinite(v);
}

bool Whole(const std::string& text, int lo, int hi, int& v) {
    double d = 0;
    if (!Number(text, d) || d != std::floor(d) || d < lo || d > hi) return false;
    v = static_cast<int>(d);
    return true;
}

const char* const kValued[] = {"--data",    "--channel", "--tacho",       "--pulses",
                               "--speed",   "--orders",  "--max-order",   "--revs",
                               "--overlap", "--window",  "--width",       "--out",
                               "--map",     "--tsa",     "--shaft-ratio", "--png"};

// The numbers of the valued options; "" or what is wrong.
std::string TakeNumbers(std::map<std::string, std::string>& v, OrdersArgs& a) {
    auto has = [&v](const char* k) { return v.count(k) != 0; };
    if (has("--pulses") && !Whole(v["--pulses"], 1, 100000, a.pulses))
        return "--pulses takes a whole number from 1, not " + v["--pulses"];
    if (has("--revs") && !Whole(v["--revs"], 1, 65536, a.revs))
        return "--revs takes a whole number from 1, not " + v["--revs"];
    if (has("--window") && !Whole(v["--window"], 1, 5, a.window))
        return "--window takes 1 to 5, not " + v["--window"];
    if (has("--overlap") &&
        (!Number(v["--overlap"], a.overlap) || a.overlap < 0 || a.overlap >= 100))
        return "--overlap takes a per cent from 0 to below 100, not " + v["--overlap"];
    if (has("--max-order") && (!Number(v["--max-order"], a.maxOrder) || !(a.maxOrder > 0)))
        return "--max-order takes a positive number, not " + v["--max-order"];
    if (has("--width") && (!Number(v["--width"], a.width) || a.width < 0))
        return "--width takes a number of orders from 0, not " + v["--width"];
    if (has("--shaft-ratio") && (!Number(v["--shaft-ratio"], a.shaftRatio) || !(a.shaftRatio > 0)))
        return "--shaft-ratio takes a positive number, not " + v["--shaft-ratio"];
    if (has("--orders")) {
        const std::string& list = v["--orders"];
        size_t from = 0;
        while (from <= list.size()) {
            const size_t comma = std::min(list.find(',', from), list.size());
            double o = 0;
            if (!Number(list.substr(from, comma - from), o) || !(o > 0))
                return "--orders takes positive numbers parted by commas, not " + list;
            a.orders.push_back(o);
            from = comma + 1;
        }
    }
    return {};
}

}  // namespace

bool ParseOrdersArgs(const std::vector<std::string>& args, OrdersArgs& a, std::string& error) {
    auto known = [](const std::string& n) {
        for (const char* k : kValued)
            if (n == k) return true;
        return IsReadOption(n);
    };
    std::map<std::string, std::string> v;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& w = args[i];
        if (w == "-h" || w == "--help") {
            a.help = true;
            continue;
        }
        if (w == "-q" || w == "--quiet") {
            a.quiet = true;
            continue;
        }
        if (SetReadFlag(w, a.read)) continue;
        std::string name, value;
        if (!TakeOption(args, i, known, name, value, error)) return false;
        if (IsReadOption(name)) {
            if (!SetReadOption(name, value, a.read, error)) return false;
        } else if (!v.emplace(name, value).second) {
            error = name + " given twice";
            return false;
        }
    }
    if (a.help) return true;
    a.data = v["--data"];
    a.channel = v["--channel"];
    a.tacho = v["--tacho"];
    a.speed = v["--speed"];
    a.out = v["--out"];
    a.map = v["--map"];
    a.tsa = v["--tsa"];
    a.png = v["--png"];
    if (a.data.empty() || a.channel.empty())
        error = "orders needs --data FILE and --channel NAME";
    else if (a.tacho.empty() == a.speed.empty())
        error = "orders needs either --tacho NAME or --speed NAME";
    else if (v.count("--pulses") && a.tacho.empty())
        error = "--pulses goes with --tacho";
    else if (v.count("--shaft-ratio") && a.tsa.empty())
        error = "--shaft-ratio goes with --tsa";
    else if (a.out.empty() && a.map.empty() && a.tsa.empty() && a.png.empty())
        error = "orders needs --out, --map, --tsa or --png";
    else
        error = TakeNumbers(v, a);
    return error.empty();
}

namespace {

const korvex::SignalData* FindChannel(const korvex::DataSet& d, const std::string& name,
                                      std::string& error) {
    const korvex::SignalData* found = nullptr;
    int count = 0;
    for (const korvex::SignalData& s : d.signals) {
        const std::string full = s.folder.empty() ? s.name : s.folder + "/" + s.name;
        if (full == name) return &s;
        if (s.name == name) {
            found = &s;
            ++count;
        }
    }
    if (count > 1) error = "channel \"" + name + "\" is in several folders; name it as folder/name";
    if (count == 0) error = "no channel \"" + name + "\"";
    return count == 1 ? found : nullptr;
}

// The shaft's angle from the tacho or the speed channel.
int Track(const OrdersArgs& a, const korvex::DataSet& d, korvex::AngleTrack& track, Console& c) {
    std::string error;
    const std::string& name = a.tacho.empty() ? a.speed : a.tacho;
    const korvex::SignalData* s = FindChannel(d, name, error);
    if (!s) return Message(c, kExitInput, a.data + ": " + error);
    korvex::AngleTrackResult r;
    if (!a.tacho.empty()) {
        korvex::TachoAngleParams p;
        p.pulsesPerRev = a.pulses;
        r = korvex::TachoAngle(korvex::Values(*s), s->startX, s->stepX, p);
        if (r.error.empty() && r.repaired > 0 && !a.quiet)
            c.err << "tacho: " << r.repaired << " pulses repaired of " << r.edges << '\n';
    } else {
        const std::string unit = plat::FoldCase(s->unit);
        const bool rpm = unit == "rpm" || unit == "об/мин" || unit == "1/min";
        r = korvex::SpeedAngle(korvex::Values(*s), s->startX, s->stepX, rpm ? 1.0 / 60.0 : 1.0);
    }
    if (!r.error.empty()) return Message(c, kExitInput, a.data + ", \"" + name + "\": " + r.error);
    track = std::move(r.track);
    return kExitOk;
}

double TopSpeed(const korvex::AngleTrack& t) {
    double top = 0.0;
    const auto& r = t.Revs();
    const auto& s = t.Times();
    for (size_t k = 1; k < r.size(); ++k)
        top = std::max(top, (r[k] - r[k - 1]) / (s[k] - s[k - 1]));
    return top;
}

// The highest order, from --max-order or the orders; 0 after a message.
double MaxOrder(const OrdersArgs& a, double held, Console& c) {
    const double largest =
        a.orders.empty() ? 0.0 : *std::max_element(a.orders.begin(), a.orders.end());
    const std::string limit = "the sample rate holds orders to " + plat::GeneralText(held, 4) +
                              " at the top speed (0.4 x rate / speed)";
    if (a.maxOrder > held) {
        Message(c, kExitUsage, "--max-order " + plat::GeneralText(a.maxOrder, 6) + ": " + limit);
        return 0.0;
    }
    if (largest > held || (a.maxOrder > 0 && largest > a.maxOrder)) {
        Message(c, kExitUsage,
                "order " + plat::GeneralText(largest, 6) + " is above " +
                    (largest > held ? limit : "--max-order"));
        return 0.0;
    }
    if (a.maxOrder > 0) return a.maxOrder;
    return std::min(held, std::max(50.0, 1.25 * largest));
}

void Progress(const OrdersArgs& a, Console& c, const char* what) {
    if (!a.quiet) c.err << what << '\n' << std::flush;
}

}  // namespace

int ComputeOrders(const OrdersArgs& a, OrdersRun& run, Console& c) {
    korvex::DataSet d;
    korvex::ReadOptions read = a.read;
    read.mapSamples = true;
    if (!a.quiet) read.progress = CopyProgress(c.err, a.data);
    const korvex::FileResult file = korvex::ReadDataFile(a.data, d, read);
    if (!file.ok) return Message(c, kExitInput, ReadFailure(file.message, file.needsRate));
    std::string error;
    const korvex::SignalData* ch = FindChannel(d, a.channel, error);
    if (!ch) return Message(c, kExitInput, a.data + ": " + error);
    run.unit = ch->unit;
    run.channel = ch->name;
    korvex::AngleTrack track;
    if (const int code = Track(a, d, track, c); code != kExitOk) return code;

    const double top = TopSpeed(track), rate = 1.0 / ch->stepX;
    run.maxOrder = MaxOrder(a, korvex::MaxOrderHeld(rate, top), c);
    if (run.maxOrder <= 0.0) return kExitUsage;
    Progress(a, c, "resampling at equal angles");
    const korvex::AngleSignal sig =
        korvex::ResampleToAngle(korvex::Values(*ch), ch->startX, ch->stepX, track,
                                korvex::SamplesPerRev(run.maxOrder), run.maxOrder);
    if (!sig.error.empty()) return Message(c, kExitInput, a.data + ": " + sig.error);
    if (sig.aliasWarnings > 0)
        Warn(c, std::to_string(sig.aliasWarnings) +
                    " stretches changed speed too fast for a clean anti-alias cut");
    Progress(a, c, "order spectra");
    korvex::OrderSpectrumParams p;
    p.revs = a.revs;
    p.window = a.window;
    p.overlap = a.overlap;
    p.maxOrder = run.maxOrder;
    run.spectra = korvex::ComputeOrderSpectra(sig, track, p);
    if (!run.spectra.error.empty())
        return Message(c, kExitInput, a.data + ": " + run.spectra.error + " (--revs)");
    for (double o : a.orders) run.cuts.push_back(korvex::CutOrder(run.spectra, o, a.width));
    if (!a.tsa.empty()) {
        Progress(a, c, "synchronous average");
        const double shaftOrders = korvex::MaxOrderHeld(rate, top) / a.shaftRatio;
        int perRev = 64;
        while (perRev < 4.0 * shaftOrders && perRev < 8192) perRev *= 2;
        run.tsa = korvex::SynchronousAverage(korvex::Values(*ch), ch->startX, ch->stepX, track,
                                             a.shaftRatio, perRev);
        if (!run.tsa.error.empty()) return Message(c, kExitInput, a.data + ": " + run.tsa.error);
    }
    return kExitOk;
}

namespace {

std::string Num(double v) {
    return plat::GeneralText(v, 7);
}

std::string UnitSuffix(const std::string& unit) {
    return unit.empty() ? "" : " [" + unit + "]";
}

}  // namespace

std::string OrderCutsCsv(const OrdersRun& run) {
    std::string text = "time [s],speed [Hz]";
    for (const korvex::OrderCut& cut : run.cuts)
        text += ",order " + Num(cut.order) + " RMS" + UnitSuffix(run.unit);
    for (const korvex::OrderCut& cut : run.cuts)
        text += ",order " + Num(cut.order) + " phase [deg]";
    text += '\n';
    for (size_t row = 0; row < run.spectra.Rows(); ++row) {
        text += Num(run.spectra.time[row]) + ',' + Num(run.spectra.speed[row]);
        for (const korvex::OrderCut& cut : run.cuts) text += ',' + Num(cut.rms[row]);
        for (const korvex::OrderCut& cut : run.cuts)
            text += ',' + plat::FixedText(cut.phase[row], 2);
        text += '\n';
    }
    return text;
}

std::string OrderMapCsv(const OrdersRun& run) {
    const korvex::OrderSpectra& s = run.spectra;
    std::string text = "time [s],speed [Hz]";
    for (size_t k = 0; k < s.lines; ++k) text += ',' + Num(s.Order(k));
    text += '\n';
    for (size_t row = 0; row < s.Rows(); ++row) {
        text += Num(s.time[row]) + ',' + Num(s.speed[row]);
        for (size_t k = 0; k < s.lines; ++k) text += ',' + Num(std::sqrt(s.Power(row, k)));
        text += '\n';
    }
    return text;
}

std::string SyncAverageCsv(const OrdersRun& run) {
    const korvex::SyncAverage& t = run.tsa;
    std::string text = "angle [deg],average" + UnitSuffix(run.unit) + ",residual RMS" +
                       UnitSuffix(run.unit) + '\n';
    for (size_t j = 0; j < t.average.size(); ++j)
        text += Num(360.0 * static_cast<double>(j) / t.perRev) + ',' + Num(t.average[j]) + ',' +
                Num(t.residual[j]) + '\n';
    return text;
}

namespace {

constexpr char kPlotter[] = "vantrel-orders";

std::string PlotterPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const fs::path p = self.parent_path() / kPlotter;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

// The picture is drawn by the plotter beside this program, which reads and
// computes the same from the same arguments.
int RunPlotter(const std::string& plotter, const OrdersArgs& a, Console& c) {
    std::vector<std::string> words{plotter, "--quiet"};
    auto add = [&words](const char* k, const std::string& v) {
        if (v.empty()) return;
        words.push_back(k);
        words.push_back(v);
    };
    add("--data", a.data);
    add("--channel", a.channel);
    add("--tacho", a.tacho);
    add("--speed", a.speed);
    add("--png", a.png);
    if (!a.tacho.empty()) add("--pulses", std::to_string(a.pulses));
    std::string orders;
    for (double o : a.orders) orders += (orders.empty() ? "" : ",") + plat::GeneralText(o, 17);
    add("--orders", orders);
    if (a.maxOrder > 0) add("--max-order", plat::GeneralText(a.maxOrder, 17));
    add("--revs", std::to_string(a.revs));
    add("--overlap", plat::GeneralText(a.overlap, 17));
    add("--window", std::to_string(a.window));
    if (a.width > 0) add("--width", plat::GeneralText(a.width, 17));
    if (a.read.rate > 0) add("--rate", plat::GeneralText(a.read.rate, 17));
    add("--cache-dir", a.read.cacheDir);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    c.out << std::flush;
    pid_t pid = 0;
    if (posix_spawn(&pid, plotter.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return Message(c, kExitOutput, "cannot start " + plotter);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return kExitOutput;
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExitOutput;
}

int Write(const std::string& path, const std::string& text, const std::string& what, Console& c) {
    std::string error;
    if (!plat::WriteFileAtomic(path, text, &error))
        return Message(c, kExitOutput, "cannot write " + path + ": " + error);
    c.out << "Written: " << path << " (" << what << ")\n" << std::flush;
    return kExitOk;
}

}  // namespace

int CommandOrders(const std::vector<std::string>& args, const char* usage, Console& c) {
    OrdersArgs a;
    std::string error;
    if (!ParseOrdersArgs(args, a, error))
        return Message(c, kExitUsage, error + " (see vantrel orders --help)");
    if (a.help) {
        c.out << usage;
        return kExitOk;
    }
    std::string plotter;
    if (!a.png.empty() && (plotter = PlotterPath()).empty())
        return Message(c, kExitOutput,
                       std::string("the PNG is drawn by ") + kPlotter +
                           ", which is not beside vantrel (a build without the user interface)");
    OrdersRun run;
    if (const int code = ComputeOrders(a, run, c); code != kExitOk) return code;
    const std::string rows = std::to_string(run.spectra.Rows()) + " order spectra";
    int code = kExitOk;
    if (!a.out.empty()) code = Write(a.out, OrderCutsCsv(run), rows, c);
    if (code == kExitOk && !a.map.empty())
        code = Write(a.map, OrderMapCsv(run), rows + ", orders to " + Num(run.maxOrder), c);
    if (code == kExitOk && !a.tsa.empty())
        code = Write(a.tsa, SyncAverageCsv(run),
                     std::to_string(run.tsa.revolutions) + " revolutions averaged", c);
    if (code == kExitOk && !a.png.empty()) code = RunPlotter(plotter, a, c);
    return code;
}

}  // namespace vantrel
