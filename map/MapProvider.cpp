#include "map/MapProvider.h"

#include "map/ConvertService.h"
#include "map/MapLog.h"
#include "map/MapSettings.h"
#include "version/Version.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <algorithm>

namespace {

QByteArray ReadResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QJsonObject TileEntry(const QString& url, const QString& attribution, int maxZoom)
{
    QJsonObject entry;
    entry.insert(QStringLiteral("url"), url);
    entry.insert(QStringLiteral("attribution"), attribution);
    entry.insert(QStringLiteral("maxZoom"), maxZoom);
    return entry;
}

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& contentType, const QByteArray& body)
{
    auto* buffer = new QBuffer(job);  // lives as long as the job
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    job->reply(contentType, buffer);
}

}  // namespace

void RegisterMapScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kMapScheme).name() == kMapScheme) {
        return;
    }
    QWebEngineUrlScheme scheme(kMapScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // LocalScheme: a page opened from a file reaches the scheme at all; LocalAccessAllowed: the
    // library may in turn load its style sheet and pictures.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

MapTiles DefaultMapTiles()
{
    return {QStringLiteral(VINDREL_MAP_TILE_URL), QStringLiteral(VINDREL_MAP_TILE_CREDIT),
            QStringLiteral(VINDREL_MAP_HYBRID_TILE_URL), QStringLiteral(VINDREL_MAP_HYBRID_TILE_CREDIT)};
}

namespace {
QWebEngineProfile* cachedProfile = nullptr;
}  // namespace

QWebEngineProfile* MapProfile()
{
    return cachedProfile != nullptr ? cachedProfile : QWebEngineProfile::defaultProfile();
}

void UseCachedMapProfile()
{
    if (cachedProfile != nullptr || QCoreApplication::instance() == nullptr)
        return;
    // A named profile keeps its cache under the cache location, in QtWebEngine/<name>.
    cachedProfile = new QWebEngineProfile(QStringLiteral("map"), QCoreApplication::instance());
    cachedProfile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    cachedProfile->setHttpCacheMaximumSize(256 * 1024 * 1024);
}

void InstallMapProvider(QWebEngineProfile* profile, const MapTiles& tiles)
{
    if (profile == nullptr || profile->urlSchemeHandler(kMapScheme) != nullptr) {
        return;
    }
    profile->installUrlSchemeHandler(kMapScheme, new CMapProviderHandler(tiles, profile));
    const QString agent = profile->httpUserAgent();
    const QString player = QStringLiteral("Vindrel/") + QStringLiteral(VINDREL_VERSION);
    if (!agent.contains(player)) {
        profile->setHttpUserAgent(agent + QLatin1Char(' ') + player);
    }
}

QByteArray BuiltInMapLibrary(const MapTiles& tiles)
{
    QJsonObject config;
    config.insert(QStringLiteral("normal"), TileEntry(tiles.normalUrl, tiles.normalCredit, 19));
    config.insert(QStringLiteral("hybrid"), TileEntry(tiles.hybridUrl, tiles.hybridCredit, 17));
    QByteArray layer = ReadResource(QStringLiteral(":/mapprovider/bmap.js"));
    layer.replace("/*@TILES*/null/*TILES@*/", QJsonDocument(config).toJson(QJsonDocument::Compact));
    return ReadResource(QStringLiteral(":/mapprovider/leaflet.js")) + "\n;\n" + layer;
}

CMapProviderHandler::CMapProviderHandler(const MapTiles& tiles, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), tiles(tiles)
{
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("VINDREL_MAP_PROVIDER_DELAY_MS", &ok);
    maxDelayMs = ok ? std::clamp(delay, 0, 60000) : 0;
}

void CMapProviderHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    if (maxDelayMs <= 0) {
        Answer(job);
        return;
    }
    const int delay = int(QRandomGenerator::global()->bounded(maxDelayMs + 1));
    qCDebug(lcMap) << "provider: answering" << job->requestUrl().path() << "in" << delay << "ms";
    // The browser deletes a job whose request it gave up meanwhile.
    QTimer::singleShot(delay, this, [this, guard = QPointer<QWebEngineUrlRequestJob>(job)] {
        if (guard) {
            Answer(guard);
        }
    });
}

void CMapProviderHandler::Answer(QWebEngineUrlRequestJob* job)
{
    qCDebug(lcMap) << "provider:" << job->requestUrl().path();
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QUrl url = job->requestUrl();
    const QString path = url.path();
    if (path == QLatin1String("/api")) {
        if (library.isEmpty()) {
            library = BuiltInMapLibrary(tiles);
        }
        Reply(job, "application/javascript", library);
        return;
    }
    if (path == QLatin1String("/geoconv/v1/") || path == QLatin1String("/geoconv/v1")) {
        Reply(job, "application/javascript", AnswerConversion(QUrlQuery(url)).body);
        return;
    }
    static const QStringList files{
        QStringLiteral("/leaflet.css"),
        QStringLiteral("/images/layers.png"),
        QStringLiteral("/images/layers-2x.png"),
        QStringLiteral("/images/marker-icon.png"),
        QStringLiteral("/images/marker-icon-2x.png"),
        QStringLiteral("/images/marker-shadow.png"),
    };
    if (files.contains(path)) {
        const QByteArray type = path.endsWith(QLatin1String(".css")) ? "text/css" : "image/png";
        Reply(job, type, ReadResource(QStringLiteral(":/mapprovider") + path));
        return;
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}
