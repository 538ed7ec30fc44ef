// Report test programs with their steady modes, and the report window's options and keys.

#include "config/report_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/datafolder.h"
#include "platform/keyvalue.h"
#include "platform/numtext.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

constexpr const char* kDlgSection = "reportDlg";
constexpr const char* kReportSection = "report";

// Blanks and tabs only: names may legitimately hold other characters.
std::string TrimBlanks(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

}  // namespace

ReportProgram* ReportSettings::FindProgram(const std::string& name) {
    return const_cast<ReportProgram*>(std::as_const(*this).FindProgram(name));
}

const ReportProgram* ReportSettings::FindProgram(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (const ReportProgram& p : programs)
        if (plat::EqualNoCase(p.name, name)) return &p;
    return nullptr;
}

std::string ReportSettings::ReportFilePath() const {
    return reportFile.empty() ? plat::DefaultReportPath() : reportFile;
}

void ReportSettings::SaveDialogKeys(plat::ProfileFile& ini) const {
    char buf[160];
    ini.WriteString(kDlgSection, "repFile", reportFile);
    std::snprintf(buf, sizeof buf, "left=%d/top=%d/right=%d/bottom=%d", dlgRect.left, dlgRect.top,
                  dlgRect.right, dlgRect.bottom);
    ini.WriteString(kDlgSection, "dlgRect", buf);
    std::snprintf(buf, sizeof buf, "c0=%d/c1=%d/c2=%d/c3=%d/c4=%d", colWidth[0], colWidth[1],
                  colWidth[2], colWidth[3], colWidth[4]);
    ini.WriteString(kDlgSection, "dlgColWidth", buf);
    ini.WriteString(kDlgSection, "fontSize", std::to_string(fontSize));
    ini.WriteString(kDlgSection, "bNewPage", bNewPage ? "1" : "0");
    ini.WriteString(kDlgSection, "bLandscape", bLandscape ? "1" : "0");
    ini.WriteString(kDlgSection, "bOpenReport", bOpenReport ? "1" : "0");
}

void ReportSettings::LoadDialogKeys(const plat::ProfileFile& ini) {
    std::string v;
    if (ini.GetNonEmpty(kDlgSection, "repFile", v)) reportFile = v;

    dlgRect = ReportRect{};
    if (ini.GetNonEmpty(kDlgSection, "dlgRect", v)) {
        plat::KeyValues kv = plat::SplitKeyValues(v);
        ReportRect r{plat::KvInt(kv, "left"), plat::KvInt(kv, "top"), plat::KvInt(kv, "right"),
                     plat::KvInt(kv, "bottom")};
        if (r.right < r.left) std::swap(r.left, r.right);
        if (r.bottom < r.top) std::swap(r.top, r.bottom);
        if (!r.IsEmpty()) dlgRect = r;
    }
    if (ini.GetNonEmpty(kDlgSection, "dlgColWidth", v)) {
        plat::KeyValues kv = plat::SplitKeyValues(v);
        for (int i = 0; i < 5; ++i) colWidth[i] = plat::KvInt(kv, plat::ProfileKey("c%d", i));
    }
    if (ini.GetNonEmpty(kDlgSection, "fontSize", v)) fontSize = plat::AtoI(v);
    if (ini.GetNonEmpty(kDlgSection, "bNewPage", v)) bNewPage = plat::AtoI(v) != 0;
    if (ini.GetNonEmpty(kDlgSection, "bLandscape", v)) bLandscape = plat::AtoI(v) != 0;
    if (ini.GetNonEmpty(kDlgSection, "bOpenReport", v)) bOpenReport = plat::AtoI(v) != 0;
}

