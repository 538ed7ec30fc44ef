#pragma once
// A program's stop (Ctrl+C): the host library's long work (writes, the copy
// of a long recording, operators over whole signals) looks at it between
// pieces and ends early when it is set: a write fails as stopped, leaving
// its target as it was and no temporary file; an operator's result is then
// not to be used. Lock-free, so a signal handler may set it.

#include <atomic>

namespace korvex {

inline std::atomic<bool> g_stop{false};

inline bool StopAsked() {
    return g_stop.load(std::memory_order_relaxed);
}

}  // namespace korvex
