#include "recordings/Trips.h"

#include "gps/RecordingFile.h"

#include <QFileInfo>
#include <QSettings>

#include <charconv>
#include <cmath>
#include <string>

namespace {

double Setting(const QSettings& settings, const char* key, double fallback)
{
    bool ok = false;
    const double value = settings.value(QLatin1String(key)).toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0.0 ? value : fallback;
}

}  // namespace

TripSettings LoadTripSettings()
{
    TripSettings s;
    // The same file for the window and the command line: ~/.config/Vindrel/Vindrel.conf.
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vindrel"),
                             QStringLiteral("Vindrel"));
    s.events.magnitude = Setting(settings, kEventThresholdKey, s.events.magnitude);
    s.events.change = Setting(settings, kEventChangeThresholdKey, 2.0 * s.events.magnitude);
    s.tripGapSeconds = Setting(settings, kTripGapKey, s.tripGapSeconds);
    s.tripDistanceMeters = Setting(settings, kTripDistanceKey, s.tripDistanceMeters);
    return s;
}

double DistanceMeters(const LatLon& a, const LatLon& b)
{
    constexpr double kEarthRadius = 6371008.8;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dLat = (b.latitude - a.latitude) * kRad;
    const double dLon = (b.longitude - a.longitude) * kRad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) + std::cos(a.latitude * kRad) *
                                                                   std::cos(b.latitude * kRad) * std::sin(dLon / 2) *
                                                                   std::sin(dLon / 2);
    return 2.0 * kEarthRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

std::optional<LatLon> RecordingSummary::FirstFix() const
{
    for (const auto& p : positions)
        if (p)
            return p;
    return std::nullopt;
}

std::optional<LatLon> RecordingSummary::LastFix() const
{
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it)
            return *it;
    return std::nullopt;
}

std::optional<LatLon> PositionOf(const GpsSample& sample)
{
    bool okLat = false, okLon = false;
    const double lat = sample.latitude.toDouble(&okLat);
    const double lon = sample.longitude.toDouble(&okLon);
    // The map leaves out points with a zero number; so does the trip line.
    if (!okLat || !okLon || lat == 0.0 || lon == 0.0 || std::fabs(lat) > 90.0 || std::fabs(lon) > 180.0)
        return std::nullopt;
    return LatLon{lat, lon};
}

RecordingSummary Summarize(const std::vector<GpsSample>& gpsTrack, const std::vector<GSensorSample>& gSensorSeries,
                           std::int64_t durationSeconds, const EventThresholds& thresholds)
{
    RecordingSummary s;
    s.readable = true;
    s.durationSeconds = durationSeconds;
    s.positions.reserve(gpsTrack.size());
    for (const GpsSample& sample : gpsTrack)
        s.positions.push_back(PositionOf(sample));
    s.events = FindGEvents(gSensorSeries, thresholds);
    // to_chars writes '.' whatever the process locale.
    std::string text;
    char number[32];
    const auto put = [&](double v) {
        const auto r = std::to_chars(number, number + sizeof number, v, std::chars_format::fixed, 6);
        text.append(number, r.ec == std::errc() ? r.ptr : number);
    };
    for (const auto& p : s.positions) {
        if (!p)
            continue;
        text += text.empty() ? "[" : ",[";
        put(p->longitude);
        text += ',';
        put(p->latitude);
        text += ']';
    }
    s.lineText = QString::fromLatin1(text);
    return s;
}

RecordingSummary SummarizeRecordingFile(const QString& path, const EventThresholds& thresholds)
{
    const RecordingFileTracks read = ReadRecordingFileTracks(path);
    RecordingSummary s = Summarize(read.tracks.gpsTrack, read.tracks.gSensorSeries, read.durationSeconds, thresholds);
    s.readable = read.opened;
    return s;
}

RecordingFileKey FileKeyOf(const QString& path)
{
    const QFileInfo info(path);
    RecordingFileKey key{path, -1, 0};
    if (info.exists()) {
        key.size = info.size();
        key.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    }
    return key;
}

std::vector<int> GroupTrips(const std::vector<TripMember>& members, const TripSettings& settings)
{
    std::vector<int> trips;
    trips.reserve(members.size());
    int trip = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        bool joins = false;
        if (i > 0 && members[i].timeKnown && members[i - 1].timeKnown) {
            const TripMember& prev = members[i - 1];
            const TripMember& cur = members[i];
            const double gap = double(cur.endSeconds - std::max<std::int64_t>(0, cur.durationSeconds)) -
                               double(prev.endSeconds);
            joins = gap <= settings.tripGapSeconds;
            if (joins && prev.lastFix && cur.firstFix)
                joins = DistanceMeters(*prev.lastFix, *cur.firstFix) <= settings.tripDistanceMeters;
        }
        if (!joins)
            ++trip;
        trips.push_back(trip);
    }
    return trips;
}
