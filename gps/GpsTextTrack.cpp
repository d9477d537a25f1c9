#include "GpsTextTrack.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr OSType kAliasDataRef = FourCC("alis");  // the media's data is in the movie file itself
constexpr long kSampleCapacity = 512;

// One sample a second: a track is read for at most two days of media time. A real recording is
// minutes long; a damaged or hostile header claiming two billion samples stops here instead of
// reading (and keeping) that many.
constexpr std::int64_t kMaxSeconds = 48 * 3600;

std::int32_t ClampToInt32(long value)
{
    return static_cast<std::int32_t>(
        std::clamp<long>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

int ReadGpsTextTrack(Movie movie, TextTrackData& data)
{
    data.valid = false;
    data.movie = movie;
    if (!movie)
        return -1;
    if (EngineTrackCount(movie) < 3)
        return -1;
    data.track = EngineTrackAt(movie, 3);
    if (!data.track)
        return -1;
    data.media = EngineTrackMedia(data.track);
    if (!data.media)
        return -1;
    OSType kind = 0;
    if (EngineMediaDataRefKind(data.media, 1, &kind) != noErr || kind != kAliasDataRef)
        return -1;

    data.timeScale = EngineMediaTimeScale(data.media);
    data.sampleCount = ClampToInt32(EngineMediaSampleCount(data.media));
    // Without a positive time scale the media has no seconds to read samples at.
    if (data.timeScale <= 0)
        return -1;
    data.samples.clear();

    const std::int64_t count = std::min<std::int64_t>(data.sampleCount, kMaxSeconds);
    std::uint8_t buffer[kSampleCapacity];
    for (std::int64_t c = 0; c < count; ++c) {
        std::memset(buffer, 0, sizeof buffer);
        // 64-bit: with a million units a second, 32 bits would overflow after 2147 s.
        const TimeValue64 t = (c + 1) * std::int64_t(data.timeScale);
        long byteCount = 0;
        const OSErr err = EngineReadMediaSample(data.media, buffer, kSampleCapacity, &byteCount, t);
        // Times only grow, so once a time lies past the last sample every later one does too.
        if (err == kEngineNoSampleAtTime)
            break;
        // An error, or a count the buffer cannot hold, drops this index.
        if (err != noErr || byteCount < 0 || byteCount > kSampleCapacity)
            continue;

        TextSample sample;
        sample.decodeTime = t;
        const long length = long(buffer[0]) * 256 + long(buffer[1]);
        if (length + 2 == byteCount && (buffer[2] == 'A' || buffer[2] == 'V'))
            sample.text = QString::fromLatin1(reinterpret_cast<const char*>(buffer + 2), length);
        data.samples.push_back(std::move(sample));
    }
    data.valid = true;
    return 0;
}
