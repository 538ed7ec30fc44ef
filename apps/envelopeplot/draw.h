#pragma once
// The picture of "vantrel envelope --png": the kurtogram (level against
// frequency, coloured by kurtosis, the band used outlined) above the
// envelope spectrum with the fault lines and their harmonics marked.

#include <QImage>

#include "apps/vantrel/envelope_cmd.h"

namespace envelopeplot {

QImage DrawEnvelope(const vantrel::EnvelopeAnalysis& r, int width = 1100, int height = 820);

}  // namespace envelopeplot
