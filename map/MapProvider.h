#pragma once
// The built-in map provider: the map library and the conversion service that the map page loads,
// served inside the player under a URL scheme of its own, so no network socket is involved.
//
//   vindrel-map://provider/api?v=2.0&ak=...            the map library (Leaflet + a BMap layer)
//   vindrel-map://provider/leaflet.css, images/*.png   its style sheet and marker pictures
//   vindrel-map://provider/geoconv/v1/?coords=...      the conversion service (JSONP)

#include <QByteArray>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

inline constexpr char kMapScheme[] = "vindrel-map";

/// Tile servers of the built-in map's two types; an empty URL leaves that type a plain background.
struct MapTiles {
    QString normalUrl;
    QString normalCredit;
    QString hybridUrl;
    QString hybridCredit;
};

/// The tiles of this build's settings.
MapTiles DefaultMapTiles();

/// Registers the scheme with the browser engine. Must run before the QApplication is created.
void RegisterMapScheme();

/// Installs the provider on a profile (once; later calls do nothing) and makes the profile's
/// user agent name the player, as tile servers ask.
void InstallMapProvider(QWebEngineProfile* profile, const MapTiles& tiles = DefaultMapTiles());

/// The profile a map view uses unless it is given one: the browser's default profile (off the
/// record, nothing on disk) until UseCachedMapProfile() has run.
QWebEngineProfile* MapProfile();

/// From now on map views use a profile of the player's own that keeps the browser's HTTP cache on
/// disk, in the user's cache folder (~/.cache/Vindrel/QtWebEngine/map), so the built-in map's
/// tiles once seen are there without a network. Runs once, after the application object exists;
/// the profile lives as long as that object.
void UseCachedMapProfile();

/// The map library as served at /api: leaflet.js followed by the BMap layer with the tile
/// settings filled in.
QByteArray BuiltInMapLibrary(const MapTiles& tiles = DefaultMapTiles());

/// Serves the scheme's requests; owned by the profile it is installed on.
class CMapProviderHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit CMapProviderHandler(const MapTiles& tiles, QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    /// For start-up trials: every answer waits a random time up to this many milliseconds, as a
    /// slow network would make it (VINDREL_MAP_PROVIDER_DELAY_MS; 0, the default, answers at once).
    int maxDelayMs = 0;

private:
    void Answer(QWebEngineUrlRequestJob* job);

    MapTiles tiles;
    QByteArray library;  // built on first use
};
