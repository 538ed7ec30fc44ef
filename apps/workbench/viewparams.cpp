// The key lists of --spectrum and --map read into view settings; window and amplitude names.

#include "apps/workbench/viewparams.h"

#include <QCoreApplication>
#include <charconv>
#include <cmath>

#include "apps/workbench/readout.h"

namespace workbench {

namespace {

using korvex::SpectrumAmplitude;

// A text in the user's language, with %1 replaced by arg.
std::string Tr(const char* text, const std::string& arg = {}) {
    QString t = QCoreApplication::translate("Workbench", text);
    if (t.contains("%1")) t = t.arg(QString::fromStdString(arg));
    return t.toStdString();
}

bool Number(std::string_view text, double& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && std::isfinite(out);
}

bool Whole(std::string_view text, int& out) {
    double v;
    if (!Number(text, v) || v != std::floor(v) || std::fabs(v) > 1e9) return false;
    out = static_cast<int>(v);
    return true;
}

bool WindowKey(std::string_view v, int& out) {
    const char* names[] = {"rect", "tri", "hanning", "blackman", "flattop"};
    for (int i = 0; i < 5; ++i)
        if (v == names[i]) {
            out = i + 1;
            return true;
        }
    return Whole(v, out) && out >= 1 && out <= 5;
}

// Calls f(key, value) for each "key=value" of a comma list.
template <class F>
bool EachKey(std::string_view keys, std::string& why, F f) {
    while (!keys.empty()) {
        const size_t comma = keys.find(',');
        const std::string_view item = keys.substr(0, comma);
        keys = comma == std::string_view::npos ? std::string_view() : keys.substr(comma + 1);
        const size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            why = "expected key=value, got \"" + std::string(item) + "\"";
            return false;
        }
        const std::string_view key = item.substr(0, eq), value = item.substr(eq + 1);
        std::string bad;
        if (!f(key, value, bad)) {
            why = bad.empty() ? "bad value for " + std::string(key) : bad;
            return false;
        }
    }
    return true;
}

// The keys a spectrum and a map share; false with why empty for a bad value,
// with why set for an unknown key.
bool SpectrumKey(std::string_view k, std::string_view v, korvex::SpectrumParams& p,
                 std::string& speed, std::string& why) {
    if (k == "n") return Whole(v, p.n) && p.n > 0;
    if (k == "window") return WindowKey(v, p.window);
    if (k == "avg") return Whole(v, p.averages) && p.averages >= 1;
    if (k == "overlap") return Number(v, p.overlap);
    if (k == "ref") return Number(v, p.dbReference) && p.dbReference > 0;
    if (k == "integrate") return Whole(v, p.integrate) && p.integrate >= 0 && p.integrate <= 2;
    if (k == "centre") {
        if (v != "on" && v != "off") return false;
        p.removeMean = v == "on";
        return true;
    }
    if (k == "speed") {
        speed = v;
        return !v.empty() && v.front() == '/';
    }
    if (k == "scale") {
        if (v != "lin" && v != "db") return false;
        p.scale = v == "db" ? korvex::SpectrumScale::Db : korvex::SpectrumScale::Linear;
        return true;
    }
    if (k == "amp") {
        const SpectrumAmplitude all[] = {SpectrumAmplitude::Rms, SpectrumAmplitude::Peak,
                                         SpectrumAmplitude::Power, SpectrumAmplitude::Psd};
        const char* names[] = {"rms", "peak", "power", "psd"};
        for (int i = 0; i < 4; ++i)
            if (v == names[i]) {
                p.amplitude = all[i];
                return true;
            }
        return false;
    }
    why = "unknown key " + std::string(k);
    return false;
}

bool RangeKey(std::string_view v, std::optional<double>& lo, std::optional<double>& hi) {
    const size_t colon = v.find(':');
    double a, b;
    if (colon == std::string_view::npos || !Number(v.substr(0, colon), a) ||
        !Number(v.substr(colon + 1), b) || !(b > a))
        return false;
    lo = a;
    hi = b;
    return true;
}

bool MapKey(std::string_view k, std::string_view v, MapSettings& s, std::string& why) {
    korvex::MapParams& p = s.params;
    if (k == "x" && (v == "time" || v == "speed")) {
        p.x = v == "time" ? korvex::MapAxisX::Time : korvex::MapAxisX::Speed;
        return true;
    }
    if (k == "y" && (v == "freq" || v == "order" || v == "angle")) {
        p.y = v == "freq" ? korvex::MapAxisY::Frequency : korvex::MapAxisY::Order;
        p.angleDomain = v == "angle";
        return true;
    }
    if (k == "dir" && (v == "up" || v == "down" || v == "both")) {
        p.direction = v == "up"     ? korvex::SpeedDirection::Rising
                      : v == "down" ? korvex::SpeedDirection::Falling
                                    : korvex::SpeedDirection::Both;
        return true;
    }
    if (k == "res" && (v == "full" || v == "display")) {
        s.fullResolution = v == "full";
        return true;
    }
    if (k == "x" || k == "y" || k == "dir" || k == "res") return false;
    if (k == "db") return RangeKey(v, s.colourLo, s.colourHi);
    if (k == "bin") return Number(v, p.binStep) && p.binStep >= 0;
    if (k == "from") return Number(v, p.from);
    if (k == "to") return Number(v, p.to);
    if (k == "ymax") return Number(v, s.maxY) && s.maxY > 0;
    if (k == "maxorder") return Number(v, p.maxOrder) && p.maxOrder >= 0;
    return SpectrumKey(k, v, p.spectrum, s.speedPath, why);
}

}  // namespace

