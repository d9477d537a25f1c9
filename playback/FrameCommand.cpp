#include "playback/FrameCommand.h"

#include "engine/Engine.h"
#include "playback/Bitmap.h"
#include "playback/EngineStartup.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>
#include <memory>

namespace {
// Releases what the command opened, whatever way it ends.
struct MovieGuard {
    Movie movie = nullptr;
    PicHandle picture = nullptr;
    ~MovieGuard()
    {
        if (picture)
            EngineDisposePicture(picture);
        if (movie)
            EngineDisposeMovie(movie);
    }
};
}  // namespace

int RunFrameCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    if (!args.isEmpty() && args.front() == QLatin1String("--frame"))
        args.pop_front();
    if (args.size() != 3) {
        err << "usage: vindrel --frame FILE SECONDS OUT.bmp" << Qt::endl;
        return 1;
    }
    const QString file = args[0];
    const QString outPath = args[2];
    bool isNumber = false;
    const double seconds = QLocale::c().toDouble(args[1].trimmed(), &isNumber);
    if (!isNumber || !std::isfinite(seconds) || seconds < 0) {
        err << "vindrel: " << args[1] << " is not a time in seconds" << Qt::endl;
        return 1;
    }
    if (EngineStartCount() == 0) {
        const OSErr started = StartEngineLibrary(0);
        if (started != noErr || EnterMovies() != noErr) {
            err << "vindrel: the media engine (" << kMpvLibraryName << ") cannot be started" << Qt::endl;
            return 1;
        }
    }

    MovieGuard guard;
    const QByteArray narrow = QFile::encodeName(file);
    if (EngineOpenMoviePath(std::string(narrow.constData(), std::size_t(narrow.size())), &guard.movie) != noErr ||
        !guard.movie) {
        const std::string why = CurrentEngine().LastErrorText();
        err << "vindrel: cannot read " << file << " as a movie";
        if (!why.empty())
            err << " (" << QString::fromStdString(why) << ")";
        err << Qt::endl;
        return 1;
    }
    const TimeScale scale = EngineMovieTimeScale(guard.movie);
    const TimeValue duration = EngineMovieDuration(guard.movie);
    if (scale <= 0) {
        err << "vindrel: " << file << " has no time scale" << Qt::endl;
        return 1;
    }
    // In the movie's units; the allowance keeps a decimal like 4.35 from falling a unit short.
    const double units = std::floor(seconds * scale + 1e-6);
    if (units > double(duration)) {
        err << "vindrel: " << args[1] << " s lies past the end of " << file << " ("
            << QLocale::c().toString(double(duration) / scale, 'f', 3) << " s)" << Qt::endl;
        return 1;
    }
    // The picture of the frame shown at that time: the engine goes there for it.
    guard.picture = EngineMoviePicture(guard.movie, TimeValue(units));
    const std::vector<std::uint8_t> bitmap = BitmapFileFromDib(EnginePictureToDib(guard.picture));
    if (bitmap.empty()) {
        err << "vindrel: " << file << " has no picture at " << args[1] << " s" << Qt::endl;
        return 1;
    }
    QSaveFile target(outPath);
    if (!target.open(QIODevice::WriteOnly) ||
        target.write(reinterpret_cast<const char*>(bitmap.data()), qint64(bitmap.size())) != qint64(bitmap.size()) ||
        !target.commit()) {
        err << "vindrel: cannot write " << outPath << Qt::endl;
        return 1;
    }
    out << outPath << Qt::endl;
    return 0;
}
