#include "tests/support/FakeEngine.h"

#include "playback/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {
template <typename... A>
std::string Line(const char* name, A... args)
{
    std::ostringstream s;
    s << name;
    ((s << ' ' << args), ...);
    return s.str();
}
std::string RectText(const EngineRect& r) { return Line("", r.top, r.left, r.bottom, r.right).substr(1); }
}  // namespace

std::string FakeEngine::TextPayload(const std::string& text)
{
    std::string payload;
    payload.push_back(char((text.size() >> 8) & 0xFF));
    payload.push_back(char(text.size() & 0xFF));
    return payload + text;
}

FakeEngine::FakeEngine() : EngineBackend(kEngineNotStarted) {}
FakeEngine::~FakeEngine() = default;

void FakeEngine::AddMovie(const std::string& path, MovieScript script) { scripts_[path] = std::move(script); }

void FakeEngine::AdvanceClock(int milliseconds)
{
    for (auto& [key, movie] : movies_) {
        if (!movie.playing || movie.script.timeScale <= 0)
            continue;
        const double end = double(movie.script.duration) / movie.script.timeScale;
        movie.seconds = std::min(end, movie.seconds + milliseconds / 1000.0);
    }
}

int FakeEngine::CountCalls(const std::string& name) const
{
    return int(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
        return c.compare(0, name.size(), name) == 0 && (c.size() == name.size() || c[name.size()] == ' ');
    }));
}

int FakeEngine::FindCall(const std::string& name, std::size_t from) const
{
    for (std::size_t i = from; i < calls.size(); ++i) {
        const std::string& c = calls[i];
        if (c.compare(0, name.size(), name) == 0 && (c.size() == name.size() || c[name.size()] == ' '))
            return int(i);
    }
    return -1;
}

FakeEngine::MovieInfo FakeEngine::Info(Movie movie) const
{
    MovieInfo info;
    const FakeMovie* m = FindMovie(movie);
    if (!m)
        return info;
    info.exists = true;
    info.path = m->path;
    info.playing = m->playing;
    info.time = TimeOf(*m);
    info.volume = m->volume;
    info.box = m->box;
    return info;
}

std::pair<int, int> FakeEngine::WindowSize(NativeWindow window) const
{
    auto it = windowSizes_.find(window);
    return it == windowSizes_.end() ? std::pair<int, int>{-1, -1} : it->second;
}

Port FakeEngine::CurrentPort() const { return HandleFromKey<Port>(currentPort_); }

FakeEngine::FakeMovie* FakeEngine::FindMovie(Movie movie)
{
    auto it = movies_.find(HandleKey(movie));
    return it == movies_.end() ? nullptr : &it->second;
}
const FakeEngine::FakeMovie* FakeEngine::FindMovie(Movie movie) const
{
    auto it = movies_.find(HandleKey(movie));
    return it == movies_.end() ? nullptr : &it->second;
}
FakeEngine::FakeController* FakeEngine::FindController(MovieController controller)
{
    auto it = controllers_.find(HandleKey(controller));
    return it == controllers_.end() ? nullptr : &it->second;
}
const FakeEngine::TrackRef* FakeEngine::FindMedia(Media media) const
{
    auto it = tracks_.find(HandleKey(media));
    return it == tracks_.end() ? nullptr : &it->second;
}

TimeValue FakeEngine::TimeOf(const FakeMovie& movie) const
{
    return TimeValue(std::floor(movie.seconds * movie.script.timeScale + 1e-6));
}

// ---- Files and structure -------------------------------------------------------------------------

OSErr FakeEngine::MakeFileSpec(const unsigned char* p, EngineFileSpec* spec)
{
    if (!p || !spec)
        return kEngineParamErr;
    spec->path.assign(reinterpret_cast<const char*>(p + 1), p[0]);
    Record(Line("MakeFileSpec", spec->path));
    return noErr;
}

