#pragma once
// The real engine: movie structure from the box reader, playing and drawing from libmpv with one
// mpv instance per open movie.

#include "engine/Engine.h"
#include "playback/MpvLibrary.h"
#include "playback/VideoOutput.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class MpvPlayer;
class QObject;
class QPainter;
class QWidget;

/// The event the engine posts to a movie's window whenever it has drawn a new frame, so that the
/// window keeps receiving messages while a movie plays.
int EngineWakeUpEventType();

/// How long a picture drawn with EngineDrawPicture stays on top of the movie.
constexpr int kEnginePictureShowMs = 1200;

class RealEngine : public EngineBackend {
public:
    /// `structure` answers the structure operations (the box reader); `library` plays. The video
    /// output is chosen here, once (ChooseVideoOutput), unless one is given.
    RealEngine(std::shared_ptr<MpvLibrary> library, std::unique_ptr<EngineBackend> structure,
               std::optional<VideoOutputChoice> output = std::nullopt);
    ~RealEngine() override;

    // Movie files and structure: the structure engine's, with the movie's mpv instance made
    // and released alongside.
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
    std::string LastErrorText() const override;

    // Presentation.
    OSErr InitializeQTML(long flags) override;
    OSErr EnterMovies() override;
    void LeaveMovies() override;
    Port AttachWindow(NativeWindow window, long flags, void* reserved) override;
    void DetachWindow(NativeWindow window) override;
    Port WindowPort(NativeWindow window) override;
    void SetDrawPort(Port port, void* device) override;
    Movie NewMovie(long flags) override;
    void DisposeController(MovieController controller) override;
    void PlayMovie(Movie movie) override;
    void HaltMovie(Movie movie) override;
    void MovieToEnd(Movie movie) override;
    void SetMovieTime(Movie movie, TimeValue time) override;
    void SetMovieVolume(Movie movie, std::int16_t volume) override;
    void GetMovieBox(Movie movie, EngineRect* box) override;
    void SetMovieBox(Movie movie, const EngineRect& box) override;
    void SizeWindow(Port port, short width, short height, bool redraw) override;
    MovieController NewController(Movie movie, const EngineRect& bounds, long flags) override;
    OSErr ControllerGetBounds(MovieController controller, EngineRect* bounds) override;
    OSErr ControllerAction(MovieController controller, short action, void* params) override;
    OSErr ControllerShowBar(MovieController controller, bool show) override;
    OSErr ControllerAllowEditing(MovieController controller, bool allow) override;
    OSErr ControllerSetActionFilter(MovieController controller, ControllerActionFilterProc filter,
                                    std::intptr_t refCon) override;
    OSErr TranslateMessage(const EngineNativeMessage& message, EngineEvent* event) override;
    bool ControllerPassEvent(MovieController controller, const EngineEvent& event) override;
    TimeValue ControllerCurrentTime(MovieController controller, TimeScale* scale) override;
    PicHandle MoviePicture(Movie movie, TimeValue time) override;
    void DrawPicture(PicHandle picture, const EngineRect& rect) override;
    std::vector<std::uint8_t> PictureToDib(PicHandle picture) override;
    void DisposePicture(PicHandle picture) override;

    /// Measurements of one movie, for benchmarks and tests.
    struct MovieStats {
        bool hasPlayer = false;
        std::uint64_t framesRendered = 0;
        std::uint64_t framesPainted = 0;
        std::int64_t framesDropped = -1;                     ///< mpv's frame-drop-count
        std::int64_t decoderFramesDropped = -1;              ///< mpv's decoder-frame-drop-count
        std::chrono::steady_clock::time_point firstPaint{};  ///< epoch when nothing was painted yet
        double volume = -1;                                  ///< mpv's volume, 0 to 100
        bool paused = true;
    };
    MovieStats Stats(Movie movie) const;
    /// Movies not yet disposed, and mpv instances among them.
    std::size_t MovieCount() const { return movies_.size(); }
    std::size_t PlayerCount() const;
    /// How movies reach the screen.
    const VideoOutputChoice& VideoOutput() const { return output_; }
    /// The native window mpv draws a movie into (0 when none); for tests.
    std::uint64_t MovieWindowId(Movie movie) const;
    /// The picture area of a port now (x, y, width, height in window coordinates); for tests.
    bool SurfaceGeometry(Port port, int* x, int* y, int* width, int* height) const;

    /// Paints what the port shows; called by the port's surface.
    void PaintPort(std::uintptr_t port, QPainter& painter, int originX, int originY);

private:
    struct MovieState;
    struct PortState;
    struct ControllerState;
    struct PictureState;

    MovieState* FindMovie(Movie movie) const;
    PortState* FindPort(std::uintptr_t port) const;
    ControllerState* FindController(MovieController controller) const;
    PictureState* FindPicture(PicHandle picture) const;
    std::uintptr_t NextHandle() { return nextHandle_++; }
    void OnWake(std::uint64_t playerId);
    std::function<void()> WakeFor(std::uint64_t playerId);
    std::unique_ptr<MpvPlayer> MakePlayer();
    /// The spare instance if there is one, else a new one.
    std::unique_ptr<MpvPlayer> TakePlayer();
    void MakeSpare();
    void CollectSpare();
    /// Render size, surface and repaint after a change of a movie's box, frame or port.
    void MovieChanged(MovieState& movie);
    void UpdateSurface(std::uintptr_t port);
    static bool SurfaceShows(const PortState* port, const EngineRect& box);
    void DropMovie(std::uintptr_t movie);
    void ExpirePictures(std::uintptr_t port);
    /// A movie's frame changed: the window that shows it is laid out or repainted.
    void FrameChanged(MovieState& movie, bool deferLayout);
    TimeValue CurrentTime(MovieState& movie);

    std::shared_ptr<MpvLibrary> library_;
    std::unique_ptr<EngineBackend> structure_;
    std::unique_ptr<QObject> notifier_;  // lives on the user-interface thread; queued work runs there
    VideoOutputChoice output_;
    std::string lastError_;  // why the last movie could not be played
    bool audio_ = false;
    std::map<std::int16_t, std::string> filePaths_;
    // An instance made ahead, so that opening a movie does not wait for mpv to start.
    std::unique_ptr<MpvPlayer> spare_;
    std::thread spareMaker_;                // makes the next spare instance
    std::unique_ptr<MpvPlayer> madeSpare_;  // its result, taken after joining it
    std::uint64_t nextPlayerId_ = 1;
    std::map<std::uintptr_t, std::unique_ptr<MovieState>> movies_;
    std::map<std::uintptr_t, std::unique_ptr<PortState>> ports_;
    std::map<std::uintptr_t, std::unique_ptr<ControllerState>> controllers_;
    std::map<std::uintptr_t, std::unique_ptr<PictureState>> pictures_;
    std::uintptr_t currentPort_ = 0;
    // Handles of this engine's own objects; far above the structure engine's serial numbers.
    std::uintptr_t nextHandle_ = std::uintptr_t(1) << 40;
};

/// The real engine over a loaded libmpv and the box reader, with the video output given or chosen
/// for this process.
std::unique_ptr<EngineBackend> MakeRealEngine(std::shared_ptr<MpvLibrary> library,
                                              std::optional<VideoOutputChoice> output = std::nullopt);
