// Entry point of the player window module, loaded by main() when no option is given.
#include "app/VindrelApp.h"

extern "C" __attribute__((visibility("default"))) int VindrelPlayerMain(int argc, char** argv)
{
    CVindrelApp::PrepareEnvironment();
    CVindrelApp app(argc, argv);
    app.InitInstance();
    return 0;
}