OSErr FakeEngine::OpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission)
{
    Record(Line("OpenMovieFile", spec.path, int(permission)));
    if (!fileRef)
        return kEngineParamErr;
    if (!scripts_.count(spec.path))
        return kEngineFileNotFound;
    *fileRef = nextFileRef_++;
    files_[*fileRef] = spec.path;
    return noErr;
}

OSErr FakeEngine::MovieFromFile(Movie* movie, std::int16_t fileRef)
{
    Record(Line("MovieFromFile", fileRef));
    auto file = files_.find(fileRef);
    if (!movie || file == files_.end())
        return kEngineBadFileRef;
    lastErrorText_.clear();
    if (const MovieScript& script = scripts_[file->second]; script.openError != noErr) {
        lastErrorText_ = script.openErrorText;
        return script.openError;
    }
    FakeMovie m;
    m.path = file->second;
    m.script = scripts_[file->second];
    m.box = EngineRect{0, 0, m.script.height, m.script.width};
    const int trackCount = m.script.textSamples.empty() ? 2 : 3;
    const std::uintptr_t key = NextHandle();
    for (int i = 0; i < trackCount; ++i) {
        m.tracks[i] = NextHandle();
        const std::uintptr_t media = NextHandle();
        tracks_[m.tracks[i]] = TrackRef{key, i + 1};
        tracks_[media] = TrackRef{key, i + 1};
    }
    movies_[key] = std::move(m);
    *movie = HandleFromKey<Movie>(key);
    return noErr;
}

OSErr FakeEngine::CloseMovieFile(std::int16_t fileRef)
{
    Record(Line("CloseMovieFile", fileRef));
    return files_.erase(fileRef) ? noErr : kEngineBadFileRef;
}

void FakeEngine::DisposeMovie(Movie movie)
{
    Record(Line("DisposeMovie", HandleKey(movie)));
    auto it = movies_.find(HandleKey(movie));
    if (it == movies_.end())
        return;
    std::erase_if(tracks_, [&](const auto& t) { return t.second.movie == it->first; });
    for (auto& [key, controller] : controllers_)
        if (controller.movie == it->first)
            controller.movie = 0;
    movies_.erase(it);
}

TimeScale FakeEngine::MovieTimeScale(Movie movie)
{
    Record(Line("MovieTimeScale", HandleKey(movie)));
    const FakeMovie* m = FindMovie(movie);
    return m ? m->script.timeScale : 0;
}

TimeValue FakeEngine::MovieDuration(Movie movie)
{
    Record(Line("MovieDuration", HandleKey(movie)));
    const FakeMovie* m = FindMovie(movie);
    return m ? m->script.duration : 0;
}

long FakeEngine::TrackCount(Movie movie)
{
    Record(Line("TrackCount", HandleKey(movie)));
    const FakeMovie* m = FindMovie(movie);
    if (!m)
        return 0;
    return m->script.textSamples.empty() ? 2 : 3;
}

Track FakeEngine::TrackAt(Movie movie, long index)
{
    Record(Line("TrackAt", HandleKey(movie), index));
    const FakeMovie* m = FindMovie(movie);
    if (!m || index < 1 || index > TrackCount(movie))
        return nullptr;
    return HandleFromKey<Track>(m->tracks[index - 1]);
}

Media FakeEngine::TrackMedia(Track track)
{
    Record(Line("TrackMedia", HandleKey(track)));
    // The media handle was made right after its track's.
    return tracks_.count(HandleKey(track)) && tracks_.count(HandleKey(track) + 1)
               ? HandleFromKey<Media>(HandleKey(track) + 1)
               : nullptr;
}

OSErr FakeEngine::MediaDataRefKind(Media media, short index, OSType* kind)
{
    Record(Line("MediaDataRefKind", HandleKey(media), index));
    if (kind)
        *kind = 0;
    if (!FindMedia(media))
        return kEngineInvalidMedia;
    if (index != 1)
        return kEngineBadDataRefIndex;
    if (kind)
        *kind = FourCC("alis");
    return noErr;
}

