#include "Engine.h"

#include <cstring>

// The dispatcher: every Engine* operation is a call through the installed engine.
namespace {
std::unique_ptr<EngineBackend>& Installed()
{
    static std::unique_ptr<EngineBackend> engine = std::make_unique<EngineBackend>();
    return engine;
}
}  // namespace

std::unique_ptr<EngineBackend> InstallEngine(std::unique_ptr<EngineBackend> engine)
{
    if (!engine)
        engine = std::make_unique<EngineBackend>();
    std::swap(engine, Installed());
    return engine;
}

EngineBackend& CurrentEngine() { return *Installed(); }

// The failure substitute: every operation answers the failure code or a null handle.
OSErr EngineBackend::MakeFileSpec(const unsigned char*, EngineFileSpec*) { return failure_; }
OSErr EngineBackend::OpenMovieFile(const EngineFileSpec&, std::int16_t*, std::int8_t) { return failure_; }
OSErr EngineBackend::MovieFromFile(Movie*, std::int16_t) { return failure_; }
OSErr EngineBackend::CloseMovieFile(std::int16_t) { return failure_; }
void EngineBackend::DisposeMovie(Movie) {}
TimeScale EngineBackend::MovieTimeScale(Movie) { return 0; }
TimeValue EngineBackend::MovieDuration(Movie) { return 0; }
long EngineBackend::TrackCount(Movie) { return 0; }
Track EngineBackend::TrackAt(Movie, long) { return nullptr; }
Media EngineBackend::TrackMedia(Track) { return nullptr; }
OSErr EngineBackend::MediaDataRefKind(Media, short, OSType* kind)
{
    if (kind)
        *kind = 0;
    return failure_;
}
TimeScale EngineBackend::MediaTimeScale(Media) { return 0; }
long EngineBackend::MediaSampleCount(Media) { return 0; }
OSErr EngineBackend::ReadMediaSample(Media, std::uint8_t*, long, long* byteCount, TimeValue64)
{
    if (byteCount)
        *byteCount = 0;
    return failure_;
}

OSErr EngineMakeFileSpec(const unsigned char* p, EngineFileSpec* spec) { return CurrentEngine().MakeFileSpec(p, spec); }
OSErr EngineOpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission)
{
    return CurrentEngine().OpenMovieFile(spec, fileRef, permission);
}
OSErr EngineMovieFromFile(Movie* movie, std::int16_t fileRef) { return CurrentEngine().MovieFromFile(movie, fileRef); }
OSErr EngineCloseMovieFile(std::int16_t fileRef) { return CurrentEngine().CloseMovieFile(fileRef); }
void EngineDisposeMovie(Movie movie) { CurrentEngine().DisposeMovie(movie); }
TimeScale EngineMovieTimeScale(Movie movie) { return CurrentEngine().MovieTimeScale(movie); }
TimeValue EngineMovieDuration(Movie movie) { return CurrentEngine().MovieDuration(movie); }
long EngineTrackCount(Movie movie) { return CurrentEngine().TrackCount(movie); }
Track EngineTrackAt(Movie movie, long index) { return CurrentEngine().TrackAt(movie, index); }
Media EngineTrackMedia(Track track) { return CurrentEngine().TrackMedia(track); }
OSErr EngineMediaDataRefKind(Media media, short index, OSType* kind, void*, void*)
{
    return CurrentEngine().MediaDataRefKind(media, index, kind);
}
TimeScale EngineMediaTimeScale(Media media) { return CurrentEngine().MediaTimeScale(media); }
long EngineMediaSampleCount(Media media) { return CurrentEngine().MediaSampleCount(media); }
OSErr EngineReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                            TimeValue64 mediaTime, void*, long)
{
    return CurrentEngine().ReadMediaSample(media, buffer, capacity, byteCount, mediaTime);
}

OSErr EngineOpenMoviePath(const std::string& narrowPath, Movie* movie)
{
    if (!movie)
        return kEngineParamErr;
    *movie = nullptr;
    if (narrowPath.empty() || narrowPath.size() > 255)
        return kEngineParamErr;
    // The engine takes a length-prefixed path: a length byte, then the characters.
    unsigned char prefixed[256];
    prefixed[0] = static_cast<unsigned char>(narrowPath.size());
    std::memcpy(prefixed + 1, narrowPath.data(), narrowPath.size());
    EngineFileSpec spec;
    EngineMakeFileSpec(prefixed, &spec);
    std::int16_t fileRef = 0;
    if (OSErr err = EngineOpenMovieFile(spec, &fileRef, 1))
        return err;
    OSErr err = EngineMovieFromFile(movie, fileRef);
    EngineCloseMovieFile(fileRef);
    if (err)
        *movie = nullptr;
    return err;
}
