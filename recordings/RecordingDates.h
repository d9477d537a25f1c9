#pragma once
// File times of recordings, the date texts the list shows, and the ordering of the list by
// file time (oldest first).

#include "recordings/RecordingEntry.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

/// A moment as a local calendar time, in whole seconds.
struct LocalTime {
    int year = 0;
    int month = 0;  ///< 1 to 12
    int day = 0;    ///< 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

/// Last-write time of a file, read from the file system at the moment of asking.
struct FileTime {
    int result = -1;           ///< 0 read; -1 nothing at that path; -2 the file has no usable time
    std::int64_t seconds = 0;  ///< whole seconds since 1970-01-01 UTC; this is what the order compares
    LocalTime local;           ///< the same moment in local time; this is what the date text shows
};

/// Reads the last-write time of the file or folder at path (no cache). result -1 when nothing
/// is there (or the path is empty or holds a NUL), -2 when the time has no local calendar form
/// with a four-digit year.
FileTime FileWriteTime(const QString& path);

/// "%04d-%02d-%02d-%02d:%02d:%02d" with seconds, "%04d-%02d-%02d-%02d:%02d" without.
QString FormatDateText(const LocalTime& time, bool withSeconds);

/// Where the sort gets a file's time from; FileWriteTime unless a test supplies another.
using FileTimeReader = std::function<FileTime(const QString& path)>;

/// Orders the list by file time, oldest first, equal seconds keeping their order, and gives
/// each entry its dateText: without seconds when the list holds one entry, with seconds when it
/// holds more. The result is that of a bubble sort with early exit that reads both times of every
/// pair it compares: in particular, when a time cannot be read the list is left exactly as that
/// bubble sort leaves it at its first failing read (the readable entries before the failing one
/// have been through one bubble pass and carry their texts; the failing entry and all after it
/// are untouched). Each file is asked for its time at most once, so this costs n reads and an
/// n log n sort; it differs from the pairwise re-reading only if a file changes meanwhile.
void SortRecordingsByTime(std::vector<RecordingEntry>& recordings, const FileTimeReader& readTime = FileWriteTime);
