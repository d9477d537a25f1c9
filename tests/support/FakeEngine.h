#pragma once
// A scripted media engine for tests: movies are registered by path, time moves only when the
// test moves the clock, and every call is recorded by name. Install it with InstallEngine.

#include "engine/Engine.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class FakeEngine : public EngineBackend {
public:
    /// What a registered movie is like.
    struct MovieScript {
        TimeScale timeScale = 600;
        TimeValue duration = 0;
        std::int16_t width = 1920;  ///< the movie's own size, its natural box
        std::int16_t height = 1080;
        /// Samples of the third track (a text track) as the engine returns them; see
        /// TextPayload. No samples: the movie has two tracks.
        std::vector<std::string> textSamples;
        TimeScale textTimeScale = 1000;
        TimeValue textSampleDuration = 1000;  ///< every text sample lasts this long
        bool hasPicture = true;               ///< whether MoviePicture gives a picture
        /// Not noErr: MovieFromFile fails with this error, and LastErrorText gives openErrorText.
        OSErr openError = noErr;
        std::string openErrorText;
    };
    /// A movie of that time scale, duration and size, with no text track.
    static MovieScript Script(TimeScale timeScale, TimeValue duration, std::int16_t width = 1920,
                              std::int16_t height = 1080)
    {
        MovieScript script;
        script.timeScale = timeScale;
        script.duration = duration;
        script.width = width;
        script.height = height;
        return script;
    }
    /// A text sample as the camera writes it: a 16-bit big-endian length, then the text.
    static std::string TextPayload(const std::string& text);

    FakeEngine();
    ~FakeEngine() override;

    void AddMovie(const std::string& path, MovieScript script);
    /// Moves the clock on: every playing movie advances by that many milliseconds and stops at
    /// its end.
    void AdvanceClock(int milliseconds);

    /// Every call in order: the operation's name without its Engine/Controller prefix, then its
    /// arguments separated by spaces ("SetMovieTime 4096 3000", "ControllerAction 4100 26").
    std::vector<std::string> calls;
    /// Calls whose name (first word) is `name`.
    int CountCalls(const std::string& name) const;
    /// Index of the first call from `from` on whose name is `name`, or -1.
    int FindCall(const std::string& name, std::size_t from = 0) const;

    OSErr initializeResult = noErr;   ///< what InitializeQTML answers
    OSErr enterMoviesResult = noErr;  ///< what EnterMovies answers

    /// State of one movie, for the test to look at.
    struct MovieInfo {
        bool exists = false;
        std::string path;
        bool playing = false;
        TimeValue time = 0;
        int volume = -1;  ///< last volume set, -1 for none
        EngineRect box;
    };
    MovieInfo Info(Movie movie) const;
    std::size_t LiveMovies() const { return movies_.size(); }
    std::size_t LiveControllers() const { return controllers_.size(); }
    std::size_t LivePictures() const { return pictures_.size(); }
    /// The size last given to the window's port with SizeWindow; -1 × -1 when none.
    std::pair<int, int> WindowSize(NativeWindow window) const;
    /// The port current now.
    Port CurrentPort() const;

    // Movie files and structure.
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
    std::string LastErrorText() const override { return lastErrorText_; }

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

    /// Height of the controller's bar while it is shown (the real engine's too).
    static constexpr int kBarHeight = 16;

private:
    struct FakeMovie {
        std::string path;
        MovieScript script;
        double seconds = 0;
        bool playing = false;
        int volume = -1;
        EngineRect box;
        std::uintptr_t tracks[3] = {};
        std::uintptr_t controller = 0;
    };
    struct FakeController {
        std::uintptr_t movie = 0;
        EngineRect bounds;
        long flags = 0;
        bool barShown = true;
        ControllerActionFilterProc filter = nullptr;
        std::intptr_t refCon = 0;
    };
    struct FakePicture {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> bgrx;
    };
    struct TrackRef {
        std::uintptr_t movie = 0;
        int index = 0;  // from 1
    };

    void Record(const std::string& text) { calls.push_back(text); }
    FakeMovie* FindMovie(Movie movie);
    const FakeMovie* FindMovie(Movie movie) const;
    FakeController* FindController(MovieController controller);
    const TrackRef* FindMedia(Media media) const;
    TimeValue TimeOf(const FakeMovie& movie) const;
    std::uintptr_t NextHandle() { return nextHandle_++; }

    std::map<std::string, MovieScript> scripts_;
    std::map<std::int16_t, std::string> files_;
    std::int16_t nextFileRef_ = 1;
    std::map<std::uintptr_t, FakeMovie> movies_;
    std::map<std::uintptr_t, TrackRef> tracks_;  // track and media handles alike
    std::map<std::uintptr_t, FakeController> controllers_;
    std::map<std::uintptr_t, FakePicture> pictures_;
    std::map<std::uintptr_t, NativeWindow> ports_;
    std::map<NativeWindow, std::pair<int, int>> windowSizes_;
    std::uintptr_t currentPort_ = 0;
    std::uintptr_t nextHandle_ = 0x1000;
    std::string lastErrorText_;
};
