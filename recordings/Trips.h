#pragma once
// Trips: recordings of the list that follow each other. A camera cuts one drive into files of a
// few minutes; the next file of the same drive starts soon after the previous one ends (by file
// time, which is when the camera closed the file) and, where both have fixes, near where the
// previous one stopped. Also the per-file summary the trips and the events are made from, and the
// settings both read.

#include "gps/GEvents.h"
#include "gps/GpsTypes.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

/// The user's settings for trips and events, kept with QSettings.
struct TripSettings {
    EventThresholds events;
    double tripGapSeconds = 120.0;       ///< most time from one recording's end to the next one's start
    double tripDistanceMeters = 1000.0;  ///< most distance from one's last fix to the next one's first
};

/// The QSettings keys (see the README).
inline constexpr const char* kEventThresholdKey = "events/threshold";
inline constexpr const char* kEventChangeThresholdKey = "events/changeThreshold";
inline constexpr const char* kTripGapKey = "trips/gapSeconds";
inline constexpr const char* kTripDistanceKey = "trips/distanceMeters";

/// The settings from the user's configuration; missing or unreadable values keep their defaults.
/// The change threshold follows the magnitude threshold (twice it) unless it is set itself.
TripSettings LoadTripSettings();

struct LatLon {
    double latitude = 0.0;
    double longitude = 0.0;
};

/// Great-circle distance in metres.
double DistanceMeters(const LatLon& a, const LatLon& b);

/// What the trips and the events need of one recording file.
struct RecordingSummary {
    bool readable = false;  ///< the movie could be read
    std::int64_t durationSeconds = 0;
    /// Position of each playback second; nullopt where the second has no position.
    std::vector<std::optional<LatLon>> positions;
    std::vector<GEvent> events;
    /// The positions as the map page's trip line takes them: "[longitude,latitude]" with six
    /// decimals, joined by ','. Made with the summary (off the window's thread).
    QString lineText;

    std::optional<LatLon> FirstFix() const;
    std::optional<LatLon> LastFix() const;
};

/// The position a track element shows; nullopt for the "no fix yet" text and for damaged text.
std::optional<LatLon> PositionOf(const GpsSample& sample);

/// Summary of tracks: positions of every second and the events of the G-sensor series.
RecordingSummary Summarize(const std::vector<GpsSample>& gpsTrack, const std::vector<GSensorSample>& gSensorSeries,
                           std::int64_t durationSeconds, const EventThresholds& thresholds);

/// Reads the recording at path (any thread) and summarises it.
RecordingSummary SummarizeRecordingFile(const QString& path, const EventThresholds& thresholds);

/// A file as the cache knows it: a summary stays valid while path, size and time are unchanged.
struct RecordingFileKey {
    QString path;
    std::int64_t size = -1;
    std::int64_t modifiedMs = 0;

    friend bool operator==(const RecordingFileKey&, const RecordingFileKey&) = default;
};

/// The key of the file at path as it is now; size -1 when it cannot be read.
RecordingFileKey FileKeyOf(const QString& path);

/// One recording as the grouping sees it, in list order.
struct TripMember {
    bool timeKnown = false;
    std::int64_t endSeconds = 0;       ///< file time: when the camera closed the file
    std::int64_t durationSeconds = 0;  ///< so it started at endSeconds - durationSeconds
    std::optional<LatLon> firstFix;
    std::optional<LatLon> lastFix;
};

/// The trip number (from 1) of each member. A member joins the trip of the one before it when it
/// starts no more than the gap after that one's end and, where both have fixes, its first fix is
/// within the distance of that one's last. A member without a known time starts a trip of its own.
std::vector<int> GroupTrips(const std::vector<TripMember>& members, const TripSettings& settings);
