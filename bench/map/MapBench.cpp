// Times the map view with the built-in provider, offline:
//  1. NavigateMapView of the map page until message 1025 (engine already started);
//  2. a one-hour route (3600 points): SendRouteToMap plus showPath() until the line is drawn.
// Optionally saves a picture of the map with the route and the moving position.
//
//   DISPLAY=:57 vindrel_map_bench [route.png]

#include "map/GoogleMapView.h"
#include "map/MapPages.h"
#include "map/MapProvider.h"
#include "window/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineProfile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (static_cast<int>(e->type()) == WM_MAP_DOCUMENT_COMPLETE) {
            ++documentsComplete;
            static_cast<WindowMessage*>(e)->result = 1;
            return true;
        }
        return QObject::event(e);
    }
    int documentsComplete = 0;
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void Pause(int ms)
{
    QElapsedTimer t;
    t.start();
    WaitFor([&] { return t.elapsed() >= ms; }, ms + 1000);
}

// One hour of driving, one point a second: a loop through the city around the map's centre.
QList<GpsSample> OneHourRoute()
{
    QList<GpsSample> route;
    for (int k = 0; k < 3600; ++k) {
        const double a = 2.0 * M_PI * k / 3600.0;
        GpsSample s;
        s.latitude = QString::asprintf("%f", 22.584828 + 0.018 * std::sin(a) + 0.004 * std::sin(5 * a));
        s.longitude = QString::asprintf("%f", 113.921957 + 0.026 * std::cos(a) - 0.026 + 0.003 * std::cos(7 * a));
        route.append(s);
    }
    return route;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    }
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    RegisterMapScheme();
    QApplication app(argc, argv);
    const QString screenshot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    QTemporaryDir dir;
    const AppFolders folders = AppFoldersUnder(dir.path());
    if (!WriteMapPages(folders, nullptr)) {
        std::fprintf(stderr, "cannot write the pages\n");
        return 1;
    }
    // Offline: tiles from a closed port on this machine.
    QWebEngineProfile profile;
    InstallMapProvider(
        &profile, {"http://127.0.0.1:9/{z}/{x}/{y}.png", "offline", "http://127.0.0.1:9/{z}/{x}/{y}.png", "offline"});
    Receiver receiver;
    CGoogleMapView view(nullptr, &profile);
    view.SetMessageTarget(&receiver);
    view.resize(760, 540);
    view.show();

    auto load = [&](const QString& name) {
        const int before = receiver.documentsComplete;
        QElapsedTimer t;
        t.start();
        view.NavigateMapView(folders.urlFolder + name);
        if (!WaitFor([&] { return receiver.documentsComplete > before; }, 20000)) {
            std::fprintf(stderr, "%s did not load\n", qPrintable(name));
            std::exit(1);
        }
        return t.nsecsElapsed() / 1e6;
    };

    const double first = load("startup.html");
    std::printf("engine start + startup.html: %.1f ms\n", first);
    std::vector<double> mapLoads;
    for (int i = 0; i < 7; ++i) {
        load("startup.html");
        mapLoads.push_back(load("googlearth.html"));
    }
    std::printf("NavigateMapView(googlearth.html) -> 1025: median %.1f ms, min %.1f, max %.1f (7 runs)\n",
                Median(mapLoads), *std::min_element(mapLoads.begin(), mapLoads.end()),
                *std::max_element(mapLoads.begin(), mapLoads.end()));

    const QList<GpsSample> route = OneHourRoute();
    std::vector<double> sends;
    std::vector<double> draws;
    for (int run = 0; run < 3; ++run) {
        load("googlearth.html");
        view.SetMapViewSilent();
        // The page tells the line's arrival through its title.
        view.RunPageScript("(function () { var add = map.addOverlay; map.addOverlay = function (o) {"
                           " add.call(map, o); if (o instanceof BMap.Polyline) document.title = 'drawn ' + "
                           "o.getPath().length; }; })()");
        bool drawn = false;
        const auto connection = QObject::connect(&view, &QWebEngineView::titleChanged, [&](const QString& title) {
            drawn = title == QLatin1String("drawn 3600");
        });
        QElapsedTimer t;
        t.start();
        view.SendRouteToMap(route);
        view.RunPageScript("showPath()");
        sends.push_back(t.nsecsElapsed() / 1e6);
        if (!WaitFor([&] { return drawn; }, 30000)) {
            std::fprintf(stderr, "the route was not drawn\n");
            return 1;
        }
        draws.push_back(t.nsecsElapsed() / 1e6);
        QObject::disconnect(connection);
    }
    std::printf("3600-point route: SendRouteToMap + showPath() -> line drawn: median %.1f ms, min %.1f, max %.1f "
                "(3 runs; the calls themselves return after %.1f ms)\n",
                Median(draws), *std::min_element(draws.begin(), draws.end()),
                *std::max_element(draws.begin(), draws.end()), Median(sends));

    if (!screenshot.isEmpty()) {
        view.CallPageFunction("setstart", route[0].latitude, route[0].longitude);
        for (int second = 0; second < 400; second += 40) {
            view.CallPageFunction("setposition", route[second].latitude, route[second].longitude);
            Pause(60);
        }
        view.RunPageScript("map.setZoom(13)");
        Pause(1500);
        view.grab().save(screenshot);
        std::printf("picture: %s\n", qPrintable(screenshot));
    }
    return 0;
}
