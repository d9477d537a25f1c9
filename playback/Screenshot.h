#pragma once
// The screenshot command: the frame shown now, at the movie's own size, saved as a bitmap file
// in the VideoShots folder, with a small copy flashed in the upper right of the picture.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

class CQuickTime;
class CVideoView;

/// "VideoShots-2014-05-06-12h30m45s.bmp" for that local time.
QString ScreenshotFileName(const QDateTime& localTime);

/// The folder screenshots go to: "VideoShots" in the executable's folder when it can be made
/// and written there, else "VideoShots" in the user's pictures folder. Made when missing; empty
/// when neither can be made.
QString ScreenshotFolder(const QString& executableFolder, const QString& picturesFolder);

/// Writes the bytes as a new file in the folder, named for the time. A file of that name is
/// kept; the new one is then named with "-2", "-3", … before ".bmp". Returns the path written,
/// or empty when nothing was written.
QString WriteScreenshotFile(const QString& folder, const QDateTime& localTime, const std::vector<std::uint8_t>& bytes);

/// The screenshot command on the video view's movie, into `folder` (empty: ScreenshotFolder of
/// the executable's folder and the pictures folder). Does nothing without a movie and its
/// controller. Playback goes on afterwards, also when it was paused. Returns the path written,
/// or empty.
QString TakeScreenshot(CVideoView& view, const QString& folder = QString());
QString TakeScreenshot(CQuickTime& wrapper, const QString& folder = QString());