void ReportSettings::SavePrograms(plat::ProfileFile& ini) const {
    // Keys of programs and modes beyond the counts may stay from earlier
    // saves; the counts alone decide what is read.
    ini.WriteString(kReportSection, "nPrograms", std::to_string(programs.size()));
    for (size_t i = 0; i < programs.size(); ++i) {
        const ReportProgram& p = programs[i];
        int pi = static_cast<int>(i);
        ini.WriteString(kReportSection, plat::ProfileKey("prog%d_name", pi), p.name);
        ini.WriteString(kReportSection, plat::ProfileKey("prog%d_cnl", pi), p.featureChannel);
        ini.WriteString(kReportSection, plat::ProfileKey("prog%d_nPnts", pi),
                        std::to_string(p.modes.size()));
        for (size_t j = 0; j < p.modes.size(); ++j) {
            const ReportMode& m = p.modes[j];
            int mj = static_cast<int>(j);
            ini.WriteString(kReportSection, plat::ProfileKey("prog%dpnt%d_name", pi, mj), m.name);
            ini.WriteString(kReportSection, plat::ProfileKey("prog%dpnt%d_value", pi, mj),
                            plat::FixedText(m.value, 6));
            ini.WriteString(kReportSection, plat::ProfileKey("prog%dpnt%d_range", pi, mj),
                            plat::FixedText(m.range, 6));
            ini.WriteString(kReportSection, plat::ProfileKey("prog%dpnt%d_time", pi, mj),
                            plat::FixedText(m.duration, 1));
        }
    }
    ini.WriteString(kReportSection, "cnlsInHdr", HeaderChannelsToText(headerChannels));
}

void ReportSettings::LoadPrograms(const plat::ProfileFile& ini) {
    programs.clear();
    for (int i : ini.CountedKeys(kReportSection, "nPrograms", "prog")) {
        ReportProgram p;
        p.name = ini.GetString(kReportSection, plat::ProfileKey("prog%d_name", i));
        if (p.name.empty()) continue;
        p.featureChannel = ini.GetString(kReportSection, plat::ProfileKey("prog%d_cnl", i));
        for (int j : ini.CountedKeys(kReportSection, plat::ProfileKey("prog%d_nPnts", i),
                                     plat::ProfileKey("prog%dpnt", i))) {
            ReportMode m;
            m.name = ini.GetString(kReportSection, plat::ProfileKey("prog%dpnt%d_name", i, j));
            if (m.name.empty()) continue;
            m.value = plat::AtoF(
                ini.GetString(kReportSection, plat::ProfileKey("prog%dpnt%d_value", i, j)));
            m.range = plat::AtoF(
                ini.GetString(kReportSection, plat::ProfileKey("prog%dpnt%d_range", i, j)));
            m.duration = plat::AtoF(
                ini.GetString(kReportSection, plat::ProfileKey("prog%dpnt%d_time", i, j)));
            p.modes.push_back(std::move(m));
        }
        programs.push_back(std::move(p));
    }
    headerChannels.clear();
    bool found = false;
    std::string text = ini.GetString(kReportSection, "cnlsInHdr", {}, &found);
    if (found) headerChannels = HeaderChannelsFromText(text);
}

bool ReportSettings::SaveDialogKeys(const std::string& iniPath) const {
    plat::ProfileFile ini;
    if (!ini.Load(iniPath)) return false;
    SaveDialogKeys(ini);
    return ini.Save(iniPath);
}

void ReportSettings::LoadDialogKeys(const std::string& iniPath) {
    plat::ProfileFile ini;
    ini.Load(iniPath);  // an unreadable file reads as an empty one
    LoadDialogKeys(ini);
}

bool ReportSettings::SavePrograms(const std::string& iniPath) const {
    plat::ProfileFile ini;
    if (!ini.Load(iniPath)) return false;
    SavePrograms(ini);
    return ini.Save(iniPath);
}

void ReportSettings::LoadPrograms(const std::string& iniPath) {
    plat::ProfileFile ini;
    ini.Load(iniPath);
    LoadPrograms(ini);
}

std::string HeaderChannelsToText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        std::string t = TrimBlanks(name);
        if (t.empty()) continue;
        if (!text.empty()) text += "; ";
        text += t;
    }
    return text;
}

std::vector<std::string> HeaderChannelsFromText(const std::string& text) {
    std::vector<std::string> names;
    size_t pos = 0;
    for (;;) {
        size_t semi = text.find(';', pos);
        std::string t = TrimBlanks(std::string_view(text).substr(
            pos, semi == std::string::npos ? std::string::npos : semi - pos));
        if (!t.empty()) names.push_back(std::move(t));
        if (semi == std::string::npos) break;
        pos = semi + 1;
    }
    return names;
}
