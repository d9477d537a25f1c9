#include "GpsSource.h"

#include "GpsReaders.h"
#include "GpsRecord.h"
#include "GpsTextTrack.h"
#include "Numbers.h"
#include "engine/BoxReaderGps.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

// A file beside the movie is read whole up to this size; an NMEA log of a day is far smaller.
constexpr std::uint64_t kMaxSideFile = 64u << 20;

QString Degrees(double value)
{
    QString text = QString::fromLatin1(FormatFixed6(std::fabs(value)));
    if (value < 0)
        text.prepend(u'-');
    return text;
}

// The per-second table as the player's tracks: a second without a fix keeps the last one, and
// the seconds before the first fix take its position (not its speed).
GpsTracks Assemble(const GpsSecondTable& table, GpsFamily family)
{
    GpsTracks out;
    out.family = family;
    GpsSample current;
    for (const GpsSecondTable::Slot& slot : table.Slots()) {
        std::int64_t utc = kNoGpsTime;
        if (slot.hasFix && slot.fix.valid) {
            const GpsReading& r = slot.fix;
            current.latitude = Degrees(r.latitude);
            current.longitude = Degrees(r.longitude);
            current.hemispheres = QString(r.latitude < 0 ? u'S' : u'N') + QChar(r.longitude < 0 ? u'W' : u'E');
            current.speed = std::int32_t(std::lround(std::min(r.kmh, 100000.0)));
            utc = r.utcMs;
            ++out.fixes;
        }
        out.gpsTrack.push_back(current);
        out.gSensorSeries.push_back(slot.hasAcceleration ? GSensorSample{slot.x, slot.y, slot.z} : GSensorSample{});
        out.utcMs.push_back(utc);
    }
    const QLatin1String none("0.0");
    for (std::size_t i = 0; i < out.gpsTrack.size(); ++i) {
        if (out.gpsTrack[i].latitude == none && out.gpsTrack[i].longitude == none)
            continue;
        for (std::size_t k = 0; k < i; ++k) {
            out.gpsTrack[k].latitude = out.gpsTrack[i].latitude;
            out.gpsTrack[k].longitude = out.gpsTrack[i].longitude;
            out.gpsTrack[k].hemispheres = out.gpsTrack[i].hemispheres;
        }
        break;
    }
    return out;
}

// The bytes of a regular file, when it exists and is not too large.
bool ReadSideFile(const std::string& path, std::vector<std::uint8_t>* bytes)
{
    std::shared_ptr<const ByteSource> source;
    if (!OpenFileSource(path, &source).ok() || source->Size() > kMaxSideFile)
        return false;
    bytes->resize(std::size_t(source->Size()));
    return bytes->empty() || source->ReadAt(0, bytes->data(), bytes->size()).ok();
}

std::string_view Text(const std::vector<std::uint8_t>& b)
{
    return std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
}

// The path with its extension replaced (or added when the name has none).
std::string Beside(const QString& path, const char* extension)
{
    const QFileInfo info(path);
    const QString base = info.path() + u'/' + info.completeBaseName();
    return QFile::encodeName(base + QLatin1String(extension)).toStdString();
}

}  // namespace

const char* GpsFamilyName(GpsFamily family)
{
    switch (family) {
    case GpsFamily::None: return "none";
    case GpsFamily::Native: return "native";
    case GpsFamily::NmeaTrack: return "nmea-track";
    case GpsFamily::Novatek: return "novatek";
    case GpsFamily::BlackVue: return "blackvue";
    case GpsFamily::Gpmf: return "gpmf";
    case GpsFamily::NmeaLog: return "nmea-log";
    }
    return "none";
}

