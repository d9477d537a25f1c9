#pragma once
// Which files are recordings, where a recording's GPS log lies, and its display name.
// Paths use '/' as the folder separator; every comparison is exact and case-sensitive.

#include <QString>

/// True when the path is not empty and ends in exactly ".mov", ".MOV", ".mp4" or ".MP4".
bool IsRecordingFile(const QString& path);

/// Full path of a GPS log candidate: with beside = false, "<folder two levels up>/gps/gps<name>.log";
/// with beside = true, "<recording's folder>/gps<name>.log". <name> is the base name without its
/// extension and without the camera prefix ("AMBA"/"CADR": first four characters; else up to the
/// first '_'). The prefix rule drops the first four characters wherever "AMBA" or "CADR" occurs
/// ("XAMBA12" gives "A12"). The path is taken as it is: give an absolute path, since a bare file
/// name has no folder and yields "/gps<name>.log" and "/gps/gps<name>.log".
QString LogPathForRecording(const QString& recordingPath, bool beside);

/// The name shown in the current-file label: the base name without its extension, after a round
/// trip through the locale's narrow encoding.
QString RecordingTitle(const QString& recordingPath);
