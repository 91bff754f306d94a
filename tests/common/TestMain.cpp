// Test entry point shared by every suite.
//
// - Runs under a decimal-comma locale (de_DE.UTF-8), for both the C library and the global C++
//   locale, so no number formatting can silently depend on the C locale.
// - Points the XDG folders at a private temporary folder, so no test can touch the real user's
//   settings, and runs widgets on the offscreen platform.

#include "LsanSuppressions.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>

// Qt keeps a few process-lifetime objects that LeakSanitizer would report at exit.
extern "C" __attribute__((used, visibility("default"))) const char *__lsan_default_suppressions()
{
    return quorLsanSuppressions;
}

extern "C" __attribute__((used, visibility("default"))) const char *__lsan_default_options()
{
    return "print_suppressions=0";
}

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir sandbox;
    if (!sandbox.isValid()) {
        std::fprintf(stderr, "cannot create the test sandbox folder\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", sandbox.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", sandbox.filePath("data").toUtf8());
    qputenv("XDG_CACHE_HOME", sandbox.filePath("cache").toUtf8());
    qputenv("XDG_RUNTIME_DIR", sandbox.path().toUtf8()); // QTemporaryDir is created 0700
    qunsetenv("QUOR_PROGRESS_TARGET");

    // QCoreApplication calls setlocale(LC_ALL, "") as every Qt application does.
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication app(argc, argv);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        std::fprintf(stderr,
                     "warning: locale de_DE.UTF-8 is missing (run scripts/setup-deps); "
                     "locale tests run under the C locale\n");
    } else {
        try {
            std::locale::global(std::locale("de_DE.UTF-8"));
        } catch (const std::exception &) {
        }
    }

    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
