#include "playback/RealEngine.h"

#include "playback/Bitmap.h"
#include "playback/EngineLog.h"
#include "playback/MpvPlayer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int kLoadTimeoutMs = 10000;
constexpr int kPictureTimeoutMs = 5000;
constexpr TimeScale kEmptyMovieTimeScale = 600;
// A spare mpv instance is made this long after a movie was opened, out of the way of its start.
constexpr int kSpareDelayMs = 1500;

QRect ToQRect(const EngineRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Height of the controller's bar below the movie while it is shown.
constexpr int kControllerBarHeight = 16;
EngineRect WithBar(EngineRect box, bool shown)
{
    if (shown)
        box.bottom = std::int16_t(std::min(32767, box.bottom + kControllerBarHeight));
    return box;
}

/// Puts a native child window where its widget is. Qt moves a native window with its own widget
/// but not with a widget above it that has no window of its own (the video view): when the view
/// moves, the windows of its movies and pictures would stay behind on the screen.
void FollowAncestors(QWidget& widget)
{
    QWindow* native = widget.windowHandle();
    QWidget* parent = widget.nativeParentWidget();
    if (!native || !parent)
        return;
    const QPoint at = widget.mapTo(parent, QPoint(0, 0));
    if (native->position() != at)
        native->setPosition(at);
}

/// The child widget through which the engine draws into a port's window: the frames of the
/// port's movies in their boxes (software render path), and the pictures drawn on top of them.
/// Above mpv's own windows it must be a native window itself to be seen.
class EngineSurface : public QWidget {
public:
    EngineSurface(QWidget* window, RealEngine* engine, std::uintptr_t port, bool native)
        : QWidget(window), engine_(engine), port_(port)
    {
        if (native) {
            // Mouse events it ignores go on to the window below it, as for the movie's window.
            setAttribute(Qt::WA_DontCreateNativeAncestors);
            setAttribute(Qt::WA_NativeWindow);
        } else {
            setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        engine_->PaintPort(port_, painter, x(), y());
    }

private:
    RealEngine* engine_;
    std::uintptr_t port_;
};

/// The native child window mpv draws one movie into, over the movie's box. Qt never paints it.
/// mpv puts a window of its own inside and, told not to take input, selects no pointer or key
/// events there; the X server hands those up to this window, which ignores them, so that Qt
/// passes them on to the window the movie plays in (the video view), and from there to the
/// dialog, exactly as for the rest of the view.
class EngineVideoWindow : public QWidget {
public:
    explicit EngineVideoWindow(QWidget* window) : QWidget(window)
    {
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
        setAcceptDrops(false);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override {}
};

/// Tells the engine when the window of a port moves or is shown.
class PortWatcher : public QObject {
public:
    explicit PortWatcher(std::function<void()> moved) : moved_(std::move(moved)) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Move || e->type() == QEvent::Show || e->type() == QEvent::ParentChange)
            moved_();
        return false;
    }

private:
    std::function<void()> moved_;
};
}  // namespace

int EngineWakeUpEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

struct RealEngine::MovieState {
    std::uintptr_t handle = 0;
    bool fromStructure = false;  // the structure engine handed the handle out
    std::uintptr_t port = 0;
    std::uintptr_t controller = 0;
    EngineRect box;
    QPointer<QWidget> videoWindow;  // mpv draws into it; the port's window owns it
    std::unique_ptr<MpvPlayer> player;
    std::uint64_t framesPainted = 0;  // distinct frames that reached the screen
    std::uint64_t lastPainted = 0;
    std::chrono::steady_clock::time_point firstPaint{};
};

struct RealEngine::PortState {
    QPointer<QWidget> window;
    QPointer<QWidget> surface;
    std::unique_ptr<QObject> watcher;  // movies' windows follow the window's moves
    struct Shown {
        QImage image;  // already at the size of rect
        QRect rect;
        std::chrono::steady_clock::time_point until;
    };
    std::vector<Shown> pictures;
};

struct RealEngine::ControllerState {
    std::uintptr_t movie = 0;
    EngineRect bounds;
    long flags = 0;
    bool keysEnabled = false;
    bool editing = false;
    bool barShown = true;
    EngineRect growLimit;
    ControllerActionFilterProc filter = nullptr;
    std::intptr_t refCon = 0;
};

struct RealEngine::PictureState {
    BgrxImage image;
};

