#include "map/Explorer1.h"

#include "map/MapProvider.h"

#include <QUrl>
#include <QWebEngineProfile>

CMapPage::CMapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

void CMapPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg)
{
    if (!silent) {
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
    }
}

bool CMapPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg)
{
    return silent ? false : QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool CMapPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                                QString* result)
{
    return silent ? false : QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void CMapPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                        const QString& sourceID)
{
    if (message.startsWith(QLatin1String("vindrel:"))) {
        emit pageMessage(message);
        return;
    }
    if (!silent) {
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }
}

CExplorer1::CExplorer1(QWidget* parent, QWebEngineProfile* profile) : QWebEngineView(parent)
{
    QWebEngineProfile* used = profile != nullptr ? profile : MapProfile();
    InstallMapProvider(used);
    mapPage = new CMapPage(used, this);
    setPage(mapPage);
    connect(mapPage, &CMapPage::pageMessage, this, &CExplorer1::pageMessage);
}

CExplorer1::~CExplorer1() = default;

void CExplorer1::Navigate(const QString& path) { load(QUrl::fromLocalFile(path)); }

void CExplorer1::SetSilent(bool on) { mapPage->SetSilent(on); }

bool CExplorer1::IsSilent() const { return mapPage->IsSilent(); }

void CExplorer1::ExecScript(const QString& script) { mapPage->runJavaScript(script); }
