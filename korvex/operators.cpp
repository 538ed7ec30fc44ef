// The operators "АвтоСпектр" and "Тахо": parameters, runs on an input, their outputs.

#include "korvex/operators.h"

#include <charconv>
#include <exception>

#include "korvex/dsp/speedtrack.h"
#include "korvex/units.h"
#include "platform/numtext.h"

namespace korvex {

using plat::DispResult;
using plat::InvokeKind;
using plat::Variant;

namespace {

const std::pair<int, int> kQuantityX{units::kPartQuantity, units::kAxisX};
const std::pair<int, int> kUnitX{units::kPartUnit, units::kAxisX};
const std::pair<int, int> kQuantityY{units::kPartQuantity, units::kAxisY};
const std::pair<int, int> kUnitY{units::kPartUnit, units::kAxisY};

}  // namespace

DispResult ProcessingOperator::Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                                      Variant* result) {
    if (kind != InvokeKind::Method) return DispResult::MemberNotFound;
    try {
        switch (dispId) {
            case 14: {  // SetParameters(text)
                if (args.size() != 1) return DispResult::BadArgCount;
                std::string text;
                if (args[0].Type() == plat::VarType::Object || !args[0].ToText(text))
                    return DispResult::TypeMismatch;
                return Change([&](OperatorParams& p) { return p.Parse(text); })
                           ? DispResult::Ok
                           : DispResult::Failed;
            }
            case 11: {  // SetParameter(key, number)
                if (args.size() != 2) return DispResult::BadArgCount;
                std::string key;
                double v = 0;
                if (args[0].Type() == plat::VarType::Object || !args[0].ToText(key) ||
                    !args[1].ToDouble(v))
                    return DispResult::TypeMismatch;
                if (key.empty()) return DispResult::Failed;
                Change([&](OperatorParams& p) {
                    p.Set(key, v);
                    return true;
                });
                return DispResult::Ok;
            }
            case 7: {  // GetOperatorState
                if (!args.empty()) return DispResult::BadArgCount;
                if (result) *result = Variant(State());
                return DispResult::Ok;
            }
            case 10: {  // RunOperator(in, in, &out1, &out2)
                if (args.size() != 3 && args.size() != 4) return DispResult::BadArgCount;
                if (!args[2].RefTarget()) return DispResult::TypeMismatch;
                args[2].SetRef(Variant());
                if (args.size() == 4) args[3].SetRef(Variant());
                plat::DispPtr in;
                args[0].ToObject(in);
                plat::ObjPtr<SignalObj> out;
                const int status = Run(plat::DynamicCast<SignalObj>(in), out);
                if (status == 0 && out) args[2].SetRef(Variant(std::move(out)));
                if (result) *result = Variant(status);
                return DispResult::Ok;
            }
            default:
                return DispResult::MemberNotFound;
        }
    } catch (const std::exception&) {
        return DispResult::Failed;
    }
}

namespace {

// The remark Compute leaves for the run on this thread.
thread_local std::string runText;

const std::shared_ptr<const void>& ThreadToken() {
    thread_local const std::shared_ptr<const void> token = std::make_shared<char>();
    return token;
}

}  // namespace

ProcessingOperator::Binding* ProcessingOperator::Own(bool make) {
    const std::shared_ptr<const void>& token = ThreadToken();
    auto it = threads_.find(token.get());
    if (it != threads_.end() && it->second.thread.lock() == token) return &it->second;
    if (!make) return nullptr;
    // Threads that have ended leave their bindings behind: drop them now.
    std::erase_if(threads_, [](const auto& e) { return e.second.thread.expired(); });
    Binding& b = threads_[token.get()];
    b = Binding{};
    b.thread = token;
    return &b;
}

const ProcessingOperator::Binding* ProcessingOperator::Own() const {
    const std::shared_ptr<const void>& token = ThreadToken();
    auto it = threads_.find(token.get());
    return it != threads_.end() && it->second.thread.lock() == token ? &it->second : nullptr;
}

template <class F>
bool ProcessingOperator::Change(F&& change) {
    std::lock_guard lock(mutex_);
    Binding* own = Own(false);
    auto changed = std::make_shared<OperatorParams>(own && own->params ? *own->params : *common_);
    if (!change(*changed)) return false;
    if (!own) own = Own(true);
    own->params = changed;
    common_ = std::move(changed);
    return true;
}

OperatorParams ProcessingOperator::Params() const {
    std::lock_guard lock(mutex_);
    const Binding* own = Own();
    return own && own->params ? *own->params : *common_;
}

int ProcessingOperator::State() const {
    std::lock_guard lock(mutex_);
    const Binding* own = Own();
    return own && own->ran ? own->state : commonState_;
}

std::string ProcessingOperator::StateText() const {
    std::lock_guard lock(mutex_);
    const Binding* own = Own();
    return own && own->ran ? own->text : commonText_;
}

void ProcessingOperator::SetRunText(std::string text) {
    runText = std::move(text);
}

