// A language library that carries only the report button's text and the
// error caption; every other text falls back to the plug-in's own.

#include "ui/res/ids.h"
#include "ui/res/reslib.h"

extern "C" __attribute__((visibility("default"))) const res::Module* VantrelResourceModule(
    int abi) {
    if (abi != res::kResourceAbi) return nullptr;
    static const res::TableModule m = [] {
        res::TableModule t;
        t.strings[res::IDS_BUTTON_REPORT] = "LOC report\nLOC tooltip";
        t.strings[res::IDS_ERROR] = "LOC error";
        return t;
    }();
    return &m;
}
