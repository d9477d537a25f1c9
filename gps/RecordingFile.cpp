#include "RecordingFile.h"

#include "GpsRecord.h"
#include "engine/BoxReader.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kAlias = (std::uint32_t('a') << 24) | (std::uint32_t('l') << 16) | (std::uint32_t('i') << 8) |
                                 std::uint32_t('s');
constexpr std::int64_t kMaxSeconds = 48 * 3600;

// The record texts of the third track, as ReadGpsTextTrack reads them through the engine. False
// when the movie has no such track.
bool ReadNativeRecords(const BoxReader& movie, std::vector<QString>& texts)
{
    if (movie.TrackCount() < 3)
        return false;
    const BoxTrack& track = movie.TrackAt(2);
    const auto& refs = track.DataReferences();
    if (refs.empty() || !(refs[0].SelfContained() || refs[0].type == kAlias))
        return false;
    const std::int64_t scale = track.MediaTimeScale();
    if (scale <= 0)
        return false;
    const std::int64_t count =
        std::min<std::int64_t>(std::int64_t(std::min<std::uint64_t>(track.SampleCount(), 1u << 30)), kMaxSeconds);
    std::uint8_t buffer[512];
    for (std::int64_t c = 0; c < count; ++c) {
        std::size_t n = 0;
        std::memset(buffer, 0, sizeof buffer);
        const BoxResult r = movie.ReadSample(track, (c + 1) * scale, buffer, sizeof buffer, &n);
        if (r.status == BoxStatus::NoSample)
            break;
        if (!r.ok() || n > sizeof buffer)
            continue;
        const std::size_t length = std::size_t(buffer[0]) * 256 + buffer[1];
        if (n >= 3 && length + 2 == n && (buffer[2] == 'A' || buffer[2] == 'V'))
            texts.push_back(QString::fromLatin1(reinterpret_cast<const char*>(buffer + 2), qsizetype(length)));
        else
            texts.push_back(QString());
    }
    return true;
}

}  // namespace

RecordingFileTracks ReadRecordingFileTracks(const QString& path)
{
    RecordingFileTracks out;
    std::unique_ptr<BoxReader> movie;
    if (BoxReader::Open(QFile::encodeName(path).toStdString(), &movie).ok() && movie) {
        out.opened = true;
        out.durationSeconds = std::int64_t(movie->Duration() / movie->TimeScale());
        std::vector<QString> texts;
        if (ReadNativeRecords(*movie, texts)) {
            BuildTracks(true, texts, out.tracks.gpsTrack, out.tracks.gSensorSeries);
            if (!out.tracks.gpsTrack.empty()) {
                out.tracks.family = GpsFamily::Native;
                out.tracks.utcMs.assign(out.tracks.gpsTrack.size(), kNoGpsTime);
                for (const QString& t : texts)
                    out.tracks.fixes += t.startsWith(u'A') ? 1 : 0;
                return out;
            }
            out.tracks.gSensorSeries.clear();
        }
    }
    out.tracks = ReadOtherGpsSources(path);
    return out;
}
