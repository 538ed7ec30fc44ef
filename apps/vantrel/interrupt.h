#pragma once
// Ctrl+C and SIGTERM while a command runs. The handler only sets flags: the
// command's, the host library's write stop (writes and copies under way then
// fail and leave no temporary file) and the engine's stop when a calculation
// runs, which it sees before its next block. Each command ends with code 1
// once it has cleaned up.

#include "apps/vantrel/job.h"

class COrdProcessing;

namespace vantrel {

// Installs the handlers for its lifetime and clears the flags.
class InterruptScope {
  public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

bool Interrupted();
// As the handler does it (tests, and a stop asked for by other means).
void Interrupt();
// The engine a signal stops now; nullptr when none runs. One that came
// before stops it at once.
void WatchEngine(COrdProcessing* engine);
// The stop's line on err; returns kExitCalcFailed.
int StoppedByUser(Console& console);

}  // namespace vantrel
