#include "CommandLine.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Options are handled before any window or display is needed.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (std::optional<int> status = RunCommandLineOption(args, out, err))
        return *status;
    err << "vindrel: the player window is not built yet; try --help" << Qt::endl;
    return 1;
}
