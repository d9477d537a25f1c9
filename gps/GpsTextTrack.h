#pragma once
// The GPS text track of a movie: the third track, one sample per second, each sample a 16-bit
// big-endian length followed by the record text.

#include "engine/Engine.h"

#include <QString>

#include <cstdint>
#include <vector>

/// One sample the engine could read.
struct TextSample {
    std::int64_t decodeTime = 0;  ///< media time it was read at: (index + 1) x timeScale
    QString text;                 ///< the record text; empty when the payload failed the checks
};

/// The samples of a movie's GPS text track.
struct TextTrackData {
    bool valid = false;            ///< true only after the whole track was read
    std::int32_t timeScale = 0;    ///< units per second of the track's media
    std::int32_t sampleCount = 0;  ///< samples of the media
    std::vector<TextSample> samples;
    Movie movie = nullptr;
    Track track = nullptr;
    Media media = nullptr;
};

/// Reads the third track of the movie into data. Returns 0 after a complete read, -1 when it gave
/// up (data.valid stays false; data.samples untouched): no movie, fewer than three tracks, no
/// third track or media, a first data reference that is not 'alis', or a time scale that is not
/// positive.
///
/// Index c is read at media time (c + 1) x timeScale (formed in 64 bits) into a 512-byte buffer.
/// An index the engine cannot read, or whose byte count does not fit the buffer, adds nothing;
/// one whose payload fails the length or first-letter check adds a sample with empty text.
/// Reading stops at the first time past the last sample (kEngineNoSampleAtTime: no later index
/// can succeed) and after at most 48 hours of samples, whatever count the media claims; a
/// negative count reads nothing.
int ReadGpsTextTrack(Movie movie, TextTrackData& data);
