// For the SciPy check of MAT files: "dump FILE [RATE]" prints what the reader
// loads, a signal a line (folder, name, unit, step, start, values, tab
// separated, numbers with 17 digits); "write FILE" writes a small data set.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "korvex/formats/formats.h"
#include "platform/numtext.h"

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    korvex::DataSet d;
    if (command == "dump") {
        korvex::ReadOptions options;
        if (argc > 3) options.rate = std::atof(argv[3]);
        const korvex::FileResult r = korvex::ReadDataFile(argv[2], d, options);
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", r.message.c_str());
            return 1;
        }
        for (const korvex::SignalData& s : d.signals) {
            std::string line = s.folder + "\t" + s.name + "\t" + s.unit + "\t" +
                               plat::GeneralText(s.stepX, 17) + "\t" +
                               plat::GeneralText(s.startX, 17);
            for (double v : s.samples) line += "\t" + plat::GeneralText(v, 17);
            std::printf("%s\n", line.c_str());
        }
        return 0;
    }
    if (command == "write") {
        for (int i = 0; i < 3; ++i) {
            korvex::SignalData s;
            s.name = i == 2 ? "Ускорение 3" : "sig " + std::to_string(i + 1);
            s.folder = i == 1 ? "Ch/Levels" : "";
            s.unit = i == 2 ? "м/с²" : "mm/s";
            s.stepX = 1.0 / (100 * (i + 1));
            s.startX = 0.5 * i;
            for (int k = 0; k < 10 + i; ++k) s.samples.push_back(k * 0.1 + i);
            d.signals.push_back(s);
        }
        const korvex::FileResult r = korvex::WriteMat(argv[2], d);
        if (!r.ok) std::fprintf(stderr, "%s\n", r.message.c_str());
        return r.ok ? 0 : 1;
    }
    std::fprintf(stderr, "usage: mat_interop_tool dump FILE [RATE] | write FILE\n");
    return 2;
}
