#pragma once
// Reads the structure of a QuickTime / ISO base media movie (.mov, .mp4): the movie header, the
// tracks in file order, each track's media header, handler, data references and sample tables,
// and the bytes of one sample found by its media time.
//
// The file is read through positioned reads only; it is never loaded whole. Every size and count
// in the file is checked against its enclosing box and the file before it is used, so a damaged
// or hostile file gives a BoxResult that tells a truncated file (it ends inside a box or table the
// reader needs) from a malformed one (sizes inconsistent, impossible counts, unknown versions).
// Nothing here throws.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// How an operation of the reader ended.
enum class BoxStatus {
    Ok,
    NotFound,   ///< the file does not exist or is not a regular file
    IoError,    ///< reading failed
    Truncated,  ///< the file ends inside a box or table that is needed (no movie box, cut short)
    Malformed,  ///< sizes or counts are inconsistent, or a version is unknown
    NoSample,   ///< no sample's time span holds the media time (before the first, past the last)
    TooLarge,   ///< the sample does not fit the caller's buffer
};

/// A status with a short human-readable reason, e.g. "truncated: no movie box".
struct BoxResult {
    BoxStatus status = BoxStatus::Ok;
    std::string message;

    bool ok() const { return status == BoxStatus::Ok; }
    explicit operator bool() const { return ok(); }

    /// Builds a failed result; the message gets the prefix of its status ("malformed: ").
    static BoxResult Fail(BoxStatus status, const std::string& detail);
};

/// Upper bounds the reader enforces on what a file may declare.
struct BoxLimits {
    static constexpr int kMaxDepth = 32;                  ///< nesting of boxes
    static constexpr std::uint64_t kMaxBoxes = 1u << 20;  ///< box headers visited
    static constexpr std::size_t kMaxTracks = 1024;
    static constexpr std::uint64_t kMaxTableEntries = 1u << 24;  ///< per stts/stsc/stco/co64
    static constexpr std::uint64_t kMaxSampleSizes = 1u << 24;   ///< per stsz/stz2 size table
    /// Memory the lookup tables of all tracks may take together.
    static constexpr std::uint64_t kMaxTableBytes = std::uint64_t(512) << 20;
    static constexpr std::size_t kMaxDataReferences = 64;  ///< dref entries kept
};

/// Bytes addressed by offset: a file read with pread, or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Length in bytes, fixed when the source was opened.
    virtual std::uint64_t Size() const = 0;
    /// Reads exactly n bytes at offset into out. Truncated when the range passes Size(),
    /// IoError when the read fails.
    virtual BoxResult ReadAt(std::uint64_t offset, void* out, std::size_t n) const = 0;
};

/// Opens a file read-only for positioned reads. NotFound when it does not exist, cannot be opened
/// or is not a regular file. The source owns its descriptor.
BoxResult OpenFileSource(const std::string& path, std::shared_ptr<const ByteSource>* source);

/// A source over a copy of the given bytes (fuzzing, tests).
std::shared_ptr<const ByteSource> MakeMemorySource(std::vector<std::uint8_t> bytes);

/// Where one box lies in the file.
struct BoxSpan {
    std::uint32_t type = 0;
    std::uint64_t start = 0;    ///< the size field
    std::uint64_t payload = 0;  ///< first byte after the header
    std::uint64_t end = 0;      ///< one past the last byte
    std::uint64_t PayloadSize() const { return end - payload; }
};

/// One entry of a media's data reference box.
struct DataReference {
    std::uint32_t type = 0;   ///< the entry's box type: 'alis', 'url ', 'urn ', ...
    std::uint32_t flags = 0;  ///< its 24-bit flags
    /// True when the media data lies in the movie file itself (flag 1 on an alias or URL entry).
    bool SelfContained() const;
};

/// Where one sample lies and when it plays, in media time.
struct SampleLocation {
    std::uint64_t index = 0;   ///< from 0
    std::uint64_t offset = 0;  ///< in the file
    std::uint32_t size = 0;    ///< in bytes
    std::int64_t decodeTime = 0;
    std::int64_t duration = 0;  ///< 0 when located by index alone
};

