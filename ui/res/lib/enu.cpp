// plgVantrel_ENU: the English language library.

#include "ui/res/en/english.h"
#include "ui/res/reslib.h"

extern "C" __attribute__((visibility("default"))) const res::Module* VantrelResourceModule(
    int abi) {
    if (abi != res::kResourceAbi) return nullptr;
    static const res::TableModule m = res::EnglishModule();
    return &m;
}
