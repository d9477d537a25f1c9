#pragma once
// The map view: the browser control of the main window. It reports page loads to the main window
// as messages 1025 to 1028 and carries the operations the player uses to drive the map page.

#include "gps/GpsTypes.h"
#include "map/Explorer1.h"

#include <QList>
#include <QPointer>
#include <QUrl>

#include <cstdint>
#include <optional>

/// A click the page reported ("vindrel:mapclick:<line>:<vertex>"): line 0 is the route, 1 the
/// trip line. Nothing for any other text.
struct MapClick {
    int line = 0;
    int vertex = 0;
};
std::optional<MapClick> ParseMapClick(const QString& message);

class CGoogleMapView : public CExplorer1 {
    Q_OBJECT
public:
    explicit CGoogleMapView(QWidget* parent = nullptr, QWebEngineProfile* profile = nullptr);
    ~CGoogleMapView() override;

    /// The object that receives the messages (the main window). Messages are sent, so its
    /// handler runs before the browser event returns. Null: nothing is sent.
    void SetMessageTarget(QObject* target);

    /// Loads the page file at this full path.
    void NavigateMapView(const QString& path);
    /// Swallows the page's alert, confirm, prompt and console from now on.
    void SetMapViewSilent();
    /// Runs the text as script in the loaded page; results and failures are ignored.
    void RunPageScript(const QString& script);
    /// Runs "name(first,second)", the texts put in as they are.
    void CallPageFunction(const QString& name, const QString& first, const QString& second);
    /// clearPath() and then appendPathNode(longitude,latitude) for every sample, in order.
    void SendRouteToMap(const QList<GpsSample>& gpsTrack);

private:
    void Send(int message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    /// The browser has gone to the page last navigated to without reporting its load (it does
    /// so when a navigation starts while the page before is finishing its own): asks the page
    /// whether it is complete and, once it is, reports the load itself.
    void ProbeUnreportedLoad(int triesLeft);

    QPointer<QObject> messageTarget;
    QUrl navigated;         ///< the page last navigated to
    bool reported = false;  ///< its load has been reported (message 1025)
};
