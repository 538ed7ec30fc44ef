#pragma once
// A host holding the data set "test" and a configuration over it, for whole
// calculations in the engine's tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "file_signal.h"
#include "korvex/host.h"
#include "shell/host.h"

namespace testutil {

class EngineRig {
  public:
    EngineRig() {
        cfg.srcFileKorvex = "test";
        auto s = std::make_unique<CCfgProcSection>();
        s->name = "base";
        section = s.get();
        cfg.sections.push_back(std::move(s));
    }

    void AddSignal(const std::string& name, std::vector<double> y, double dt, uint64_t quantity = 0,
                   uint64_t unit = 0) {
        ASSERT_TRUE(FileSignal(*kh, "/Signals/test", name, std::move(y), dt, quantity, unit, "t5"));
    }

    CfgChannel& Channel(const std::string& name, int type, bool check = true) {
        cfg.channelNames.push_back(name);
        auto& rec = cfg.channels[name];
        rec = std::make_unique<CfgChannel>();
        rec->type = type;
        rec->check = check;
        return *rec;
    }

    template <class T>
    T* Add(const std::string& name, CCfgProcFolder* parent = nullptr) {
        auto item = std::make_unique<T>();
        item->name = name;
        return static_cast<T*>((parent ? parent : section)->Append(std::move(item)));
    }
    CCfgProcBandFix* Fixed(const std::string& name, double lo, double hi,
                           CCfgProcFolder* parent = nullptr) {
        auto* b = Add<CCfgProcBandFix>(name, parent);
        b->bandStart = lo;
        b->bandStop = hi;
        return b;
    }
    CCfgProcTaho* Tacho(const std::string& name, const std::string& channel) {
        auto* t = Add<CCfgProcTaho>(name);
        t->tachoChannel = channel;
        t->bandWidth.tachoRefId = t->id;
        return t;
    }

    void Select(const std::string& channel, const CCfgProcItem* item, int integr = 0,
                int valtype = 0) {
        CfgSignalOpt& o = cfg.channels[channel]->signalOpts[item->id];
        o.itemId = item->id;
        o.name = item->name;
        o.bEnabled = true;
        o.integr = integr;
        o.valtype = valtype;
    }

    std::vector<double> Values(const std::string& path) const {
        auto s = kh->FindSignal(path);
        return s ? s->Samples() : std::vector<double>{};
    }
    bool Exists(const std::string& path) const { return static_cast<bool>(kh->FindObject(path)); }

    plat::ObjPtr<korvex::Host> kh = korvex::CreateHost();
    host::App app{plat::DispPtr(kh)};
    CCfgProc cfg;
    CCfgProcSection* section = nullptr;
};

}  // namespace testutil
