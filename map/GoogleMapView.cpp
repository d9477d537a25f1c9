#include "map/GoogleMapView.h"

#include "map/MapLog.h"
#include "window/Messages.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

namespace {

// A coordinate goes into the script text unquoted, so anything but a plain decimal number (a
// damaged track) is sent as 0.0, which the page leaves out of the route.
const QString& ScriptNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^-?\d{1,3}(\.\d{1,12})?$)"));
    static const QString zero = QStringLiteral("0.0");
    return number.match(text).hasMatch() ? text : zero;
}

}  // namespace

std::optional<MapClick> ParseMapClick(const QString& message)
{
    static const QRegularExpression click(QStringLiteral(R"(^vindrel:mapclick:([01]):(\d{1,9})$)"));
    const QRegularExpressionMatch m = click.match(message);
    if (!m.hasMatch())
        return std::nullopt;
    return MapClick{m.captured(1).toInt(), m.captured(2).toInt()};
}

CGoogleMapView::CGoogleMapView(QWidget* parent, QWebEngineProfile* profile) : CExplorer1(parent, profile)
{
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        qCDebug(lcMap) << "load finished" << (ok ? "ok" : "failed") << url().fileName()
                       << (page()->isLoading() ? "(another load under way)" : "");
        if (url() == navigated) {
            reported = true;
        }
        Send(WM_MAP_DOCUMENT_COMPLETE);
    });
    connect(this, &QWebEngineView::urlChanged, this, [this](const QUrl& to) {
        qCDebug(lcMap) << "url changed" << to.fileName();
        Send(WM_MAP_NAVIGATE_COMPLETE);
        // Arrived at the page asked for while the browser says nothing is loading: the report of
        // its load may already have been given for the page before, and then none follows.
        if (to == navigated && !reported && !page()->isLoading()) {
            ProbeUnreportedLoad(100);
        }
    });
    connect(this, &QWebEngineView::loadStarted, this, [this] {
        qCDebug(lcMap) << "load started" << url().fileName();
        Send(WM_MAP_BEFORE_NAVIGATE);
    });
    // Clicks on the page's lines go to the main window as WM_MAP_CLICKED.
    connect(this, &CExplorer1::pageMessage, this, [this](const QString& message) {
        if (const std::optional<MapClick> c = ParseMapClick(message))
            Send(WM_MAP_CLICKED, std::uintptr_t(c->line), c->vertex);
    });
    connect(this, &QWebEngineView::loadProgress, this, [this](int progress) {
        if (progress == 100) {
            Send(WM_MAP_DOWNLOAD_DONE);
        }
    });
    connect(this, &QWebEngineView::renderProcessTerminated, this,
            [](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                qCDebug(lcMap) << "the page's process ended: status" << int(status) << "exit code" << exitCode;
            });
}

CGoogleMapView::~CGoogleMapView()
{
    // No messages from a view that is going away.
    disconnect(this, nullptr, this, nullptr);
}

void CGoogleMapView::SetMessageTarget(QObject* target) { messageTarget = target; }

void CGoogleMapView::Send(int message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (messageTarget != nullptr) {
        WindowMessage event(message, wParam, lParam);
        QCoreApplication::sendEvent(messageTarget, &event);
    }
}

void CGoogleMapView::NavigateMapView(const QString& path)
{
    qCDebug(lcMap) << "navigate to" << path;
    navigated = QUrl::fromLocalFile(path);
    reported = false;
    Navigate(path);
}

void CGoogleMapView::ProbeUnreportedLoad(int triesLeft)
{
    const QUrl asked = navigated;
    page()->runJavaScript(QStringLiteral("document.readyState"),
                          [view = QPointer<CGoogleMapView>(this), asked, triesLeft](const QVariant& state) {
                              if (!view || view->reported || view->navigated != asked || view->url() != asked) {
                                  return;  // reported meanwhile, or gone on to another page
                              }
                              if (state.toString() == QLatin1String("complete") && !view->page()->isLoading()) {
                                  qCDebug(lcMap) << "the browser did not report the load of" << asked.fileName()
                                                 << "; the page is complete: reported now";
                                  view->reported = true;
                                  view->Send(WM_MAP_DOCUMENT_COMPLETE);
                              } else if (triesLeft > 1) {
                                  QTimer::singleShot(100, view, [view, triesLeft] {
                                      if (view) {
                                          view->ProbeUnreportedLoad(triesLeft - 1);
                                      }
                                  });
                              }
                          });
}

void CGoogleMapView::SetMapViewSilent() { SetSilent(true); }

void CGoogleMapView::RunPageScript(const QString& script) { ExecScript(script); }

void CGoogleMapView::CallPageFunction(const QString& name, const QString& first, const QString& second)
{
    RunPageScript(QStringLiteral("%1(%2,%3)").arg(name, first, second));
}

void CGoogleMapView::SendRouteToMap(const QList<GpsSample>& gpsTrack)
{
    qCDebug(lcMap) << "route of" << gpsTrack.size() << "points sent to" << url().fileName();
    RunPageScript(QStringLiteral("clearPath()"));
    for (const GpsSample& sample : gpsTrack) {
        CallPageFunction(QStringLiteral("appendPathNode"), ScriptNumber(sample.longitude),
                         ScriptNumber(sample.latitude));
    }
}
