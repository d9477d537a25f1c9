#pragma once
// The process set-up of the benchmarks that run the player window: what the player's own main()
// and application object do before the window exists, and map tiles that fail at once, so that
// the offline case is measured without waiting on the network.

#include "map/MapProvider.h"
#include "playback/MpvLibrary.h"

#include <QCoreApplication>
#include <QWebEngineProfile>

#include <cstdlib>

/// Before the application object.
inline void PrepareBrowserBench()
{
    LimitMallocArenas();
    if (std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") == nullptr) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterMapScheme();
}

/// After the application object: tiles from a port that refuses at once.
inline void UseOfflineTiles()
{
    InstallMapProvider(QWebEngineProfile::defaultProfile(),
                       {QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline"),
                        QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png"), QStringLiteral("offline")});
}
