// main() of a build without the browser engine: the command-line options only.
#include "app/CommandLine.h"

#include <QStringList>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (std::optional<int> status = RunCommandLineOption(args, out, err))
        return *status;
    err << "vindrel: this build has no player window (Qt WebEngine missing); try --help" << Qt::endl;
    return 1;
}