GpsTracks ReadOtherGpsSources(const QString& path)
{
    std::shared_ptr<const ByteSource> file;
    OpenFileSource(QFile::encodeName(path).toStdString(), &file);
    std::unique_ptr<BoxReader> movie;
    std::vector<std::uint32_t> formats;
    if (file && BoxReader::Open(file, &movie).ok())
        formats = TrackSampleFormats(*file);

    GpsSecondTable table;
    if (movie) {
        ReadNmeaTrack(*movie, formats, table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::NmeaTrack);
    }
    if (file) {
        ReadNovatek(*file, table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::Novatek);
        ReadBlackVueBoxes(*file, table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::BlackVue);
    }
    std::vector<std::uint8_t> gps, accel;
    if (ReadSideFile(Beside(path, ".gps"), &gps) | ReadSideFile(Beside(path, ".3gf"), &accel)) {
        ReadBlackVueData(Text(gps), Text(accel), -1, table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::BlackVue);
    }
    if (movie) {
        ReadGpmfTrack(*movie, formats, table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::Gpmf);
    }
    std::vector<std::uint8_t> log;
    if (ReadSideFile(Beside(path, ".nmea"), &log) || ReadSideFile(Beside(path, ".NMEA"), &log)) {
        ReadNmeaLog(Text(log), table);
        if (!table.Empty())
            return Assemble(table, GpsFamily::NmeaLog);
    }
    return GpsTracks{};
}

bool HasNativeGpsTrack(const QString& path)
{
    std::unique_ptr<BoxReader> movie;
    if (!BoxReader::Open(QFile::encodeName(path).toStdString(), &movie).ok() || movie->TrackCount() < 3)
        return false;
    const BoxTrack& track = movie->TrackAt(2);
    const auto& refs = track.DataReferences();
    // The engine calls a first data reference that points into the file itself 'alis'.
    if (refs.empty() || !(refs[0].SelfContained() || refs[0].type == Code("alis")))
        return false;
    const std::int64_t scale = track.MediaTimeScale();
    std::uint8_t buffer[512];
    for (std::int64_t c = 0; c < kMaxGpsSeconds; ++c) {
        std::size_t n = 0;
        const BoxResult r = movie->ReadSample(track, (c + 1) * scale, buffer, sizeof buffer, &n);
        if (r.status == BoxStatus::NoSample)
            return false;
        if (r.ok() && n >= 3 && std::size_t(buffer[0] * 256 + buffer[1]) + 2 == n &&
            (buffer[2] == 'A' || buffer[2] == 'V'))
            return true;
    }
    return false;
}

GpsStatus RateGpsSource(GpsStatus logStatus, GpsFamily family, std::size_t fixes, std::size_t elements)
{
    if (logStatus != NoGpsFile || family == GpsFamily::None || family == GpsFamily::Native)
        return logStatus;
    // Fewer than 20 % of the seconds with a fix, in integers: a < 0.2 n.
    return 5 * fixes < elements ? NoGpsInfo : GpsPresent;
}

GpsStatus RecordingGpsStatus(const QString& path)
{
    const GpsStatus status = CheckGpsLog(path);
    if (status != NoGpsFile || HasNativeGpsTrack(path))
        return status;
    const GpsTracks other = ReadOtherGpsSources(path);
    return RateGpsSource(status, other.family, other.fixes, other.gpsTrack.size());
}

bool ReadRecordingTracks(Movie movie, const QString& path, TextTrackData& textTrackData,
                         std::vector<GpsSample>& gpsTrack, std::vector<GSensorSample>& gSensorSeries,
                         GpsSourceInfo* info)
{
    ReadGpsTextTrack(movie, textTrackData);
    const bool ok = BuildTracks(textTrackData, gpsTrack, gSensorSeries);
    GpsSourceInfo found;
    found.family = gpsTrack.empty() ? GpsFamily::None : GpsFamily::Native;
    if (gpsTrack.empty()) {
        GpsTracks other = ReadOtherGpsSources(path);
        if (other.family != GpsFamily::None) {
            gpsTrack = std::move(other.gpsTrack);
            gSensorSeries = std::move(other.gSensorSeries);
            found.family = other.family;
            found.utcMs = std::move(other.utcMs);
            found.fixes = other.fixes;
        }
    }
    if (info)
        *info = std::move(found);
    return ok || found.family != GpsFamily::None;
}
