#pragma once
// CVindrelApp: the application object. It lets only one player window exist at a time, runs the
// main dialog modally and ends the program when the dialog ends.

#include <QApplication>

class CVindrelApp : public QApplication {
    Q_OBJECT

public:
    CVindrelApp(int& argc, char** argv);

    /// Hands over to a running player, or runs the main dialog until it ends. Always false: the
    /// program ends afterwards.
    bool InitInstance();

    /// What has to hold before the application object exists: pixel geometry whatever the
    /// display's DPI, the browser's settings, and the map provider's URL scheme.
    static void PrepareEnvironment();
};
