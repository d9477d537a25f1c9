// Test main for the browser tests: the map scheme is registered before the application object,
// and the browser runs without sandbox and GPU as on the test display.
#include "tests/support/BrowserTestMain.h"

int main(int argc, char** argv) { return RunBrowserTests(argc, argv); }
