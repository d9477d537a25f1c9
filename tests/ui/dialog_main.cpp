// Test main for the player window: pixel geometry whatever the display, the map provider's
// scheme before the application object, and the browser without sandbox and GPU as on the test
// display.
#include "tests/support/BrowserTestMain.h"

int main(int argc, char** argv)
{
    return RunBrowserTests(argc, argv, [] {
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    });
}
