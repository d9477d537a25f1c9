#pragma once
// GPS records: the comma-separated text of one second ("A,f1,f2,2235.0897,N,11355.3174,E,37.6,
// 0.01,-0.02,0.98;"), parsed into the GPS track and the G-sensor series, and the rating of a
// recording's GPS log. Numbers are read and written in the C locale whatever the process locale.

#include "GpsTypes.h"

#include <QString>

#include <vector>

struct TextTrackData;

/// "ddmm.mmmm" (or "dddmm.mmmm") to decimal degrees written with "%f": "2235.0897" -> "22.584828".
QString ParseNmeaCoordinate(const QString& field);

/// The speed the meter shows in km/h, from the text of field 7 (see the speed rule).
std::int32_t SpeedFromField(const QString& field);

/// Fills gpsTrack and gSensorSeries (which the caller has emptied) from the record texts, one
/// element per text that is not empty. Returns false, leaving both empty, when valid is false.
bool BuildTracks(bool valid, const std::vector<QString>& recordTexts,
                 std::vector<GpsSample>& gpsTrack, std::vector<GSensorSample>& gSensorSeries);

/// The same, from a text track as ReadGpsTextTrack left it.
bool BuildTracks(const TextTrackData& data,
                 std::vector<GpsSample>& gpsTrack, std::vector<GSensorSample>& gSensorSeries);

/// Rates the recording's GPS log (the one two levels up first, then the one beside it).
GpsStatus CheckGpsLog(const QString& recordingPath);
