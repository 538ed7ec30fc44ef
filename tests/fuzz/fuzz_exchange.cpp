// Frequency-base exchange files: a section that loads saves, reloads with the
// same tree (kinds, names, texts, flags) and saves the same bytes again.

#include "config/cfgitem.h"
#include "fuzz/fuzz_util.h"

namespace {

// Pre-order outline of the tree: one line per node.
void Outline(const CCfgProcItem& item, int depth, std::string& out) {
    out += std::to_string(depth) + " " + std::to_string(item.GetType()) + " " +
           (item.enabled ? "on " : "off ") + item.name + " | " + item.info + "\n";
    if (!item.IsFolder()) return;
    for (const auto& child : static_cast<const CCfgProcFolder&>(item).children)
        Outline(*child, depth + 1, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = fuzz::Scratch("in.json"), once = fuzz::Scratch("once.json"),
                      twice = fuzz::Scratch("twice.json");
    fuzz::WriteBytes(in, data, size);
    CCfgProcSection loaded;
    if (!loaded.LoadFromFile(in)) return 0;
    // A tree the format can't hold may be refused; what is saved must come back.
    if (!loaded.SaveToFile(once)) return 0;
    CCfgProcSection again;
    fuzz::Check(again.LoadFromFile(once), "a saved section does not load");
    std::string a, b;
    Outline(loaded, 0, a);
    Outline(again, 0, b);
    fuzz::Check(a == b, "a section reloads with another tree", a + "---\n" + b);
    fuzz::Check(again.SaveToFile(twice), "a reloaded section does not save");
    fuzz::Check(fuzz::ReadBytes(once) == fuzz::ReadBytes(twice), "a section saves differently");
    return 0;
}
