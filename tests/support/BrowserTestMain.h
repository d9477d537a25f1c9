#pragma once
// The shared part of the test mains that run the browser: listing the tests needs no display,
// and the browser runs without sandbox and GPU, as on the test display, unless told otherwise.

#include "map/MapProvider.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

/// Runs the tests with a QApplication; `prepare` runs first, before the map scheme is registered
/// and the application object is made.
inline int RunBrowserTests(int argc, char** argv, void (*prepare)() = nullptr)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return RUN_ALL_TESTS();  // listing needs no display
    }
    if (std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") == nullptr)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    if (std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (prepare)
        prepare();
    RegisterMapScheme();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
