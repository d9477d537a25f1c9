#include "BoxReaderEngine.h"

#include <algorithm>
#include <limits>
#include <vector>

struct BoxReaderEngine::MovieEntry {
    std::string path;
    std::unique_ptr<BoxReader> reader;
    std::vector<std::uintptr_t> trackHandles;  // track i has trackHandles[i]
    std::vector<std::uintptr_t> mediaHandles;
};

namespace {

OSErr OpenErrorCode(BoxStatus status)
{
    switch (status) {
    case BoxStatus::Ok: return noErr;
    case BoxStatus::NotFound: return kEngineFileNotFound;
    case BoxStatus::IoError: return kEngineReadError;
    case BoxStatus::Truncated: return kEngineTruncatedMovie;
    case BoxStatus::Malformed:
    case BoxStatus::NoSample:
    case BoxStatus::TooLarge: break;
    }
    return kEngineInvalidMovie;
}

OSErr SampleErrorCode(BoxStatus status)
{
    switch (status) {
    case BoxStatus::Ok: return noErr;
    case BoxStatus::NoSample: return kEngineNoSampleAtTime;
    case BoxStatus::TooLarge: return kEngineSampleTooLarge;
    case BoxStatus::Malformed: return kEngineInvalidMedia;  // the tables disagree about it
    case BoxStatus::NotFound:
    case BoxStatus::IoError:
    case BoxStatus::Truncated: break;  // its bytes lie past the end of the file
    }
    return kEngineReadError;
}

}  // namespace

std::unique_ptr<EngineBackend> MakeBoxReaderEngine() { return std::make_unique<BoxReaderEngine>(); }

BoxReaderEngine::BoxReaderEngine() = default;
BoxReaderEngine::~BoxReaderEngine() = default;

std::uintptr_t BoxReaderEngine::NextHandle()
{
    nextHandle_ += 16;
    return nextHandle_;
}

BoxReaderEngine::MovieEntry* BoxReaderEngine::FindMovie(Movie movie) const
{
    if (!movie)
        return nullptr;
    auto it = movies_.find(HandleKey(movie));
    return it == movies_.end() ? nullptr : it->second.get();
}

const BoxTrack* BoxReaderEngine::FindTrack(const std::unordered_map<std::uintptr_t, TrackRef>& table,
                                           const void* handle, const MovieEntry** movie) const
{
    if (!handle)
        return nullptr;
    auto it = table.find(HandleKey(handle));
    if (it == table.end())
        return nullptr;
    auto m = movies_.find(it->second.movie);
    if (m == movies_.end() || it->second.index >= m->second->reader->TrackCount())
        return nullptr;
    if (movie)
        *movie = m->second.get();
    return &m->second->reader->TrackAt(it->second.index);
}

OSErr BoxReaderEngine::MakeFileSpec(const unsigned char* lengthPrefixedPath, EngineFileSpec* spec)
{
    if (!lengthPrefixedPath || !spec)
        return kEngineParamErr;
    const std::size_t length = lengthPrefixedPath[0];
    spec->path.assign(reinterpret_cast<const char*>(lengthPrefixedPath + 1), length);
    if (length == 0 || spec->path.find('\0') != std::string::npos) {
        spec->path.clear();
        return kEngineParamErr;
    }
    return noErr;
}

OSErr BoxReaderEngine::OpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t)
{
    lastError_.clear();
    if (!fileRef)
        return kEngineParamErr;
    *fileRef = 0;
    if (files_.size() >= kMaxOpenFiles) {
        lastError_ = "cannot open: too many movie files open";
        return kEngineTooManyFiles;
    }
    std::shared_ptr<const ByteSource> source;
    if (BoxResult r = OpenFileSource(spec.path, &source); !r) {
        lastError_ = r.message;
        return r.status == BoxStatus::NotFound ? kEngineFileNotFound : kEngineReadError;
    }
    // The smallest reference not in use; the table holds at most kMaxOpenFiles entries.
    std::int16_t ref = 1;
    for (const auto& [used, entry] : files_) {
        if (used != ref)
            break;
        ++ref;
    }
    try {
        files_[ref] = FileEntry{spec.path, std::move(source)};
    } catch (const std::exception&) {
        lastError_ = "cannot open: out of memory";
        return kEngineTooManyFiles;
    }
    *fileRef = ref;
    return noErr;
}

OSErr BoxReaderEngine::MovieFromFile(Movie* movie, std::int16_t fileRef)
{
    lastError_.clear();
    if (!movie)
        return kEngineParamErr;
    *movie = nullptr;
    auto file = files_.find(fileRef);
    if (file == files_.end()) {
        lastError_ = "no open movie file with reference " + std::to_string(fileRef);
        return kEngineBadFileRef;
    }
    try {
        return AddMovie(movie, file->second);
    } catch (const std::exception&) {
        lastError_ = "out of memory";
        return kEngineInvalidMovie;
    }
}

OSErr BoxReaderEngine::AddMovie(Movie* movie, const FileEntry& file)
{
    std::unique_ptr<BoxReader> reader;
    if (BoxResult r = BoxReader::Open(file.source, &reader); !r) {
        lastError_ = r.message;
        return OpenErrorCode(r.status);
    }
    auto entry = std::make_unique<MovieEntry>();
    entry->path = file.path;
    entry->reader = std::move(reader);
    const std::uintptr_t key = NextHandle();
    entry->trackHandles.reserve(entry->reader->TrackCount());
    entry->mediaHandles.reserve(entry->reader->TrackCount());
    for (std::size_t i = 0; i < entry->reader->TrackCount(); ++i) {
        const std::uintptr_t track = NextHandle();
        const std::uintptr_t media = NextHandle();
        entry->trackHandles.push_back(track);
        entry->mediaHandles.push_back(media);
        tracks_[track] = TrackRef{key, i};
        media_[media] = TrackRef{key, i};
    }
    movies_[key] = std::move(entry);
    *movie = HandleFromKey<Movie>(key);
    return noErr;
}

