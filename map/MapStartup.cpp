#include "map/MapStartup.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdlib>

void ShowFatalAndExit(const QString& message, int exitStatus)
{
    QMessageBox::warning(nullptr, QCoreApplication::applicationName(), message, QMessageBox::Ok);
    std::exit(exitStatus);
}
