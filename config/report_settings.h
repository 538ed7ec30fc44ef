#pragma once
// Report test programs with their steady operating modes, and the report
// window and layout options. Part of the configuration.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {
class ProfileFile;
}

struct ReportMode {
    std::string name;
    double value = 0.0;     // feature-channel value of the mode
    double range = 0.0;     // allowed deviation, plus or minus
    double duration = 0.0;  // seconds the feature must stay in range

    bool operator==(const ReportMode&) const = default;
};

struct ReportProgram {
    std::string name;
    std::string featureChannel;  // empty = none
    std::vector<ReportMode> modes;

    bool operator==(const ReportProgram&) const = default;
    // Usable for an automatic report.
    bool IsComplete() const { return !featureChannel.empty() && !modes.empty(); }
};

struct ReportRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const ReportRect&) const = default;
};

struct ReportSettings {
    std::string reportFile;  // empty = the default report file
    ReportRect dlgRect;
    std::array<int32_t, 5> colWidth{};
    int32_t fontSize = 10;
    bool bNewPage = false;
    bool bLandscape = false;
    bool bOpenReport = true;
    std::string autoProgram;  // last choice of the automatic-report dialog; not stored
    std::string autoFile;     // not stored
    std::vector<ReportProgram> programs;
    std::vector<std::string> headerChannels;

    bool operator==(const ReportSettings&) const = default;

    // First program of that name (case-insensitive); null for an empty name.
    ReportProgram* FindProgram(const std::string& name);
    const ReportProgram* FindProgram(const std::string& name) const;

    // "reportDlg" keys of the settings file.
    bool SaveDialogKeys(const std::string& iniPath) const;
    void LoadDialogKeys(const std::string& iniPath);
    // "report" section of the configuration file.
    bool SavePrograms(const std::string& iniPath) const;
    void LoadPrograms(const std::string& iniPath);

    // The same on a file already in memory, so that a caller writing several
    // parts of one file replaces it only once.
    void SaveDialogKeys(plat::ProfileFile& ini) const;
    void LoadDialogKeys(const plat::ProfileFile& ini);
    void SavePrograms(plat::ProfileFile& ini) const;
    void LoadPrograms(const plat::ProfileFile& ini);

    // The report file to write: reportFile, or "Report.rtf" in the data
    // folder when it is empty.
    std::string ReportFilePath() const;
};

// Header channels joined with "; " (names trimmed, empty ones dropped), and back.
std::string HeaderChannelsToText(const std::vector<std::string>& names);
std::vector<std::string> HeaderChannelsFromText(const std::string& text);
