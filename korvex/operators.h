#pragma once
// The host's processing operators as tree objects: "АвтоСпектр" (autospectrum
// of one block) and "Тахо" (rotation frequency from a pulse signal). They keep
// a parameter set (SetParameters, SetParameter), run the functions of dsp.h
// on the first input of RunOperator and hand back a new signal in output 1.
//
// RunOperator answers a status: 0 success, kStatusNoInput when the first
// input is no signal of this host, else the non-zero DspCode of the algorithm
// for bad input. Output 1 stays empty on every failure. GetOperatorState
// answers the outcome of the last run (0 before the first): the failure
// status, or the algorithm's note on a success with a remark (kDspNoEdges...).
//
// Threads: a run on a signal that has never been filed needs no host lock
// (only its holder can reach it), so runs on several threads go side by side;
// a run on a filed signal holds the host lock so that its input cannot change
// under it. Parameters are bound to the thread that sets them: a thread that
// has set any runs with its own set, one that has set none with the set last
// made on any thread. So engines on several threads can share one operator,
// and a set made on one thread still serves another that sets nothing.
// GetOperatorState answers the same way for the outcome of the last run.

#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "korvex/dsp/dsp.h"
#include "korvex/objects.h"

namespace korvex {

inline constexpr const char* kAutoSpectrumName = "АвтоСпектр";
inline constexpr const char* kTachoName = "Тахо";
inline constexpr const char* kSpeedFromSpectrumName = "Обороты по спектру";
inline constexpr int kStatusNoInput = 200;  // apart from the DspCode values

struct SpeedTrackResult;  // korvex/dsp/speedtrack.h

class ProcessingOperator : public OperatorObj {
  public:
    using OperatorObj::OperatorObj;

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    // C++ side, for the calling thread.
    OperatorParams Params() const;
    int State() const;
    // The remark of the last run in words ("" when it had none); a run with
    // one also leaves it, with the operator's name, in the host's notes.
    std::string StateText() const;
    // Runs on a signal; status as RunOperator answers it.
    int Run(const plat::ObjPtr<SignalObj>& input, plat::ObjPtr<SignalObj>& out);

  protected:
    // Computes the output of one run from a signal of this host that cannot
    // change meanwhile; returns the status and sets state to the outcome.
    virtual int Compute(const SignalObj& in, const OperatorParams& params,
                        plat::ObjPtr<SignalObj>& out, int& state) = 0;
    // Called by Compute: the run's remark in words, for StateText and the log.
    static void SetRunText(std::string text);

  private:
    using ParamsPtr = std::shared_ptr<const OperatorParams>;
    struct Binding {
        std::weak_ptr<const void> thread;  // expires when its thread ends
        ParamsPtr params;
        int state = 0;
        std::string text;
        bool ran = false;
    };
    // Under mutex_: applies change to the calling thread's set, which then
    // also becomes the set of threads without one.
    template <class F>
    bool Change(F&& change);
    // The calling thread's binding, made when missing; or null when it has
    // none and make is false.
    Binding* Own(bool make);
    const Binding* Own() const;

    mutable std::mutex mutex_;  // guards the bindings, never held during a run
    ParamsPtr common_ = std::make_shared<const OperatorParams>();
    int commonState_ = 0;
    std::string commonText_;
    // By the address of a token each thread holds while it lives: unlike a
    // thread id it is never handed to a later thread while the entry stands.
    std::map<const void*, Binding> threads_;
};

class AutoSpectrumOperator final : public ProcessingOperator {
  public:
    explicit AutoSpectrumOperator(CorePtr core)
        : ProcessingOperator(std::move(core), kAutoSpectrumName) {}

  protected:
    // Output: the power lines 0..N/2 (StartX 0, StepX df), attribute "rmscoef"
    // written so that it reads back to the same double, x axis in Hz.
    int Compute(const SignalObj& in, const OperatorParams& params, plat::ObjPtr<SignalObj>& out,
                int& state) override;
};

class TachoOperator final : public ProcessingOperator {
  public:
    explicit TachoOperator(CorePtr core) : ProcessingOperator(std::move(core), kTachoName) {}

  protected:
    // Output: one frequency per analysis block, in Hz ("typeAxesX" 1) or rpm
    // (2), with the input's name, start time and Text5.
    int Compute(const SignalObj& in, const OperatorParams& params, plat::ObjPtr<SignalObj>& out,
                int& state) override;
};

// "Обороты по спектру": the rotation frequency of a shaft followed as the
// line of one of its orders through the input's spectral map
// (dsp/speedtrack.h). Failures answer the SpeedTrackCode or DspCode; a line
// that jumps by a factor near 2 succeeds with the note kSpeedOctaveJump.
class SpeedFromSpectrumOperator final : public ProcessingOperator {
  public:
    explicit SpeedFromSpectrumOperator(CorePtr core)
        : ProcessingOperator(std::move(core), kSpeedFromSpectrumName) {}

  protected:
    // Output: one frequency per spectrum, as the "Тахо" operator's.
    int Compute(const SignalObj& in, const OperatorParams& params, plat::ObjPtr<SignalObj>& out,
                int& state) override;
};

// The speed signal of a search: the rotation frequency in Hz (rpm when
// rpm), with the input's name, Text5 and start time, a time axis.
SignalData SpeedSignalData(const SpeedTrackResult& r, const SignalData& input, bool rpm);

}  // namespace korvex
