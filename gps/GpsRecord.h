#pragma once
// GPS records: the comma-separated text of one second ("A,f1,f2,2235.0897,N,11355.3174,E,37.6,
// 0.01,-0.02,0.98;"), parsed into the GPS track and the G-sensor series, and the rating of a
// recording's GPS log. Numbers are read and written in the C locale whatever the process locale.
//
// Rules worth knowing, kept on purpose:
// - Fields are found with Skip (drop up to and including the first ',') and Take(delimiter).
//   Skip leaves a rest without ',' unchanged, so short records repeat their last field: "V,1,2;"
//   gives x = y = 0 and z = 2, and the hemisphere "letters" are just the first characters of the
//   rest after 4 and 6 Skips, whatever they are.
// - A number field reads like atof (blanks skipped, longest number prefix, none reads 0). A value
//   that is not finite ("inf", "nan", "1e400") reads 0 as well, so none reaches the map page, the
//   speed meter or the G-sensor graph.
// - Coordinates are text: "%f" of the decimal degrees, '-' put in front for S and W (so a
//   negative field in the southern hemisphere gives "--..."). Before the first fix they are the
//   text "0.0", and the back-fill of the first seconds compares with that text: "0.000000" from
//   an empty field counts as a position.
// - The speed is the integer part of the value, plus 1 for a fraction above one half, divided by
//   1.852 and truncated; results beyond 32 bits are clamped.
// - Records beginning with neither 'A' nor 'V' still add an element, repeating the last values.

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
bool BuildTracks(bool valid, const std::vector<QString>& recordTexts, std::vector<GpsSample>& gpsTrack,
                 std::vector<GSensorSample>& gSensorSeries);

/// The same, from a text track as ReadGpsTextTrack left it.
bool BuildTracks(const TextTrackData& data, std::vector<GpsSample>& gpsTrack,
                 std::vector<GSensorSample>& gSensorSeries);

/// Rates the recording's GPS log (the one two levels up first, then the one beside it; only
/// regular files count). Only the first character of each line is read: 'A' counts as a valid
/// fix, 'V' as none; with fewer than 20 % valid fixes the result is NoGpsInfo, otherwise
/// (an empty log too) GpsPresent. The log is streamed, and at most its first 64 MiB are rated.
GpsStatus CheckGpsLog(const QString& recordingPath);