RealEngine::RealEngine(std::shared_ptr<MpvLibrary> library, std::unique_ptr<EngineBackend> structure,
                       std::optional<VideoOutputChoice> output)
    : library_(std::move(library)),
      structure_(structure ? std::move(structure) : std::make_unique<EngineBackend>()),
      notifier_(std::make_unique<QObject>()),
      output_(output ? *output : ChooseVideoOutput()),
      audio_(SoundDeviceLikely())
{
    // Once, here on the interface thread: libmpv wants C numbers, and setlocale is no call for
    // the thread that makes spare instances.
    UseCNumericLocale();
    qCInfo(lcEngine).noquote() << "video output:" << VideoOutputName(output_.kind)
                               << "(vo=" << QString::fromStdString(output_.vo)
                               << "hwdec=" << QString::fromStdString(output_.hwdec) << "),"
                               << QString::fromStdString(output_.reason);
}

RealEngine::~RealEngine() { LeaveMovies(); }

std::unique_ptr<EngineBackend> MakeRealEngine(std::shared_ptr<MpvLibrary> library,
                                              std::optional<VideoOutputChoice> output)
{
    return std::make_unique<RealEngine>(std::move(library), MakeBoxReaderEngine(), std::move(output));
}

// ---- Structure -----------------------------------------------------------------------------

OSErr RealEngine::MakeFileSpec(const unsigned char* p, EngineFileSpec* spec)
{
    return structure_->MakeFileSpec(p, spec);
}

OSErr RealEngine::OpenMovieFile(const EngineFileSpec& spec, std::int16_t* fileRef, std::int8_t permission)
{
    lastError_.clear();
    OSErr err = structure_->OpenMovieFile(spec, fileRef, permission);
    if (err != noErr)
        qCWarning(lcEngine).noquote() << "cannot open" << QString::fromLocal8Bit(spec.path.c_str()) << ":"
                                      << QString::fromStdString(structure_->LastErrorText());
    if (err == noErr && fileRef)
        filePaths_[*fileRef] = spec.path;
    return err;
}

OSErr RealEngine::CloseMovieFile(std::int16_t fileRef)
{
    filePaths_.erase(fileRef);
    return structure_->CloseMovieFile(fileRef);
}

OSErr RealEngine::MovieFromFile(Movie* movie, std::int16_t fileRef)
{
    lastError_.clear();
    OSErr err = structure_->MovieFromFile(movie, fileRef);
    auto path = filePaths_.find(fileRef);
    const QString shownPath = path != filePaths_.end() ? QString::fromLocal8Bit(path->second.c_str()) : QString();
    if (err != noErr || !movie || !*movie) {
        qCWarning(lcEngine).noquote() << "cannot read" << shownPath
                                      << "as a movie:" << QString::fromStdString(structure_->LastErrorText());
        return err;
    }
    auto state = std::make_unique<MovieState>();
    state->handle = HandleKey(*movie);
    state->fromStructure = true;
    state->port = FindPort(currentPort_) ? currentPort_ : 0;
    // The movie plays through its own mpv instance. A movie mpv cannot play (or has no picture
    // of) is no movie for the player: it is released and the reason kept for LastErrorText.
    if (path != filePaths_.end() && library_) {
        auto player = TakePlayer();
        if (!player) {
            lastError_ = "the player could not be started";
        } else {
            if (player->DrawsIntoWindow()) {
                PortState* port = FindPort(state->port);
                if (port && port->window) {
                    auto* window = new EngineVideoWindow(port->window);  // owned by the port's window
                    window->hide();
                    state->videoWindow = window;
                }
                player->SetOutputWindow(state->videoWindow ? std::uint64_t(state->videoWindow->winId()) : 0);
            }
            if (!player->Load(path->second, kLoadTimeoutMs))
                lastError_ = player->LastError();
            else if (player->VideoWidth() <= 0 || player->VideoHeight() <= 0)
                lastError_ = "the movie has no picture the player can show";
        }
        if (!lastError_.empty()) {
            qCWarning(lcEngine).noquote() << "cannot play" << shownPath << ":" << QString::fromStdString(lastError_);
            player.reset();
            if (state->videoWindow) {
                state->videoWindow->hide();
                state->videoWindow->deleteLater();
            }
            structure_->DisposeMovie(*movie);
            *movie = nullptr;
            if (QCoreApplication::instance())
                QTimer::singleShot(kSpareDelayMs, notifier_.get(), [this] { MakeSpare(); });
            return kEngineCantPlay;
        }
        state->box = EngineRect{0, 0, std::int16_t(std::min(player->VideoHeight(), 32767)),
                                std::int16_t(std::min(player->VideoWidth(), 32767))};
        qCInfo(lcEngine).noquote() << "opened" << shownPath << player->VideoWidth() << "x" << player->VideoHeight()
                                   << "player" << player->Id();
        state->player = std::move(player);
        // The next movie finds an instance ready; it is made once this one is under way (in a
        // program with an event loop: the command line opens one movie and ends).
        if (QCoreApplication::instance())
            QTimer::singleShot(kSpareDelayMs, notifier_.get(), [this] { MakeSpare(); });
    }
    MovieState& added = *state;
    movies_[added.handle] = std::move(state);
    MovieChanged(added);
    return noErr;
}