/// One track of a movie: its media header, handler, data references and sample tables.
class BoxTrack {
public:
    std::uint32_t TrackId() const { return trackId_; }          ///< from tkhd; 0 when absent
    std::uint32_t HandlerType() const { return handlerType_; }  ///< 'vide', 'soun', 'text', ...
    /// Why the track could not be read ("malformed: no sample table ('stbl') (track 3)"); empty
    /// for a sound track. A damaged track keeps its place and handler type (when its handler box
    /// was read) but has no samples and no data references.
    const std::string& Damage() const { return damage_; }
    std::uint32_t MediaTimeScale() const { return mediaTimeScale_; }  ///< never 0
    std::uint64_t MediaDuration() const { return mediaDuration_; }    ///< from mdhd
    const std::vector<DataReference>& DataReferences() const { return dataRefs_; }
    /// The number of samples the size table declares.
    std::uint64_t SampleCount() const { return sampleCount_; }
    /// The end of the last sample's time span (sum of the time-to-sample table).
    std::int64_t SampleTableDuration() const { return sttsTotalTime_; }

    /// The sample whose time span [decode time, decode time + duration) holds mediaTime.
    /// NoSample before 0 or at or past the end of the last span; Malformed when the tables do not
    /// agree about that sample (no size for it, no chunk holds it).
    BoxResult FindSample(std::int64_t mediaTime, SampleLocation* out) const;
    /// Offset and size of sample `index` (from 0).
    BoxResult LocateSample(std::uint64_t index, SampleLocation* out) const;

private:
    friend class BoxTrackBuilder;
    friend class BoxMovieParser;  // empties a damaged track

    struct TimeRun {  // stts entries with their running totals
        std::uint64_t firstSample;
        std::int64_t firstTime;
        std::uint32_t count;
        std::uint32_t delta;
    };
    struct ChunkRun {  // stsc entries with their running totals
        std::uint64_t firstSample;
        std::uint32_t firstChunk;  // from 0
        std::uint32_t samplesPerChunk;
    };

    std::uint32_t trackId_ = 0;
    std::uint32_t handlerType_ = 0;
    std::string damage_;
    std::uint32_t mediaTimeScale_ = 0;
    std::uint64_t mediaDuration_ = 0;
    std::vector<DataReference> dataRefs_;

    std::uint64_t sampleCount_ = 0;
    std::uint32_t constantSize_ = 0;         // when not 0 every sample has this size
    std::vector<std::uint64_t> sizePrefix_;  // sizePrefix_[i] = bytes of samples 0 .. i-1
    std::vector<TimeRun> timeRuns_;
    std::int64_t sttsTotalTime_ = 0;
    std::vector<ChunkRun> chunkRuns_;
    std::uint64_t chunkedSamples_ = 0;  // samples the chunk runs hold
    std::vector<std::uint64_t> chunkOffsets_;
};

/// A movie read from a file: its header and tracks. A track that cannot be read is kept as a
/// damaged track (BoxTrack::Damage) and the movie is read on; only when no video track is left
/// and a damaged track was, or may have been, the video track does the movie fail with that
/// track's reason. Owns its byte source, so it stays usable
/// after whoever opened the file has let it go.
class BoxReader {
public:
    /// Opens and reads the movie at path.
    static BoxResult Open(const std::string& path, std::unique_ptr<BoxReader>* movie);
    /// Reads the movie from an open source.
    static BoxResult Open(std::shared_ptr<const ByteSource> source, std::unique_ptr<BoxReader>* movie);

    std::uint32_t TimeScale() const { return timeScale_; }  ///< movie header; never 0
    std::uint64_t Duration() const { return duration_; }    ///< movie header, in TimeScale units
    std::size_t TrackCount() const { return tracks_.size(); }
    /// Track `index` from 0, in file order.
    const BoxTrack& TrackAt(std::size_t index) const { return tracks_[index]; }

    /// Copies the bytes of the sample at mediaTime into buffer. TooLarge (buffer untouched) when
    /// the sample is larger than capacity; Truncated when its bytes lie past the end of the file.
    BoxResult ReadSample(const BoxTrack& track, std::int64_t mediaTime, std::uint8_t* buffer, std::size_t capacity,
                         std::size_t* byteCount, SampleLocation* where = nullptr) const;
    /// The same for a located sample.
    BoxResult ReadSample(const SampleLocation& sample, std::uint8_t* buffer, std::size_t capacity,
                         std::size_t* byteCount) const;

private:
    friend class BoxMovieParser;
    BoxReader() = default;

    std::shared_ptr<const ByteSource> source_;
    std::uint32_t timeScale_ = 0;
    std::uint64_t duration_ = 0;
    std::vector<BoxTrack> tracks_;
};

/// "moov" for 'moov'; bytes outside printable ASCII are written as \xNN.
std::string FourCCText(std::uint32_t code);
