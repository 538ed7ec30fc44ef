// Widget tests run on the offscreen platform in the locale of the
// environment, as the application sets it: CTest runs them in the C locale,
// CI once more under a comma-decimal one, so a number read or shown through a
// locale-following conversion fails there.

#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A locale asked for but not installed would leave "C" and pass vacuously.
    const char* wanted = std::getenv("LC_ALL");
    const char* got = std::setlocale(LC_ALL, nullptr);
    if (wanted && *wanted && std::strcmp(wanted, "C") != 0 && got && std::strcmp(got, "C") == 0) {
        std::fprintf(stderr, "locale %s is not installed\n", wanted);
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