void RealEngine::DisposeMovie(Movie movie)
{
    const std::uintptr_t key = HandleKey(movie);
    auto it = movies_.find(key);
    if (it == movies_.end()) {
        return;
    }
    const bool fromStructure = it->second->fromStructure;
    DropMovie(key);
    if (fromStructure)
        structure_->DisposeMovie(movie);
}

void RealEngine::DropMovie(std::uintptr_t key)
{
    auto it = movies_.find(key);
    if (it == movies_.end())
        return;
    const std::uintptr_t port = it->second->port;
    for (auto& [handle, controller] : controllers_)
        if (controller->movie == key)
            controller->movie = 0;
    std::unique_ptr<MovieState> gone = std::move(it->second);
    movies_.erase(it);
    if (gone->player)
        qCInfo(lcEngine) << "closed player" << gone->player->Id();
    gone->player.reset();  // the mpv instance ends here, and its window inside ours with it
    if (gone->videoWindow) {
        gone->videoWindow->hide();
        gone->videoWindow->deleteLater();
    }
    gone.reset();
    // Pictures drawn over the movies go with the last of them.
    const bool portEmpty =
        std::none_of(movies_.begin(), movies_.end(), [port](const auto& m) { return m.second->port == port; });
    if (PortState* state = FindPort(port); state && portEmpty)
        state->pictures.clear();
    UpdateSurface(port);
}

TimeScale RealEngine::MovieTimeScale(Movie movie)
{
    MovieState* state = FindMovie(movie);
    if (state && !state->fromStructure)
        return kEmptyMovieTimeScale;
    return structure_->MovieTimeScale(movie);
}

TimeValue RealEngine::MovieDuration(Movie movie)
{
    MovieState* state = FindMovie(movie);
    if (state && !state->fromStructure)
        return 0;
    return structure_->MovieDuration(movie);
}

long RealEngine::TrackCount(Movie movie)
{
    MovieState* state = FindMovie(movie);
    if (state && !state->fromStructure)
        return 0;
    return structure_->TrackCount(movie);
}

Track RealEngine::TrackAt(Movie movie, long index)
{
    MovieState* state = FindMovie(movie);
    if (state && !state->fromStructure)
        return nullptr;
    return structure_->TrackAt(movie, index);
}

Media RealEngine::TrackMedia(Track track) { return structure_->TrackMedia(track); }
OSErr RealEngine::MediaDataRefKind(Media media, short index, OSType* kind)
{
    return structure_->MediaDataRefKind(media, index, kind);
}
TimeScale RealEngine::MediaTimeScale(Media media) { return structure_->MediaTimeScale(media); }
long RealEngine::MediaSampleCount(Media media) { return structure_->MediaSampleCount(media); }
OSErr RealEngine::ReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount,
                                  TimeValue64 mediaTime)
{
    return structure_->ReadMediaSample(media, buffer, capacity, byteCount, mediaTime);
}
std::string RealEngine::LastErrorText() const { return lastError_.empty() ? structure_->LastErrorText() : lastError_; }

// ---- Start and end -----------------------------------------------------------------------------

OSErr RealEngine::InitializeQTML(long)
{
    if (!library_)
        return kEngineLibraryMissing;
    const MpvApi& mpv = library_->Api();
    if ((mpv.client_api_version() >> 16) != (MPV_CLIENT_API_VERSION >> 16))
        return kEngineNotStarted;
    UseCNumericLocale();
    mpv_handle* probe = mpv.create();
    if (!probe)
        return kEngineNotStarted;
    mpv.terminate_destroy(probe);
    return noErr;
}

OSErr RealEngine::EnterMovies()
{
    // An instance with the player's options and a render context must come up; it is kept
    // for the first movie.
    if (!spare_)
        spare_ = MakePlayer();
    return spare_ ? noErr : kEngineNotStarted;
}

std::function<void()> RealEngine::WakeFor(std::uint64_t playerId)
{
    QObject* notifier = notifier_.get();  // outlives every player
    return [this, notifier, playerId] {
        // On one of mpv's threads: only queue the work.
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(
                notifier, [this, playerId] { OnWake(playerId); }, Qt::QueuedConnection);
    };
}

std::unique_ptr<MpvPlayer> RealEngine::MakePlayer()
{
    if (!library_)
        return nullptr;
    const std::uint64_t id = nextPlayerId_++;
    std::string why;
    auto player = MpvPlayer::Create(library_, audio_, output_, WakeFor(id), &why);
    if (player)
        player->SetId(id);
    else
        qCWarning(lcEngine).noquote() << "cannot start a player:" << QString::fromStdString(why);
    return player;
}

