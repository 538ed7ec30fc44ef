#pragma once
// The order map in the angle domain, as a spectral map (spectralmap.h): the
// signal resampled at equal angles of the shaft whose speed signal the map
// is given, one order spectrum over whole revolutions per column
// (order_spectrum.h). The map's N sets the revolutions per spectrum (N
// divided by the samples per revolution), its window and overlap are the
// spectra's; columns stand at each spectrum's time or speed.

#include "korvex/dsp/spectralmap.h"

namespace korvex {

// ComputeMap hands a map with params.angleDomain set to this.
MapResult ComputeAngleOrderMap(const SignalSnapshot& signal, const SignalSnapshot* speed,
                               const MapParams& params, const MapProgress& progress,
                               const std::atomic<bool>* stop);

}  // namespace korvex
