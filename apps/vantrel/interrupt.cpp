#include "apps/vantrel/interrupt.h"

#include <atomic>
#include <csignal>

#include "korvex/stop.h"
#include "processing/ordprocessing.h"

namespace vantrel {

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<COrdProcessing*> g_engine{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free &&
              std::atomic<COrdProcessing*>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    // Pressed again and again, it asks the same stop.
    g_interrupted.store(true);
    korvex::g_stop.store(true);
    if (COrdProcessing* engine = g_engine.load()) engine->RequestStop();
}

void (*Install(int signal))(int) {
    void (*previous)(int) = std::signal(signal, OnInterrupt);
    // A process started with the signal ignored (a background job) keeps
    // ignoring it.
    if (previous == SIG_IGN) std::signal(signal, SIG_IGN);
    return previous;
}

void Restore(int signal, void (*previous)(int)) {
    std::signal(signal, previous == SIG_ERR ? SIG_DFL : previous);
}

}  // namespace

InterruptScope::InterruptScope() {
    g_interrupted.store(false);
    korvex::g_stop.store(false);
    previousInt_ = Install(SIGINT);
    previousTerm_ = Install(SIGTERM);
}

InterruptScope::~InterruptScope() {
    Restore(SIGINT, previousInt_);
    Restore(SIGTERM, previousTerm_);
    g_engine.store(nullptr);
    g_interrupted.store(false);
    korvex::g_stop.store(false);
}

bool Interrupted() {
    return g_interrupted.load();
}

void Interrupt() {
    g_interrupted.store(true);
    korvex::g_stop.store(true);
    if (COrdProcessing* engine = g_engine.load()) engine->RequestStop();
}

void WatchEngine(COrdProcessing* engine) {
    g_engine.store(engine);
    if (engine && g_interrupted.load()) engine->RequestStop();
}

int StoppedByUser(Console& c) {
    c.out << std::flush;
    c.err << "vantrel: " << OrdResultText(OrdResultStopped) << '\n' << std::flush;
    c.lastError = OrdResultText(OrdResultStopped);
    return kExitCalcFailed;
}

}  // namespace vantrel