std::unique_ptr<MpvPlayer> RealEngine::TakePlayer()
{
    CollectSpare();
    if (spare_)
        return std::move(spare_);
    return MakePlayer();
}

void RealEngine::MakeSpare()
{
    if (spare_ || spareMaker_.joinable() || !library_)
        return;
    // Made on a thread of its own: starting mpv takes tens of milliseconds that the playing
    // movie's frames must not wait for.
    const std::uint64_t id = nextPlayerId_++;
    spareMaker_ = std::thread([this, id, wake = WakeFor(id), library = library_, audio = audio_, output = output_] {
        std::string why;
        auto player = MpvPlayer::Create(library, audio, output, wake, &why);
        if (player)
            player->SetId(id);
        madeSpare_ = std::move(player);  // read only after the thread was joined
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(
                notifier_.get(), [this] { CollectSpare(); }, Qt::QueuedConnection);
    });
}

void RealEngine::CollectSpare()
{
    if (!spareMaker_.joinable())
        return;
    spareMaker_.join();
    if (!spare_)
        spare_ = std::move(madeSpare_);
    madeSpare_.reset();
    // Its wake-ups before now found no player to go to: take in what it said since.
    if (spare_)
        spare_->Idle();
}

void RealEngine::LeaveMovies()
{
    CollectSpare();
    spare_.reset();
    controllers_.clear();
    pictures_.clear();
    while (!movies_.empty()) {
        const std::uintptr_t key = movies_.begin()->first;
        DisposeMovie(HandleFromKey<Movie>(key));
    }
    for (auto& [key, port] : ports_)
        delete port->surface.data();
    ports_.clear();
    currentPort_ = 0;
}

// ---- Ports -------------------------------------------------------------------------------------

Port RealEngine::AttachWindow(NativeWindow window, long, void*)
{
    if (!window)
        return nullptr;
    if (Port existing = WindowPort(window))
        return existing;
    auto port = std::make_unique<PortState>();
    port->window = static_cast<QWidget*>(window);
    const std::uintptr_t key = NextHandle();
    if (output_.NativeWindow()) {
        port->watcher = std::make_unique<PortWatcher>([this, key] { UpdateSurface(key); });
        port->window->installEventFilter(port->watcher.get());
    }
    ports_[key] = std::move(port);
    return HandleFromKey<Port>(key);
}

void RealEngine::DetachWindow(NativeWindow window)
{
    Port port = WindowPort(window);
    if (!port)
        return;
    const std::uintptr_t key = HandleKey(port);
    for (auto& [handle, movie] : movies_)
        if (movie->port == key)
            movie->port = 0;
    delete ports_[key]->surface.data();
    ports_.erase(key);
    if (currentPort_ == key)
        currentPort_ = 0;
    for (auto& [handle, movie] : movies_)
        MovieChanged(*movie);
}

Port RealEngine::WindowPort(NativeWindow window)
{
    if (!window)
        return nullptr;
    for (auto& [key, port] : ports_)
        if (port->window && static_cast<void*>(port->window.data()) == window)
            return HandleFromKey<Port>(key);
    return nullptr;
}

void RealEngine::SetDrawPort(Port port, void*) { currentPort_ = FindPort(HandleKey(port)) ? HandleKey(port) : 0; }

void RealEngine::SizeWindow(Port port, short width, short height, bool redraw)
{
    PortState* state = FindPort(HandleKey(port));
    if (!state || !state->window || width < 0 || height < 0)
        return;
    state->window->resize(width, height);
    if (redraw)
        state->window->update();
}

RealEngine::PortState* RealEngine::FindPort(std::uintptr_t port) const
{
    auto it = ports_.find(port);
    return it == ports_.end() ? nullptr : it->second.get();
}

