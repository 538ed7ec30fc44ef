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
// A run holds the host lock: its input cannot change under it, and the other
// threads wait for one block's worth of work at most.

#include <span>
#include <string>

#include "korvex/dsp.h"
#include "korvex/objects.h"

namespace korvex {

inline constexpr const char* kAutoSpectrumName = "АвтоСпектр";
inline constexpr const char* kTachoName = "Тахо";
inline constexpr int kStatusNoInput = 200;  // apart from the DspCode values

class ProcessingOperator : public OperatorObj {
  public:
    using OperatorObj::OperatorObj;

    plat::DispResult Invoke(int dispId, plat::InvokeKind kind, std::span<plat::Variant> args,
                            plat::Variant* result) override;

    // C++ side (each takes the host lock).
    OperatorParams Params() const;
    int State() const;
    // Runs on a signal; status as RunOperator answers it.
    int Run(const plat::ObjPtr<SignalObj>& input, plat::ObjPtr<SignalObj>& out);

  protected:
    // Under the lock: computes the output of one run from a signal of this
    // host; returns the status and sets state to the outcome.
    virtual int RunLocked(const SignalObj& in, plat::ObjPtr<SignalObj>& out, int& state) = 0;

    OperatorParams params_;
    int state_ = 0;
};

class AutoSpectrumOperator final : public ProcessingOperator {
  public:
    explicit AutoSpectrumOperator(CorePtr core)
        : ProcessingOperator(std::move(core), kAutoSpectrumName) {}

  protected:
    // Output: the power lines 0..N/2 (StartX 0, StepX df), attribute "rmscoef"
    // written so that it reads back to the same double, x axis in Hz.
    int RunLocked(const SignalObj& in, plat::ObjPtr<SignalObj>& out, int& state) override;
};

class TachoOperator final : public ProcessingOperator {
  public:
    explicit TachoOperator(CorePtr core) : ProcessingOperator(std::move(core), kTachoName) {}

  protected:
    // Output: one frequency per analysis block, in Hz ("typeAxesX" 1) or rpm
    // (2), with the input's name, start time and Text5.
    int RunLocked(const SignalObj& in, plat::ObjPtr<SignalObj>& out, int& state) override;
};

}  // namespace korvex
