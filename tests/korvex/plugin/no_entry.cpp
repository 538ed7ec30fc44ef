// A library that is no plug-in: it loads but exports no class-object entry
// point, so the host must report and skip it.
extern "C" __attribute__((visibility("default"))) int NotAPlugin() {
    return 1;
}
