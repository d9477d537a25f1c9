#include "GpsRecord.h"

#include "GpsTextTrack.h"
#include "Numbers.h"
#include "RecordingName.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringView>

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace {

// Field access works on the rest of the record with two primitives. Skip removes the text up to
// and including the first ',' (the rest stays as it is when it has none); Take gives the text
// before the first delimiter (nothing when the delimiter does not occur).
QStringView Skip(QStringView rest)
{
    const qsizetype comma = rest.indexOf(u',');
    return comma < 0 ? rest : rest.mid(comma + 1);
}

QStringView Take(QStringView rest, char16_t delimiter)
{
    const qsizetype at = rest.indexOf(delimiter);
    return at < 0 ? QStringView() : rest.left(at);
}

// A field as a number: the locale's narrow text read like atof in the C locale. A value that is
// not finite ("inf", "nan", "1e400") reads 0, like a field without a number, so that no
// infinity or NaN ever reaches the map page, the speed meter or the G-sensor graph.
double ReadNumber(QStringView field)
{
    if (field.isEmpty())
        return 0.0;
    const QByteArray narrow = field.toLocal8Bit();
    const double value = ReadDecimalPrefix(std::string_view(narrow.constData(), std::size_t(narrow.size())));
    return std::isfinite(value) ? value : 0.0;
}

QString Coordinate(QStringView field)
{
    const double v = ReadNumber(field);
    // Degrees are the integer part divided by 100 in integer arithmetic. An integer part beyond
    // 64 bits (no real coordinate) is divided in floating point instead.
    std::int64_t whole = 0;
    const double degrees = TruncToInt64(v, &whole) ? double(whole / 100) : std::trunc(v / 100.0);
    const double minutes = std::fmod(v, 100.0);
    return QString::fromLatin1(FormatFixed6(degrees + minutes / 60.0));
}

std::int32_t Speed(QStringView field)
{
    // r is the integer that atoi reads from the text (so "1e2" is 1, not 100), one more when the
    // fraction of the value atof reads is above one half; the meter's km/h value is r divided
    // by 1.852, truncated. Worked in double so that no value of the field can overflow.
    const double v = ReadNumber(field);
    const QByteArray narrow = field.toLocal8Bit();
    const double whole = ReadIntegerPrefix(std::string_view(narrow.constData(), std::size_t(narrow.size())));
    const double r = whole + (v - std::trunc(v) > 0.5 ? 1.0 : 0.0);
    return static_cast<std::int32_t>(std::trunc(r / 1.852));
}

// Takes one record into the running sample and G-sensor reading.
void ApplyRecord(QStringView text, GpsSample& current, GSensorSample& gSensor)
{
    // rest[n] is the record after n Skips.
    QStringView rest[11];
    rest[0] = text;
    for (int n = 1; n <= 10; ++n)
        rest[n] = Skip(rest[n - 1]);

    const QChar kind = text.front();
    if (kind == u'A' || kind == u'V') {
        gSensor.x = ReadNumber(Take(rest[8], u','));
        gSensor.y = ReadNumber(Take(rest[9], u','));
        gSensor.z = ReadNumber(Take(rest[10], u';'));
    }
    if (kind != u'A')
        return;

    current.latitude = Coordinate(Take(rest[3], u','));
    current.longitude = Coordinate(Take(rest[5], u','));
    current.hemispheres.clear();
    if (!rest[4].isEmpty())
        current.hemispheres += rest[4].front();
    if (!rest[6].isEmpty())
        current.hemispheres += rest[6].front();
    const QStringView speedField = rest[7].contains(u',') ? Take(rest[7], u',') : Take(rest[7], u';');
    current.speed = Speed(speedField);
    if (current.hemispheres.size() >= 1 && current.hemispheres.at(0) == u'S')
        current.latitude.prepend(u'-');
    if (current.hemispheres.size() >= 2 && current.hemispheres.at(1) == u'W')
        current.longitude.prepend(u'-');
}

// The seconds before the first position show that position (not its speed). The test is on
// the text: "0.000000" from an empty field counts as a position.
void BackFill(std::vector<GpsSample>& gpsTrack)
{
    const QLatin1String none("0.0");
    for (std::size_t i = 0; i < gpsTrack.size(); ++i) {
        if (gpsTrack[i].latitude == none && gpsTrack[i].longitude == none)
            continue;
        for (std::size_t k = 0; k < i; ++k) {
            gpsTrack[k].latitude = gpsTrack[i].latitude;
            gpsTrack[k].longitude = gpsTrack[i].longitude;
            gpsTrack[k].hemispheres = gpsTrack[i].hemispheres;
        }
        return;
    }
}

template <typename Texts, typename TextOf>
bool Build(bool valid, const Texts& texts, TextOf textOf, std::vector<GpsSample>& gpsTrack,
           std::vector<GSensorSample>& gSensorSeries)
{
    if (!valid)
        return false;
    GpsSample current;
    GSensorSample gSensor;
    for (const auto& item : texts) {
        const QString& text = textOf(item);
        if (text.isEmpty())
            continue;
        ApplyRecord(text, current, gSensor);
        gSensorSeries.push_back(gSensor);
        gpsTrack.push_back(current);
    }
    BackFill(gpsTrack);
    return true;
}

// Rating reads at most this much of a log: over a million records, far more than any
// recording has, and a bound on the time a huge or endless file can take.
constexpr qint64 kLogReadLimit = 64 * 1024 * 1024;
constexpr qint64 kLogChunk = 64 * 1024;

// Only regular files count: a folder, a FIFO or a device of that name is not a log (opening a
// FIFO would block, a device may never end).
bool OpenLog(const QString& path, QFile& file)
{
    if (!QFileInfo(path).isFile())
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

}  // namespace

QString ParseNmeaCoordinate(const QString& field) { return Coordinate(field); }

std::int32_t SpeedFromField(const QString& field) { return Speed(field); }

bool BuildTracks(bool valid, const std::vector<QString>& recordTexts, std::vector<GpsSample>& gpsTrack,
                 std::vector<GSensorSample>& gSensorSeries)
{
    return Build(
        valid, recordTexts, [](const QString& t) -> const QString& { return t; }, gpsTrack, gSensorSeries);
}

bool BuildTracks(const TextTrackData& data, std::vector<GpsSample>& gpsTrack, std::vector<GSensorSample>& gSensorSeries)
{
    return Build(
        data.valid, data.samples, [](const TextSample& s) -> const QString& { return s.text; }, gpsTrack,
        gSensorSeries);
}

GpsStatus CheckGpsLog(const QString& recordingPath)
{
    QFile file;
    if (!OpenLog(LogPathForRecording(recordingPath, false), file) &&
        !OpenLog(LogPathForRecording(recordingPath, true), file))
        return NoGpsFile;

    // Only the first character of each line matters, so the file is streamed in chunks: a
    // line of any length costs no memory.
    std::vector<char> chunk(kLogChunk);
    qint64 valid = 0;
    qint64 invalid = 0;
    qint64 total = 0;
    bool atLineStart = true;
    while (total < kLogReadLimit) {
        const qint64 n = file.read(chunk.data(), std::min(kLogChunk, kLogReadLimit - total));
        if (n <= 0)
            break;
        total += n;
        const char* data = chunk.data();
        qint64 pos = 0;
        while (pos < n) {
            if (atLineStart) {
                if (data[pos] == 'A')
                    ++valid;
                else if (data[pos] == 'V')
                    ++invalid;
                atLineStart = false;
            }
            const void* newline = std::memchr(data + pos, '\n', std::size_t(n - pos));
            if (!newline)
                break;
            pos = static_cast<const char*>(newline) - data + 1;
            atLineStart = true;
        }
    }
    file.close();
    // Fewer than 20 % valid fixes, in integers: a < 0.2 (a + b).
    return 5 * valid < valid + invalid ? NoGpsInfo : GpsPresent;
}
