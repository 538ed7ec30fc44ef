// The host wrappers' longer calls: an operator's run, the cursor, objects by their kind.

#include "shell/host.h"

namespace host {

int Operator::RunOperator(const plat::DispPtr& input, plat::DispPtr& out) const {
    plat::Variant out1, out2, status;
    if (!Call(id::RunOperator, plat::InvokeKind::Method, &status, input, input,
              plat::Variant::ByRef(out1), plat::Variant::ByRef(out2)))
        return -1;
    out = out1.AsObject();
    return status.AsInt32(-1);
}

bool GraphService::GetCursorX(int graph, double& x) const {
    plat::Variant slot;
    if (!Call(id::GetCursorX, plat::InvokeKind::Method, nullptr, graph, plat::Variant::ByRef(slot),
              false))
        return false;
    return slot.ToDouble(x);
}

Signal App::GetSignal(const std::string& path) const {
    plat::DispPtr p = GetObject(path);
    if (!p || GetObjectKind(p) != KindSignal) return {};
    return Signal(std::move(p));
}

Operator App::GetOperator(const std::string& path) const {
    plat::DispPtr p = GetObject(path);
    if (!p || GetObjectKind(p) != KindOperator) return {};
    return Operator(std::move(p));
}

}  // namespace host