void RealEngine::UpdateSurface(std::uintptr_t portKey)
{
    PortState* port = FindPort(portKey);
    if (!port || !port->window)
        return;
    if (output_.NativeWindow()) {
        // mpv's windows: each over its movie's box once the movie's first frame is up (until
        // then, and after it, the window shows what it shows without a movie: the stop picture).
        const auto now = std::chrono::steady_clock::now();
        for (auto& [key, movie] : movies_) {
            if (movie->port != portKey || !movie->videoWindow)
                continue;
            QWidget& window = *movie->videoWindow;
            const QRect box = ToQRect(movie->box);
            const bool shows = movie->player && movie->player->FrameShown() && !box.isEmpty();
            if (window.geometry() != box && !box.isEmpty())
                window.setGeometry(box);
            FollowAncestors(window);
            if (shows && window.isHidden()) {
                window.show();
                qCInfo(lcEngine) << "first frame up: player" << movie->player->Id() << "window" << window.winId()
                                 << "at" << window.mapTo(window.window(), QPoint(0, 0)) << window.size();
                if (movie->framesPainted == 0) {
                    movie->framesPainted = 1;
                    movie->firstPaint = now;
                }
            } else if (!shows && !window.isHidden()) {
                window.hide();
            }
        }
    }
    QRect area;
    bool opaque = false;
    for (auto& [key, movie] : movies_) {
        if (movie->port != portKey || !movie->player || movie->player->FrameWidth() <= 0)
            continue;
        const QRect box = ToQRect(movie->box);
        if (box.isEmpty())
            continue;
        area = area.united(box);
    }
    for (auto& [key, movie] : movies_)
        if (movie->port == portKey && movie->player && movie->player->FrameWidth() > 0 && ToQRect(movie->box) == area)
            opaque = true;
    for (const auto& shown : port->pictures)
        area = area.united(shown.rect);
    if (area.isEmpty()) {
        if (port->surface)
            port->surface->hide();
        return;
    }
    if (!port->surface) {
        // Known to the port before the window hears of its new child, so that whatever the
        // window does on that message finds it.
        auto* surface = new EngineSurface(nullptr, this, portKey, output_.NativeWindow());
        port->surface = surface;
        surface->setParent(port->window);  // owned by the window from here on
        port = FindPort(portKey);
        if (!port || !port->surface)
            return;
    }
    port->surface->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (port->surface->geometry() != area)
        port->surface->setGeometry(area);
    FollowAncestors(*port->surface);
    port->surface->raise();
    port->surface->show();
    port->surface->update();
}

void RealEngine::PaintPort(std::uintptr_t portKey, QPainter& painter, int originX, int originY)
{
    PortState* port = FindPort(portKey);
    if (!port)
        return;
    painter.translate(-originX, -originY);
    const auto now = std::chrono::steady_clock::now();
    for (auto& [key, movie] : movies_) {
        if (movie->port != portKey || !movie->player)
            continue;
        const MpvPlayer& player = *movie->player;
        const QRect box = ToQRect(movie->box);
        if (player.FrameWidth() <= 0 || box.isEmpty())
            continue;
        const QImage frame(player.FramePixels(), player.FrameWidth(), player.FrameHeight(),
                           qsizetype(player.FrameStride()), QImage::Format_RGB32);
        painter.drawImage(box, frame);
        if (movie->lastPainted != player.FramesRendered()) {
            movie->lastPainted = player.FramesRendered();
            if (movie->framesPainted++ == 0)
                movie->firstPaint = now;
        }
    }
    for (const auto& shown : port->pictures)
        painter.drawImage(shown.rect, shown.image);
}

// ---- Movies ------------------------------------------------------------------------------------

RealEngine::MovieState* RealEngine::FindMovie(Movie movie) const
{
    auto it = movies_.find(HandleKey(movie));
    return it == movies_.end() ? nullptr : it->second.get();
}

Movie RealEngine::NewMovie(long)
{
    auto state = std::make_unique<MovieState>();
    state->handle = NextHandle();
    state->port = FindPort(currentPort_) ? currentPort_ : 0;
    const std::uintptr_t key = state->handle;
    movies_[key] = std::move(state);
    return HandleFromKey<Movie>(key);
}

void RealEngine::MovieChanged(MovieState& movie)
{
    if (movie.player && !movie.player->DrawsIntoWindow()) {
        PortState* port = FindPort(movie.port);
        const bool visible = port && port->window;
        const QRect box = ToQRect(movie.box);
        // Frames with no window to go to are still taken from mpv, at a token size. A new size
        // is rendered at the next idle time, so that a box changed and changed back at once
        // (a screenshot) costs nothing.
        movie.player->SetRenderSize(visible ? std::max(0, box.width()) : 0, visible ? std::max(0, box.height()) : 0);
        movie.player->Wake();
    }
    UpdateSurface(movie.port);
}

// True when the port's surface is up and covers the box, so a new frame needs only a repaint. A
// surface hidden while the port had nothing to show (between two movies) must be laid out again:
// a repaint of a hidden widget paints nothing.
bool RealEngine::SurfaceShows(const PortState* port, const EngineRect& box)
{
    return port && port->surface && !port->surface->isHidden() && port->surface->geometry().contains(ToQRect(box));
}

void RealEngine::OnWake(std::uint64_t playerId)
{
    auto it = std::find_if(movies_.begin(), movies_.end(), [playerId](const auto& m) {
        return m.second->player && m.second->player->Id() == playerId;
    });
    if (it == movies_.end()) {
        if (spare_ && spare_->Id() == playerId)
            spare_->Idle();  // nothing to show; mpv's messages are taken in
        return;
    }
    MovieState& movie = *it->second;
    if (!movie.player->Idle())
        return;
    // Painted frames: the window hears of every new one, so that its messages keep flowing
    // while the movie plays. mpv's own output needs no message a frame; the video view has a
    // steady clock of its own.
    const bool tellWindow = !movie.player->DrawsIntoWindow();
    const std::uintptr_t portKey = movie.port;
    // The window may hear of a new surface here and, through its owner, end the movie: nothing
    // of the movie is used after this.
    FrameChanged(movie, false);
    PortState* port = FindPort(portKey);
    if (tellWindow && port && port->window)
        QCoreApplication::postEvent(port->window, new QEvent(QEvent::Type(EngineWakeUpEventType())));
}