int ProcessingOperator::Run(const plat::ObjPtr<SignalObj>& input, plat::ObjPtr<SignalObj>& out) {
    out.reset();
    ParamsPtr params;
    {
        std::lock_guard lock(mutex_);
        const Binding* own = Own();
        params = own && own->params ? own->params : common_;
    }
    int status = kStatusNoInput;
    int state = 0;
    runText.clear();
    if (input && input->Core() == core_) {
        Lock lock(core_->mutex, std::defer_lock);
        if (input->Shared()) lock.lock();
        status = Compute(*input, *params, out, state);
    }
    if (status != 0) {
        out.reset();
        state = status;
    }
    std::string text = std::move(runText);
    runText.clear();
    if (!text.empty()) {
        std::lock_guard lock(core_->notesMutex);
        // A log nobody reads must not grow without end.
        if (core_->operatorNotes.size() >= 1000)
            core_->operatorNotes.erase(core_->operatorNotes.begin());
        core_->operatorNotes.push_back(text);
    }
    std::lock_guard lock(mutex_);
    Binding* own = Own(true);
    own->state = state;
    own->text = text;
    own->ran = true;
    commonState_ = state;
    commonText_ = std::move(text);
    return status;
}

int AutoSpectrumOperator::Compute(const SignalObj& in, const OperatorParams& params,
                                  plat::ObjPtr<SignalObj>& out, int& state) {
    SpectrumResult r;
    const int status = AutoSpectrum(in.SamplesLocked(), in.StepXLocked(), params, r);
    if (status != 0) return status;
    state = r.state;

    SignalData d;
    d.unit = units::SquaredUnit(in.UnitLocked());
    d.text5 = in.Text5Locked();
    d.startX = 0.0;
    d.stepX = r.df;
    d.startTime = in.StartTimeLocked();
    d.axisCodes[kQuantityX] = units::kQuantityFrequency;
    d.axisCodes[kUnitX] = units::kUnitHertz;
    // The shortest text that reads back to the same double, free of the locale.
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, r.rmscoef);
    d.attributes.emplace_back("rmscoef", std::string(buf, written.ptr));
    d.samples = std::move(r.power);

    out = plat::MakeObj<SignalObj>(core_);
    out->AssignLocked(std::move(d));
    out->SetName(in.NameLocked());
    return 0;
}

int TachoOperator::Compute(const SignalObj& in, const OperatorParams& params,
                           plat::ObjPtr<SignalObj>& out, int& state) {
    TachoResult r;
    int status;
    {  // a whole channel read, several times: a few megabytes of it at a time
        const SampleBuffer::WalkGuard walk = in.SamplesLocked().WalkAll();
        status = Tacho(in.SamplesLocked(), in.StartXLocked(), in.StepXLocked(), params, r);
    }
    in.SamplesLocked().DoneWithAll();  // its pages go back
    if (status != 0) return status;
    state = r.state;
    if (!r.note.empty()) SetRunText("Tacho \"" + in.NameLocked() + "\": " + r.note);

    const bool rpm = r.unit.empty() ? params.Number("typeAxesX", 1.0) == 2.0 : r.unit == "rpm";
    SignalData d;
    d.unit = rpm ? "rpm" : "Hz";
    d.text5 = in.Text5Locked();
    d.startX = r.startX;
    d.stepX = r.stepX;
    d.startTime = in.StartTimeLocked();
    d.axisCodes[kQuantityX] = units::kQuantityTime;
    d.axisCodes[kUnitX] = units::kUnitSecond;
    d.axisCodes[kQuantityY] = rpm ? units::kQuantityRotation : units::kQuantityFrequency;
    d.axisCodes[kUnitY] = rpm ? units::kUnitRpm : units::kUnitHertz;
    d.samples = std::move(r.values);

    out = plat::MakeObj<SignalObj>(core_);
    out->AssignLocked(std::move(d));
    out->SetName(in.NameLocked());
    return 0;
}

SignalData SpeedSignalData(const SpeedTrackResult& r, const SignalData& input, bool rpm) {
    SignalData d;
    d.name = input.name;
    d.unit = rpm ? "rpm" : "Hz";
    d.text5 = input.text5;
    d.startX = r.startX;
    d.stepX = r.stepX;
    d.startTime = input.startTime;
    d.axisCodes[kQuantityX] = units::kQuantityTime;
    d.axisCodes[kUnitX] = units::kUnitSecond;
    d.axisCodes[kQuantityY] = rpm ? units::kQuantityRotation : units::kQuantityFrequency;
    d.axisCodes[kUnitY] = rpm ? units::kUnitRpm : units::kUnitHertz;
    d.samples = r.hz;
    if (rpm)
        for (double& v : d.samples) v *= 60.0;
    return d;
}

int SpeedFromSpectrumOperator::Compute(const SignalObj& in, const OperatorParams& params,
                                       plat::ObjPtr<SignalObj>& out, int& state) {
    SpeedTrackParams p;
    std::string error;
    if (const int code = SpeedTrackParamsFrom(params, p, error); code != 0) return code;
    SignalSnapshot snap;
    snap.id = in.Id();
    snap.samples = in.SamplesLocked();
    snap.startX = in.StartXLocked();
    snap.stepX = in.StepXLocked();
    snap.unit = in.UnitLocked();
    const SpeedTrackResult r = TrackSpeed(snap, p);
    if (r.status != 0) return r.status;
    state = r.state;

    SignalData input;
    input.name = in.NameLocked();
    input.text5 = in.Text5Locked();
    input.startTime = in.StartTimeLocked();
    out = plat::MakeObj<SignalObj>(core_);
    out->AssignLocked(SpeedSignalData(r, input, params.Number("typeAxesX", 1.0) == 2.0));
    out->SetName(input.name);
    return 0;
}

}  // namespace korvex
