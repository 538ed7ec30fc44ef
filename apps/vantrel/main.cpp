#include "apps/vantrel/cli.h"

int main(int argc, char** argv) {
    return vantrel::VantrelMain(argc, argv);
}
