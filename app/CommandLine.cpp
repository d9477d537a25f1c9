#include "CommandLine.h"

#include "engine/Engine.h"
#include "gps/GpsRecord.h"
#include "gps/GpsSource.h"
#include "gps/GpsTextTrack.h"
#include "gps/GpxExport.h"
#include "gps/RecordingName.h"
#include "playback/FrameCommand.h"
#include "recordings/ListCommand.h"
#include "version/Version.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <vector>

namespace {

const char* const kUsage =
    "Usage: vindrel [RECORDING...]\n"
    "       vindrel OPTION\n"
    "\n"
    "Plays dash-camera recordings with their route, speed and G-sensor curves.\n"
    "\n"
    "Options:\n"
    "  --dump-track FILE          print the GPS status, the GPS track of FILE and its source\n"
    "  --export-gpx FILE [OUT]    write the GPS track of FILE as GPX 1.1 to OUT or standard output\n"
    "  --list DIR                 list the recordings of DIR in time order, with their trip numbers\n"
    "  --events FILE              print the G-sensor events of FILE: first second, last second, peak\n"
    "  --frame FILE SECONDS OUT   save the frame shown at SECONDS of FILE as a bitmap\n"
    "  --help                     show this text\n"
    "\n"
    "  --verbose                  (with any of the above) write the player's log to standard error\n";

/// The movie and its tracks, read through the structure engine.
struct LoadedTrack {
    GpsStatus status = NoGpsFile;
    TextTrackData textTrack;
    std::vector<GpsSample> gpsTrack;
    std::vector<GSensorSample> gSensorSeries;
    GpsSourceInfo source;
};

QString ReasonFor(OSErr err)
{
    const std::string detail = CurrentEngine().LastErrorText();
    if (!detail.empty())
        return QString::fromStdString(detail);
    switch (err) {
    case kEngineFileNotFound: return QStringLiteral("no such file, or it cannot be read");
    case kEngineTruncatedMovie: return QStringLiteral("truncated movie");
    case kEngineInvalidMovie: return QStringLiteral("not a movie");
    case kEngineParamErr: return QStringLiteral("the path cannot be handed to the engine");
    default: return QStringLiteral("engine error %1").arg(err);
    }
}

// Opens the recording with the box reader engine, reads its GPS text track and builds the
// tracks. On failure writes one line to err and returns false.
bool LoadTrack(const QString& path, LoadedTrack& loaded, QTextStream& err)
{
    std::unique_ptr<EngineBackend> previous = InstallEngine(MakeBoxReaderEngine());
    struct Restore {
        std::unique_ptr<EngineBackend>& engine;
        ~Restore() { InstallEngine(std::move(engine)); }
    } restore{previous};

    loaded.status = CheckGpsLog(path);
    Movie movie = nullptr;
    const OSErr error = EngineOpenMoviePath(QFile::encodeName(path).toStdString(), &movie);
    if (error != noErr || !movie) {
        err << "vindrel: " << path << ": cannot be opened as a movie: " << ReasonFor(error) << Qt::endl;
        return false;
    }
    // A damaged track is left out and said; the movie is read with what is sound.
    for (long i = 1; i <= EngineTrackCount(movie); ++i) {
        if (!EngineTrackMedia(EngineTrackAt(movie, i)))
            err << "vindrel: " << path << ": " << QString::fromStdString(CurrentEngine().LastErrorText()) << Qt::endl;
    }
    ReadRecordingTracks(movie, path, loaded.textTrack, loaded.gpsTrack, loaded.gSensorSeries, &loaded.source);
    EngineDisposeMovie(movie);
    loaded.status = RateGpsSource(loaded.status, loaded.source.family, loaded.source.fixes, loaded.gpsTrack.size());
    return true;
}

QString Absolute(const QString& file) { return QDir::current().absoluteFilePath(file); }

}  // namespace

int DumpTrack(const QString& file, QTextStream& out, QTextStream& err)
{
    const QString path = Absolute(file);
    LoadedTrack loaded;
    if (!LoadTrack(path, loaded, err))
        return 1;
    // valid: the native track was read whole, or another family gave the track.
    const bool valid = loaded.textTrack.valid || loaded.source.family != GpsFamily::None;
    out << "# status=" << GpsStatusName(loaded.status) << " valid=" << (valid ? 1 : 0)
        << " elements=" << loaded.gpsTrack.size() << " source=" << GpsFamilyName(loaded.source.family) << '\n';
    for (std::size_t k = 0; k < loaded.gpsTrack.size(); ++k) {
        const GpsSample& g = loaded.gpsTrack[k];
        const GSensorSample& s = loaded.gSensorSeries[k];
        // QString::number writes the C locale's '.' whatever the process locale.
        out << k << '\t' << g.latitude << '\t' << g.longitude << '\t' << g.hemispheres << '\t' << g.speed << '\t'
            << QString::number(s.x, 'f', 6) << '\t' << QString::number(s.y, 'f', 6) << '\t'
            << QString::number(s.z, 'f', 6) << '\n';
    }
    out.flush();
    return 0;
}

int ExportGpx(const QString& file, const QString& outPath, QTextStream& out, QTextStream& err)
{
    const QString path = Absolute(file);
    LoadedTrack loaded;
    if (!LoadTrack(path, loaded, err))
        return 1;
    const QString name = RecordingTitle(path);
    if (outPath.isEmpty()) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteGpxTrack(loaded.gpsTrack, name, buffer, loaded.source.utcMs);
        out << QString::fromUtf8(buffer.data());
        out.flush();
        return 0;
    }
    // Written aside and renamed into place, so a failure never leaves half a file behind.
    QSaveFile target(outPath);
    if (!target.open(QIODevice::WriteOnly) || !WriteGpxTrack(loaded.gpsTrack, name, target, loaded.source.utcMs) ||
        !target.commit()) {
        err << "vindrel: " << outPath << ": cannot be written: " << target.errorString() << Qt::endl;
        return 1;
    }
    return 0;
}

std::optional<int> RunCommandLineOption(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() < 2 || !args[1].startsWith(QLatin1String("--")))
        return std::nullopt;
    const QString option = args[1];
    const qsizetype extra = args.size() - 2;
    if (option == QLatin1String("--help")) {
        out << "Vindrel " VINDREL_VERSION "\n\n" << kUsage;
        out.flush();
        return 0;
    }
    if (option == QLatin1String("--dump-track") && extra == 1)
        return DumpTrack(args[2], out, err);
    if (option == QLatin1String("--export-gpx") && (extra == 1 || extra == 2))
        return ExportGpx(args[2], extra == 2 ? args[3] : QString(), out, err);
    if (option == QLatin1String("--list") && extra == 1)
        return RunListCommand(args[2], out, err);
    if (option == QLatin1String("--events") && extra == 1)
        return RunEventsCommand(Absolute(args[2]), out, err);
    if (option == QLatin1String("--frame") && extra == 3)
        return RunFrameCommand(args.mid(2), out, err);
    err << "vindrel: unknown option or wrong arguments: " << args.mid(1).join(QLatin1Char(' ')) << "\n\n" << kUsage;
    err.flush();
    return 2;
}
