#pragma once
// The demo's configuration and frequency-base sections (data/demo), built
// into the command.

#include <span>
#include <string_view>

namespace vantrel {

struct DemoFile {
    std::string_view name;   // file name, no folder
    std::string_view bytes;  // contents as shipped
};

std::span<const DemoFile> DemoFiles();

// The configuration among them; its section files are named relative to it.
inline constexpr char kDemoConfigName[] = "gearbox.cfg";
// The test program of the configuration whose modes are the run-up's steady speeds.
inline constexpr char kDemoProgram[] = "Ступени скорости";
// The report the demo writes beside its folders.
inline constexpr char kDemoReportName[] = "report.rtf";

}  // namespace vantrel