TimeScale FakeEngine::MediaTimeScale(Media media)
{
    Record(Line("MediaTimeScale", HandleKey(media)));
    const TrackRef* ref = FindMedia(media);
    if (!ref)
        return 0;
    const FakeMovie& m = movies_.at(ref->movie);
    return ref->index == 3 ? m.script.textTimeScale : m.script.timeScale;
}

long FakeEngine::MediaSampleCount(Media media)
{
    Record(Line("MediaSampleCount", HandleKey(media)));
    const TrackRef* ref = FindMedia(media);
    if (!ref || ref->index != 3)
        return 0;
    return long(movies_.at(ref->movie).script.textSamples.size());
}

OSErr FakeEngine::ReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                                  TimeValue64 mediaTime)
{
    Record(Line("ReadMediaSample", HandleKey(media), mediaTime));
    if (byteCount)
        *byteCount = 0;
    const TrackRef* ref = FindMedia(media);
    if (!ref || !buffer || !byteCount)
        return kEngineParamErr;
    const MovieScript& script = movies_.at(ref->movie).script;
    if (ref->index != 3 || mediaTime < 0 || script.textSampleDuration <= 0)
        return kEngineNoSampleAtTime;
    const TimeValue64 index = mediaTime / script.textSampleDuration;
    if (index >= TimeValue64(script.textSamples.size()))
        return kEngineNoSampleAtTime;
    const std::string& sample = script.textSamples[std::size_t(index)];
    if (long(sample.size()) > capacity)
        return kEngineSampleTooLarge;
    std::memcpy(buffer, sample.data(), sample.size());
    *byteCount = long(sample.size());
    return noErr;
}

// ---- Presentation --------------------------------------------------------------------------------

OSErr FakeEngine::InitializeQTML(long flags)
{
    Record(Line("InitializeQTML", flags));
    return initializeResult;
}

OSErr FakeEngine::EnterMovies()
{
    Record("EnterMovies");
    return enterMoviesResult;
}

void FakeEngine::LeaveMovies()
{
    Record("LeaveMovies");
    movies_.clear();
    tracks_.clear();
    controllers_.clear();
    pictures_.clear();
    ports_.clear();
    currentPort_ = 0;
}

Port FakeEngine::AttachWindow(NativeWindow window, long flags, void*)
{
    Record(Line("AttachWindow", window, flags));
    if (!window)
        return nullptr;
    for (auto& [key, w] : ports_)
        if (w == window)
            return HandleFromKey<Port>(key);
    const std::uintptr_t key = NextHandle();
    ports_[key] = window;
    return HandleFromKey<Port>(key);
}

void FakeEngine::DetachWindow(NativeWindow window)
{
    Record(Line("DetachWindow", window));
    std::erase_if(ports_, [&](const auto& p) { return p.second == window; });
    if (!ports_.count(currentPort_))
        currentPort_ = 0;
}

Port FakeEngine::WindowPort(NativeWindow window)
{
    Record(Line("WindowPort", window));
    for (auto& [key, w] : ports_)
        if (w == window && window)
            return HandleFromKey<Port>(key);
    return nullptr;
}

void FakeEngine::SetDrawPort(Port port, void*)
{
    Record(Line("SetDrawPort", HandleKey(port)));
    currentPort_ = ports_.count(HandleKey(port)) ? HandleKey(port) : 0;
}

Movie FakeEngine::NewMovie(long flags)
{
    Record(Line("NewMovie", flags));
    FakeMovie m;
    m.path = "";
    m.box = EngineRect{};
    const std::uintptr_t key = NextHandle();
    movies_[key] = std::move(m);
    return HandleFromKey<Movie>(key);
}

void FakeEngine::DisposeController(MovieController controller)
{
    Record(Line("DisposeController", HandleKey(controller)));
    auto it = controllers_.find(HandleKey(controller));
    if (it == controllers_.end())
        return;
    if (auto m = movies_.find(it->second.movie); m != movies_.end() && m->second.controller == it->first)
        m->second.controller = 0;
    controllers_.erase(it);
}

