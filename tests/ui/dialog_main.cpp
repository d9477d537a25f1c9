// Test main for the player window: pixel geometry whatever the display, the map provider's
// scheme before the application object, and the browser without sandbox and GPU as on the test
// display.
#include "map/MapProvider.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) {
            return RUN_ALL_TESTS();  // listing needs no display
        }
    }
    if (std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") == nullptr) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
    if (std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterMapScheme();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
