#pragma once
// What a spectrum graph or a spectral map graph of a graph window shows,
// without Qt: the parameters of the computation, the speed signal and the
// overlays, as the command line, the menus and the dialogs set them. The
// views (spectrumview.h, mapview.h) only show what is asked here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/dsp/spectralmap.h"

namespace workbench {

enum class ViewKind { Time, Spectrum, Map, OrderCut };

struct SpectrumSettings {
    korvex::SpectrumParams params;  // N 4096, Hanning, RMS, linear
    std::string speedPath;          // optional: orders in the readout
    // How the view starts: its frequency cursor, the highest frequency
    // shown (0: Nyquist), the harmonic cursor, the sideband spacing (0: off).
    std::optional<double> cursorHz;
    double maxHz = 0.0;
    bool harmonics = false;
    double sidebandHz = 0.0;
    // Above 0: the order spectrum of this many revolutions around the
    // cursor, from the speed signal (orderspectrum.h), in place of the
    // frequency spectrum.
    int orderRevs = 0;
};

struct MapSettings {
    MapSettings() {
        params.spectrum.overlap = 75.0;
        params.spectrum.scale = korvex::SpectrumScale::Db;
    }
    korvex::MapParams params;  // dB, 75 % overlap
    std::string speedPath;     // needed against speed or in orders
    // The colour range, in the cells' unit; automatic when not set.
    std::optional<double> colourLo, colourHi;
    // Every block and line kept (res=full), not reduced to display
    // resolution: a long map may then exceed the memory limit.
    bool fullResolution = false;
    // The highest frequency or order shown at first (0: all).
    double maxY = 0.0;
};

// A spectrum or map graph with its signals resolved to host ids.
struct ViewSpec {
    ViewKind kind = ViewKind::Time;
    SpectrumSettings spectrum;
    MapSettings map;
    int speedId = 0;
    // Drawn over the view: signals of frequencies or speeds, and folders
    // whose strips (overlays.h) are drawn.
    std::vector<int> overlaySignals;
    std::vector<std::string> overlayFolders;
    // An order-cut graph (OrderCut): the order, with the map's parameters
    // of the map it was picked on (ordercutview.h).
    double cutOrder = 0.0;
};

// "n=4096,window=hanning,..." after the signal path of --spectrum / --map.
// Keys of both: n, window (rect, tri, hanning, blackman, flattop or 1..5),
// avg, overlap, amp (rms, peak, power, psd), scale (lin, db), ref, speed,
// integrate (0, 1, 2: as the engine integrates a band) and centre (on, off:
// each block less its windowed mean, as the engine's block centring).
// A spectrum also takes f (its cursor, Hz), fmax, harmonics (on, off) and
// sidebands (spacing, Hz) and orders (R revolutions: an order spectrum).
// A map also takes x (time, speed), y (freq, order), db=LO:HI (colour
// range), bin (speed bin width), dir (up, down, both), from, to, maxorder,
// res (display, full), ymax (the top of the view).
// False with why naming the key.
bool ParseSpectrumKeys(std::string_view keys, SpectrumSettings& s, std::string& why);
bool ParseMapKeys(std::string_view keys, MapSettings& s, std::string& why);

// "Hanning", ...; "window N" for an unknown one; in the user's language.
std::string WindowName(int window);
// "RMS", "peak", ...: the English name files use (AmplitudeText: the user's).
std::string AmplitudeName(korvex::SpectrumAmplitude a);
std::string AmplitudeText(korvex::SpectrumAmplitude a);
// A spectrum's unit as the user's language writes it ("dB re 1 m/s^2").
std::string UnitText(const std::string& unit);

// What a view says of the resolution it used, in the user's language with
// locale-free numbers: "N 4096   Hanning   df 6.25 Hz   RBW 9.375 Hz   4 averages".
std::string ResolutionText(const korvex::SpectralResolution& r, int window);

}  // namespace workbench