void FakeEngine::PlayMovie(Movie movie)
{
    Record(Line("PlayMovie", HandleKey(movie)));
    if (FakeMovie* m = FindMovie(movie))
        m->playing = true;
}

void FakeEngine::HaltMovie(Movie movie)
{
    Record(Line("HaltMovie", HandleKey(movie)));
    if (FakeMovie* m = FindMovie(movie))
        m->playing = false;
}

void FakeEngine::MovieToEnd(Movie movie)
{
    Record(Line("MovieToEnd", HandleKey(movie)));
    if (FakeMovie* m = FindMovie(movie)) {
        m->playing = false;
        m->seconds = m->script.timeScale > 0 ? double(m->script.duration) / m->script.timeScale : 0;
    }
}

void FakeEngine::SetMovieTime(Movie movie, TimeValue time)
{
    Record(Line("SetMovieTime", HandleKey(movie), time));
    FakeMovie* m = FindMovie(movie);
    if (!m || m->script.timeScale <= 0)
        return;
    time = std::clamp<TimeValue>(time, 0, std::max<TimeValue>(m->script.duration, 0));
    m->seconds = double(time) / m->script.timeScale;
}

void FakeEngine::SetMovieVolume(Movie movie, std::int16_t volume)
{
    Record(Line("SetMovieVolume", HandleKey(movie), volume));
    if (FakeMovie* m = FindMovie(movie))
        m->volume = volume;
}

void FakeEngine::GetMovieBox(Movie movie, EngineRect* box)
{
    Record(Line("GetMovieBox", HandleKey(movie)));
    if (!box)
        return;
    const FakeMovie* m = FindMovie(movie);
    *box = m ? m->box : EngineRect{};
}

void FakeEngine::SetMovieBox(Movie movie, const EngineRect& box)
{
    Record(Line("SetMovieBox", HandleKey(movie), RectText(box)));
    if (FakeMovie* m = FindMovie(movie))
        m->box = box;
}

void FakeEngine::SizeWindow(Port port, short width, short height, bool redraw)
{
    Record(Line("SizeWindow", HandleKey(port), width, height, int(redraw)));
    auto it = ports_.find(HandleKey(port));
    if (it != ports_.end())
        windowSizes_[it->second] = {width, height};
}

MovieController FakeEngine::NewController(Movie movie, const EngineRect& bounds, long flags)
{
    Record(Line("NewController", HandleKey(movie), RectText(bounds), flags));
    FakeMovie* m = FindMovie(movie);
    if (!m)
        return nullptr;
    FakeController c;
    c.movie = HandleKey(movie);
    c.bounds = bounds;
    c.bounds.bottom = std::int16_t(c.bounds.bottom + kBarHeight);
    const std::uintptr_t key = NextHandle();
    controllers_[key] = c;
    m->controller = key;
    m->box = bounds;
    return HandleFromKey<MovieController>(key);
}

OSErr FakeEngine::ControllerGetBounds(MovieController controller, EngineRect* bounds)
{
    Record(Line("ControllerGetBounds", HandleKey(controller)));
    FakeController* c = FindController(controller);
    if (bounds)
        *bounds = c ? c->bounds : EngineRect{};
    return c ? noErr : kEngineParamErr;
}

OSErr FakeEngine::ControllerAction(MovieController controller, short action, void* params)
{
    Record(Line("ControllerAction", HandleKey(controller), action, reinterpret_cast<std::intptr_t>(params)));
    FakeController* c = FindController(controller);
    if (!c)
        return kEngineParamErr;
    if (c->filter && c->filter(controller, action, params, c->refCon))
        return noErr;
    c = FindController(controller);
    if (!c)
        return noErr;
    if (action == kActionGetFlags && params)
        *static_cast<long*>(params) = c->flags;
    else if (action == kActionSetFlags)
        c->flags = long(reinterpret_cast<std::intptr_t>(params));
    return noErr;
}

