#include "app/CommandLine.h"
#include "app/VindrelApp.h"

#include <QStringList>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Options are handled before any window or display is needed.
    {
        QStringList args;
        for (int i = 0; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (std::optional<int> status = RunCommandLineOption(args, out, err))
            return *status;
    }

    CVindrelApp::PrepareEnvironment();
    CVindrelApp app(argc, argv);
    app.InitInstance();
    return 0;
}