OSErr BoxReaderEngine::CloseMovieFile(std::int16_t fileRef)
{
    // Movies read from the file keep their own reference to it.
    return files_.erase(fileRef) ? noErr : kEngineBadFileRef;
}

void BoxReaderEngine::DisposeMovie(Movie movie)
{
    MovieEntry* entry = FindMovie(movie);
    if (!entry)
        return;
    for (std::uintptr_t h : entry->trackHandles)
        tracks_.erase(h);
    for (std::uintptr_t h : entry->mediaHandles)
        media_.erase(h);
    movies_.erase(HandleKey(movie));
}

TimeScale BoxReaderEngine::MovieTimeScale(Movie movie)
{
    const MovieEntry* entry = FindMovie(movie);
    return entry ? static_cast<TimeScale>(entry->reader->TimeScale()) : 0;
}

TimeValue BoxReaderEngine::MovieDuration(Movie movie)
{
    const MovieEntry* entry = FindMovie(movie);
    if (!entry)
        return 0;
    // A 64-bit duration that does not fit the engine's time value is held at its largest value.
    constexpr std::uint64_t kMax = std::uint64_t(std::numeric_limits<TimeValue>::max());
    return static_cast<TimeValue>(std::min(entry->reader->Duration(), kMax));
}

long BoxReaderEngine::TrackCount(Movie movie)
{
    const MovieEntry* entry = FindMovie(movie);
    return entry ? static_cast<long>(entry->reader->TrackCount()) : 0;
}

Track BoxReaderEngine::TrackAt(Movie movie, long index)
{
    const MovieEntry* entry = FindMovie(movie);
    if (!entry || index < 1 || static_cast<unsigned long>(index) > entry->trackHandles.size())
        return nullptr;
    return HandleFromKey<Track>(entry->trackHandles[static_cast<std::size_t>(index - 1)]);
}

Media BoxReaderEngine::TrackMedia(Track track)
{
    const MovieEntry* entry = nullptr;
    if (!track || !FindTrack(tracks_, track, &entry))
        return nullptr;
    const std::size_t index = tracks_.at(HandleKey(track)).index;
    // A damaged track has no media; the reason is kept for whoever asks.
    if (const std::string& damage = entry->reader->TrackAt(index).Damage(); !damage.empty()) {
        lastError_ = "track " + std::to_string(index + 1) + " skipped: " + damage;
        return nullptr;
    }
    return HandleFromKey<Media>(entry->mediaHandles[index]);
}

OSErr BoxReaderEngine::MediaDataRefKind(Media media, short index, OSType* kind)
{
    if (kind)
        *kind = 0;
    const BoxTrack* track = FindTrack(media_, media);
    if (!track)
        return kEngineInvalidMedia;
    if (!kind)
        return kEngineParamErr;
    const auto& refs = track->DataReferences();
    if (index < 1 || static_cast<std::size_t>(index) > refs.size())
        return kEngineBadDataRefIndex;
    const DataReference& ref = refs[static_cast<std::size_t>(index - 1)];
    // Data in the opened file itself is reported as an alias to it, whatever the entry's type.
    *kind = ref.SelfContained() ? FourCC("alis") : ref.type;
    return noErr;
}

TimeScale BoxReaderEngine::MediaTimeScale(Media media)
{
    const BoxTrack* track = FindTrack(media_, media);
    return track ? static_cast<TimeScale>(track->MediaTimeScale()) : 0;
}

long BoxReaderEngine::MediaSampleCount(Media media)
{
    const BoxTrack* track = FindTrack(media_, media);
    if (!track)
        return 0;
    constexpr std::uint64_t kMax = std::uint64_t(std::numeric_limits<long>::max());
    return static_cast<long>(std::min(track->SampleCount(), kMax));
}

OSErr BoxReaderEngine::ReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                                       TimeValue64 mediaTime)
{
    if (byteCount)
        *byteCount = 0;
    const MovieEntry* entry = nullptr;
    const BoxTrack* track = FindTrack(media_, media, &entry);
    if (!track)
        return kEngineInvalidMedia;
    if (capacity < 0 || (!buffer && capacity > 0))
        return kEngineParamErr;
    std::size_t got = 0;
    try {
        BoxResult r = entry->reader->ReadSample(*track, mediaTime, buffer, static_cast<std::size_t>(capacity), &got);
        if (!r)
            return SampleErrorCode(r.status);
    } catch (const std::exception&) {
        return kEngineReadError;
    }
    if (byteCount)
        *byteCount = static_cast<long>(got);
    return noErr;
}

std::string BoxReaderEngine::MoviePath(Movie movie) const
{
    const MovieEntry* entry = FindMovie(movie);
    return entry ? entry->path : std::string();
}

const BoxReader* BoxReaderEngine::MovieReader(Movie movie) const
{
    const MovieEntry* entry = FindMovie(movie);
    return entry ? entry->reader.get() : nullptr;
}