OSErr FakeEngine::ControllerShowBar(MovieController controller, bool show)
{
    Record(Line("ControllerShowBar", HandleKey(controller), int(show)));
    FakeController* c = FindController(controller);
    if (!c)
        return kEngineParamErr;
    if (c->barShown != show) {
        c->barShown = show;
        c->bounds.bottom = std::int16_t(c->bounds.bottom + (show ? kBarHeight : -kBarHeight));
        ControllerAction(controller, kActionControllerSizeChanged, nullptr);
    }
    return noErr;
}

OSErr FakeEngine::ControllerAllowEditing(MovieController controller, bool allow)
{
    Record(Line("ControllerAllowEditing", HandleKey(controller), int(allow)));
    return FindController(controller) ? noErr : kEngineParamErr;
}

OSErr FakeEngine::ControllerSetActionFilter(MovieController controller, ControllerActionFilterProc filter,
                                            std::intptr_t refCon)
{
    Record(Line("ControllerSetActionFilter", HandleKey(controller), refCon));
    FakeController* c = FindController(controller);
    if (!c)
        return kEngineParamErr;
    c->filter = filter;
    c->refCon = refCon;
    return noErr;
}

OSErr FakeEngine::TranslateMessage(const EngineNativeMessage& message, EngineEvent* event)
{
    Record(Line("TranslateMessage", message.window, message.message));
    if (!event)
        return kEngineParamErr;
    EngineEvent e;
    e.message = message.message;
    e.wParam = message.wParam;
    e.lParam = message.lParam;
    e.when = message.time;
    e.x = message.x;
    e.y = message.y;
    e.window = message.window;
    *event = e;
    return noErr;
}

bool FakeEngine::ControllerPassEvent(MovieController controller, const EngineEvent& event)
{
    Record(Line("ControllerPassEvent", HandleKey(controller), event.message));
    return false;
}

TimeValue FakeEngine::ControllerCurrentTime(MovieController controller, TimeScale* scale)
{
    Record(Line("ControllerCurrentTime", HandleKey(controller)));
    FakeController* c = FindController(controller);
    const FakeMovie* m = c ? FindMovie(HandleFromKey<Movie>(c->movie)) : nullptr;
    if (scale)
        *scale = m ? m->script.timeScale : 0;
    return m ? TimeOf(*m) : 0;
}

PicHandle FakeEngine::MoviePicture(Movie movie, TimeValue time)
{
    Record(Line("MoviePicture", HandleKey(movie), time));
    const FakeMovie* m = FindMovie(movie);
    if (!m || !m->script.hasPicture || m->script.width <= 0 || m->script.height <= 0)
        return nullptr;
    // One colour per time: blue and green carry the time, red is fixed.
    FakePicture picture;
    picture.width = m->script.width;
    picture.height = m->script.height;
    picture.bgrx.resize(std::size_t(picture.width) * std::size_t(picture.height) * 4);
    for (std::size_t i = 0; i < picture.bgrx.size(); i += 4) {
        picture.bgrx[i + 0] = std::uint8_t(time & 0xFF);
        picture.bgrx[i + 1] = std::uint8_t((time >> 8) & 0xFF);
        picture.bgrx[i + 2] = 0x80;
        picture.bgrx[i + 3] = 0xFF;
    }
    const std::uintptr_t key = NextHandle();
    pictures_[key] = std::move(picture);
    return HandleFromKey<PicHandle>(key);
}

void FakeEngine::DrawPicture(PicHandle picture, const EngineRect& rect)
{
    Record(Line("DrawPicture", HandleKey(picture), RectText(rect), currentPort_));
}

std::vector<std::uint8_t> FakeEngine::PictureToDib(PicHandle picture)
{
    Record(Line("PictureToDib", HandleKey(picture)));
    auto it = pictures_.find(HandleKey(picture));
    if (it == pictures_.end())
        return {};
    return MakeDib24(it->second.bgrx.data(), it->second.width, it->second.height, std::size_t(it->second.width) * 4);
}

void FakeEngine::DisposePicture(PicHandle picture)
{
    Record(Line("DisposePicture", HandleKey(picture)));
    pictures_.erase(HandleKey(picture));
}
