// The vantrel program: its arguments to VantrelMain, with stdout and stderr as its console.

#include <cstdio>
#include <exception>
#include <new>

#include "apps/vantrel/cli.h"

// Nothing may leave main as an exception: a failure the code below did not
// foresee (memory running out on a hostile input) still ends with a line
// saying so and the exit code of a failed command.
int main(int argc, char** argv) {
    try {
        return vantrel::VantrelMain(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("vantrel: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantrel: %s\n", e.what());
    } catch (...) {
        std::fputs("vantrel: unexpected failure\n", stderr);
    }
    return 3;
}
