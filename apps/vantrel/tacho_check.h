#pragma once
// Tacho channels whose pulses never cross the trigger levels: the engine
// files an all-zero rotation curve for them, as the host's tacho operator
// gives it, and every band that follows that shaft sits at its factor
// alone. The command says so instead of letting the zeros pass as a
// measured standstill.

#include <ostream>

class CCfgProc;
namespace korvex {
class Host;
}

namespace vantrel {

// One warning line on err for every tacho channel of the data set whose
// signal gives no edge, a single one, or edges that are no usable pulse
// train, with the options the calculation uses. Returns the number of
// warnings.
int WarnTachoWithoutEdges(const korvex::Host& host, const CCfgProc& cfg, std::ostream& err);

}  // namespace vantrel
