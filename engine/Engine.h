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
#include <vector>

using OSErr = std::int16_t;
using OSType = std::uint32_t;
using TimeValue = std::int32_t;
using TimeValue64 = std::int64_t;
using TimeScale = std::int32_t;

constexpr OSErr noErr = 0;
constexpr OSErr kEngineFileNotFound = -43;      ///< the file does not exist or cannot be opened
constexpr OSErr kEngineBadFileRef = -51;        ///< no open movie file with that reference
constexpr OSErr kEngineTooManyFiles = -42;      ///< too many movie files open at one time
constexpr OSErr kEngineParamErr = -50;          ///< a null handle or an argument out of range
constexpr OSErr kEngineInvalidMovie = -2010;    ///< the file is not a movie: malformed boxes
constexpr OSErr kEngineTruncatedMovie = -2048;  ///< the file ends inside its movie structure
constexpr OSErr kEngineInvalidTrack = -2009;
constexpr OSErr kEngineInvalidMedia = -2008;     ///< not a media handle, or its tables disagree
constexpr OSErr kEngineBadDataRefIndex = -2050;  ///< the media has no data reference with that index
constexpr OSErr kEngineNoSampleAtTime = -2014;   ///< the time lies past the last sample
constexpr OSErr kEngineSampleTooLarge = -2031;   ///< the sample does not fit the caller's buffer
constexpr OSErr kEngineReadError = -36;          ///< an I/O error while reading sample data
constexpr OSErr kEngineCantPlay = -2003;         ///< the player cannot decode or show the movie
constexpr OSErr kEngineLibraryMissing = -2093;   ///< substitute: the engine library could not be loaded
constexpr OSErr kEngineFunctionMissing = -2094;  ///< substitute: a function of the library is missing
constexpr OSErr kEngineNotStarted = -2095;       ///< substitute: the engine did not start

