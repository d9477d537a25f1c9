#pragma once
// One listed movie file.

#include "gps/GpsTypes.h"

#include <QString>

/// One file of the recording list.
struct RecordingEntry {
    QString filePath;                  ///< full path of the movie file
    QString dateText;                  ///< file time, "YYYY-MM-DD-hh:mm[:ss]"; empty until sorted
    GpsStatus gpsStatus = GpsPresent;  ///< GpsPresent for folder and drop entries

    friend bool operator==(const RecordingEntry&, const RecordingEntry&) = default;
};
