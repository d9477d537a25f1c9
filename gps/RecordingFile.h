#pragma once
// A recording's tracks read straight from its file, without the media engine, so that any thread
// may read them (the engine and its handles belong to the window's thread). The native records
// are read exactly as the engine's text-track reader reads them; without them, the other camera
// families are tried as ReadRecordingTracks does.

#include "GpsSource.h"

#include <QString>

/// The tracks of the recording at path and the length of its movie.
struct RecordingFileTracks {
    bool opened = false;               ///< the file is a movie the box reader could read
    GpsTracks tracks;                  ///< family None and empty when no source had data
    std::int64_t durationSeconds = 0;  ///< movie header's duration in whole seconds
};

RecordingFileTracks ReadRecordingFileTracks(const QString& path);
