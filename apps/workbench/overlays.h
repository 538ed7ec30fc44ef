#pragma once
// What is drawn over a spectrum or a map, without Qt.
//
// An overlay signal holds frequencies over time (Hz), or a speed, taken as
// the first order (rpm -> Hz by its unit). Over a map it is a curve; over a
// spectrum, a marker at its value at the cursor time.
//
// Strips: in a folder, two signals "<label>.lo" and "<label>.hi" (Hz over
// time; "<label>.mid", when present, the centre line) form a strip
// "<label>". A dropped folder brings every strip in it and its sub-folders;
// its other signals are ignored. A strip is an outlined band over a map
// (the map's colours stay readable inside) and a shaded region over a
// spectrum (its lo and hi at the cursor time). Their labels are placed by
// PlaceLabels so that none covers another or the cursor's time box.

#include <limits>
#include <span>
#include <string>
#include <vector>

#include "apps/workbench/graphlayout.h"
#include "korvex/dsp/spectralmap.h"
#include "korvex/host.h"

namespace workbench {

// Hertz per unit of a signal of frequencies or speeds: 1/60 for "rpm",
// 1000 for "kHz", else 1.
double HertzPerUnit(const std::string& unit);

struct Strip {
    std::string label;
    int lo = 0, hi = 0, mid = 0;  // signal ids; mid 0 when absent
};

struct NamedSignal {
    std::string name;
    int id = 0;
};
// The strips of one folder's signals, in the order their ".lo" comes.
std::vector<Strip> PairStrips(std::span<const NamedSignal> signals);
// The strips of a folder and its sub-folders, labelled by the name alone;
// takes the host lock.
std::vector<Strip> FindStrips(const korvex::Host& host, const std::string& folderPath);

// A signal's samples as an overlay reads them (held under the host lock or
// from a snapshot): value at time t, in Hz.
struct Series {
    std::span<const double> y;
    double x0 = 0.0, dx = 1.0;
    double toHz = 1.0;
    double At(double t) const;  // NaN without samples
};

struct MapPoint {
    double x = 0.0, y = 0.0;  // in the map's axes; NaN breaks a curve
};
// How a map's axes read a frequency over time.
struct MapAxes {
    korvex::MapAxisX x = korvex::MapAxisX::Time;
    korvex::MapAxisY y = korvex::MapAxisY::Frequency;
    double t0 = 0.0, t1 = 0.0;      // the times the curve spans
    const Series* speed = nullptr;  // raw speed (its own unit), toHz to shaft Hz
};
// The curve of f over the map at `points` times from t0 to t1: against time
// or the speed at each time; in orders divided by the shaft frequency (NaN
// where the shaft stands).
std::vector<MapPoint> MapCurve(const Series& f, const MapAxes& axes, int points);

// The time in [t0, t1] at which the speed stood nearest to value, among the
// samples where it moves in the direction asked (a run-up map's click finds
// the run-up's time); NaN when none.
double TimeOfSpeed(const Series& speed, double value, double t0, double t1,
                   korvex::SpeedDirection direction);

// A band between two curves of the same times as closed polygons, one per
// run of points where both are numbers.
std::vector<std::vector<MapPoint>> BandPolygons(std::span<const MapPoint> lo,
                                                std::span<const MapPoint> hi);

// A label that wants to stand with its top left corner at (x, y); its
// width in full and shortened (shortWidth 0: no shorter form).
struct LabelWish {
    double x = 0.0, y = 0.0;
    double width = 0.0, shortWidth = 0.0;
};
struct PlacedLabel {
    bool shown = false;
    bool shortened = false;
    Box box;
};
struct LabelPlacement {
    std::vector<PlacedLabel> labels;  // one per wish, in the wishes' order
    int omitted = 0;                  // labels that found no free place
};
// Places labels of one height inside area, none over another or over an
// obstacle (the cursor's time box, a readout): each is tried at its wish
// (kept inside area), then staggered down a row at a time and, past the
// bottom, up from the wish, maxRows rows in all; then the same shortened.
// A label that fits nowhere is left out and counted. Labels are placed from
// left to right, so the same wishes give the same picture.
LabelPlacement PlaceLabels(std::span<const LabelWish> wishes, double height, const Box& area,
                           std::span<const Box> obstacles, int maxRows = 4);

}  // namespace workbench
