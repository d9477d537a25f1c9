#pragma once
// A recording's GPS track as a GPX 1.1 document, for other map tools.

#include "GpsTypes.h"

#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

/// Writes one GPX 1.1 track: a trkpt for every element that has a position (latitude and
/// longitude as signed decimal numbers), with the speed in metres a second in a Garmin
/// TrackPointExtension, which most map tools read. Elements whose latitude and longitude are both
/// zero have no position and are left out. utcMs, where it has an element's GPS time (ms since
/// 1970, any negative-most value for none), gives the point its time. Returns false when the
/// device cannot be written.
bool WriteGpxTrack(const std::vector<GpsSample>& gpsTrack, const QString& trackName, QIODevice& out,
                   const std::vector<std::int64_t>& utcMs = {});
