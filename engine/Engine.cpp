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
OSErr EngineReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount, TimeValue64 mediaTime,
                            void*, long)
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

// ---- Presentation: the substitute's answers ---------------------------------------------------
OSErr EngineBackend::InitializeQTML(long) { return failure_; }
OSErr EngineBackend::EnterMovies() { return failure_; }
void EngineBackend::LeaveMovies() {}
Port EngineBackend::AttachWindow(NativeWindow, long, void*) { return nullptr; }
void EngineBackend::DetachWindow(NativeWindow) {}
Port EngineBackend::WindowPort(NativeWindow) { return nullptr; }
void EngineBackend::SetDrawPort(Port, void*) {}
Movie EngineBackend::NewMovie(long) { return nullptr; }
void EngineBackend::DisposeController(MovieController) {}
void EngineBackend::PlayMovie(Movie) {}
void EngineBackend::HaltMovie(Movie) {}
void EngineBackend::MovieToEnd(Movie) {}
void EngineBackend::SetMovieTime(Movie, TimeValue) {}
void EngineBackend::SetMovieVolume(Movie, std::int16_t) {}
void EngineBackend::GetMovieBox(Movie, EngineRect* box)
{
    if (box)
        *box = EngineRect{};
}
void EngineBackend::SetMovieBox(Movie, const EngineRect&) {}
void EngineBackend::SizeWindow(Port, short, short, bool) {}
MovieController EngineBackend::NewController(Movie, const EngineRect&, long) { return nullptr; }
OSErr EngineBackend::ControllerGetBounds(MovieController, EngineRect* bounds)
{
    if (bounds)
        *bounds = EngineRect{};
    return failure_;
}
OSErr EngineBackend::ControllerAction(MovieController, short, void*) { return failure_; }
OSErr EngineBackend::ControllerShowBar(MovieController, bool) { return failure_; }
OSErr EngineBackend::ControllerAllowEditing(MovieController, bool) { return failure_; }
OSErr EngineBackend::ControllerSetActionFilter(MovieController, ControllerActionFilterProc, std::intptr_t)
{
    return failure_;
}
OSErr EngineBackend::TranslateMessage(const EngineNativeMessage&, EngineEvent* event)
{
    if (event)
        *event = EngineEvent{};
    return failure_;
}
bool EngineBackend::ControllerPassEvent(MovieController, const EngineEvent&) { return false; }
TimeValue EngineBackend::ControllerCurrentTime(MovieController, TimeScale* scale)
{
    if (scale)
        *scale = 0;
    return 0;
}
PicHandle EngineBackend::MoviePicture(Movie, TimeValue) { return nullptr; }
void EngineBackend::DrawPicture(PicHandle, const EngineRect&) {}
std::vector<std::uint8_t> EngineBackend::PictureToDib(PicHandle) { return {}; }
void EngineBackend::DisposePicture(PicHandle) {}

// ---- Presentation operations through the dispatcher -------------------------------------------
OSErr InitializeQTML(long flags) { return CurrentEngine().InitializeQTML(flags); }
OSErr EnterMovies() { return CurrentEngine().EnterMovies(); }
void EngineLeaveMovies() { CurrentEngine().LeaveMovies(); }
Port EngineAttachWindow(NativeWindow window, long flags, void* reserved)
{
    return CurrentEngine().AttachWindow(window, flags, reserved);
}
void EngineDetachWindow(NativeWindow window) { CurrentEngine().DetachWindow(window); }
Port EngineWindowPort(NativeWindow window) { return CurrentEngine().WindowPort(window); }
void EngineSetDrawPort(Port port, void* device) { CurrentEngine().SetDrawPort(port, device); }
Movie EngineNewMovie(long flags) { return CurrentEngine().NewMovie(flags); }
void EngineDisposeController(MovieController controller) { CurrentEngine().DisposeController(controller); }
void EnginePlayMovie(Movie movie) { CurrentEngine().PlayMovie(movie); }
void EngineHaltMovie(Movie movie) { CurrentEngine().HaltMovie(movie); }
void EngineMovieToEnd(Movie movie) { CurrentEngine().MovieToEnd(movie); }
void EngineSetMovieTime(Movie movie, TimeValue time) { CurrentEngine().SetMovieTime(movie, time); }
void EngineSetMovieVolume(Movie movie, std::int16_t volume) { CurrentEngine().SetMovieVolume(movie, volume); }
void EngineGetMovieBox(Movie movie, EngineRect* box) { CurrentEngine().GetMovieBox(movie, box); }
void EngineSetMovieBox(Movie movie, const EngineRect& box) { CurrentEngine().SetMovieBox(movie, box); }
void EngineSizeWindow(Port port, short width, short height, bool redraw)
{
    CurrentEngine().SizeWindow(port, width, height, redraw);
}
MovieController EngineNewController(Movie movie, const EngineRect& bounds, long flags)
{
    return CurrentEngine().NewController(movie, bounds, flags);
}
OSErr ControllerGetBounds(MovieController c, EngineRect* bounds)
{
    return CurrentEngine().ControllerGetBounds(c, bounds);
}
OSErr ControllerAction(MovieController c, short action, void* params)
{
    return CurrentEngine().ControllerAction(c, action, params);
}
OSErr ControllerShowBar(MovieController c, bool show) { return CurrentEngine().ControllerShowBar(c, show); }
OSErr ControllerAllowEditing(MovieController c, bool allow) { return CurrentEngine().ControllerAllowEditing(c, allow); }
OSErr ControllerSetActionFilter(MovieController c, ControllerActionFilterProc filter, std::intptr_t refCon)
{
    return CurrentEngine().ControllerSetActionFilter(c, filter, refCon);
}
OSErr EngineTranslateMessage(const EngineNativeMessage& message, EngineEvent* event)
{
    return CurrentEngine().TranslateMessage(message, event);
}
bool ControllerPassEvent(MovieController c, const EngineEvent& event)
{
    return CurrentEngine().ControllerPassEvent(c, event);
}
TimeValue ControllerCurrentTime(MovieController c, TimeScale* scale)
{
    return CurrentEngine().ControllerCurrentTime(c, scale);
}
PicHandle EngineMoviePicture(Movie movie, TimeValue time) { return CurrentEngine().MoviePicture(movie, time); }
void EngineDrawPicture(PicHandle picture, const EngineRect& rect) { CurrentEngine().DrawPicture(picture, rect); }
std::vector<std::uint8_t> EnginePictureToDib(PicHandle picture) { return CurrentEngine().PictureToDib(picture); }
void EngineDisposePicture(PicHandle picture) { CurrentEngine().DisposePicture(picture); }
