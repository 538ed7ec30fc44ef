#pragma once
// A tiny stand-in for the host: just the calls that list the signals of a
// folder, answered from a few records.

#include <map>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "shell/host.h"

namespace fake {

using plat::DispResult;
using plat::InvokeKind;
using plat::Variant;

struct SignalSpec {
    std::string name;
    std::string unit;
    double step = 0.001;
    int itemKind = host::ItemKindSignal;
};

class Signal : public plat::IDispatchObject {
  public:
    explicit Signal(SignalSpec s) : spec(std::move(s)) {}
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant>, Variant* r) override {
        if (kind != InvokeKind::PropertyGet || !r) return DispResult::MemberNotFound;
        if (id == host::id::Name)
            *r = spec.name;
        else if (id == host::id::Unit)
            *r = spec.unit;
        else if (id == host::id::StepX)
            *r = spec.step;
        else
            return DispResult::MemberNotFound;
        return DispResult::Ok;
    }
    SignalSpec spec;
};

class Item : public plat::IDispatchObject {
  public:
    explicit Item(SignalSpec s) : kind_(s.itemKind), signal_(plat::MakeObj<Signal>(std::move(s))) {}
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant>, Variant* r) override {
        if (kind != InvokeKind::Method || !r) return DispResult::MemberNotFound;
        if (id == host::id::GetItemKind)
            *r = kind_;
        else if (id == host::id::GetItemObject)
            *r = signal_;
        else
            return DispResult::MemberNotFound;
        return DispResult::Ok;
    }

  private:
    int kind_;
    plat::DispPtr signal_;
};

class Folder : public plat::IDispatchObject {
  public:
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant> args, Variant* r) override {
        if (!r) return DispResult::MemberNotFound;
        if (id == host::id::ItemCount && kind == InvokeKind::PropertyGet) {
            *r = static_cast<int>(items.size());
        } else if (id == host::id::GetItem && kind == InvokeKind::Method && args.size() == 1) {
            int i = args[0].AsInt32(-1);
            if (i < 0 || i >= static_cast<int>(items.size())) return DispResult::Failed;
            *r = items[i];
        } else {
            return DispResult::MemberNotFound;
        }
        return DispResult::Ok;
    }
    std::vector<plat::DispPtr> items;
};

class App : public plat::IDispatchObject {
  public:
    DispResult Invoke(int id, InvokeKind kind, std::span<Variant> args, Variant* r) override {
        if (kind != InvokeKind::Method || !r || args.size() != 1) return DispResult::MemberNotFound;
        if (id == host::id::GetFolder) {
            auto it = folders.find(args[0].AsText());
            if (it == folders.end()) return DispResult::Failed;
            *r = it->second;
        } else if (id == host::id::GetObjectKind) {
            plat::DispPtr p = args[0].AsObject();
            *r = dynamic_cast<Folder*>(p.get()) ? int{host::KindFolder} : int{host::KindNone};
        } else {
            return DispResult::MemberNotFound;
        }
        return DispResult::Ok;
    }

    void AddFolder(const std::string& path, const std::vector<SignalSpec>& signals) {
        auto folder = plat::MakeObj<Folder>();
        for (const auto& s : signals) folder->items.push_back(plat::MakeObj<Item>(s));
        folders[path] = folder;
    }

    std::map<std::string, plat::DispPtr> folders;
};

}  // namespace fake
