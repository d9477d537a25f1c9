#pragma once
// The media engine's operations. Every operation goes through one dispatcher to the engine that
// is installed: the real engine (the box reader for movie structure, libmpv for presentation),
// the failure substitute that answers every call with an error, or a fake in tests.
//
// Handles are opaque and owned by the engine that handed them out: a track or media handle lives
// as long as its movie. Errors are 16-bit codes, 0 meaning success.

#include <cstdint>
#include <memory>
#include <string>

using OSErr = std::int16_t;
using OSType = std::uint32_t;
using TimeValue = std::int32_t;
using TimeValue64 = std::int64_t;
using TimeScale = std::int32_t;

constexpr OSErr noErr = 0;
constexpr OSErr kEngineFileNotFound = -43;       ///< the file does not exist or cannot be opened
constexpr OSErr kEngineBadFileRef = -51;         ///< no open movie file with that reference
constexpr OSErr kEngineParamErr = -50;           ///< a null handle or an argument out of range
constexpr OSErr kEngineInvalidMovie = -2010;     ///< the file is not a movie: malformed boxes
constexpr OSErr kEngineTruncatedMovie = -2048;   ///< the file ends inside its movie structure
constexpr OSErr kEngineInvalidTrack = -2009;
constexpr OSErr kEngineInvalidMedia = -2008;
constexpr OSErr kEngineNoSampleAtTime = -2014;   ///< the time lies past the last sample
constexpr OSErr kEngineSampleTooLarge = -2031;   ///< the sample does not fit the caller's buffer
constexpr OSErr kEngineReadError = -36;          ///< an I/O error while reading sample data
constexpr OSErr kEngineLibraryMissing = -2093;   ///< substitute: the engine library could not be loaded
constexpr OSErr kEngineFunctionMissing = -2094;  ///< substitute: a function of the library is missing
constexpr OSErr kEngineNotStarted = -2095;       ///< substitute: the engine did not start

/// Four-character code from its text, 'alis' -> 0x616C6973.
constexpr OSType FourCC(const char (&c)[5])
{
    return (OSType(std::uint8_t(c[0])) << 24) | (OSType(std::uint8_t(c[1])) << 16) |
           (OSType(std::uint8_t(c[2])) << 8) | OSType(std::uint8_t(c[3]));
}

/// A rectangle of the engine: top, left, bottom, right.
struct EngineRect {
    std::int16_t top = 0;
    std::int16_t left = 0;
    std::int16_t bottom = 0;
    std::int16_t right = 0;
    friend bool operator==(const EngineRect&, const EngineRect&) = default;
};

struct EngineMovieObject;
struct EngineTrackObject;
struct EngineMediaObject;
using Movie = EngineMovieObject*;
using Track = EngineTrackObject*;
using Media = EngineMediaObject*;

/// The engine's file specification: the path of the file, as the engine will open it.
struct EngineFileSpec {
    std::string path;  ///< narrow path in the locale's encoding
};

/// One engine implementation. The dispatcher forwards every Engine* operation to the installed
/// backend. The default implementations answer like the failure substitute.
class EngineBackend {
public:
    explicit EngineBackend(OSErr failure = kEngineNotStarted) : failure_(failure) {}
    virtual ~EngineBackend() = default;
    EngineBackend(const EngineBackend&) = delete;
    EngineBackend& operator=(const EngineBackend&) = delete;

    /// The code every operation of the substitute answers.
    OSErr FailureCode() const { return failure_; }

    // Movie files.
    virtual OSErr MakeFileSpec(const unsigned char* lengthPrefixedPath, EngineFileSpec* spec);
    virtual OSErr OpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission);
    virtual OSErr MovieFromFile(Movie* movie, std::int16_t fileRef);
    virtual OSErr CloseMovieFile(std::int16_t fileRef);
    virtual void DisposeMovie(Movie movie);

    // Movie structure.
    virtual TimeScale MovieTimeScale(Movie movie);
    virtual TimeValue MovieDuration(Movie movie);
    virtual long TrackCount(Movie movie);
    virtual Track TrackAt(Movie movie, long index);
    virtual Media TrackMedia(Track track);
    virtual OSErr MediaDataRefKind(Media media, short index, OSType* kind);
    virtual TimeScale MediaTimeScale(Media media);
    virtual long MediaSampleCount(Media media);
    virtual OSErr ReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                                  TimeValue64 mediaTime);

    /// Human-readable reason for the last failed MovieFromFile ("truncated: ...",
    /// "malformed: ..."); empty when there is none.
    virtual std::string LastErrorText() const { return {}; }

private:
    OSErr failure_;
};

/// Installs the engine every operation goes to and returns the one it replaces. Passing null
/// installs the failure substitute.
std::unique_ptr<EngineBackend> InstallEngine(std::unique_ptr<EngineBackend> engine);

/// The engine now installed (never null).
EngineBackend& CurrentEngine();

/// The engine of movie structure: the project's box reader over the file.
std::unique_ptr<EngineBackend> MakeBoxReaderEngine();

// The operations, by their names.
OSErr EngineMakeFileSpec(const unsigned char* lengthPrefixedPath, EngineFileSpec* spec);
OSErr EngineOpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission);
OSErr EngineMovieFromFile(Movie* movie, std::int16_t fileRef);
OSErr EngineCloseMovieFile(std::int16_t fileRef);
void EngineDisposeMovie(Movie movie);
TimeScale EngineMovieTimeScale(Movie movie);
TimeValue EngineMovieDuration(Movie movie);
long EngineTrackCount(Movie movie);
Track EngineTrackAt(Movie movie, long index);
Media EngineTrackMedia(Track track);
OSErr EngineMediaDataRefKind(Media media, short index, OSType* kind, void* dataRef = nullptr,
                             void* attributes = nullptr);
TimeScale EngineMediaTimeScale(Media media);
long EngineMediaSampleCount(Media media);
OSErr EngineReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                            TimeValue64 mediaTime, void* sampleDescription = nullptr,
                            long maxSamples = 1);

/// Opens a movie file by path through the operations above (spec, open, movie, close).
/// On failure returns the error and leaves *movie null.
OSErr EngineOpenMoviePath(const std::string& narrowPath, Movie* movie);