/// Four-character code from its text, 'alis' -> 0x616C6973.
constexpr OSType FourCC(const char (&c)[5])
{
    return (OSType(std::uint8_t(c[0])) << 24) | (OSType(std::uint8_t(c[1])) << 16) | (OSType(std::uint8_t(c[2])) << 8) |
           OSType(std::uint8_t(c[3]));
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

/// The engine's description of a movie file to open: its path, as the engine will open it.
struct EngineFileSpec {
    std::string path;  ///< narrow path in the locale's encoding
};

// ---- Presentation types --------------------------------------------------------------------
struct EnginePortObject;
struct EngineControllerObject;
struct EnginePictureObject;
using Port = EnginePortObject*;                   ///< the drawing port of a window
using MovieController = EngineControllerObject*;  ///< the controller that runs a movie in a window
using PicHandle = EnginePictureObject*;           ///< one frame picture, released with EngineDisposePicture
/// A native window: the window's QWidget* in the Qt build. The engine only draws into it.
using NativeWindow = void*;

/// A message as a native window received it: window, message number, parameters, the time of
/// the message (milliseconds) and the cursor position at that time.
struct EngineNativeMessage {
    NativeWindow window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::uint32_t time = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
};

/// The engine's event made from a native message.
struct EngineEvent {
    std::uint16_t what = 0;     ///< one of the kEngine*Event kinds
    std::uint32_t message = 0;  ///< the native message number
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::uint32_t when = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    NativeWindow window = nullptr;
};
constexpr std::uint16_t kEngineNullEvent = 0;  ///< nothing for the controller but idle time
constexpr std::uint16_t kEngineMouseDown = 1;
constexpr std::uint16_t kEngineMouseUp = 2;
constexpr std::uint16_t kEngineKeyDown = 3;
constexpr std::uint16_t kEngineKeyUp = 4;
constexpr std::uint16_t kEngineUpdateEvent = 6;  ///< the window is being painted

/// Controller action codes the player uses.
constexpr short kActionSetGrowBoxBounds = 25;       ///< params: const EngineRect*, the growing limit
constexpr short kActionControllerSizeChanged = 26;  ///< params: none; the bounds changed
constexpr short kActionSetKeysEnabled = 32;         ///< params: the flag itself (0 or 1)
constexpr short kActionSetFlags = 38;               ///< params: the flag word itself
constexpr short kActionGetFlags = 39;               ///< params: long* receiving the flag word
constexpr long kControllerFlagUseWindowPalette = 8;

/// Called by a controller for every action before it performs it, with the reference value the
/// filter was installed with. Returning false lets the action go on.
using ControllerActionFilterProc = bool (*)(MovieController controller, short action, void* params,
                                            std::intptr_t refCon);

/// A handle as the integer an engine keeps it under, and back. Engines hand out serial numbers
/// disguised as handles and look every handle up before use, so a stale one is never followed.
template <typename H>
std::uintptr_t HandleKey(H handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}
template <typename H>
H HandleFromKey(std::uintptr_t key)
{
    return reinterpret_cast<H>(key);
}

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

    // ---- Presentation: playing, drawing and controllers ----------------------------------------
    // The substitute answers every one of these with its failure code, a null handle, 0 or
    // nothing at all.

    /// Starts the engine library with these flags (0).
    virtual OSErr InitializeQTML(long flags);
    /// Second stage of the start: the engine can make and run movies.
    virtual OSErr EnterMovies();
    /// Releases every movie, controller, picture and port on closing.
    virtual void LeaveMovies();
    /// Binds a native window to a new drawing port (flags 0, reserved null) and returns it.
    virtual Port AttachWindow(NativeWindow window, long flags, void* reserved);
    /// Undoes AttachWindow for that window.
    virtual void DetachWindow(NativeWindow window);
    /// The port of an attached window, or null.
    virtual Port WindowPort(NativeWindow window);
    /// Makes the port current (device null): new movies and pictures draw into it.
    virtual void SetDrawPort(Port port, void* device);
    /// An empty movie (flags 1), or null.
    virtual Movie NewMovie(long flags);
    virtual void DisposeController(MovieController controller);
    /// Plays from the current time.
    virtual void PlayMovie(Movie movie);
    /// Stops at the current time.
    virtual void HaltMovie(Movie movie);
    /// Puts the movie at its end, not playing.
    virtual void MovieToEnd(Movie movie);
    /// Goes to that time (exactly); a playing movie plays on from there.
    virtual void SetMovieTime(Movie movie, TimeValue time);
    /// Volume 0 to 1000.
    virtual void SetMovieVolume(Movie movie, std::int16_t volume);
    virtual void GetMovieBox(Movie movie, EngineRect* box);
    /// The picture is scaled into this box of the movie's port.
    virtual void SetMovieBox(Movie movie, const EngineRect& box);
    /// Resizes the port's window.
    virtual void SizeWindow(Port port, short width, short height, bool redraw);
    /// A controller for the movie, its bounds that rectangle (flags 1).
    virtual MovieController NewController(Movie movie, const EngineRect& bounds, long flags);
    virtual OSErr ControllerGetBounds(MovieController controller, EngineRect* bounds);
    virtual OSErr ControllerAction(MovieController controller, short action, void* params);
    virtual OSErr ControllerShowBar(MovieController controller, bool show);
    virtual OSErr ControllerAllowEditing(MovieController controller, bool allow);
    virtual OSErr ControllerSetActionFilter(MovieController controller, ControllerActionFilterProc filter,
                                            std::intptr_t refCon);
    /// Turns a native message into an engine event.
    virtual OSErr TranslateMessage(const EngineNativeMessage& message, EngineEvent* event);
    /// Gives the controller an event: the movie is drawn and run. True when the controller used it.
    virtual bool ControllerPassEvent(MovieController controller, const EngineEvent& event);
    /// The current time of the controller's movie; *scale receives its time scale.
    virtual TimeValue ControllerCurrentTime(MovieController controller, TimeScale* scale);
    /// A picture of the frame at that time, at the movie's own size; null when there is none.
    virtual PicHandle MoviePicture(Movie movie, TimeValue time);
    /// Draws the picture scaled into the rectangle of the current port.
    virtual void DrawPicture(PicHandle picture, const EngineRect& rect);
    /// The picture as a device-independent bitmap: a 40-byte bitmap info header (24 bits per
    /// pixel) followed by bottom-up rows padded to 4 bytes. Empty when there is no picture.
    virtual std::vector<std::uint8_t> PictureToDib(PicHandle picture);
    virtual void DisposePicture(PicHandle picture);

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
OSErr EngineReadMediaSample(Media media, std::uint8_t* buffer, long capacity, long* byteCount, TimeValue64 mediaTime,
                            void* sampleDescription = nullptr, long maxSamples = 1);

/// Opens a movie file by path through the operations above (spec, open, movie, close).
/// On failure returns the error and leaves *movie null.
OSErr EngineOpenMoviePath(const std::string& narrowPath, Movie* movie);

// ---- Presentation operations, by their names --------------------------------------------------
OSErr InitializeQTML(long flags);
OSErr EnterMovies();
void EngineLeaveMovies();
Port EngineAttachWindow(NativeWindow window, long flags = 0, void* reserved = nullptr);
void EngineDetachWindow(NativeWindow window);
Port EngineWindowPort(NativeWindow window);
void EngineSetDrawPort(Port port, void* device = nullptr);
Movie EngineNewMovie(long flags);
void EngineDisposeController(MovieController controller);
void EnginePlayMovie(Movie movie);
void EngineHaltMovie(Movie movie);
void EngineMovieToEnd(Movie movie);
void EngineSetMovieTime(Movie movie, TimeValue time);
void EngineSetMovieVolume(Movie movie, std::int16_t volume);
void EngineGetMovieBox(Movie movie, EngineRect* box);
void EngineSetMovieBox(Movie movie, const EngineRect& box);
void EngineSizeWindow(Port port, short width, short height, bool redraw);
MovieController EngineNewController(Movie movie, const EngineRect& bounds, long flags);
OSErr ControllerGetBounds(MovieController controller, EngineRect* bounds);
OSErr ControllerAction(MovieController controller, short action, void* params);
OSErr ControllerShowBar(MovieController controller, bool show);
OSErr ControllerAllowEditing(MovieController controller, bool allow);
OSErr ControllerSetActionFilter(MovieController controller, ControllerActionFilterProc filter, std::intptr_t refCon);
OSErr EngineTranslateMessage(const EngineNativeMessage& message, EngineEvent* event);
bool ControllerPassEvent(MovieController controller, const EngineEvent& event);
TimeValue ControllerCurrentTime(MovieController controller, TimeScale* scale);
PicHandle EngineMoviePicture(Movie movie, TimeValue time);
void EngineDrawPicture(PicHandle picture, const EngineRect& rect);
std::vector<std::uint8_t> EnginePictureToDib(PicHandle picture);
void EngineDisposePicture(PicHandle picture);
