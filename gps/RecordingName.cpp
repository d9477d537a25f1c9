#include "RecordingName.h"

namespace {

// The text after the last '/' (the whole text when there is none).
QString BaseName(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// The text before the last '.'; a name without '.' becomes empty.
QString WithoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

// The text before the last '/' (empty when there is none).
QString Folder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

// The camera's prefix: "AMBA" or "CADR" anywhere drops the first four characters (wherever the
// word was found); otherwise everything up to the first '_' goes.
QString WithoutCameraPrefix(const QString& name)
{
    if (name.contains(QLatin1String("AMBA")) || name.contains(QLatin1String("CADR")))
        return name.mid(4);
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    return underscore < 0 ? name : name.mid(underscore + 1);
}

}  // namespace

bool IsRecordingFile(const QString& path)
{
    return path.endsWith(QLatin1String(".mov")) || path.endsWith(QLatin1String(".MOV")) ||
           path.endsWith(QLatin1String(".mp4")) || path.endsWith(QLatin1String(".MP4"));
}

QString LogPathForRecording(const QString& recordingPath, bool beside)
{
    const QString name = WithoutCameraPrefix(WithoutExtension(BaseName(recordingPath)));
    const QString folder = Folder(recordingPath);
    if (beside)
        return folder + QLatin1String("/gps") + name + QLatin1String(".log");
    const QString twoUp = Folder(Folder(folder));
    return twoUp + QLatin1String("/gps/gps") + name + QLatin1String(".log");
}

QString RecordingTitle(const QString& recordingPath)
{
    // The same narrow text the engine is given to open the movie, read back: whatever the
    // locale's encoding cannot hold shows as its replacement character.
    const QString roundTrip = QString::fromLocal8Bit(recordingPath.toLocal8Bit());
    return WithoutExtension(BaseName(roundTrip));
}
