#include "app/VindrelApp.h"

#include <unistd.h>

#include "map/MapProvider.h"
#include "shell/SingleInstance.h"
#include "ui/VindrelDlg.h"
#include "version/Version.h"

#include <QByteArray>

CVindrelApp::CVindrelApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vindrel"));
    setApplicationVersion(QStringLiteral(VINDREL_VERSION));
    setDesktopFileName(QStringLiteral("vindrel"));
}

void CVindrelApp::PrepareEnvironment()
{
    // Geometry is in pixels: no scaling by the display's DPI.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    // mpv draws movies into X11 windows, and the single-instance mark is an X11 property: in a
    // Wayland session that has XWayland the player runs on it, unless the user chose otherwise.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The browser shares its drawing contexts with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's sandbox cannot start for the root user (a set-up machine, a kiosk); the
    // browser then refuses to run at all unless told to go without it.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    RegisterMapScheme();
}

bool CVindrelApp::InitInstance()
{
    // Another player is running: it comes to the front, this start opens nothing.
    if (ActivateRunningPlayer()) {
        return false;
    }
    // The built-in map's tiles are kept on disk, so the map works offline with the tiles seen.
    UseCachedMapProfile();
    CVindrelDlg dialog;
    dialog.DoModal();
    return false;
}
