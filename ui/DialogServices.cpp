#include "ui/DialogServices.h"

#include "map/MapStartup.h"
#include "playback/EngineStartup.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QThread>

bool IsNetworkAlive()
{
    // The platform's own view of reachability where it has one; a local network counts.
    if (QNetworkInformation::instance() ||
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        if (QNetworkInformation* info = QNetworkInformation::instance()) {
            switch (info->reachability()) {
            case QNetworkInformation::Reachability::Online:
            case QNetworkInformation::Reachability::Site:
            case QNetworkInformation::Reachability::Local: return true;
            case QNetworkInformation::Reachability::Disconnected: return false;
            case QNetworkInformation::Reachability::Unknown: break;
            }
        }
    }
    // Otherwise: any interface but the loopback that is up and running.
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack)) {
            return true;
        }
    }
    return false;
}

DialogServices DialogServices::Defaults()
{
    DialogServices s;
    s.startMediaEngine = [] {
        QtEngineStartupUi ui;
        return StartMediaEngine(ui);
    };
    s.folders = DefaultAppFolders();
    s.writeMapPages = [](const AppFolders& folders) { return WriteMapPages(folders, ShowFatalAndExit); };
    s.browseForFolder = [](QWidget* owner) {
        return QFileDialog::getExistingDirectory(owner, QString(), QString(), QFileDialog::ShowDirsOnly);
    };
#if VINDREL_MAP_BUILTIN
    // The built-in map needs no network: its page, library and conversion are the player's own,
    // and without one it draws on a plain background and the tiles from the disk cache.
    s.isNetworkAlive = nullptr;
#else
    s.isNetworkAlive = IsNetworkAlive;
#endif
    s.waitMs = [](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); };
    s.commandLine = QCoreApplication::arguments().mid(1);
    return s;
}