void RealEngine::FrameChanged(MovieState& movie, bool deferLayout)
{
    const std::uintptr_t portKey = movie.port;
    // Laid out now, or (in the middle of one of the window's messages, which may be its painting)
    // once that message is done. The movie is not used after this.
    const auto layOut = [this, portKey, deferLayout] {
        if (!deferLayout)
            UpdateSurface(portKey);
        else if (QCoreApplication::instance())
            QMetaObject::invokeMethod(
                notifier_.get(), [this, portKey] { UpdateSurface(portKey); }, Qt::QueuedConnection);
    };
    if (movie.player && movie.player->DrawsIntoWindow()) {
        if (movie.framesPainted > 0)
            movie.framesPainted = std::max<std::uint64_t>(movie.framesPainted, movie.player->FramesRendered());
        if (movie.videoWindow && movie.videoWindow->isHidden() && movie.player->FrameShown())
            layOut();
        return;
    }
    PortState* port = FindPort(portKey);
    if (SurfaceShows(port, movie.box))
        port->surface->update(ToQRect(movie.box).translated(-port->surface->pos()));
    else
        layOut();
}

void RealEngine::PlayMovie(Movie movie)
{
    if (MovieState* state = FindMovie(movie); state && state->player)
        state->player->Play();
}

void RealEngine::HaltMovie(Movie movie)
{
    if (MovieState* state = FindMovie(movie); state && state->player)
        state->player->Halt();
}

void RealEngine::MovieToEnd(Movie movie)
{
    if (MovieState* state = FindMovie(movie); state && state->player)
        state->player->ToEnd();
}

void RealEngine::SetMovieTime(Movie movie, TimeValue time)
{
    MovieState* state = FindMovie(movie);
    if (!state || !state->player)
        return;
    const TimeScale scale = MovieTimeScale(movie);
    if (scale <= 0)
        return;
    state->player->SeekExact(double(std::max<TimeValue>(time, 0)) / scale);
}

void RealEngine::SetMovieVolume(Movie movie, std::int16_t volume)
{
    if (MovieState* state = FindMovie(movie); state && state->player)
        state->player->SetVolume(std::clamp<int>(volume, 0, 1000) / 10.0);
}

void RealEngine::GetMovieBox(Movie movie, EngineRect* box)
{
    if (!box)
        return;
    MovieState* state = FindMovie(movie);
    *box = state ? state->box : EngineRect{};
}

void RealEngine::SetMovieBox(Movie movie, const EngineRect& box)
{
    MovieState* state = FindMovie(movie);
    if (!state)
        return;
    // The controller keeps its bounds: a box changed behind its back is not a size change of
    // the controller.
    state->box = box;
    MovieChanged(*state);
}

TimeValue RealEngine::CurrentTime(MovieState& movie)
{
    if (!movie.player)
        return 0;
    const Movie handle = HandleFromKey<Movie>(movie.handle);
    const TimeScale scale = MovieTimeScale(handle);
    const TimeValue duration = MovieDuration(handle);
    if (scale <= 0)
        return 0;
    bool atEnd = false;
    const double seconds = movie.player->Position(&atEnd);
    if (atEnd)
        return std::max<TimeValue>(duration, 0);
    // Truncated to whole units; the small allowance keeps 1/600 s from reading as 0.
    double units = std::floor(seconds * scale + 1e-6);
    if (duration > 0)
        units = std::min(units, double(duration));
    return TimeValue(std::clamp(units, 0.0, 2147483647.0));
}

// ---- Controllers ---------------------------------------------------------------------------

RealEngine::ControllerState* RealEngine::FindController(MovieController controller) const
{
    auto it = controllers_.find(HandleKey(controller));
    return it == controllers_.end() ? nullptr : it->second.get();
}

MovieController RealEngine::NewController(Movie movie, const EngineRect& bounds, long)
{
    MovieState* state = FindMovie(movie);
    if (!state)
        return nullptr;
    if (ControllerState* old = FindController(HandleFromKey<MovieController>(state->controller)))
        old->movie = 0;  // a movie has one controller; the newer one takes it
    auto controller = std::make_unique<ControllerState>();
    controller->movie = state->handle;
    // The movie fills the rectangle; the controller's bounds take in its bar below it while
    // the bar is shown.
    controller->bounds = WithBar(bounds, true);
    const std::uintptr_t key = NextHandle();
    controllers_[key] = std::move(controller);
    state->controller = key;
    state->box = bounds;
    MovieChanged(*state);
    return HandleFromKey<MovieController>(key);
}

