#include "playback/Screenshot.h"

#include "engine/Engine.h"
#include "playback/Bitmap.h"
#include "playback/QuickTime.h"
#include "playback/VideoView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
constexpr int kMaxSameSecond = 999;  // names tried for shots within one second

bool WritableFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        return false;
    // Permission bits do not tell everything (read-only mounts): try a file.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}
}  // namespace

QString ScreenshotFileName(const QDateTime& t)
{
    const QDate d = t.date();
    const QTime c = t.time();
    return QString::asprintf("VideoShots-%04d-%02d-%02d-%02dh%02dm%02ds.bmp", d.year(), d.month(), d.day(), c.hour(),
                             c.minute(), c.second());
}

QString ScreenshotFolder(const QString& executableFolder, const QString& picturesFolder)
{
    if (!executableFolder.isEmpty()) {
        const QString beside = QDir(executableFolder).filePath(QStringLiteral("VideoShots"));
        if (WritableFolder(beside))
            return beside;
    }
    if (!picturesFolder.isEmpty()) {
        const QString pictures = QDir(picturesFolder).filePath(QStringLiteral("VideoShots"));
        if (WritableFolder(pictures))
            return pictures;
    }
    return QString();
}

QString WriteScreenshotFile(const QString& folder, const QDateTime& localTime, const std::vector<std::uint8_t>& bytes)
{
    if (folder.isEmpty() || bytes.empty())
        return QString();
    const QString base = ScreenshotFileName(localTime);
    const QString stem = base.left(base.size() - 4);  // without ".bmp"
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1-%2.bmp").arg(stem).arg(n);
        const QString path = QDir(folder).filePath(name);
        QFile file(path);
        // NewOnly: an existing shot is never replaced, also not one made a moment ago.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            return QString();
        }
        const qint64 written = file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        if (written != qint64(bytes.size()) || !file.flush()) {
            file.close();
            file.remove();
            return QString();
        }
        file.close();
        return path;
    }
    return QString();
}

QString TakeScreenshot(CVideoView& view, const QString& folder)
{
    return view.movieWrapper ? TakeScreenshot(*view.movieWrapper, folder) : QString();
}

QString TakeScreenshot(CQuickTime& wrapper, const QString& folder)
{
    Movie movie = wrapper.movie;
    if (!movie || !wrapper.controller)
        return QString();
    // The picture is made at the movie's own size.
    EngineRect saved;
    EngineGetMovieBox(movie, &saved);
    EngineSetMovieBox(movie, wrapper.naturalBox);
    TimeScale scale = 0;
    const TimeValue now = ControllerCurrentTime(wrapper.controller, &scale);
    EngineHaltMovie(movie);
    PicHandle picture = EngineMoviePicture(movie, now);
    if (!picture) {
        EngineSetMovieBox(movie, saved);
        EnginePlayMovie(movie);
        return QString();
    }
    // The small copy in the upper right third of the picture.
    const int right = saved.right, bottom = saved.bottom;
    EngineDrawPicture(picture,
                      EngineRect{0, std::int16_t(2 * (right / 3)), std::int16_t(bottom / 3), std::int16_t(right)});
    EngineSetMovieBox(movie, saved);
    EnginePlayMovie(movie);

    const std::vector<std::uint8_t> dib = EnginePictureToDib(picture);
    EngineDisposePicture(picture);
    const std::vector<std::uint8_t> file = BitmapFileFromDib(dib);
    if (file.empty())
        return QString();
    const QString target = folder.isEmpty()
                               ? ScreenshotFolder(QCoreApplication::applicationDirPath(),
                                                  QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
                               : (QDir().mkpath(folder) ? folder : QString());
    return WriteScreenshotFile(target, QDateTime::currentDateTime(), file);
}
