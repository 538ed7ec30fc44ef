// plgVantrel_LOC: the local-language library, built from the own (Russian)
// texts; a translation starts from a copy of them.

#include "ui/res/reslib.h"

extern "C" __attribute__((visibility("default"))) const res::Module* VantrelResourceModule(
    int abi) {
    if (abi != res::kResourceAbi) return nullptr;
    return &res::OwnModule();
}
