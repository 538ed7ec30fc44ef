// "Обороты по спектру" run on a tree signal from a snapshot, its result filed beside it.

#include "korvex/speedrun.h"

#include "korvex/dsp/speedtrack.h"

namespace korvex {

namespace {

plat::ObjPtr<SpeedFromSpectrumOperator> SpeedOperator(Host& host) {
    return plat::DynamicCast<SpeedFromSpectrumOperator>(host.FindObject(kSpeedFromSpectrumPath));
}

}  // namespace

OperatorParams SpeedOperatorKeys(Host& host) {
    const auto op = SpeedOperator(host);
    return op ? op->Params() : OperatorParams{};
}

SpeedRun RunSpeedFromSpectrum(Host& host, int signalId, const OperatorParams& keys,
                              const MapProgress& progress, const std::atomic<bool>* stop) {
    SpeedRun run;
    if (const auto op = SpeedOperator(host)) {
        plat::Variant ignored;
        plat::Invoke(op.get(), 14, plat::InvokeKind::Method, &ignored, keys.Format());
    }
    const plat::ObjPtr<SignalObj> signal = host.Graphs().SignalById(signalId);
    if (!signal) {
        run.message = "the signal is no longer there";
        return run;
    }
    const SignalSnapshot snap = SignalSnapshot::Of(*signal);
    SignalData input;
    std::string folder;
    {
        Lock lock = host.LockTree();
        input.name = signal->NameLocked();
        input.text5 = signal->Text5Locked();
        input.startTime = signal->StartTimeLocked();
        if (const FolderObj* parent = signal->ParentLocked()) folder = parent->Path();
    }
    if (folder.empty()) folder = kSignalsPath;
    SpeedTrackParams p;
    std::string error;
    int code = SpeedTrackParamsFrom(keys, p, error);
    SpeedTrackResult r;
    if (code == 0) {
        r = TrackSpeed(snap, p, progress, stop);
        error = r.error;
        code = r.status;
    }
    if (code != 0) {
        run.message = "\"" + input.name + "\": no speed: " + error;
        return run;
    }
    const plat::ObjPtr<SignalObj> out = host.NewSignal();
    out->Assign(SpeedSignalData(r, input, keys.Number("typeAxesX", 1.0) == 2.0));
    if (!host.AddSignal(folder, input.name + ".speed", out, &run.path)) {
        run.message = "\"" + input.name + "\": the speed could not be filed in " + folder;
        return run;
    }
    run.ok = true;
    run.notes = r.notes;
    return run;
}

}  // namespace korvex
