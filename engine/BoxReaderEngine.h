#pragma once
// The engine of movie structure over the box reader. The presentation half (libmpv) derives from
// it and adds playing and drawing; the structure operations stay these.

#include "engine/BoxReader.h"
#include "engine/Engine.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

/// Answers the structure operations from the movie's boxes.
///
/// Handles are serial numbers the engine hands out and looks up before every use: a handle it did
/// not hand out, or one of a disposed movie, is rejected (null, 0 or an error), never followed.
/// A movie owns its own reader and open file, so it outlives the file reference it came from.
class BoxReaderEngine : public EngineBackend {
public:
    /// Open file references at one time.
    static constexpr std::size_t kMaxOpenFiles = 64;

    BoxReaderEngine();
    ~BoxReaderEngine() override;

    OSErr MakeFileSpec(const unsigned char* lengthPrefixedPath, EngineFileSpec* spec) override;
    OSErr OpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission) override;
    OSErr MovieFromFile(Movie* movie, std::int16_t fileRef) override;
    OSErr CloseMovieFile(std::int16_t fileRef) override;
    void DisposeMovie(Movie movie) override;

    TimeScale MovieTimeScale(Movie movie) override;
    TimeValue MovieDuration(Movie movie) override;
    long TrackCount(Movie movie) override;
    Track TrackAt(Movie movie, long index) override;
    Media TrackMedia(Track track) override;
    OSErr MediaDataRefKind(Media media, short index, OSType* kind) override;
    TimeScale MediaTimeScale(Media media) override;
    long MediaSampleCount(Media media) override;
    OSErr ReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                          TimeValue64 mediaTime) override;

    /// The reason the last OpenMovieFile or MovieFromFile failed ("truncated: no movie box");
    /// empty after one that succeeded. A TrackMedia that finds the track damaged leaves its
    /// reason here too ("track 3 skipped: malformed: ...").
    std::string LastErrorText() const override { return lastError_; }

    /// The path a movie was opened from; empty for a handle this engine did not hand out.
    std::string MoviePath(Movie movie) const;
    /// The reader of a movie; null for a handle this engine did not hand out.
    const BoxReader* MovieReader(Movie movie) const;
    /// Movies not yet disposed.
    std::size_t OpenMovieCount() const { return movies_.size(); }

private:
    struct MovieEntry;
    struct TrackRef {
        std::uintptr_t movie;
        std::size_t index;  // from 0
    };
    struct FileEntry {
        std::string path;
        std::shared_ptr<const ByteSource> source;
    };

    OSErr AddMovie(Movie* movie, const FileEntry& file);
    MovieEntry* FindMovie(Movie movie) const;
    const BoxTrack* FindTrack(const std::unordered_map<std::uintptr_t, TrackRef>& table, const void* handle,
                              const MovieEntry** movie = nullptr) const;
    std::uintptr_t NextHandle();

    std::map<std::int16_t, FileEntry> files_;
    std::unordered_map<std::uintptr_t, std::unique_ptr<MovieEntry>> movies_;
    std::unordered_map<std::uintptr_t, TrackRef> tracks_;
    std::unordered_map<std::uintptr_t, TrackRef> media_;
    std::uintptr_t nextHandle_ = 0x10000;
    std::string lastError_;
};