void RealEngine::DisposeController(MovieController controller)
{
    auto it = controllers_.find(HandleKey(controller));
    if (it == controllers_.end())
        return;
    if (MovieState* movie = FindMovie(HandleFromKey<Movie>(it->second->movie)); movie && movie->controller == it->first)
        movie->controller = 0;
    controllers_.erase(it);
}

OSErr RealEngine::ControllerGetBounds(MovieController controller, EngineRect* bounds)
{
    ControllerState* state = FindController(controller);
    if (bounds)
        *bounds = state ? state->bounds : EngineRect{};
    return state ? noErr : kEngineParamErr;
}

OSErr RealEngine::ControllerAction(MovieController controller, short action, void* params)
{
    ControllerState* state = FindController(controller);
    if (!state)
        return kEngineParamErr;
    if (ControllerActionFilterProc filter = state->filter) {
        const std::intptr_t refCon = state->refCon;
        if (filter(controller, action, params, refCon))
            return noErr;  // the filter took the action over
        state = FindController(controller);
        if (!state)
            return noErr;
    }
    switch (action) {
    case kActionGetFlags:
        if (!params)
            return kEngineParamErr;
        *static_cast<long*>(params) = state->flags;
        break;
    case kActionSetFlags: state->flags = long(reinterpret_cast<std::intptr_t>(params)); break;
    case kActionSetKeysEnabled: state->keysEnabled = params != nullptr; break;
    case kActionSetGrowBoxBounds:
        if (params)
            state->growLimit = *static_cast<const EngineRect*>(params);
        break;
    default: break;  // a notification, or an action this engine has no meaning for
    }
    return noErr;
}

OSErr RealEngine::ControllerShowBar(MovieController controller, bool show)
{
    ControllerState* state = FindController(controller);
    if (!state)
        return kEngineParamErr;
    // The bar itself is never drawn (the player has its own buttons), but showing or hiding it
    // changes the controller's size, which its action filter hears of.
    state->barShown = show;
    EngineRect box = state->bounds;
    if (MovieState* movie = FindMovie(HandleFromKey<Movie>(state->movie)))
        box = movie->box;
    const EngineRect bounds = WithBar(box, show);
    if (!(bounds == state->bounds)) {
        state->bounds = bounds;
        ControllerAction(controller, kActionControllerSizeChanged, nullptr);
    }
    return noErr;
}

OSErr RealEngine::ControllerAllowEditing(MovieController controller, bool allow)
{
    ControllerState* state = FindController(controller);
    if (!state)
        return kEngineParamErr;
    state->editing = allow;
    return noErr;
}

OSErr RealEngine::ControllerSetActionFilter(MovieController controller, ControllerActionFilterProc filter,
                                            std::intptr_t refCon)
{
    ControllerState* state = FindController(controller);
    if (!state)
        return kEngineParamErr;
    state->filter = filter;
    state->refCon = refCon;
    return noErr;
}

