#pragma once
// Helpers of the widget tests: pending queued calls, channel records, a
// small frequency base and message boxes answered without a user.

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "config/cfgproc.h"
#include "ui/msgbox.h"

namespace uitest {

// Runs the queued calls a window has posted to itself.
inline void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

inline CfgChannel& AddChannel(CCfgProc& cfg, const std::string& name, int type,
                              bool check = false) {
    cfg.channelNames.push_back(name);
    auto ch = std::make_unique<CfgChannel>();
    ch->type = type;
    ch->check = check;
    CfgChannel& ref = *ch;
    cfg.channels[name] = std::move(ch);
    return ref;
}

template <class T>
T* Add(CCfgProcFolder& parent, const std::string& name) {
    auto node = std::make_unique<T>();
    node->name = name;
    return static_cast<T*>(parent.Append(std::move(node)));
}

// Section "Вал" with a tacho item and a folder of two bands; a second
// section whose only band is switched off; a third with a disabled folder
// that holds an enabled band.
struct Base {
    CCfgProcSection* shaft = nullptr;
    CCfgProcTaho* tacho = nullptr;
    CCfgProcFolder* gears = nullptr;
    CCfgProcBandTrack* mesh = nullptr;
    CCfgProcBandFix* low = nullptr;
    CCfgProcSection* dead = nullptr;
    CCfgProcSection* third = nullptr;
    CCfgProcBandFix* hidden = nullptr;
};

inline Base AddBase(CCfgProc& cfg) {
    Base b;
    auto s = std::make_unique<CCfgProcSection>();
    s->name = "Вал";
    b.shaft = s.get();
    cfg.sections.push_back(std::move(s));
    b.tacho = Add<CCfgProcTaho>(*b.shaft, "Обороты");
    b.gears = Add<CCfgProcFolder>(*b.shaft, "Зацепление");
    b.mesh = Add<CCfgProcBandTrack>(*b.gears, "Зуб 23x");
    b.low = Add<CCfgProcBandFix>(*b.gears, "10-100 Гц");

    auto d = std::make_unique<CCfgProcSection>();
    d->name = "Пусто";
    b.dead = d.get();
    cfg.sections.push_back(std::move(d));
    Add<CCfgProcBandFix>(*b.dead, "выкл")->enabled = false;

    auto t = std::make_unique<CCfgProcSection>();
    t->name = "Третий";
    b.third = t.get();
    cfg.sections.push_back(std::move(t));
    CCfgProcFolder* off = Add<CCfgProcFolder>(*b.third, "Папка");
    off->enabled = false;
    b.hidden = Add<CCfgProcBandFix>(*off, "1-10 кГц");
    return b;
}

// Message boxes answered with a fixed button and remembered.
class Boxes {
  public:
    explicit Boxes(int answer = ui::MbYes) {
        old_ = ui::SetMessageBoxHook([this, answer](const ui::MbRequest& r) {
            seen.push_back(r);
            return answer;
        });
    }
    ~Boxes() { ui::SetMessageBoxHook(old_); }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;
    std::vector<ui::MbRequest> seen;

  private:
    ui::MessageBoxHook old_;
};

}  // namespace uitest
