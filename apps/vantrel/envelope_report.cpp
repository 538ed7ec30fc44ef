// The texts of "vantrel envelope": JSON, CSV and the console's table.

#include <cmath>
#include <cstdio>

#include "apps/vantrel/envelope_cmd.h"
#include "platform/numtext.h"

namespace vantrel {

namespace {

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + '"';
}

// Shortest round-trip text; JSON has no infinity, so a non-finite number is null.
std::string JsonNumber(double v) {
    return std::isfinite(v) ? plat::ShortestText(v) : "null";
}

std::string Padded(std::string s, size_t width, bool left = false) {
    if (s.size() >= width) return s + ' ';
    const std::string pad(width - s.size(), ' ');
    return left ? s + pad : pad + s;
}

}  // namespace

std::string EnvelopeJson(const EnvelopeAnalysis& r) {
    const korvex::EnvelopeSpectrum& e = r.envelope;
    std::string j = "{\"file\": " + JsonString(r.file) + ", \"channel\": " + JsonString(r.channel) +
                    ", \"rate\": " + JsonNumber(r.rate) +
                    ", \"shaft_hz\": " + JsonNumber(r.shaftHz) +
                    ",\n \"band\": {\"lo\": " + JsonNumber(e.lo) + ", \"hi\": " + JsonNumber(e.hi) +
                    ", \"chosen_by\": \"" + (r.byKurtogram ? "kurtogram" : "user") +
                    "\", \"kurtosis\": " + JsonNumber(e.kurtosis) + "},\n \"lines\": [";
    bool first = true;
    for (const korvex::LineReading& l : r.reading.lines) {
        j += first ? "\n  " : ",\n  ";
        first = false;
        j += "{\"name\": " + JsonString(l.line.name) + ", \"order\": " + JsonNumber(l.line.order) +
             ", \"hz\": " + JsonNumber(l.hz) +
             ", \"found_hz\": " + (l.foundHz ? JsonNumber(*l.foundHz) : "null") +
             ", \"amplitude\": " + JsonNumber(l.amplitude) +
             ", \"snr_db\": " + JsonNumber(l.snrDb) +
             ", \"harmonics\": " + std::to_string(l.harmonics) +
             ", \"sidebands\": " + std::to_string(l.sidebands) + "}";
    }
    j += std::string(first ? "" : "\n ") + "],\n \"verdict\": \"" +
         korvex::FaultName(r.reading.verdict) + "\"}\n";
    return j;
}

std::string EnvelopeCsv(const EnvelopeAnalysis& r) {
    std::string out = "frequency_hz,amplitude_rms\n";
    const korvex::EnvelopeSpectrum& e = r.envelope;
    for (size_t k = 0; k < e.power.size(); ++k) {
        plat::AppendGeneral(out, static_cast<double>(k) * e.df, 10);
        out += ',';
        plat::AppendGeneral(out, e.Rms(k), 8);
        out += '\n';
    }
    return out;
}

std::string EnvelopeTable(const EnvelopeAnalysis& r) {
    const korvex::EnvelopeSpectrum& e = r.envelope;
    std::string t = "Band: " + plat::GeneralText(e.lo, 7) + " - " + plat::GeneralText(e.hi, 7) +
                    " Hz (" + (r.byKurtogram ? "kurtogram" : "given") + "), kurtosis " +
                    plat::FixedText(e.kurtosis, 3) + "\n";
    t += "Envelope spectrum: lines every " + plat::GeneralText(e.df, 6) + " Hz, " +
         std::to_string(e.blocks) + " blocks averaged, RMS amplitudes" +
         (r.unit.empty() ? std::string() : " in " + r.unit) + "; shaft " +
         plat::GeneralText(r.shaftHz, 7) + " Hz\n";
    if (!r.reading.lines.empty()) {
        t += Padded("line", 10, true) + Padded("order", 9) + Padded("Hz", 10) +
             Padded("found Hz", 10) + Padded("amplitude", 12) + Padded("SNR dB", 8) +
             Padded("harmonics", 10) + Padded("sidebands", 10) + "\n";
        for (const korvex::LineReading& l : r.reading.lines)
            t += Padded(l.line.name, 10, true) + Padded(plat::FixedText(l.line.order, 4), 9) +
                 Padded(plat::FixedText(l.hz, 2), 10) +
                 Padded(l.foundHz ? plat::FixedText(*l.foundHz, 2) : "-", 10) +
                 Padded(plat::GeneralText(l.amplitude, 4), 12) +
                 Padded(plat::FixedText(l.snrDb, 1), 8) + Padded(std::to_string(l.harmonics), 10) +
                 Padded(std::to_string(l.sidebands), 10) + "\n";
    }
    return t + "Verdict: " + korvex::FaultName(r.reading.verdict) + "\n";
}

}  // namespace vantrel
