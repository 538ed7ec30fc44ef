// The command table. A new command is one row of kCommands: its word, a line
// for the list of "vantrel --help", its help text (usage first, then every
// option, each on its own lines), whether it reads data files with READING's
// options (appended to its help), and its handler, declared in its own
// header as int CommandX(const std::vector<std::string>& args, const char*
// usage, Console&). The handler prints usage for --help; args[0] is the word.

#include "apps/vantrel/commands.h"

#include <map>

#include "apps/vantrel/envelope_cmd.h"
#include "apps/vantrel/files_cmd.h"
#include "apps/vantrel/orders_cmd.h"
#include "apps/vantrel/read_options.h"
#include "apps/vantrel/report_cmd.h"
#include "apps/vantrel/speed_cmd.h"
#include "apps/vantrel/summary_cmd.h"
#include "apps/vantrel/trend_cmd.h"

namespace vantrel {

namespace {

constexpr char kRunUsage[] =
    "Usage: vantrel run --data FILE (--config FILE.cfg | --settings FILE) --out DIR\n"
    "                   [--jobs N] [--summary FILE.csv] [--band-frequencies] [--in-memory]\n"
    "                   [--strict] [--quiet] [READING]\n"
    "Calculates the band levels of a data file with a configuration and writes\n"
    "DIR/results.quor, results.uff, results.mat, csv/ and summary.csv.\n"
    "\n"
    "  --data FILE        the data file (.quor, .uff/.unv, .wav, .tdms, .mat, .csv or\n"
    "                     other text, .lvm)\n"
    "  --config FILE      the configuration file (section files relative to its folder)\n"
    "  --settings FILE    a settings file instead (its cfgFile, or itself)\n"
    "  --out DIR          the output folder, created when missing; checked before the\n"
    "                     calculation\n"
    "  --jobs N           measuring channels computed side by side, 1 to 256\n"
    "                     (default: one per core)\n"
    "  --summary FILE     also write the summary table there; a failed run writes one\n"
    "                     that says why\n"
    "  --band-frequencies also write every band's borders (and a tracking band's\n"
    "                     centre) in Hz, in \"Частоты полос\" below each channel\n"
    "  --in-memory        read the whole recording into memory instead of from the disk\n"
    "  --strict           any warning ends the run with code 3 before it writes\n"
    "  -q, --quiet        no progress output\n";

constexpr char kReportUsage[] =
    "Usage: vantrel report --data FILE (--config FILE.cfg | --settings FILE)\n"
    "                      --rtf REPORT.rtf (--at SECONDS [--at SECONDS ...] | --program NAME)\n"
    "                      [--out DIR] [--new-page] [--landscape] [--font-size N]\n"
    "                      [--band-frequencies] [--in-memory] [--strict] [--quiet] [READING]\n"
    "Calculates like run, then appends report entries to REPORT.rtf.\n"
    "\n"
    "  --data, --config, --settings   as for run\n"
    "  --rtf FILE         the report file (created when missing, else appended to);\n"
    "                     its folder is checked before the calculation\n"
    "  --at S             an entry at S seconds from the start; repeat for more\n"
    "  --program NAME     an entry per steady mode of the configuration's test program\n"
    "  --out DIR          also write the results as run does\n"
    "  --new-page         each later entry starts on a new page\n"
    "  --landscape        landscape entries\n"
    "  --font-size N      the entries' font size, 6 to 24 points\n"
    "  --band-frequencies, --in-memory, --strict   as for run\n"
    "  -q, --quiet        no progress output\n";

constexpr char kInfoUsage[] =
    "Usage: vantrel info FILE [--quiet] [READING]\n"
    "Lists what a data file holds: every signal with its folder, name, unit, points,\n"
    "step and start, and what the reader skipped or adjusted. It only reads: a long\n"
    "recording is read past (or from its copy, when one is made), never copied.\n"
    "\n"
    "  -q, --quiet        no progress output\n";

constexpr char kConvertUsage[] =
    "Usage: vantrel convert FILE OUT [--quiet] [READING]\n"
    "Writes a data file as OUT, by its name: .quor, .uff or .unv (UFF 58, ASCII), .mat,\n"
    "or CSV files, one per signal, below a folder (OUT ending with \"/\" or an existing\n"
    "folder). Any other name is refused.\n"
    "\n"
    "  -q, --quiet        no progress output\n";

constexpr char kCacheUsage[] =
    "Usage: vantrel cache (FILE | FOLDER)... [--make | --remove] [--quiet] [READING]\n"
    "Shows the copies that long recordings in formats other than .quor are read from,\n"
    "with their state: current, out of date, file gone, or unfinished (a copy being\n"
    "written, or cut off: idle for 10 minutes).\n"
    "\n"
    "  FILE               a data file: its copies\n"
    "  FOLDER             a data folder or ~/.cache/korvex: every copy lying there\n"
    "  --make             make FILE's copy now, as the first run would\n"
    "  --remove           remove FILE's copies; for a FOLDER those no run would use\n"
    "                     again (out of date, file gone, cut off)\n"
    "  -q, --quiet        no progress output (--make)\n"
    "The copies are looked for where the other commands make them: give the same\n"
    "--cache-dir DIR; --make reads FILE with the other reading options.\n";

constexpr char kDemoUsage[] =
    "Usage: vantrel demo [--out DIR] [--duration SECONDS] [--quiet]\n"
    "Makes the gearbox run-up sample and its configuration below DIR, calculates them\n"
    "and writes DIR/results/ and DIR/report.rtf (one entry per steady speed).\n"
    "\n"
    "  --out DIR          the folder (default ./vantrel-demo)\n"
    "  --duration S       the sample's length, 2 to 3600 seconds (default 60)\n"
    "  -q, --quiet        no progress output\n";

constexpr char kSpeedUsage[] =
    "Usage: vantrel speed --data FILE --channel NAME --order K (--start T,HZ | --range LO,HI)\n"
    "                     --out FILE [--block N] [--overlap PCT] [--max-rate R] [--quiet]\n"
    "                     [READING]\n"
    "Follows the line of order K through the channel's spectral map and writes the\n"
    "shaft's rotation frequency (Hz, signal NAME.speed).\n"
    "\n"
    "  --data FILE        the data file\n"
    "  --channel NAME     the vibration channel (folder/name where names repeat)\n"
    "  --order K          the order followed (1 the shaft, a gear's tooth count ...)\n"
    "  --start T,HZ       a time (s) and the frequency of the order's line then\n"
    "  --range LO,HI      the band the order's line stays in (Hz)\n"
    "  --out FILE         .quor, .uff, .unv, .mat or .csv\n"
    "  --block N          the map's block length, a power of two (default 8192)\n"
    "  --overlap PCT      the blocks' overlap (default 75)\n"
    "  --max-rate R       the fastest speed change, a share per second (default 0.5)\n"
    "  -q, --quiet        no progress output\n";

constexpr char kSummaryUsage[] =
    "Usage: vantrel summary --out ALL.csv [--log FILE] PATH...\n"
    "Merges summary tables into one, sorted by data set, channel, item and time.\n"
    "\n"
    "  PATH               a summary file, or a folder searched below for summary files\n"
    "  --out ALL.csv      the merged table (replaced once complete)\n"
    "  --log FILE         the list of failed runs and unreadable files (default:\n"
    "                     ALL.csv with the extension .log)\n";

constexpr char kTrendUsage[] =
    "Usage: vantrel trend --summary ALL.csv --channel C --item I [--mode M] [--value V]\n"
    "                     (--png OUT.png | --csv OUT.csv | both)\n"
    "One band of a merged summary over the recordings' start times, with its limits\n"
    "and zones.\n"
    "\n"
    "  --summary FILE     a merged (or single) summary table\n"
    "  --channel C        the channel\n"
    "  --item I           the item (band) name\n"
    "  --mode M           the mode's rows (default \"whole recording\")\n"
    "  --value V          max (default), mean, min or last of each row\n"
    "  --png OUT.png      a picture, drawn by vantrel-trend beside vantrel\n"
    "  --csv OUT.csv      the points: data_set,start_time,from_s,value,alert,danger,zone,state\n";

const std::vector<Command> kCommands = {
    {"run", "calculate a data file with a configuration and write the results", kRunUsage, true,
     CommandRun},
    {"report", "calculate, then append entries to an RTF report", kReportUsage, true,
     CommandReport},
    {"info", "list the signals a data file holds", kInfoUsage, true, CommandInfo},
    {"convert", "write a data file in another format", kConvertUsage, true, CommandConvert},
    {"cache", "show, make or remove the copies long recordings are read from", kCacheUsage, true,
     CommandCache},
    {"demo", "make the gearbox sample and calculate it", kDemoUsage, false, CommandDemo},
    {"speed", "a shaft's rotation frequency from a vibration channel", kSpeedUsage, true,
     CommandSpeed},
    {"envelope", "a bearing's fault lines in the envelope spectrum of a channel, with a verdict",
     EnvelopeHelp(), true, CommandEnvelope},
    {"orders", "order spectra, cuts with phase and synchronous averages in the angle domain",
     kOrdersUsage, true, CommandOrders},
    {"summary", "merge summary tables of many runs", kSummaryUsage, false, CommandSummary},
    {"trend", "one band over many recordings, as a picture or a table", kTrendUsage, false,
     CommandTrend},
};

}  // namespace

const std::vector<Command>& Commands() {
    return kCommands;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

const std::string& CommandHelp(const Command& command) {
    static const std::map<std::string, std::string> texts = [] {
        std::map<std::string, std::string> m;
        for (const Command& c : kCommands)
            m[c.name] = std::string(c.usage) +
                        (c.reading ? "\n" + std::string(kReadOptionsUsage) : std::string());
        return m;
    }();
    return texts.at(command.name);
}

}  // namespace vantrel
