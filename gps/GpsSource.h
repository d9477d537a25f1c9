#pragma once
// Where a recording's GPS comes from. Cameras store it in one of a few families; the source is
// chosen by content, never by file name, in this order:
//   native      the records of the third text track, read as the player always has;
//   nmea-track  NMEA sentences in a text or subtitle track;
//   novatek     GPS blocks in 'free' boxes, indexed by a 'gps ' box in the movie box;
//   blackvue    a top-level 'free' box with 'sttm', 'gps ' and '3gf ' boxes (or .gps and .3gf
//               files beside the movie);
//   gpmf        a metadata track of key-length-value records ('gpmd');
//   nmea-log    an NMEA log beside the movie (same name, .nmea or .NMEA).
// Every family gives the same per-second track: element k belongs to playback second k. A second
// without a fix keeps the last position, and the seconds before the first fix show that fix's
// position, as the native records do. Damaged or unknown data is skipped; a file with nothing
// readable gives an empty track and the family None.

#include "GpsTypes.h"
#include "engine/Engine.h"

#include <QString>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

struct TextTrackData;

enum class GpsFamily { None, Native, NmeaTrack, Novatek, BlackVue, Gpmf, NmeaLog };

/// "none", "native", "nmea-track", "novatek", "blackvue", "gpmf" or "nmea-log".
const char* GpsFamilyName(GpsFamily family);

/// No GPS time for an element.
constexpr std::int64_t kNoGpsTime = std::numeric_limits<std::int64_t>::min();

/// A recording's tracks as one source gave them.
struct GpsTracks {
    GpsFamily family = GpsFamily::None;
    std::vector<GpsSample> gpsTrack;
    std::vector<GSensorSample> gSensorSeries;  ///< zeros where the source has no acceleration
    std::vector<std::int64_t> utcMs;           ///< GPS time of each element (ms since 1970), or kNoGpsTime
    std::size_t fixes = 0;                     ///< elements whose second had a valid fix
};

/// The families after the native one, tried in order on the file at path (and the files beside
/// it). The native track is not looked at.
GpsTracks ReadOtherGpsSources(const QString& path);

/// True when the movie at path has native records: its third track, with its data in the file,
/// holds a sample whose text begins with 'A' or 'V' behind a matching length.
bool HasNativeGpsTrack(const QString& path);

/// The status of a recording the player was given by name: the GPS log's rating; where there is
/// no log and the GPS comes from another family than the native one, the rating of its fixes
/// (20 % of the seconds or more: GpsPresent, else NoGpsInfo).
GpsStatus RecordingGpsStatus(const QString& path);

/// What ReadRecordingTracks found besides the tracks.
struct GpsSourceInfo {
    GpsFamily family = GpsFamily::None;
    std::vector<std::int64_t> utcMs;  ///< GPS time of each element; empty for the native track
    std::size_t fixes = 0;            ///< elements with a fix (other families only)
};

/// The status of a recording from its log's rating and its source: the log's, except where there
/// is no log and the source is another family than the native one; then GpsPresent when 20 % of
/// the seconds or more have a fix, else NoGpsInfo.
GpsStatus RateGpsSource(GpsStatus logStatus, GpsFamily family, std::size_t fixes, std::size_t elements);

/// Reads the native track of the opened movie into textTrackData and builds the tracks from it,
/// exactly as BuildTracks does; when that gives no element, the first other family that has data
/// at path gives them. True when the native track was read or another family had data.
bool ReadRecordingTracks(Movie movie, const QString& path, TextTrackData& textTrackData,
                         std::vector<GpsSample>& gpsTrack, std::vector<GSensorSample>& gSensorSeries,
                         GpsSourceInfo* info = nullptr);