bool ParseSpectrumKeys(std::string_view keys, SpectrumSettings& s, std::string& why) {
    return EachKey(keys, why, [&](std::string_view k, std::string_view v, std::string& bad) {
        double x;
        if (k == "f") {
            if (!Number(v, x) || x < 0) return false;
            s.cursorHz = x;
            return true;
        }
        if (k == "orders") {
            if (!Number(v, x) || x != std::floor(x) || x < 0 || x > 4096) return false;
            s.orderRevs = static_cast<int>(x);
            return true;
        }
        if (k == "fmax") return Number(v, s.maxHz) && s.maxHz > 0;
        if (k == "sidebands") return Number(v, s.sidebandHz) && s.sidebandHz >= 0;
        if (k == "harmonics") {
            s.harmonics = v == "on";
            return v == "on" || v == "off";
        }
        return SpectrumKey(k, v, s.params, s.speedPath, bad);
    });
}

bool ParseMapKeys(std::string_view keys, MapSettings& s, std::string& why) {
    return EachKey(keys, why, [&](std::string_view k, std::string_view v, std::string& bad) {
        return MapKey(k, v, s, bad);
    });
}

std::string WindowName(int window) {
    const char* names[] = {
        QT_TRANSLATE_NOOP("Workbench", "rectangular"), QT_TRANSLATE_NOOP("Workbench", "triangular"),
        QT_TRANSLATE_NOOP("Workbench", "Hanning"), QT_TRANSLATE_NOOP("Workbench", "Blackman"),
        QT_TRANSLATE_NOOP("Workbench", "flat top")};
    if (window >= 1 && window <= 5) return Tr(names[window - 1]);
    return Tr(QT_TRANSLATE_NOOP("Workbench", "window %1"), std::to_string(window));
}

std::string AmplitudeName(korvex::SpectrumAmplitude a) {
    switch (a) {
        case SpectrumAmplitude::Rms:
            return QT_TRANSLATE_NOOP("Workbench", "RMS");
        case SpectrumAmplitude::Peak:
            return QT_TRANSLATE_NOOP("Workbench", "peak");
        case SpectrumAmplitude::Power:
            return QT_TRANSLATE_NOOP("Workbench", "power");
        case SpectrumAmplitude::Psd:
            return QT_TRANSLATE_NOOP("Workbench", "PSD");
    }
    return "";
}

std::string AmplitudeText(korvex::SpectrumAmplitude a) {
    return Tr(AmplitudeName(a).c_str());
}

std::string UnitText(const std::string& unit) {
    const std::string db = "dB re ";
    if (unit.compare(0, db.size(), db) != 0) return unit;
    return Tr(QT_TRANSLATE_NOOP("Workbench", "dB re %1"), unit.substr(db.size()));
}

std::string ResolutionText(const korvex::SpectralResolution& r, int window) {
    std::string t = "N " + std::to_string(r.n) + "   " + WindowName(window) + "   " +
                    Tr(QT_TRANSLATE_NOOP("Workbench", "df %1 Hz"), FormatNumber(r.df)) + "   " +
                    Tr(QT_TRANSLATE_NOOP("Workbench", "RBW %1 Hz"), FormatNumber(r.rbw));
    if (r.averages > 1)
        t += "   " + Tr(QT_TRANSLATE_NOOP("Workbench", "%1 averages"), std::to_string(r.averages));
    return t;
}

}  // namespace workbench
