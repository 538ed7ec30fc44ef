// The signal objects of the host tree, their dispatch calls (values,
// attributes, axis codes, copies of a range) and typed face; the kinds of
// the tree's objects and its path helpers. Folders: folders.cpp.

#include "korvex/objects.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <new>

#include "korvex/units.h"

namespace korvex {

using plat::DispResult;
using plat::InvokeKind;
using plat::SetResult;
using plat::Variant;

namespace {

bool ArgText(const Variant& v, std::string& out) {
    // Objects and empty variants are no texts here.
    if (v.Type() == plat::VarType::Object || v.Type() == plat::VarType::Empty) return false;
    return v.ToText(out);
}

}  // namespace

int KindOf(const plat::IDispatchObject* obj) {
    if (!obj) return KindNone;
    if (dynamic_cast<const SignalObj*>(obj)) return KindSignal;
    if (dynamic_cast<const FolderObj*>(obj)) return KindFolder;
    if (dynamic_cast<const OperatorObj*>(obj)) return KindOperator;
    if (dynamic_cast<const DataFileObj*>(obj)) return KindDataFile;
    return KindNone;
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

std::string JoinPath(std::string_view folderPath, std::string_view name) {
    std::string out;
    for (std::string_view p : SplitPath(folderPath)) {
        out += '/';
        out += p;
    }
    if (!name.empty()) {
        out += '/';
        out += name;
    }
    if (out.empty()) out += '/';  // not out = "/", which trips a false -Wrestrict of GCC 12
    return out;
}

// ---------------------------------------------------------------------------
// Signal

SignalObj::SignalObj(CorePtr core)
    : core_(std::move(core)), id_(core_->nextSignalId.fetch_add(1, std::memory_order_relaxed)) {}

SignalObj::~SignalObj() = default;

DispResult SignalObj::Invoke(int dispId, InvokeKind kind, std::span<Variant> args,
                             Variant* result) {
    // A calculation asks GetY for every spectrum line of every band: its
    // common form on a signal only its holder reaches (no lock, exact
    // argument types, in range) is answered here, with no frame, and
    // everything else goes on with the registers as they came.
    if (__builtin_expect(dispId == 17 && kind == InvokeKind::Method && args.size() == 1 && result &&
                             args[0].Type() == plat::VarType::Int32 && result->IsPlain() &&
                             HolderInRange(args[0].Int32Value()),
                         1)) {
        result->SetPlainDouble(y_[static_cast<size_t>(args[0].Int32Value())]);
        return DispResult::Ok;
    }
    return InvokeNear(dispId, kind, args, result);
}

// GetX is asked per line too, and StepX, PointCount, GetAttribute and SetY
// per band: their common forms on an unshared signal are answered without
// the general path.
DispResult SignalObj::InvokeNear(int dispId, InvokeKind kind, std::span<Variant> args,
                                 Variant* result) {
    if (!Shared()) {
        if (kind == InvokeKind::Method) {
            if (dispId == 16 && args.size() == 1 && args[0].Type() == plat::VarType::Int32 &&
                result && result->IsPlain()) {
                const int32_t i = args[0].Int32Value();
                if (InRange(i)) {
                    result->SetPlainDouble(startX_ + stepX_ * i);
                    return DispResult::Ok;
                }
            } else if (dispId == 19 && args.size() == 2 && args[0].Type() == plat::VarType::Int32 &&
                       args[1].Type() == plat::VarType::Double) {
                const int32_t i = args[0].Int32Value();
                double* y = y_.OwnedData();
                if (y && InRange(i)) {
                    y[i] = args[1].DoubleValue();
                    return DispResult::Ok;
                }
            } else if (dispId == 61) {
                return AttributeCall(args, result);
            }
        } else if (kind == InvokeKind::PropertyGet && args.empty() && result && result->IsPlain()) {
            if (dispId == 1) {  // PointCount
                result->SetPlainInt32(static_cast<int32_t>(y_.size()));
                return DispResult::Ok;
            }
            if (dispId == 2) {  // StepX
                result->SetPlainDouble(stepX_);
                return DispResult::Ok;
            }
        }
    }
    return InvokeRest(dispId, kind, args, result);
}

// Out of line, so that the calls above need no frame.
DispResult SignalObj::AttributeCall(std::span<Variant> args, Variant* result) {
    if (args.size() == 1 && args[0].Type() == plat::VarType::Text && result) {
        // A short text is handed over without allocating, so nothing here
        // can throw.
        const std::string* value = FindAttribute(args[0].TextView());
        if (value && value->size() <= Variant::kInlineText) {
            *result = Variant(std::string_view(*value));
            return DispResult::Ok;
        }
    }
    return InvokeRest(61, InvokeKind::Method, args, result);
}

std::string SignalObj::AttributeLocked(std::string_view key) const {
    for (const auto& a : attributes_)
        if (a.first == key) return a.second;
    return {};
}

std::string* SignalObj::FindAttribute(std::string_view key) {
    for (auto& a : attributes_)
        if (a.first == key) return &a.second;
    return nullptr;
}

DispResult SignalObj::InvokeRest(int dispId, InvokeKind kind, std::span<Variant> args,
                                 Variant* result) {
    if (kind == InvokeKind::Method && (dispId == 17 || dispId == 16 || dispId == 19)) {
        if (!Shared()) return LineCall(dispId, args, result);
        return LockedLineCall(dispId, args, result);
    }
    return InvokeGeneral(dispId, kind, args, result);
}

// Out of line, so that the unlocked path needs no frame for the lock.
DispResult SignalObj::LockedLineCall(int dispId, std::span<Variant> args, Variant* result) {
    Lock lock(core_->mutex);
    return LineCall(dispId, args, result);
}

DispResult SignalObj::LineCall(int dispId, std::span<Variant> args, Variant* result) {
    int32_t i = 0;
    if (dispId == 19) {  // SetY
        if (args.size() != 2) return DispResult::BadArgCount;
        double v = 0;
        if (!args[0].ToInt32(i) || !args[1].ToDouble(v)) return DispResult::TypeMismatch;
        if (!InRange(i)) return DispResult::Failed;
        y_.Mutable()[static_cast<size_t>(i)] = v;
        return DispResult::Ok;
    }
    if (args.size() != 1) return DispResult::BadArgCount;
    if (!args[0].ToInt32(i)) return DispResult::TypeMismatch;
    if (!InRange(i)) return DispResult::Failed;
    if (result) *result = Variant(dispId == 17 ? y_[static_cast<size_t>(i)] : startX_ + stepX_ * i);
    return DispResult::Ok;
}

DispResult SignalObj::InvokeGeneral(int dispId, InvokeKind kind, std::span<Variant> args,
                                    Variant* result) {
    try {
        Guard guard(*this);
        switch (kind) {
            case InvokeKind::PropertyGet:
                if (!args.empty()) return DispResult::BadArgCount;
                return Get(dispId, result);
            case InvokeKind::PropertyPut:
                if (args.size() != 1) return DispResult::BadArgCount;
                return Put(dispId, args);
            case InvokeKind::Method:
                return Call(dispId, args, result);
        }
        return DispResult::MemberNotFound;
    } catch (const std::exception&) {
        // Out of memory for a huge PointCount or copy: the call fails, the
        // signal keeps what it had.
        return DispResult::Failed;
    }
}

DispResult SignalObj::Get(int dispId, Variant* result) {
    switch (dispId) {
        case 1:  // PointCount
            SetResult(result, static_cast<int32_t>(y_.size()));
            return DispResult::Ok;
        case 2:  // StepX
            SetResult(result, stepX_);
            return DispResult::Ok;
        case 3:  // StartX
            SetResult(result, startX_);
            return DispResult::Ok;
        case 4:  // Name
            SetResult(result, name_);
            return DispResult::Ok;
        case 5:  // Text5
            SetResult(result, text5_);
            return DispResult::Ok;
        case 6:  // Unit
            SetResult(result, UnitLocked());
            return DispResult::Ok;
        default:
            return DispResult::MemberNotFound;
    }
}

DispResult SignalObj::Put(int dispId, std::span<Variant> args) {
    const Variant& v = args[0];
    switch (dispId) {
        case 1: {  // PointCount: keeps the values it can, new points are 0
            int32_t n = 0;
            if (!v.ToInt32(n)) return DispResult::TypeMismatch;
            if (n < 0) return DispResult::Failed;
            y_.Resize(static_cast<size_t>(n));
            PointsChanged();
            return DispResult::Ok;
        }
        case 2:
        case 3: {
            double d = 0;
            if (!v.ToDouble(d)) return DispResult::TypeMismatch;
            if (!std::isfinite(d)) return DispResult::Failed;
            (dispId == 2 ? stepX_ : startX_) = d;
            return DispResult::Ok;
        }
        case 4: {  // Name: a filed signal is renamed in its folder
            std::string s;
            if (!ArgText(v, s)) return DispResult::TypeMismatch;
            return SetNameLocked(std::move(s)) ? DispResult::Ok : DispResult::Failed;
        }
        case 5: {
            std::string s;
            if (!ArgText(v, s)) return DispResult::TypeMismatch;
            text5_ = std::move(s);
            return DispResult::Ok;
        }
        default:
            return DispResult::MemberNotFound;
    }
}

DispResult SignalObj::Call(int dispId, std::span<Variant> args, Variant* result) {
    const size_t n = y_.size();
    switch (dispId) {
        case 23: {  // ValueAt(x, mode): 1 linear, 0 nearest point; ends hold outside
            if (args.empty() || args.size() > 2) return DispResult::BadArgCount;
            double x = 0;
            int32_t mode = 1;
            if (!args[0].ToDouble(x)) return DispResult::TypeMismatch;
            if (args.size() == 2 && !args[1].ToInt32(mode)) return DispResult::TypeMismatch;
            if ((mode != 0 && mode != 1) || n == 0 || std::isnan(x)) return DispResult::Failed;
            if (n == 1) {
                SetResult(result, y_[0]);
                return DispResult::Ok;
            }
            if (stepX_ == 0.0) return DispResult::Failed;
            const double pos = (x - startX_) / stepX_;
            double v;
            if (!(pos > 0.0)) {
                v = y_[0];
            } else if (pos >= static_cast<double>(n - 1)) {
                v = y_[n - 1];
            } else if (mode == 0) {
                v = y_[static_cast<size_t>(std::lround(pos))];
            } else {
                const size_t i = static_cast<size_t>(pos);
                const double f = pos - static_cast<double>(i);
                v = f == 0.0 ? y_[i] : y_[i] + (y_[i + 1] - y_[i]) * f;
            }
            SetResult(result, v);
            return DispResult::Ok;
        }
        case 15:  // GetSignalId
            if (!args.empty()) return DispResult::BadArgCount;
            SetResult(result, static_cast<int32_t>(id_));
            return DispResult::Ok;
        case 55:  // GetStartTime
            if (!args.empty()) return DispResult::BadArgCount;
            SetResult(result, startTime_);
            return DispResult::Ok;
        case 49: {  // SetStartTime
            if (args.size() != 1) return DispResult::BadArgCount;
            double d = 0;
            if (!args[0].ToDouble(d)) return DispResult::TypeMismatch;
            if (!std::isfinite(d)) return DispResult::Failed;
            startTime_ = d;
            return DispResult::Ok;
        }
        case 59: {  // GetAxisCode(part, axis)
            if (args.size() != 2) return DispResult::BadArgCount;
            int32_t part = 0, axis = 0;
            if (!args[0].ToInt32(part) || !args[1].ToInt32(axis)) return DispResult::TypeMismatch;
            SetResult(result, CodeLocked(part, axis));
            return DispResult::Ok;
        }
        case 63: {  // GetYRange(first, count, address): count values into the caller's array
            if (args.size() != 3) return DispResult::BadArgCount;
            int32_t first = 0, count = 0;
            uint64_t address = 0;
            if (!args[0].ToInt32(first) || !args[1].ToInt32(count) || !args[2].ToUInt64(address))
                return DispResult::TypeMismatch;
            if (first < 0 || count < 0 || static_cast<size_t>(first) > y_.size() ||
                static_cast<size_t>(count) > y_.size() - static_cast<size_t>(first) ||
                (address == 0 && count > 0))
                return DispResult::Failed;
            if (count > 0)
                std::memcpy(reinterpret_cast<double*>(static_cast<uintptr_t>(address)),
                            y_.data() + first, static_cast<size_t>(count) * sizeof(double));
            SetResult(result, count);
            return DispResult::Ok;
        }
        case 58: {  // SetAxisCode(part, axis, code)
            if (args.size() != 3) return DispResult::BadArgCount;
            int32_t part = 0, axis = 0;
            uint64_t code = 0;
            if (!args[0].ToInt32(part) || !args[1].ToInt32(axis) || !args[2].ToUInt64(code))
                return DispResult::TypeMismatch;
            codes_[{part, axis}] = code;
            return DispResult::Ok;
        }
        case 60: {  // SetAttribute(name, value)
            if (args.size() != 2) return DispResult::BadArgCount;
            std::string key, value;
            if (!ArgText(args[0], key) || !args[1].ToText(value)) return DispResult::TypeMismatch;
            if (key.empty()) return DispResult::Failed;
            if (std::string* old = FindAttribute(key))
                *old = std::move(value);
            else
                attributes_.emplace_back(std::move(key), std::move(value));
            return DispResult::Ok;
        }
        case 61: {  // GetAttribute(name): empty text when unset
            if (args.size() != 1) return DispResult::BadArgCount;
            // A text key (the usual case) is compared where it lies.
            std::string converted;
            std::string_view key = args[0].TextView();
            if (args[0].Type() != plat::VarType::Text) {
                if (!ArgText(args[0], converted)) return DispResult::TypeMismatch;
                key = converted;
            }
            const std::string* value = FindAttribute(key);
            SetResult(result, value ? *value : std::string());
            return DispResult::Ok;
        }
        case 62: {  // CopyRange(first, count)
            if (args.size() != 2) return DispResult::BadArgCount;
            int64_t first = 0, count = 0;
            if (!args[0].ToInt64(first) || !args[1].ToInt64(count)) return DispResult::TypeMismatch;
            plat::ObjPtr<SignalObj> copy = CopyRangeLocked(first, count);
            if (!copy) return DispResult::Failed;
            SetResult(result, std::move(copy));
            return DispResult::Ok;
        }
        default:
            return DispResult::MemberNotFound;
    }
}

bool SignalObj::SetNameLocked(std::string name) {
    // A signal not yet filed may carry a "/" (a result named after an item
    // such as "1/2X"): filing it under that name goes into sub-folders, just
    // as a lookup of that path does. A filed one is an entry of one folder.
    if (parent_) {
        if (name.empty() || name.find('/') != std::string::npos ||
            !parent_->CanRenameLocked(this, name))
            return false;
        core_->treeChanges.fetch_add(1, std::memory_order_relaxed);
    }
    name_ = std::move(name);
    return true;
}

uint64_t SignalObj::CodeLocked(int part, int axis) const {
    auto it = codes_.find({part, axis});
    return it == codes_.end() ? 0 : it->second;
}

std::string SignalObj::UnitLocked() const {
    if (const units::UnitInfo* u =
            units::FindUnitByCode(CodeLocked(units::kPartUnit, units::kAxisY)))
        return u->text;
    return unit_;
}

plat::ObjPtr<SignalObj> SignalObj::CopyRangeLocked(int64_t first, int64_t count) const {
    const auto n = static_cast<int64_t>(y_.size());
    if (first < 0 || count < 0 || first > n || count > n - first) return {};
    auto s = plat::MakeObj<SignalObj>(core_);
    s->name_ = name_;
    s->text5_ = text5_;
    s->unit_ = unit_;
    s->stepX_ = stepX_;
    s->startX_ = startX_ + stepX_ * static_cast<double>(first);
    s->startTime_ = startTime_;
    s->codes_ = codes_;
    s->attributes_ = attributes_;
    s->y_ = y_.Slice(static_cast<size_t>(first), static_cast<size_t>(count));
    s->PointsChanged();
    // Blocks are cut front to back: what lies before this one is done with.
    y_.DoneBefore(static_cast<size_t>(first));
    return s;
}

SignalData SignalObj::ToDataLocked() const {
    SignalData d;
    d.name = name_;
    d.unit = UnitLocked();
    d.text5 = text5_;
    d.startX = startX_;
    d.stepX = stepX_;
    d.startTime = startTime_;
    d.axisCodes = codes_;
    d.attributes = attributes_;
    d.samples = y_.ToVector();
    return d;
}

void SignalObj::AssignLocked(SignalData d) {
    text5_ = std::move(d.text5);
    unit_ = std::move(d.unit);
    startX_ = d.startX;
    stepX_ = d.stepX;
    startTime_ = d.startTime;
    codes_ = std::move(d.axisCodes);
    attributes_ = std::move(d.attributes);
    if (!d.mapped.empty())
        y_ = std::move(d.mapped);
    else
        y_.Assign(std::move(d.samples));
    PointsChanged();
}

std::string SignalObj::Name() const {
    Guard guard(*this);
    return name_;
}
std::string SignalObj::Unit() const {
    Guard guard(*this);
    return UnitLocked();
}
size_t SignalObj::PointCount() const {
    Guard guard(*this);
    return y_.size();
}
double SignalObj::StartX() const {
    Guard guard(*this);
    return startX_;
}
double SignalObj::StepX() const {
    Guard guard(*this);
    return stepX_;
}
std::vector<double> SignalObj::Samples() const {
    Guard guard(*this);
    return y_.ToVector();
}
SignalData SignalObj::ToData() const {
    Guard guard(*this);
    return ToDataLocked();
}
void SignalObj::Assign(SignalData data) {
    Guard guard(*this);
    AssignLocked(std::move(data));
}
bool SignalObj::SetName(const std::string& name) {
    Guard guard(*this);
    return SetNameLocked(name);
}
void SignalObj::SetUnit(const std::string& text) {
    Guard guard(*this);
    unit_ = text;
    const std::pair<int, int> q{units::kPartQuantity, units::kAxisY};
    const std::pair<int, int> u{units::kPartUnit, units::kAxisY};
    if (const units::UnitInfo* info = units::FindUnitByText(text)) {
        codes_[q] = info->quantity;
        codes_[u] = info->code;
    } else {
        codes_.erase(q);
        codes_.erase(u);
    }
}
plat::ObjPtr<SignalObj> SignalObj::CopyRange(int64_t first, int64_t count) const {
    Guard guard(*this);
    return CopyRangeLocked(first, count);
}

}  // namespace korvex