OSErr RealEngine::TranslateMessage(const EngineNativeMessage& message, EngineEvent* event)
{
    if (!event)
        return kEngineParamErr;
    EngineEvent e;
    switch (QEvent::Type(message.message)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: e.what = kEngineMouseDown; break;
    case QEvent::MouseButtonRelease: e.what = kEngineMouseUp; break;
    case QEvent::KeyPress: e.what = kEngineKeyDown; break;
    case QEvent::KeyRelease: e.what = kEngineKeyUp; break;
    case QEvent::Paint: e.what = kEngineUpdateEvent; break;
    default: e.what = kEngineNullEvent; break;
    }
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

bool RealEngine::ControllerPassEvent(MovieController controller, const EngineEvent&)
{
    ControllerState* state = FindController(controller);
    if (!state)
        return false;
    MovieState* movie = FindMovie(HandleFromKey<Movie>(state->movie));
    if (!movie || !movie->player)
        return false;
    // Every event gives the movie its time: take in what mpv reported and draw a due frame.
    if (movie->player->Idle())
        FrameChanged(*movie, true);
    return false;
}

TimeValue RealEngine::ControllerCurrentTime(MovieController controller, TimeScale* scale)
{
    ControllerState* state = FindController(controller);
    MovieState* movie = state ? FindMovie(HandleFromKey<Movie>(state->movie)) : nullptr;
    if (!movie) {
        if (scale)
            *scale = 0;
        return 0;
    }
    if (scale)
        *scale = MovieTimeScale(HandleFromKey<Movie>(movie->handle));
    return CurrentTime(*movie);
}

// ---- Pictures ------------------------------------------------------------------------------

RealEngine::PictureState* RealEngine::FindPicture(PicHandle picture) const
{
    auto it = pictures_.find(HandleKey(picture));
    return it == pictures_.end() ? nullptr : it->second.get();
}

PicHandle RealEngine::MoviePicture(Movie movie, TimeValue time)
{
    MovieState* state = FindMovie(movie);
    if (!state || !state->player)
        return nullptr;
    MpvPlayer& player = *state->player;
    // The picture is of the frame shown at `time`; when that is not the time now, the movie
    // goes there for the picture and comes back as it was.
    const TimeValue now = CurrentTime(*state);
    const TimeScale scale = MovieTimeScale(movie);
    const bool move = time != now && scale > 0;
    const bool wasPlaying = move && !player.Paused();
    if (move && !player.ShowFrameAt(double(std::max<TimeValue>(time, 0)) / scale, kPictureTimeoutMs))
        return nullptr;
    auto picture = std::make_unique<PictureState>();
    const bool ok = player.Screenshot(&picture->image, kPictureTimeoutMs);
    if (move) {
        player.SeekExact(double(now) / scale);
        if (wasPlaying)
            player.Play();
    }
    if (!ok)
        return nullptr;
    const std::uintptr_t key = NextHandle();
    pictures_[key] = std::move(picture);
    return HandleFromKey<PicHandle>(key);
}

void RealEngine::DrawPicture(PicHandle picture, const EngineRect& rect)
{
    PictureState* state = FindPicture(picture);
    PortState* port = FindPort(currentPort_);
    const QRect target = ToQRect(rect);
    if (!state || !port || !port->window || target.isEmpty() || state->image.width <= 0)
        return;
    const QImage source(state->image.pixels.data(), state->image.width, state->image.height,
                        qsizetype(state->image.stride), QImage::Format_RGB32);
    PortState::Shown shown;
    shown.image = source.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown.rect = target;
    shown.until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEnginePictureShowMs);
    port->pictures.push_back(std::move(shown));
    const std::uintptr_t portKey = currentPort_;
    QTimer::singleShot(kEnginePictureShowMs + 10, notifier_.get(), [this, portKey] { ExpirePictures(portKey); });
    UpdateSurface(portKey);
}

void RealEngine::ExpirePictures(std::uintptr_t portKey)
{
    PortState* port = FindPort(portKey);
    if (!port)
        return;
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(port->pictures, [now](const PortState::Shown& s) { return s.until <= now; });
    UpdateSurface(portKey);
}

std::vector<std::uint8_t> RealEngine::PictureToDib(PicHandle picture)
{
    PictureState* state = FindPicture(picture);
    if (!state)
        return {};
    return MakeDib24(state->image.pixels.data(), state->image.width, state->image.height, state->image.stride);
}

void RealEngine::DisposePicture(PicHandle picture) { pictures_.erase(HandleKey(picture)); }

// ---- Measurements --------------------------------------------------------------------------

RealEngine::MovieStats RealEngine::Stats(Movie movie) const
{
    MovieStats stats;
    MovieState* state = FindMovie(movie);
    if (!state || !state->player)
        return stats;
    stats.hasPlayer = true;
    stats.framesRendered = state->player->FramesRendered();
    stats.framesPainted = state->framesPainted;
    stats.framesDropped = state->player->FramesDropped();
    stats.decoderFramesDropped = state->player->DecoderFramesDropped();
    stats.firstPaint = state->firstPaint;
    stats.volume = state->player->Volume();
    stats.paused = state->player->Paused();
    return stats;
}

std::size_t RealEngine::PlayerCount() const
{
    return std::size_t(
        std::count_if(movies_.begin(), movies_.end(), [](const auto& m) { return m.second->player != nullptr; }));
}

std::uint64_t RealEngine::MovieWindowId(Movie movie) const
{
    MovieState* state = FindMovie(movie);
    return state && state->videoWindow ? std::uint64_t(state->videoWindow->winId()) : 0;
}

bool RealEngine::SurfaceGeometry(Port port, int* x, int* y, int* width, int* height) const
{
    PortState* state = FindPort(HandleKey(port));
    if (!state)
        return false;
    // What shows movies there: mpv's windows, or the surface frames are painted on.
    QRect g;
    for (const auto& [key, movie] : movies_)
        if (movie->port == HandleKey(port) && movie->videoWindow && movie->videoWindow->isVisible())
            g = g.united(movie->videoWindow->geometry());
    if (g.isEmpty() && state->surface && state->surface->isVisible())
        g = state->surface->geometry();
    if (g.isEmpty())
        return false;
    if (x)
        *x = g.x();
    if (y)
        *y = g.y();
    if (width)
        *width = g.width();
    if (height)
        *height = g.height();
    return true;
}
